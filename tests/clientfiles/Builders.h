#pragma once
// Small builders of client files for the tests.

#include "Bytes.h"
#include "ClientFiles.h"
#include "TempDir.h"
#include "VerDataTable.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessaly::test {

inline std::vector<std::uint8_t> IndexFile(const std::vector<IndexRecord>& records) {
    ByteWriter w;
    for (const IndexRecord& r : records) {
        r.Write(w);
    }
    return w.take();
}

// A patch file: count, records as given (offsets included), then `tail` bytes after them.
inline std::vector<std::uint8_t> PatchFile(const std::vector<CUOVersionBlock>& records,
                                           std::size_t totalSize = 0) {
    ByteWriter w;
    // The count goes in through patch32: GCC 12 warns falsely of an overflow when the first bytes
    // of a vector are inserted here.
    w.zeros(4).patch32(0, static_cast<std::uint32_t>(records.size()));
    for (const CUOVersionBlock& r : records) {
        r.Write(w);
    }
    if (totalSize > w.size()) {
        w.zeros(totalSize - w.size());
    }
    return w.take();
}

// Bytes 0, 1, 2, ... (mod 251) so that every position has a recognisable value.
inline std::vector<std::uint8_t> Counting(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i % 251);
    }
    return bytes;
}

// A client directory of its own, chosen for the file set, with a patch table over slot 22.
class ClientDirTest : public testing::Test {
protected:
    ClientDirTest() { m_files.SetChosenDir(m_dir.Path().string()); }

    void UsePatch(const std::vector<std::uint8_t>& bytes) {
        m_dir.Write("verdata.mul", bytes);
        ASSERT_TRUE(m_files.OpenSlot(kSlotVerData));
        m_table.Load(m_files.GetFile(kSlotVerData));
    }

    TempDir m_dir;
    CVerDataTable m_table;
    CClientFiles m_files{&m_table};
};

// Every entry 0 to count - 1 of a kind read through two file sets: present in both or neither
// (with `emptyIsAbsent`, a record of length 0 counts as absent), with the same length, extra
// words and bytes; more than three present.
inline void ExpectSameEntries(CClientFiles& x, CClientFiles& y, std::int32_t indexSlot,
                              std::int32_t dataSlot, std::uint64_t count,
                              bool emptyIsAbsent = false) {
    int present = 0;
    for (std::uint32_t n = 0; n < count; ++n) {
        IndexRecord r;
        IndexRecord s;
        const bool inX =
            x.ReadIndexRecord(indexSlot, dataSlot, n, r) && (!emptyIsAbsent || r.GetLength() != 0);
        ASSERT_EQ(inX, y.ReadIndexRecord(indexSlot, dataSlot, n, s) &&
                           (!emptyIsAbsent || s.GetLength() != 0))
            << dataSlot << " " << n;
        if (!inX) {
            continue;
        }
        ++present;
        EXPECT_EQ(r.GetLength(), s.GetLength()) << dataSlot << " " << n;
        EXPECT_EQ(r.GetExtra(), s.GetExtra()) << dataSlot << " " << n;
        std::vector<std::uint8_t> bx;
        std::vector<std::uint8_t> by;
        LoadMulData(x, dataSlot, r, bx);
        LoadMulData(y, dataSlot, s, by);
        ASSERT_EQ(bx, by) << dataSlot << " " << n;
    }
    EXPECT_GT(present, 3) << dataSlot;
}

}  // namespace tessaly::test
