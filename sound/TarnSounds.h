#pragma once
// Sound playback through OpenAL Soft: the one sound output (device, listener, playing sounds)
// and one playing sound with its own buffer and source.
//
// Volumes are in hundredths of a decibel, 0 (full) down to -10000 (silent); a source's gain
// is 10^(volume / 2000), and -10000 is silence.

#include "MapPoint.h"
#include "QArray.h"

#include <alc.h>

#include <cstdint>
#include <memory>
#include <string>

namespace tessaly {

// The priority of the CTarnError the sound device's failures raise (data reads raise 2).
inline constexpr std::int32_t kSoundDeviceErrorPriority = 3;

class CMulSound;

class CTarnSounds;
class CSoundBuffer;

// One playing sound.
class CTarnSoundPlay {
public:
    // Status bits of GetStatus.
    static constexpr std::uint32_t kStatusPlaying = 0x1;
    static constexpr std::uint32_t kStatusLooping = 0x4;

    // Loads the sound and fills a buffer with its samples (two channels, 16 bits, 11025 Hz).
    // A sound without samples gets no buffer. Raises CTarnError (priority 3) when the device
    // refuses the buffer.
    CTarnSoundPlay(CTarnSounds& output, std::uint16_t soundId);
    // The same with the samples of a sound block (loaded on demand).
    CTarnSoundPlay(CTarnSounds& output, CMulSound& sound);
    // Stops the sound and releases its buffer.
    ~CTarnSoundPlay();
    CTarnSoundPlay(const CTarnSoundPlay&) = delete;
    CTarnSoundPlay& operator=(const CTarnSoundPlay&) = delete;

    // Starts the sound at pt with the attenuation byte (0 loudest, 255 silent), once or
    // looping. False without a buffer, out of range of the listener, or when the device fails.
    bool Play(const CMapPoint& pt, std::uint8_t volume, bool once);
    // Sets the volume from the distance to the listener; false when out of range (over 18).
    // A sound at an invalid point keeps its volume.
    bool UpdateVolume();
    // kStatusPlaying / kStatusLooping bits; 0 without a buffer.
    std::uint32_t GetStatus();
    void Stop();

    // The volume last set, in hundredths of a decibel (0 before any).
    std::int32_t GetVolume() const;
    // The OpenAL source of the sound (0 without a buffer).
    unsigned GetSource() const;

    CMapPoint m_pt;
    std::uint8_t m_bVolume = 0;
    std::unique_ptr<CSoundBuffer> m_pBuffer;

private:
    void MakeBuffer(CMulSound& sound);

    CTarnSounds& m_Output;
};

// The sound output: one device and context, the listener and the sounds playing.
class CTarnSounds {
public:
    // Beyond this distance from the listener sounds are not played.
    static constexpr int kMaxDistance = 18;

    CTarnSounds() = default;
    // Stops and releases every sound, then the device.
    ~CTarnSounds();
    CTarnSounds(const CTarnSounds&) = delete;
    CTarnSounds& operator=(const CTarnSounds&) = delete;

    bool IsInit() const { return m_pDS != nullptr; }
    // Opens the default device and makes its context current; window is the platform window
    // the output belongs to (unused here). Raises CTarnError priority 3
    // "CTarnSounds.DirectSoundCreate FAIL" or "CTarnSounds.SetCooperativeLevel FAIL".
    void Init(void* window, const CMapPoint& listener);
    // Starts a sound (ids 0 and 65535 stop every sound instead), dropping finished ones first.
    // Does nothing while not initialised.
    void PlaySound(std::uint16_t id, const CMapPoint& pt, std::uint8_t volume, bool once);
    // Starts the sound of a block (one whose data no file holds yet, for instance).
    void PlaySound(CMulSound& sound, const CMapPoint& pt, std::uint8_t volume, bool once);
    // Moves the listener and drops sounds that finished or are now out of range.
    void SetListener(const CMapPoint& pt);
    void StopAll();
    // The name of the open device ("" while not initialised).
    std::string GetDeviceName() const;

    ALCdevice* m_pDS = nullptr;
    ALCcontext* m_pContext = nullptr;
    CQObArray<CTarnSoundPlay*> m_Playing;
    CMapPoint m_ptListener;

private:
    void Release();
};

// The process-wide sound output (constructed on first use, stopped at exit).
CTarnSounds& TheSounds();

}  // namespace tessaly
