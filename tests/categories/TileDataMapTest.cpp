// The tile data, statics and map pages: a tile's record from each kind of entry, flags and
// article, scrolling a group, radar colours, a block's statics, read failures, a map's cells.

#include "CDataDefItem.h"
#include "CDataDefMap.h"
#include "CDataDefStatics.h"
#include "CDataDefTerrain.h"
#include "CDataDefTexture.h"
#include "CDataDefTileData.h"
#include "CDataVerData.h"
#include "CVerDataEdits.h"
#include "ControlIds.h"
#include "MapBlock.h"
#include "MapPages.h"
#include "QtTestSupport.h"
#include "SampleClient.h"
#include "StaticsPages.h"
#include "TarnError.h"
#include "TileDataPages.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>

namespace tessaly {
namespace {

constexpr std::uint32_t kCrate = 0x0E3C;  // renamed by the tile data patch
constexpr std::uint32_t kCrateGroup = (kCrate + kArtItemBase) / 32;  // 625
constexpr std::uint32_t kHouseBlock = 512;                           // statics patched
constexpr std::uint32_t kDeletedBlock = 514;                         // statics deleted by a patch

class TileDataMapTest : public test::SampleSheetTest {
protected:
    // The sample patch record of a file id and block.
    static CUOVersionBlock SampleRecord(std::uint32_t fileId, std::uint32_t block) {
        for (std::int32_t i = 0; i < TheVerDataTable().GetCount(); ++i) {
            const CUOVersionBlock& r = TheVerDataTable().ElementAt(i);
            if (r.m_dwFileId == fileId && r.m_dwBlock == block) {
                return r;
            }
        }
        ADD_FAILURE() << "no sample record " << fileId << "/" << block;
        return {};
    }

    // A sheet over entry with one page of type Page, shown with the page active.
    template <typename Page>
    Page* ShowPage(CDataDef* entry) {
        auto* sheet = new CDataProps(entry, nullptr);  // the application's sheet list owns it
        auto* page = new Page;
        sheet->AddPage(page);
        EXPECT_TRUE(sheet->Create());
        return page;
    }
    static QString Text(CDataPage* page, int id) {
        if (auto* label = ids::FindControl<QLabel>(page, id)) {
            return label->text();
        }
        auto* edit = ids::FindControl<QLineEdit>(page, id);
        return edit != nullptr ? edit->text() : QStringLiteral("<none>");
    }
    // A tile data page on one line: title|name|article|flag bits checked|fields shown.
    static std::string Shown(CDataPage* page) {
        QStringList flags, fields;
        for (int bit = 0; bit < 64; ++bit) {
            auto* box = ids::FindControl<QCheckBox>(
                page, (bit < 32 ? ids::IDC_TILE_FLAG_FIRST : ids::IDC_TILE_FLAG_UPPER) + bit);
            if (box != nullptr && !box->isHidden() && box->isChecked()) {
                flags << QString::number(bit);
            }
        }
        for (int id = ids::IDC_TILE_FIELD_FIRST; id < ids::IDC_TILE_FIELD_FIRST + 9; ++id) {
            auto* edit = ids::FindControl<QLineEdit>(page, id);
            if (edit != nullptr && !edit->isHidden()) {
                fields << edit->text();
            }
        }
        return QStringList{Text(page, ids::IDC_TILE_TITLE), Text(page, ids::IDC_TILE_NAME),
                           Text(page, ids::IDC_TILE_ARTICLE), flags.join(','), fields.join(' ')}
            .join('|')
            .toStdString();
    }
    // A patch document holding the patch table's records, where the pages keep their edits.
    struct Document : CPatchDocument {
        Document() {
            m_Records.SetSize(TheVerDataTable().GetCount());
            for (std::int32_t i = 0; i < m_Records.GetCount(); ++i) {
                m_Records[i] = new CDataVerData(TheVerDataTable().ElementAt(i));
            }
            DataAppState().m_FindDocument = [this](const CDataDef*) { return this; };
        }
        const CQObArray<CDataVerData*>& GetRecords() const override { return m_Records; }
        bool HoldsEntry(const CDataDef* /*pEntry*/) const override { return true; }
        bool ApplyChange(std::unique_ptr<CDataVerData> pChange) override {
            m_Edits.Apply(std::move(pChange));
            return true;
        }
        CQObArray<CDataVerData*> m_Records;
        CVerDataEdits m_Edits{m_Records};
    };
    // Record p of tile data group b as the document shows it.
    static CTileItemInfo DocumentItem(const Document& doc, std::uint32_t b, std::uint32_t p) {
        CTileItemInfo info;
        const std::unique_ptr<CDataDefTileData> group = ReadTileGroup(b, &doc.m_Records);
        EXPECT_TRUE(group && group->GetItemRecord(p, info));
        return info;
    }
    static std::vector<std::uint8_t> Bytes(const CTileItemInfo& info, TileDataLayout layout) {
        ByteWriter out;
        info.Write(out, layout);
        return out.take();
    }
    // Types into a field of the page, as the user does.
    static void Type(CDataPage* page, int id, const QString& text) {
        ids::FindControl<QLineEdit>(page, id)->setText(text);
        page->OnChange();
    }

    static QStringList Lines(CDataPage* page, int id) {
        QStringList lines;
        auto* list = ids::FindControl<QListWidget>(page, id);
        for (int i = 0; list != nullptr && i < list->count(); ++i) {
            lines << list->item(i)->text();
        }
        return lines;
    }
};

TEST_F(TileDataMapTest, TilePagesShowTheirOwnTileAndTheArticleBitsExcludeEachOther) {
    CDataDefItem item(kCrate);
    auto* page = ShowPage<CDataPageTileData>(&item);
    // The patch group wins over the base file: its name and weight 9; height 10.
    EXPECT_EQ(Shown(page), "Item 0e3c|patched crate|a|6,9,14,21|9 0 10 0 0 0");
    EXPECT_TRUE(ids::FindControl<QScrollBar>(page, ids::IDC_TILE_SCROLL)->isHidden());
    EXPECT_EQ(page->m_pRadar->GetColor(), QColor(152, 112, 64));  // item n's colour is n + 16384

    // The article bits exclude each other: "an" takes "a" off, the other flags kept; "a", off.
    QCheckBox* a = ids::FindControl<QCheckBox>(page, ids::IDC_TILE_FLAG_FIRST + 14);
    QCheckBox* an = ids::FindControl<QCheckBox>(page, ids::IDC_TILE_FLAG_FIRST + 15);
    for (const auto& [box, shown] :
         {std::pair(an, "an|6,9,15,21"), std::pair(a, "a|6,9,14,21"), std::pair(a, "|6,9,21")}) {
        box->click();
        EXPECT_EQ(QString::fromStdString(Shown(page)).section('|', 2, 3).toStdString(), shown);
    }
    EXPECT_TRUE(page->IsModified());
    // With no patch document open, the edit has nowhere to go: refused, and said so.
    EXPECT_EQ(page->SaveData(), 1);
    EXPECT_EQ(m_Ui.m_Messages.back(), "No patch document is open to keep the edit.");

    // Terrain shows no item fields.
    for (CDataDef* terrainLike :
         std::initializer_list<CDataDef*>{new CDataDefTerrain(0xA8), new CDataDefTexture(0xA8)}) {
        std::unique_ptr<CDataDef> owner(terrainLike);
        auto* terrain = ShowPage<CDataPageTileData>(terrainLike);
        EXPECT_EQ(Shown(terrain), "Terrain 0a8|water||3,6,7|");
        EXPECT_EQ(terrain->m_pRadar->GetColor(), QColor(40, 72, 168));
    }

    // Any other kind of entry: no entry, and the page says so instead of showing empty fields.
    CDataDefStatics statics(0);
    auto* none = ShowPage<CDataPageTileData>(&statics);
    EXPECT_EQ(none->GetEntry(), nullptr);
    EXPECT_EQ(Text(none, ids::IDC_TILE_TITLE), "No record");
    EXPECT_TRUE(ids::FindControl<QWidget>(none, ids::IDC_TILE_NAME)->isHidden());
}

TEST_F(TileDataMapTest, GroupsScrollThroughTheirRecordsUpToTheirEnds) {
    CDataVerData record(SampleRecord(kSlotTileData, kCrateGroup));
    auto* page = test::ShowSheetPage<CDataPageTileData>(record);  // after the record's own page
    ASSERT_TRUE(page != nullptr && page->GetEntry() != nullptr);
    QScrollBar* scroll = ids::FindControl<QScrollBar>(page, ids::IDC_TILE_SCROLL);
    EXPECT_EQ(std::pair(scroll->minimum(), scroll->maximum()), std::pair(0, 31));
    // Group 625 starts at item 625 * 32 - 16384.
    EXPECT_EQ(Text(page, ids::IDC_TILE_TITLE), "Item 0e20");

    page->OnScroll(CDataPageTileData::ThumbPosition, static_cast<int>(kCrate % 32));
    EXPECT_EQ(Shown(page).substr(0, 24), "Item 0e3c|patched crate|");
    using Page = CDataPageTileData;
    const std::tuple<Page::ScrollCode, int, int> steps[] = {
        {Page::PageDown, 0, 31},  // 32 clamps to 31
        {Page::LineDown, 0, 31}, {Page::Bottom, 0, 31}, {Page::LineUp, 0, 30},
        {Page::Top, 0, 0},       {Page::PageUp, 0, 0},  {Page::ThumbTrack, 99, 31}};
    for (const auto& [code, thumb, position] : steps) {
        page->OnScroll(code, thumb);
        EXPECT_EQ(std::pair(page->m_nPos, scroll->value()), std::pair(position, position)) << code;
    }

    // The scroll bar's own steps land in the same rule; "bottom" changes nothing.
    for (const auto& [action, position] : {std::pair(QAbstractSlider::SliderPageStepSub, 27),
                                           std::pair(QAbstractSlider::SliderSingleStepAdd, 28),
                                           std::pair(QAbstractSlider::SliderToMaximum, 28)}) {
        scroll->triggerAction(action);
        EXPECT_EQ(std::pair(page->m_nPos, scroll->value()), std::pair(position, position))
            << action;
    }
    EXPECT_EQ(Text(page, ids::IDC_TILE_NAME), "patched crate");

    // Unpatched groups read "tiledata.mul" (the list links no record here); past the item
    // section there is no room in the file: unused unless patched.
    const struct {
        std::uint32_t group;
        int position;
        const char* column;
        const char* shown;  // null: no page entry
    } groups[] = {
        {511, 31, "t16352-16383", "Terrain 03fff||||"},
        {512, 0, "i0-31", "Item 00||||0 0 0 0 0 0"},
        {1024, 0, "unused", nullptr},
    };
    for (const auto& g : groups) {
        SCOPED_TRACE(g.group);
        CDataDefTileData entry(g.group);
        EXPECT_EQ(entry.IsValid(), g.shown != nullptr);
        EXPECT_STREQ(entry.GetColumnText(0), g.column);
        auto* page = test::ShowSheetPage<CDataPageTileData>(entry);
        ASSERT_NE(page, nullptr);
        if (g.shown == nullptr) {
            EXPECT_EQ(page->GetEntry(), nullptr);
            continue;
        }
        page->OnScroll(CDataPageTileData::ThumbPosition, g.position);
        EXPECT_EQ(Shown(page), g.shown);
        DataAppState().DestroyAllSheets();
    }

    // A patch group of the other layout's size is not read with the wrong stride: the page shows
    // the base group and says why.
    CUOVersionBlock wrong = SampleRecord(kSlotTileData, kCrateGroup);
    wrong.m_dwLength = 1316;
    CDataVerData wrongRecord(wrong);
    CDataDefTileData linked(kCrateGroup);
    linked.LinkVerData(&wrongRecord);
    // The note's text is the tile data reader's (TileDataTest.PatchGroupOfTheOtherLayoutIsNotRead).
    auto* noted = test::ShowSheetPage<CDataPageTileData>(linked);
    ASSERT_NE(noted, nullptr);
    noted->OnScroll(CDataPageTileData::ThumbPosition, kCrate % 32);
    EXPECT_NE(Text(noted, ids::IDC_TILE_NAME), "patched crate");
    EXPECT_FALSE(noted->m_pNote->isHidden());
    EXPECT_NE(noted->m_pNote->text().toStdString().find("tile data group 625"), std::string::npos);
}

// The newer sample: 1,024 item groups with items past 0x4000, 64-bit flags, the newer fields.
TEST_F(TileDataMapTest, NewerClientShowsEveryGroupTheUpperFlagsAndItsOwnFields) {
    test::TempDir modern;
    mk::WriteModernClient(modern.Path());
    test::UseClient(modern.Path());
    CDataDefTileData last(512 + 1023);
    EXPECT_TRUE(last.IsValid());
    EXPECT_STREQ(last.GetColumnText(0), "i32736-32767");
    EXPECT_FALSE(CDataDefTileData(512 + 1024).IsValid());

    constexpr std::uint32_t kTall = 0x4321;
    CDataDefItem item(kTall);
    CDataDefTileData group((kTall + kArtItemBase) / 32);
    auto* fromItem = ShowPage<CDataPageTileData>(&item);
    auto* fromGroup = test::ShowSheetPage<CDataPageTileData>(group);
    ASSERT_NE(fromGroup, nullptr);
    fromGroup->OnScroll(CDataPageTileData::ThumbPosition, kTall % 32);
    for (CDataPageTileData* page : {fromItem, fromGroup}) {
        // Weight, quality, height, misc, anim (0, not 131072), quantity, hue, stacking, value.
        EXPECT_EQ(Shown(page), "Item 04321|tall crate||32|10 0 8 0 0 3 0 0 0");
        EXPECT_EQ(ids::FindControl<QCheckBox>(page, ids::IDC_TILE_FLAG_UPPER + 32)->text(), "20");
        EXPECT_EQ(page->m_FieldLabels[3]->text(), "Misc");
        EXPECT_EQ(page->m_pRadar->GetColor(), QColor(128, 128, 136));  // colour 0x4211
    }

    // An edit sets an upper flag bit and the hue; the animation's unknown byte is kept.
    Document doc;
    ids::FindControl<QCheckBox>(fromItem, ids::IDC_TILE_FLAG_UPPER + 63)->click();
    Type(fromItem, ids::IDC_TILE_FIELD_FIRST + 6, QStringLiteral("7"));
    ASSERT_TRUE(fromItem->GetSheet()->ApplyPages());
    const CTileItemInfo tall = DocumentItem(doc, (kTall + kArtItemBase) / 32, kTall % 32);
    EXPECT_EQ(tall.m_dwFlagsHigh, 0x80000001u);
    EXPECT_EQ(tall.m_dwAnim, 0x07020000u);
    EXPECT_EQ(tall.GetName(), "tall crate");

    // The old sample shows none of it.
    test::UsePatchTable();
    CDataDefItem crate(kCrate);
    auto* old = ShowPage<CDataPageTileData>(&crate);
    EXPECT_TRUE(ids::FindControl<QCheckBox>(old, ids::IDC_TILE_FLAG_UPPER + 32)->isHidden());
    EXPECT_EQ(old->m_FieldLabels[3]->text(), "Val6");
}

// Applying the page stores the record's whole group in the document as a change; values that
// do not fit are refused with a message and change nothing; other records stay as they were.
TEST_F(TileDataMapTest, AppliedPageStoresTheGroupInTheDocument) {
    Document doc;
    const CTileItemInfo was = DocumentItem(doc, kCrateGroup, kCrate % 32);
    CDataDefItem item(kCrate);
    auto* page = ShowPage<CDataPageTileData>(&item);
    ASSERT_NE(page->GetEntry(), nullptr);
    CDataProps* sheet = page->GetSheet();

    const struct {
        const char* name;
        const char* weight;
        const char* message;
    } refused[] = {{"twenty-one bytes long", "1", kTileNameTooLongMessage},
                   {"crate", "256", "Weight holds 0 to 255."},
                   {"crate", "heavy", "Weight: 'heavy' is not a number."}};
    for (const auto& r : refused) {
        Type(page, ids::IDC_TILE_NAME, QString::fromLatin1(r.name));
        Type(page, ids::IDC_TILE_FIELD_FIRST, QString::fromLatin1(r.weight));
        EXPECT_FALSE(sheet->ApplyPages());
        EXPECT_EQ(m_Ui.m_Messages.back(), r.message);
        EXPECT_FALSE(doc.m_Edits.CanUndo());
    }

    Type(page, ids::IDC_TILE_NAME, QStringLiteral("twenty bytes exactly"));
    Type(page, ids::IDC_TILE_FIELD_FIRST, QStringLiteral("0xC8"));
    ids::FindControl<QCheckBox>(page, ids::IDC_TILE_FLAG_FIRST + 5)->click();
    ASSERT_TRUE(sheet->ApplyPages());
    const CTileItemInfo now = DocumentItem(doc, kCrateGroup, kCrate % 32);
    CTileItemInfo edited = was;
    edited.SetName("twenty bytes exactly");
    edited.m_bWeight = 200;
    edited.m_dwFlags |= kTileDamage;
    EXPECT_EQ(Bytes(now, TileDataLayout::Old), Bytes(edited, TileDataLayout::Old));
    // The change holds the group: 1,188 bytes, the other 31 records as they were.
    const auto change =
        std::find_if(doc.m_Records.begin(), doc.m_Records.end(),
                     [](const CDataVerData* record) { return record->GetChange() != nullptr; });
    ASSERT_NE(change, doc.m_Records.end());
    EXPECT_EQ(std::tuple((*change)->GetChange()->m_dwFileId, (*change)->GetChange()->m_dwBlock,
                         (*change)->GetChangeBytes().size()),
              std::tuple(static_cast<std::uint32_t>(kSlotTileData), kCrateGroup, 1188u));
    for (std::uint32_t p = 0; p < 32; ++p) {
        CTileItemInfo before;
        before.ReadInfo(static_cast<std::int32_t>(kCrateGroup * 32 - kArtItemBase + p));
        if (p != kCrate % 32) {
            EXPECT_EQ(Bytes(DocumentItem(doc, kCrateGroup, p), TileDataLayout::Old),
                      Bytes(before, TileDataLayout::Old))
                << p;
        }
    }
    // The page shows the document's group again; Undo takes the change back.
    sheet->RefreshPages();
    EXPECT_EQ(Text(page, ids::IDC_TILE_NAME), "twenty bytes exactly");
    ASSERT_TRUE(doc.m_Edits.Undo());
    EXPECT_EQ(DocumentItem(doc, kCrateGroup, kCrate % 32).GetName(), "patched crate");
}

TEST_F(TileDataMapTest, StaticsBlocksListTheirItemsAndUnreadableOnesSaySo) {
    // As a list makes them: the base index record alone (the deleted block is unused; 23 bytes
    // are 3 items), then with the patch record linked.
    for (const auto& [block, column] : {std::pair(kDeletedBlock, "unused"), std::pair(3u, "3")}) {
        EXPECT_STREQ(Entry(kCategoryStatics, block)->GetColumnText(0), column) << block;
    }
    CDataVerData deleted(SampleRecord(kSlotStatics0, kDeletedBlock));
    CDataDef* linked = Entry(kCategoryStatics, kDeletedBlock);
    linked->LinkVerData(&deleted);
    EXPECT_STREQ(linked->GetColumnText(0), "0");
    auto* empty = test::ShowSheetPage<CDataPageStatics>(*linked);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(Text(empty, ids::IDC_STATICS_COUNT), "0 items");

    // A block the difference files give statics: listed with their count, read as they hold it.
    CDataDef* replaced = Entry(kCategoryStatics, 8);
    EXPECT_STREQ(replaced->GetColumnText(0), "33");
    EXPECT_EQ(replaced->GetReadStatus(), ReadStatus::Ok);
    // A patch record of Felucca's wins over them, and is what the status reads.
    CDataVerData past(CUOVersionBlock{kSlotStatics0, 8, 0x7FFFFF00u, 70, 0, 0});
    CDataDef* patchedOver = Entry(kCategoryStatics, 8);
    patchedOver->LinkVerData(&past);
    EXPECT_STREQ(patchedOver->GetColumnText(0), "10");
    EXPECT_EQ(patchedOver->GetReadStatus(), ReadStatus::Damaged);

    // A record past the end of the patch file: the page shows empty, its count says damaged.
    CDataVerData broken(CUOVersionBlock{kSlotStatics0, 600, 0x7FFFFF00u, 70, 0, 0});
    CDataDef* unreadable = Entry(kCategoryStatics, 600);
    unreadable->LinkVerData(&broken);
    EXPECT_STREQ(unreadable->GetColumnText(0), "10");
    auto* page = test::ShowSheetPage<CDataPageStatics>(*unreadable);
    ASSERT_TRUE(page != nullptr && page->GetEntry() == unreadable);
    EXPECT_EQ(Text(page, ids::IDC_STATICS_COORDS), "x=8, y=704");
    EXPECT_EQ(Text(page, ids::IDC_STATICS_COUNT), "0 items (the block's record is damaged)");

    // The patched house block, whose barrel's tile data group points past the end of the patch
    // file: its lookup fails.
    TheVerDataTable().Add(
        CUOVersionBlock{kSlotTileData, (0x0E77 + kArtItemBase) / 32, 0x7FFFFF00u, 1188, 0, 0});
    TheVerDataTable().QuickSort(0, TheVerDataTable().GetCount() - 1);
    CDataVerData record(SampleRecord(kSlotStatics0, kHouseBlock));
    auto* house = test::ShowSheetPage<CDataPageStatics>(record);
    ASSERT_TRUE(house != nullptr && house->GetEntry() != nullptr);
    EXPECT_EQ(Text(house, ids::IDC_STATICS_COUNT), "35 items");
    QStringList lines = Lines(house, ids::IDC_STATICS_LIST);
    ASSERT_EQ(lines.size(), 35);
    EXPECT_EQ(lines[0], "(1,1,0)\t0008h\t(wooden wall)");
    EXPECT_EQ(lines[34], "(6,6,0)\t0e77h");  // the patched-in barrel, without its name
    EXPECT_TRUE(m_Ui.m_Warnings.empty());
}

TEST_F(TileDataMapTest, MapPageListsTheBlocksCellsAndShortOrMissingBlocksAreRefused) {
    CDataDefMap entry(513);
    EXPECT_STREQ(entry.GetColumnText(0), "Map");
    auto* page = test::ShowSheetPage<CDataPageMap>(entry);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Text(page, ids::IDC_MAP_COORDS), "x=8, y=8");
    QStringList lines = Lines(page, ids::IDC_MAP_CELLS);
    ASSERT_EQ(lines.size(), 64);
    // The cells straight from "map0.mul": block 513 at 513 * 196, 4-byte header, row by row.
    std::vector<std::uint8_t> map = test::SampleClientDir().Read("map0.mul");
    ASSERT_GE(map.size(), 514u * 196);
    for (int i : {0, 1, 9, 63}) {
        const std::uint8_t* cell = &map[513 * 196 + 4 + static_cast<std::size_t>(i) * 3];
        QString expected =
            QString::asprintf("(%d,%d)\t%d\t%04xh", i % 8, i / 8, static_cast<std::int8_t>(cell[2]),
                              static_cast<unsigned>(cell[0] | cell[1] << 8));
        EXPECT_EQ(lines[i], expected) << i;
    }
    EXPECT_TRUE(m_Ui.m_Warnings.empty());

    // The last block lies beyond the sample's small map: coordinates, no cells, one message.
    auto* far = test::ShowSheetPage<CDataPageMap>(*Entry(kCategoryMap, kMapBlockCount - 1));
    ASSERT_NE(far, nullptr);
    EXPECT_EQ(Text(far, ids::IDC_MAP_COORDS), "x=6136, y=4088");
    EXPECT_TRUE(Lines(far, ids::IDC_MAP_CELLS).isEmpty());
    EXPECT_EQ(m_Ui.m_Warnings.size(), 1u);

    EXPECT_EQ(test::ShowSheetPage<CDataPageStatics>(*Entry(kCategoryStatics, kMapBlockCount - 1))
                  ->m_sCoords,
              "x=6136, y=4088");

    // A map block of short or missing data is refused.
    CMapBlock block;
    std::vector<std::uint8_t> bytes(CMapBlock::kSize - 1, 0x11);
    EXPECT_FALSE(block.Parse(bytes));
    EXPECT_FALSE(block.IsLoaded());
    bytes.push_back(0x22);
    ASSERT_TRUE(block.Parse(bytes));
    EXPECT_EQ(block.GetCell(7, 7).m_wTile, 0x1111);
    EXPECT_EQ(block.GetCell(7, 7).m_cZ, 0x22);

    test::UseSampleClient();
    EXPECT_THROW(block.LoadRecord({0, 100 | IndexRecord::kPatchBit, 0, 0}, TheClientFiles()),
                 CTarnError);
    block.LoadRecord({0, IndexRecord::kPatchBit, 0, 0}, TheClientFiles());
    EXPECT_FALSE(block.IsLoaded());
    EXPECT_THROW(block.LoadMapBlock(0xFFFFFFFFu, TheClientFiles()), CTarnError);
}

}  // namespace
}  // namespace tessaly
