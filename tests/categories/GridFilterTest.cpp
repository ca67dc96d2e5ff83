// The thumbnail grid and the text filter: selecting cells, the selected cell's commands and
// menu, the pictures the cells show and their cache, and the rows a typed filter keeps.

#include "ArtTypes.h"
#include "CDataDefGump.h"
#include "CDataDefHue.h"
#include "CDataListFilter.h"
#include "CDataListThumbs.h"
#include "ListFixture.h"

#include <QMenu>
#include <QScrollBar>

#include <algorithm>

namespace tessaly {
namespace {

class GridTest : public test::SampleListTest {
protected:
    void TearDown() override {
        m_pGrid.reset();
        SampleListTest::TearDown();
    }
    CDataListThumbs* ShowGrid(std::int32_t category) {
        m_pGrid = std::make_unique<CDataListThumbs>(category);
        m_pGrid->Create(&m_Host, &m_Parent);
        m_pGrid->FillList();
        m_Parent.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&m_Parent));
        return m_pGrid.get();
    }
    CDataDef* Row(int position) const {
        return m_pGrid->GetShownRows().at(static_cast<std::size_t>(position));
    }
    QPoint CellCentre(int position) const { return m_pGrid->CellRect(position).center(); }
    // Where the grid draws the top-left corner of a cell's picture: centred in the cell's box.
    QPoint PictureCorner(int position, const QImage& picture) const {
        const int box = CDataListThumbs::kPictureSize, padding = CDataListThumbs::kPadding;
        return m_pGrid->CellRect(position).topLeft() +
               QPoint(padding + (box - picture.width()) / 2,
                      padding + (box - picture.height()) / 2);
    }

    std::unique_ptr<CDataListThumbs> m_pGrid;
};

TEST_F(GridTest, CellsAreSelectedByClicksArrowsPagesAndEndsAndTakeTheEntryCommands) {
    CDataListThumbs* grid = ShowGrid(kCategoryHues);
    const int count = static_cast<int>(grid->GetShownRows().size());
    const int columns = grid->GetColumnCount();
    ASSERT_EQ(count, 3000);
    ASSERT_GT(columns, 2);

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(columns + 1));
    EXPECT_EQ(grid->GetSelected(), Row(columns + 1));
    const auto press = [&](Qt::Key key) {
        QTest::keyClick(grid, key);
        return grid->GetSelectedPosition();
    };
    EXPECT_EQ(press(Qt::Key_Right), columns + 2);
    EXPECT_EQ(press(Qt::Key_Up), 2);
    EXPECT_EQ(press(Qt::Key_Up), 0);  // stops at the first cell
    EXPECT_EQ(press(Qt::Key_Down), columns);
    EXPECT_EQ(press(Qt::Key_Left), columns - 1);
    const int page = press(Qt::Key_PageDown) - (columns - 1);
    EXPECT_GE(page, columns);
    EXPECT_EQ(page % columns, 0);
    EXPECT_EQ(press(Qt::Key_End), count - 1);
    // The selected cell is scrolled into sight.
    EXPECT_TRUE(grid->viewport()->rect().contains(grid->CellRect(count - 1)));
    EXPECT_EQ(press(Qt::Key_Home), 0);
    EXPECT_EQ(grid->verticalScrollBar()->value(), 0);
    // Clicking past the last cell keeps the selection.
    grid->SelectPosition(count - 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      QPoint(grid->viewport()->width() - 2, grid->viewport()->height() - 2));
    EXPECT_EQ(grid->GetSelectedPosition(), count - 1);

    // The selected cell takes a double click, Enter and the context menu.
    grid = ShowGrid(kCategoryItems);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(1));
    ASSERT_EQ(DataAppState().m_Sheets.size(), 1u);
    EXPECT_EQ(DataAppState().m_Sheets[0]->GetEntry(), Row(1));

    grid->SelectPosition(3);
    QTest::keyClick(grid, Qt::Key_Return);
    ASSERT_EQ(DataAppState().m_Sheets.size(), 2u);
    EXPECT_EQ(DataAppState().m_Sheets[1]->GetEntry(), Row(3));

    // A right click selects the cell for the menu (the lists' own, checked by
    // ListTest.ContextMenuOffersTheEntryCommands); off the cells there is no entry and the
    // selection stays.
    grid->CreateContextMenu(CellCentre(5));
    EXPECT_EQ(grid->GetSelected(), Row(5));
    grid->CreateContextMenu(QPoint(-1, 5));
    EXPECT_EQ(grid->GetSelected(), Row(5));
}

TEST_F(GridTest, CellsShowTheirPicturesOnTheCellBackgroundAndOnlyCellsInSightAreMade) {
    CDataListThumbs* grid = ShowGrid(kCategoryGumps);
    grid->viewport()->repaint();
    constexpr int kBox = CDataListThumbs::kPictureSize;
    // A picture larger than the box is scaled down into it, keeping its shape; a smaller one is
    // kept as it is.
    CDataDefGump backdrop(0x07D0), button(0xF7);
    SurfaceBuffer small;
    ASSERT_TRUE(backdrop.ReadIndex() && button.ReadIndex() && button.GetImage(small));
    EXPECT_EQ(CDataListThumbs::MakeCellPicture(backdrop).size(), QSize(kBox, kBox * 3 / 4));
    EXPECT_EQ(CDataListThumbs::MakeCellPicture(button).size(),
              QSize(static_cast<int>(small.GetWidth()), static_cast<int>(small.GetHeight())));

    // The window shows the cell's picture centred in its box.
    const QImage cell = CDataListThumbs::MakeCellPicture(*Row(0));
    const QPoint middle(cell.width() / 2, cell.height() / 2);
    EXPECT_EQ(grid->viewport()->grab().toImage().pixel(PictureCorner(0, cell) + middle),
              cell.pixel(middle));

    // Hues: the 32 colours of the ramp, left to right.
    ShowGrid(kCategoryHues);
    m_pGrid->viewport()->repaint();
    EXPECT_LE(m_pGrid->GetCache().GetCount(), std::size_t(m_pGrid->GetColumnCount() * 6));
    auto* hue = dynamic_cast<CDataDefHue*>(Row(5));
    ASSERT_NE(hue, nullptr);
    const QImage ramp = CDataListThumbs::MakeCellPicture(*hue);
    for (int i : {0, 17, 31}) {
        EXPECT_EQ(ramp.pixel(i * ramp.width() / 32 + 1, 1) & 0xFFFFFFu,
                  HueWordToRgb(hue->GetHue().m_Colours[static_cast<std::size_t>(i)]));
    }
    // Scrolling through all 3000 keeps the cache at its bound, the first cells gone from it.
    QScrollBar* bar = m_pGrid->verticalScrollBar();
    for (int y = 0; y <= bar->maximum(); y += bar->pageStep()) {
        bar->setValue(y);
        m_pGrid->viewport()->repaint();
    }
    bar->setValue(bar->maximum());
    m_pGrid->viewport()->repaint();
    EXPECT_EQ(m_pGrid->GetCache().GetCount(), CDataListThumbs::kCacheCells);
    EXPECT_FALSE(m_pGrid->GetCache().Contains(Row(0)));
    EXPECT_TRUE(m_pGrid->GetCache().Contains(Row(2999)));

    // A tile shows its diamond, whose empty corner shows the cell's background, or the
    // checkerboard's grey square. Terrain 2, the map's "no draw" tile, has data but no picture:
    // its cell is empty (selected, so that the tile's cell is drawn unselected).
    CDataListThumbs* terrain = ShowGrid(kCategoryTerrain);
    ASSERT_TRUE(terrain->SelectIndex(3));
    const int position = terrain->GetSelectedPosition();
    ASSERT_TRUE(terrain->SelectIndex(CTileTerrainType::kNoDrawTile));
    EXPECT_TRUE(CDataListThumbs::MakeCellPicture(*terrain->GetSelected()).isNull());
    const QImage tile = CDataListThumbs::MakeCellPicture(*Row(position));
    const QPoint corner = PictureCorner(position, tile);
    terrain->viewport()->repaint();
    EXPECT_EQ(terrain->viewport()->grab().toImage().pixelColor(corner),
              terrain->palette().color(QPalette::Base));
    DataAppState().m_bCheckerboard = true;
    terrain->viewport()->repaint();
    EXPECT_EQ(terrain->viewport()->grab().toImage().pixelColor(corner), QColor(214, 214, 214));
    DataAppState().m_bCheckerboard = false;
}

// A cell's label carries the list's change mark; a cell without a picture shows the fields of
// the list text, or "damaged"; a Unicode font shows the start of its sample line, legible.
TEST_F(GridTest, LabelsCarryTheMarkAndCellsWithoutPicturesTheirTextOrDamaged) {
    ShowGrid(kCategoryGumps);
    const auto shown = [this](std::uint32_t index) {
        EXPECT_TRUE(m_pGrid->SelectIndex(index)) << index;
        return m_pGrid->GetSelected();
    };
    EXPECT_EQ(CDataListThumbs::CellLabel(*shown(0xF7)), "00f7 *");  // the sample patches it
    EXPECT_EQ(CDataListThumbs::CellLabel(*shown(0xC)), "000c");
    CDataVerData past(CUOVersionBlock{kSlotGumpArt, 12, 0x7FFFFF00u, 70, 0, 0});
    CDataDefGump damaged(12);
    damaged.ReadIndex();
    damaged.LinkVerData(&past);
    EXPECT_EQ(CDataListThumbs::CellText(damaged), "damaged");
    EXPECT_EQ(CDataListThumbs::CellLabel(damaged), "000c !");

    // The client's texts read as UTF-8, as in the text list.
    ShowGrid(kCategorySpeech);
    const std::vector<CDataDef*>& keywords = m_pGrid->GetShownRows();
    EXPECT_TRUE(std::any_of(keywords.begin(), keywords.end(), [](CDataDef* keyword) {
        return CDataListThumbs::CellText(*keyword).contains(QString::fromUtf8("\xC3\xA9t\xC3\xA9"));
    }));

    ShowGrid(kCategoryUniFonts);
    const QImage line = CDataListThumbs::MakeCellPicture(*Row(0));
    ASSERT_FALSE(line.isNull());
    EXPECT_TRUE(line.convertToFormat(QImage::Format_RGB32).pixelColor(0, 0) == QColor(Qt::black));
    bool white = false;
    for (int y = 0; y < line.height(); ++y) {
        for (int x = 0; x < line.width(); ++x) {
            white = white || line.pixelColor(x, y).lightness() > 200;
        }
    }
    EXPECT_TRUE(white);
}

// The rows of a list whose cells (any column) contain text, ignoring case, as the model shows
// them unfiltered.
std::vector<std::uint32_t> RowsContaining(const CDataListModel& model, const QString& text) {
    std::vector<std::uint32_t> out;
    for (int r = 0; r < model.rowCount(); ++r) {
        for (int c = 0; c < model.columnCount(); ++c) {
            if (model.index(r, c).data().toString().contains(text, Qt::CaseInsensitive)) {
                out.push_back(model.GetEntry(r)->GetIndex());
                break;
            }
        }
    }
    return out;
}

std::vector<std::uint32_t> Indexes(const std::vector<CDataDef*>& rows) {
    std::vector<std::uint32_t> out;
    for (CDataDef* row : rows) {
        out.push_back(row->GetIndex());
    }
    return out;
}

TEST_F(GridTest, TheFilterKeepsRowsContainingTheTextAfterAPauseInChunksInBothLists) {
    CDataListCtrl* list = Show(kCategoryItems);
    const int all = list->GetModel()->rowCount();
    const std::vector<std::uint32_t> wooden = RowsContaining(*list->GetModel(), "wooden");
    const std::vector<std::uint32_t> crates = RowsContaining(*list->GetModel(), "0E3");
    ASSERT_GT(wooden.size(), 5u);
    ASSERT_GE(crates.size(), 2u);
    ASSERT_TRUE(list->SelectIndex(wooden[1]));
    const QString named = QString::asprintf("Select Items 0%x=%d", wooden[1], wooden[1]);
    EXPECT_EQ(m_Status, named);

    list->SetFilterText("WOODEN");
    // Typing goes on: nothing changes before the pause.
    EXPECT_TRUE(list->GetFilter().IsBusy());
    EXPECT_EQ(list->GetModel()->rowCount(), all);
    list->GetFilter().Step();  // the pause is over
    list->GetFilter().Finish();
    EXPECT_EQ(Indexes(list->GetShownRows()), wooden);
    // The selected row is still shown: it stays selected, and the status pane names it.
    EXPECT_EQ(list->GetSelected(), list->GetShownRows().at(1));
    EXPECT_EQ(m_Status, named);
    // The index column is text too; a sorted list stays sorted.
    list->OnColumnClick(0);
    list->OnColumnClick(0);
    EXPECT_EQ(list->GetSelected()->GetIndex(), wooden[1]);
    list->SetFilterText("0e3");
    list->GetFilter().Finish();
    const std::vector<std::uint32_t> shown = Indexes(list->GetShownRows());
    EXPECT_EQ(std::vector(shown.rbegin(), shown.rend()), crates);
    // The filter hid the selected row: nothing is selected, and the pane names no entry.
    EXPECT_EQ(list->GetSelected(), nullptr);
    EXPECT_EQ(m_Status, "");
    list->SetFilterText("");
    EXPECT_FALSE(list->GetFilter().IsBusy());
    EXPECT_EQ(list->GetModel()->rowCount(), all);

    // The grid: the same rows; a selected cell that stays keeps its selection.
    CDataListThumbs* grid = ShowGrid(kCategoryItems);
    ASSERT_TRUE(grid->SelectIndex(wooden[1]));
    grid->SetFilterText("Wooden");
    grid->GetFilter().Finish();
    EXPECT_EQ(Indexes(grid->GetShownRows()), wooden);
    EXPECT_EQ(grid->GetSelected(), Row(1));
    // A refill with a text filters at once.
    m_Host.m_bShowUnused = 1;
    grid->FillList();
    grid->GetFilter().Finish();
    EXPECT_EQ(Indexes(grid->GetShownRows()), wooden);
    m_Status = QStringLiteral("stale");
    grid->SetFilterText("no such text");
    grid->GetFilter().Finish();
    EXPECT_TRUE(grid->GetShownRows().empty());
    EXPECT_EQ(grid->GetSelected(), nullptr);
    EXPECT_EQ(m_Status, "");
    EXPECT_FALSE(grid->SelectIndex(wooden[0]));

    // Long lists are matched in chunks from the event loop.
    m_Host.m_bShowUnused = 1;
    CDataListThumbs* statics = ShowGrid(kCategoryStatics);
    const std::size_t everyRow = statics->GetShownRows().size();
    ASSERT_EQ(everyRow, 393216u);
    statics->SetFilterText("3");
    // Until all rows are matched the grid goes on showing every row, never a part.
    int partial = 0;
    while (statics->GetFilter().Step()) {
        partial += statics->GetShownRows().size() != everyRow;
    }
    EXPECT_EQ(partial, 0);
    const std::vector<CDataDef*>& kept = statics->GetShownRows();
    ASSERT_FALSE(kept.empty());
    EXPECT_LT(kept.size(), everyRow);
    // Every row kept has a "3" in its number or its text; the order stays.
    for (std::size_t i = 0; i < kept.size(); i += 997) {
        EXPECT_TRUE(CDataListFilter::Matches(kept[i], "3"));
    }
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end(), [](CDataDef* a, CDataDef* b) {
        return a->GetIndex() < b->GetIndex();
    }));
}

}  // namespace
}  // namespace tessaly
