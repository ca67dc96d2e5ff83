// Tile data records, animated items' "animdata.mul" entries, statics blocks and radar colours.

#include "AnimData.h"
#include "Builders.h"
#include "RadarColors.h"
#include "Raised.h"
#include "Statics.h"
#include "TarnError.h"
#include "TileData.h"

#include <cstring>

namespace tessaly {
namespace {

using test::IndexFile;
using test::PatchFile;

struct TileDataTest : test::ClientDirTest {
    // A record's bytes in the layout.
    template <typename Info>
    static std::vector<std::uint8_t> Bytes(const Info& info,
                                           TileDataLayout layout = TileDataLayout::Old) {
        ByteWriter w;
        info.Write(w, layout);
        return w.take();
    }
    static std::vector<std::uint8_t> ItemBytes(const char* name, std::uint8_t weight) {
        CTileItemInfo info;
        info.m_dwFlags = kTileContainer;
        info.m_bWeight = weight;
        info.m_dwVal6 = 0x01020304;
        info.m_bHeight = 12;
        info.SetName(name);
        return Bytes(info);
    }
    static std::vector<std::uint8_t> TerrainBytes(const char* name) {
        CTileTerrainInfo info;
        info.m_dwFlags = kTileWater;
        info.m_wVal4 = 0xBEEF;
        std::strncpy(info.m_szName, name, sizeof info.m_szName);
        return Bytes(info);
    }
    static void Put(std::vector<std::uint8_t>& file, std::uint64_t pos,
                    const std::vector<std::uint8_t>& bytes) {
        if (file.size() < pos + bytes.size()) {
            file.resize(pos + bytes.size());
        }
        std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(pos));
    }
};

// Records at their positions, the last item name a full 20 characters; then patch groups read
// instead of the base file's. Flag labels stop at bit 31.
TEST_F(TileDataTest, RecordPositionsAndPatchGroupsTakePrecedence) {
    EXPECT_STREQ(GetTileFlagLabel(32), "");
    EXPECT_STREQ(GetTileFlagLabel(-1), "");
    EXPECT_EQ(ItemRecordPos(32), 428036u + 1188);
    EXPECT_EQ(TerrainRecordPos(32), 840u);
    EXPECT_EQ(TerrainRecordPos(0xFFFF), 0xFFFFu * 26 + 0x7FFu * 4 + 4);

    std::vector<std::uint8_t> file;
    Put(file, TerrainRecordPos(32), TerrainBytes("grass"));
    Put(file, ItemRecordPos(0), ItemBytes("crate", 5));
    Put(file, ItemRecordPos(32), ItemBytes("ornate oak bookshelf", 9));
    Put(file, ItemRecordPos(40), ItemBytes("base forty", 1));

    m_dir.Write("tiledata.mul", file);

    CTileTerrainInfo terrain;
    terrain.ReadInfo(32, m_files);
    EXPECT_EQ(std::tuple(terrain.GetName(), terrain.m_wVal4, terrain.m_dwFlags),
              std::tuple("grass", 0xBEEF, kTileWater));
    CTileItemInfo item;
    item.ReadInfo(0, m_files);
    EXPECT_EQ(std::tuple(item.GetName(), item.m_dwVal6, item.m_bHeight),
              std::tuple("crate", 0x01020304u, 12));
    item.ReadInfo(32, m_files);
    EXPECT_EQ(std::tuple(item.GetName(), item.m_bWeight), std::tuple("ornate oak bookshelf", 9));

    // Item group 0 and terrain group 0 patched.
    std::vector<std::uint8_t> patch =
        PatchFile({{30, 512, 1000, 1188, 0, 0}, {30, 0, 2000, 836, 0, 0}});
    Put(patch, 1000 + 5 * 37 + 4, ItemBytes("patched five", 2));
    Put(patch, 2000 + 31 * 26 + 4, TerrainBytes("patched lava"));
    UsePatch(patch);
    item.ReadInfo(5, m_files);
    EXPECT_EQ(item.GetName(), "patched five");
    item.ReadInfo(40, m_files);  // group 513 is not patched
    EXPECT_EQ(item.GetName(), "base forty");
    terrain.ReadInfo(31, m_files);
    EXPECT_EQ(terrain.GetName(), "patched lava");
}

// "animdata.mul" (found in any case): frames as offsets from the item, intervals in 50 ms
// units, entries cut by the file's end, frame counts past the 64 offsets, and a patch record
// that replaces a block.
TEST_F(TileDataTest, AnimDataGivesFramesTimingAndStaysInsideItsFile) {
    auto entry = [](std::vector<int> offsets, std::uint8_t count, std::uint8_t interval,
                    std::uint8_t start) {
        std::vector<std::uint8_t> e(kAnimDataEntrySize);
        for (std::size_t i = 0; i < offsets.size(); ++i) {
            e[i] = static_cast<std::uint8_t>(static_cast<std::int8_t>(offsets[i]));
        }
        e[65] = count;
        e[66] = interval;
        e[67] = start;
        return e;
    };
    std::vector<std::uint8_t> file;
    Put(file, AnimDataPosition(10), entry({0, 1, 2, 9}, 3, 4, 2));
    Put(file, AnimDataPosition(1), entry({0, -1, -2}, 3, 0, 0));
    std::vector<std::uint8_t> many(kAnimDataEntrySize, 1);
    many[65] = 200;
    Put(file, AnimDataPosition(17), many);
    file.resize(AnimDataPosition(40) + 30);  // item 40's entry is cut by the end
    m_dir.Write("AnimData.MUL", file);

    // Item, frames, frame and start delays. A frame below item 0 is left out; interval 0 plays
    // one unit.
    const std::tuple<std::uint32_t, std::vector<std::uint32_t>, std::uint32_t, std::uint32_t>
        reads[] = {{10, {10, 11, 12}, 200, 100},
                   {1, {1, 0}, 50, 0},
                   {17, std::vector<std::uint32_t>(kAnimDataMaxFrames, 18), 50, 50}};
    for (const auto& [id, frames, frameMs, startMs] : reads) {
        const std::optional<AnimDataEntry> read = ReadAnimData(m_files, id);
        ASSERT_TRUE(read) << id;
        EXPECT_EQ(read->frames, frames) << id;
        EXPECT_EQ(std::pair(read->FrameDelayMs(), read->StartDelayMs()),
                  std::pair(frameMs, startMs))
            << id;
    }
    for (std::uint32_t none : {2u, 40u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(ReadAnimData(m_files, none)) << none;
    }

    // Block 2 (items 16 to 23) replaced by a patch record; a record of half a block holds the
    // entries of its first half only.
    constexpr std::uint32_t kBlock = kAnimDataBlockSize;
    std::vector<std::uint8_t> patch = PatchFile(
        {{kSlotAnimData, 2, 1000, kBlock, 0, 0}, {kSlotAnimData, 1, 2000, kBlock / 2, 0, 0}},
        2000 + kBlock);
    Put(patch, 1000 + 4 + 7 * kAnimDataEntrySize, entry({0, 3}, 2, 2, 0));
    Put(patch, 2000 + 4 + 1 * kAnimDataEntrySize, entry({0}, 1, 1, 1));
    Put(patch, 2000 + 4 + 6 * kAnimDataEntrySize, entry({0}, 1, 1, 1));
    UsePatch(patch);
    EXPECT_EQ(ReadAnimData(m_files, 23).value_or(AnimDataEntry{}).frames,
              (std::vector<std::uint32_t>{23, 26}));
    EXPECT_FALSE(ReadAnimData(m_files, 17));
    EXPECT_TRUE(ReadAnimData(m_files, 9));
    EXPECT_FALSE(ReadAnimData(m_files, 14));
}

TEST_F(TileDataTest, NewerLayoutIsToldBySizeReadsWideFlagsAndRefusesOldGroups) {
    // Sizes: the old and newer layouts with k item groups, and damaged ones.
    const auto shape = [](std::uint64_t size) {
        const TileDataShape d = DetectTileData(size);
        return std::tuple(d.layout, d.itemGroups, d.damaged);
    };
    EXPECT_EQ(shape(1036288), std::tuple(TileDataLayout::Old, 512u, false));
    EXPECT_EQ(shape(3188736), std::tuple(TileDataLayout::Newer, 2048u, false));
    EXPECT_EQ(shape(1000), std::tuple(TileDataLayout::Old, 0u, true));
    EXPECT_EQ(DetectTileData(3188736 - 7).Describe(), "newer (64-bit flags), damaged");

    // A newer file of 2048 item groups: item 0x0E75 "backpack" (weight 3, height 1, animation
    // 422), flag bits above 31 set; items past 16384 are real items there.
    const TileDataShape newer = DetectTileData(3188736);
    std::vector<std::uint8_t> file(3188736);
    CTileItemInfo backpack;
    backpack.m_dwFlags = kTileContainer;
    backpack.m_dwFlagsHigh = 0x00000101;
    backpack.m_bWeight = 3;
    backpack.m_dwAnim = 422 | (2u << 16) | (0x21u << 24);  // an unknown byte and a hue beside it
    backpack.m_dwVal6 = 0x05000102;                        // misc 0x0102, quantity 5
    backpack.m_wVal14 = 0x0704;                            // stacking offset 4, value 7
    backpack.m_bHeight = 1;
    backpack.SetName("backpack");
    Put(file, ItemRecordPos(0x0E75, newer), Bytes(backpack, TileDataLayout::Newer));
    CTileItemInfo high = backpack;
    high.SetName("high item");
    Put(file, ItemRecordPos(0x9000, newer), Bytes(high, TileDataLayout::Newer));
    CTileTerrainInfo sand;
    sand.m_dwFlagsHigh = 7;
    std::strncpy(sand.m_szName, "sand", sizeof sand.m_szName);
    Put(file, TerrainRecordPos(0x16, newer), Bytes(sand, TileDataLayout::Newer));
    m_dir.Write("tiledata.mul", file);

    CTileItemInfo item;
    item.ReadInfo(0x0E75, m_files);
    EXPECT_EQ(item.GetName(), "backpack");
    EXPECT_EQ(std::tuple(item.m_dwFlags, item.m_dwFlagsHigh, item.m_bWeight, item.m_bHeight),
              std::tuple(kTileContainer, 0x101u, 3, 1));
    // The newer record's own fields, where the old record's lump reads 0x210201A6: animation,
    // hue, misc, quantity, stacking offset, value.
    EXPECT_EQ(std::tuple(item.GetAnimation(), item.GetHue(), item.GetMisc(), item.GetQuantity(),
                         item.GetStackingOffset(), item.GetValue()),
              std::tuple(422, 0x21, 0x0102, 5, 4, 7));
    item.ReadInfo(0x9000, m_files);
    EXPECT_EQ(item.GetName(), "high item");
    CTileTerrainInfo terrain;
    terrain.ReadInfo(0x16, m_files);
    EXPECT_EQ(std::tuple(terrain.GetName(), terrain.m_dwFlagsHigh), std::tuple("sand", 7u));

    // A patch group of a newer client holds records of the newer size.
    std::vector<std::uint8_t> patch = PatchFile({{30, 512 + 0x0E75 / 32, 1000, 1316, 0, 0}});
    backpack.SetName("patched pack");
    Put(patch, 1000 + (0x0E75 % 32) * 41 + 4, Bytes(backpack, TileDataLayout::Newer));
    patch.resize(1000 + 1316);
    UsePatch(patch);
    item.ReadInfo(0x0E75, m_files);
    EXPECT_EQ(item.GetName(), "patched pack");

    // A group of the other layout does not fit: it is not read with the wrong stride, the base
    // record stands, and the reason is at hand.
    std::vector<std::uint8_t> old = PatchFile({{30, 627, 1000, 1188, 0, 0}}, 1000);
    Put(old, 1000 + (0x0E75 % 32) * 37 + 4, ItemBytes("old pack", 2));
    m_table.RemoveAll();
    m_files.CloseAll();
    UsePatch(old);
    item.ReadInfo(0x0E75, m_files);
    EXPECT_EQ(item.GetName(), "backpack");
    EXPECT_EQ(TilePatchMismatch(1188, 627, newer),
              "the patch record of tile data group 627 holds 1188 bytes, not the 1316 of a group "
              "of this client's layout: not read");
    m_table.RemoveAll();
    // A group the patch file does not hold whole is damaged, its records before the cut too:
    // none reads as patched data with zeros where the file ends.
    patch.resize(1000 + (0x0E75 % 32 + 1) * 41 + 4);
    m_files.CloseAll();  // the file is measured once per opening
    UsePatch(patch);
    EXPECT_ANY_THROW(item.ReadInfo(0x0E75, m_files));
    EXPECT_ANY_THROW(item.ReadInfo(0x0E60, m_files));
}

// A cut file fits neither layout by its size: its layout is told by its first groups' names, so
// a cut old file long enough for the newer layout's terrain part is still read as old (it was
// taken for the newer layout, and its multis for 16-byte components). A whole file of a size
// both layouts fit (973 newer item groups, or 1,133 old ones) is read in the layout its records
// show, and is not damaged.
TEST(TileDataGuess, ACutFileKeepsTheLayoutItsRecordsShow) {
    constexpr std::uint64_t kBoth = 493568 + 973 * 1316;
    static_assert(kBoth == 428032 + 1133 * 1188);
    for (const bool modern : {false, true}) {
        test::TempDir dir;
        test::WriteSample(dir.Path(), modern);
        const std::filesystem::path tiledata = dir.Path() / "tiledata.mul";
        std::filesystem::resize_file(tiledata, std::filesystem::file_size(tiledata) - 1000);
        test::Client client(dir.Path());
        CClientFiles& files = client.files;
        const auto layout = modern ? TileDataLayout::Newer : TileDataLayout::Old;
        const TileDataShape shape = GetTileDataShape(files);
        EXPECT_EQ(std::tuple(shape.layout, shape.damaged), std::tuple(layout, true));
        // The last item of the group the file ends inside is damaged, not a multi structure.
        if (modern) {
            CTileItemInfo last;
            EXPECT_THROW(last.ReadInfo(std::int32_t(shape.itemGroups) * 32 + 31, files),
                         CTarnError);
        }

        // The size both layouts fit.
        files.CloseAll();  // the file is measured once per opening
        std::filesystem::resize_file(tiledata, kBoth);
        const TileDataShape both = GetTileDataShape(files);
        EXPECT_EQ(std::tuple(both.layout, both.damaged), std::tuple(layout, false));
    }
    // Bytes that tell nothing leave the size to decide.
    EXPECT_EQ(GuessTileDataLayout(std::vector<std::uint8_t>(64 * 964)), std::nullopt);
}

// Without a file, multi items get a made-up record and other reads raise; then reads past the
// file's end or of a cut record.
TEST_F(TileDataTest, MultiItemsGetAMadeUpRecordAndReadFailuresRaiseTheirDescriptions) {
    CTileItemInfo item;
    item.m_dwFlags = 7;
    item.ReadInfo(16407, m_files);  // no file needed
    EXPECT_EQ(std::tuple(item.GetName(), item.m_bWeight, item.m_dwFlags),
              std::tuple("ship", 255, 0u));
    item.ReadInfo(16408, m_files);
    EXPECT_EQ(item.GetName(), "structure");

    auto itemError = [&](std::int32_t id) {
        CTileItemInfo info;
        return test::RaisedBy([&] { info.ReadInfo(id, m_files); }).sDescription;
    };
    EXPECT_EQ(itemError(0), "CTileItemType.ReadInfo: TileData Seek");  // no file
    std::vector<std::uint8_t> file;
    Put(file, ItemRecordPos(1), ItemBytes("half", 3));
    file.resize(ItemRecordPos(1) + 16);  // a record cut short is accepted, its tail zero
    m_dir.Write("tiledata.mul", file);
    m_files.CloseAll();
    EXPECT_EQ(itemError(2), "CTileItemType.ReadInfo: TileData Read");
    EXPECT_EQ(itemError(-1), "CTileItemType.ReadInfo: TileData Seek");
    item.ReadInfo(1, m_files);
    EXPECT_EQ(std::tuple(item.GetName(), item.m_bWeight, item.m_bHeight), std::tuple("", 3, 0));
    CTileTerrainInfo terrain;
    EXPECT_EQ(test::RaisedBy([&] { terrain.ReadInfo(0xFFFF, m_files); }).sDescription,
              "CTileTerrainType.ReadInfo: TileData Read");
    // A patch record whose group lies past the end of the patch file.
    UsePatch(PatchFile({{30, 512, 0xFFFFFF00u, 1188, 0, 0}}));
    EXPECT_EQ(itemError(3), "CTileItemType.ReadInfo: TileData Read");
}

std::vector<std::uint8_t> StaticsBytes(std::size_t count) {
    ByteWriter w;
    for (std::size_t i = 0; i < count; ++i) {
        CStaticItem{static_cast<std::uint16_t>(0x100 + i), static_cast<std::uint8_t>(i % 8), 7,
                    static_cast<std::int8_t>(-5), 0x21}
            .Write(w);
    }
    return w.take();
}

using StaticsTest = TileDataTest;

TEST_F(StaticsTest, CountIsLengthOverSevenBlock512IsAtByte6144AndDataPastTheEndRaises) {
    std::vector<IndexRecord> index(513);
    index[0] = {0, 21, 0, 0};
    index[1] = {0, 20, 0, 0};
    index[2] = {0, 0, 0, 0};
    index[512] = {21, 14, 0, 0};
    m_dir.Write("staidx0.mul", IndexFile(index));
    m_dir.Write("statics0.mul", StaticsBytes(5));

    CStaticsList list;
    list.LoadStatics(0, m_files);
    ASSERT_EQ(list.GetCount(), 3u);
    EXPECT_EQ(std::tuple(list.GetAt(2).m_wTile, list.GetAt(2).m_cZ, list.GetAt(2).m_wHue),
              std::tuple(0x102, -5, 0x21));
    CStaticsList twenty;
    twenty.LoadStatics(1, m_files);
    EXPECT_EQ(twenty.GetCount(), 2u);  // the last 6 bytes are ignored
    CStaticsList none;
    none.LoadStatics(2, m_files);
    none.LoadStatics(3, m_files);
    none.LoadStatics(100000, m_files);  // past the index file
    EXPECT_EQ(none.GetCount(), 0u);
    CStaticsList block512;
    block512.LoadStatics(512, m_files);
    ASSERT_EQ(block512.GetCount(), 2u);
    EXPECT_EQ(block512.GetAt(0).m_wTile, 0x103);

    // A patch record for (2, 512) replaces the index record and the data comes from the patch.
    std::vector<std::uint8_t> patch = PatchFile({{2, 512, 24, 28, 0, 0}});
    std::vector<std::uint8_t> four = StaticsBytes(4);
    four[0] = 0xEE;
    patch.insert(patch.end(), four.begin(), four.end());
    UsePatch(patch);
    CStaticsList patched;
    patched.LoadStatics(512, m_files);
    ASSERT_EQ(patched.GetCount(), 4u);
    EXPECT_EQ(patched.GetAt(0).m_wTile, 0x1EE);

    // Data past the end raises without allocating.
    m_dir.Write("staidx0.mul", IndexFile({{10, 0x7FFFFFF0u, 0, 0}}));
    m_dir.Write("statics0.mul", StaticsBytes(1));
    m_files.CloseAll();
    CStaticsList past;
    EXPECT_EQ(test::RaisedBy([&] { past.LoadStatics(0, m_files); }),
              (test::Raised{2, kE_FAIL, "CTarnMapBlock: Read fStatics0"}));
    EXPECT_EQ(past.GetCount(), 0u);
}

TEST_F(StaticsTest, RadarColours) {
    EXPECT_EQ(GetRadarColor(0, m_files), 0);  // no file
    // A current client's file passes index 0xFFFF.
    std::vector<std::uint8_t> colors(2 * 0x10001, 0);
    StoreLE16(&colors[0], 0x1234);
    StoreLE16(&colors[2 * 0x10000], 0x7C00);
    m_dir.Write("radarcol.mul", colors);
    m_files.CloseAll();
    EXPECT_EQ(GetRadarColor(0, m_files), 0x1234);
    EXPECT_EQ(GetRadarColor(0x10000, m_files), 0x7C00);
    EXPECT_EQ(GetRadarColor(0x10001, m_files), 0);  // beyond the file
    EXPECT_EQ(GetRadarColorCount(m_files), 0x10001u);
}

}  // namespace
}  // namespace tessaly
