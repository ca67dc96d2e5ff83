#pragma once
// Small builders of client files for the tests.

#include "Bytes.h"
#include "ClientFiles.h"
#include "SampleClient.h"
#include "TempDir.h"
#include "VerDataTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <utility>
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

// A file set over one folder with a patch table of its own, empty until LoadPatch.
struct Client {
    explicit Client(const std::filesystem::path& dir) { files.SetChosenDir(dir.string()); }
    // Loads the table from the folder's patch file; false when that file does not open.
    bool LoadPatch() {
        if (!files.OpenSlot(kSlotVerData)) {
            return false;
        }
        table.Load(files.GetFile(kSlotVerData));
        return true;
    }
    CVerDataTable table;
    CClientFiles files{&table};
};

// The older sample client, or with `modern` the newer one in containers.
inline void WriteSample(const std::filesystem::path& dir, bool modern) {
    modern ? mk::WriteModernClient(dir) : mk::WriteSampleClient(dir, false);
}

inline EntryFileOptions FormOptions(ClientForm form) {
    EntryFileOptions options;
    options.form = form;
    return options;
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

// One entry as a client reads it, patch records applied: whether it reads, and its bytes and
// extra words when it does. A record of length 0 (a deletion by a patch record) reads as absent.
struct EntryRead {
    ReadStatus status = ReadStatus::Absent;
    std::vector<std::uint8_t> bytes;
    std::uint32_t extra = 0;
    bool operator==(const EntryRead&) const = default;
};

inline EntryRead ReadEntry(CClientFiles& files, std::int32_t index, std::int32_t data,
                           std::uint32_t n) {
    EntryRead e;
    IndexRecord r;
    e.status = files.ReadIndexStatus(index, data, n, r);
    if (e.status == ReadStatus::Ok && r.GetLength() == 0) {
        e.status = ReadStatus::Absent;
    }
    if (e.status == ReadStatus::Ok) {
        e.extra = r.GetExtra();
        e.bytes.resize(r.GetLength());
        e.status = files.ReadDataStatus(data, r, e.bytes);
    }
    return e;
}

// Every entry of art, gumps and sounds reads the same through both file sets (more than three
// present), and the map of facet 0 block by block to its end.
inline void ExpectSameClient(CClientFiles& x, CClientFiles& y) {
    const std::pair<std::int32_t, std::int32_t> kinds[] = {
        {kSlotArtIdx, kSlotArt}, {kSlotGumpIdx, kSlotGumpArt}, {kSlotSoundIdx, kSlotSound}};
    for (const auto& [index, data] : kinds) {
        int present = 0;
        for (std::uint32_t n = 0; n < std::max(x.GetIndexCount(index), y.GetIndexCount(index));
             ++n) {
            const EntryRead e = ReadEntry(x, index, data, n);
            ASSERT_EQ(e, ReadEntry(y, index, data, n)) << data << " " << n;
            present += e.status == ReadStatus::Ok;
        }
        EXPECT_GT(present, 3) << data;
    }
    std::uint32_t blocks = 0;
    for (std::vector<std::uint8_t> bx(196), by(196);; ++blocks) {
        const IndexRecord block{blocks * 196, 196, 0, 0};
        const bool inX = x.ReadData(kSlotMap0, block, bx);
        ASSERT_EQ(inX, y.ReadData(kSlotMap0, block, by)) << blocks;
        if (!inX) {
            break;
        }
        ASSERT_EQ(bx, by) << blocks;
    }
    EXPECT_GE(blocks, 1024u);
}

}  // namespace tessaly::test
