// The Cliloc category of the full-size sample client (a "Cliloc.enu" of 120,000 messages, the
// size of a current English file): the view's SetCategory up to the first screen of rows with
// the file read and parsed afresh, then typing a word into the filter until the filter is done;
// each against one bulk read of the file in the same run.

#include "CBrindleDoc.h"
#include "CBrindleView.h"
#include "CDataList.h"
#include "CDataListFilter.h"
#include "ClientFiles.h"
#include "DataTypeDef.h"
#include "QtBench.h"

#include <QApplication>
#include <QLineEdit>

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

using namespace tessaly;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The best of several bulk reads of the file, in milliseconds.
double BulkReadMs(const std::filesystem::path& path) {
    std::vector<char> bytes(std::filesystem::file_size(path));
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        std::ifstream in(path, std::ios::binary);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        benchmark::DoNotOptimize(bytes.data());
        best = std::min(best, Since(start));
    }
    return best;
}

void BM_ClilocOpenAndFilter(benchmark::State& state) {
    const std::filesystem::path dir = bench::FullClientDir("cliloc");
    const std::filesystem::path file = dir / "Cliloc.enu";
    CClientFiles& files = TheClientFiles();
    files.CloseAll();
    files.SetChosenDir(dir.string());
    CBrindleDoc doc;
    doc.OnNewDocument();
    CBrindleView view;
    doc.AddView(&view);
    view.resize(1000, 700);
    view.show();
    QApplication::processEvents();
    const double bulk = BulkReadMs(file);
    double open = 0;
    double filter = 0;
    std::size_t rows = 0;
    std::size_t kept = 0;
    int round = 0;
    for (auto _ : state) {
        // A new modification time makes the category read and parse the file again.
        state.PauseTiming();
        std::filesystem::last_write_time(
            file, std::filesystem::file_time_type::clock::now() + std::chrono::seconds(++round));
        view.GetFilterField()->clear();
        view.SetCategory(-1);
        state.ResumeTiming();
        auto start = Clock::now();
        view.SetCategory(kCategoryCliloc);
        view.m_pList->GetWindow()->repaint();
        QApplication::processEvents();
        open = Since(start);
        rows = view.m_pList->GetShownRows().size();

        start = Clock::now();
        view.GetFilterField()->setText(QStringLiteral("dragon"));
        while (view.m_pList->GetFilter().IsBusy()) {
            QApplication::processEvents();
        }
        view.m_pList->GetWindow()->repaint();
        filter = Since(start) - CDataListFilter::kDebounceMs;
        kept = view.m_pList->GetShownRows().size();
    }
    view.SetCategory(-1);
    doc.RemoveView(&view);
    files.CloseAll();
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["rows_kept"] = static_cast<double>(kept);
    state.counters["open_ms"] = open;
    state.counters["filter_ms"] = filter;
    state.counters["bulk_read_ms"] = bulk;
    state.counters["open_x_bulk_read"] = bulk > 0 ? open / bulk : 0;
    state.counters["filter_x_bulk_read"] = bulk > 0 ? filter / bulk : 0;
}

BENCHMARK(BM_ClilocOpenAndFilter)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return tessaly::bench::RunQtBenchmarks(argc, argv, "cliloc");
}
