// The text list over the sample client: rows, filters, sorting, context menu, double click,
// selection and the sheets of its entries.

#include "CDataListThumbs.h"
#include "CDataPageDraw.h"
#include "ListFixture.h"
#include "ResourceIds.h"
#include "Text.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMenu>
#include <QStyle>

namespace tessaly {
namespace {

class ListTest : public test::SampleListTest {
protected:
    // Expects the rows ordered by the key of each row, ascending or descending.
    template <typename Key>
    void ExpectOrdered(Key key, bool ascending) const {
        for (int r = 1; r < m_pList->GetModel()->rowCount(); ++r) {
            const auto a = key(r - 1), b = key(r);
            EXPECT_TRUE(ascending ? !(b < a) : !(a < b)) << "rows " << r - 1 << " and " << r;
        }
    }
};

TEST_F(ListTest, VerDataListsEveryRecordSortsOnHeaderClicksAndOpensOnDoubleClick) {
    CDataListCtrl* list = Show(kCategoryVerData);
    CDataListModel* model = list->GetModel();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(model->rowCount(), m_Host.m_Records.GetCount());
    for (int row = 0; row < model->rowCount(); ++row) {
        auto* record = dynamic_cast<CDataVerData*>(model->GetEntry(row));
        ASSERT_NE(record, nullptr);
        // The record's key, no change mark (a record is no patched entry itself), then the
        // fields of its list text (VerDataEntry.KeyTargetListTextsAndLinkedEntries guards them).
        EXPECT_EQ(Cell(row, 0), QString::asprintf("%04x", record->GetRecord()->GetKey()));
        EXPECT_EQ(Cell(row, 1), " ");
        for (int column = 2; column < 7; ++column) {
            EXPECT_EQ(Cell(row, column), QString::fromLatin1(record->GetColumnText(column - 2)));
        }
    }
    // The "File" column shows the widest file name whole.
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    EXPECT_GE(list->horizontalHeader()->sectionSize(2) - 2 * margin,
              list->fontMetrics().horizontalAdvance(QStringLiteral("animdata.mul")));

    // Header clicks sort and mark the column.
    // "Block" (column 3) is numeric: read as hexadecimal.
    list->OnColumnClick(3);
    EXPECT_EQ(model->headerData(3, Qt::Horizontal).toString(), "Block V");
    ExpectOrdered([&](int row) { return ReadHex(Cell(row, 3).toStdString()); }, true);
    // "File" is text, case-insensitive.
    list->OnColumnClick(2);
    EXPECT_EQ(model->headerData(3, Qt::Horizontal).toString(), "Block");
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "File V");
    ExpectOrdered([&](int r) { return Cell(r, 2).toLower(); }, true);
    // A click through the real header does the same. (A second click on a column sorts it the
    // other way: GridTest.TheFilterKeepsRowsContaining... does so on the index column.)
    QHeaderView* header = list->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(5) + header->sectionSize(5) / 2,
                             header->height() / 2));
    EXPECT_EQ(model->headerData(5, Qt::Horizontal).toString(), "Len V");

    // A double click opens the entry of the row.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_Parent));
    QPoint at = list->visualRect(model->index(1, 2)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    ASSERT_EQ(DataAppState().m_Sheets.size(), 1u);
    EXPECT_EQ(DataAppState().m_Sheets[0]->GetEntry(), model->GetEntry(1));
    // The same entry again only focuses its sheet.
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(DataAppState().m_Sheets.size(), 1u);
}

TEST_F(ListTest, ItemsAttachArtRecordsAndListOnlyValidOrPatchedEntriesUnlessAsked) {
    CDataListCtrl* list = Show(kCategoryItems);
    ASSERT_LT(list->GetModel()->rowCount(), 16384);
    EXPECT_EQ(std::pair(Cell(RowOfIndex(0x0E3C), 0), Cell(RowOfIndex(0x0E3C), 1)),
              std::pair(QStringLiteral("0e3c"), QStringLiteral("*")));
    ExpectOrdered([&](int r) { return list->GetModel()->GetEntry(r)->GetIndex(); }, true);
    m_Host.m_bShowUnused = 1;
    list->FillList();
    EXPECT_EQ(list->GetModel()->rowCount(), 16384);
    EXPECT_EQ(Cell(0x0E3C, 1), "*");

    // The same art record never marks a terrain entry.
    Show(kCategoryTerrain);
    for (int r = 0; r < m_pList->GetModel()->rowCount(); ++r) {
        EXPECT_EQ(Cell(r, 1), " ") << r;
    }

    // Without the client's files only patched slots get entries.
    m_Host.m_bShowMulFiles = 0;
    // A record beyond the category's limit is not attached.
    m_Host.m_Records.Add(new CDataVerData(CUOVersionBlock{12, 70000, 4, 1, 0, 0}));
    ASSERT_EQ(Show(kCategoryGumps)->GetModel()->rowCount(), 1);
    EXPECT_EQ(std::pair(m_pList->GetModel()->GetEntry(0)->GetIndex(), Cell(0, 1)),
              std::pair(0xF7u, QStringLiteral("*")));

    // "VerData" off: the records of the file are not attached.
    m_Host.m_bShowMulFiles = 1;
    m_Host.m_bShowVerData = 0;
    Show(kCategoryGumps);
    EXPECT_EQ(Cell(RowOfIndex(0xF7), 1), " ");
}

// An entry a patch record of length 0 deletes shows as deleted wherever it appears: its list
// row, its grid cell, its page, and "Export...", which says so before any file is chosen.
TEST_F(ListTest, AnEntryDeletedByAPatchRecordShowsAsDeletedEverywhere) {
    // An item (the picture kinds share this; the art record's key for a terrain entry is
    // CategoryTable.LooksUpRecordsNamesAndColumns).
    Show(kCategoryItems);
    const std::uint32_t index = m_pList->GetModel()->GetEntry(1)->GetIndex();
    m_Host.m_Records.Add(
        new CDataVerData(CUOVersionBlock{kSlotArt, kArtItemBase + index, 0, 0, 0, 0}));
    Show(kCategoryItems);
    const int row = RowOfIndex(index);
    ASSERT_GE(row, 0);
    EXPECT_EQ(std::pair(Cell(row, 1), Cell(row, 2)),
              std::pair(QStringLiteral("*"), QStringLiteral("delete")));
    CDataDef* entry = m_pList->GetModel()->GetEntry(row);
    // The grid shows that text in place of a picture.
    EXPECT_TRUE(CDataListThumbs::MakeCellPicture(*entry).isNull());

    CDataProps* sheet = OpenProperties(*entry);
    ASSERT_NE(sheet, nullptr);
    auto* page = dynamic_cast<CDataPageDraw*>(sheet->GetPage(1));
    ASSERT_NE(page, nullptr);
    sheet->SetActivePage(1);
    EXPECT_EQ(page->m_sSize, "deleted");
    page->GetPicture()->repaint();
    EXPECT_EQ(page->GetBuffer().GetData(), nullptr);

    EXPECT_FALSE(ExportEntry(*entry));
    EXPECT_TRUE(m_Ui.m_ExportDialogs.empty());
    EXPECT_EQ(m_Ui.m_Messages,
              std::vector<std::string>{Format(
                  "Items 0%x is deleted by a patch record: it has nothing to export.", index)});
}

TEST_F(ListTest, ColumnTextIsAskedOnlyForDrawnRows) {
    std::vector<std::unique_ptr<test::TextEntry>> owned;
    std::vector<CDataDef*> rows;
    for (std::uint32_t i = 0; i < 50000; ++i) {
        owned.push_back(std::make_unique<test::TextEntry>(i, "1\tname"));
        rows.push_back(owned.back().get());
    }
    CDataListCtrl view(kCategoryItems);
    view.Create(&m_Host, &m_Parent);
    view.FillList();
    view.GetModel()->SetRows(rows);
    m_Parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_Parent));
    QApplication::processEvents();
    view.viewport()->repaint();
    int calls = 0;
    for (const auto& entry : owned) {
        calls += entry->m_nCalls;
    }
    EXPECT_GT(calls, 0);
    EXPECT_LT(calls, 200);
    view.GetModel()->SetRows({});
}

std::vector<std::pair<QString, bool>> Items(QMenu& menu) {
    std::vector<std::pair<QString, bool>> out;
    for (QAction* a : menu.actions()) {
        out.emplace_back(a->text(), a->isEnabled());
    }
    return out;
}

TEST_F(ListTest, ContextMenuOffersTheEntryCommands) {
    CDataListCtrl* list = Show(kCategoryItems);
    QRect row = list->visualRect(list->GetModel()->index(2, 0));
    std::unique_ptr<QMenu> menu = list->CreateContextMenu(row.center());
    EXPECT_EQ(list->GetSelected(), list->GetModel()->GetEntry(2));
    using Item = std::pair<QString, bool>;
    EXPECT_EQ(Items(*menu), (std::vector<Item>{{"Properties...", true},
                                               {"Copy", true},
                                               {"Delete", false},
                                               {"Paste Over", false},
                                               {"Export...", true},
                                               {"Insert New Items", false}}));
    // Triggering "Properties..." opens the entry's sheet.
    menu->actions()[0]->trigger();
    ASSERT_EQ(DataAppState().m_Sheets.size(), 1u);
    EXPECT_EQ(DataAppState().m_Sheets[0]->GetEntry(), list->GetModel()->GetEntry(2));

    // Below the last row: no entry.
    m_Host.m_bShowUnused = 0;
    Show(kCategoryLights);
    std::unique_ptr<QMenu> empty =
        m_pList->CreateContextMenu(QPoint(5, m_pList->viewport()->height() - 2));
    EXPECT_EQ(Items(*empty),
              (std::vector<Item>{
                  {"Paste New", false}, {"Export...", false}, {"Insert New Lights", false}}));

    Show(kCategoryVerData);
    std::unique_ptr<QMenu> verdata =
        m_pList->CreateContextMenu(m_pList->visualRect(m_pList->GetModel()->index(0, 0)).center());
    // A patch record exports what its target exports: a statics block, nothing.
    ASSERT_EQ(verdata->actions().size(), 5);
    EXPECT_EQ(Items(*verdata).back(), std::pair(QStringLiteral("Export..."), false));

    // A hue has nothing for the clipboard: its "Copy" is greyed and says why.
    Show(kCategoryHues);
    std::unique_ptr<QMenu> hue =
        m_pList->CreateContextMenu(m_pList->visualRect(m_pList->GetModel()->index(0, 0)).center());
    ASSERT_GE(hue->actions().size(), 2);
    EXPECT_EQ(Items(*hue)[1], std::pair(QStringLiteral("Copy"), false));
    EXPECT_EQ(hue->actions()[1]->toolTip(), kNothingToCopy);
}

TEST_F(ListTest, SelectionShowsInTheStatusPaneTheCurrentSheetFollowsAndTheListClosesItsSheets) {
    CDataListCtrl* list = Show(kCategoryItems);
    int crate = RowOfIndex(0x0E3C);
    list->SelectPosition(crate);
    EXPECT_EQ(m_Status, "Select Items 0e3c=3644");

    ASSERT_TRUE(list->OnCommand(ids::ID_LIST_DBLCLK));
    ASSERT_EQ(DataAppState().m_Sheets.size(), 1u);
    CDataProps* sheet = DataAppState().m_Sheets[0];
    sheet->OnCommand(ids::ID_SHEET_TACK);
    ASSERT_EQ(DataAppState().m_pCurrentSheet, sheet);
    list->SelectPosition(crate - 1);
    EXPECT_EQ(sheet->GetEntry(), list->GetModel()->GetEntry(crate - 1));
    EXPECT_EQ(DataAppState().m_Sheets.size(), 1u);

    // Destroying the list closes the sheets of its entries, the current one among them.
    sheet->OnCommand(ids::ID_SHEET_TACK);
    list->SelectPosition(0);
    list->OnCommand(ids::ID_PROPERTIES);
    ASSERT_EQ(DataAppState().m_Sheets.size(), 2u);
    sheet->OnCommand(ids::ID_SHEET_TACK);
    ASSERT_EQ(DataAppState().m_pCurrentSheet, sheet);
    m_pList.reset();
    EXPECT_TRUE(DataAppState().m_Sheets.empty());
    EXPECT_EQ(DataAppState().m_pCurrentSheet, nullptr);
}

}  // namespace
}  // namespace tessaly
