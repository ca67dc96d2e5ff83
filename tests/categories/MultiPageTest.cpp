// The Multis category: list texts, the composition the page draws, every editing command of
// the "Image" page, import and Tile Item, and the round trip through a ".pat" patch.

#include "CDataDefMulti.h"
#include "ControlIds.h"
#include "MultiComponentModel.h"
#include "MultiPages.h"
#include "MultiTileItem.h"
#include "QtTestSupport.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>

#include <fstream>

namespace tessaly {
namespace {

using test::TempDir;

MultiComponent At(std::uint16_t item, std::int16_t x, std::int16_t y, std::int16_t z,
                  std::uint32_t flags = 1) {
    return {item, x, y, z, flags};
}

class MultiPageTest : public test::SampleSheetTest {
protected:
    // Opens multi `index` (the house 0x64 unless a patch record says otherwise) on its page.
    CDataPageMultiDraw* Show(std::uint32_t index = 0x64) {
        return test::ShowSheetPage<CDataPageMultiDraw>(*Entry(kCategoryMultis, index));
    }
    // Shows a multi made of these components, through a ".pat" record.
    CDataPageMultiDraw* ShowComponents(const std::vector<MultiComponent>& components) {
        m_Patch.InsertPatchRecord(WriteMultiComponents(components), kPatchTypeMulti, 0x64);
        return Show();
    }
    static std::vector<int> Selected(const CDataPageMultiDraw* page) {
        std::vector<int> rows;
        for (int i = 0; i < page->m_pModel->rowCount(); ++i) {
            if (page->m_pList->selectionModel()->isSelected(page->m_pModel->index(i))) {
                rows.push_back(i);
            }
        }
        return rows;
    }
    // Removes the first component, saves the page and shows multi `index` again, which must
    // read the edit back from the patch; the components left.
    std::vector<MultiComponent> RemoveFirstSaveAndShowAgain(CDataPageMultiDraw* page,
                                                            std::uint32_t index) {
        Click(page, 0);
        page->OnRemoveSelected();
        EXPECT_EQ(page->SaveData(), 0);
        const std::vector<MultiComponent> edited = page->GetComponents();
        DataAppState().DestroyAllSheets();
        const CDataPageMultiDraw* again = Show(index);
        EXPECT_EQ(again != nullptr ? again->GetComponents() : std::vector<MultiComponent>(),
                  edited);
        return edited;
    }
    // As a click on a line does: the line becomes current and the only one selected.
    static void Click(const CDataPageMultiDraw* page, int row) {
        page->m_pList->selectionModel()->setCurrentIndex(page->m_pModel->index(row),
                                                         QItemSelectionModel::ClearAndSelect);
    }
};

TEST_F(MultiPageTest, ListTextsComponentLinesAndThePictureAtTheStatedScreenPositions) {
    // Crate (height 10) and floor (height 0) share cell (0, 0): the floor, key 0 + 0, goes
    // first although listed second; a fence in the next cell; a component whose picture does not
    // load is listed, counted and not drawn.
    const std::vector<MultiComponent> components = {At(0x0E3C, 0, 0, 0), At(0x0495, 0, 0, 0),
                                                    At(0x0821, 1, 0, 2), At(0x7FFF, 0, 1, 0)};
    CDataPageMultiDraw* page = ShowComponents(components);
    ASSERT_NE(page, nullptr);
    page->GetPicture()->repaint();
    EXPECT_EQ(page->GetObjectText(), "4 objects");
    EXPECT_EQ(page->GetRegionText(), "MULTIREGION=0,0,2,2");

    const QRect area = page->GetPicture()->contentsRect();
    SurfaceBuffer expected;
    ASSERT_TRUE(expected.CreateBuffer(static_cast<std::uint32_t>(area.width()),
                                      static_cast<std::uint32_t>(area.height())));
    {
        CSurfaceDC dc(expected);
        for (const MultiComponent& c : {components[1], components[0], components[2]}) {
            CTileItemType item(c.m_wItem);
            ASSERT_TRUE(item.EnsureLoaded());
            const int w = static_cast<int>(item.GetWidth()), h = static_cast<int>(item.GetHeight());
            item.Draw(dc, area.width() / 2 + (c.m_nX - c.m_nY) * 22 - w / 2,
                      area.height() * 3 / 5 + (c.m_nX + c.m_nY) * 22 - h - c.m_nZ * 4);
        }
    }
    test::ExpectSamePixels(page->GetBuffer(), expected);

    // Z-clip 0 to 1 leaves the fence (z 2) out, still counted; scrolling moves the origin.
    page->m_pZLow->setText("0");
    page->m_pZHigh->setText("1");
    ids::FindControl<QPushButton>(page, ids::IDC_MULTI_CLIP)->click();
    page->m_pHorizontal->setValue(5);
    page->m_pVertical->setValue(-50);
    page->GetPicture()->repaint();
    EXPECT_EQ(page->GetObjectText(), "4 objects");
    SurfaceBuffer clipped;
    clipped.CreateBuffer(static_cast<std::uint32_t>(area.width()),
                         static_cast<std::uint32_t>(area.height()));
    {
        CSurfaceDC dc(clipped);
        CMultiComposition(components)
            .Draw(dc, area.width() / 2 - 5, area.height() * 3 / 5 + 50, 0, 1);
    }
    test::ExpectSamePixels(page->GetBuffer(), clipped);

    // Regions always hold the origin; right and bottom lie one past the largest offsets.
    EXPECT_EQ(CMultiComposition({At(1, -2, -3, 0), At(1, 4, 5, 0)}).GetRegion(),
              CQRect(-2, -3, 5, 6));
    // Equal keys keep list order; a damaged multi far apart costs no memory per empty cell.
    const CMultiComposition same({At(0x0495, 0, 0, 0), At(0x0496, 0, 0, 0)});
    ASSERT_EQ(same.GetPieces().size(), 2u);
    EXPECT_EQ(same.GetPieces()[0].m_Component.m_wItem, 0x0495);
    EXPECT_EQ(CMultiComposition({At(0x0495, -32768, -32768, 0), At(0x0495, 32767, 32767, 0)})
                  .GetPieces()
                  .size(),
              2u);

    EXPECT_EQ(Entry(kCategoryMultis, 0x64)->GetListText(), "74");
    EXPECT_EQ(Entry(kCategoryMultis, 5)->GetListText(), "unused");

    EXPECT_EQ(MultiComponentLine(At(0x0821, 1, 2, 3)), "00821 \t(1,2,3) \t1 \t(wooden fence)");
    // Without tile data: no name, and no tab before it.
    TempDir bare;
    test::UseClient(bare.Path());
    EXPECT_EQ(MultiComponentLine(At(0x0100, -1, 0, -5, 0)), "00100 \t(-1,0,-5) \t0");
    test::UseSampleClient();
}

TEST_F(MultiPageTest, EditingCommandsChangeTheListAndMarkThePage) {
    CDataPageMultiDraw* page = ShowComponents({At(0x0495, 0, 0, 0), At(0x0821, 1, 0, 0)});
    ASSERT_NE(page, nullptr);
    // The list model keeps its contract through every command.
    QAbstractItemModelTester tester(page->m_pModel,
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    QListView* list = page->m_pList;

    // Selecting a line fills the fields; Add New appends the fields as a component.
    Click(page, 1);
    EXPECT_EQ(page->m_pTileId->text() + " " + page->m_pXEdit->text(), "0821 1");
    EXPECT_TRUE(page->m_pVisible->isChecked());
    page->m_pTileId->setText("  1f4x");  // hexadecimal up to the first other character
    page->m_pXEdit->setText("-3");
    page->m_pYEdit->setText("2junk");
    page->m_pZEdit->setText("");
    page->m_pVisible->setChecked(false);
    page->OnAddNew();
    ASSERT_EQ(page->m_pModel->rowCount(), 3);
    EXPECT_EQ(page->GetComponents()[2], At(0x01F4, -3, 2, 0, 0));
    EXPECT_EQ(Selected(page), std::vector<int>{2});
    EXPECT_TRUE(page->IsModified());
    page->m_pTileId->setText("0x1F4");  // reads as 0: the x stops it
    page->OnAddNew();
    EXPECT_EQ(page->GetComponents()[3].m_wItem, 0);

    // Change Selected rewrites the current line; with two selected it refuses.
    Click(page, 0);
    page->m_pZEdit->setText("7");
    page->OnChangeSelected();
    EXPECT_EQ(page->GetComponents()[0], At(0x0495, 0, 0, 7));
    page->OnSelectAll();
    EXPECT_FALSE(page->m_pTileId->isEnabled());
    page->OnChangeSelected();
    EXPECT_EQ(m_Ui.m_Messages,
              std::vector<std::string>{"You can only change one component at a time"});
    EXPECT_EQ(page->GetComponents()[0], At(0x0495, 0, 0, 7));

    // Move to top of list takes only one line; Remove Selected removes the selected ones.
    page->OnMoveToTop();
    EXPECT_EQ(page->GetComponents()[0].m_wItem, 0x0495);
    Click(page, 2);
    page->OnMoveToTop();
    EXPECT_EQ(page->GetComponents()[0], At(0x01F4, -3, 2, 0, 0));
    EXPECT_EQ(Selected(page), std::vector<int>{0});
    list->selectionModel()->select(page->m_pModel->index(3), QItemSelectionModel::Select);
    page->OnRemoveSelected();
    ASSERT_EQ(page->m_pModel->rowCount(), 2);
    EXPECT_EQ(page->GetComponents()[0], At(0x0495, 0, 0, 7));

    // The pads move the selected components: cell 6 is one step right on screen (x + 1,
    // y - 1), the upper half of the up/down pad z + 1; the centre cell does nothing.
    list->clearSelection();
    list->selectionModel()->select(page->m_pModel->index(1), QItemSelectionModel::Select);
    const QRect pad(page->m_pDirectionPad->mapTo(page, QPoint()), page->m_pDirectionPad->size());
    EXPECT_FALSE(page->OnNudge(pad.center()));
    EXPECT_TRUE(page->OnNudge(QPoint(pad.right() - 1, pad.center().y())));
    const QRect upDown(page->m_pUpDownPad->mapTo(page, QPoint()), page->m_pUpDownPad->size());
    QTest::mouseClick(page, Qt::LeftButton, {}, upDown.topLeft() + QPoint(2, 2));
    EXPECT_EQ(page->GetComponents()[1], At(0x0821, 2, -1, 1));
}

TEST_F(MultiPageTest, TileItemFillsARectangleRowByRowWithItemsInTurn) {
    CDataPageMultiDraw* page = ShowComponents({});
    ASSERT_NE(page, nullptr);
    std::map<int, QString> fields = {
        {ids::IDC_TILE_ITEM_LEFT, "2"},     {ids::IDC_TILE_ITEM_RIGHT, "0"},
        {ids::IDC_TILE_ITEM_TOP, "0"},      {ids::IDC_TILE_ITEM_BOTTOM, "1"},
        {ids::IDC_TILE_ITEM_ALTITUDE, "5"}, {ids::IDC_TILE_ITEM_ITEMS, " 100  200 300 "}};
    m_Ui.m_OnDialog = [&](QDialog& dialog) {
        auto& tile = dynamic_cast<CMultiTileItem&>(dialog);
        EXPECT_EQ(tile.windowTitle(), "Tile Item");
        for (const auto& [id, text] : fields) {
            tile.GetEdit(id)->setText(text);
        }
        tile.accept();
    };
    m_Ui.m_bAcceptDialogs = true;
    page->OnTileItem();
    EXPECT_EQ(
        page->GetComponents(),
        (std::vector<MultiComponent>{At(0x100, 0, 0, 5), At(0x200, 1, 0, 5), At(0x300, 2, 0, 5),
                                     At(0x100, 0, 1, 5), At(0x200, 1, 1, 5), At(0x300, 2, 1, 5)}));
    EXPECT_EQ(Selected(page).size(), 6u);

    // No items, or a rectangle too large to fill: a message, nothing added.
    fields[ids::IDC_TILE_ITEM_ITEMS] = "   ";
    page->OnTileItem();
    fields[ids::IDC_TILE_ITEM_ITEMS] = "100";
    fields[ids::IDC_TILE_ITEM_RIGHT] = "32000";
    fields[ids::IDC_TILE_ITEM_BOTTOM] = "30000";
    page->OnTileItem();
    EXPECT_EQ(page->m_pModel->rowCount(), 6);
    ASSERT_EQ(m_Ui.m_Messages.size(), 2u);
    EXPECT_EQ(m_Ui.m_Messages[0], "Give at least one item number (hexadecimal) in \"Item(s)\".");
}

TEST_F(MultiPageTest, ImportAppendsTheLinesOfASixVersionFileAndRefusesAnythingElse) {
    auto importFile = [&](const std::string& name, const std::string& text) {
        std::ofstream(m_Dir.File(name), std::ios::binary) << text;
        m_Ui.m_Files.push_back(m_Dir.File(name));
    };
    CDataPageMultiDraw* page = ShowComponents({At(0x0495, 0, 0, 0)});
    ASSERT_NE(page, nullptr);
    importFile("good.txt", "6 version\n4000000000\n2\nheader\n1000 1 2 3 more words\n\n-1 65537\n");
    page->OnImport();
    EXPECT_EQ(page->GetComponents(),
              (std::vector<MultiComponent>{At(0x0495, 0, 0, 0), At(1000, 1, 2, 3), At(0, 0, 0, 0),
                                           At(0xFFFF, 1, 0, 0)}));
    EXPECT_TRUE(m_Ui.m_Messages.empty());
    EXPECT_EQ(m_Ui.m_Dialogs.back().pFilter, std::string());

    // Binary garbage: a message, nothing added; a line of a million characters is read as far as
    // it goes; cancelling the dialog does nothing at all.
    importFile("garbage.bin", std::string("\x00\xFF\x01 version\n1 2 3 4\n", 18));
    page->OnImport();
    EXPECT_EQ(m_Ui.m_Messages.size(), 1u);
    importFile("long.txt", "6 version\n\n\n\n" + std::string(1000000, '7') + " 1 2 3\n");
    page->OnImport();
    page->OnImport();  // no file left to choose: cancelled
    EXPECT_EQ(page->m_pModel->rowCount(), 5);
    EXPECT_EQ(page->GetComponents()[4].m_nX, 1);
    EXPECT_EQ(ParseMultiImport(std::string("6 version\n\n\n\n") + std::string(70000, '\n'))
                  .components.size(),
              0u);
}

TEST_F(MultiPageTest, AnEditedMultiGoesToThePatchAndComesBackFromIt) {
    CDataPageMultiDraw* page = Show();
    ASSERT_NE(page, nullptr);
    // Shown again, the page reads the edit back from the patch.
    const std::vector<MultiComponent> edited = RemoveFirstSaveAndShowAgain(page, 0x64);
    ASSERT_EQ(edited.size(), 73u);
    // The entry's own block still holds the client's 74.
    CMulMultiType block(0x64);
    EXPECT_EQ(LoadMultiComponents(block, nullptr).size(), 74u);

    SurfaceBuffer whole;
    EXPECT_FALSE(DrawMultiPicture({}, whole));
    // A patch record of more components than a multi may hold gives none (as a multi of the
    // files does), not minutes of drawing.
    m_Patch.InsertPatchRecord(
        std::vector<std::uint8_t>((kMaxMultiComponents + 1) * MultiComponent::kSize),
        kPatchTypeMulti, 0x64);
    MultiSource source = MultiSource::Files;
    EXPECT_TRUE(LoadMultiComponents(block, &m_Patch, &source).empty());
    EXPECT_EQ(source, MultiSource::DamagedPatch);
    // The page says the multi is damaged rather than showing an empty one.
    DataAppState().DestroyAllSheets();
    const CDataPageMultiDraw* damaged = Show(0x64);
    ASSERT_NE(damaged, nullptr);
    EXPECT_EQ(damaged->GetObjectText(), "0 objects (the multi's data is damaged)");
}

TEST_F(MultiPageTest, NewerSixteenByteMultisListDrawAndKeepTheirSizeThroughThePatch) {
    TempDir modern;
    mk::WriteModernClient(modern.Path());
    TheClientFiles().CloseAll();
    TheClientFiles().SetChosenDir(modern.Path().string());
    ASSERT_EQ(GetMultiRecordSize(TheClientFiles()), MultiComponent::kWideSize);

    // Past the table's 5,120: the house again, 74 components of 16 bytes each.
    EXPECT_EQ(Entry(kCategoryMultis, 0x1A50)->GetListText(), "74");
    CDataPageMultiDraw* page = Show(0x1A50);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->m_pModel->rowCount(), 74);
    // The fourth word (1 on every component here) stands after the flags.
    EXPECT_EQ(page->m_pModel->index(0).data().toString(),
              "00495 \t(0,0,0) \t0 \t1 \t(wooden floor)");

    // Shown again with the extra word included.
    RemoveFirstSaveAndShowAgain(page, 0x1A50);
    auto record = m_Patch.FindPatchRecord(kPatchTypeMulti, 0x1A50);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->size(), 73 * MultiComponent::kWideSize);

    // A 12-byte record in a newer client's patch is told apart by its length, or where both
    // sizes divide it (40 components, 480 bytes) by the components that hold together.
    std::vector<MultiComponent> house;
    for (int i = 0; i < 40; ++i) {
        house.push_back({static_cast<std::uint16_t>(0x495 + i % 7),
                         static_cast<std::int16_t>(i % 5 - 2), static_cast<std::int16_t>(i / 5 - 4),
                         static_cast<std::int16_t>(i % 3 * 5), static_cast<std::uint32_t>(i % 2),
                         1});
    }
    for (const std::size_t count : {3, 40}) {
        const std::vector<MultiComponent> some(house.begin(), house.begin() + count);
        for (const std::size_t size : {MultiComponent::kSize, MultiComponent::kWideSize}) {
            const std::vector<std::uint8_t> bytes = WriteMultiComponents(some, size);
            EXPECT_EQ(PatchMultiRecordSize(bytes), size) << count;
        }
    }
    DataAppState().DestroyAllSheets();
    // A multi whose record points past its file shows empty and says it is damaged.
    std::vector<std::uint8_t> index = TempDir::ReadFile(modern.File("multi.idx"));
    StoreLE32(index.data() + 0x64 * IndexRecord::kSize, 0x7FFFFF00);
    modern.Write("multi.idx", index);
    TheClientFiles().CloseAll();
    CDataPageMultiDraw* damaged = Show();
    ASSERT_NE(damaged, nullptr);
    damaged->GetPicture()->repaint();
    EXPECT_EQ(damaged->GetObjectText(), "0 objects (the multi's data is damaged)");
    DataAppState().DestroyAllSheets();
    test::UseSampleClient();
}

}  // namespace
}  // namespace tessaly
