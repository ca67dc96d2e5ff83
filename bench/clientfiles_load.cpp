// Loading and sorting a 200,000-record patch table, and reading every record of a 65,536-entry
// index file through ReadIndexRecord. Each is printed as a ratio to one bulk read of the same
// file, so the numbers say what the structure costs beyond the bytes themselves.

#include "ClientFiles.h"
#include "RatioReporter.h"
#include "VerDataTable.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace tessaly;

constexpr std::uint32_t kPatchRecords = 200000;
constexpr std::uint32_t kIndexEntries = 65536;

const std::filesystem::path& Dir() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / "tessaly-bench-clientfiles";
        std::filesystem::create_directories(d);
        std::mt19937 random(42);
        ByteWriter patch;
        patch.zeros(4);
        patch.patch32(0, kPatchRecords);
        for (std::uint32_t i = 0; i < kPatchRecords; ++i) {
            CUOVersionBlock{static_cast<std::uint32_t>(random() % 33u),
                            static_cast<std::uint32_t>(random() % 400000u),
                            i,
                            16,
                            0,
                            0}
                .Write(patch);
        }
        std::ofstream(d / "verdata.mul", std::ios::binary)
            .write(reinterpret_cast<const char*>(patch.data().data()),
                   static_cast<std::streamsize>(patch.size()));
        ByteWriter index;
        for (std::uint32_t i = 0; i < kIndexEntries; ++i) {
            IndexRecord{i % 7 == 0 ? IndexRecord::kNoData : i * 16, 16, 0, 0}.Write(index);
        }
        std::ofstream(d / "multi.idx", std::ios::binary)
            .write(reinterpret_cast<const char*>(index.data().data()),
                   static_cast<std::streamsize>(index.size()));
        return d;
    }();
    return dir;
}

void BulkRead(benchmark::State& state, const char* name) {
    CQFile file;
    file.Open((Dir() / name).c_str(), CQFile::shareDenyWrite);
    std::vector<std::uint8_t> bytes(file.GetLength());
    for (auto _ : state) {
        file.SeekToBegin();
        benchmark::DoNotOptimize(file.Read(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
    }
}

void BM_PatchBulkRead(benchmark::State& state) {
    BulkRead(state, "verdata.mul");
}

void BM_PatchLoadAndSort(benchmark::State& state) {
    CQFile file;
    file.Open((Dir() / "verdata.mul").c_str(), CQFile::shareDenyWrite);
    CVerDataTable table;
    for (auto _ : state) {
        table.RemoveAll();
        table.Load(file);
        benchmark::DoNotOptimize(table.GetData());
    }
}

void BM_IndexBulkRead(benchmark::State& state) {
    BulkRead(state, "multi.idx");
}

void BM_IndexReadEveryRecord(benchmark::State& state) {
    CVerDataTable table;
    CClientFiles files(&table);
    files.SetChosenDir(Dir().string());
    for (auto _ : state) {
        IndexRecord record;
        std::uint32_t found = 0;
        for (std::uint32_t entry = 0; entry < kIndexEntries; ++entry) {
            found += files.ReadIndexRecord(kSlotMultiIdx, kSlotMulti, entry, record) ? 1 : 0;
        }
        benchmark::DoNotOptimize(found);
    }
}

BENCHMARK(BM_PatchBulkRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PatchLoadAndSort)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IndexBulkRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IndexReadEveryRecord)->Unit(benchmark::kMicrosecond);

void PrintRatio(const tessaly::bench::RatioReporter& reporter, const char* what, const char* work,
                const char* bulk) {
    if (auto ratio = reporter.Ratio(work, bulk, true)) {
        std::printf("%-58s %8.1f x bulk read\n", what, *ratio);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    tessaly::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatio(reporter, "load + sort of a 200,000-record patch table", "BM_PatchLoadAndSort",
               "BM_PatchBulkRead");
    PrintRatio(reporter, "ReadIndexRecord over all 65,536 entries of an index file",
               "BM_IndexReadEveryRecord", "BM_IndexBulkRead");
    std::error_code ignored;
    std::filesystem::remove_all(Dir(), ignored);
    benchmark::Shutdown();
    return 0;
}
