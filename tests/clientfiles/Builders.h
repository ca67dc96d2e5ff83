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

}  // namespace tessaly::test
