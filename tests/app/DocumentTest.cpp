// The document, view and frames over the real main window: what a new view shows, the command
// states, categories and filters, saving patch files and several documents at once.

#include "CAppBase.h"
#include "CBrindleDoc.h"
#include "CBrindleView.h"
#include "CChildFrame.h"
#include "CDataListCtrl.h"
#include "CDataListThumbs.h"
#include "CDataPageDraw.h"
#include "CDataProps.h"
#include "CMainFrame.h"
#include "MainWindowSupport.h"
#include "ResourceIds.h"
#include "ScriptedUi.h"
#include "categories/QtTestSupport.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace tessaly {
namespace {

using test::TempDir;

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::TestApp();
        test::UseSampleClient();
        test::MakeMainWindow(m_pApp, m_pFrame);
        ASSERT_NE(m_pFrame, nullptr);
        m_pApp->GetDataState().m_pUi = &m_Ui;
    }
    void TearDown() override {
        m_pApp.reset();
        QApplication::processEvents();
    }

    CBrindleView* ActiveView() const {
        return dynamic_cast<CBrindleView*>(m_pFrame->GetActiveView());
    }
    CDataListCtrl* ActiveList() const {
        return dynamic_cast<CDataListCtrl*>(ActiveView()->m_pList);
    }
    CCmdUI State(int id) { return m_pFrame->QueryCommand(id); }
    CBrindleDoc* Open(const std::string& path) {
        return dynamic_cast<CBrindleDoc*>(m_pApp->OpenDocumentFile(QString::fromStdString(path)));
    }
    static std::vector<std::uint8_t> Bytes(const std::string& path) {
        return TempDir::ReadFile(path);
    }

    // A patch file of records sorted by key, so that a save (which writes records in table
    // order and data in the same order) reproduces it byte for byte.
    std::string WritePatch(const std::string& name, std::vector<mk::SamplePatch> patches) {
        std::stable_sort(patches.begin(), patches.end(), [](const auto& a, const auto& b) {
            return CUOVersionBlock::MakeKey(a.fileId, a.block) <
                   CUOVersionBlock::MakeKey(b.fileId, b.block);
        });
        return m_Dir.Write(name, mk::BuildVerData(patches));
    }

    TempDir m_Dir;
    test::ScriptedUi m_Ui;
    std::unique_ptr<CAppBase> m_pApp;
    CMainFrame* m_pFrame = nullptr;
};

TEST_F(DocumentTest, ANewViewShowsTheVerDataListWithDefaultFilters) {
    auto* doc = dynamic_cast<CBrindleDoc*>(m_pApp->OnFileNew());
    ASSERT_NE(doc, nullptr);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(doc->GetTitle(), "mul1");
    CBrindleView* view = ActiveView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->m_nCategory, 31200);
    EXPECT_EQ(view->GetParentFrame()->windowTitle(), "VerData");
    EXPECT_EQ(view->m_nListMode, 0);
    CDataListCtrl* list = ActiveList();
    ASSERT_NE(list, nullptr);
    const int records = doc->m_VerData.GetCount();
    ASSERT_GT(records, 5);
    EXPECT_EQ(list->GetModel()->rowCount(), records);
    for (int row = 0; row < records; ++row) {
        CDataDef* entry = list->GetModel()->GetEntry(row);
        for (int column = 0; column < 5; ++column) {
            const char* text = entry->GetColumnText(column);
            EXPECT_EQ(list->GetModel()->index(row, column + 2).data().toString(),
                      QString::fromLatin1(text != nullptr ? text : ""));
        }
    }
    // The records of the hue group, the art item and "animdata.mul" are among them.
    std::set<std::string> files;
    for (CDataVerData* record : doc->m_VerData) {
        files.insert(record->GetColumnText(0));
    }
    EXPECT_TRUE(files.count("hues.mul") && files.count("art.mul") && files.count("animdata.mul"));

    // (The menu states of a new view are checked item by item in the shell's menu tests.)
    list->SelectPosition(0);
    for (int id :
         {ids::ID_EDIT_PROPERTIES, ids::ID_EDIT_COPY, ids::ID_EDIT_CUT, ids::ID_EDIT_DELETE}) {
        EXPECT_TRUE(State(id).m_bEnabled) << id;
    }
    // Properties from the Edit menu open the selected record's sheet.
    EXPECT_TRUE(m_pFrame->RouteCommand(ids::ID_EDIT_PROPERTIES));
    ASSERT_EQ(m_pApp->GetDataState().m_Sheets.size(), 1u);
    EXPECT_EQ(m_pApp->GetDataState().m_Sheets[0]->GetEntry(), list->GetModel()->GetEntry(0));
}

TEST_F(DocumentTest, CategoriesListModesAndFilters) {
    m_pApp->OnFileNew();
    CBrindleView* view = ActiveView();
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_DATA_ITEMS));
    EXPECT_EQ(view->m_nCategory, 31204);
    EXPECT_EQ(view->GetParentFrame()->windowTitle(), "Items");
    EXPECT_TRUE(State(ids::ID_DATA_ITEMS).m_bChecked);
    // The list fills the view below the filter field.
    QWidget* shown = view->m_pListWnd.get();
    const QRect field = view->GetFilterField()->geometry();
    EXPECT_EQ(field.top(), 0);
    EXPECT_EQ(shown->geometry(), view->rect().adjusted(0, field.height(), 0, 0));
    // The category already shown is not rebuilt.
    m_pFrame->RouteCommand(ids::ID_DATA_ITEMS);
    EXPECT_EQ(view->m_pListWnd.get(), shown);
    const int valid = ActiveList()->GetModel()->rowCount();

    // "Unused Slots" refills the same list with every slot.
    ASSERT_TRUE(State(ids::ID_VIEW_UNUSED).m_bEnabled);
    m_pFrame->RouteCommand(ids::ID_VIEW_UNUSED);
    EXPECT_TRUE(State(ids::ID_VIEW_UNUSED).m_bChecked);
    EXPECT_EQ(view->m_pListWnd.get(), shown);
    EXPECT_EQ(ActiveList()->GetModel()->rowCount(), 16384);
    m_pFrame->RouteCommand(ids::ID_VIEW_UNUSED);
    EXPECT_EQ(ActiveList()->GetModel()->rowCount(), valid);

    // "Mul Files" acts when a list is built: the refill keeps the entries, the next
    // category lists only patched slots.
    m_pFrame->RouteCommand(ids::ID_VIEW_MULFILES);
    EXPECT_FALSE(State(ids::ID_VIEW_MULFILES).m_bChecked);
    EXPECT_EQ(ActiveList()->GetModel()->rowCount(), valid);
    m_pFrame->RouteCommand(ids::ID_DATA_GUMPS);
    EXPECT_EQ(ActiveList()->GetModel()->rowCount(), 1);
    EXPECT_EQ(ActiveList()->GetModel()->GetEntry(0)->GetIndex(), 0xF7u);
    m_pFrame->RouteCommand(ids::ID_VIEW_MULFILES);

    // Thumbnails and back keep the category.
    ASSERT_TRUE(State(ids::ID_VIEW_THUMBNAIL).m_bEnabled);
    m_pFrame->RouteCommand(ids::ID_VIEW_THUMBNAIL);
    EXPECT_NE(dynamic_cast<CDataListThumbs*>(view->m_pList), nullptr);
    EXPECT_EQ(view->m_nCategory, 31207);
    EXPECT_TRUE(State(ids::ID_VIEW_THUMBNAIL).m_bChecked);
    m_pFrame->RouteCommand(ids::ID_VIEW_TEXTLIST);
    EXPECT_NE(ActiveList(), nullptr);
    EXPECT_EQ(view->m_nCategory, 31207);

    m_pFrame->RouteCommand(ids::ID_DATA_VERDATA);
    EXPECT_FALSE(State(ids::ID_VIEW_UNUSED).m_bEnabled);
    EXPECT_FALSE(State(ids::ID_VIEW_THUMBNAIL).m_bEnabled);
}

TEST_F(DocumentTest, OpeningRecordsLastViewAndNewDoesNot) {
    QSettings settings(QStringLiteral("Local AppWizard-Generated Applications"),
                       QStringLiteral("Tessaly"));
    settings.remove(QStringLiteral("MAIN/LastView"));
    m_pApp->OnFileNew();
    settings.sync();
    EXPECT_FALSE(settings.contains(QStringLiteral("MAIN/LastView")));
    std::string path =
        WritePatch("open.mul", test::SamplePatches([](std::uint32_t f) { return f == 12; }));
    CBrindleDoc* doc = Open(path);
    ASSERT_NE(doc, nullptr);
    EXPECT_FALSE(doc->IsModified());
    settings.sync();
    EXPECT_EQ(settings.value(QStringLiteral("MAIN/LastView")).toString().toStdString(), path);
    EXPECT_EQ(doc->m_VerData.GetCount(), 1);
    // A file that does not open makes no document.
    EXPECT_EQ(Open(m_Dir.File("missing.mul")), nullptr);
    EXPECT_EQ(m_Ui.m_Warnings,
              std::vector<std::string>{"Cannot open the file " + m_Dir.File("missing.mul") + "."});
}

TEST_F(DocumentTest, SavingKindsThatWriteThemselvesReproducesTheFile) {
    // The item picture, the gump and the "animdata.mul" record of the sample patch.
    std::string source = WritePatch("source.mul", test::SamplePatches([](std::uint32_t f) {
                                        return f == 4 || f == 12 || f == 31;
                                    }));
    CBrindleDoc* doc = Open(source);
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->m_VerData.GetCount(), 3);
    // A sheet on a record: it closes when the document reloads after the save.
    ActiveList()->SelectPosition(0);
    m_pFrame->RouteCommand(ids::ID_EDIT_PROPERTIES);
    ASSERT_EQ(m_pApp->GetDataState().m_Sheets.size(), 1u);

    std::string target = m_Dir.File("saved.mul");
    ASSERT_TRUE(doc->DoSave(QString::fromStdString(target)));
    EXPECT_EQ(Bytes(target), Bytes(source));
    EXPECT_FALSE(std::filesystem::exists(m_Dir.File("tmpversave.mul")));
    EXPECT_TRUE(m_pApp->GetDataState().m_Sheets.empty());
    // The document now holds the saved file and lists it again.
    EXPECT_EQ(doc->GetPatchPath(), target);
    EXPECT_EQ(ActiveList()->GetModel()->rowCount(), 3);
    ASSERT_TRUE(doc->DoSave(QString::fromStdString(m_Dir.File("again.mul"))));
    EXPECT_EQ(Bytes(m_Dir.File("again.mul")), Bytes(source));

    // The reloaded item and gump show their patched pictures at the sizes their records carry.
    IndexRecord gump;
    ASSERT_TRUE(TheVerDataTable().FindRecord(kSlotGumpArt, 0x00F7, gump));
    const struct {
        std::int32_t category;
        std::uint32_t index;
        const char* format;  // the page's size text
        std::uint32_t width, height;
    } patched[] = {{kCategoryItems, 0x0E3C, "%d,%d", 44, 48},
                   {kCategoryGumps, 0x00F7, "%d, %d", gump.m_wExtra2, gump.m_wExtra1}};
    for (const auto& [category, index, format, width, height] : patched) {
        ActiveView()->SetCategory(category);
        CDataDef* entry = nullptr;
        for (int r = 0; r < ActiveList()->GetModel()->rowCount(); ++r) {
            if (ActiveList()->GetModel()->GetEntry(r)->GetIndex() == index) {
                entry = ActiveList()->GetModel()->GetEntry(r);
            }
        }
        ASSERT_NE(entry, nullptr) << index;
        EXPECT_EQ(entry->GetChangeState(), 2);
        CDataProps* sheet = entry->OpenProperties();
        ASSERT_NE(sheet, nullptr);
        sheet->SetActivePage(sheet->GetPageCount() > 1 ? 1 : 0);  // after the tile data page
        auto* page = dynamic_cast<CDataPageDraw*>(sheet->GetActivePage());
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->m_sSize, QString::asprintf(format, width, height));
        SurfaceBuffer picture;
        ASSERT_TRUE(entry->GetImage(picture));
        EXPECT_EQ(picture.GetWidth(), width);
        EXPECT_EQ(picture.GetHeight(), height);
    }
}

TEST_F(DocumentTest, AHueGroupDeclinesAndTheTargetStaysUntouched) {
    std::string source = WritePatch(
        "hues.mul.pat", test::SamplePatches([](std::uint32_t f) { return f == 4 || f == 32; }));
    CBrindleDoc* doc = Open(source);
    ASSERT_NE(doc, nullptr);
    std::string target = m_Dir.Write("target.mul", {1, 2, 3});
    EXPECT_FALSE(doc->DoSave(QString::fromStdString(target)));
    EXPECT_EQ(Bytes(target), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_FALSE(std::filesystem::exists(m_Dir.File("tmpversave.mul")));
    EXPECT_EQ(doc->GetPathName().toStdString(), source);
}

TEST_F(DocumentTest, EachDocumentReadsAndWritesItsOwnPatchFile) {
    // Two patch files with the same "animdata.mul" block and different bytes.
    mk::SamplePatch a{31, 3, {1, 1, 1, 1}, 7, 8};
    mk::SamplePatch b{31, 3, {2, 2, 2, 2, 2, 2, 2, 2}, 9, 10};
    std::string first = WritePatch("first.mul", {a});
    std::string second = WritePatch("second.mul", {b});
    CBrindleDoc* docA = Open(first);
    CBrindleDoc* docB = Open(second);
    ASSERT_TRUE(docA && docB);
    EXPECT_EQ(m_pFrame->GetActiveDocument(), docB);
    EXPECT_EQ(TheClientFiles().GetFile(kSlotVerData).GetFilePath(), second);

    // Saving the first document while the second is active writes the first one's bytes.
    ASSERT_TRUE(docA->DoSave(QString::fromStdString(m_Dir.File("a-out.mul"))));
    EXPECT_EQ(Bytes(m_Dir.File("a-out.mul")), Bytes(first));
    ASSERT_TRUE(docB->DoSave(QString::fromStdString(m_Dir.File("b-out.mul"))));
    EXPECT_EQ(Bytes(m_Dir.File("b-out.mul")), Bytes(second));

    // Activating a document's frame points slot 22 and the patch table at its file.
    CChildFrame* frameA = docA->GetViews().front()->GetParentFrame();
    m_pFrame->GetMdiArea()->setActiveSubWindow(frameA);
    EXPECT_EQ(TheClientFiles().GetFile(kSlotVerData).GetFilePath(), m_Dir.File("a-out.mul"));
    IndexRecord record;
    ASSERT_TRUE(TheVerDataTable().FindRecord(31, 3, record));
    EXPECT_EQ(record.GetLength(), 4u);

    // Closing one document leaves the other's entries intact.
    frameA->close();
    QApplication::processEvents();
    EXPECT_EQ(m_pFrame->GetActiveDocument(), docB);
    ASSERT_TRUE(docB->DoSave(QString::fromStdString(m_Dir.File("b-again.mul"))));
    EXPECT_EQ(Bytes(m_Dir.File("b-again.mul")), Bytes(second));
}

}  // namespace
}  // namespace tessaly
