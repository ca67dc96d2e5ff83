// The map view over the sample client: the tile and altitude under the pointer, at several
// zoom steps, and Go to.

#include "CDataDefMap.h"
#include "CDataDefStatics.h"
#include "ControlIds.h"
#include "Facet.h"
#include "MapBlock.h"
#include "MapView.h"
#include "QtTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>

namespace tessaly {
namespace {

class MapViewTest : public test::SampleSheetTest {
protected:
    // Shows the view, 400 x 300, on the facet at a zoom step (8: 8 pixels per tile); false when
    // the facet does not open.
    static bool Open(CMapView& view, int facet, int zoom = 8) {
        view.resize(400, 300);
        view.show();
        const bool opened = view.SetFacet(facet);
        view.SetZoom(zoom);
        return opened;
    }
    // "Go to" answered with the coordinates.
    void GoTo(CMapView& view, const std::string& where) {
        m_Ui.m_Texts.push_back(where);
        view.OnGoTo();
    }
    static void ExpectStatusHas(const CMapView& view, const QString& text) {
        EXPECT_TRUE(view.StatusText().contains(text)) << view.StatusText().toStdString();
    }
};

TEST_F(MapViewTest, NamesTheTileUnderThePointerGoesToReadsTheDifferenceFilesAndNamesTheFacet) {
    CMapView view;
    ASSERT_TRUE(Open(view, 0));
    GoTo(view, "20,100");
    QWidget* canvas = view.Canvas();
    const QPoint middle(canvas->width() / 2, canvas->height() / 2);
    using Tile = std::pair<std::uint32_t, std::uint32_t>;
    EXPECT_EQ(view.TileAt(middle), Tile(20, 100));
    EXPECT_EQ(view.TileAt(middle + QPoint(8, 16)), Tile(21, 102));
    // The altitude and terrain straight from "map0.mul".
    const std::vector<std::uint8_t> map = test::SampleClientDir().Read("map0.mul");
    const std::size_t at = (2u * 512 + 12) * 196 + 4 + (4 * 8 + 4) * 3;
    ASSERT_GT(map.size(), at + 2);
    QTest::mouseMove(canvas, middle);
    ExpectStatusHas(
        view, QString::asprintf("x 20, y 100  altitude %d  terrain %04xh",
                                static_cast<std::int8_t>(map[at + 2]), map[at] | map[at + 1] << 8));
    // On a scaled screen the pointer lies between pixels: the last pixel of a tile names it
    // all the way to its right edge.
    int last = 0;
    while (view.TileAt(middle + QPoint(last + 1, 0)) == Tile(20, 100)) {
        ++last;
    }
    const QPointF inside(middle.x() + last + 0.75, middle.y());
    QMouseEvent move(QEvent::MouseMove, inside, canvas->mapToGlobal(inside), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &move);
    ExpectStatusHas(view, "x 20, y 100 ");
    // Block 6 comes from the difference file (its later entry): water at -5.
    GoTo(view, "3, 50");
    ExpectStatusHas(view, "x 3, y 50  altitude -5  terrain 00a8h");
    ExpectStatusHas(view, "changed");
    // Zoomed out, a pixel shows the top-left tile of its square; outside the facet, none.
    view.SetZoom(0);
    const auto far = view.TileAt(middle);
    ASSERT_TRUE(far.has_value());
    EXPECT_EQ(far->first % 32, 0u);
    EXPECT_EQ(view.TileAt(QPoint(canvas->width() - 1, 0)), std::nullopt);
    GoTo(view, "40,5");  // the sample Felucca is 32 tiles wide
    EXPECT_EQ(m_Ui.m_Messages.size(), 1u);
    // The Map page's block is the later entry of "mapdifl0.mul" too.
    CMapBlock block;
    CDataDefMap(6).ReadBlock(block);
    EXPECT_EQ(std::pair(block.GetCell(3, 3).m_wTile, block.GetCell(3, 3).m_cZ),
              std::pair(std::uint16_t{0x00A8}, std::int8_t{-5}));

    // The facet chooser offers the client's facets, and names the one chosen even when the client
    // lacks it.
    const auto chooser = [](int facet) {
        SetChosenFacet(facet);
        CMapView view;
        auto* box = view.findChild<QComboBox*>(QStringLiteral("facet"));
        EXPECT_NE(box, nullptr);
        return box != nullptr ? box->currentText().toStdString() : std::string();
    };
    EXPECT_EQ(chooser(0), "Felucca");
    EXPECT_EQ(chooser(5), "Ter Mur (not in this client)");

    // Opened on it, the view shows Felucca and its status line says why, then what it shows.
    SetChosenFacet(5);
    CMapView fallback;
    EXPECT_TRUE(fallback.SetFacetOrFelucca(5));
    EXPECT_EQ(fallback.Facet(), 0);
    EXPECT_TRUE(fallback.StatusText().startsWith("Ter Mur: "))
        << fallback.StatusText().toStdString();
    ExpectStatusHas(fallback, ". Shown instead: Felucca: ");
    SetChosenFacet(0);
}

// What the view shows is the facet's picture: each pixel of the canvas has the colour of the
// cell under it (its highest static's radar colour, else its terrain's, difference records
// applied), at 1:1, zoomed in and zoomed out.
TEST_F(MapViewTest, CanvasPixelsShowTheCellsUnderThem) {
    CMapView view;
    ASSERT_TRUE(Open(view, 0, 5));
    CFacet facet;
    ASSERT_TRUE(facet.Open(TheClientFiles(), 0));
    CRadarTable colours;
    colours.Load(TheClientFiles());
    for (const int step : {5, 7, 1}) {
        view.SetZoom(step);
        view.FinishDrawing();
        const QImage shot = view.Canvas()->grab().toImage();
        int checked = 0;
        for (int y = 0; y < shot.height(); y += 5) {
            for (int x = 0; x < shot.width(); ++x) {
                const auto tile = view.TileAt(QPoint(x, y));
                if (!tile) {
                    continue;
                }
                const auto [tx, ty] = *tile;
                const std::uint32_t block = facet.BlockOf(tx / 8, ty / 8);
                CMapBlock map;
                std::vector<std::vector<CStaticItem>> statics;
                facet.ReadMapBlock(block, map);
                facet.ReadStaticsRun(block, 1, statics);
                const std::uint16_t colour = CellColour(
                    colours, map.GetCell(tx % 8, ty % 8).m_wTile, statics.front(), tx, ty, true);
                ASSERT_EQ(shot.pixel(x, y), RadarToArgb(colour))
                    << "zoom step " << step << " pixel " << x << "," << y;
                ++checked;
            }
        }
        EXPECT_GT(checked, 50) << "zoom step " << step << ", canvas " << shot.width() << " x "
                               << shot.height();
    }
}

// Double-clicking a cell opens its block's Map and Statics pages, read from the facet shown:
// Ilshenar's block 1 from "map2.mul" and "staidx2.mul", and its block 0 as the difference file
// turns it to rock at altitude 20.
TEST_F(MapViewTest, DoubleClickOpensTheBlockPagesOfTheFacetShown) {
    CMapView view;
    ASSERT_TRUE(Open(view, 2));
    QWidget* canvas = view.Canvas();
    const QPoint middle(canvas->width() / 2, canvas->height() / 2);
    // The newest sheet of an entry of the kind asked for, and its first page.
    const auto page = [](auto* kind) -> CDataPage* {
        for (auto it = DataAppState().m_Sheets.rbegin(); it != DataAppState().m_Sheets.rend();
             ++it) {
            using Entry = std::remove_pointer_t<decltype(kind)>;
            if (auto* entry = dynamic_cast<Entry*>((*it)->GetEntry());
                entry != nullptr && entry->GetFacet() == 2) {
                return (*it)->GetPage(0);
            }
        }
        return nullptr;
    };

    GoTo(view, "5,12");
    QTest::mouseDClick(canvas, Qt::LeftButton, {}, middle);
    CDataPage* map = page(static_cast<CDataDefMap*>(nullptr));
    CDataPage* statics = page(static_cast<CDataDefStatics*>(nullptr));
    ASSERT_TRUE(map != nullptr && statics != nullptr);
    const std::vector<std::uint8_t> bytes = test::SampleClientDir().Read("map2.mul");
    ASSERT_GE(bytes.size(), 2u * 196);
    const std::uint8_t* cell = bytes.data() + 196 + 4;
    auto* cells = ids::FindControl<QListWidget>(map, ids::IDC_MAP_CELLS);
    ASSERT_EQ(cells->count(), 64);
    EXPECT_EQ(cells->item(0)->text(),
              QString::asprintf("(0,0)\t%d\t%04xh", static_cast<std::int8_t>(cell[2]),
                                cell[0] | cell[1] << 8));
    EXPECT_EQ(ids::FindControl<QLabel>(map, ids::IDC_MAP_COORDS)->text(),
              QStringLiteral("x=0, y=8"));
    const std::vector<std::uint8_t> index = test::SampleClientDir().Read("staidx2.mul");
    ASSERT_GE(index.size(), 2u * IndexRecord::kSize);
    EXPECT_EQ(ids::FindControl<QListWidget>(statics, ids::IDC_STATICS_LIST)->count(),
              static_cast<int>(LoadLE32(index.data() + IndexRecord::kSize + 4) / 7));

    GoTo(view, "5,3");
    QTest::mouseDClick(canvas, Qt::LeftButton, {}, middle);
    map = page(static_cast<CDataDefMap*>(nullptr));
    ASSERT_NE(map, nullptr);
    cells = ids::FindControl<QListWidget>(map, ids::IDC_MAP_CELLS);
    ASSERT_EQ(cells->count(), 64);
    EXPECT_EQ(cells->item(63)->text(), "(7,7)\t20\t00dch");
    // Sheets still open keep their entries however many blocks are opened after them.
    const std::vector<CDataProps*> open = DataAppState().m_Sheets;
    for (int block = 2; block < 12; ++block) {
        GoTo(view, std::to_string(block * 8 + 3) + ",3");
        QTest::mouseDClick(canvas, Qt::LeftButton, {}, middle);
    }
    for (CDataProps* sheet : open) {
        EXPECT_NE(std::find(DataAppState().m_Sheets.begin(), DataAppState().m_Sheets.end(), sheet),
                  DataAppState().m_Sheets.end());
    }
    DataAppState().DestroyAllSheets();
    SetChosenFacet(0);
}

// Where the map has no block, or cannot give one, the status line says so rather than naming
// terrain 0 at altitude 0.
TEST_F(MapViewTest, TilesWithoutAReadableBlockAreNamedSo) {
    test::TempDir client;
    std::filesystem::copy(test::SampleClientDir().Path(), client.Path(),
                          std::filesystem::copy_options::recursive);
    // The map ends eight blocks short of its last column.
    const std::string map = client.File("map0.mul");
    const std::uint64_t blocks = std::filesystem::file_size(map) / 196;
    std::filesystem::resize_file(map, (blocks - 8) * 196);
    test::UseClient(client.Path());
    CMapView view;
    ASSERT_TRUE(Open(view, 0));
    const std::uint64_t x = (blocks / 512 - 1) * 8 + 1;
    GoTo(view, std::to_string(x) + ",4090");
    ExpectStatusHas(view, QString("x %1, y 4090  no map block").arg(x));
    GoTo(view, std::to_string(x) + ",4000");
    ExpectStatusHas(view, QString("x %1, y 4000  altitude").arg(x));
}

}  // namespace
}  // namespace tessaly
