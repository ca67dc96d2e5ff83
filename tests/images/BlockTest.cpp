// Data blocks over a client directory: which index entries they read, sizes from the index
// record, refused and short reads, patch records first, hues, and the sample client's multis.

#include "AnimContainer.h"
#include "AnimType.h"
#include "ArtTypes.h"
#include "EntryReader.h"
#include "GumpType.h"
#include "Hues.h"
#include "LightType.h"
#include "MultiComposition.h"
#include "MultiType.h"
#include "Surface.h"
#include "TextureType.h"

#include "Builders.h"
#include "ImageEncoders.h"
#include "Pixels.h"
#include "SampleClient.h"
#include "TarnError.h"
#include "clientfiles/SampleClientFiles.h"
#include "core/CapturedLog.h"
#include "core/Raised.h"
#include "core/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace tessaly;
using tessaly::test::TempDir;
using tessaly::test::UsePatchTable;

// A client directory built record by record.
class BlockTest : public ::testing::Test {
protected:
    BlockTest() : m_client(m_dir.Path(), false) {}
    ~BlockTest() override { TheClientFiles().CloseAll(); }

    void Use() {
        m_client.WriteFile("verdata.mul", mk::BuildVerData(m_client.Patches()));
        UsePatchTable(m_dir.Path());
    }

    TempDir m_dir;
    mk::SampleClient m_client;
};

namespace {

// The five stored directions of one action: animation blocks of three frames whose pixels
// depend on the direction and the frame.
std::array<std::vector<std::uint8_t>, 5> ContainerTestBlocks(std::uint16_t base = 0x0400) {
    std::array<std::uint16_t, 256> palette{};
    for (int i = 1; i < 256; ++i) {  // index 0 is transparent
        palette[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(base + i);
    }
    std::array<std::vector<std::uint8_t>, 5> blocks;
    for (int d = 0; d < 5; ++d) {
        std::vector<AnimFrameImage> frames;
        for (int i = 0; i < 3; ++i) {
            AnimFrameImage f;
            f.width = static_cast<std::uint16_t>(5 + i);
            f.height = static_cast<std::uint16_t>(4 + d);
            f.centreX = static_cast<std::int16_t>(2 - d);
            f.centreY = static_cast<std::int16_t>(-i);
            f.indexes.assign(std::size_t{f.width} * f.height, -1);
            for (int y = 0; y < f.height; ++y) {
                for (int x = (y + i) % 2; x < f.width; x += 2) {
                    f.Set(x, y, static_cast<std::int16_t>(1 + 7 * x + 3 * y + 11 * d + i));
                }
            }
            frames.push_back(std::move(f));
        }
        blocks[static_cast<std::size_t>(d)] = EncodeAnim(palette, frames);
    }
    return blocks;
}

// The pixels of a frame of a block drawn unhued into a fresh 32 x 32 buffer.
std::vector<std::uint16_t> FramePixels(ByteSpan block, std::int32_t x, std::int32_t y,
                                       std::uint32_t frame, int direction) {
    SurfaceBuffer buffer;
    buffer.CreateBuffer(32, 32, 4);
    CSurfaceDC dc(buffer);
    EXPECT_TRUE(CTileAnimType::DrawFrame(dc, block, x, y, 0, frame, direction));
    return test::Pixels(buffer);
}

}  // namespace

// The sample client's multis with its tile data cut short: many components on one cell whose
// heights do not read. Each item's height is read once, not once per comparison, and only the
// first is placed.
TEST_F(BlockTest, ComponentsWithoutHeightsAreReadOnceAndLeftOut) {
    std::filesystem::copy(test::SampleClientDir().Path(), m_dir.Path(),
                          std::filesystem::copy_options::overwrite_existing |
                              std::filesystem::copy_options::recursive);
    std::vector<std::uint8_t> tiledata = m_dir.Read("tiledata.mul");
    tiledata.resize(512 * (4 + 32 * 26));  // the terrain part
    m_dir.Write("tiledata.mul", tiledata);
    ASSERT_TRUE(UsePatchTable(m_dir.Path()));
    CMulMultiType house(0x64);
    std::vector<MultiComponent> components;
    std::set<std::uint16_t> items;
    for (std::uint32_t i = 0; components.size() < 300; ++i) {
        MultiComponent c;
        ASSERT_TRUE(house.GetComponent(i % 3, c));
        c.m_nX = c.m_nY = 1;
        components.push_back(c);
        items.insert(c.m_wItem);
    }
    test::CapturedLog log;
    const CMultiComposition composition(components);
    ASSERT_EQ(composition.GetPieces().size(), 1u);
    EXPECT_EQ(composition.GetPieces()[0].m_Component.m_wItem, components[0].m_wItem);
    // Each item fails with the same line, so the first is written and the rest counted.
    ASSERT_EQ(log.m_Lines.size(), 1u);
    log.WriteRepeats();
    ASSERT_EQ(log.m_Lines.size(), 2u);
    EXPECT_NE(log.m_Lines[1].find(": " + std::to_string(items.size() - 1) + " more time"),
              std::string::npos)
        << log.m_Lines[1];
}

// Items read entry + 16384, terrain the entry itself (kept to 16 bits) and terrain 2 is never
// drawn; gumps, lights, textures and multis take their sizes from the index record.
TEST_F(BlockTest, EachKindReadsItsEntryAndTakesItsSizeFromTheIndexRecordAndHueGroupsTheirBytes) {
    tessaly::Picture land(44, 44);
    land.FillRect(0, 0, 44, 44, 0x0421);
    mk::IndexedFileBuilder art(0x8000);
    art.Add(16484, tessaly::EncodeItem(tessaly::Picture(3, 2)));
    art.Add(100, tessaly::EncodeTerrain(land));
    art.Add(2, tessaly::EncodeTerrain(land));
    art.Write(m_client, "artidx.mul", "art.mul");
    mk::IndexedFileBuilder gumps(4);
    gumps.Add(1, tessaly::EncodeGump(tessaly::Picture(30, 20)), 20 | (30u << 16));  // 30 x 20
    gumps.Write(m_client, "gumpidx.mul", "gumpart.mul");
    mk::IndexedFileBuilder lights(4);
    lights.Add(0, std::vector<std::uint8_t>(6, 0x1F), tessaly::SizeExtra(3, 2));
    lights.Add(1, std::vector<std::uint8_t>(5, 0x1F), tessaly::SizeExtra(3, 4));  // one row of four
    lights.Write(m_client, "lightidx.mul", "light.mul");
    mk::IndexedFileBuilder tex(4);
    tex.Add(0, std::vector<std::uint8_t>(8192, 1));
    tex.Add(1, std::vector<std::uint8_t>(32768, 2));
    tex.Add(2, std::vector<std::uint8_t>(8000, 3));
    tex.Write(m_client, "texidx.mul", "texmaps.mul");
    mk::IndexedFileBuilder multis(2);
    multis.Add(0, std::vector<std::uint8_t>(30, 0));
    multis.Write(m_client, "multi.idx", "multi.mul");
    ByteWriter hues;
    for (std::uint32_t g = 0; g < 4; ++g) {
        HueGroup group;
        group.m_dwHeader = g;
        for (std::uint32_t i = 0; i < 8; ++i) {
            group.m_Entries[i].SetName("base " + std::to_string(g * 8 + i));
            group.m_Entries[i].m_Colours[31] = 0x7FFF;
        }
        group.m_Entries[1].SetName("exactly twenty chars and more");  // cut to the field
        group.WriteFile(hues);
    }
    // The file ends inside the last group, 40 bytes into its fourth hue.
    std::vector<std::uint8_t> cutHues = hues.take();
    cutHues.resize(3 * HueGroup::kFileSize + 4 + 3 * 88 + 40);
    m_client.WriteFile("hues.mul", cutHues);
    HueGroup patched;
    patched.m_dwHeader = 0xABCD;
    patched.m_Entries[1].SetName("patched nine");
    ByteWriter record;
    patched.WritePatch(record);
    record.zeros(4000);  // a record far longer than the group layout
    m_client.AddPatch({kSlotHues, 1, record.take(), 0, 0});
    m_client.AddPatch({kSlotHues, 2, std::vector<std::uint8_t>(100), 0, 0});
    Use();

    // The entries read.
    CTileItemType block(100);
    ASSERT_TRUE(block.EnsureLoaded());
    EXPECT_EQ(block.GetWidth(), 3u);
    CTileTerrainType terrain(100 + 0x10000);  // kept to 16 bits
    SurfaceBuffer buffer;
    buffer.CreateBuffer(128, 128, 4);
    CSurfaceDC dc(buffer);
    CTileTerrainType two(2);
    EXPECT_FALSE(two.Draw(dc, 21, 0));
    EXPECT_TRUE(terrain.Draw(dc, 21, 0));
    EXPECT_EQ(buffer.GetPixel(0, 21), 0x0421);
    CTileTerrainType absent(101);
    EXPECT_FALSE(absent.Draw(dc, 21, 0));

    // The sizes.
    CTileGumpType gump(1);
    ASSERT_TRUE(gump.EnsureLoaded());
    EXPECT_EQ(gump.GetWidth(), 30u);
    EXPECT_EQ(gump.GetHeight(), 20u);
    CTileLightType light(0);
    ASSERT_TRUE(light.EnsureLoaded());
    EXPECT_EQ(light.GetHeight(), 2u);
    CTileLightType cut(1);  // fewer than half its rows: no light
    EXPECT_EQ(test::RaisedBy([&] { cut.EnsureLoaded(); }),
              (test::Raised{2, kE_FAIL, kDamagedEntry}));

    const std::uint32_t edges[] = {64, 128, 0};
    for (std::uint32_t i = 0; i < 3; ++i) {
        CTileTextureType texture(i);
        ASSERT_TRUE(texture.EnsureLoaded());
        EXPECT_EQ(texture.GetEdge(), edges[i]);
        EXPECT_EQ(texture.Draw(dc, 0, 0), edges[i] != 0);
    }

    // 30 bytes fit neither record size, and nothing else votes: two 12-byte components, the
    // bytes past the last whole one left out.
    CMulMultiType multi(0);
    EXPECT_NE(multi.GetComponent(1), nullptr);
    EXPECT_EQ(multi.GetRecordSize(), 12u);
    EXPECT_EQ(multi.GetComponent(2), nullptr);

    // A real old index holds one garbage record (length 0xFFFFFFFF, offset past the end): only
    // records inside the data file decide the component size, and one damaged record among them
    // does not turn the file.
    std::vector<IndexRecord> records = {{0, 24, 0, 0},
                                        {24, 30, 0, 0},  // damaged: fits neither size
                                        {0xFFFFFF00u, 0xFFFFFFFFu, 0, 0},
                                        {IndexRecord::kNoData, 5, 0, 0}};
    EXPECT_EQ(MultiRecordSizeOf(records, 60), MultiComponent::kSize);
    records.push_back({60, 32, 0, 0});
    EXPECT_EQ(MultiRecordSizeOf(records, 92), MultiComponent::kWideSize);
    EXPECT_EQ(MultiRecordSizeOf(records, 91), MultiComponent::kSize);  // reaching past the end
    records.push_back({0, 36, 0, 0});
    EXPECT_EQ(MultiRecordSizeOf(records, 92), MultiComponent::kSize);  // 2 fit 12 only, 1 16
    records.push_back({0, 48, 0, 0});                                  // fits both: no vote
    EXPECT_EQ(MultiRecordSizeOf(records, 92), MultiComponent::kSize);

    // Hue groups are read up to their 1220 bytes, each hue's name the whole 20-byte field, and a
    // record or file that ends inside a hue gives an empty one.
    HueEntry hue;
    std::uint32_t header = 0;
    ASSERT_TRUE(ReadHue(0, hue, &header));
    EXPECT_EQ(hue.GetName(), "base 0");
    EXPECT_EQ(hue.m_Colours[31], 0x7FFF);
    ASSERT_TRUE(ReadHue(1, hue));
    EXPECT_EQ(hue.GetName(), "exactly twenty chars");
    ASSERT_TRUE(ReadHue(9, hue, &header));
    EXPECT_EQ(hue.GetName(), "patched nine");
    EXPECT_EQ(header, 0xABCDu);
    // A record too short for the group, a hue the file ends inside and a group past its end:
    // empty entries. The hues of the cut group the file holds whole read.
    EXPECT_FALSE(ReadHue(17, hue, &header));
    EXPECT_EQ(hue, HueEntry{});
    ASSERT_TRUE(ReadHue(26, hue, &header));
    EXPECT_EQ(hue.GetName(), "base 26");
    EXPECT_EQ(header, 3u);
    EXPECT_FALSE(ReadHue(27, hue));
    EXPECT_FALSE(ReadHue(0xFFFFFFFF, hue));
}

// Records that span the whole data file (as overlapping or oversized records do) cost what the
// entry's format needs: the block holds the entry's own bytes (an animation's as far as its
// frames reach, drawn as the block is), and a record of garbage is found damaged before any
// picture is made for it, as is a multi of a length past the file's end or of too many components.
TEST_F(BlockTest, RecordsLongerThanTheirEntryAndRowsSharingBytesReadOnlyWhatTheFormatNeeds) {
    tessaly::Picture picture(3, 2);
    picture.FillRect(0, 0, 3, 2, 0x1234);
    const std::vector<std::uint8_t> item = tessaly::EncodeItem(picture);
    const std::vector<std::uint8_t> gump = tessaly::EncodeGump(picture);
    ByteWriter data;
    data.bytes(item);
    const auto gumpAt = static_cast<std::uint32_t>(data.size());
    data.bytes(gump);
    // Garbage: a 4000 x 4000 item whose rows all start with a step past its width; read as a
    // gump of 3 x 1, its row's second run passes the width.
    const auto garbageAt = static_cast<std::uint32_t>(data.size());
    data.u32(0).u16(4000).u16(4000).zeros(2 * 4000).u16(5000).u16(1).u16(0x7FFF);
    data.zeros(100000);
    const auto size = static_cast<std::uint32_t>(data.size());
    ByteWriter art;
    art.zeros(100 * 12);                              // terrain 0-99: no records
    art.u32(0).u32(size).u32(0);                      // terrain 100: 2024 of its bytes
    art.zeros((16484 - 101) * 12);                    // up to item 100
    art.u32(0).u32(size).u32(0);                      // item 100 and what lies behind it
    art.u32(garbageAt).u32(size - garbageAt).u32(0);  // item 101: garbage
    art.u32(0).u32(static_cast<std::uint32_t>(item.size() - 2)).u32(0);  // 102: last row cut
    m_client.WriteFile("artidx.mul", art.data());
    m_client.WriteFile("art.mul", data.data());
    m_client.WriteFile("gumpidx.mul", test::IndexFile({{gumpAt, size - gumpAt, 2, 3},  // 3 x 2
                                                       {garbageAt, size - garbageAt, 1, 3}}));
    // Lights and textures: one record over the whole file.
    m_client.WriteFile("lightidx.mul", test::IndexFile({{0, size, 2, 3}}));
    m_client.WriteFile("texidx.mul", test::IndexFile({{0, size}}));
    for (const char* mul : {"gumpart.mul", "light.mul", "texmaps.mul"}) {
        m_client.WriteFile(mul, data.data());
    }
    const std::vector<std::uint8_t> anim = ContainerTestBlocks()[1];
    m_client.WriteFile("anim.mul", ByteWriter().bytes(anim).zeros(200000).take());
    m_client.WriteFile("anim.idx",
                       test::IndexFile({{0, static_cast<std::uint32_t>(anim.size() + 200000)}}));
    // Multis: a length reaching 2 GB past the end of the file, refused by the multi's own bound
    // before any read (a read past the end is the entry reader's own case), and one inside the
    // file of more components than any multi holds (of either record size).
    const std::uint32_t tooMany = (kMaxMultiComponents + 1) * 16;
    m_client.WriteFile("multi.idx", test::IndexFile({{0, 0x7FFFFFF0}, {0, tooMany}}));
    m_client.WriteFile("multi.mul", std::vector<std::uint8_t>(tooMany, 1));
    Use();

    CTileItemType whole(100);
    ASSERT_TRUE(whole.EnsureLoaded());
    EXPECT_EQ(whole.GetDataLength(), item.size());
    CTileGumpType gumpBlock(0);
    ASSERT_TRUE(gumpBlock.EnsureLoaded());
    EXPECT_EQ(gumpBlock.GetDataLength(), gump.size());
    CTileTerrainType terrain(100);
    ASSERT_TRUE(terrain.EnsureLoaded());
    EXPECT_EQ(terrain.GetDataLength(), 2 * CTileTerrainType::kPixelCount);
    CTileLightType light(0);
    ASSERT_TRUE(light.EnsureLoaded());
    EXPECT_EQ(light.GetDataLength(), 6u);
    CTileTextureType texture(0);  // no texture's length: nothing to read
    EXPECT_TRUE(texture.EnsureLoaded());
    EXPECT_EQ(texture.GetDataLength(), 0u);
    CTileAnimType animBlock(0);
    ASSERT_TRUE(animBlock.EnsureLoaded());
    EXPECT_TRUE(std::ranges::equal(animBlock.GetBytes(), anim));

    const test::Raised damaged{2, kE_FAIL, kDamagedEntry};
    CTileItemType garbage(101);
    EXPECT_EQ(test::RaisedBy([&] { garbage.EnsureLoaded(); }), damaged);
    EXPECT_EQ(garbage.GetDataLength(), 0u);
    CTileGumpType garbageGump(1);
    EXPECT_EQ(test::RaisedBy([&] { garbageGump.EnsureLoaded(); }), damaged);
    for (std::uint32_t entry : {0u, 1u}) {
        CMulMultiType multi(entry);
        EXPECT_EQ(test::RaisedBy([&] { multi.EnsureLoaded(); }), damaged) << entry;
        EXPECT_EQ(multi.GetComponentCount(), 0u);
    }
    // One row of two cut off is left out, as drawing leaves it out; the other is drawn.
    CTileItemType cut(102);
    ASSERT_TRUE(cut.EnsureLoaded());
    SurfaceBuffer buffer;
    buffer.CreateBuffer(3, 2, 4);
    CSurfaceDC dc(buffer);
    EXPECT_TRUE(cut.Draw(dc, 0, 0));
    EXPECT_EQ(buffer.GetPixel(2, 0), 0x1234);
    EXPECT_EQ(buffer.GetPixel(2, 1), 0);

    // Rows that all share the same bytes (a garbage table of one offset) would be walked once per
    // row: past a pair per 4 bytes of the record, plus one per row, the walk stops and the record
    // is kept whole, read once.
    constexpr std::uint32_t kLength = 4000;
    constexpr std::uint64_t kRows = 5000;
    const std::vector<std::uint8_t> record(kLength, 7);
    std::vector<std::uint8_t> block;
    std::uint64_t read = 0;
    CEntryReader reader(
        kLength,
        [&](std::uint64_t from, std::span<std::uint8_t> out) {
            read += out.size();
            std::copy_n(record.begin() + static_cast<std::ptrdiff_t>(from), out.size(),
                        out.begin());
            return true;
        },
        block);
    std::uint64_t steps = 0;
    // Each row walks the whole record, a pair at a time.
    reader.KeepRows(kRows, 0, kLength, [&](std::uint64_t) -> std::optional<std::uint64_t> {
        for (std::uint64_t pos = 0; pos + 4 <= kLength; pos += 4) {
            if (!reader.TakeStep()) {
                return std::nullopt;
            }
            ++steps;
            reader.Need(pos + 4);
        }
        return kLength;
    });
    EXPECT_LE(steps, kLength / 4 + kRows + 16);
    EXPECT_EQ(block, record);
    EXPECT_LE(read, 2u * kLength);
}

// ---- animation containers ----

// Entries are found in whichever container holds them; a direction read from a container is the
// "anim.mul" block of the same frames, a frame with its own palette draws in it, a frame number
// left out is an empty frame, and an entry whose table lies is damaged with its reason logged.
TEST_F(BlockTest, AnimationContainerFramesReadAsTheirAnimMulBlocksAndLyingEntriesAreDamaged) {
    const std::array<std::vector<std::uint8_t>, 5> blocks = ContainerTestBlocks();
    std::vector<AnimContainerFrame> frames =
        AnimContainerFramesOf({blocks[0], blocks[1], blocks[2], blocks[3], blocks[4]});
    const std::vector<std::uint8_t> whole = EncodeAnimContainerEntry(frames);
    // Direction 2's second frame (number 8) is left out, its third takes another palette.
    const std::vector<std::uint8_t> other = ContainerTestBlocks(0x2000)[2];
    frames[8].palette = ByteSpan(other).first(kAnimPaletteBytes);
    frames.erase(frames.begin() + 7);
    std::vector<std::uint8_t> lying = whole;
    StoreLE32(lying.data() + 32, 0x7FFFFFFF);  // more frames than the entry could hold
    m_client.WriteFile("animationframe1.uop",
                       WriteUopContainer({{0, whole, false, AnimContainerEntryName(900, 0)},
                                          {0, lying, false, AnimContainerEntryName(900, 1)}}));
    m_client.WriteFile("AnimationFrame2.uop",
                       WriteUopContainer({{0, whole, true, AnimContainerEntryName(900, 1)},
                                          {0, EncodeAnimContainerEntry(frames), true,
                                           AnimContainerEntryName(900, 2)}}));
    m_client.WriteFile("AnimationSequence.uop",
                       WriteUopContainer({{0, {1, 2, 3}, false, "build/animationsequence/1.bin"}}));
    const std::string mobTypes = "900 MONSTER 10000\n901 ANIMAL 10000\n902 ANIMAL 0\n";
    m_client.WriteFile("mobtypes.txt", std::vector<std::uint8_t>(mobTypes.begin(), mobTypes.end()));
    Use();

    CAnimContainers containers(TheClientFiles());
    EXPECT_EQ(containers.FindEntry(900, 1), 1u);  // the first container holding it wins
    EXPECT_EQ(containers.FindEntry(900, 2), 2u);
    EXPECT_EQ(containers.FindEntry(900, 3), 0u);
    const std::vector<CAnimContainers::FileInfo> files = containers.ListFiles();
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[2].name, "AnimationSequence.uop");
    EXPECT_EQ(files[2].entries, 1u);

    // Bodies flagged in mobtypes.txt are the Anims list's container bodies.
    const std::shared_ptr<const CAnimSources> sources = ClientAnimSources(TheClientFiles(), true);
    ASSERT_TRUE(sources->Body(900)->HasFrames());
    const BodySource& source = sources->Body(900)->sources.front();
    EXPECT_EQ(sources->SourceName(source), "AnimationFrame1.uop");
    EXPECT_EQ(source.cls, AnimClass::High);
    EXPECT_FALSE(sources->Body(901)->HasFrames());
    EXPECT_TRUE(sources->Body(902)->sources.empty());

    std::vector<std::uint8_t> block;
    for (std::uint32_t d = 0; d < 5; ++d) {
        ASSERT_EQ(sources->ReadBlock(source, 0, d, block), ReadStatus::Ok);
        EXPECT_EQ(block, blocks[d]) << d;
    }
    ASSERT_EQ(sources->ReadBlock(source, 2, 2, block), ReadStatus::Ok);
    ASSERT_EQ(CTileAnimType::FrameCount(block), 3u);
    EXPECT_EQ(CTileAnimType::Frame(block, 1)->m_nWidth, 0u);
    for (std::uint32_t f : {0u, 2u}) {
        const std::vector<std::uint8_t>& drawn = f == 0 ? blocks[2] : other;
        EXPECT_EQ(FramePixels(block, 12, 4, f, 5), FramePixels(drawn, 12, 4, f, 5)) << f;
    }

    test::CapturedLog log;
    EXPECT_EQ(sources->ReadBlock(source, 3, 0, block), ReadStatus::Absent);
    EXPECT_EQ(sources->ReadBlock(source, 1, 4, block), ReadStatus::Damaged);
    ASSERT_EQ(log.m_Lines.size(), 1u);
    EXPECT_NE(log.m_Lines[0].find("AnimationFrame1.uop: body 900 action 1 is damaged: a frame "
                                  "table of 2147483647 frames"),
              std::string::npos)
        << log.m_Lines[0];

    // The same file set pointed at another client reads that client's sources without a refresh.
    test::UseClient(test::SampleClientDir().Path());
    const std::shared_ptr<const CAnimSources> elsewhere =
        ClientAnimSources(TheClientFiles(), false);
    const BodyInfo* body = elsewhere->Body(900);
    EXPECT_TRUE(body == nullptr || body->sources.empty() ||
                elsewhere->SourceName(body->sources.front()) != "AnimationFrame1.uop");

    // Entries that do not fit the layout, read directly.
    const auto size = static_cast<std::uint32_t>(whole.size());
    const std::size_t record = kAnimContainerHeader + 4 * kAnimFrameRecord;  // frame number 5
    const struct {
        std::size_t at;
        std::uint32_t value;
        const char* reason;
    } lies[] = {
        {0, 0x554F4D42, "no \"AMOU\" header"},
        {32, 0xFFFFFFFF, "a frame count of -1"},
        {32, 0x10000000, "a frame table of 268435456 frames"},
        {record + 2, 0, "frame number 0 out of range 1-15"},
        {record + 2, 4, "frame number 4 given twice"},
        {record + 12, size, "frame 5's data lies outside the entry"},
    };
    for (const auto& lie : lies) {
        std::vector<std::uint8_t> bytes = whole;
        StoreLE32(bytes.data() + lie.at, lie.value);  // a frame number's next 16 bits are 0
        AnimContainerDirections out;
        std::string error;
        EXPECT_FALSE(ParseAnimContainerEntry(bytes, out, error)) << lie.reason;
        EXPECT_EQ(error.rfind(lie.reason, 0), 0u) << error;
    }
    AnimContainerDirections out;
    std::string error;
    const std::vector<std::uint8_t> cut(whole.begin(), whole.end() - 4);
    EXPECT_FALSE(ParseAnimContainerEntry(cut, out, error));
    EXPECT_EQ(error, "frame 15 does not end inside the entry");

    // Index 0 of a container's palettes is transparent whatever colour they give it, in a frame
    // of the block's palette and in one with a palette of its own.
    std::array<std::uint16_t, 256> palette{};
    palette[0] = 0x7C00;
    palette[5] = 0x03E0;
    AnimFrameImage image;
    image.width = 2;
    image.height = 1;
    image.indexes = {0, 5};
    const std::vector<std::uint8_t> own = EncodeAnim(palette, {image, image});
    palette[0] = 0x001F;
    const std::vector<std::uint8_t> ownPalette = EncodeAnim(palette, {image});
    std::vector<AnimContainerFrame> ownFrames =
        AnimContainerFramesOf({ByteSpan(own), own, own, own, own});
    ownFrames[1].palette = ByteSpan(ownPalette).first(kAnimPaletteBytes);
    ASSERT_TRUE(ParseAnimContainerEntry(EncodeAnimContainerEntry(ownFrames), out, error)) << error;
    for (std::uint32_t f : {0u, 1u}) {
        const std::vector<std::uint16_t> pixels = FramePixels(out[0], 0, 0, f, 4);
        EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0x03E0), 1) << f;
        EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0), 32 * 32 - 1) << f;
    }
}
