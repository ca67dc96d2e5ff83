// The patch table: load, sort, search and the save procedure.

#include "Builders.h"
#include "ClientFiles.h"
#include "Raised.h"
#include "TarnError.h"
#include "TempDir.h"
#include "VerDataTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

namespace tessaly {
namespace {

using test::PatchFile;
using test::TempDir;

class VerDataTableTest : public testing::Test {
protected:
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

TEST_F(VerDataTableTest, EmptyAndUnreadableFiles) {
    Load(PatchFile({}));
    EXPECT_EQ(m_table.GetCount(), 0);
    IndexRecord record;
    EXPECT_FALSE(m_table.FindRecord(4, 3, record));

    EXPECT_EQ(LoadError({}), "VerData: Read Qty");
    EXPECT_EQ(m_table.GetCount(), 0);
    EXPECT_EQ(LoadError({5, 0, 0, 0}), "VerData: Read");  // five announced, none there

    // A closed file, or a table that already holds records, is left alone.
    CQFile closed;
    m_table.Load(closed);
    Load(PatchFile({{4, 3, 0, 0, 0, 0}}));
    CQFile other;
    other.Open(m_dir.Write("other.mul", PatchFile({})).c_str(), 0);
    m_table.Load(other);
    EXPECT_EQ(m_table.GetCount(), 1);
}

TEST_F(VerDataTableTest, CountIsNeverTrustedBeyondTheBytesPresent) {
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
                    {4, 16384, 1, 0, 0, 0},
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
              (std::vector<std::uint32_t>{5, 4, 0x100, 1, 0x400, 0x300, 0x200, 0x500, 0x280, 2}));
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
        for (std::size_t i = 0; i < records.size(); ++i) {
            auto n = static_cast<std::uint32_t>(i);
            std::uint32_t block = pattern == 0   ? random() % 5000
                                  : pattern == 1 ? n
                                  : pattern == 2 ? 50000 - n
                                                 : 7;
            records[i] = {static_cast<std::uint32_t>(random() % 33), block, n, 0, 0, 0};
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

// Entries of a document as the save sees them: data bytes plus file id and block.
struct Entry {
    std::uint32_t fileId;
    std::uint32_t block;
    std::vector<std::uint8_t> data;
};

VerDataEntryWriter WriterFor(const std::vector<Entry>& entries) {
    return [&entries](std::int32_t i, CQFile& file, CUOVersionBlock& record) {
        const Entry& e = entries[static_cast<std::size_t>(i)];
        file.Write(e.data.data(), static_cast<std::uint32_t>(e.data.size()));
        record.m_dwFileId = e.fileId;
        record.m_dwBlock = e.block;
        record.m_dwLength = static_cast<std::uint32_t>(e.data.size());
        record.m_wExtra1 = static_cast<std::uint16_t>(i + 1);
        return true;
    };
}

TEST_F(VerDataTableTest, SaveWritesCountRecordsAndDataInEntryOrder) {
    std::string target = m_dir.File("out.mul");
    EXPECT_TRUE(SaveVerDataFile(target, 0, WriterFor({})));
    EXPECT_EQ(TempDir::ReadFile(target), PatchFile({}));

    std::vector<Entry> entries = {{30, 600, {1, 2, 3}}, {4, 3, {}}, {2, 512, {9, 8, 7, 6, 5}}};
    ASSERT_TRUE(SaveVerDataFile(target, 3, WriterFor(entries)));
    std::vector<std::uint8_t> expected =
        PatchFile({{30, 600, 64, 3, 1, 0}, {4, 3, 67, 0, 2, 0}, {2, 512, 67, 5, 3, 0}});
    expected.insert(expected.end(), {1, 2, 3, 9, 8, 7, 6, 5});
    EXPECT_EQ(TempDir::ReadFile(target), expected);
    EXPECT_FALSE(std::filesystem::exists(m_dir.File(kVerDataTempName)));
}

// Entries written in pieces of every size, some past the save's write buffer: each starts where
// its record says, the file tells each entry where it stands, and the progress follows.
TEST_F(VerDataTableTest, SaveKeepsOffsetsAcrossLargeAndSmallEntriesAndTellsItsProgress) {
    const std::vector<std::size_t> sizes = {3, CQBufferedFile::kBufferSize + 5, 0,
                                            7, CQBufferedFile::kBufferSize - 2, 1};
    std::string target = m_dir.File("big.mul");
    std::vector<std::pair<std::uint64_t, std::uint64_t>> steps;
    auto writer = [&](std::int32_t i, CQFile& file, CUOVersionBlock& record) {
        const std::size_t n = sizes[static_cast<std::size_t>(i)];
        EXPECT_EQ(file.GetPosition(), record.m_dwOffset) << i;
        std::vector<std::uint8_t> data(n, static_cast<std::uint8_t>(i + 1));
        // The first half in one piece, the rest byte by byte.
        file.Write(data.data(), static_cast<std::uint32_t>(n / 2));
        for (std::size_t k = n / 2; k < n && k < n / 2 + 16; ++k) {
            file.Write(&data[k], 1);
        }
        if (n > n / 2 + 16) {
            file.Write(data.data() + n / 2 + 16, static_cast<std::uint32_t>(n - n / 2 - 16));
        }
        EXPECT_EQ(file.GetPosition(), record.m_dwOffset + n) << i;
        record = {
            4, static_cast<std::uint32_t>(i), record.m_dwOffset, static_cast<std::uint32_t>(n), 0,
            0};
        return true;
    };
    ASSERT_TRUE(SaveVerDataFile(
        target, static_cast<std::int32_t>(sizes.size()), writer, nullptr,
        [&](std::uint64_t done, std::uint64_t total) { steps.emplace_back(done, total); }));
    std::vector<CUOVersionBlock> records;
    std::vector<std::uint8_t> data;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> expectedSteps;
    for (std::uint32_t i = 0; i < sizes.size(); ++i) {
        records.push_back({4, i, static_cast<std::uint32_t>(4 + 20 * sizes.size() + data.size()),
                           static_cast<std::uint32_t>(sizes[i]), 0, 0});
        data.insert(data.end(), sizes[i], static_cast<std::uint8_t>(i + 1));
        expectedSteps.emplace_back(i + 1, sizes.size());
    }
    std::vector<std::uint8_t> expected = PatchFile(records);
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(TempDir::ReadFile(target), expected);
    EXPECT_EQ(steps, expectedSteps);
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
