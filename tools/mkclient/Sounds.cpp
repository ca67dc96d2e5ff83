// Sample sounds: "soundidx.mul" / "sound.mul" with named entries of varied lengths and one
// patch record that replaces a sound.
//
// Entry 0 and entry 6 are absent; entry 5 holds a name and no samples; entry 4 is exactly
// one second (32 + 44100 bytes); entry 7 has an odd sample byte count; entry 10's name fills
// all 32 bytes; entries 12 and 13 sit either side of a tenth of a second (1101 and 1102
// frames); entry 11 is replaced by a patch record with other samples and another name.

#include "MulSound.h"
#include "SampleClient.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tessaly::mk {
namespace {

constexpr std::uint32_t kSoundSlots = 0x300;
constexpr std::uint32_t kRate = 11025;
constexpr std::uint32_t kSoundFile = 8;

// One generated sound: a name and interleaved two-channel 16-bit samples.
class SoundBuilder {
public:
    explicit SoundBuilder(std::string name) : m_sName(std::move(name)) {}

    // Appends frames whose value the function gives for frame i (same on both channels, the
    // right one slightly quieter so the channels differ).
    template <typename F>
    SoundBuilder& Frames(std::uint32_t count, F&& value) {
        for (std::uint32_t i = 0; i < count; ++i) {
            double v = std::clamp(value(i), -1.0, 1.0);
            m_out.i16(static_cast<std::int16_t>(std::lround(v * 30000.0)));
            m_out.i16(static_cast<std::int16_t>(std::lround(v * 24000.0)));
        }
        return *this;
    }
    SoundBuilder& Tone(double seconds, double hz) {
        std::uint32_t n = FramesOf(seconds);
        return Frames(
            n, [=](std::uint32_t i) { return Envelope(i, n) * Sine(hz * i / kRate + 0.25); });
    }
    // A linear sweep from hz0 to hz1.
    SoundBuilder& Sweep(double seconds, double hz0, double hz1) {
        std::uint32_t n = FramesOf(seconds);
        return Frames(n, [=](std::uint32_t i) {
            double t = static_cast<double>(i) / kRate;
            double phase = hz0 * t + (hz1 - hz0) * t * t / (2.0 * seconds);
            return Envelope(i, n) * Sine(phase + 0.25);
        });
    }
    // White noise with a falling envelope.
    SoundBuilder& Noise(double seconds, const std::string& stream) {
        auto random = SampleClient::Random(stream);
        std::uniform_real_distribution<double> dist(-1.0, 1.0);
        std::uint32_t n = FramesOf(seconds);
        return Frames(
            n, [&](std::uint32_t i) { return dist(random) * (1.0 - static_cast<double>(i) / n); });
    }
    // Appends raw bytes (used for an odd byte count).
    SoundBuilder& Byte(std::uint8_t b) {
        m_out.u8(b);
        return *this;
    }
    std::vector<std::uint8_t> Take() { return MakeSoundEntry(m_sName, m_out.data()); }

private:
    static std::uint32_t FramesOf(double seconds) {
        return static_cast<std::uint32_t>(std::lround(seconds * kRate));
    }
    static double Sine(double cycles) { return std::sin(2.0 * std::numbers::pi * cycles); }
    // Short fades at both ends so the tones do not click. Tones and sweeps start a quarter
    // cycle in (at their peak), so the first frame is never zero and a rendered sound can be
    // found in a device's output.
    static double Envelope(std::uint32_t i, std::uint32_t n) {
        double fade = 64.0;
        double a = std::min({1.0, (i + 1) / fade, (n - i) / fade});
        return 0.2 + 0.8 * a;
    }

    std::string m_sName;
    ByteWriter m_out;  // the samples
};

void WriteSounds(SampleClient& client) {
    IndexedFileBuilder sounds(kSoundSlots);
    sounds.Add(1, SoundBuilder("tone_440.wav").Tone(0.25, 440.0).Take());
    sounds.Add(2, SoundBuilder("sweep_up.wav").Sweep(0.5, 200.0, 2000.0).Take());
    sounds.Add(3, SoundBuilder("noise_burst.wav").Noise(0.15, "sound.noise").Take());
    sounds.Add(4, SoundBuilder("one_second.wav").Tone(1.0, 330.0).Take());
    sounds.Add(5, SoundBuilder("empty.wav").Take());
    sounds.Add(7, SoundBuilder("odd_length.wav").Tone(0.1, 660.0).Byte(0x7F).Take());
    sounds.Add(8, SoundBuilder("chime.wav").Tone(0.2, 880.0).Tone(0.3, 660.0).Take());
    sounds.Add(9, SoundBuilder("sweep_down.wav").Sweep(0.4, 1800.0, 150.0).Take());
    sounds.Add(10, SoundBuilder("a_sound_name_of_thirty_two_chars").Tone(0.05, 550.0).Take());
    sounds.Add(11, SoundBuilder("door_open.wav").Sweep(0.3, 300.0, 500.0).Take());
    sounds.Add(
        12, SoundBuilder("frames_1101.wav").Frames(1101, [](std::uint32_t) { return 0.5; }).Take());
    sounds.Add(
        13,
        SoundBuilder("frames_1102.wav").Frames(1102, [](std::uint32_t) { return -0.5; }).Take());
    // The full-size set fills most slots with tones, sweeps and bursts of growing length.
    std::uint32_t last = client.FullSize() ? kSoundSlots : 40;
    for (std::uint32_t id = 20; id < last; ++id) {
        std::string name = "generated_" + std::to_string(id) + ".wav";
        double seconds = 0.05 + 0.01 * static_cast<double>(id % 97);
        SoundBuilder b(name);
        switch (id % 3) {
            case 0:
                b.Tone(seconds, 200.0 + 10.0 * id);
                break;
            case 1:
                b.Sweep(seconds, 100.0 + id, 1500.0);
                break;
            default:
                b.Noise(seconds, "sound.generated." + std::to_string(id));
                break;
        }
        sounds.Add(id, b.Take());
    }
    sounds.Write(client, "soundidx.mul", "sound.mul");

    SamplePatch patch;
    patch.fileId = kSoundFile;
    patch.block = 11;
    patch.data = SoundBuilder("door_open_patched.wav").Tone(0.2, 523.25).Take();
    client.AddPatch(std::move(patch));
}

GeneratorRegistrar reg(20, "sound", WriteSounds);

}  // namespace
}  // namespace tessaly::mk
