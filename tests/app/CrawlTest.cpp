// A crawl over the whole window on clients the generator damaged (old and newer, by seed),
// with every View filter on: every list in both modes (text list and grid), with and without the
// unused slots, the row texts, a copy and an export of each row (of spread rows in the longest
// lists), the sheets of spread rows with every page drawn (animations stepped, flipped and
// played), every category exported whole, then the document and the ".pat" patch saved to new
// files. Nothing may crash or let an exception out, the client's own files stay as they were,
// and exactly the entries the generator left damaged carry the damaged mark.

#include "AnimPages.h"
#include "CDataDefAnim.h"
#include "CDataListCtrl.h"
#include "CDataProps.h"
#include "CategoryExport.h"
#include "DataTypeDef.h"
#include "MapView.h"
#include "PatchFormat.h"
#include "ResourceIds.h"
#include "SampleClient.h"
#include "ShellTestSupport.h"

#include <QCheckBox>

#include <algorithm>
#include <set>

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using namespace ids;

// The old or newer sample client as the generator damages it for a seed.
struct GeneratedDamage {
    bool modern = false;
    std::uint32_t seed = 0;
};

// Where a category's list rows read their records: the index file, and the first record of
// row n and how many follow it (a body has one per action and stored direction).
struct RecordsOf {
    const char* category;
    const char* index;
    std::uint32_t (*entry)(std::uint32_t row);
    std::uint32_t (*count)(std::uint32_t row) = [](std::uint32_t) { return 1u; };
};

constexpr RecordsOf kRecords[] = {
    {"Items", "artidx.mul", [](std::uint32_t n) { return n + kArtItemBase; }},
    {"Terrain", "artidx.mul", [](std::uint32_t n) { return n; }},
    {"Gumps", "gumpidx.mul", [](std::uint32_t n) { return n; }},
    {"Sounds", "soundidx.mul", [](std::uint32_t n) { return n; }},
    {"Multis", "multi.idx", [](std::uint32_t n) { return n; }},
    {"Textures", "texidx.mul", [](std::uint32_t n) { return n; }},
    {"Lights", "lightidx.mul", [](std::uint32_t n) { return n; }},
    {"Statics", "staidx0.mul", [](std::uint32_t n) { return n; }},
    {"Anims", "anim.idx", [](std::uint32_t n) { return GetAnimIndex(n, 0, 3); },
     [](std::uint32_t n) { return static_cast<std::uint32_t>(GetAnimActionCount(n)) * 5; }},
};

class CrawlTest : public test::ShellTest, public ::testing::WithParamInterface<GeneratedDamage> {
protected:
    void SetUp() override {
        test::ShellTest::SetUp();
        if (GetParam().modern) {
            mk::WriteModernClient(m_Client.Path());
        } else {
            mk::WriteSampleClient(m_Client.Path(), false);
        }
        m_Report = mk::DamageClient(m_Client.Path(), GetParam().seed);
        m_Before = test::Snapshot(m_Client.Path());
    }

    // Activates and draws every page of every open sheet, then closes them.
    void DrawSheets() {
        CDataAppState& state = m_pApp->GetDataState();
        for (CDataProps* sheet : std::vector<CDataProps*>(state.m_Sheets)) {
            for (int page = 0; page < sheet->GetPageCount(); ++page) {
                sheet->SetActivePage(page);
                if (auto* anim = dynamic_cast<CDataPageAnimDraw*>(sheet->GetActivePage())) {
                    for (int step = 0; step < 3; ++step) {
                        anim->OnTimer();
                    }
                    anim->m_pFlip->click();
                    anim->m_pPlay->click();
                    anim->m_pPlay->click();
                }
                sheet->grab();
            }
        }
        state.DestroyAllSheets();
    }

    // Shows a category with or without the unused slots, and crawls it.
    void CrawlCategory(int category, bool unused) {
        CMainFrame* frame = m_pApp->GetMainFrame();
        ASSERT_TRUE(Command(category)) << category;
        CBrindleView* view = ActiveView();
        ASSERT_NE(view, nullptr) << category;
        // The map is a picture, not a list: every facet is drawn whole and zoomed into.
        if (CMapView* map = view->GetMapView()) {
            for (int facet = 0; facet < kFacetCount; ++facet) {
                map->SetFacet(facet);
                map->FinishDrawing();
                map->SetZoom(kMapZoomCount - 1);
                map->FinishDrawing();
            }
            return;
        }
        const CCmdUI unusedState = State(ID_VIEW_UNUSED);
        if (unusedState.m_bEnabled && unusedState.m_bChecked != unused) {
            Command(ID_VIEW_UNUSED);
        }
        auto* list = dynamic_cast<CDataListCtrl*>(view->m_pList);
        ASSERT_NE(list, nullptr) << category;
        if (unused) {
            ExpectDamageMarks(category, list->GetShownRows());
        }
        const CDataListModel* model = list->GetModel();
        // Every row, but for the statics' 393,216 blocks and the lists of unused slots (tens of
        // thousands of rows): 200 rows spread over those.
        const int count = model->rowCount();
        const int step = count <= 5000 ? 1 : std::max(1, count / 200);
        for (int row = 0; row < count; row += step) {
            for (int column = 0; column < model->columnCount(); ++column) {
                model->index(row, column).data();
            }
            list->SelectPosition(row);
            frame->RouteCommand(ID_EDIT_COPY);
            if (State(ID_EXPORT).m_bEnabled) {
                // Sprite sheets and frame files in turn.
                m_Ui.m_ExportFiles.push_back(CShellUi::FileChoice{
                    TestPath("export-" + std::to_string(m_nExports)), m_nExports % 2});
                ++m_nExports;
                frame->RouteCommand(ID_EXPORT);
            }
        }
        for (int n = 0; n < 6 && count > 0; ++n) {
            list->SelectPosition(count * n / 6);
            frame->RouteCommand(ID_EDIT_PROPERTIES);
            DrawSheets();
        }
        if (State(ID_VIEW_THUMBNAIL).m_bEnabled) {
            Command(ID_VIEW_THUMBNAIL);
            // The grid: drawn at its start, at a spread cell and at its end, each copied.
            CDataList* grid = view->m_pList;
            ASSERT_NE(grid, nullptr);
            const int cells = static_cast<int>(grid->GetShownRows().size());
            for (int cell : {0, cells / 2, cells - 1}) {
                grid->SelectPosition(cell);
                frame->RouteCommand(ID_EDIT_COPY);
                frame->GetActiveView()->grab();
            }
            Command(ID_VIEW_TEXTLIST);
        }
    }

    // Every row whose record the generator left damaged, and no other, shows the mark "!".
    void ExpectDamageMarks(int category, const std::vector<CDataDef*>& rows) {
        for (const RecordsOf& records : kRecords) {
            if (FindCategory(records.category) != category ||
                !m_Report.outside.contains(records.index)) {
                continue;
            }
            const std::vector<std::uint32_t>& outside = m_Report.outside.at(records.index);
            const std::set<std::uint32_t> damaged(outside.begin(), outside.end());
            for (CDataDef* entry : rows) {
                const std::uint32_t first = records.entry(entry->GetIndex());
                const auto next = damaged.lower_bound(first);
                const bool expected =
                    next != damaged.end() && *next - first < records.count(entry->GetIndex());
                EXPECT_EQ(std::string(entry->GetColumnText(-1)) == "!", expected)
                    << records.category << " " << entry->GetIndex();
                if (expected && std::string(records.category) == "Sounds") {
                    // A damaged record's length gives no duration.
                    EXPECT_STREQ(entry->GetColumnText(1), "?") << entry->GetIndex();
                }
                m_nDamaged += expected ? 1 : 0;
            }
        }
    }

    test::TempDir m_Client;
    mk::DamageReport m_Report;
    int m_nDamaged = 0;
    int m_nExports = 0;
    std::map<std::string, std::vector<std::uint8_t>> m_Before;
};

TEST_P(CrawlTest, EveryCategoryAndPageCopesAndNoClientFileChanges) {
    ASSERT_TRUE(StartOnClient(m_Client.Path().string()));
    for (bool unused : {false, true}) {
        for (const DataTypeDef& def : GetTypeDefs()) {
            CrawlCategory(def.m_nId, unused);
        }
    }
    EXPECT_TRUE(GetParam().modern || m_nDamaged > 0);
    // Every category exported whole, as export-all writes it, by two threads.
    for (const char* name :
         {"Items", "Terrain", "Textures", "Multis", "Anims", "Sounds", "Lights", "Gumps"}) {
        const std::string dir = TestPath(std::string("all-") + name);
        fs::create_directory(dir);
        CCategoryExport all(FindCategory(name), ExportOptions{});
        EXPECT_TRUE(all.Run(dir, 2)) << name << ": " << all.GetError();
    }
    // The document saved to a new file: records of the damaged patch that its file cannot give
    // back are saved so that they read as damaged again, and never stop the save.
    m_Ui.m_DocumentFiles.push_back(TestPath("saved.mul"));
    EXPECT_TRUE(Command(ID_FILE_SAVE_AS));
    EXPECT_TRUE(fs::exists(TestPath("saved.mul")))
        << (m_Ui.m_Messages.empty() ? "" : m_Ui.m_Messages.back());

    // The ".pat" commands need a record to save.
    m_pApp->GetPatch().InsertPatchRecord(std::vector<std::uint8_t>(12, 1), kPatchTypeMulti, 1);
    m_Ui.m_Files.push_back(TestPath("saved.pat"));
    EXPECT_TRUE(Command(ID_SAVE_PATCH_AS));
    EXPECT_TRUE(fs::exists(TestPath("saved.pat")));
    Stop();
    EXPECT_EQ(test::Snapshot(m_Client.Path()), m_Before);
}

INSTANTIATE_TEST_SUITE_P(Seeds, CrawlTest,
                         ::testing::Values(GeneratedDamage{false, 1}, GeneratedDamage{false, 2},
                                           GeneratedDamage{false, 3}, GeneratedDamage{true, 4},
                                           GeneratedDamage{true, 5}, GeneratedDamage{false, 10}),
                         [](const auto& info) {
                             return (info.param.modern ? "modern_seed" : "old_seed") +
                                    std::to_string(info.param.seed);
                         });

}  // namespace
}  // namespace tessaly
