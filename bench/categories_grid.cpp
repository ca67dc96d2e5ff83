// The thumbnail grid and the text filter on the full-size sample client: the grid's first
// screen of Items and Gumps (from SetCategory to the cells painted), scrolling the Items grid
// from the first cell to the last one page at a time (worst and mean step), and typing a letter
// into the filter of the Statics list (393,216 rows): the time until the matching rows show,
// without the typing pause, and the longest the window's event loop was kept busy meanwhile.

#include "CBrindleDoc.h"
#include "CBrindleView.h"
#include "CDataListFilter.h"
#include "CDataListThumbs.h"
#include "ClientFiles.h"
#include "DataTypeDef.h"
#include "QtBench.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>

namespace {

using namespace tessaly;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

const std::filesystem::path& ClientDir() {
    return bench::FullClientDir("grid");
}

// A document on the full client and a view of it, 1000 by 700 pixels, in a list mode.
struct Window {
    explicit Window(std::int32_t mode) {
        CClientFiles& files = TheClientFiles();
        files.CloseAll();
        files.SetChosenDir(ClientDir().string());
        doc.OnNewDocument();
        doc.AddView(&view);
        view.m_nListMode = mode;
        view.resize(1000, 700);
        view.show();
        QApplication::processEvents();
    }
    ~Window() {
        view.SetCategory(-1);
        doc.RemoveView(&view);
    }
    CDataListThumbs* Grid() const { return dynamic_cast<CDataListThumbs*>(view.m_pList); }
    // Shows a category and paints its first screen; milliseconds taken.
    double Show(std::int32_t category) {
        const auto start = Clock::now();
        view.SetCategory(category);
        view.m_pList->GetWindow()->repaint();
        QApplication::processEvents();
        return Since(start);
    }

    CBrindleDoc doc;
    CBrindleView view;
};

void BM_GridFirstScreen(benchmark::State& state) {
    const auto category = static_cast<std::int32_t>(state.range(0));
    Window window(1);
    double ms = 0;  // the slowest of the runs
    for (auto _ : state) {
        ms = std::max(ms, window.Show(category));
        state.PauseTiming();
        window.view.SetCategory(-1);
        state.ResumeTiming();
    }
    window.Show(category);
    state.SetLabel(GetTypeDef(category)->m_pszName);
    state.counters["first_screen_ms"] = ms;
    state.counters["cells"] = static_cast<double>(window.Grid()->GetShownRows().size());
    state.counters["cells_made"] = static_cast<double>(window.Grid()->GetCache().GetCount());
}

void BM_GridScrollPages(benchmark::State& state) {
    Window window(1);
    window.Show(kCategoryItems);
    CDataListThumbs* grid = window.Grid();
    QScrollBar* bar = grid->verticalScrollBar();
    double worst = 0;
    double total = 0;
    int steps = 0;
    for (auto _ : state) {
        worst = total = 0;
        steps = 0;
        bar->setValue(0);
        grid->viewport()->repaint();
        while (bar->value() < bar->maximum()) {
            const auto start = Clock::now();
            bar->setValue(bar->value() + bar->pageStep());
            grid->viewport()->repaint();
            QApplication::processEvents();
            const double ms = Since(start);
            worst = std::max(worst, ms);
            total += ms;
            ++steps;
        }
    }
    state.counters["steps"] = steps;
    state.counters["worst_step_ms"] = worst;
    state.counters["mean_step_ms"] = steps > 0 ? total / steps : 0;
    state.counters["cached"] = static_cast<double>(grid->GetCache().GetCount());
}

void BM_FilterStatics(benchmark::State& state) {
    Window window(0);
    // Argument 1: "Unused Slots" on, so that all 393,216 slots are rows.
    window.view.m_bShowUnused = static_cast<std::uint8_t>(state.range(0));
    window.Show(kCategoryStatics);
    CDataList* list = window.view.m_pList;
    QLineEdit* field = window.view.GetFilterField();
    const char* letters[] = {"a", "b", "c", "d", "e", "f"};
    int round = 0;
    double first = 0, later = 0, worstTurn = 0;
    std::size_t rows = 0;
    const std::size_t all = list->GetShownRows().size();
    for (auto _ : state) {
        field->clear();
        const auto start = Clock::now();
        field->setText(QString::fromLatin1(letters[round % 6]));
        double worst = 0;
        while (list->GetFilter().IsBusy()) {
            const auto turn = Clock::now();
            QApplication::processEvents();
            worst = std::max(worst, Since(turn));
        }
        list->GetWindow()->repaint();
        const double ms = Since(start) - CDataListFilter::kDebounceMs;
        (round == 0 ? first : later) = ms;
        worstTurn = std::max(worstTurn, worst);
        rows = list->GetShownRows().size();
        ++round;
    }
    state.counters["first_filter_ms"] = first;
    state.counters["later_filter_ms"] = later;
    state.counters["worst_event_loop_turn_ms"] = worstTurn;
    state.counters["rows_kept"] = static_cast<double>(rows);
    state.counters["rows_all"] = static_cast<double>(all);
}

BENCHMARK(BM_GridFirstScreen)
    ->Arg(kCategoryItems)
    ->Arg(kCategoryGumps)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_GridScrollPages)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FilterStatics)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return tessaly::bench::RunQtBenchmarks(argc, argv, "grid");
}
