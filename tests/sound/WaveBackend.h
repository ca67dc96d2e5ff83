#pragma once
// Points OpenAL Soft at its wave backend: every device the process opens from here on renders
// into one RIFF/WAVE file (two channels, 16 bits, 11025 Hz) that tests read back. OpenAL reads
// its configuration once, so this must run before the process's first device opens.

#include "MMFile.h"
#include "MulSound.h"
#include "TarnSounds.h"
#include "core/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace tessaly::test {

// Writes the configuration into dir and returns the path of the rendered file.
inline std::filesystem::path RenderDevicesToWaveFile(const TempDir& dir) {
    const std::filesystem::path rendered = dir.Path() / "rendered.wav";
    std::ofstream conf(dir.Path() / "alsoft.conf");
    conf << "[general]\ndrivers = wave\nfrequency = 11025\nchannels = stereo\n"
            "sample-type = int16\ndither = false\noutput-limiter = false\nhrtf = false\n"
            "[wave]\nfile = "
         << rendered.string() << "\n";
    conf.close();
    // A driver list in the environment would win over the file's.
    ::unsetenv("ALSOFT_DRIVERS");
    ::setenv("ALSOFT_CONF", dir.File("alsoft.conf").c_str(), 1);
    return rendered;
}

// The number of the output's sounds still playing.
inline int PlayingCount(CTarnSounds& output) {
    int playing = 0;
    for (CTarnSoundPlay* sound : output.m_Playing) {
        playing += (sound->GetStatus() & CTarnSoundPlay::kStatusPlaying) != 0 ? 1 : 0;
    }
    return playing;
}

// Polls until no sound of the output is playing (a hang guard, not a speed check).
inline void WaitUntilFinished(CTarnSounds& output) {
    for (int i = 0; i < 6000 && PlayingCount(output) != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(PlayingCount(output), 0) << "sounds still playing after a minute";
}

// The samples of the rendered file, which a closed device has finished (in the configured format:
// a sound's samples compare with them byte for byte).
inline std::vector<std::uint8_t> RenderedSamples(const std::filesystem::path& rendered) {
    CMMFile f;
    WaveFormat format;
    std::vector<std::uint8_t> samples;
    EXPECT_TRUE(f.Open(rendered.c_str(), kMMIORead));
    EXPECT_TRUE(ReadWave(f, format, samples));
    return samples;
}

// Where the rendered sound starts: the first frame that is not silent.
inline std::size_t FirstSound(const std::vector<std::uint8_t>& rendered) {
    std::size_t i = 0;
    while (i < rendered.size() && rendered[i] == 0) {
        ++i;
    }
    return i & ~std::size_t{3};
}

}  // namespace tessaly::test
