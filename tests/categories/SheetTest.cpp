// The property sheet: titles and icons, reuse through the current sheet, the tack rule,
// cascading, applying and the "Save ?" question.

#include "CDataPageScript.h"
#include "CDataVerData.h"
#include "QtTestSupport.h"
#include "ResourceIds.h"
#include "VerDataPages.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <QPointer>

namespace tessaly {
namespace {

// A page whose load and save results the test decides.
class FakePage : public CDataPage {
public:
    // Larger than a new sheet, as real pages are: the sheet grows to hold it.
    FakePage() : CDataPage(200, QStringLiteral("Fake")) { setMinimumSize(520, 460); }
    int LoadData() override {
        ++m_nLoads;
        return m_nLoadResult;
    }
    int SaveData() override {
        ++m_nSaves;
        if (m_OnSave) {
            m_OnSave();
        }
        return m_nSaveResult;
    }
    int m_nLoads = 0, m_nSaves = 0, m_nLoadResult = 0, m_nSaveResult = 0;
    std::function<void()> m_OnSave;  // runs inside SaveData
};

// An entry of a chosen type whose sheet gets two fake pages.
class FakeEntry : public test::TextEntry {
public:
    FakeEntry(std::int32_t type, std::uint32_t index) : TextEntry(index, "fake", type) {}
    // Two pages, which the sheet gets from MakeFakePage.
    void AddPages(std::vector<EntryPage>& pages) override;
    void OnDataChanged(int) override { ++m_nChanged; }
    FakePage* m_pFirst = nullptr;
    FakePage* m_pSecond = nullptr;
    int m_nChanged = 0;
};

FakeEntry* g_pMaking = nullptr;  // the entry whose pages are being made

void FakeEntry::AddPages(std::vector<EntryPage>& pages) {
    g_pMaking = this;
    m_pFirst = m_pSecond = nullptr;
    pages.assign(2, EntryPage::Unknown);
}

// A fake entry's sheet gets fake pages; the others get their own.
CDataPage* MakeFakePage(EntryPage page) {
    if (g_pMaking == nullptr) {
        return CreatePage(page);
    }
    auto* fake = new FakePage;
    if (g_pMaking->m_pFirst == nullptr) {
        g_pMaking->m_pFirst = fake;
    } else {
        g_pMaking->m_pSecond = fake;
        g_pMaking = nullptr;
    }
    return fake;
}

class SheetTest : public test::SampleSheetTest {
protected:
    void SetUp() override {
        test::SampleSheetTest::SetUp();
        DataAppState().m_MakePage = MakeFakePage;
    }
    void TearDown() override {
        DataAppState().m_MakePage = nullptr;
        test::SampleSheetTest::TearDown();
    }
};

TEST_F(SheetTest, TitleIconButtonsAndReopening) {
    FakeEntry entry(kCategoryItems, 0x1a);
    CDataProps* sheet = OpenProperties(entry);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->windowTitle(), "Items - 01a");
    EXPECT_EQ(sheet->property("iconId").toInt(), kCategoryItems);
    EXPECT_EQ(std::pair(entry.m_pFirst->m_nLoads, entry.m_pSecond->m_nLoads), std::pair(1, 0));
    QPushButton* ok = sheet->GetButton(ids::ID_SHEET_OK);
    EXPECT_FALSE(ok->isEnabled());
    // "?" has no help to show: greyed, and its tip says so; each button's tip says what it does.
    EXPECT_FALSE(sheet->GetButton(ids::ID_SHEET_HELP)->isEnabled());
    EXPECT_EQ(sheet->GetButton(ids::ID_SHEET_HELP)->toolTip(),
              "Help: there is no help for these pages");
    EXPECT_EQ(ok->toolTip(), "OK: no page has edits to apply");
    EXPECT_TRUE(sheet->GetButton(ids::ID_SHEET_TACK)->toolTip().startsWith("Tack: "));
    entry.m_pFirst->SetModified(true);
    EXPECT_EQ(ok->toolTip(), "OK: apply the edits of the pages and close the sheet");
    sheet->OnCommand(ids::ID_SHEET_TACK);
    EXPECT_TRUE(sheet->GetButton(ids::ID_SHEET_TACK)->toolTip().startsWith("Tacked: "));
    EXPECT_EQ(ok->toolTip(), "OK: apply the edits of the pages");
    sheet->OnCommand(ids::ID_SHEET_TACK);
    sheet->SetSheetModified(false);
    // A page that does not load does not become active.
    entry.m_pSecond->m_nLoadResult = 1;
    sheet->SetActivePage(1);
    EXPECT_EQ(sheet->GetActiveIndex(), 0);
    EXPECT_EQ(entry.m_pSecond->GetEntry(), nullptr);
    // An entry that a sheet shows already only gets the focus.
    EXPECT_EQ(OpenProperties(entry), nullptr);
    EXPECT_EQ(DataAppState().m_Sheets.size(), 1u);

    CDataProps empty(nullptr, nullptr);
    EXPECT_EQ(empty.windowTitle(), "No Data");
    EXPECT_EQ(empty.property("iconId").toInt(), 128);
}

// Sheets opened at one place cascade; the tack makes one of them current at a time.
TEST_F(SheetTest, SheetsCascadeAndTheCurrentSheetKeepsPagesOfTheSameType) {
    FakeEntry a(kCategoryItems, 1), b(kCategoryItems, 2), c(kCategoryItems, 3);
    CDataProps* first = OpenProperties(a);
    CDataProps* second = OpenProperties(b);
    CDataProps* third = OpenProperties(c);
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ(second->pos(), first->pos() + QPoint(20, 20));
    EXPECT_EQ(third->pos(), first->pos() + QPoint(40, 40));
    // Each click on a tack: the current sheet, and the tack bitmaps of the first two.
    for (const auto& [clicked, current, firstTack, secondTack] :
         {std::tuple(first, first, ids::IDB_TACK_CURRENT, ids::IDB_TACK),
          std::tuple(second, second, ids::IDB_TACK, ids::IDB_TACK_CURRENT),
          std::tuple(second, static_cast<CDataProps*>(nullptr), ids::IDB_TACK, ids::IDB_TACK)}) {
        QTest::mouseClick(clicked->GetButton(ids::ID_SHEET_TACK), Qt::LeftButton);
        EXPECT_EQ(DataAppState().m_pCurrentSheet, current);
        EXPECT_EQ(std::pair(first->GetTackBitmap(), second->GetTackBitmap()),
                  std::pair(firstTack, secondTack));
    }
    // A closed current sheet leaves the role.
    first->OnCommand(ids::ID_SHEET_TACK);
    DataAppState().CloseSheet(first);
    EXPECT_EQ(DataAppState().m_pCurrentSheet, nullptr);

    // The current sheet keeps pages of the same type and replaces others.
    DataAppState().DestroyAllSheets();
    FakeEntry texture(kCategoryTextures, 3);
    CDataProps* sheet = OpenProperties(a);
    sheet->OnCommand(ids::ID_SHEET_TACK);
    FakePage* page = a.m_pFirst;
    EXPECT_EQ(OpenProperties(b), nullptr);
    EXPECT_EQ(DataAppState().m_Sheets.size(), 1u);
    EXPECT_EQ(std::pair(sheet->GetEntry(), page->GetEntry()),
              (std::pair<CDataDef*, CDataDef*>(&b, &b)));
    EXPECT_EQ(sheet->GetPage(0), page);
    EXPECT_EQ(page->m_nLoads, 2);
    EXPECT_EQ(sheet->windowTitle(), "Items - 02");

    EXPECT_EQ(OpenProperties(texture), sheet);
    EXPECT_EQ(sheet->GetPage(0), texture.m_pFirst);
    EXPECT_EQ(sheet->GetPageCount(), 2);
    EXPECT_EQ(sheet->windowTitle(), "Textures - 03");
    EXPECT_EQ(sheet->property("iconId").toInt(), kCategoryTextures);
}

TEST_F(SheetTest, ApplyKeepsTheCurrentSheetOpenAndAModifiedPageAsksToSave) {
    FakeEntry a(kCategoryItems, 1);
    CDataProps* sheet = OpenProperties(a);
    sheet->OnCommand(ids::ID_SHEET_TACK);
    a.m_pFirst->OnChange();
    QTest::mouseClick(sheet->GetButton(ids::ID_SHEET_OK), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(std::pair(a.m_pFirst->m_nSaves, a.m_nChanged), std::pair(1, 1));
    EXPECT_FALSE(sheet->IsSheetModified());
    ASSERT_EQ(DataAppState().m_Sheets.size(), 1u);

    // A failing page keeps the sheet modified and reloads the pages instead of closing.
    a.m_pFirst->m_nSaveResult = 1;
    a.m_pFirst->OnChange();
    sheet->OnCommand(ids::ID_SHEET_TACK);
    sheet->OnCommand(ids::ID_SHEET_OK);
    QApplication::processEvents();
    ASSERT_EQ(DataAppState().m_Sheets.size(), 1u);
    EXPECT_TRUE(sheet->IsSheetModified());
    EXPECT_TRUE(a.m_pFirst->IsModified());
    EXPECT_EQ(a.m_pFirst->m_nLoads, 3);

    // Applied whole, a sheet that is not the current one closes.
    a.m_pFirst->m_nSaveResult = 0;
    sheet->OnCommand(ids::ID_SHEET_OK);
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_TRUE(DataAppState().m_Sheets.empty());

    // The "Save ?" question on a modified page.
    sheet = OpenProperties(a);
    a.m_pFirst->OnChange();
    m_Ui.m_ChoiceAnswers = {CShellUi::Answer::Cancel};
    EXPECT_FALSE(sheet->close());
    ASSERT_EQ(m_Ui.m_Choices.size(), 1u);
    EXPECT_EQ(m_Ui.m_Choices[0].text + "|" + m_Ui.m_Choices[0].title, "Save ?|Items - 01");
    ASSERT_EQ(DataAppState().m_Sheets.size(), 1u);
    EXPECT_TRUE(sheet->IsSheetModified());

    // Changing the entry asks too; No drops the edits.
    FakeEntry b(kCategoryItems, 2);
    sheet->OnCommand(ids::ID_SHEET_TACK);
    m_Ui.m_ChoiceAnswers = {CShellUi::Answer::No};
    EXPECT_EQ(OpenProperties(b), nullptr);
    EXPECT_EQ(sheet->GetEntry(), &b);
    EXPECT_EQ(a.m_pFirst->m_nSaves, 0);

    a.m_pFirst->OnChange();
    m_Ui.m_ChoiceAnswers = {CShellUi::Answer::Yes};
    EXPECT_TRUE(sheet->close());
    EXPECT_EQ(a.m_pFirst->m_nSaves, 1);
    EXPECT_TRUE(DataAppState().m_Sheets.empty());
    QApplication::processEvents();
}

// Deletes what closed sheets left for the event loop; whether the sheet is gone then.
bool DeletedLater(const QPointer<CDataProps>& sheet) {
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return sheet.isNull();
}

TEST_F(SheetTest, ASheetMidEditClosesByEachCauseWithoutTouchingFreedMemory) {
    // OK, and saving reloads the entry away below the sheet's own apply.
    {
        auto* entry = new FakeEntry(kCategoryItems, 2);
        QPointer<CDataProps> sheet = OpenProperties(*entry);
        FakePage* page = entry->m_pFirst;
        page->OnChange();
        page->m_OnSave = [&entry] { delete std::exchange(entry, nullptr); };
        sheet->OnCommand(ids::ID_SHEET_OK);
        EXPECT_EQ(entry, nullptr);
        EXPECT_TRUE(DataAppState().m_Sheets.empty());
        EXPECT_TRUE(DeletedLater(sheet));
    }
    // The close box: "Save ?" answered No drops the edit.
    {
        FakeEntry entry(kCategoryItems, 3);
        QPointer<CDataProps> sheet = OpenProperties(entry);
        entry.m_pFirst->OnChange();
        m_Ui.m_ChoiceAnswers = {CShellUi::Answer::No};
        EXPECT_TRUE(sheet->close());
        EXPECT_TRUE(DataAppState().m_Sheets.empty());
        EXPECT_TRUE(DeletedLater(sheet));
        EXPECT_EQ(m_Ui.m_Choices.size(), 1u);
    }
    // The entry goes while a page holds an edit: no question, the sheet lets go at once.
    {
        auto* entry = new FakeEntry(kCategoryItems, 4);
        QPointer<CDataProps> sheet = OpenProperties(*entry);
        FakePage* page = entry->m_pFirst;
        page->OnChange();
        sheet->OnCommand(ids::ID_SHEET_TACK);
        delete entry;
        EXPECT_TRUE(DataAppState().m_Sheets.empty());
        EXPECT_EQ(DataAppState().m_pCurrentSheet, nullptr);
        ASSERT_FALSE(sheet.isNull());
        EXPECT_EQ(sheet->GetEntry(), nullptr);
        EXPECT_EQ(page->GetEntry(), nullptr);
        // A late apply or close of the released sheet finds nothing to write into.
        sheet->OnCommand(ids::ID_SHEET_OK);
        EXPECT_EQ(page->m_nSaves, 0);
        EXPECT_TRUE(DeletedLater(sheet));
        EXPECT_EQ(m_Ui.m_Choices.size(), 1u);
    }
}

TEST_F(SheetTest, VerDataAndScriptPagesShowTheirRecordsAndRefuseOtherEntries) {
    CDataVerData record(CUOVersionBlock{4, 0x4e3c, 0x888, 3366, 44, 48});
    CDataProps* sheet = OpenProperties(record);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->windowTitle(), "VerData - 010004e3c");
    auto* page = dynamic_cast<CDataPageVerData*>(sheet->GetPage(0));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->m_pType->currentIndex(), 4);
    EXPECT_EQ(
        QStringList({page->m_pType->itemText(22), page->m_pIndex->text(), page->m_pSize->text(),
                     page->m_pPos->text(), page->m_pLength->text(), page->m_pMore1->text(),
                     page->m_pMore2->text()}),
        QStringList({"?verdata.mul", "04e3c", "Max Blocks 32768", "0888", "3366", "02c", "030"}));
    // The target's own pages follow the record's.
    QStringList titles;
    for (int i = 0; i < sheet->GetPageCount(); ++i) {
        titles << sheet->GetPage(i)->windowTitle();
    }
    EXPECT_EQ(titles.join(QLatin1Char(',')), "VerData,TileData,Item,Script");

    // Nothing here is stored: the type chooser is greyed, and typing changes nothing.
    EXPECT_FALSE(page->m_pType->isEnabled());
    QTest::keyClicks(page->m_pMore1, QStringLiteral("77"));
    EXPECT_EQ(page->m_pMore1->text(), "02c");
    EXPECT_FALSE(page->IsModified());

    // The Script page, only for its four categories, loads for the record's item.
    sheet->SetActivePage(3);
    EXPECT_EQ(sheet->GetActiveIndex(), 3);
    // The page refuses an entry that is no record; the Script page, one of another category.
    FakeEntry other(kCategoryTextures, 1);
    CDataProps plain(&other, nullptr);
    auto* notRecord = new CDataPageVerData;
    auto* script = new CDataPageScript;
    plain.AddPage(notRecord);
    plain.AddPage(script);
    EXPECT_FALSE(notRecord->LoadEntry());
    EXPECT_FALSE(script->LoadEntry());
}

}  // namespace
}  // namespace tessaly
