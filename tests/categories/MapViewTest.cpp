// The map view over the sample client: the tile and altitude under the pointer, at several
// zoom steps, and Go to.

#include "CDataAppState.h"
#include "CDataDefMap.h"
#include "CDataDefStatics.h"
#include "MapBlock.h"
#include "MapView.h"
#include "ScriptedUi.h"
#include "clientfiles/SampleClientFiles.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace tessaly {
namespace {

class MapViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "tessaly-tests";
        static char* argv[] = {name, nullptr};
        static QApplication* app = new QApplication(argc, argv);
        (void)app;
        ASSERT_TRUE(test::UsePatchTable());
        DataAppState().m_pUi = &m_Ui;
    }
    void TearDown() override { DataAppState().m_pUi = nullptr; }

    test::ScriptedUi m_Ui;
};

TEST_F(MapViewTest, NamesTheTileUnderThePointerAndGoesTo) {
    CMapView view;
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(view.SetFacet(0));
    view.SetZoom(8);  // 8 pixels per tile
    m_Ui.m_Texts.push_back("20,100");
    view.OnGoTo();
    QWidget* canvas = view.Canvas();
    const QPoint middle(canvas->width() / 2, canvas->height() / 2);
    using Tile = std::pair<std::uint32_t, std::uint32_t>;
    EXPECT_EQ(view.TileAt(middle), Tile(20, 100));
    EXPECT_EQ(view.TileAt(middle + QPoint(8, 16)), Tile(21, 102));
    // The altitude and terrain straight from "map0.mul".
    const std::vector<std::uint8_t> map =
        test::TempDir::ReadFile(test::SampleClientDir().File("map0.mul"));
    const std::size_t at = (2u * 512 + 12) * 196 + 4 + (4 * 8 + 4) * 3;
    ASSERT_GT(map.size(), at + 2);
    QTest::mouseMove(canvas, middle);
    EXPECT_TRUE(view.StatusText().contains(
        QString::asprintf("x 20, y 100  altitude %d  terrain %04xh",
                          static_cast<std::int8_t>(map[at + 2]), map[at] | map[at + 1] << 8)))
        << view.StatusText().toStdString();
    // Block 6 comes from the difference file (its later entry): water at -5.
    m_Ui.m_Texts.push_back("3, 50");
    view.OnGoTo();
    EXPECT_TRUE(view.StatusText().contains("x 3, y 50  altitude -5  terrain 00a8h"))
        << view.StatusText().toStdString();
    EXPECT_TRUE(view.StatusText().contains("changed"));
    // Zoomed out, a pixel shows the top-left tile of its square; outside the facet, none.
    view.SetZoom(0);
    const auto far = view.TileAt(middle);
    ASSERT_TRUE(far.has_value());
    EXPECT_EQ(far->first % 32, 0u);
    EXPECT_EQ(view.TileAt(QPoint(canvas->width() - 1, 0)), std::nullopt);
    m_Ui.m_Texts.push_back("40,5");  // the sample Felucca is 32 tiles wide
    view.OnGoTo();
    EXPECT_EQ(m_Ui.m_Messages.size(), 1u);
}

TEST_F(MapViewTest, PagesOfBlocksTheDifferenceFilesReplace) {
    // The sample's "mapdifl0.mul" names block 6 twice (the later entry, water at -5, wins) and
    // its "stadifl0.mul" gives block 8 the statics of "stadif0.mul".
    CDataDefMap map(6);
    CMapBlock block;
    map.ReadBlock(block);
    EXPECT_EQ(block.GetCell(3, 3).m_wTile, 0x00A8);
    EXPECT_EQ(block.GetCell(3, 3).m_cZ, -5);
    CDataDefStatics statics(8);
    statics.ReadIndex();
    statics.LoadStatics();
    const auto bytes = test::TempDir::ReadFile(test::SampleClientDir().File("stadif0.mul"));
    EXPECT_EQ(statics.GetStatics().GetCount(), bytes.size() / CStaticItem::kSize);
}

}  // namespace
}  // namespace tessaly
