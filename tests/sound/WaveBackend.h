#pragma once
// Points OpenAL Soft at its wave backend: every device the process opens from here on renders
// into one RIFF/WAVE file (two channels, 16 bits, 11025 Hz) that tests read back. OpenAL reads
// its configuration once, so this must run before the process's first device opens.

#include "core/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

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

}  // namespace tessaly::test
