// The map on the full-size current sample client (Felucca 7168 x 4096 with statics): the
// whole-facet picture (1:1 and at the view's whole-facet step) against one pass over the facet's
// map and statics bytes already in memory; the map view's first screen and its slowest pan or
// zoom step on the window's thread (the drawing itself runs on the view's own thread); render-map
// of the whole facet against Qt's PNG writer alone on the same picture; peak memory.
//
// bench_categories_map [--client DIR] [--screenshots DIR]: DIR instead of a sample client
// written for the run; --screenshots saves the whole-facet view, a zoomed view with the pointer's
// tile in the status line, and the view after Go to.

#include "CDataAppState.h"
#include "ClientFiles.h"
#include "Facet.h"
#include "MapPicture.h"
#include "MapView.h"
#include "SampleClient.h"
#include "ShellUi.h"
#include "VerDataTable.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPixmap>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace tessaly;
using Clock = std::chrono::steady_clock;

double MsOf(const std::function<void()>& action) {
    const auto start = Clock::now();
    action();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The best of a few runs: the figure least disturbed by other work on the machine.
double BestMsOf(int runs, const std::function<void()>& action) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        best = std::min(best, MsOf(action));
    }
    return best;
}

long PeakMemoryMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// Answers "Go to..." with the tile the benchmark names.
class GoToUi : public CConsoleUi {
public:
    std::optional<std::string> AskText(const std::string& /*text*/,
                                       const std::string& /*title*/) override {
        return m_sAnswer;
    }
    std::string m_sAnswer;
};

}  // namespace

int main(int argc, char** argv) {
    std::string clientDir;
    std::string shots;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--client") == 0) {
            clientDir = argv[++i];
        } else if (std::strcmp(argv[i], "--screenshots") == 0) {
            shots = argv[++i];
        }
    }
    QApplication app(argc, argv);
    std::filesystem::path made;
    if (clientDir.empty()) {
        made = std::filesystem::temp_directory_path() /
               ("tessaly-bench-map-" + std::to_string(::getpid()));
        std::printf("writing the full-size current sample client ...\n");
        mk::WriteModernClient(made, mk::ModernForm::Containers, true);
        clientDir = made.string();
    }
    CClientFiles& files = TheClientFiles();
    files.SetChosenDir(clientDir);

    CFacet facet;
    if (!facet.Open(files, 0)) {
        std::printf("no Felucca in %s: %s\n", clientDir.c_str(), facet.Warning().c_str());
        return 1;
    }
    const FacetLayout& layout = facet.Layout();
    std::printf("Felucca: %u x %u tiles%s\n", layout.Width(), layout.Height(),
                facet.FromContainer() ? " (map container)" : "");
    CRadarTable colours;
    colours.Load(files);

    // The floor: the facet's map and statics bytes, read once into memory, passed over once.
    std::vector<std::uint8_t> map;
    std::vector<std::vector<CStaticItem>> statics;
    const double readMs = MsOf([&] {
        facet.ReadMapRun(0, static_cast<std::uint32_t>(layout.BlockCount()), map);
        facet.ReadStaticsRun(0, static_cast<std::uint32_t>(layout.BlockCount()), statics);
    });
    std::printf("reading the facet's map and statics from the files once: %.1f ms\n", readMs);
    std::uint64_t staticBytes = 0;
    for (const auto& block : statics) {
        staticBytes += block.size() * CStaticItem::kSize;
    }
    volatile std::uint64_t sink = 0;
    const double floorMs = BestMsOf(3, [&] {
        std::uint64_t sum = 0;
        for (std::size_t i = 0; i < map.size(); i += 3) {
            sum += map[i];
        }
        for (const auto& block : statics) {
            for (const CStaticItem& item : block) {
                sum += item.m_wTile + static_cast<std::uint64_t>(item.m_cZ);
            }
        }
        sink = sink + sum;
    });
    std::printf("floor: one pass over %.1f MB of map and %.1f MB of statics in memory: %.1f ms\n",
                map.size() / 1e6, staticBytes / 1e6, floorMs);
    map = {};
    statics = {};

    const MapRegion whole{0, 0, layout.Width(), layout.Height()};
    MapPicture full;
    const double fullMs = BestMsOf(3, [&] {
        full = RenderMap(facet, colours, whole, {1, 1}, true);
    });
    std::printf(
        "whole facet 1:1 (%u x %u): %.1f ms, %.2fx the floor (goal: at most 3x), %.2fx "
        "reading the files once\n",
        full.width, full.height, fullMs, fullMs / floorMs, fullMs / readMs);
    const double eighthMs = BestMsOf(3, [&] { RenderMap(facet, colours, whole, {1, 8}, true); });
    std::printf(
        "whole facet at 1/8 (%u x %u): %.1f ms, %.2fx the floor, %.2fx reading the files "
        "once\n",
        layout.Width() / 8, layout.Height() / 8, eighthMs, eighthMs / floorMs, eighthMs / readMs);

    // render-map's work against Qt's PNG writer alone on the same picture.
    const QImage image(reinterpret_cast<const uchar*>(full.pixels.data()),
                       static_cast<int>(full.width), static_cast<int>(full.height),
                       static_cast<qsizetype>(full.width) * 4, QImage::Format_RGB32);
    QByteArray png;
    const double pngMs = MsOf([&] {
        QBuffer device(&png);
        device.open(QIODevice::WriteOnly);
        image.save(&device, "PNG");
    });
    std::printf(
        "render-map whole facet: %.1f ms (drawing %.1f + PNG %.1f), %.2fx Qt's PNG writer "
        "alone (%.1f MB)\n",
        fullMs + pngMs, fullMs, pngMs, (fullMs + pngMs) / pngMs, png.size() / 1e6);
    full = {};
    png = {};

    // The view, in a window of 1000 x 700.
    GoToUi ui;
    DataAppState().m_pUi = &ui;
    QMainWindow window;
    window.resize(1000, 700);
    auto* view = new CMapView(&window);
    window.setCentralWidget(view);
    window.show();
    QApplication::processEvents();
    const double firstMs = MsOf([&] {
        view->SetFacet(0);
        view->FinishDrawing();
    });
    std::printf("view: first screen (whole facet, zoom step %d) %.1f ms\n", view->Zoom(), firstMs);
    const auto save = [&](const char* name) {
        if (!shots.empty()) {
            view->FinishDrawing();
            const std::string path = shots + "/" + name;
            window.grab().save(QString::fromStdString(path), "PNG");
            std::printf("saved %s: %s\n", path.c_str(), view->StatusText().toUtf8().constData());
        }
    };
    save("map-whole.png");

    // Steps on the window's thread: each zoom step in, pans at each, then out again. What the
    // thread does per step is the move and one paint (from cached tiles or coarser ones).
    QWidget* canvas = view->Canvas();
    double slowest = 0;
    std::string slowestName;
    const auto step = [&](const std::string& name, const std::function<void()>& action) {
        const double ms = MsOf([&] {
            action();
            canvas->repaint();
        });
        if (ms > slowest) {
            slowest = ms;
            slowestName = name;
        }
        view->FinishDrawing();
    };
    const QPointF middle(canvas->width() / 2.0, canvas->height() / 2.0);
    for (int z = view->Zoom() + 1; z < kMapZoomCount; ++z) {
        step("zoom in to step " + std::to_string(z), [&] { view->SetZoom(z); });
        for (const auto& [key, name] : {std::pair{Qt::Key_Right, "an eighth right"},
                                        std::pair{Qt::Key_PageDown, "a screen down"}}) {
            step(std::string("pan ") + name + " at step " + std::to_string(z), [&] {
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
                QApplication::sendEvent(canvas, &press);
            });
        }
    }
    for (int z = kMapZoomCount - 2; z >= 0; --z) {
        step("zoom out to step " + std::to_string(z), [&] { view->SetZoom(z); });
    }
    std::printf("view: slowest step on the window's thread: %.2f ms (%s; goal: under 16 ms)\n",
                slowest, slowestName.c_str());

    view->SetZoom(8);
    view->CenterOn(1500, 1600);
    view->FinishDrawing();
    QMouseEvent move(QEvent::MouseMove, middle + QPointF(37, -21), canvas->mapToGlobal(middle),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &move);
    save("map-zoomed.png");
    ui.m_sAnswer = "5000,3000";
    view->OnGoTo();
    save("map-goto.png");
    std::printf("peak memory: %ld MiB\n", PeakMemoryMiB());

    DataAppState().m_pUi = nullptr;
    if (!made.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(made, ignored);
    }
    return 0;
}
