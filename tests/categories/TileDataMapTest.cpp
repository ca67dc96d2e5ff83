// The tile data, statics and map pages over the sample client: finding a tile's record from
// each kind of entry, flags and article, scrolling through a group, radar colours, a block's
// statics with and without names, read failures, and a map block's cells.

#include "CDataAppState.h"
#include "CDataDefItem.h"
#include "CDataDefMap.h"
#include "CDataDefStatics.h"
#include "CDataDefTerrain.h"
#include "CDataDefTexture.h"
#include "CDataDefTileData.h"
#include "CDataVerData.h"
#include "CVerDataEdits.h"
#include "ControlIds.h"
#include "EntryCommands.h"
#include "MapBlock.h"
#include "MapPages.h"
#include "QtTestSupport.h"
#include "SampleClient.h"
#include "ScriptedUi.h"
#include "StaticsPages.h"
#include "TarnError.h"
#include "TileDataPages.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <memory>

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
    template <typename Page>
    static Page* Opened(CDataDef& entry, int index = 0) {
        CDataProps* sheet = OpenProperties(entry);
        if (sheet == nullptr) {
            return nullptr;
        }
        sheet->SetActivePage(index);
        return dynamic_cast<Page*>(sheet->GetPage(index));
    }

    static QString Text(CDataPage* page, int id) {
        if (auto* label = ids::FindControl<QLabel>(page, id)) {
            return label->text();
        }
        auto* edit = ids::FindControl<QLineEdit>(page, id);
        return edit != nullptr ? edit->text() : QStringLiteral("<none>");
    }
    static bool Checked(CDataPage* page, int bit) {
        return ids::FindControl<QCheckBox>(page, ids::IDC_TILE_FLAG_FIRST + bit)->isChecked();
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

TEST_F(TileDataMapTest, ItemTerrainAndTexturePagesShowTheirOwnTile) {
    CDataDefItem item(kCrate);
    auto* page = ShowPage<CDataPageTileData>(&item);
    ASSERT_EQ(page->GetEntry(), &item);
    EXPECT_EQ(Text(page, ids::IDC_TILE_TITLE), "Item 0e3c");
    EXPECT_EQ(Text(page, ids::IDC_TILE_NAME),
              "patched crate");  // the patch group wins over the base file
    EXPECT_EQ(Text(page, ids::IDC_TILE_ARTICLE), "a");
    EXPECT_TRUE(Checked(page, 14));
    EXPECT_FALSE(Checked(page, 15));
    EXPECT_TRUE(Checked(page, 21));  // container
    EXPECT_TRUE(Checked(page, 6));   // block
    EXPECT_FALSE(Checked(page, 0));
    EXPECT_EQ(ids::FindControl<QCheckBox>(page, ids::IDC_TILE_FLAG_FIRST + 21)->text(),
              "15=CONTAINER");
    EXPECT_EQ(ids::FindControl<QCheckBox>(page, ids::IDC_TILE_FLAG_FIRST + 31)->text(),
              "1F=WALKABLE");
    EXPECT_EQ(Text(page, ids::IDC_TILE_FIELD_FIRST), "9");       // weight (patched)
    EXPECT_EQ(Text(page, ids::IDC_TILE_FIELD_FIRST + 2), "10");  // height
    for (int field = 0; field < 6; ++field) {
        EXPECT_FALSE(
            ids::FindControl<QLineEdit>(page, ids::IDC_TILE_FIELD_FIRST + field)->isHidden())
            << field;
    }
    EXPECT_TRUE(ids::FindControl<QScrollBar>(page, ids::IDC_TILE_SCROLL)->isHidden());
    EXPECT_EQ(Text(page, ids::IDC_TILE_RADAR), "Radar");
    EXPECT_EQ(page->m_pRadar->GetColor(), QColor(152, 112, 64));  // item n's colour is n + 16384

    for (CDataDef* terrainLike :
         std::initializer_list<CDataDef*>{new CDataDefTerrain(0xA8), new CDataDefTexture(0xA8)}) {
        std::unique_ptr<CDataDef> owner(terrainLike);
        auto* terrain = ShowPage<CDataPageTileData>(terrainLike);
        ASSERT_EQ(terrain->GetEntry(), terrainLike);
        EXPECT_EQ(Text(terrain, ids::IDC_TILE_TITLE), "Terrain 0a8");
        EXPECT_EQ(Text(terrain, ids::IDC_TILE_NAME), "water");
        EXPECT_EQ(Text(terrain, ids::IDC_TILE_ARTICLE), "");
        EXPECT_TRUE(Checked(terrain, 3) && Checked(terrain, 6) && Checked(terrain, 7));
        EXPECT_FALSE(Checked(terrain, 14) || Checked(terrain, 21));
        EXPECT_TRUE(ids::FindControl<QLineEdit>(terrain, ids::IDC_TILE_FIELD_FIRST)->isHidden());
        EXPECT_TRUE(
            ids::FindControl<QLineEdit>(terrain, ids::IDC_TILE_FIELD_FIRST + 5)->isHidden());
        EXPECT_TRUE(terrain->m_FieldLabels[0]->isHidden());
        EXPECT_TRUE(ids::FindControl<QScrollBar>(terrain, ids::IDC_TILE_SCROLL)->isHidden());
        EXPECT_EQ(terrain->m_pRadar->GetColor(), QColor(40, 72, 168));
    }

    // Any other kind of entry leaves the page without an entry.
    CDataDefStatics statics(0);
    auto* refused = ShowPage<CDataPageTileData>(&statics);
    EXPECT_EQ(refused->GetEntry(), nullptr);
}

TEST_F(TileDataMapTest, PatchedGroupScrollsThroughItsRecords) {
    CDataVerData record(SampleRecord(kSlotTileData, kCrateGroup));
    auto* page = Opened<CDataPageTileData>(record, 1);  // after the record's own page
    ASSERT_NE(page, nullptr);
    ASSERT_NE(page->GetEntry(), nullptr);
    QScrollBar* scroll = ids::FindControl<QScrollBar>(page, ids::IDC_TILE_SCROLL);
    EXPECT_FALSE(scroll->isHidden());
    EXPECT_EQ(scroll->minimum(), 0);
    EXPECT_EQ(scroll->maximum(), 31);
    EXPECT_EQ(Text(page, ids::IDC_TILE_TITLE),
              "Item 0e20");  // group 625 starts at item 625 * 32 - 16384

    page->OnScroll(CDataPageTileData::ThumbPosition, static_cast<int>(kCrate % 32));
    EXPECT_EQ(Text(page, ids::IDC_TILE_TITLE), "Item 0e3c");
    EXPECT_EQ(Text(page, ids::IDC_TILE_NAME), "patched crate");
    EXPECT_EQ(scroll->value(), 28);
    page->OnScroll(CDataPageTileData::PageDown);  // 32 clamps to 31
    EXPECT_EQ(page->m_nPos, 31);
    page->OnScroll(CDataPageTileData::LineDown);
    EXPECT_EQ(page->m_nPos, 31);
    EXPECT_EQ(Text(page, ids::IDC_TILE_TITLE), "Item 0e3f");
    page->OnScroll(CDataPageTileData::Bottom);
    EXPECT_EQ(page->m_nPos, 31);
    page->OnScroll(CDataPageTileData::LineUp);
    EXPECT_EQ(page->m_nPos, 30);
    page->OnScroll(CDataPageTileData::Top);
    page->OnScroll(CDataPageTileData::PageUp);
    EXPECT_EQ(page->m_nPos, 0);
    page->OnScroll(CDataPageTileData::ThumbTrack, 99);
    EXPECT_EQ(page->m_nPos, 31);

    // The scroll bar's own steps land in the same rule.
    scroll->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(page->m_nPos, 27);
    EXPECT_EQ(scroll->value(), 27);
    scroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(page->m_nPos, 28);
    EXPECT_EQ(Text(page, ids::IDC_TILE_NAME), "patched crate");
    scroll->triggerAction(QAbstractSlider::SliderToMaximum);  // "bottom": no change
    EXPECT_EQ(page->m_nPos, 28);
    EXPECT_EQ(scroll->value(), 28);
}

TEST_F(TileDataMapTest, GroupsOfTheBaseFileAndTheirEnds) {
    // An unpatched group reads "tiledata.mul"; the list links no record here.
    CDataDefTileData terrainGroup(0xA8 / 32);
    EXPECT_TRUE(terrainGroup.IsValid());
    EXPECT_STREQ(terrainGroup.GetColumnText(0), "t160-191");
    auto* page = Opened<CDataPageTileData>(terrainGroup);
    ASSERT_NE(page, nullptr);
    page->OnScroll(CDataPageTileData::ThumbPosition, 0xA8 % 32);
    EXPECT_EQ(Text(page, ids::IDC_TILE_TITLE), "Terrain 0a8");
    EXPECT_EQ(Text(page, ids::IDC_TILE_NAME), "water");
    EXPECT_TRUE(ids::FindControl<QLineEdit>(page, ids::IDC_TILE_FIELD_FIRST)->isHidden());

    CDataDefTileData lastTerrain(511), firstItems(512);
    auto* last = Opened<CDataPageTileData>(lastTerrain);
    ASSERT_NE(last, nullptr);
    last->OnScroll(CDataPageTileData::ThumbPosition, 31);
    EXPECT_EQ(Text(last, ids::IDC_TILE_TITLE), "Terrain 03fff");
    auto* first = Opened<CDataPageTileData>(firstItems);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Text(first, ids::IDC_TILE_TITLE), "Item 00");
    EXPECT_FALSE(ids::FindControl<QLineEdit>(first, ids::IDC_TILE_FIELD_FIRST)->isHidden());

    // A group linked to a patch record in a list reads the patch, not the base file.
    CDataVerData record(SampleRecord(kSlotTileData, kCrateGroup));
    CDataDefTileData linked(kCrateGroup);
    linked.LinkVerData(&record);
    CTileItemInfo info;
    ASSERT_TRUE(linked.ReadBlock());
    ASSERT_TRUE(linked.GetItemRecord(kCrate % 32, info));
    EXPECT_EQ(info.GetName(), "patched crate");

    // Past the item section there is no room in the file: unused unless patched.
    CDataDefTileData beyond(1024), lastItems(1023);
    EXPECT_TRUE(lastItems.IsValid());
    EXPECT_STREQ(lastItems.GetColumnText(0), "i16352-16383");
    EXPECT_FALSE(beyond.IsValid());
    EXPECT_STREQ(beyond.GetColumnText(0), "unused");
    EXPECT_EQ(Opened<CDataPageTileData>(beyond)->GetEntry(), nullptr);
}

// The newer sample: 1,024 item groups with items past 0x4000, 64-bit flags, the newer fields.
TEST_F(TileDataMapTest, NewerClientShowsEveryGroupTheUpperFlagsAndItsOwnFields) {
    test::TempDir modern;
    mk::WriteModernClient(modern.Path());
    test::UseClient(modern.Path());
    CDataDefTileData last(512 + 1023), beyond(512 + 1024);
    EXPECT_TRUE(last.IsValid());
    EXPECT_STREQ(last.GetColumnText(0), "i32736-32767");
    EXPECT_FALSE(beyond.IsValid());

    constexpr std::uint32_t kTall = 0x4321;
    CDataDefItem item(kTall);
    CDataDefTileData group((kTall + kArtItemBase) / 32);
    auto* fromItem = ShowPage<CDataPageTileData>(&item);
    auto* fromGroup = Opened<CDataPageTileData>(group);
    ASSERT_NE(fromGroup, nullptr);
    fromGroup->OnScroll(CDataPageTileData::ThumbPosition, kTall % 32);
    for (CDataPageTileData* page : {fromItem, fromGroup}) {
        ASSERT_NE(page->GetEntry(), nullptr);
        EXPECT_EQ(Text(page, ids::IDC_TILE_TITLE), "Item 04321");
        EXPECT_EQ(Text(page, ids::IDC_TILE_NAME), "tall crate");
        QCheckBox* bit32 = ids::FindControl<QCheckBox>(page, ids::IDC_TILE_FLAG_UPPER + 32);
        EXPECT_FALSE(bit32->isHidden());
        EXPECT_EQ(bit32->text(), "20");
        EXPECT_TRUE(bit32->isChecked());
        EXPECT_FALSE(ids::FindControl<QCheckBox>(page, ids::IDC_TILE_FLAG_UPPER + 63)->isChecked());
        // Weight, quality, height, misc, anim, quantity, hue, stacking offset, value.
        QStringList fields;
        for (int id = ids::IDC_TILE_FIELD_FIRST; id < ids::IDC_TILE_FIELD_FIRST + 9; ++id) {
            auto* edit = ids::FindControl<QLineEdit>(page, id);
            EXPECT_FALSE(edit->isHidden()) << id;
            fields << edit->text();
        }
        EXPECT_EQ(fields.join(' '), "10 0 8 0 0 3 0 0 0");  // animation 0, not 131072
        EXPECT_EQ(page->m_FieldLabels[3]->text(), "Misc");
        EXPECT_EQ(page->m_FieldLabels[7]->text(), "Stacking Offset");
        EXPECT_EQ(page->m_pRadar->GetColor(), QColor(128, 128, 136));  // colour 0x4211
    }
    EXPECT_FALSE(ids::FindControl<QScrollBar>(fromGroup, ids::IDC_TILE_SCROLL)->isHidden());

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
    EXPECT_TRUE(ids::FindControl<QLineEdit>(old, ids::IDC_TILE_FIELD_FIRST + 6)->isHidden());
    EXPECT_EQ(old->m_FieldLabels[3]->text(), "Val6");
}

// Applying the page stores the record's whole group in the document as a change; values that
// do not fit are refused with a message and change nothing; other records stay as they were.
TEST_F(TileDataMapTest, AppliedPageStoresTheGroupInTheDocument) {
    Document doc;
    const CTileItemInfo was = DocumentItem(doc, kCrateGroup, kCrate % 32);
    ASSERT_EQ(was.GetName(), "patched crate");
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
    EXPECT_EQ(now.GetName(), "twenty bytes exactly");
    EXPECT_EQ(now.m_bWeight, 200);
    EXPECT_EQ(now.m_dwFlags, was.m_dwFlags | kTileDamage);
    CTileItemInfo edited = was;
    edited.SetName("twenty bytes exactly");
    edited.m_bWeight = 200;
    edited.m_dwFlags |= kTileDamage;
    EXPECT_EQ(Bytes(now, TileDataLayout::Old), Bytes(edited, TileDataLayout::Old));
    // The change holds the group: 1,188 bytes, the other 31 records as they were.
    const CDataVerData* change = nullptr;
    for (const CDataVerData* record : doc.m_Records) {
        if (record->GetChange() != nullptr) {
            change = record;
        }
    }
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(change->GetChange()->m_dwFileId, static_cast<std::uint32_t>(kSlotTileData));
    EXPECT_EQ(change->GetChange()->m_dwBlock, kCrateGroup);
    EXPECT_EQ(change->GetChangeBytes().size(), 1188u);
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

// A patch group of the other layout's size is not read with the wrong stride: the page shows
// the base group and says why.
TEST_F(TileDataMapTest, PatchGroupOfTheWrongLayoutIsNotRead) {
    CUOVersionBlock wrong = SampleRecord(kSlotTileData, kCrateGroup);
    wrong.m_dwLength = 1316;
    CDataVerData record(wrong);
    CDataDefTileData linked(kCrateGroup);
    linked.LinkVerData(&record);
    ASSERT_TRUE(linked.ReadBlock());
    CTileItemInfo info;
    ASSERT_TRUE(linked.GetItemRecord(kCrate % 32, info));
    EXPECT_NE(info.GetName(), "patched crate");
    EXPECT_EQ(linked.GetPatchNote(),
              "the patch record of tile data group 625 holds 1316 bytes, not the 1188 of a group "
              "of this client's layout: not read");
    auto* page = Opened<CDataPageTileData>(linked);
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(page->m_pNote->isHidden());
    EXPECT_EQ(page->m_pNote->text().toStdString(), linked.GetPatchNote());
}

TEST_F(TileDataMapTest, ArticleBitsExcludeEachOther) {
    CDataDefItem item(kCrate);
    auto* page = ShowPage<CDataPageTileData>(&item);
    ASSERT_NE(page->GetEntry(), nullptr);
    QCheckBox* a = ids::FindControl<QCheckBox>(page, ids::IDC_TILE_FLAG_FIRST + 14);
    QCheckBox* an = ids::FindControl<QCheckBox>(page, ids::IDC_TILE_FLAG_FIRST + 15);
    EXPECT_EQ(a->text(), "E=A");
    EXPECT_EQ(an->text(), "F=AN");
    EXPECT_FALSE(page->IsModified());

    an->click();  // "a" goes off, "an" on
    EXPECT_FALSE(a->isChecked());
    EXPECT_TRUE(an->isChecked());
    EXPECT_EQ(Text(page, ids::IDC_TILE_ARTICLE), "an");
    EXPECT_TRUE(page->IsModified());
    EXPECT_TRUE(Checked(page, 21));  // other flags are kept

    a->click();
    EXPECT_TRUE(a->isChecked());
    EXPECT_FALSE(an->isChecked());
    EXPECT_EQ(Text(page, ids::IDC_TILE_ARTICLE), "a");
    a->click();  // toggles off: no article
    EXPECT_FALSE(a->isChecked() || an->isChecked());
    EXPECT_EQ(Text(page, ids::IDC_TILE_ARTICLE), "");
    // With no patch document open, the edit has nowhere to go: refused, and said so.
    EXPECT_EQ(page->SaveData(), 1);
    EXPECT_EQ(m_Ui.m_Messages.back(), "No patch document is open to keep the edit.");
}

TEST_F(TileDataMapTest, PatchedStaticsBlockListsItsItems) {
    // The barrel's tile data group points past the end of the patch file: its lookup fails.
    CUOVersionBlock broken{kSlotTileData, (0x0E77 + kArtItemBase) / 32, 0x7FFFFF00u, 1188, 0, 0};
    TheVerDataTable().Add(broken);
    TheVerDataTable().QuickSort(0, TheVerDataTable().GetCount() - 1);

    CDataVerData record(SampleRecord(kSlotStatics0, kHouseBlock));
    auto* page = Opened<CDataPageStatics>(record, 1);
    ASSERT_NE(page, nullptr);
    ASSERT_NE(page->GetEntry(), nullptr);
    EXPECT_EQ(Text(page, ids::IDC_STATICS_COORDS), "x=8, y=0");
    EXPECT_EQ(Text(page, ids::IDC_STATICS_COUNT), "35 items");
    QStringList lines = Lines(page, ids::IDC_STATICS_LIST);
    ASSERT_EQ(lines.size(), 35);
    EXPECT_EQ(lines[0], "(1,1,0)\t0008h\t(wooden wall)");
    EXPECT_EQ(lines[33], "(6,5,0)\t0e3dh\t(large crate)");
    EXPECT_EQ(lines[34], "(6,6,0)\t0e77h");  // the patched-in barrel, without its name
    EXPECT_TRUE(m_Ui.m_Warnings.empty());
    EXPECT_STREQ(record.GetTarget()->GetColumnText(0), "35");
}

TEST_F(TileDataMapTest, StaticsListTextsAndUnreadableBlocks) {
    // As a list makes them: base index record, patch record linked.
    CDataVerData deleted(SampleRecord(kSlotStatics0, kDeletedBlock));
    CDataDefStatics gone(kDeletedBlock);
    gone.ReadIndex();
    EXPECT_STREQ(gone.GetColumnText(0), "unused");
    CDataDefStatics linked(kDeletedBlock);
    linked.ReadIndex();
    linked.LinkVerData(&deleted);
    EXPECT_STREQ(linked.GetColumnText(0), "0");
    auto* empty = Opened<CDataPageStatics>(linked);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(Text(empty, ids::IDC_STATICS_COUNT), "0 items");
    EXPECT_TRUE(Lines(empty, ids::IDC_STATICS_LIST).isEmpty());
    EXPECT_TRUE(m_Ui.m_Warnings.empty());

    CDataDefStatics two(0), ragged(3), zeroLength(2);
    for (CDataDefStatics* e : {&two, &ragged, &zeroLength}) {
        e->ReadIndex();
    }
    EXPECT_STREQ(two.GetColumnText(0), "2");
    EXPECT_STREQ(ragged.GetColumnText(0), "3");  // 23 bytes
    EXPECT_STREQ(zeroLength.GetColumnText(0), "unused");

    // A record whose data lies past the end of the patch file: the page still shows, empty,
    // and says so once.
    CDataVerData broken(CUOVersionBlock{kSlotStatics0, 600, 0x7FFFFF00u, 70, 0, 0});
    CDataDefStatics unreadable(600);
    unreadable.LinkVerData(&broken);
    EXPECT_STREQ(unreadable.GetColumnText(0), "10");
    auto* page = Opened<CDataPageStatics>(unreadable);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->GetEntry(), &unreadable);
    EXPECT_EQ(Text(page, ids::IDC_STATICS_COORDS), "x=8, y=704");
    EXPECT_EQ(Text(page, ids::IDC_STATICS_COUNT), "0 items");
    EXPECT_TRUE(Lines(page, ids::IDC_STATICS_LIST).isEmpty());
    EXPECT_EQ(m_Ui.m_Warnings.size(), 1u);
}

TEST_F(TileDataMapTest, MapPageListsTheBlocksCells) {
    CDataDefMap entry(513);
    EXPECT_STREQ(entry.GetColumnText(0), "Map");
    auto* page = Opened<CDataPageMap>(entry);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Text(page, ids::IDC_MAP_COORDS), "x=8, y=8");
    QStringList lines = Lines(page, ids::IDC_MAP_CELLS);
    ASSERT_EQ(lines.size(), 64);
    // The cells straight from "map0.mul": block 513 at 513 * 196, 4-byte header, row by row.
    std::vector<std::uint8_t> map =
        test::TempDir::ReadFile(test::SampleClientDir().File("map0.mul"));
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
    CDataDefMap last(kMapBlockCount - 1);
    auto* far = Opened<CDataPageMap>(last);
    ASSERT_NE(far, nullptr);
    EXPECT_EQ(Text(far, ids::IDC_MAP_COORDS), "x=6136, y=4088");
    EXPECT_TRUE(Lines(far, ids::IDC_MAP_CELLS).isEmpty());
    EXPECT_EQ(m_Ui.m_Warnings.size(), 1u);

    CDataDefStatics statics(kMapBlockCount - 1);
    EXPECT_EQ(Opened<CDataPageStatics>(statics)->m_sCoords, "x=6136, y=4088");
}

TEST(MapBlock, ShortOrMissingDataIsRefused) {
    CMapBlock block;
    std::vector<std::uint8_t> bytes(CMapBlock::kSize - 1, 0x11);
    EXPECT_FALSE(block.Parse(bytes));
    EXPECT_FALSE(block.IsLoaded());
    bytes.push_back(0x22);
    ASSERT_TRUE(block.Parse(bytes));
    EXPECT_EQ(block.GetCell(7, 7).m_wTile, 0x1111);
    EXPECT_EQ(block.GetCell(7, 7).m_cZ, 0x22);

    test::UseSampleClient();
    IndexRecord shortPatch{0, 100 | IndexRecord::kPatchBit, 0, 0};
    EXPECT_THROW(block.LoadRecord(shortPatch, TheClientFiles()), CTarnError);
    IndexRecord deleted{0, IndexRecord::kPatchBit, 0, 0};
    block.LoadRecord(deleted, TheClientFiles());
    EXPECT_FALSE(block.IsLoaded());
    EXPECT_THROW(block.LoadMapBlock(0xFFFFFFFFu, TheClientFiles()), CTarnError);
}

}  // namespace
}  // namespace tessaly
