// Containers of newer clients: the name hash, entries stored and compressed, map chunks, and
// damaged containers.

#include "Builders.h"
#include "ClientWriter.h"
#include "EntryReader.h"
#include "Raised.h"
#include "Text.h"
#include "UopFile.h"

#include <tuple>

namespace tessaly {
namespace {

using test::ClientDirTest;
using test::Counting;
using test::TempDir;

TEST(UopHashTest, CheckValues) {
    EXPECT_EQ(HashLittle(
                  {reinterpret_cast<const std::uint8_t*>("Four score and seven years ago"), 30}, 0),
              0x17770551u);
    EXPECT_EQ(HashUopName("build/artlegacymul/00000000.tga"), 0x99361F7D3A53AEA8ull);

    // Names are hashed lower-case; an empty key skips the final mix (lookup3's 0xdeadbeef).
    EXPECT_EQ(HashUopName("BUILD/ArtLegacyMUL/00000000.TGA"), 0x99361F7D3A53AEA8ull);
    EXPECT_EQ(HashLittle({}, 0), 0xDEADBEEFu);
}

// A small art container in a directory of its own: entry 1 stored, 2 compressed.
struct UopContainerTest : ClientDirTest {
    static constexpr std::size_t kTable = kUopFirstTable;
    static constexpr std::size_t kEntry0 = kTable + kUopTableHeaderSize;

    UopContainerTest() {
        const UopKind& art = *FindUopKind(kSlotArt);
        m_good = WriteUopContainer(art, {{1, Counting(300), false}, {2, Counting(5000), true}}, 4);
        m_bytes = m_good;
    }
    // The good container with the word at `at` set to v, in use.
    void Damage32(std::size_t at, std::uint32_t v) {
        m_bytes = m_good;
        StoreLE32(m_bytes.data() + at, v);
        Use();
    }
    // Field `at` of table entry `entry` (0 = stored, 1 = compressed) set to v, in use.
    void Patch32(std::size_t entry, std::size_t at, std::uint32_t v) {
        Damage32(kEntry0 + entry * kUopEntrySize + at, v);
    }
    // Writes the container; the file set reads it anew.
    void Use() {
        m_dir.Write("artLegacyMUL.uop", m_bytes);
        m_files.CloseAll();
    }
    // The first 32 bytes of entry n, read as the sound list reads names.
    std::vector<std::uint8_t> Head(std::uint32_t n) {
        IndexRecord r;
        EXPECT_TRUE(m_files.ReadIndexRecord(kSlotArtIdx, kSlotArt, n, r));
        r.m_dwLength = 32;
        std::vector<std::uint8_t> head(32);
        EXPECT_TRUE(m_files.ReadData(kSlotArt, r, head));
        return head;
    }
    // Loads entry n; returns false when it is absent, throws when unreadable.
    bool Load(std::uint32_t n, std::vector<std::uint8_t>& block) {
        IndexRecord r;
        if (!m_files.ReadIndexRecord(kSlotArtIdx, kSlotArt, n, r)) {
            return false;
        }
        LoadMulData(m_files, kSlotArt, r, block);
        return true;
    }
    // Whether loading entry n raises, having held never more than the file's bytes could
    // inflate to.
    bool Unreadable(std::uint32_t n) {
        std::vector<std::uint8_t> block;
        const std::string raised = test::RaisedBy([&] { Load(n, block); }).sDescription;
        EXPECT_EQ(raised, kDamagedEntry);
        return raised == kDamagedEntry && block.size() <= m_bytes.size() * 1032;
    }

    std::vector<std::uint8_t> m_good;
    std::vector<std::uint8_t> m_bytes;
};

// Entry 1 stored, 2 compressed, read whole and in part; a patch record still replaces an entry.
// Damaged tables give one-line errors.
TEST_F(UopContainerTest, EntriesAndPatchRecordsReadAndDamagedTablesGiveOneLineErrors) {
    Use();
    std::vector<std::uint8_t> block;
    ASSERT_TRUE(Load(1, block));
    EXPECT_EQ(block, Counting(300));
    ASSERT_TRUE(Load(2, block));
    EXPECT_EQ(block, Counting(5000));
    EXPECT_FALSE(Load(0, block));
    EXPECT_FALSE(Load(3, block));
    EXPECT_EQ(m_files.GetIndexCount(kSlotArtIdx), 3u);  // entries 1 and 2, as an index of 3
    EXPECT_EQ(Head(2), Counting(32));                   // a prefix of a compressed entry
    std::vector<std::uint8_t> patch = test::PatchFile({{kSlotArt, 1, 24, 4, 0, 0}});
    patch.insert(patch.end(), {9, 8, 7, 6});
    UsePatch(patch);
    ASSERT_TRUE(Load(1, block));
    EXPECT_EQ(block, (std::vector<std::uint8_t>{9, 8, 7, 6}));
    m_table.RemoveAll();

    // Where, what, the error says and whether entry 2 still reads. A table whose count is damaged
    // still gives the entries the file holds whole.
    const std::tuple<std::size_t, std::uint32_t, const char*, bool> cases[] = {
        {0, 0x12345678, "bad magic", false},
        {4, 9, "unknown version 9", false},
        {kTable + 4, static_cast<std::uint32_t>(kTable), "loops", false},
        {kTable, 4000000000u, "does not fit", true},
        {12, 0x7FFFFFF0, "past the end", false},
    };
    for (const auto& [at, value, says, keeps] : cases) {
        Damage32(at, value);
        const std::string error = m_files.GetContainerError(kSlotArt);
        EXPECT_NE(error.find(says), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos);
        block.clear();
        // Nothing is found, or (a loop found after the first table) what is found reads.
        if (Load(2, block) || keeps) {
            EXPECT_EQ(block, Counting(5000)) << says;
            EXPECT_EQ(m_files.GetIndexCount(kSlotArtIdx), 3u) << says;
        }
    }
    // So does one in a file long enough that all of it read as entries would pass what any
    // container holds: the count is bounded by the table's capacity.
    Damage32(kTable, 4000000000u);
    std::filesystem::resize_file(m_dir.File("artLegacyMUL.uop"), std::uint64_t{100} << 20);
    EXPECT_NE(m_files.GetContainerError(kSlotArt).find("does not fit"), std::string::npos)
        << m_files.GetContainerError(kSlotArt);
    ASSERT_TRUE(Load(2, block));
    EXPECT_EQ(block, Counting(5000));
    // One table of all a current client's art entries and more (a writer may choose one table)
    // is read; a claim past what any container holds, in a sparse file long enough to hold
    // it, is refused before its table is read.
    m_bytes = m_good;
    StoreLE32(m_bytes.data() + kTable, 90000);
    m_bytes.resize(kTable + kUopTableHeaderSize + 90000 * kUopEntrySize);
    Use();
    EXPECT_EQ(m_files.GetContainerError(kSlotArt), "");
    StoreLE32(m_bytes.data() + kTable, kMaxUopEntries + 1);
    Use();
    std::filesystem::resize_file(
        m_dir.File("artLegacyMUL.uop"),
        kTable + kUopTableHeaderSize + (kMaxUopEntries + 1) * kUopEntrySize);
    EXPECT_EQ(m_files.GetContainerError(kSlotArt),
              Format("container: more than %zu entries", kMaxUopEntries));
}

TEST_F(UopContainerTest, LyingEntriesAreUnreadableAndClaimsCostOnlyTheStream) {
    // Table entry (0 = stored, 1 = compressed), field, value.
    const std::tuple<std::size_t, std::size_t, std::uint32_t> cases[] = {
        {0, 12, 0x7FFFFFF0},  // compressed length past the end
        {0, 16, 299},         // a stored entry whose lengths disagree
        {1, 16, 4999},        // decompressed length too small
        {1, 16, 0x01000000},  // a huge decompressed length: refused before allocation
        {1, 8, 3},            // a header length that moves the start into the data
    };
    for (const auto& [entry, at, value] : cases) {
        Patch32(entry, at, value);
        EXPECT_TRUE(Unreadable(static_cast<std::uint32_t>(entry + 1)))
            << entry << " " << at << " " << value;
    }
    // Another compression value makes just that entry unreadable.
    m_bytes = m_good;
    StoreLE16(m_bytes.data() + kEntry0 + kUopEntrySize + 32, 3);
    Use();
    EXPECT_TRUE(Unreadable(2));
    std::vector<std::uint8_t> block;
    EXPECT_TRUE(Load(1, block));
    // A length past bit 30 cannot be an index record: the entry is there but lies, so it reads
    // as damaged (not as absent).
    Patch32(1, 16, 0x90000000u);
    EXPECT_TRUE(Unreadable(2));
    IndexRecord r;
    EXPECT_EQ(m_files.ReadIndexStatus(kSlotArtIdx, kSlotArt, 2, r), ReadStatus::Damaged);

    // An entry claiming far more than its stream holds (within the bound of what zlib can
    // inflate to) is unreadable after inflating only what is there; a prefix of it still reads.
    const std::uint32_t packed = LoadLE32(m_good.data() + kEntry0 + kUopEntrySize + 12);
    Patch32(1, 16, packed * 1000);
    EXPECT_TRUE(Unreadable(2));
    ASSERT_TRUE(m_files.ReadIndexRecord(kSlotArtIdx, kSlotArt, 2, r));
    EXPECT_EQ(r.GetLength(), packed * 1000);
    EXPECT_FALSE(m_files.DataFits(kSlotArt, r));
    EXPECT_EQ(Head(2), Counting(32));
}

// A gump's size words are 32 bits in a container; a size no index record can hold makes the
// entry damaged, never a gump of that size cut to 16 bits.
TEST_F(UopContainerTest, GumpSizesPastSixteenBitsAreDamaged) {
    const auto gump = [](std::uint32_t width, std::uint32_t height) {
        std::vector<std::uint8_t> bytes(16);
        StoreLE32(bytes.data(), width);
        StoreLE32(bytes.data() + 4, height);
        return bytes;
    };
    m_dir.Write("gumpartLegacyMUL.uop", WriteUopContainer(*FindUopKind(kSlotGumpArt),
                                                          {{0, gump(3, 1), false},
                                                           {1, gump(0x10003, 1), false},
                                                           {2, gump(3, 0x10001), false}},
                                                          4));
    m_files.CloseAll();
    IndexRecord r;
    EXPECT_EQ(m_files.ReadIndexStatus(kSlotGumpIdx, kSlotGumpArt, 0, r), ReadStatus::Ok);
    EXPECT_EQ(r.m_wExtra2, 3);
    EXPECT_EQ(r.m_wExtra1, 1);
    for (std::uint32_t n : {1u, 2u}) {
        EXPECT_EQ(m_files.ReadIndexStatus(kSlotGumpIdx, kSlotGumpArt, n, r), ReadStatus::Damaged)
            << n;
    }
    // The .mul form lists them as damaged, never writing them with their sizes cut to 16 bits.
    TempDir out;
    EXPECT_EQ(
        ConvertClientFiles(m_files, out.File("mul"), false, test::FormOptions(ClientForm::MulPair))
            .written.front()
            .damaged,
        (std::vector<std::uint32_t>{1, 2}));
}

TEST_F(UopContainerTest, MapChunksMakeOneFile) {
    const UopKind& kind = *FindUopKind(kSlotMap0);
    // A stored whole chunk, then a compressed short one: reads across the seam.
    const std::vector<std::uint8_t> map = Counting(kUopMapChunkBytes + 1000);
    const std::vector<std::uint8_t> first(map.begin(), map.begin() + kUopMapChunkBytes);
    const std::vector<std::uint8_t> second(map.begin() + kUopMapChunkBytes, map.end());
    m_dir.Write("map0LegacyMUL.uop",
                WriteUopContainer(kind, {{1, second, true}, {0, first, false}}));
    ASSERT_TRUE(m_files.IsContainerSlot(kSlotMap0));
    IndexRecord seam{kUopMapChunkBytes - 100, 300, 0, 0};
    std::vector<std::uint8_t> bytes(300);
    ASSERT_TRUE(m_files.ReadData(kSlotMap0, seam, bytes));
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), map.begin() + kUopMapChunkBytes - 100));
    IndexRecord end{kUopMapChunkBytes + 900, 100, 0, 0};
    EXPECT_TRUE(m_files.DataFits(kSlotMap0, end));
    end.m_dwLength = 101;
    EXPECT_FALSE(m_files.DataFits(kSlotMap0, end));
    // Chunks kept for reads that come back to them, the budget under one chunk or over both:
    // reads going back and forth over the seam give the same bytes.
    for (const std::uint64_t keep : {std::uint64_t{1}, std::uint64_t{4} * kUopMapChunkBytes}) {
        CQFile file;
        ASSERT_TRUE(file.Open(m_dir.File("map0LegacyMUL.uop").c_str(), 0));
        CUopContainer container(kind, file);
        container.KeepMapChunks(keep);
        const std::uint32_t reads[] = {
            0, kUopMapChunkBytes + 500, 7, kUopMapChunkBytes - 100, kUopMapChunkBytes + 10, 20};
        for (const std::uint32_t at : reads) {
            ASSERT_TRUE(container.ReadData(file, {at, 300, 0, 0}, bytes)) << at;
            EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), map.begin() + at)) << at;
        }
    }
    // A chunk that claims more than a whole chunk counts as one: the map is not made larger
    // than any facet by one damaged length.
    std::vector<std::uint8_t> lying = WriteUopContainer(kind, {{0, first, false}});
    StoreLE32(lying.data() + kEntry0 + 16, 0xFFFFFFFF);
    m_dir.Write("map0LegacyMUL.uop", lying);
    CQFile file;
    ASSERT_TRUE(file.Open(m_dir.File("map0LegacyMUL.uop").c_str(), 0));
    EXPECT_EQ(CUopContainer(kind, file).MapLength(), kUopMapChunkBytes);
    file.Close();

    // Chunks past a missing one are not the map: said by the container and by convert.
    m_dir.Write("map0LegacyMUL.uop",
                WriteUopContainer(kind, {{0, first, false}, {2, second, false}}));
    m_files.CloseAll();
    const std::string says = "container: 1 map chunks are not read, as chunk 1 is missing";
    EXPECT_EQ(m_files.GetContainerError(kSlotMap0), says);
    TempDir out;
    const ConvertResult result =
        ConvertClientFiles(m_files, out.File("mul"), false, test::FormOptions(ClientForm::MulPair));
    const auto map0 = std::find_if(result.written.begin(), result.written.end(),
                                   [](const auto& w) { return KindName(w.spec) == "map 0"; });
    ASSERT_NE(map0, result.written.end());
    EXPECT_EQ(map0->damagedTable, says);

    // A chunk that does not inflate is tried once: its other blocks fail without reading it.
    std::vector<std::uint8_t> broken = WriteUopContainer(kind, {{0, first, true}});
    broken[LoadLE32(broken.data() + kEntry0) + LoadLE32(broken.data() + kEntry0 + 12) / 2] ^= 0xFF;
    m_dir.Write("map0LegacyMUL.uop", broken);
    ASSERT_TRUE(file.Open(m_dir.File("map0LegacyMUL.uop").c_str(), 0));
    for (const std::uint64_t keep : {std::uint64_t{0}, std::uint64_t{kUopMapChunkBytes}}) {
        CUopContainer container(kind, file);
        container.KeepMapChunks(keep);
        EXPECT_FALSE(container.ReadData(file, {0, 196, 0, 0}, bytes));
        file.Seek(0, CQFile::begin);
        EXPECT_FALSE(container.ReadData(file, {196 * 4000, 196, 0, 0}, bytes));
        EXPECT_EQ(file.GetPosition(), 0u);
    }
}

}  // namespace
}  // namespace tessaly
