// Sounds of the full-size sample client: loading every entry through the file set, writing
// each as a RIFF/WAVE file into memory and reading it back, against a plain memcpy of the same
// sample bytes. Reports bytes per second.

#include "ClientFiles.h"
#include "MMFile.h"
#include "MulSound.h"
#include "SampleClient.h"
#include "VerDataTable.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

using namespace tessaly;

struct SoundSet {
    std::filesystem::path dir;
    std::vector<std::unique_ptr<CMulSound>> sounds;
    std::uint64_t sampleBytes = 0;
    std::size_t largest = 0;
};

// The full-size client is written once and every sound loaded before any timing.
SoundSet& Sounds() {
    static SoundSet set = [] {
        SoundSet s;
        s.dir = std::filesystem::temp_directory_path() / "tessaly-bench-sound";
        mk::WriteSampleClient(s.dir, true);
        CClientFiles& files = TheClientFiles();
        files.CloseAll();
        files.SetChosenDir(s.dir.string());
        for (std::uint32_t id = 1; id < 0x300; ++id) {
            auto sound = std::make_unique<CMulSound>(static_cast<std::uint16_t>(id));
            if (sound->GetData() != nullptr) {
                s.sampleBytes += sound->GetSamples().size();
                s.largest = std::max(s.largest, sound->GetSamples().size());
                s.sounds.push_back(std::move(sound));
            }
        }
        return s;
    }();
    return set;
}

void LoadEverySound(benchmark::State& state) {
    SoundSet& set = Sounds();
    for (auto _ : state) {
        TheClientFiles().CloseAll();
        for (const auto& s : set.sounds) {
            CMulSound sound(static_cast<std::uint16_t>(s->GetEntry()));
            benchmark::DoNotOptimize(sound.GetData());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * set.sampleBytes));
}

void WriteEveryWave(benchmark::State& state) {
    SoundSet& set = Sounds();
    std::vector<std::uint8_t> buffer(set.largest + 47);
    MMOpenInfo info;
    info.fccIOProc = kFourCCMem;
    info.pchBuffer = buffer.data();
    info.cchBuffer = static_cast<std::uint32_t>(buffer.size());
    for (auto _ : state) {
        for (const auto& s : set.sounds) {
            CMMFile f;
            f.Open(nullptr, kMMIOCreate | kMMIOWrite, &info);
            benchmark::DoNotOptimize(
                WriteWave(f, *s, static_cast<std::uint32_t>(s->GetSamples().size())));
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * set.sampleBytes));
}

void ReadEveryWave(benchmark::State& state) {
    SoundSet& set = Sounds();
    std::vector<std::vector<std::uint8_t>> waves;
    for (const auto& s : set.sounds) {
        std::uint32_t n = static_cast<std::uint32_t>(s->GetSamples().size());
        std::vector<std::uint8_t> wave(n + 47);
        MMOpenInfo info{kFourCCMem, wave.data(), static_cast<std::uint32_t>(wave.size())};
        CMMFile f;
        f.Open(nullptr, kMMIOCreate | kMMIOWrite, &info);
        WriteWave(f, *s, n);
        wave.resize(f.GetPosition());
        waves.push_back(std::move(wave));
    }
    std::vector<std::uint8_t> samples;
    for (auto _ : state) {
        for (auto& wave : waves) {
            MMOpenInfo info{kFourCCMem, wave.data(), static_cast<std::uint32_t>(wave.size())};
            CMMFile f;
            f.Open(nullptr, kMMIORead, &info);
            WaveFormat format;
            benchmark::DoNotOptimize(ReadWave(f, format, samples));
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * set.sampleBytes));
}

// The floor: copying the same sample bytes once.
void CopySamples(benchmark::State& state) {
    SoundSet& set = Sounds();
    std::vector<std::uint8_t> buffer(set.largest);
    for (auto _ : state) {
        for (const auto& s : set.sounds) {
            ByteSpan samples = s->GetSamples();
            std::memcpy(buffer.data(), samples.data(), samples.size());
            benchmark::ClobberMemory();
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * set.sampleBytes));
}

BENCHMARK(LoadEverySound)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteEveryWave)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadEveryWave)->Unit(benchmark::kMillisecond);
BENCHMARK(CopySamples)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
