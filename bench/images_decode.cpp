// Decoding every picture of each kind on the full-size sample client (items, terrain, textures,
// gumps, lights, animation frames) into a surface, against a plain memcpy of the same number of
// pixel bytes. Reports pixels per second for both, their ratio per kind, and the heap
// allocations made while drawing (there should be none).

#include "AnimType.h"
#include "ArtTypes.h"
#include "ClientFiles.h"
#include "GumpType.h"
#include "LightType.h"
#include "RatioReporter.h"
#include "SampleClient.h"
#include "Surface.h"
#include "TextureType.h"
#include "VerDataTable.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

namespace {

std::atomic<std::uint64_t> g_allocations{0};

}  // namespace

// Counting replacements of the global allocation functions. They pair malloc with free
// themselves, which GCC cannot see through when it inlines them.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size != 0 ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using namespace tessaly;

// One picture kind: every picture of it loaded, how to draw picture i with its top-left corner
// at the surface's origin, and each picture's size.
struct PictureKind {
    const char* name = "";
    std::vector<std::unique_ptr<CMulImageType>> blocks;
    std::vector<std::uint32_t> frames;  // animation blocks: the frame of each picture
    std::vector<std::size_t> owner;     // the block each picture is drawn from
    std::vector<std::uint64_t> pixels;  // width x height of each picture
    std::uint64_t totalPixels = 0;
    std::uint32_t maxWidth = 1;
    std::uint32_t maxHeight = 1;
    std::int32_t x = 0;  // where pictures are drawn
    bool (*draw)(const PictureKind&, CSurfaceDCData&, std::size_t) = nullptr;

    void Add(std::size_t block, std::uint32_t width, std::uint32_t height,
             std::uint32_t frame = 0) {
        if (width == 0 || height == 0) {
            return;
        }
        owner.push_back(block);
        frames.push_back(frame);
        pixels.push_back(std::uint64_t{width} * height);
        totalPixels += pixels.back();
        maxWidth = std::max(maxWidth, width);
        maxHeight = std::max(maxHeight, height);
    }
    template <typename T>
    T& Block(std::size_t picture) const {
        return static_cast<T&>(*blocks[owner[picture]]);
    }
};

struct Client {
    std::filesystem::path dir;
    std::vector<PictureKind> kinds;
};

std::filesystem::path g_dir;  // the client's folder

// The number of records of an index file of the client.
std::uint32_t EntryCount(std::int32_t indexSlot) {
    std::error_code error;
    const auto size =
        std::filesystem::file_size(g_dir / CClientFiles::GetFileName(indexSlot), error);
    return error ? 0 : static_cast<std::uint32_t>(size / IndexRecord::kSize);
}

template <typename T>
T* Loaded(PictureKind& kind, std::uint32_t entry) {
    auto block = std::make_unique<T>(entry);
    if (!block->EnsureLoaded()) {
        return nullptr;
    }
    kind.blocks.push_back(std::move(block));
    return static_cast<T*>(kind.blocks.back().get());
}

// One picture per block of type T, entries 0 to count - 1, each `size`d and drawn with its
// top-left corner at (x, 0).
template <typename T, typename Size>
PictureKind OnePerBlock(const char* name, std::uint32_t count, Size size, std::int32_t x = 0) {
    PictureKind kind;
    kind.name = name;
    for (std::uint32_t id = 0; id < count; ++id) {
        if (T* block = Loaded<T>(kind, id)) {
            const auto [width, height] = size(*block);
            kind.Add(kind.blocks.size() - 1, width, height);
        }
    }
    kind.x = x;
    kind.draw = [](const PictureKind& k, CSurfaceDCData& dc, std::size_t i) {
        return k.Block<T>(i).Draw(dc, k.x, 0);
    };
    return kind;
}

template <typename T>
std::pair<std::uint32_t, std::uint32_t> OwnSize(T& block) {
    return {block.GetWidth(), block.GetHeight()};
}

PictureKind Items() {
    return OnePerBlock<CTileItemType>("items", 0x4000, OwnSize<CTileItemType>);
}

PictureKind Terrain() {
    // The diamond's 1,012 pixels, drawn in a 44 x 44 box.
    return OnePerBlock<CTileTerrainType>(
        "terrain", kArtItemBase,
        [](CTileTerrainType&) { return std::pair<std::uint32_t, std::uint32_t>(44, 23); }, 22);
}

PictureKind Textures() {
    return OnePerBlock<CTileTextureType>(
        "textures", EntryCount(kSlotTexIdx),
        [](CTileTextureType& t) { return std::pair(t.GetEdge(), t.GetEdge()); });
}

PictureKind Gumps() {
    return OnePerBlock<CTileGumpType>("gumps", EntryCount(kSlotGumpIdx), OwnSize<CTileGumpType>);
}

PictureKind Lights() {
    return OnePerBlock<CTileLightType>("lights", EntryCount(kSlotLightIdx),
                                       OwnSize<CTileLightType>);
}

// Every frame of every animation block, for an unmirrored direction.
PictureKind AnimFrames() {
    PictureKind kind;
    kind.name = "animation frames";
    for (std::uint32_t entry = 0; entry < EntryCount(kSlotAnimIdx); ++entry) {
        auto* anim = Loaded<CTileAnimType>(kind, entry);
        if (anim == nullptr) {
            continue;
        }
        for (std::uint32_t f = 0; f < anim->GetFrameCount(); ++f) {
            if (auto frame = anim->GetFrame(f)) {
                kind.Add(kind.blocks.size() - 1, frame->m_nWidth, frame->m_nHeight, f);
            }
        }
    }
    // The frame's foot point sits at (x, y + 22); a surface twice the largest frame holds it.
    kind.draw = [](const PictureKind& k, CSurfaceDCData& dc, std::size_t i) {
        return k.Block<CTileAnimType>(i).Draw(dc, static_cast<std::int32_t>(k.maxWidth),
                                              static_cast<std::int32_t>(k.maxHeight), 0,
                                              k.frames[i], 4);
    };
    return kind;
}

// The full-size client is written once, and every block loaded before any timing.
Client& TheClient() {
    static Client* client = [] {
        auto* c = new Client;
        std::random_device random;
        c->dir = std::filesystem::temp_directory_path() /
                 ("tessaly-bench-images-" + std::to_string(random()));
        mk::WriteSampleClient(c->dir, true);
        g_dir = c->dir;
        TheClientFiles().SetChosenDir(c->dir.string());
        if (TheClientFiles().OpenSlot(kSlotVerData)) {
            TheVerDataTable().Load(TheClientFiles().GetFile(kSlotVerData));
        }
        c->kinds.reserve(6);
        for (auto make : {Items, Terrain, Textures, Gumps, Lights, AnimFrames}) {
            c->kinds.push_back(make());
        }
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(TheClient().dir, ignored);
        });
        return c;
    }();
    return *client;
}

void BM_Decode(benchmark::State& state, std::size_t k) {
    PictureKind& kind = TheClient().kinds[k];
    SurfaceBuffer buffer;
    buffer.CreateBuffer(2 * kind.maxWidth + 64, 2 * kind.maxHeight + 64, 4);
    std::uint64_t allocations = 0;
    for (auto _ : state) {
        const std::uint64_t before = g_allocations.load();
        for (std::size_t i = 0; i < kind.owner.size(); ++i) {
            CSurfaceDC dc(buffer);
            benchmark::DoNotOptimize(kind.draw(kind, dc, i));
        }
        allocations += g_allocations.load() - before;
        benchmark::ClobberMemory();
    }
    state.counters["pictures"] = static_cast<double>(kind.owner.size());
    state.counters["pixels/s"] = benchmark::Counter(
        static_cast<double>(kind.totalPixels) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
    state.counters["allocations"] = static_cast<double>(allocations);
}

// The floor: copying each picture's pixel words, one memcpy per picture.
void BM_Memcpy(benchmark::State& state, std::size_t k) {
    PictureKind& kind = TheClient().kinds[k];
    const std::size_t largest = std::size_t{kind.maxWidth} * kind.maxHeight * 2;
    std::vector<std::uint8_t> source(largest, 0x5A);
    std::vector<std::uint8_t> destination(largest);
    for (auto _ : state) {
        for (std::uint64_t pixels : kind.pixels) {
            std::memcpy(destination.data(), source.data(), pixels * 2);
        }
        benchmark::ClobberMemory();
    }
    state.counters["pixels/s"] = benchmark::Counter(
        static_cast<double>(kind.totalPixels) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Client& client = TheClient();
    for (std::size_t k = 0; k < client.kinds.size(); ++k) {
        const std::string name = client.kinds[k].name;
        benchmark::RegisterBenchmark(("decode " + name).c_str(), BM_Decode, k)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("memcpy " + name).c_str(), BM_Memcpy, k)
            ->Unit(benchmark::kMillisecond);
    }
    tessaly::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const PictureKind& kind : client.kinds) {
        const std::string name = kind.name;
        if (auto ratio = reporter.Ratio("decode " + name, "memcpy " + name, false)) {
            std::printf("%-18s %6zu pictures %10llu pixels: decoding takes %6.2f x a memcpy\n",
                        kind.name, kind.owner.size(),
                        static_cast<unsigned long long>(kind.totalPixels), *ratio);
        }
    }
    benchmark::Shutdown();
    return 0;
}
