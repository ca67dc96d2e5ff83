// Decoding every item picture of the full-size sample client into a surface, against a plain
// memcpy of the same number of pixel bytes. Reports pixels per second for both, their ratio,
// and the heap allocations made while drawing (there should be none).

#include "ArtTypes.h"
#include "ClientFiles.h"
#include "RatioReporter.h"
#include "SampleClient.h"
#include "Surface.h"
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

struct ItemSet {
    std::vector<std::unique_ptr<CTileItemType>> items;
    std::uint64_t pixels = 0;
    std::uint32_t maxWidth = 0;
    std::uint32_t maxHeight = 0;
    std::filesystem::path dir;
};

// The full-size client is written once, and every item block loaded before any timing.
ItemSet& Items() {
    static ItemSet* set = [] {
        auto* s = new ItemSet;
        std::random_device random;
        s->dir = std::filesystem::temp_directory_path() /
                 ("tessaly-bench-images-" + std::to_string(random()));
        mk::WriteSampleClient(s->dir, true);
        TheClientFiles().SetChosenDir(s->dir.string());
        if (TheClientFiles().OpenSlot(kSlotVerData)) {
            TheVerDataTable().Load(TheClientFiles().GetFile(kSlotVerData));
        }
        for (std::uint32_t id = 0; id < 0x4000; ++id) {
            auto item = std::make_unique<CTileItemType>(id);
            if (!item->EnsureLoaded()) {
                continue;
            }
            s->pixels += std::uint64_t{item->GetWidth()} * item->GetHeight();
            s->maxWidth = std::max(s->maxWidth, item->GetWidth());
            s->maxHeight = std::max(s->maxHeight, item->GetHeight());
            s->items.push_back(std::move(item));
        }
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(Items().dir, ignored);
        });
        return s;
    }();
    return *set;
}

void BM_DecodeAllItems(benchmark::State& state) {
    ItemSet& set = Items();
    SurfaceBuffer buffer;
    buffer.CreateBuffer(set.maxWidth, set.maxHeight, 4);
    std::uint64_t allocations = 0;
    for (auto _ : state) {
        const std::uint64_t before = g_allocations.load();
        for (auto& item : set.items) {
            CSurfaceDC dc(buffer);
            benchmark::DoNotOptimize(item->Draw(dc, 0, 0));
        }
        allocations += g_allocations.load() - before;
        benchmark::ClobberMemory();
    }
    state.counters["items"] = static_cast<double>(set.items.size());
    state.counters["pixels/s"] = benchmark::Counter(
        static_cast<double>(set.pixels) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
    state.counters["allocations"] = static_cast<double>(allocations);
}

void BM_MemcpySamePixels(benchmark::State& state) {
    ItemSet& set = Items();
    const std::size_t frame = std::size_t{set.maxWidth} * set.maxHeight * 2;
    std::vector<std::uint8_t> source(frame, 0x5A);
    std::vector<std::uint8_t> destination(frame);
    std::vector<std::size_t> sizes;
    for (auto& item : set.items) {
        sizes.push_back(std::size_t{item->GetWidth()} * item->GetHeight() * 2);
    }
    for (auto _ : state) {
        for (std::size_t bytes : sizes) {
            std::memcpy(destination.data(), source.data(), bytes);
        }
        benchmark::ClobberMemory();
    }
    state.counters["pixels/s"] = benchmark::Counter(
        static_cast<double>(set.pixels) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}

BENCHMARK(BM_DecodeAllItems)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpySamePixels)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    tessaly::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (auto ratio = reporter.Ratio("BM_DecodeAllItems", "BM_MemcpySamePixels", false)) {
        std::printf("item decoding takes %.2f times as long as a memcpy of the same pixels\n",
                    *ratio);
    }
    benchmark::Shutdown();
    return 0;
}
