// Filling the text list of the largest categories of the full-size sample client (Gumps with
// 65,534 slots, Statics with 393,216): a view's SetCategory up to the first screen of rows
// drawn, and the heap this keeps, each reported as a ratio to reading the category's index
// file in one bulk read (time) and to the index file's size (memory).

#include "CBrindleDoc.h"
#include "CBrindleView.h"
#include "CDataListCtrl.h"
#include "ClientFiles.h"
#include "DataTypeDef.h"
#include "QtBench.h"
#include "VerDataTable.h"

#include <QApplication>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

using namespace tessaly;
using Clock = std::chrono::steady_clock;

const std::filesystem::path& ClientDir() {
    return bench::FullClientDir("categories");
}

std::size_t HeapInUse() {
    return mallinfo2().uordblks;
}

// One bulk read of the whole index file: the baseline.
std::size_t BulkRead(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes(std::filesystem::file_size(path));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    benchmark::DoNotOptimize(bytes.data());
    return bytes.size();
}

// The best of several bulk reads, in seconds.
double BulkReadSeconds(const std::filesystem::path& path, std::size_t& size) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        auto start = Clock::now();
        size = BulkRead(path);
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

void BM_BulkIndexRead(benchmark::State& state) {
    const DataTypeDef* def = GetTypeDef(static_cast<std::int32_t>(state.range(0)));
    auto path = ClientDir() / CClientFiles::GetFileName(def->m_nIndexFile);
    std::size_t size = 0;
    for (auto _ : state) {
        size = BulkRead(path);
    }
    state.SetLabel(def->m_pszName);
    state.counters["bytes"] = static_cast<double>(size);
}

void BM_FillList(benchmark::State& state) {
    const auto category = static_cast<std::int32_t>(state.range(0));
    const DataTypeDef* def = GetTypeDef(category);
    CClientFiles& files = TheClientFiles();
    files.CloseAll();
    files.SetChosenDir(ClientDir().string());
    CBrindleDoc doc;
    doc.OnNewDocument();
    CBrindleView view;
    doc.AddView(&view);
    view.resize(800, 600);
    view.show();
    QApplication::processEvents();

    std::size_t indexSize = 0;
    const double bulk =
        BulkReadSeconds(ClientDir() / CClientFiles::GetFileName(def->m_nIndexFile), indexSize);
    double seconds = 0;
    double heap = 0;
    int rows = 0;
    for (auto _ : state) {
        const std::size_t before = HeapInUse();
        auto start = Clock::now();
        view.SetCategory(category);
        auto* list = dynamic_cast<CDataListCtrl*>(view.m_pList);
        list->viewport()->repaint();
        QApplication::processEvents();
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
        heap = static_cast<double>(HeapInUse() - before);
        rows = list->GetModel()->rowCount();
        state.PauseTiming();
        view.SetCategory(-1);
        state.ResumeTiming();
    }
    doc.RemoveView(&view);
    state.SetLabel(def->m_pszName);
    state.counters["rows"] = rows;
    state.counters["slots"] = def->m_nMaxEntries;
    state.counters["x_bulk_read_time"] = seconds / bulk;
    state.counters["heap_MB"] = heap / 1e6;
    state.counters["x_index_size"] = heap / static_cast<double>(indexSize);
}

BENCHMARK(BM_BulkIndexRead)->Arg(31207)->Arg(31213)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillList)->Arg(31207)->Arg(31213)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return tessaly::bench::RunQtBenchmarks(argc, argv, "categories");
}
