#include "TarnSounds.h"

#include "EventLog.h"
#include "MulSound.h"
#include "TarnError.h"

#include <al.h>
#include <alext.h>

#include <bit>
#include <cmath>

namespace tessaly {

namespace {

constexpr std::int32_t kSilence = -10000;

[[noreturn]] void RaiseDevice(std::int32_t code, const char* description) {
    throw CTarnError(kSoundDeviceErrorPriority, code, description);
}

float GainOf(std::int32_t volume) {
    return volume <= kSilence ? 0.0f : static_cast<float>(std::pow(10.0, volume / 2000.0));
}

}  // namespace

// The device-side buffer of one sound: an OpenAL buffer holding the samples and the source
// that plays it.
class CSoundBuffer {
public:
    CSoundBuffer() = default;
    CSoundBuffer(const CSoundBuffer&) = delete;
    CSoundBuffer& operator=(const CSoundBuffer&) = delete;
    ~CSoundBuffer() {
        if (m_uSource != 0) {
            alSourceStop(m_uSource);
            alDeleteSources(1, &m_uSource);
        }
        if (m_uBuffer != 0) {
            alDeleteBuffers(1, &m_uBuffer);
        }
    }

    ALuint m_uBuffer = 0;
    ALuint m_uSource = 0;
    std::int32_t m_nVolume = 0;
};

CTarnSoundPlay::CTarnSoundPlay(CTarnSounds& output, std::uint16_t soundId) : m_Output(output) {
    CMulSound sound(soundId);
    MakeBuffer(sound);
}

CTarnSoundPlay::CTarnSoundPlay(CTarnSounds& output, CMulSound& sound) : m_Output(output) {
    MakeBuffer(sound);
}

void CTarnSoundPlay::MakeBuffer(CMulSound& sound) {
    if (sound.GetData() == nullptr) {
        return;
    }
    // The device takes whole frames of two 16-bit samples; a trailing part frame is dropped.
    ByteSpan samples = sound.GetSamples();
    std::size_t n = samples.size() & ~std::size_t{3};
    if (n == 0 || n > 0x7FFFFFFF) {
        return;
    }
    auto buffer = std::make_unique<CSoundBuffer>();
    alGetError();
    alGenBuffers(1, &buffer->m_uBuffer);
    ALenum err = alGetError();
    if (err == AL_NO_ERROR) {
        alGenSources(1, &buffer->m_uSource);
        err = alGetError();
    }
    if (err != AL_NO_ERROR) {
        RaiseDevice(err, "CMulSound.CreateSoundBuffer FAIL");
    }
    // Samples are little-endian in the file and native-endian for OpenAL.
    static_assert(std::endian::native == std::endian::little);
    alBufferData(buffer->m_uBuffer, AL_FORMAT_STEREO16, samples.data(), static_cast<ALsizei>(n),
                 11025);
    if ((err = alGetError()) != AL_NO_ERROR) {
        RaiseDevice(err, "CMulSound.Lock FAIL");
    }
    ALuint source = buffer->m_uSource;
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer->m_uBuffer));
    // Every sound sits at the listener: no 3D panning or distance model, and the two channels
    // go straight to the two outputs.
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    if (alIsExtensionPresent("AL_SOFT_direct_channels")) {
        alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    }
    if ((err = alGetError()) != AL_NO_ERROR) {
        RaiseDevice(err, "CMulSound.Unlock FAIL");
    }
    m_pBuffer = std::move(buffer);
}

CTarnSoundPlay::~CTarnSoundPlay() {
    try {
        Stop();
    } catch (...) {
        LogCaughtException("stopping a sound");
        // The buffer is released below whether or not the device stopped it.
    }
}

bool CTarnSoundPlay::Play(const CMapPoint& pt, std::uint8_t volume, bool once) {
    if (m_pBuffer == nullptr) {
        return false;
    }
    m_bVolume = volume;
    m_pt = pt;
    if (!UpdateVolume()) {
        return false;
    }
    alGetError();
    alSourcei(m_pBuffer->m_uSource, AL_LOOPING, once ? AL_FALSE : AL_TRUE);
    alSourcePlay(m_pBuffer->m_uSource);
    return alGetError() == AL_NO_ERROR;
}

bool CTarnSoundPlay::UpdateVolume() {
    if (!m_pt.IsValid()) {
        return true;
    }
    int d = m_pt.GetDist(m_Output.m_ptListener);
    if (d > CTarnSounds::kMaxDistance) {
        return false;
    }
    std::int32_t volume =
        (CTarnSounds::kMaxDistance - d / 2) * ((255 - m_bVolume) * 10000) / 4590 - 10000;
    if (m_pBuffer != nullptr) {
        m_pBuffer->m_nVolume = volume;
        alSourcef(m_pBuffer->m_uSource, AL_GAIN, GainOf(volume));
    }
    return true;
}

std::uint32_t CTarnSoundPlay::GetStatus() {
    if (m_pBuffer == nullptr) {
        return 0;
    }
    alGetError();
    ALint state = AL_STOPPED;
    ALint looping = AL_FALSE;
    alGetSourcei(m_pBuffer->m_uSource, AL_SOURCE_STATE, &state);
    alGetSourcei(m_pBuffer->m_uSource, AL_LOOPING, &looping);
    if (ALenum err = alGetError(); err != AL_NO_ERROR) {
        RaiseDevice(err, "CMulSound.GetStatus FAIL");
    }
    if (state != AL_PLAYING) {
        return 0;
    }
    return kStatusPlaying | (looping ? kStatusLooping : 0u);
}

void CTarnSoundPlay::Stop() {
    if (m_pBuffer == nullptr || (GetStatus() & kStatusPlaying) == 0) {
        return;
    }
    alSourceStop(m_pBuffer->m_uSource);
    if (ALenum err = alGetError(); err != AL_NO_ERROR) {
        RaiseDevice(err, "CMulSound.Stop FAIL");
    }
}

std::int32_t CTarnSoundPlay::GetVolume() const {
    return m_pBuffer == nullptr ? 0 : m_pBuffer->m_nVolume;
}

unsigned CTarnSoundPlay::GetSource() const {
    return m_pBuffer == nullptr ? 0 : m_pBuffer->m_uSource;
}

CTarnSounds::~CTarnSounds() {
    Release();
}

void CTarnSounds::Release() {
    m_Playing.RemoveAll();
    if (m_pContext != nullptr) {
        if (alcGetCurrentContext() == m_pContext) {
            alcMakeContextCurrent(nullptr);
        }
        alcDestroyContext(m_pContext);
        m_pContext = nullptr;
    }
    if (m_pDS != nullptr) {
        alcCloseDevice(m_pDS);
        m_pDS = nullptr;
    }
}

void CTarnSounds::Init(void* /*window*/, const CMapPoint& listener) {
    Release();
    ALCdevice* device = alcOpenDevice(nullptr);
    if (device == nullptr) {
        ALCenum err = alcGetError(nullptr);
        RaiseDevice(err != ALC_NO_ERROR ? err : ALC_INVALID_DEVICE,
                    "CTarnSounds.DirectSoundCreate FAIL");
    }
    m_pDS = device;
    // The context stands for the cooperative level: the output of this program's window.
    ALCcontext* context = alcCreateContext(device, nullptr);
    if (context == nullptr || alcMakeContextCurrent(context) != ALC_TRUE) {
        ALCenum err = alcGetError(device);
        if (context != nullptr) {
            alcDestroyContext(context);
        }
        alcCloseDevice(device);
        m_pDS = nullptr;
        RaiseDevice(err != ALC_NO_ERROR ? err : ALC_INVALID_CONTEXT,
                    "CTarnSounds.SetCooperativeLevel FAIL");
    }
    m_pContext = context;
    m_ptListener = listener;
}

std::string CTarnSounds::GetDeviceName() const {
    if (m_pDS == nullptr) {
        return std::string();
    }
    const ALCchar* name = alcGetString(m_pDS, ALC_DEVICE_SPECIFIER);
    return name == nullptr ? std::string() : std::string(name);
}

void CTarnSounds::SetListener(const CMapPoint& pt) {
    if (!IsInit()) {
        return;
    }
    bool moved = !(pt == m_ptListener);
    // Sounds that stay are measured against the new position.
    m_ptListener = pt;
    for (std::int32_t i = 0; i < m_Playing.GetCount();) {
        CTarnSoundPlay* sound = m_Playing[i];
        bool playing = (sound->GetStatus() & CTarnSoundPlay::kStatusPlaying) != 0;
        if (playing && (!moved || sound->UpdateVolume())) {
            ++i;
            continue;
        }
        // Finished or out of range: the array deletes it.
        m_Playing.RemoveAt(i);
    }
}

void CTarnSounds::StopAll() {
    m_Playing.RemoveAll();
}

void CTarnSounds::PlaySound(std::uint16_t id, const CMapPoint& pt, std::uint8_t volume, bool once) {
    if (!IsInit()) {
        return;
    }
    if (id == 0 || id == 0xFFFF) {
        StopAll();
        return;
    }
    CMulSound sound(id);
    PlaySound(sound, pt, volume, once);
}

void CTarnSounds::PlaySound(CMulSound& sound, const CMapPoint& pt, std::uint8_t volume, bool once) {
    if (!IsInit()) {
        return;
    }
    SetListener(m_ptListener);
    auto playing = std::make_unique<CTarnSoundPlay>(*this, sound);
    if (playing->Play(pt, volume, once)) {
        m_Playing.Add(playing.release());
    }
}

CTarnSounds& TheSounds() {
    static CTarnSounds sounds;
    return sounds;
}

}  // namespace tessaly
