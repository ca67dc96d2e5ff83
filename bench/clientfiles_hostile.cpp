// Work that a hostile file must not make larger than an honest one: loading and sorting a
// 1,000,000-record patch table whose records stand in ascending, random and adversarial order
// (the order that drives a middle-pivot partition sort quadratic), and listing the gumps of a
// container whose compressed entries claim 1,032 times their size against an honest one, and
// loading every item of an "art.mul" whose index records all span the whole file against
// honest records. Each is printed as a ratio to its honest counterpart.

#include "AnimType.h"
#include "ArtTypes.h"
#include "ClientFiles.h"
#include "ClientWriter.h"
#include "ImageEncoders.h"
#include "RatioReporter.h"
#include "SampleClient.h"
#include "UopFile.h"
#include "VerDataTable.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace tessaly;

constexpr std::uint32_t kPatchRecords = 1000000;
constexpr std::uint32_t kGumps = 500;
constexpr std::size_t kGumpBytes = 20000;
constexpr std::uint32_t kItems = 2000;
constexpr std::uint32_t kAnimBlocks = 300;

const std::filesystem::path& Dir() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / "tessaly-bench-hostile";
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// A patch file of deletions whose keys are 0 to count - 1 in the given order.
std::filesystem::path PatchFile(const char* name, const std::vector<std::uint32_t>& keys) {
    const std::filesystem::path path = Dir() / name;
    if (!std::filesystem::exists(path)) {
        ByteWriter w;
        w.zeros(4);
        w.patch32(0, static_cast<std::uint32_t>(keys.size()));
        for (std::uint32_t key : keys) {
            CUOVersionBlock{key >> 26, key & 0x3FFFFFF, 0, 0, 0, 0}.Write(w);
        }
        WriteBytes(path, w.take());
    }
    return path;
}

std::filesystem::path PatchOrder(int order) {
    std::vector<std::uint32_t> keys(kPatchRecords);
    std::iota(keys.begin(), keys.end(), 0u);
    switch (order) {
        case 0:
            return PatchFile("ascending.mul", keys);
        case 1:
            std::shuffle(keys.begin(), keys.end(), std::mt19937(7));
            return PatchFile("random.mul", keys);
        default:
            return PatchFile("adversarial.mul", mk::AntiSortOrder(kPatchRecords));
    }
}

void BM_PatchLoadSort(benchmark::State& state) {
    CQFile file;
    file.Open(PatchOrder(static_cast<int>(state.range(0))).c_str(), CQFile::shareDenyWrite);
    CVerDataTable table;
    for (auto _ : state) {
        table.RemoveAll();
        table.Load(file);
        benchmark::DoNotOptimize(table.GetData());
    }
    state.counters["records"] = table.GetCount();
}

// A gump container of kGumps compressed entries of kGumpBytes hardly compressible bytes each,
// honest or with every entry claiming 1,032 times its compressed size.
const std::filesystem::path& Gumps(bool lying) {
    static const std::filesystem::path dirs[2] = {Dir() / "honest", Dir() / "lying"};
    const std::filesystem::path& dir = dirs[lying ? 1 : 0];
    if (!std::filesystem::exists(dir)) {
        std::filesystem::create_directories(dir);
        std::mt19937 random(3);
        std::vector<UopSourceEntry> entries(kGumps);
        for (std::uint32_t n = 0; n < kGumps; ++n) {
            entries[n].number = n;
            entries[n].compress = true;
            entries[n].bytes.resize(kGumpBytes);
            for (std::uint8_t& b : entries[n].bytes) {
                b = static_cast<std::uint8_t>(random() % 16);
            }
        }
        const UopKind& kind = *FindUopKind(kSlotGumpArt);
        WriteBytes(dir / kind.fileName, WriteUopContainer(kind, entries));
        if (lying) {
            mk::MakeHostile(dir, "lying-container");
        }
    }
    return dir;
}

// What the gump list reads of every entry: its index record, with the size in front.
void BM_ListGumps(benchmark::State& state) {
    CVerDataTable table;
    CClientFiles files(&table);
    files.SetChosenDir(Gumps(state.range(0) != 0).string());
    std::uint32_t found = 0;
    for (auto _ : state) {
        files.CloseAll();
        found = 0;
        IndexRecord record;
        for (std::uint32_t n = 0; n < kGumps; ++n) {
            found += files.ReadIndexRecord(kSlotGumpIdx, kSlotGumpArt, n, record) ? 1 : 0;
        }
        benchmark::DoNotOptimize(found);
    }
    state.counters["entries"] = found;
}

// Writes an index and data file pair into dir (once): `skipped` empty records, then one record
// per entry that make(random) encodes, honest or, with `overlapping`, each spanning the whole data
// file, so that every entry reads as the one at offset 0.
template <typename Make>
const std::filesystem::path& IndexedFiles(const std::filesystem::path& dir, bool overlapping,
                                          const char* indexName, const char* dataName,
                                          std::uint32_t skipped, std::uint32_t count, Make make) {
    if (!std::filesystem::exists(dir)) {
        std::filesystem::create_directories(dir);
        std::mt19937 random(5);
        ByteWriter index;
        ByteWriter data;
        index.zeros(std::size_t{skipped} * IndexRecord::kSize);
        for (std::uint32_t n = 0; n < count; ++n) {
            const std::vector<std::uint8_t> bytes = make(random);
            index.u32(static_cast<std::uint32_t>(data.size()))
                .u32(static_cast<std::uint32_t>(bytes.size()))
                .u32(0);
            data.bytes(bytes);
        }
        WriteBytes(dir / indexName, index.take());
        WriteBytes(dir / dataName, data.take());
        if (overlapping) {
            mk::MakeHostile(dir, "overlapping");
        }
    }
    return dir;
}

// An "art.mul" of kItems item pictures of 44 x 80 (about 7 KB each, 14 MB in all).
const std::filesystem::path& Items(bool overlapping) {
    static const std::filesystem::path dirs[2] = {Dir() / "items", Dir() / "overlapping"};
    return IndexedFiles(
        dirs[overlapping ? 1 : 0], overlapping, "artidx.mul", "art.mul", kArtItemBase, kItems,
        [](std::mt19937& random) {
            Picture picture(44, 80);
            for (std::uint16_t& pixel : picture.pixels) {
                pixel = static_cast<std::uint16_t>(random() % 4 == 0 ? 0 : random() | 1);
            }
            return EncodeItem(picture);
        });
}

// An "anim.mul" of kAnimBlocks blocks of ten 60 x 80 frames of noise (some 74 KB each, 22 MB in
// all).
const std::filesystem::path& Anims(bool overlapping) {
    static const std::filesystem::path dirs[2] = {Dir() / "anims", Dir() / "overlapping-anims"};
    return IndexedFiles(
        dirs[overlapping ? 1 : 0], overlapping, "anim.idx", "anim.mul", 0, kAnimBlocks,
        [](std::mt19937& random) {
            std::array<std::uint16_t, 256> palette{};
            for (std::uint16_t& colour : palette) {
                colour = static_cast<std::uint16_t>(random() | 1);
            }
            std::vector<AnimFrameImage> frames(10);
            for (AnimFrameImage& frame : frames) {
                frame.width = 60;
                frame.height = 80;
                frame.centreX = 30;
                frame.centreY = 10;
                frame.indexes.resize(60 * 80);
                for (std::int16_t& pixel : frame.indexes) {
                    pixel = static_cast<std::int16_t>(random() % 4 == 0 ? -1 : random() % 256);
                }
            }
            return EncodeAnim(palette, frames);
        });
}

// What drawing every entry asks of the files: each block of `Block` loaded from its record.
template <typename Block>
void LoadEach(benchmark::State& state, const std::filesystem::path& dir, std::uint32_t count) {
    CClientFiles& files = TheClientFiles();
    files.SetChosenDir(dir.string());
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        files.CloseAll();
        bytes = 0;
        for (std::uint32_t n = 0; n < count; ++n) {
            Block block(n);
            bytes += block.EnsureLoaded() ? block.GetDataLength() : 0;
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_LoadItems(benchmark::State& state) {
    LoadEach<CTileItemType>(state, Items(state.range(0) != 0), kItems);
}

void BM_LoadAnims(benchmark::State& state) {
    LoadEach<CTileAnimType>(state, Anims(state.range(0) != 0), kAnimBlocks);
}

BENCHMARK(BM_PatchLoadSort)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListGumps)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadItems)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAnims)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void PrintRatio(const tessaly::bench::RatioReporter& reporter, const char* what, const char* work,
                const char* base, const char* baseName) {
    if (auto ratio = reporter.Ratio(work, base, true)) {
        std::printf("%-62s %8.2f x %s\n", what, *ratio, baseName);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    tessaly::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const char* ascending = "the same count in ascending order";
    PrintRatio(reporter, "load + sort of 1,000,000 records in random order", "BM_PatchLoadSort/1",
               "BM_PatchLoadSort/0", ascending);
    PrintRatio(reporter, "load + sort of 1,000,000 records in adversarial order",
               "BM_PatchLoadSort/2", "BM_PatchLoadSort/0", ascending);
    PrintRatio(reporter, "listing the gumps of a container whose entries lie", "BM_ListGumps/1",
               "BM_ListGumps/0", "an honest one");
    PrintRatio(reporter, "loading 2,000 items whose records all span the file", "BM_LoadItems/1",
               "BM_LoadItems/0", "honest records");
    PrintRatio(reporter, "loading 300 animation blocks whose records all span the file",
               "BM_LoadAnims/1", "BM_LoadAnims/0", "honest records");
    std::error_code ignored;
    std::filesystem::remove_all(Dir(), ignored);
    benchmark::Shutdown();
    return 0;
}
