// The patch table: load, sort, search and the save procedure.

#include "Builders.h"
#include "Raised.h"
#include "TarnError.h"

#include <random>
#include <tuple>

namespace tessaly {
namespace {

using test::PatchFile;
using test::TempDir;

struct VerDataTableTest : testing::Test {
    // Loads the bytes both through a file and from memory; both must agree.
    void Load(const std::vector<std::uint8_t>& bytes) {
        CQFile file;
        ASSERT_TRUE(file.Open(m_dir.Write("verdata.mul", bytes).c_str(), 0));
        m_table.RemoveAll();
        m_table.Load(file);
        CVerDataTable fromBytes;
        fromBytes.LoadBytes(bytes);
        ASSERT_EQ(fromBytes.GetCount(), m_table.GetCount());
        for (std::int32_t i = 0; i < m_table.GetCount(); ++i) {
            EXPECT_EQ(fromBytes[i].GetKey(), m_table[i].GetKey());
        }
    }
    // What loading the bytes raises ("" when nothing).
    std::string LoadError(const std::vector<std::uint8_t>& bytes) {
        CQFile file;
        file.Open(m_dir.Write("verdata.mul", bytes).c_str(), 0);
        m_table.RemoveAll();
        return test::RaisedBy([&] { m_table.Load(file); }).sDescription;
    }

    TempDir m_dir;
    CVerDataTable m_table;
};

// Empty and unreadable files give nothing; a count is never trusted beyond the bytes present.
TEST_F(VerDataTableTest, EmptyUnreadableAndLyingFilesLoadOnlyWhatTheyHold) {
    Load(PatchFile({}));
    EXPECT_EQ(m_table.GetCount(), 0);
    IndexRecord record;
    EXPECT_FALSE(m_table.FindRecord(4, 3, record));

    EXPECT_EQ(LoadError({}), "VerData: Read Qty");
    EXPECT_EQ(LoadError({5, 0, 0, 0}), "VerData: Read");  // five announced, none there

    // A closed file, or a table that already holds records, is left alone.
    CQFile closed;
    m_table.Load(closed);
    Load(PatchFile({{4, 3, 0, 0, 0, 0}}));
    CQFile other;
    other.Open(m_dir.Write("other.mul", PatchFile({})).c_str(), 0);
    m_table.Load(other);
    EXPECT_EQ(m_table.GetCount(), 1);

    std::vector<std::uint8_t> bytes(100, 0);
    StoreLE32(bytes.data(), 0xFFFFFFFFu);
    Load(bytes);
    EXPECT_EQ(m_table.GetCount(), 4);  // 96 bytes hold four whole records

    bytes.resize(4 + 20 + 7);  // one record and a fragment
    StoreLE32(bytes.data() + 4, 30);
    Load(bytes);
    ASSERT_EQ(m_table.GetCount(), 1);
    EXPECT_EQ(m_table[0].m_dwFileId, 30u);

    // A count cut short reads as the bytes present.
    EXPECT_EQ(LoadError({0, 0}), "");
    EXPECT_EQ(m_table.GetCount(), 0);

    // A sparse file with room for more records than any client addresses is refused before
    // anything is allocated for it.
    const std::string sparse = m_dir.Write("sparse.mul", {0xFF, 0xFF, 0xFF, 0xFF});
    std::filesystem::resize_file(sparse, 4 + (CVerDataTable::kMaxRecords + 1) * 20);
    CQFile file;
    ASSERT_TRUE(file.Open(sparse.c_str(), 0));
    m_table.RemoveAll();
    EXPECT_THROW(m_table.Load(file), CTarnError);
    EXPECT_EQ(m_table.GetCount(), 0);
}

// Records are sorted by file, then block; of the records with one key the later in the file wins
// and the table keeps their order.
TEST_F(VerDataTableTest, RecordsSortByFileThenBlockAndFindFillsAPatchIndexRecordWithoutAliasing) {
    Load(PatchFile({{12, 9, 0x300, 6, 0, 0},
                    {4, 3, 0x100, 77, 0x1111, 0x2222},
                    {12, 9, 0x200, 5, 0, 0},
                    {12, 9, 0x500, 5, 0, 0},
                    {32, 0, 2, 0, 0, 0},
                    {8, 2, 0x400, 0, 0, 0},
                    {0, 0x3FFFFFF, 4, 0, 0, 0},
                    {12, 9, 0x280, 5, 0, 0},
                    {0, 5, 5, 0, 0, 0}}));
    std::vector<std::uint32_t> offsets;
    for (const CUOVersionBlock& r : m_table) {
        offsets.push_back(r.m_dwOffset);
    }
    EXPECT_EQ(offsets,
              (std::vector<std::uint32_t>{5, 4, 0x100, 0x400, 0x300, 0x200, 0x500, 0x280, 2}));

    IndexRecord record;
    ASSERT_TRUE(m_table.FindRecord(4, 3, record));
    EXPECT_EQ(record, (IndexRecord{0x100, 0x80000000u | 77, 0x1111, 0x2222}));
    ASSERT_TRUE(m_table.FindRecord(12, 9, record));
    EXPECT_EQ(record.m_dwOffset, 0x280u);
    ASSERT_TRUE(m_table.FindRecord(8, 2, record));
    EXPECT_EQ(record.m_dwLength, 0x80000000u);
    EXPECT_FALSE(m_table.FindRecord(4, 4, record));
    EXPECT_FALSE(m_table.FindRecord(33, 3, record));

    // Blocks that overflow do not alias other files: block 2^26 of file 3 has the key of block 0
    // of file 4.
    Load(PatchFile({{3, 1u << 26, 0x10, 1, 0, 0}}));
    EXPECT_FALSE(m_table.FindRecord(4, 0, record));
    EXPECT_FALSE(m_table.FindRecord(3, 1u << 26, record));
    EXPECT_FALSE(m_table.FindRecord(64, 0, record));
}

TEST_F(VerDataTableTest, SortHandlesLargeAndAdversarialTables) {
    std::mt19937 random(7);
    for (int pattern = 0; pattern < 4; ++pattern) {
        std::vector<CUOVersionBlock> records(50000);
        for (std::uint32_t n = 0; n < records.size(); ++n) {
            // Random, ascending, descending and all alike.
            const std::uint32_t blocks[] = {static_cast<std::uint32_t>(random() % 5000), n,
                                            50000 - n, 7};
            records[n] = {static_cast<std::uint32_t>(random() % 33), blocks[pattern], n, 0, 0, 0};
        }

        Load(PatchFile(records));
        ASSERT_EQ(m_table.GetCount(), 50000);
        EXPECT_TRUE(std::is_sorted(m_table.begin(), m_table.end(),
                                   [](const CUOVersionBlock& a, const CUOVersionBlock& b) {
                                       return a.GetKey() < b.GetKey();
                                   }));
        for (const CUOVersionBlock& r : records) {
            IndexRecord found;
            ASSERT_TRUE(m_table.FindRecord(r.m_dwFileId, r.m_dwBlock, found));
        }
    }
}

// Entries of a document as the save sees them: file id, block and data bytes.
using Entry = std::tuple<std::uint32_t, std::uint32_t, std::vector<std::uint8_t>>;

VerDataEntryWriter WriterFor(const std::vector<Entry>& entries) {
    return [&entries](std::int32_t i, CQFile& file, CUOVersionBlock& record) {
        const auto& [fileId, block, data] = entries[static_cast<std::size_t>(i)];
        file.Write(data.data(), static_cast<std::uint32_t>(data.size()));
        record.m_dwFileId = fileId;
        record.m_dwBlock = block;
        record.m_dwLength = static_cast<std::uint32_t>(data.size());
        record.m_wExtra1 = static_cast<std::uint16_t>(i + 1);
        return true;
    };
}

// One entry passes the save's write buffer: each still starts where its record says, and the
// progress follows the entries.
TEST_F(VerDataTableTest, SaveWritesCountRecordsAndDataInEntryOrderAndTellsItsProgress) {
    std::string target = m_dir.File("out.mul");
    EXPECT_TRUE(SaveVerDataFile(target, 0, WriterFor({})));
    EXPECT_EQ(TempDir::ReadFile(target), PatchFile({}));

    const std::vector<std::uint8_t> large(CQBufferedFile::kBufferSize + 5, 4);
    std::vector<Entry> entries = {
        {30, 600, {1, 2, 3}}, {4, 3, {}}, {2, 512, large}, {2, 9, {9, 8}}};
    std::vector<std::pair<std::uint64_t, std::uint64_t>> steps;
    ASSERT_TRUE(SaveVerDataFile(
        target, 4, WriterFor(entries), nullptr,
        [&](std::uint64_t done, std::uint64_t total) { steps.emplace_back(done, total); }));
    const auto size = static_cast<std::uint32_t>(large.size());
    std::vector<std::uint8_t> expected = PatchFile({{30, 600, 84, 3, 1, 0},
                                                    {4, 3, 87, 0, 2, 0},
                                                    {2, 512, 87, size, 3, 0},
                                                    {2, 9, 87 + size, 2, 4, 0}});
    expected.insert(expected.end(), {1, 2, 3});
    expected.insert(expected.end(), large.begin(), large.end());
    expected.insert(expected.end(), {9, 8});
    EXPECT_EQ(TempDir::ReadFile(target), expected);
    EXPECT_EQ(steps, (decltype(steps){{1, 4}, {2, 4}, {3, 4}, {4, 4}}));
    EXPECT_FALSE(std::filesystem::exists(m_dir.File(kVerDataTempName)));
}

TEST_F(VerDataTableTest, RefusedEntryFailsTheSaveAndAnOpenReaderDoesNot) {
    std::vector<std::uint8_t> old = PatchFile({{4, 3, 24, 1, 0, 0}}, 25);
    std::string target = m_dir.Write("patch.mul", old);
    std::vector<Entry> entries = {{4, 1, {1, 2}}, {4, 2, {3}}};
    auto refuses = [](std::int32_t i, CQFile&, CUOVersionBlock&) { return i == 0; };
    EXPECT_FALSE(SaveVerDataFile(target, 2, refuses));
    EXPECT_EQ(TempDir::ReadFile(target), old);
    EXPECT_FALSE(std::filesystem::exists(m_dir.File(kVerDataTempName)));

    // The patch file open for reading (as slot 22 holds it) does not stop a save.
    CQFile reader;
    ASSERT_TRUE(reader.Open(target.c_str(), CQFile::shareDenyWrite));
    EXPECT_TRUE(SaveVerDataFile(target, 2, WriterFor(entries)));
    EXPECT_EQ(TempDir::ReadFile(target).size(), 4u + 40 + 3);
}

}  // namespace
}  // namespace tessaly
