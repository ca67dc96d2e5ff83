// What the window does on the full-size sample clients (old and newer), one user action at a
// time through the real application: opening Gumps and Statics, sorting them by every column
// (with the unused slots shown too), the Gumps grid, the sheets of the largest gump and of the
// multi with the most components, stepping an animation, and saving a patch document of 50,000
// records. Every action runs on the window's thread and returns before the window paints again,
// so its time is how long the window stays blocked, and the report marks those over 100 ms;
// the save runs under a progress dialog, so for it the longest stretch between two steps of the
// progress (when the dialog lets the window paint) counts. Where a physical floor applies (a
// memcpy of the pixels drawn, a copy of a file of the saved size and its flush to the disk) the
// ratio to it, measured in the same run, is given too.

#include "AnimPages.h"
#include "ArtTypes.h"
#include "CBrindleApp.h"
#include "CBrindleView.h"
#include "CDataAppState.h"
#include "CDataDefAnim.h"
#include "CDataDefMulti.h"
#include "CDataListCtrl.h"
#include "CDataProps.h"
#include "CMainFrame.h"
#include "ClientFiles.h"
#include "CommandLine.h"
#include "DataTypeDef.h"
#include "GumpType.h"
#include "MultiPages.h"
#include "MultiType.h"
#include "QFile.h"
#include "QtBench.h"
#include "ResourceIds.h"
#include "SampleClient.h"
#include "ShellUi.h"
#include "Surface.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace tessaly;
using namespace tessaly::ids;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kBlockingMs = 100;
constexpr std::size_t kDocumentRecords = 50000;

double MsOf(const std::function<void()>& action) {
    const auto start = Clock::now();
    action();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The best of five runs of a floor action, in milliseconds.
double FloorMs(const std::function<void()>& action) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        best = std::min(best, MsOf(action));
    }
    return best;
}

void Settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// Answers the document file dialog with a chosen path, every other question as the console does,
// and keeps the times at which a progress indication would have moved on (and let the window
// paint): each thousandth of the task, as the window's progress dialog does.
class BenchUi : public CConsoleUi {
public:
    std::optional<std::string> ChooseDocumentFile(bool, const std::string&) override {
        return m_sDocumentFile;
    }
    Progress BeginProgress(const std::string&) override {
        m_Steps.clear();
        return
            [this, last = std::uint64_t{~0ull}](std::uint64_t done, std::uint64_t total) mutable {
                const std::uint64_t step = total == 0 ? 1000 : done * 1000 / total;
                if (step != last) {
                    last = step;
                    m_Steps.push_back(Clock::now());
                }
            };
    }
    // The longest stretch in [start, end] without a step of the progress, in milliseconds,
    // counting the first tenth of a second (before the dialog appears) as no stretch.
    double LongestStretchMs(Clock::time_point start, Clock::time_point end) const {
        double longest = 0;
        auto from = start + std::chrono::milliseconds(100);
        for (auto at : m_Steps) {
            if (at > from) {
                longest =
                    std::max(longest, std::chrono::duration<double, std::milli>(at - from).count());
                from = at;
            }
        }
        return std::max(longest, std::chrono::duration<double, std::milli>(end - from).count());
    }
    std::string m_sDocumentFile;
    std::vector<Clock::time_point> m_Steps;
};

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The records of an index file and their bytes in its data file, for entries with data.
struct Entry {
    std::uint32_t number;
    IndexRecord record;
};
std::vector<Entry> EntriesWithData(const fs::path& dir, std::int32_t indexSlot,
                                   std::size_t dataLength) {
    const std::vector<std::uint8_t> index = ReadFile(dir / CClientFiles::GetFileName(indexSlot));
    ByteReader in{ByteSpan(index.data(), index.size())};
    std::vector<Entry> entries;
    IndexRecord record;
    for (std::uint32_t n = 0; record.Read(in); ++n) {
        if (record.HasData() &&
            std::uint64_t{record.m_dwOffset} + record.GetLength() <= dataLength) {
            entries.push_back({n, record});
        }
    }
    return entries;
}

// Replaces the client's "verdata.mul" by one of 50,000 records: every terrain and item picture
// of the client, then its gumps over and over at successive gump numbers.
std::size_t WriteLargeDocument(const fs::path& dir) {
    const std::vector<std::uint8_t> art = ReadFile(dir / "art.mul");
    const std::vector<std::uint8_t> gumps = ReadFile(dir / "gumpart.mul");
    std::vector<mk::SamplePatch> patches;
    auto bytesOf = [](const std::vector<std::uint8_t>& data, const IndexRecord& r) {
        const auto first = data.begin() + r.m_dwOffset;
        return std::vector<std::uint8_t>(first, first + r.GetLength());
    };
    for (const Entry& e : EntriesWithData(dir, kSlotArtIdx, art.size())) {
        if (patches.size() < kDocumentRecords) {
            patches.push_back({kSlotArt, e.number, bytesOf(art, e.record), 0, 0});
        }
    }
    const std::vector<Entry> gumpEntries = EntriesWithData(dir, kSlotGumpIdx, gumps.size());
    for (std::uint32_t block = 0;
         !gumpEntries.empty() && patches.size() < kDocumentRecords && block < 0xFFFF; ++block) {
        const Entry& e = gumpEntries[block % gumpEntries.size()];
        patches.push_back({kSlotGumpArt, block, bytesOf(gumps, e.record), e.record.m_wExtra1,
                           e.record.m_wExtra2});
    }
    const std::vector<std::uint8_t> file = mk::BuildVerData(patches);
    std::ofstream(dir / "verdata.mul", std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
    return patches.size();
}

// The entry numbers of the largest gump (by pixels) and of the multi with the most components.
std::uint32_t LargestGump() {
    std::uint32_t best = 0;
    std::uint64_t bestPixels = 0;
    for (std::uint32_t n = 0; n < 0xFFFF; ++n) {
        CTileGumpType gump(n);
        if (gump.EnsureLoaded() && std::uint64_t{gump.GetWidth()} * gump.GetHeight() > bestPixels) {
            bestPixels = std::uint64_t{gump.GetWidth()} * gump.GetHeight();
            best = n;
        }
    }
    return best;
}

std::uint32_t LargestMulti() {
    std::uint32_t best = 0;
    std::uint32_t most = 0;
    for (std::uint32_t n = 0; n < 0x2200; ++n) {
        CMulMultiType multi(n);
        if (multi.EnsureLoaded() && multi.GetComponentCount() > most) {
            most = multi.GetComponentCount();
            best = n;
        }
    }
    return best;
}

struct Row {
    std::string action;
    double ms;
    double floorMs;  // 0: no floor
    std::string floorName;
    bool progress = false;  // under a progress indication
};

class WindowBench {
public:
    WindowBench(const fs::path& dir, bool modern) : m_Dir(dir), m_bModern(modern) {}

    std::vector<Row> Run() {
        CCommandLineInfo info =
            ParseCommandLine({QStringLiteral("--client-dir"), QString::fromStdString(m_Dir)});
        // A document an earlier run saved would otherwise stay the patch slot's file.
        TheClientFiles().CloseAll();
        TheClientFiles().GetFile(kSlotVerData).SetFilePath({});
        m_pApp = std::make_unique<CBrindleApp>();
        m_pApp->SetUi(&m_Ui);
        if (!m_pApp->InitInstance(info)) {
            std::fprintf(stderr, "the window did not start on %s\n", m_Dir.c_str());
            return {};
        }
        Settle();
        Lists();
        Sheets();
        if (!m_bModern) {
            SaveDocument();
        }
        m_pApp->ExitInstance();
        m_pApp.reset();
        Settle();
        return m_Rows;
    }

private:
    CBrindleView* View() const {
        return dynamic_cast<CBrindleView*>(m_pApp->GetMainFrame()->GetActiveView());
    }
    CDataListCtrl* List() const { return dynamic_cast<CDataListCtrl*>(View()->m_pList); }
    // Carries a command out and lets the window paint; milliseconds until it has.
    double Command(int id) {
        return MsOf([&] {
            m_pApp->GetMainFrame()->RouteCommand(id);
            m_pApp->GetMainFrame()->repaint();
            Settle();
        });
    }
    void Add(const std::string& action, double ms, double floorMs = 0,
             const std::string& floorName = {}) {
        m_Rows.push_back({(m_bModern ? "newer: " : "old: ") + action, ms, floorMs, floorName});
    }
    void SortEveryColumn(const char* name) {
        CDataListCtrl* list = List();
        for (int column = 0; column < list->GetModel()->columnCount(); ++column) {
            const std::string title =
                list->GetModel()->headerData(column, Qt::Horizontal).toString().toStdString();
            Add(std::string("sort ") + name + " by \"" + title + "\" (" +
                    std::to_string(list->GetModel()->rowCount()) + " rows)",
                MsOf([&] {
                    list->OnColumnClick(column);
                    list->viewport()->repaint();
                    Settle();
                }));
        }
    }

    void Lists() {
        Add("open Gumps", Command(ID_DATA_GUMPS));
        SortEveryColumn("Gumps");
        Add("show Gumps as the grid", Command(ID_VIEW_THUMBNAIL));
        Command(ID_VIEW_TEXTLIST);
        Add("open Statics", MsOf([&] {
                View()->SetCategory(kCategoryStatics);
                m_pApp->GetMainFrame()->repaint();
                Settle();
            }));
        SortEveryColumn("Statics");
        Add("show the unused Statics slots", Command(ID_VIEW_UNUSED));
        SortEveryColumn("Statics with unused slots");
        Command(ID_VIEW_UNUSED);
    }

    // Opens the sheet of an entry of a category; null when its row is not listed.
    CDataProps* OpenSheet(int command, std::uint32_t entry, double& ms) {
        Command(command);
        CDataListCtrl* list = List();
        for (int row = 0; row < list->GetModel()->rowCount(); ++row) {
            if (list->GetModel()->GetEntry(row)->GetIndex() == entry) {
                list->SelectPosition(row);
                CDataAppState& state = m_pApp->GetDataState();
                ms = MsOf([&] {
                    m_pApp->GetMainFrame()->RouteCommand(ID_EDIT_PROPERTIES);
                    if (!state.m_Sheets.empty()) {
                        state.m_Sheets.back()->repaint();
                    }
                    Settle();
                });
                return state.m_Sheets.empty() ? nullptr : state.m_Sheets.back();
            }
        }
        return nullptr;
    }

    // Time to activate and draw each page of a sheet, the slowest given.
    template <typename Page>
    double DrawPage(CDataProps* sheet, Page*& found) {
        double ms = 0;
        for (int page = 0; page < sheet->GetPageCount(); ++page) {
            const double t = MsOf([&] {
                sheet->SetActivePage(page);
                sheet->repaint();
                Settle();
            });
            if (auto* p = dynamic_cast<Page*>(sheet->GetActivePage())) {
                found = p;
                ms = std::max(ms, t);
            }
        }
        return ms;
    }

    void Sheets() {
        const std::uint32_t gump = LargestGump();
        double ms = 0;
        if (OpenSheet(ID_DATA_GUMPS, gump, ms) != nullptr) {
            CTileGumpType picture(gump);
            picture.EnsureLoaded();
            const std::size_t bytes = std::size_t{picture.GetWidth()} * picture.GetHeight() * 2;
            Add("open the sheet of the largest gump (" + std::to_string(picture.GetWidth()) +
                    " x " + std::to_string(picture.GetHeight()) + ")",
                ms);
            SurfaceBuffer buffer;
            buffer.CreateBuffer(picture.GetWidth(), picture.GetHeight());
            Add("decode the largest gump (best of 5)", FloorMs([&] {
                    CSurfaceDC dc(buffer);
                    picture.Draw(dc, 0, 0);
                }),
                MemcpyMs(bytes), "memcpy of its pixels");
        }
        m_pApp->GetDataState().DestroyAllSheets();
        Settle();

        const std::uint32_t multi = LargestMulti();
        if (CDataProps* sheet = OpenSheet(ID_DATA_MULTIS, multi, ms)) {
            CDataPageMultiDraw* page = nullptr;
            const double pageMs = DrawPage(sheet, page);
            if (page != nullptr) {
                const SurfaceBuffer& buffer = page->GetBuffer();
                const std::size_t bytes = std::size_t{buffer.GetWidth()} * buffer.GetHeight() * 2;
                CMulMultiType blocks(multi);
                blocks.EnsureLoaded();
                Add("open the sheet of the largest multi (" +
                        std::to_string(blocks.GetComponentCount()) + " components)",
                    ms);
                Add("show its multi page (" + std::to_string(buffer.GetWidth()) + " x " +
                        std::to_string(buffer.GetHeight()) + ")",
                    pageMs, MemcpyMs(bytes), "memcpy of the page's pixels");
                // The composition alone, against copying every drawn item's pixels once.
                const std::vector<MultiComponent> components = blocks.GetComponents();
                std::size_t itemBytes = 0;
                for (const MultiComponent& c : components) {
                    CTileItemType item(c.m_wItem);
                    if (item.EnsureLoaded()) {
                        itemBytes += std::size_t{item.GetWidth()} * item.GetHeight() * 2;
                    }
                }
                SurfaceBuffer composed;
                Add("compose the multi (" + std::to_string(components.size()) +
                        " items, best of 5)",
                    FloorMs([&] { DrawMultiPicture(components, composed); }), MemcpyMs(itemBytes),
                    "memcpy of its items' pixels");
            }
        }
        m_pApp->GetDataState().DestroyAllSheets();
        Settle();

        // The animation with the largest frame: its sheet, its frames stepped by the timer.
        const AnimFrameChoice anim = LargestAnimFrame();
        if (CDataProps* sheet = OpenSheet(ID_DATA_ANIMS, anim.body, ms)) {
            CDataPageAnimDraw* page = nullptr;
            DrawPage(sheet, page);
            for (int i = 0; page != nullptr && sheet->GetActivePage() != page; ++i) {
                sheet->SetActivePage(i);
            }
            Settle();
            if (page != nullptr) {
                double worst = 0;
                for (int step = 0; step < 50; ++step) {
                    worst = std::max(worst, MsOf([&] {
                                         page->OnTimer();
                                         page->GetDrawingArea()->repaint();
                                     }));
                }
                const QSize area = page->GetDrawingArea()->size();
                Add("step the animation page's frame (slowest of 50)", worst,
                    MemcpyMs(std::size_t(area.width()) * area.height() * 4),
                    "memcpy of the drawing area");
            }
            // Decoding the largest frame alone, against copying its pixels.
            CTileAnimType frames(anim.entry);
            SurfaceBuffer buffer;
            Add("decode its largest frame (" + std::to_string(anim.bytes / 2) +
                    " pixels, best of 5)",
                FloorMs([&] { DrawAnimFrame(frames, anim.frame, 4, buffer); }),
                MemcpyMs(anim.bytes), "memcpy of its pixels");
        }
        m_pApp->GetDataState().DestroyAllSheets();
        Settle();
    }

    // The body whose first action (as its sheet first shows it) holds the largest frame, the
    // "anim.idx" entry of that action, the frame and its pixel bytes.
    struct AnimFrameChoice {
        std::uint32_t body = 0;
        std::uint32_t entry = 0;
        std::uint32_t frame = 0;
        std::size_t bytes = 0;
    };
    static AnimFrameChoice LargestAnimFrame() {
        AnimFrameChoice best;
        for (std::uint32_t body = 0; body < 1024; ++body) {
            const std::uint32_t entry = GetAnimIndex(body, 0, 3);
            CTileAnimType frames(entry);
            for (std::uint32_t f = 0; f < frames.GetFrameCount(); ++f) {
                if (auto frame = frames.GetFrame(f);
                    frame && std::size_t{frame->m_nWidth} * frame->m_nHeight * 2 > best.bytes) {
                    best = {body, entry, f, std::size_t{frame->m_nWidth} * frame->m_nHeight * 2};
                }
            }
        }
        return best;
    }

    void SaveDocument() {
        const fs::path target = m_Dir / "saved-document.mul";
        m_Ui.m_sDocumentFile = target.string();
        const auto start = Clock::now();
        const double ms = Command(ID_FILE_SAVE_AS);
        const double stretch = m_Ui.LongestStretchMs(start, Clock::now());
        if (!fs::exists(target)) {
            std::fprintf(stderr, "the document was not saved\n");
            return;
        }
        const fs::path copy = m_Dir / "copied-document.mul";
        // A safe save must at least copy the bytes and push them to the disk.
        const double cp = FloorMs([&] {
            fs::copy_file(target, copy, fs::copy_options::overwrite_existing);
            CQFile file;
            file.Open(copy.c_str(), CQFile::modeReadWrite);
            file.Flush();
        });
        Add("save the patch document of " + std::to_string(kDocumentRecords) + " records (" +
                std::to_string(fs::file_size(target) / 1000000) + " MB)",
            ms, cp, "cp + fsync of the saved file");
        m_Rows.back().progress = true;
        Add("  the longest it meanwhile goes without painting", stretch);
    }

    static double MemcpyMs(std::size_t bytes) {
        std::vector<std::uint8_t> from(bytes, 0x5A), to(bytes);
        return FloorMs([&] {
            std::memcpy(to.data(), from.data(), bytes);
            asm volatile("" : : "r"(to.data()) : "memory");
        });
    }

    fs::path m_Dir;
    bool m_bModern;
    BenchUi m_Ui;
    std::unique_ptr<CBrindleApp> m_pApp;
    std::vector<Row> m_Rows;
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<Row> rows;
    for (bool modern : {false, true}) {
        const fs::path& dir = bench::FullClientDir("window", modern);
        if (!modern) {
            WriteLargeDocument(dir);
        }
        for (Row& row : WindowBench(dir, modern).Run()) {
            rows.push_back(std::move(row));
        }
    }
    std::printf("%-72s %10s  %s\n", "action", "ms", "floor");
    for (const Row& row : rows) {
        std::printf("%-72s %10.2f  %s", row.action.c_str(), row.ms,
                    row.progress           ? "(progress shown) "
                    : row.ms > kBlockingMs ? "BLOCKS "
                                           : "");
        if (row.floorMs > 0) {
            std::printf("%.1f x %s (%.3f ms)", row.ms / row.floorMs, row.floorName.c_str(),
                        row.floorMs);
        }
        std::printf("\n");
    }
    for (const auto& [modern, dir] : bench::ClientDirs()) {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    return 0;
}
