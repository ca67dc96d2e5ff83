// Loading and sorting a 200,000-record patch table and looking every record up in it, reading
// every record of a 65,536-entry index file through ReadIndexRecord, and building the entry
// index of the full-size newer client's art container from its tables. Each is printed as a
// ratio to one bulk read of the same bytes, so the numbers say what the structure costs beyond
// the bytes themselves; the sort also against std::sort of the same records.

#include "ClientFiles.h"
#include "RatioReporter.h"
#include "SampleClient.h"
#include "UopFile.h"
#include "VerDataTable.h"

#include <benchmark/benchmark.h>

#include <algorithm>
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

// The patch file's records loaded into a table, and the same records shuffled.
struct Shuffled {
    CVerDataTable table;
    std::vector<CUOVersionBlock> records;
    Shuffled() {
        CQFile file;
        file.Open((Dir() / "verdata.mul").c_str(), CQFile::shareDenyWrite);
        table.Load(file);
        records.assign(table.GetData(), table.GetData() + table.GetCount());
        std::shuffle(records.begin(), records.end(), std::mt19937(7));
    }
};

// The floor of the sort: std::sort of the same records by the same key.
void BM_PatchStdSort(benchmark::State& state) {
    Shuffled shuffled;
    const std::vector<CUOVersionBlock>& loaded = shuffled.records;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<CUOVersionBlock> records = loaded;
        state.ResumeTiming();
        std::sort(records.begin(), records.end(),
                  [](const CUOVersionBlock& a, const CUOVersionBlock& b) {
                      return a.GetKey() < b.GetKey();
                  });
        benchmark::DoNotOptimize(records.data());
    }
}

// The table's own sort over the same shuffled records.
void BM_PatchQuickSort(benchmark::State& state) {
    Shuffled shuffled;
    CVerDataTable& table = shuffled.table;
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(shuffled.records.begin(), shuffled.records.end(), table.GetData());
        state.ResumeTiming();
        table.QuickSort(0, table.GetCount() - 1);
        benchmark::DoNotOptimize(table.GetData());
    }
}

// FindRecord for every record of the table.
void BM_PatchLookupEveryRecord(benchmark::State& state) {
    Shuffled shuffled;
    const CVerDataTable& table = shuffled.table;
    for (auto _ : state) {
        std::uint32_t found = 0;
        IndexRecord record;
        for (std::int32_t i = 0; i < table.GetCount(); ++i) {
            const CUOVersionBlock& r = table.GetData()[i];
            found += table.FindRecord(r.m_dwFileId, r.m_dwBlock, record) ? 1 : 0;
        }
        benchmark::DoNotOptimize(found);
    }
}

// The art container of the full-size newer client, and the bytes of its header and tables.
const std::filesystem::path& Container() {
    static const std::filesystem::path path = [] {
        mk::WriteModernClient(Dir() / "newer", mk::ModernForm::Containers, true);
        return Dir() / "newer" / FindUopKind(kSlotArt)->fileName;
    }();
    return path;
}

void BM_ContainerTablesBulkRead(benchmark::State& state) {
    CQFile file;
    file.Open(Container().c_str(), CQFile::shareDenyWrite);
    // The tables lie spread through the file: read each one's span in one go.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> spans;
    std::uint8_t header[kUopHeaderSize] = {};
    file.Read(header, kUopHeaderSize);
    std::uint64_t next = LoadLE32(header + 12) | (std::uint64_t{LoadLE32(header + 16)} << 32);
    while (next != 0 && spans.size() < 100000) {
        std::uint8_t table[kUopTableHeaderSize] = {};
        file.Seek(static_cast<std::int64_t>(next), CQFile::begin);
        file.Read(table, kUopTableHeaderSize);
        const std::uint32_t count = LoadLE32(table);
        spans.emplace_back(next,
                           static_cast<std::uint32_t>(kUopTableHeaderSize + count * kUopEntrySize));
        next = LoadLE32(table + 4) | (std::uint64_t{LoadLE32(table + 8)} << 32);
    }
    std::vector<std::uint8_t> bytes(1 << 20);
    std::size_t total = 0;
    for (auto _ : state) {
        total = 0;
        for (const auto& [at, length] : spans) {
            if (bytes.size() < length) {
                bytes.resize(length);
            }
            file.Seek(static_cast<std::int64_t>(at), CQFile::begin);
            total += file.Read(bytes.data(), length);
        }
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["tables"] = static_cast<double>(spans.size());
    state.counters["bytes"] = static_cast<double>(total);
}

void BM_ContainerIndexBuild(benchmark::State& state) {
    CQFile file;
    file.Open(Container().c_str(), CQFile::shareDenyWrite);
    std::size_t entries = 0;
    for (auto _ : state) {
        CUopTable table;
        table.Read(file);
        entries = table.Entries().size();
        benchmark::DoNotOptimize(entries);
    }
    state.counters["entries"] = static_cast<double>(entries);
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
BENCHMARK(BM_PatchStdSort)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PatchQuickSort)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PatchLookupEveryRecord)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ContainerTablesBulkRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ContainerIndexBuild)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IndexBulkRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IndexReadEveryRecord)->Unit(benchmark::kMicrosecond);

void PrintRatio(const tessaly::bench::RatioReporter& reporter, const char* what, const char* work,
                const char* base, const char* baseName = "bulk read") {
    if (auto ratio = reporter.Ratio(work, base, true)) {
        std::printf("%-62s %8.1f x %s\n", what, *ratio, baseName);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    tessaly::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatio(reporter, "load + sort of a 200,000-record patch table", "BM_PatchLoadAndSort",
               "BM_PatchBulkRead");
    PrintRatio(reporter, "the table's sort of 200,000 shuffled records", "BM_PatchQuickSort",
               "BM_PatchStdSort", "std::sort");
    PrintRatio(reporter, "FindRecord for each of the 200,000 records", "BM_PatchLookupEveryRecord",
               "BM_PatchBulkRead");
    PrintRatio(reporter, "entry index of the newer client's art container",
               "BM_ContainerIndexBuild", "BM_ContainerTablesBulkRead", "bulk read of its tables");
    PrintRatio(reporter, "ReadIndexRecord over all 65,536 entries of an index file",
               "BM_IndexReadEveryRecord", "BM_IndexBulkRead");
    std::error_code ignored;
    std::filesystem::remove_all(Dir(), ignored);
    benchmark::Shutdown();
    return 0;
}
