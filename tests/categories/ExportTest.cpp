// "Export..." from the list's context menu: each kind's file read back and compared with what
// the entry stands for; disabled, cancelled and failing exports.

#include "AnimPages.h"
#include "CDataDefAnim.h"
#include "CDataDefItem.h"
#include "CDataDefMulti.h"
#include "CDataDefTerrain.h"
#include "CDataPageDraw.h"
#include "ListFixture.h"
#include "ResourceIds.h"
#include "SurfaceDevice.h"
#include "Text.h"
#include "sound/ExpectedWave.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImageReader>
#include <QMenu>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tessaly {
namespace {

// A PNG file as 32-bit pixels (null when it does not read).
QImage ReadPng(const std::string& path) {
    return QImage(QString::fromStdString(path), "PNG").convertToFormat(QImage::Format_RGB32);
}
QImage AsImage(const SurfaceBuffer& buffer) {
    return CreateDeviceBitmap(buffer).convertToFormat(QImage::Format_RGB32);
}

// A GIF file read back through Qt's own reader: each frame as 32-bit pixels (0 where
// transparent) and its delay in hundredths of a second.
struct GifFrames {
    std::vector<std::vector<std::uint32_t>> frames;
    std::vector<int> delays;
};
GifFrames ReadGif(const std::string& path) {
    GifFrames out;
    QImageReader reader(QString::fromStdString(path), "GIF");
    QImage frame;
    while (reader.read(&frame)) {
        frame = frame.convertToFormat(QImage::Format_ARGB32);
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < frame.height(); ++y) {
            for (int x = 0; x < frame.width(); ++x) {
                const QRgb p = frame.pixel(x, y);
                pixels.push_back(qAlpha(p) == 0 ? 0 : p | 0xFF000000u);
            }
        }
        out.frames.push_back(std::move(pixels));
        out.delays.push_back(reader.nextImageDelay() / 10);
    }
    EXPECT_FALSE(out.frames.empty()) << "not a GIF: " << path;
    return out;
}

// Placed frames drawn on the canvas of the box around them, as 32-bit pixels (0 transparent).
std::vector<std::vector<std::uint32_t>> CanvasPixels(const std::vector<PlacedFrame>& frames) {
    const FrameBox box = BoundingBox(frames);
    std::vector<std::vector<std::uint32_t>> out;
    for (const PlacedFrame& frame : frames) {
        SurfaceBuffer canvas;
        canvas.CreateBuffer(box.width, box.height, 4);
        PlaceFrame(frame, box, canvas, 0, 0);
        std::vector<std::uint32_t> pixels;
        for (std::uint32_t y = 0; y < box.height; ++y) {
            for (std::uint32_t x = 0; x < box.width; ++x) {
                const std::uint16_t p =
                    canvas.GetPixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
                pixels.push_back(p == 0 ? 0
                                        : 0xFF000000u | (std::uint32_t{Widen5(p >> 10)} << 16) |
                                              (std::uint32_t{Widen5(p >> 5)} << 8) | Widen5(p));
            }
        }
        out.push_back(std::move(pixels));
    }
    return out;
}

class ExportTest : public test::SampleListTest {
protected:
    // The context menu's "Export..." of entry `index` in the list shown (its menu kept).
    QAction* ExportItem(std::uint32_t index) {
        const int row = RowOfIndex(index);
        EXPECT_GE(row, 0) << index;
        m_pMenu = m_pList->CreateContextMenu(
            m_pList->visualRect(m_pList->GetModel()->index(row, 0)).center());
        for (QAction* action : m_pMenu->actions()) {
            if (action->data().toInt() == ids::ID_EXPORT) {
                return action;
            }
        }
        ADD_FAILURE() << "no Export... item";
        return nullptr;
    }
    // Exports entry `index` through the context menu, the dialog answered with `name` in the
    // test's folder and that filter; the file's path.
    std::string Export(std::uint32_t index, const std::string& name, int filter = 0) {
        QAction* action = ExportItem(index);
        EXPECT_TRUE(action != nullptr && action->isEnabled()) << index;
        m_Ui.m_ExportFiles.push_back(CShellUi::FileChoice{m_Dir.File(name), filter});
        if (action != nullptr) {
            action->trigger();
        }
        return m_Dir.File(name);
    }

    // The Anims list with the "Anim" page of the people body 400 open, or null.
    CDataPageAnimDraw* ShowBodyPage() {
        Show(kCategoryAnims);
        CDataDef* body = m_pList->GetModel()->GetEntry(RowOfIndex(400));
        CDataProps* sheet = body != nullptr ? OpenProperties(*body) : nullptr;
        return sheet != nullptr ? dynamic_cast<CDataPageAnimDraw*>(sheet->GetActivePage())
                                : nullptr;
    }

    std::unique_ptr<QMenu> m_pMenu;
};

TEST_F(ExportTest, PicturesSoundsMultisAndPatchRecordsAreWhatTheEntriesHold) {
    struct Case {
        std::int32_t category;
        std::uint32_t index;
        const char* offered;
    };
    // The picture kinds share one export: items (a filter of their own) and one other kind.
    for (const Case& c : {Case{kCategoryItems, 0xE3C, "items-0e3c.png"},
                          Case{kCategoryGumps, 0xF7, "gumps-00f7.png"}}) {
        Show(c.category);
        const std::string path = Export(c.index, c.offered);
        ASSERT_EQ(m_Ui.m_ExportDialogs.back(),
                  std::make_pair(std::string(c.category == kCategoryItems
                                                 ? ExportFilter(ExportKind::ItemPicture)
                                                 : "PNG pictures|*.png||"),
                                 std::string(c.offered)));
        SurfaceBuffer drawn;
        ASSERT_TRUE(std::unique_ptr<CDataDef>(CreateDataDef(c.category, c.index))->GetImage(drawn));
        EXPECT_EQ(ReadPng(path), AsImage(drawn)) << c.offered;
    }
    // Terrain's file is the whole diamond the Terrain page draws; a name without extension gets
    // one.
    Show(kCategoryTerrain);
    SurfaceBuffer diamond;
    ASSERT_TRUE(CDataDefTerrain(0xA8).DrawPicture(diamond, kNoLimit, kNoLimit));
    EXPECT_EQ(ReadPng(Export(0xA8, "tile") + ".png"), AsImage(diamond));

    // The patched sound (the wave's layout for any samples is the wave writer's to guard).
    Show(kCategorySounds);
    EXPECT_EQ(test::TempDir::ReadFile(Export(11, "sound.wav")), test::ExpectedWave(11));
    EXPECT_EQ(m_Ui.m_ExportDialogs.back().first, "Wave files|*.wav||");

    // Components the ".pat" patch holds for the multi are what the page shows and exports.
    Show(kCategoryMultis);
    CPatch patch;
    const MultiComponent post{0xE3C, 1, 0, 0, 1};
    patch.InsertPatchRecord(WriteMultiComponents({post}), kPatchTypeMulti, 0x64);
    DataAppState().m_pPatch = &patch;
    SurfaceBuffer edited;
    ASSERT_TRUE(DrawMultiPicture({post}, edited));
    EXPECT_EQ(ReadPng(Export(0x64, "edited.png")), AsImage(edited));

    // The sample patches item 0xE3C's picture; its record in the VerData list writes it.
    Show(kCategoryVerData);
    const std::uint32_t key = CUOVersionBlock{kSlotArt, kArtItemBase + 0xE3C, 0, 0, 0, 0}.GetKey();
    const std::string path = Export(key, "patched.png");
    EXPECT_EQ(m_Ui.m_ExportDialogs.back().second, "items-0e3c.png");  // the target's name
    EXPECT_EQ(ReadPng(path), ReadPng(m_Dir.File("items-0e3c.png")));  // the patched picture
}

TEST_F(ExportTest, NothingToExportCancelAndFailedWrites) {
    // Hues export nothing: the command asks for no file (the menu item is greyed as
    // ListTest.ContextMenuOffersTheEntryCommands shows for another entry with nothing to export).
    Show(kCategoryHues);
    EXPECT_TRUE(RunEntryCommand(*m_pList->GetModel()->GetEntry(0), nullptr, ids::ID_EXPORT));
    EXPECT_TRUE(m_Ui.m_ExportDialogs.empty());

    Show(kCategoryItems);
    // Cancelled: nothing written, nothing said.
    ExportItem(0xE3C)->trigger();
    EXPECT_EQ(m_Ui.m_ExportDialogs.size(), 1u);
    EXPECT_TRUE(m_Ui.m_Warnings.empty());
    // A folder that is not there: a warning naming the file, and no file.
    const std::string nowhere = Export(0xE3C, "no/such/folder/crate.png");
    ASSERT_EQ(m_Ui.m_Warnings.size(), 1u);
    EXPECT_EQ(m_Ui.m_Warnings[0],
              "Unable to write the file '" + nowhere + "': No such file or directory");
    EXPECT_FALSE(std::filesystem::exists(nowhere));
}

TEST_F(ExportTest, AnimationsExportTheShownActionAndDirectionAsFramesOrOneSheet) {
    CDataPageAnimDraw* page = ShowBodyPage();
    ASSERT_NE(page, nullptr);
    page->m_pAction->setCurrentIndex(1);
    page->m_pDir->setCurrentIndex(2);  // "Left-SW", with "Dir Flip" the mirrored direction 1
    page->m_pFlip->setChecked(true);
    const std::int32_t direction = page->PageDirection();
    CTileAnimType frames(GetAnimIndex(400, 1, direction));
    const std::uint32_t count = frames.GetFrameCount();

    // One picture per frame, numbered from 00.
    Export(400, "walk.png", 1);
    EXPECT_EQ(m_Ui.m_ExportDialogs.back().first, ExportFilter(ExportKind::Animation));
    QRect box;  // around the anchor, holding every frame
    std::vector<QImage> pictures;
    std::vector<QPoint> origins(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        SurfaceBuffer frame;
        ASSERT_TRUE(DrawAnimFrame(frames, i, direction, frame, &origins[i]));
        pictures.push_back(AsImage(frame));
        EXPECT_EQ(ReadPng(m_Dir.File(Format("walk-%02u.png", i))), pictures.back()) << i;
        box |= QRect(origins[i], pictures.back().size());
    }
    EXPECT_FALSE(std::filesystem::exists(m_Dir.File("walk.png")));

    // The sheet: equal cells side by side, each frame at its place around the same anchor.
    Export(400, "sheet.png", 0);
    const QImage sheetPicture = ReadPng(m_Dir.File("sheet.png"));
    ASSERT_EQ(sheetPicture.size(), QSize(box.width() * static_cast<int>(count), box.height()));
    for (std::uint32_t i = 0; i < count; ++i) {
        const QPoint at(static_cast<int>(i) * box.width() + origins[i].x() - box.left(),
                        origins[i].y() - box.top());
        EXPECT_EQ(sheetPicture.copy(QRect(at, pictures[i].size())), pictures[i]) << i;
    }

    // From the list without an open sheet: action 0, direction position 0 (direction 3).
    DataAppState().DestroyAllSheets();
    Export(400, "first.png", 1);
    SurfaceBuffer first;
    CTileAnimType walk(GetAnimIndex(400, 0, 3));
    ASSERT_TRUE(DrawAnimFrame(walk, 0, 3, first));
    EXPECT_EQ(ReadPng(m_Dir.File("first-00.png")), AsImage(first));

    // An action without frames of a body that has others is no body without data: the note
    // names the first action that has frames.
    CDataDefAnim monster(1);
    monster.ReadIndex();
    ExportOptions options;
    options.nAction = 5;
    CExportData none;
    EXPECT_FALSE(monster.ExportData(options, none));
    EXPECT_EQ(none.GetNotes(),
              std::vector<std::string>{
                  "it has no frames in action 5 (direction 3); its first action with frames is 0"});
}

// A body's action and direction as an animated GIF in the page's hue, every action as sprite
// sheets with their JSON, and an animated item as a GIF: read back frame by frame.
TEST_F(ExportTest, GifsAndSpriteSheetsOfEveryActionMatchTheDecodedFrames) {
    CDataPageAnimDraw* page = ShowBodyPage();
    ASSERT_NE(page, nullptr);
    page->m_pDir->setCurrentIndex(2);
    page->m_pFlip->setChecked(true);  // the mirrored direction 1
    page->m_pHue->SetHue(0x22);
    Export(400, "walk", 2);
    CTileAnimType frames(GetAnimIndex(400, 0, 1));
    const GifFrames gif = ReadGif(m_Dir.File("walk.gif"));
    FrameBudget budget{kMaxPicturePixels};
    const std::vector<PlacedFrame> placed = PlaceAnimFrames(frames, 1, 0x22, budget);
    EXPECT_EQ(gif.frames, CanvasPixels(placed));
    // The frames take their pixels from a budget; those past it are not drawn, so that a
    // damaged file naming a huge frame again and again cannot take gigabytes.
    std::uint64_t pixels = 0;
    for (const PlacedFrame& frame : placed) {
        pixels += std::uint64_t{frame.picture.GetWidth()} * frame.picture.GetHeight();
    }
    FrameBudget exact{pixels}, short_{pixels - 1};
    PlaceAnimFrames(frames, 1, 0x22, exact);
    EXPECT_EQ(exact.skipped, 0u);
    EXPECT_EQ(PlaceAnimFrames(frames, 1, 0x22, short_).back().picture.GetData(), nullptr);
    EXPECT_EQ(short_.skipped, 1u);
    EXPECT_EQ(gif.delays, std::vector<int>(gif.frames.size(), 25));
    ASSERT_GT(gif.frames.size(), 1u);
    DataAppState().DestroyAllSheets();

    // Every action: a sheet and its description per action with frames; each frame's rectangle
    // in the sheet holds that frame, its centre is the anchor.
    Export(400, "body.png", 3);
    auto* entry = dynamic_cast<CDataDefAnim*>(m_pList->GetModel()->GetEntry(RowOfIndex(400)));
    ASSERT_NE(entry, nullptr);
    int sheets = 0;
    for (std::int32_t action = 0; action < static_cast<std::int32_t>(entry->GetActionCount());
         ++action) {
        const std::string stem = m_Dir.File(Format("body-a%02d", action));
        if (!std::filesystem::exists(stem + ".json")) {
            EXPECT_EQ(CTileAnimType(GetAnimIndex(400, action, 3)).GetFrameCount(), 0u) << action;
            continue;
        }
        ++sheets;
        const QImage picture = ReadPng(stem + ".png");
        const std::vector<std::uint8_t> text = test::TempDir::ReadFile(stem + ".json");
        const QJsonObject json =
            QJsonDocument::fromJson(QByteArray::fromStdString({text.begin(), text.end()})).object();
        EXPECT_EQ(json["image"].toString().toStdString(), Format("body-a%02d.png", action));
        EXPECT_EQ(json["frameDelayMs"].toInt(), 250);
        const QJsonArray directions = json["directions"].toArray();
        ASSERT_EQ(directions.size(), 8);
        for (const QJsonValue& value : directions) {
            const QJsonObject row = value.toObject();
            const int d = row["direction"].toInt();
            EXPECT_EQ(row["mirrored"].toBool(), d < 3) << d;
            CTileAnimType set(GetAnimIndex(400, action, d));
            const QJsonArray cells = row["frames"].toArray();
            ASSERT_EQ(static_cast<std::uint32_t>(cells.size()), set.GetFrameCount());
            for (std::uint32_t i = 0; i < set.GetFrameCount(); ++i) {
                const QJsonObject cell = cells[static_cast<int>(i)].toObject();
                SurfaceBuffer frame;
                QPoint origin;
                ASSERT_TRUE(DrawAnimFrame(set, i, d, frame, &origin));
                const QRect rect(cell["x"].toInt(), cell["y"].toInt(), cell["w"].toInt(),
                                 cell["h"].toInt());
                EXPECT_EQ(picture.copy(rect), AsImage(frame)) << action << " " << d << " " << i;
                EXPECT_EQ(rect.topLeft() - QPoint(cell["centreX"].toInt(), cell["centreY"].toInt()),
                          origin);
            }
        }
    }
    EXPECT_GT(sheets, 1);

    // The animated door: its two frames, 500 ms each.
    Show(kCategoryItems);
    Export(0x0675, "door.gif", 1);
    const GifFrames door = ReadGif(m_Dir.File("door.gif"));
    FrameBudget doorBudget{kMaxPicturePixels}, none{0};
    EXPECT_EQ(door.frames, CanvasPixels(PlaceItemFrames({0x0675, 0x0676}, 0, false, doorBudget)));
    // An item's frames take from the budget too.
    EXPECT_EQ(PlaceItemFrames({0x0675, 0x0676}, 0, false, none).front().picture.GetData(), nullptr);
    EXPECT_EQ(door.delays, (std::vector<int>{50, 50}));
}

// A frame past the picture cap is no picture, with nothing allocated for it; frames go to their
// files as they are decoded, so a failure at a later one leaves the earlier ones written and
// is reported.
TEST(FrameExportTest, HugeFramesAreRefusedAndFramesAreWrittenAsDecoded) {
    // Palette colour 1 is 0x1234. Frame 0 (at 512 + 12): 2 x 1 pixels of colour 1, its chunk on
    // row offset -1 from the foot; frame 1 (at 512 + 30): 16,000 x 30,000 without chunks.
    ByteWriter block;
    block.u16(0).u16(0x1234).zeros(CTileAnimType::kPaletteBytes - 4);
    block.u32(2).u32(12).u32(30);
    block.i16(0).i16(0).u16(2).u16(1).u32(2 | (0x3FFu << 12)).u8(1).u8(1).u32(0x7FFF7FFF);
    block.i16(0).i16(0).u16(16000).u16(30000).u32(0x7FFF7FFF);
    CTileAnimType frames(0);
    frames.SetMemoryData(IndexRecord{}, block.take());
    ASSERT_EQ(frames.GetFrameCount(), 2u);
    SurfaceBuffer buffer, huge;
    ASSERT_TRUE(DrawAnimFrame(frames, 0, 3, buffer));
    EXPECT_EQ(buffer.GetPixel(1, 0), 0x1234);
    EXPECT_FALSE(DrawAnimFrame(frames, 1, 3, huge));
    EXPECT_EQ(huge.GetData(), nullptr);

    test::TempDir dir;
    const std::string path = dir.File("walk.png");
    std::filesystem::create_directory(ExportPartPath(path, "-01"));  // cannot be written
    CExportData data;
    data.WriteAsAdded(path);
    ASSERT_TRUE(data.AddPicture(buffer, "-00"));
    EXPECT_TRUE(std::filesystem::is_regular_file(ExportPartPath(path, "-00")));
    data.AddPicture(buffer, "-01");
    data.AddPicture(buffer, "-02");
    std::vector<ExportedFile> files;
    std::string error;
    EXPECT_FALSE(data.Write(path, files, error));
    EXPECT_EQ(error,
              "Unable to write the file '" + ExportPartPath(path, "-01") + "': Is a directory");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].path, ExportPartPath(path, "-00"));
    EXPECT_FALSE(std::filesystem::exists(ExportPartPath(path, "-02")));
    // A frame is a PNG file whatever the name chosen for the whole ends in, or without one.
    for (const char* chosen : {"run.gif", "run"}) {
        CExportData frames;
        frames.WriteAsAdded(dir.File(chosen));
        ASSERT_TRUE(frames.AddPicture(buffer, "-00"));
        EXPECT_TRUE(std::filesystem::is_regular_file(dir.File("run-00.png"))) << chosen;
        std::filesystem::remove(dir.File("run-00.png"));
    }
}

}  // namespace
}  // namespace tessaly
