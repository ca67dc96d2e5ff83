// Facets: sizes, difference files, patch records, and the picture against a per-cell reference.

#include "Builders.h"
#include "Facet.h"
#include "MapPicture.h"
#include "core/CapturedLog.h"

#include <gtest/gtest.h>

#include <atomic>

#include <map>

namespace tessaly {
namespace {

// Every facet's sizes; a shard's own size (whole columns no table row names, confirmed by the
// statics index); bytes past the last whole block (the whole blocks are read, and it says so); a
// map short of its last blocks (the statics index gives the size).
TEST(FacetLayout, SizesOfEveryFacetAndDifferenceListsIgnoreWhatTheyCannotName) {
    struct Size {
        int facet;
        std::uint32_t columns, rows;
        std::uint64_t blocks = 0, extra = 0;  // blocks: columns x rows when 0
        bool custom = false, warned = false;
    };
    for (const Size& s : {Size{0, 768, 512}, Size{1, 896, 512}, Size{5, 160, 512},
                          Size{2, 300, 200, 0, 0, true}, Size{4, 181, 181, 0, 100, false, true},
                          Size{3, 320, 256, 320 * 256 - 5, 0, false, true}}) {
        SCOPED_TRACE(testing::Message() << s.facet << ": " << s.columns << " x " << s.rows);
        const std::uint64_t whole = std::uint64_t{s.columns} * s.rows;
        const std::uint64_t blocks = s.blocks != 0 ? s.blocks : whole;
        const FacetLayout layout = DetectFacetLayout(s.facet, blocks * 196 + s.extra, whole * 12);
        EXPECT_EQ(layout.columns, s.columns);
        EXPECT_EQ(layout.rows, s.rows);
        EXPECT_EQ(layout.blocks, blocks);
        EXPECT_EQ(layout.custom, s.custom);
        EXPECT_EQ(layout.warning != "", s.warned) << layout.warning;
    }
    EXPECT_NE(DetectFacetLayout(0, 100, 0).warning, "");

    // Entry 4 (block 2) has no data entry; block 900 is past the facet; the last 7 wins.
    const auto map =
        ReadDifferenceList(ByteWriter().u32(7).u32(3).u32(7).u32(900).u32(2).take(), 4, 800);
    EXPECT_EQ(map, (std::unordered_map<std::uint32_t, std::uint32_t>{{7, 2}, {3, 1}}));
}

// A small facet written to a client directory, with a model of what each cell should show.
class FacetFilesTest : public test::ClientDirTest {
protected:
    static constexpr std::uint32_t kColumns = 20;  // more than one group of block columns

    void Build(int facet, std::uint32_t rows) {
        m_rows = rows;
        m_tiles.assign(std::size_t{kColumns} * 8 * rows * 8, 0);
        for (std::size_t i = 0; i < m_tiles.size(); ++i) {
            m_tiles[i] = static_cast<std::uint16_t>((i * 37) % 5000);
        }
        // Statics on every third block: two on one cell (the higher is drawn, even though it
        // comes first), one lower on the next.
        for (std::uint32_t b = 0; b < kColumns * rows; b += 3) {
            const auto x = static_cast<std::uint8_t>(b % 8);
            m_statics[b] = {{static_cast<std::uint16_t>(100 + b % 50), x, 2, 20, 0},
                            {static_cast<std::uint16_t>(3000), x, 2, 5, 0},
                            {static_cast<std::uint16_t>(0xF000 + b % 7), x, 3, -4, 0}};
        }
        ByteWriter map;
        ByteWriter index;
        ByteWriter data;
        for (std::uint32_t b = 0; b < kColumns * rows; ++b) {
            WriteBlock(map, b, m_tiles);
            IndexRecord r;
            if (m_statics.contains(b)) {
                r.m_dwOffset = static_cast<std::uint32_t>(data.size());
                r.m_dwLength = static_cast<std::uint32_t>(m_statics[b].size() * 7);
                for (const CStaticItem& item : m_statics[b]) {
                    item.Write(data);
                }
            }
            r.Write(index);
        }
        const std::string n = std::to_string(facet);
        m_dir.Write("map" + n + ".mul", map.take());
        m_dir.Write("staidx" + n + ".mul", index.take());
        m_dir.Write("statics" + n + ".mul", data.take());
        ByteWriter radar;
        for (std::uint32_t i = 0; i < CRadarTable::kMaxColours; ++i) {
            radar.u16(static_cast<std::uint16_t>(i * 7 + 1));
        }
        m_dir.Write("radarcol.mul", radar.take());
        m_colours.Load(m_files);
    }

    void WriteBlock(ByteWriter& out, std::uint32_t b, const std::vector<std::uint16_t>& tiles) {
        out.u32(0);
        for (std::uint32_t c = 0; c < 64; ++c) {
            out.u16(tiles[TileAt(b, c)]).u8(static_cast<std::uint8_t>(c));
        }
    }

    std::size_t TileAt(std::uint32_t b, std::uint32_t cell) const {
        const std::size_t x = (b / m_rows) * 8 + cell % 8;
        const std::size_t y = (b % m_rows) * 8 + cell / 8;
        return y * kColumns * 8 + x;
    }

    // The colour cell (x, y) should show, from the model.
    std::uint32_t Expected(std::uint32_t x, std::uint32_t y, bool statics) {
        const std::uint32_t b = (x / 8) * m_rows + y / 8;
        std::uint16_t colour = static_cast<std::uint16_t>(m_tiles[y * kColumns * 8 + x] * 7 + 1);
        int z = -1000;
        for (const CStaticItem& item : statics ? m_statics[b] : std::vector<CStaticItem>{}) {
            if (item.m_bX == x % 8 && item.m_bY == y % 8 && item.m_cZ >= z) {
                z = item.m_cZ;
                colour = static_cast<std::uint16_t>((16384 + item.m_wTile) * 7 + 1);
            }
        }
        return RadarToArgb(colour);
    }

    void ExpectPicture(CFacet& facet, MapRegion region, MapScale scale, bool statics) {
        const MapPicture p = RenderMap(facet, m_colours, region, scale, statics);
        std::uint32_t w = 0;
        std::uint32_t h = 0;
        MapPictureSize(ClipToFacet(facet, region), scale, w, h);
        ASSERT_EQ(p.width, w);
        ASSERT_EQ(p.height, h);
        for (std::uint32_t py = 0; py < p.height; ++py) {
            for (std::uint32_t px = 0; px < p.width; ++px) {
                const std::uint32_t x = region.x + px / scale.zoom * scale.shrink;
                const std::uint32_t y = region.y + py / scale.zoom * scale.shrink;
                ASSERT_EQ(p.pixels[std::size_t{py} * p.width + px], Expected(x, y, statics))
                    << "pixel " << px << "," << py << " cell " << x << "," << y;
            }
        }
    }

    std::uint32_t m_rows = 0;
    std::vector<std::uint16_t> m_tiles;  // row by row over the facet
    std::map<std::uint32_t, std::vector<CStaticItem>> m_statics;
    CRadarTable m_colours;
};

TEST_F(FacetFilesTest, DifferenceFilesReplaceBlocksAndThePictureFollows) {
    Build(2, 200);
    // mapdif: entry 0 and 1 both name block 5 (the last wins), entry 2 a block past the facet.
    std::vector<std::uint16_t> changed = m_tiles;
    for (std::uint32_t c = 0; c < 64; ++c) {
        changed[TileAt(5, c)] = static_cast<std::uint16_t>(4000 + c);
    }
    ByteWriter dif;
    WriteBlock(dif, 5, m_tiles);
    WriteBlock(dif, 5, changed);
    WriteBlock(dif, 5, m_tiles);
    m_dir.Write("mapdif2.mul", dif.take());
    m_dir.Write("mapdifl2.mul", ByteWriter().u32(5).u32(5).u32(99999).take());
    m_tiles = changed;
    // stadif: block 7 gets one static, block 6 loses its statics (an empty record).
    ByteWriter sta;
    const CStaticItem item{0x1234, 1, 1, 0, 0};
    item.Write(sta);
    m_dir.Write("stadif2.mul", sta.take());
    m_dir.Write("stadifi2.mul", test::IndexFile({{0, 7, 0, 0}, {}}));
    m_dir.Write("stadifl2.mul", ByteWriter().u32(7).u32(6).take());
    m_statics[7] = {item};
    m_statics.erase(6);

    CFacet facet;
    ASSERT_TRUE(facet.Open(m_files, 2)) << facet.Warning();
    EXPECT_EQ(facet.Warning(), "");
    EXPECT_TRUE(facet.IsChanged(5) && facet.IsChanged(6) && facet.IsChanged(7));
    EXPECT_FALSE(facet.IsChanged(4) || facet.IsChanged(8));
    const MapRegion whole{0, 0, kColumns * 8, 200 * 8};
    ExpectPicture(facet, whole, {1, 1}, true);
    ExpectPicture(facet, whole, {1, 3}, false);
    ExpectPicture(facet, {5, 30, 20, 17}, {3, 1}, true);
    // Cancelled before it starts (as a view moved on does), the picture keeps its size and
    // stays black.
    const std::atomic<bool> cancel{true};
    const MapPicture cancelled = RenderMap(facet, m_colours, whole, {1, 1}, true, &cancel);
    EXPECT_EQ(cancelled.pixels, std::vector<std::uint32_t>(kColumns * 8 * 200 * 8, 0xFF000000u));

    // The index as the Statics list reads it: the facet's own records, not the difference's.
    IndexRecord record;
    ASSERT_TRUE(facet.ReadStaticsRecord(6, record));
    EXPECT_EQ(record.GetLength(), 3 * CStaticItem::kSize);
    EXPECT_TRUE(facet.StaticsRecordFits(record));
    EXPECT_FALSE(facet.ReadStaticsRecord(7, record));
    EXPECT_FALSE(facet.ReadStaticsRecord(kColumns * 200, record));
    // The last block's statics end the file: one byte further they do not fit.
    ASSERT_TRUE(facet.ReadStaticsRecord(kColumns * 200 - 1, record));
    EXPECT_TRUE(facet.StaticsRecordFits(record));
    ++record.m_dwOffset;
    EXPECT_FALSE(facet.StaticsRecordFits(record));

    // An index grown to a sparse gigabyte is read only as far as the list names records (its
    // cost is the benchmark's); the differences stay as they were.
    std::filesystem::resize_file(m_dir.Path() / "stadifi2.mul", std::uint64_t{1} << 30);
    CFacet grown;
    ASSERT_TRUE(grown.Open(m_files, 2)) << grown.Warning();
    ExpectPicture(grown, whole, {1, 1}, true);
}

TEST_F(FacetFilesTest, PatchRecordsOverFeluccaAndADamagedMap) {
    Build(0, 512);
    std::vector<std::uint16_t> changed = m_tiles;
    for (std::uint32_t c = 0; c < 64; ++c) {
        changed[TileAt(9, c)] = static_cast<std::uint16_t>(77);
    }
    const CStaticItem item{0x0E75, 0, 0, 1, 0};
    ByteWriter patch;
    // Block 11's statics lie past the patch file's end: the facet says so and reads on.
    patch.bytes(test::PatchFile({{0, 9, 4 + 3 * 20, 196, 0, 0},
                                 {2, 10, 4 + 3 * 20 + 196, 7, 0, 0},
                                 {2, 11, 4 + 3 * 20 + 196 + 7, 7, 0, 0}}));
    WriteBlock(patch, 9, changed);
    item.Write(patch);
    UsePatch(patch.take());
    m_tiles = changed;
    m_statics[10] = {item};
    // A map cut inside its last block: the whole blocks are read, and the facet says so.
    std::vector<std::uint8_t> bytes = m_dir.Read("map0.mul");
    bytes.resize(bytes.size() - 100);
    m_dir.Write("map0.mul", bytes);

    CFacet facet;
    ASSERT_TRUE(facet.Open(m_files, 0));
    EXPECT_NE(facet.Warning().find("; patch record of block 11 cannot be read"), std::string::npos)
        << facet.Warning();
    EXPECT_TRUE(facet.IsChanged(10));
    ExpectPicture(facet, {0, 0, 16, 100}, {1, 1}, true);
    CMapBlock last;
    EXPECT_FALSE(facet.ReadMapBlock(kColumns * 512 - 1, last));
    // Without files of its own, Trammel is Felucca's map without Felucca's patch records.
    CFacet trammel;
    ASSERT_TRUE(trammel.Open(m_files, 1));
    EXPECT_FALSE(trammel.IsChanged(9));
}

// Index records that all name one stretch: a shared small record reads for every block, but a run
// reads no more than its budget (at least 16 MiB), however many blocks name a 1 MiB stretch.
TEST_F(FacetFilesTest, StaticsSharedByBlocksReadWithinTheRunsBudget) {
    Build(2, 200);
    constexpr std::uint32_t kItems = (1u << 20) / CStaticItem::kSize;
    m_dir.Write("statics2.mul", std::vector<std::uint8_t>(std::size_t{kItems} * 7, 1));
    ByteWriter index;
    for (std::uint32_t b = 0; b < kColumns * 200; ++b) {
        IndexRecord{0, b < 40 ? kItems * 7 : 7, 0, 0}.Write(index);
    }
    m_dir.Write("staidx2.mul", index.take());
    CFacet facet;
    ASSERT_TRUE(facet.Open(m_files, 2)) << facet.Warning();
    test::CapturedLog log;
    std::vector<CStaticItem> items;
    std::vector<std::uint32_t> starts;
    facet.ReadStaticsRun(40, 100, items, starts);
    ASSERT_EQ(items.size(), 100u);
    EXPECT_TRUE(log.m_Lines.empty());
    // Sixteen whole blocks fit in 16 MiB; the rest of the run reads empty, logged once.
    for (int pass = 0; pass < 2; ++pass) {
        facet.ReadStaticsRun(0, 40, items, starts);
        ASSERT_EQ(starts.size(), 41u);
        EXPECT_EQ(starts[16], 16 * kItems);
        EXPECT_EQ(starts[40], 16 * kItems);
    }
    ASSERT_EQ(log.m_Lines.size(), 1u);
    EXPECT_NE(log.m_Lines[0].find("Ilshenar statics: blocks from 16 on"), std::string::npos)
        << log.m_Lines[0];
}

}  // namespace
}  // namespace tessaly
