// Filling the text list of every category on the full-size sample clients (old, and newer with
// containers): a view's SetCategory up to the first screen of rows drawn, the heap it keeps and
// the most it held meanwhile. The time is reported as a ratio to one bulk read of the bytes the
// list is made from (the index file; a container's tables; the data file of categories without
// an index, as speech.mul; every animation index file and the body definition files for the
// Anims list, which must open in under 100 ms), the memory as a ratio to their size.

#include "AnimSources.h"
#include "CBrindleDoc.h"
#include "CBrindleView.h"
#include "CDataListCtrl.h"
#include "ClientFiles.h"
#include "DataTypeDef.h"
#include "QtBench.h"
#include "UopFile.h"

#include <QApplication>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <vector>

namespace {

// Bytes held through operator new, and the most held since the last reset.
std::atomic<std::int64_t> g_inUse{0};
std::atomic<std::int64_t> g_peak{0};

void Track(std::int64_t bytes) {
    const std::int64_t now = g_inUse += bytes;
    std::int64_t peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
}

}  // namespace

// Counting replacements of the global allocation functions. They pair malloc with free
// themselves, which GCC cannot see through when it inlines them.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    void* p = std::malloc(size != 0 ? size : 1);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    Track(static_cast<std::int64_t>(malloc_usable_size(p)));
    return p;
}
void operator delete(void* p) noexcept {
    if (p != nullptr) {
        Track(-static_cast<std::int64_t>(malloc_usable_size(p)));
        std::free(p);
    }
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace {

using namespace tessaly;
using Clock = std::chrono::steady_clock;

// The bytes a category's list is made from: files and their length.
struct Source {
    std::vector<std::filesystem::path> paths;
    std::size_t bytes = 0;
};

Source ListSource(const std::filesystem::path& dir, const DataTypeDef& def) {
    if (def.m_nId == kCategoryAnims) {
        // Every animation index ("anim.idx" ... "anim6.idx") and the definition files.
        Source all;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            const std::string name = entry.path().filename().string();
            if ((name.starts_with("anim") && name.ends_with(".idx")) || name.ends_with(".def") ||
                name == "mobtypes.txt") {
                all.paths.push_back(entry.path());
                all.bytes += static_cast<std::size_t>(entry.file_size());
            }
        }
        return all;
    }
    if (def.m_nId == kCategorySpeech) {
        const auto speech = dir / "speech.mul";
        return {{speech}, static_cast<std::size_t>(std::filesystem::file_size(speech))};
    }
    if (def.m_nIndexFile != kNoFile) {
        const auto index = dir / CClientFiles::GetFileName(def.m_nIndexFile);
        if (std::filesystem::exists(index)) {
            return {{index}, std::filesystem::file_size(index)};
        }
    }
    // A container stands for the pair (or the data file): its header and tables.
    if (const UopKind* kind = FindUopKind(def.m_nDataFile)) {
        const auto container = dir / kind->fileName;
        CQFile file;
        CUopTable table;
        if (file.Open(container.c_str(), CQFile::shareDenyWrite) && table.Read(file)) {
            return {{container}, kUopHeaderSize + table.Entries().size() * kUopEntrySize};
        }
    }
    const auto data = dir / CClientFiles::GetFileName(def.m_nDataFile);
    std::error_code error;
    const auto size = std::filesystem::file_size(data, error);
    return {{data}, error ? 0 : static_cast<std::size_t>(size)};
}

// The best of several bulk reads of the source, in seconds.
double BulkReadSeconds(const Source& source) {
    std::vector<char> bytes(source.bytes);
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        std::size_t at = 0;
        for (const std::filesystem::path& path : source.paths) {
            std::ifstream in(path, std::ios::binary);
            in.read(bytes.data() + at, static_cast<std::streamsize>(bytes.size() - at));
            at += static_cast<std::size_t>(in.gcount());
        }
        benchmark::DoNotOptimize(bytes.data());
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

void BM_FillList(benchmark::State& state) {
    const auto category = static_cast<std::int32_t>(state.range(0));
    const bool modern = state.range(1) != 0;
    const DataTypeDef* def = GetTypeDef(category);
    const std::filesystem::path& dir = bench::FullClientDir("lists", modern);
    CClientFiles& files = TheClientFiles();
    files.CloseAll();
    files.SetChosenDir(dir.string());
    CBrindleDoc doc;
    doc.OnNewDocument();
    CBrindleView view;
    doc.AddView(&view);
    view.resize(800, 600);
    view.show();
    QApplication::processEvents();

    const Source source = ListSource(dir, *def);
    const double bulk = BulkReadSeconds(source);
    double seconds = 0;
    double kept = 0;
    double peak = 0;
    int rows = 0;
    for (auto _ : state) {
        const std::int64_t before = g_inUse.load();
        g_peak = before;
        const auto start = Clock::now();
        view.SetCategory(category);
        auto* list = dynamic_cast<CDataListCtrl*>(view.m_pList);
        list->viewport()->repaint();
        QApplication::processEvents();
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
        kept = static_cast<double>(g_inUse.load() - before);
        peak = static_cast<double>(g_peak.load() - before);
        rows = list->GetModel()->rowCount();
        state.PauseTiming();
        view.SetCategory(-1);
        state.ResumeTiming();
    }
    doc.RemoveView(&view);
    files.CloseAll();
    state.SetLabel(std::string(modern ? "newer " : "old ") + def->m_pszName);
    state.counters["rows"] = rows;
    state.counters["fill_ms"] = seconds * 1e3;
    state.counters["source_KB"] = static_cast<double>(source.bytes) / 1e3;
    state.counters["x_bulk_read"] = bulk > 0 ? seconds / bulk : 0;
    state.counters["kept_MB"] = kept / 1e6;
    state.counters["peak_MB"] = peak / 1e6;
    if (category == kCategoryAnims) {
        // The list reuses the bodies' sources while their files stay as they were: reading them
        // afresh (index files whole, definition files) is timed on its own.
        const auto start = Clock::now();
        CAnimSources sources;
        sources.Load(files);
        const double load = std::chrono::duration<double>(Clock::now() - start).count();
        state.counters["sources_ms"] = load * 1e3;
        state.counters["x_bulk_read_sources"] = bulk > 0 ? load / bulk : 0;
    }
    state.counters["x_source_size"] =
        source.bytes > 0 ? peak / static_cast<double>(source.bytes) : 0;
}

void EveryCategory(benchmark::internal::Benchmark* b) {
    for (int modern : {0, 1}) {
        for (std::int32_t category = kFirstCategory; category <= kCategoryTileData; ++category) {
            b->Args({category, modern});
        }
        b->Args({kCategorySpeech, modern});  // one entry per keyword of a file without index
    }
}

BENCHMARK(BM_FillList)->Apply(EveryCategory)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return tessaly::bench::RunQtBenchmarks(argc, argv, "lists");
}
