// The image categories: list texts, the picture pages (what they draw, where they cut, their size
// texts and enable rules) and copying to the clipboard.

#include <QCheckBox>
#include "Bytes.h"
#include "CDataDefGump.h"
#include "CDataDefItem.h"
#include "CDataDefLight.h"
#include "CDataDefTerrain.h"
#include "CDataDefTexture.h"
#include "CDataPageDraw.h"
#include "ControlIds.h"
#include "DataExport.h"
#include "Hues.h"
#include "QtTestSupport.h"
#include "ResourceIds.h"
#include "SurfaceDevice.h"
#include "TileData.h"

#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace tessaly {
namespace {

class ImagePageTest : public test::SampleSheetTest {
protected:
    // Pictures compared as 32-bit pixels.
    static QImage Rgb32(const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); }
    static QImage Rgb32(const SurfaceBuffer& buffer) { return Rgb32(CreateDeviceBitmap(buffer)); }
    // Opens the entry's sheet on the page with that caption and lets the page paint.
    CDataPageDraw* ShowPage(CDataDef* entry, const QString& caption) {
        auto* page = test::ShowSheetPage<CDataPageDraw>(*entry, caption);
        if (page != nullptr) {
            page->GetPicture()->repaint();
        }
        return page;
    }
    // The page's "Copy" button, or null.
    static QPushButton* CopyButton(const CDataPageDraw* page) {
        QPushButton* copy = nullptr;
        for (QPushButton* button : page->findChildren<QPushButton*>()) {
            copy = button->text() == QStringLiteral("Copy") ? button : copy;
        }
        return copy;
    }
    // A picture drawn straight from a block: w x h, cleared, the block at (x, y).
    static SurfaceBuffer Drawn(std::uint32_t w, std::uint32_t h,
                               const std::function<void(CSurfaceDC&)>& draw) {
        SurfaceBuffer buffer;
        buffer.CreateBuffer(w, h, 4);
        CSurfaceDC dc(buffer);
        draw(dc);
        return buffer;
    }
};

TEST_F(ImagePageTest, ListTextsAndPagesDrawTheDecodedPictureCutAtTheirControlAndCopyIt) {
    struct Case {
        std::int32_t category;
        std::uint32_t index;
        const char* caption;
        std::uint32_t width, height;  // the whole picture
        std::function<void(CSurfaceDC&)> draw;
        const char* size;  // the size text, or null
        int sizeId = 0;    // its control
    };
    CTileItemType crate(0x0E3C);
    CTileGumpType backdrop(0x07D0);
    CTileLightType light(2);
    CTileTextureType texture(3);
    CTileTerrainType grass(3);
    for (CMulBlockType* block :
         std::initializer_list<CMulBlockType*>{&crate, &backdrop, &light, &texture, &grass}) {
        ASSERT_TRUE(block->EnsureLoaded());
    }
    // The patched crate is 44 x 48; the backdrop, larger than the control, is cut, never scaled.
    const std::vector<Case> cases = {
        {kCategoryItems, 0x0E3C, "Item", 44, 48, [&](CSurfaceDC& dc) { crate.Draw(dc, 0, 0); },
         "44,48", ids::IDC_ITEM_SIZE},
        {kCategoryGumps, 0x07D0, "Gump", 640, 480, [&](CSurfaceDC& dc) { backdrop.Draw(dc, 0, 0); },
         "640, 480", ids::IDC_GUMP_SIZE},
        {kCategoryLights, 2, "Light", 96, 96, [&](CSurfaceDC& dc) { light.Draw(dc, 0, 0); },
         "96,96", ids::IDC_LIGHT_SIZE},
        {kCategoryTextures, 3, "Texture", 64, 64, [&](CSurfaceDC& dc) { texture.Draw(dc, 0, 0); },
         "64,64", ids::IDC_TEXTURE_SIZE},
        // The companions: a texture's terrain tile and a terrain tile's texture.
        {kCategoryTextures, 3, "Terrain", 44, 44, [&](CSurfaceDC& dc) { grass.Draw(dc, 21, 0); },
         nullptr},
        {kCategoryTerrain, 3, "Terrain", 44, 44, [&](CSurfaceDC& dc) { grass.Draw(dc, 21, 0); },
         "44,44", ids::IDC_TERRAIN_SIZE},
        {kCategoryTerrain, 3, "Texture", 64, 64, [&](CSurfaceDC& dc) { texture.Draw(dc, 0, 0); },
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption + std::string(" of ") + std::to_string(c.index));
        CDataPageDraw* page = ShowPage(Entry(c.category, c.index), QString::fromLatin1(c.caption));
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(page->isEnabled());
        const QRect area = page->GetPicture()->contentsRect();
        const auto w = std::min(c.width, static_cast<std::uint32_t>(area.width()));
        const auto h = std::min(c.height, static_cast<std::uint32_t>(area.height()));
        test::ExpectSamePixels(page->GetBuffer(), Drawn(w, h, c.draw));
        if (c.size != nullptr) {
            EXPECT_EQ(ids::FindControl<QLabel>(page, c.sizeId)->text(), c.size);
        }
        // What the page shows is what reaches the screen.
        const QPoint middle(static_cast<int>(w) / 2, static_cast<int>(h) / 2);
        EXPECT_EQ(page->GetPicture()->grab().toImage().pixelColor(area.topLeft() + middle),
                  SurfaceImage(page->GetBuffer()).pixelColor(middle));
    }

    // Texture 1 has no terrain tile of its number: that page shows nothing and is disabled.
    CDataPageDraw* empty = ShowPage(Entry(kCategoryTextures, 1), "Terrain");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->GetBuffer().GetData(), nullptr);
    EXPECT_FALSE(empty->isEnabled());
    // Nor has a terrain number of the items' art records (a texture past 0x3FFF's companion).
    CTileTerrainType itemRecord(kArtItemBase + 0x0E3C);
    EXPECT_FALSE(itemRecord.EnsureLoaded());

    // Terrain 2, the map's "no draw" tile, holds data but is never drawn: no picture to copy or
    // export, and the entry says why.
    auto* noDraw = dynamic_cast<CDataDefTerrain*>(Entry(kCategoryTerrain, 2));
    CDataPageDraw* noDrawPage = noDraw != nullptr ? ShowPage(noDraw, "Terrain") : nullptr;
    ASSERT_NE(noDrawPage, nullptr);
    EXPECT_EQ(noDrawPage->GetBuffer().GetData(), nullptr);
    EXPECT_FALSE(CopyButton(noDrawPage)->isEnabled());
    EXPECT_EQ(noDraw->InvalidText(), "Terrain 2 is the map's \"no draw\" tile: it is never drawn");
    CExportData exported;
    EXPECT_FALSE(noDraw->ExportData(ExportOptions{}, exported));

    // The item page refuses an entry of another class.
    CDataProps* sheet = OpenProperties(*Entry(kCategoryTerrain, 3));
    ASSERT_NE(sheet, nullptr);
    CDataPageDraw* item = CreatePicturePage(EntryPage::ItemDraw);
    sheet->AddPage(item);
    EXPECT_FALSE(item->LoadEntry());

    // The picture kinds share one copy: the entry's picture, at its size.
    QGuiApplication::clipboard()->clear();
    CDataDef* entry = Entry(kCategoryItems, 0x0E3C);
    SurfaceBuffer picture;
    ASSERT_TRUE(entry->GetImage(picture));
    EXPECT_TRUE(RunEntryCommand(*entry, nullptr, ids::ID_EDIT_COPY));
    EXPECT_EQ(Rgb32(QGuiApplication::clipboard()->image()), Rgb32(picture));

    // List texts give sizes and tile data names.
    IndexRecord record;
    ASSERT_TRUE(TheClientFiles().ReadIndexRecord(kSlotArtIdx, kFileSlotCount, kArtItemBase + 0x0E3C,
                                                 record));
    // The base index record's length, though the picture itself is patched; the patched name.
    EXPECT_EQ(Entry(kCategoryItems, 0x0E3C)->GetListText(),
              std::to_string(record.GetLength()) + "\tpatched crate");
    EXPECT_EQ(Entry(kCategoryTerrain, 3)->GetListText(), "2024\tgrass");
    EXPECT_EQ(Entry(kCategoryTextures, 3)->GetListText(), "64\tgrass");
    EXPECT_EQ(Entry(kCategoryGumps, 0x07D0)->GetListText(), "480,640");
    EXPECT_EQ(Entry(kCategoryLights, 1)->GetListText(), std::to_string(64 * 48));
}

// A gump 40,000 pixels wide (past what a picture may be) shows its top-left part, says why,
// and cannot be copied.
TEST_F(ImagePageTest, APictureTooLargeToMakeWholeShowsItsCornerAndIsNotCopied) {
    test::TempDir client;
    std::filesystem::copy(test::SampleClientDir().Path(), client.Path(),
                          std::filesystem::copy_options::recursive);
    std::vector<std::uint8_t> art = client.Read("gumpart.mul");
    const auto at = static_cast<std::uint32_t>(art.size());
    // Two rows, each one run of 40,000 red pixels.
    ByteWriter gump;
    gump.u32(2).u32(3).u16(0x7C00).u16(40000).u16(0x7C00).u16(40000);
    art.insert(art.end(), gump.data().begin(), gump.data().end());
    client.Write("gumpart.mul", art);
    std::vector<std::uint8_t> index = client.Read("gumpidx.mul");
    ByteWriter record;
    record.u32(at).u32(16).u16(2).u16(40000);  // height, then width
    std::copy(record.data().begin(), record.data().end(), index.begin() + 12 * 0x10);
    client.Write("gumpidx.mul", index);
    test::UseClient(client.Path());
    CDataPageDraw* page = ShowPage(Entry(kCategoryGumps, 0x10), "Gump");
    ASSERT_NE(page, nullptr);
    EXPECT_NE(page->GetBuffer().GetData(), nullptr);
    EXPECT_EQ(page->GetBuffer().GetPixel(0, 1), 0x7C00);
    ASSERT_NE(CopyButton(page), nullptr);
    EXPECT_FALSE(CopyButton(page)->isEnabled());
    DataAppState().DestroyAllSheets();
    test::UseSampleClient();
}

// Typing a hue number redraws the picture in entry N - 1 of the hue table (the number the Hues
// page shows): every drawn pixel takes colour r of the ramp, r its red value; the robe (tile
// data flag bit 18) only in its grey pixels, its coloured belt kept. "Copy" takes the hued
// picture; hue 0 draws it plain again.
TEST_F(ImagePageTest, HueFieldRedrawsAndCopiesTheHuedPicture) {
    constexpr std::uint16_t kHue = 0x81;
    HueEntry hue;
    ASSERT_TRUE(ReadHue(kHue - 1, hue));
    // The category, index and page of each picture, and whether only its grey pixels take the hue.
    for (const auto& [category, index, caption, partial] :
         {std::tuple(kCategoryItems, 0x1F03u, "Item", true),
          std::tuple(kCategoryGumps, 0x00F7u, "Gump", false)}) {
        SCOPED_TRACE(index);
        CDataDef* entry = Entry(category, index);
        SurfaceBuffer plain;
        ASSERT_TRUE(entry->GetImage(plain));
        CDataPageDraw* page = ShowPage(entry, QString::fromLatin1(caption));
        ASSERT_NE(page, nullptr);
        ASSERT_NE(page->GetHueField(), nullptr);
        page->GetHueField()->GetSpinBox()->setValue(kHue);
        page->GetPicture()->repaint();
        const SurfaceBuffer& shown = page->GetBuffer();
        ASSERT_EQ(std::pair(shown.GetWidth(), shown.GetHeight()),
                  std::pair(plain.GetWidth(), plain.GetHeight()));
        int hued = 0, kept = 0, wrong = 0;
        for (std::int32_t y = 0; y < static_cast<std::int32_t>(plain.GetHeight()); ++y) {
            for (std::int32_t x = 0; x < static_cast<std::int32_t>(plain.GetWidth()); ++x) {
                const std::uint16_t p = plain.GetPixel(x, y);
                const int r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
                const bool takes = p != 0 && (!partial || (r == g && g == b));
                const std::uint16_t want = takes ? hue.m_Colours[static_cast<std::size_t>(r)] : p;
                wrong += shown.GetPixel(x, y) != want;
                (takes ? hued : kept) += p != 0;
            }
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_GT(hued, 0);
        EXPECT_EQ(kept > 0, partial);

        QGuiApplication::clipboard()->clear();
        page->OnCopy();
        EXPECT_EQ(Rgb32(QGuiApplication::clipboard()->image()), Rgb32(shown));
        page->GetHueField()->GetSpinBox()->setValue(0);
        page->GetPicture()->repaint();
        test::ExpectSamePixels(page->GetBuffer(), plain);
        DataAppState().DestroyAllSheets();
    }
}

// "Play" on an animated item's page (the sample's door: frames 0x675 and 0x676, 500 ms each
// after a 200 ms start delay), stepped by its timer's ticks; an item without animation has it
// greyed.
TEST_F(ImagePageTest, PlayStepsAnAnimatedItemsFramesAtItsTiming) {
    CDataPageDraw* crate = ShowPage(Entry(kCategoryItems, 0x0E3C), QStringLiteral("Item"));
    EXPECT_TRUE(crate != nullptr && !crate->GetPlay()->isEnabled());
    DataAppState().DestroyAllSheets();

    CDataPageDraw* page = ShowPage(Entry(kCategoryItems, 0x0675), QStringLiteral("Item"));
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(page->GetPlay()->isEnabled());
    auto picture = [](std::uint32_t item) {
        CDataDefItem entry(item);
        entry.ReadIndex();
        SurfaceBuffer buffer;
        EXPECT_TRUE(entry.DrawPicture(buffer, kNoLimit, kNoLimit));
        return CreateDeviceBitmap(buffer);
    };
    auto shown = [&] {
        page->GetPicture()->repaint();
        return CreateDeviceBitmap(page->GetBuffer());
    };
    page->GetPlay()->setChecked(true);
    EXPECT_TRUE(page->IsPlaying());
    EXPECT_EQ(page->GetPlayInterval(), 200);  // the start delay
    EXPECT_EQ(page->GetPlayFrame(), -1);
    for (const auto& [frame, item] :
         {std::pair(0, 0x0675u), std::pair(1, 0x0676u), std::pair(0, 0x0675u)}) {
        page->OnTimer();
        EXPECT_EQ(std::pair(page->GetPlayFrame(), page->GetPlayInterval()), std::pair(frame, 500));
        EXPECT_EQ(shown(), picture(item)) << frame;
    }
    page->GetPlay()->setChecked(false);
    EXPECT_FALSE(page->IsPlaying());
    EXPECT_EQ(page->GetPlayFrame(), -1);
    EXPECT_EQ(shown(), picture(0x0675));
}

}  // namespace
}  // namespace tessaly
