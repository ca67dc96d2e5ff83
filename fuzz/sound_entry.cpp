// Sound entries read through the file set: the input is an index record (12 bytes) followed
// by the whole "sound.mul". The entry is loaded, named, drawn as a waveform, exported as a wave
// into memory and read back; the wave must give the same samples.

#include "ClientFiles.h"
#include "MMFile.h"
#include "MulSound.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace tessaly;

namespace {

// A directory for the two files, removed when the fuzzer exits.
struct FuzzDirectory {
    FuzzDirectory() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tessaly-fuzz-sound-XXXXXX").string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        const char* made = ::mkdtemp(name.data());
        if (made == nullptr) {
            std::abort();
        }
        path = made;
    }
    ~FuzzDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

const std::filesystem::path& FuzzDir() {
    static const FuzzDirectory dir;
    return dir.path;
}

void WriteBytes(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < IndexRecord::kSize) {
        return 0;
    }
    CClientFiles& files = TheClientFiles();
    files.CloseAll();
    files.SetChosenDir(FuzzDir().string());
    WriteBytes(FuzzDir() / "soundidx.mul", data, IndexRecord::kSize);
    WriteBytes(FuzzDir() / "sound.mul", data + IndexRecord::kSize, size - IndexRecord::kSize);

    CMulSound sound(0);
    try {
        if (sound.GetData() == nullptr) {
            return 0;
        }
    } catch (...) {
        return 0;  // an entry that does not fit its file raises the read error
    }
    if (sound.GetBytes().size() > size) {
        std::abort();
    }
    (void)CMulSound::ReadName(sound.GetBytes());
    ByteSpan samples = sound.GetSamples();
    // The sound page's waveform: one peak per column, each within the 16-bit range it spans.
    for (const std::size_t columns : {std::size_t{1}, std::size_t{7}, std::size_t{640}}) {
        const std::vector<SamplePeak> peaks = SamplePeaks(samples, columns, 16);
        if ((samples.size() >= 2 && peaks.size() != columns) ||
            (samples.size() < 2 && !peaks.empty())) {
            std::abort();
        }
        for (const SamplePeak& peak : peaks) {
            if (peak.nLow > peak.nHigh) {
                std::abort();
            }
        }
    }
    std::uint32_t n = static_cast<std::uint32_t>(samples.size());
    std::vector<std::uint8_t> wave(std::size_t{n} + 47);
    MMOpenInfo info;
    info.fccIOProc = kFourCCMem;
    info.pchBuffer = wave.data();
    info.cchBuffer = static_cast<std::uint32_t>(wave.size());
    CMMFile out;
    if (!out.Open(nullptr, kMMIOCreate | kMMIOWrite, &info) || !WriteWave(out, sound, n) ||
        out.GetPosition() != 44u + n + (n & 1u)) {
        std::abort();
    }
    // Asking for more samples than the entry holds must fail.
    CMMFile refused;
    if (refused.Open(nullptr, kMMIOCreate | kMMIOWrite, &info) &&
        WriteWave(refused, sound, n + 1)) {
        std::abort();
    }
    CMMFile in;
    WaveFormat format;
    std::vector<std::uint8_t> back;
    if (!in.Open(nullptr, kMMIORead, &info) || !ReadWave(in, format, back) ||
        !std::equal(back.begin(), back.end(), samples.begin(), samples.end())) {
        std::abort();
    }
    return 0;
}
