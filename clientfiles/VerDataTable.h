#pragma once
// The "verdata.mul" patch table: load, sort, search, save.
//
// File layout (little-endian):
//   0        u32        record count N
//   4        N * 20     CUOVersionBlock records, in the order written
//   4+20N    ...        data stretches addressed by the records' offsets

#include "Bytes.h"
#include "QArray.h"
#include "QFile.h"
#include "SafeSave.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tessaly {

struct IndexRecord;

// One patch record:
//   0 u32 file id   4 u32 block   8 u32 offset   12 u32 length (0 = entry deleted)
//   16 u16 extra 1  18 u16 extra 2
struct CUOVersionBlock {
    static constexpr std::size_t kSize = 20;
    static constexpr std::uint32_t kMaxFileId = 63;         // file ids fit in 6 bits
    static constexpr std::uint32_t kBlockLimit = 1u << 26;  // blocks fit in 26 bits

    std::uint32_t m_dwFileId;
    std::uint32_t m_dwBlock;
    std::uint32_t m_dwOffset;
    std::uint32_t m_dwLength;
    std::uint16_t m_wExtra1;
    std::uint16_t m_wExtra2;

    // file id << 26 | block.
    static std::uint32_t MakeKey(std::uint32_t fileId, std::uint32_t block) {
        return (fileId << 26) | block;
    }
    std::uint32_t GetKey() const { return MakeKey(m_dwFileId, m_dwBlock); }

    bool Read(ByteReader& in);
    void Write(ByteWriter& out) const;
};

class CVerDataTable : public CQTypedArray<CUOVersionBlock> {
public:
    // The most records a table holds: several for every entry of every client file. A file
    // with room for more (a sparse file of gigabytes) is refused.
    static constexpr std::uint64_t kMaxRecords = std::uint64_t{1} << 24;

    // Fills an empty table from an open patch file and sorts it; does nothing when the table
    // holds records or the file is not open. The table never holds more records than the file
    // has bytes for. Raises CTarnError "VerData: Read Qty" (2, -1) when the count cannot be
    // read, "VerData: Read" (2, E_FAIL) when records are announced but none are there, and
    // "VerData: Too many records" (2, E_FAIL) when the file has room for more than kMaxRecords.
    void Load(CQFile& file);
    // The same over the bytes of a whole patch file (used by tools and the fuzzer).
    void LoadBytes(ByteSpan file);

    // Halving search over the sorted table. On a hit fills record (offset, length with bit 31
    // set, extra words) and answers true. Of records with the same key, the later one in the
    // file wins.
    bool FindRecord(std::uint32_t fileId, std::uint32_t block, IndexRecord& record) const;

    // Sorts records left..right by ascending key in O(n log n) on any order; records with equal
    // keys keep their order.
    void QuickSort(std::int32_t left, std::int32_t right);

private:
    template <typename ReadFn>
    void LoadRecords(std::uint32_t count, std::uint64_t bytesAfterCount, ReadFn&& read);
};

// The process-wide patch table (constructed on first use, lives until exit).
CVerDataTable& TheVerDataTable();

// Writes one patch entry: the entry writes its data at the file's current position and fills
// the record's file id, block and length (and extra words where its kind has them). The
// record arrives with its offset set and extra words 0. False abandons the save.
using VerDataEntryWriter =
    std::function<bool(std::int32_t index, CQFile& file, CUOVersionBlock& record)>;

// The name a patch save's temporary file starts with (SaveReplacing adds a unique ending; an
// unnamed temporary file gets the name only once written), in the target's directory.
inline constexpr const char* kVerDataTempName = "tmpversave.mul";

// Told how many of how many entries a long save has written so far, after each one.
using SaveProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Saves a patch file of `count` entries: the count, the records in entry order, then the data
// stretches in entry order. The target is replaced only when every step succeeded; otherwise
// it is unchanged, no temporary file is left and the answer is false.
bool SaveVerDataFile(const std::string& target, std::int32_t count,
                     const VerDataEntryWriter& writeEntry, CSaveFileOps* ops = nullptr,
                     const SaveProgress& progress = {});

// The index record that points at a patch record's data: its offset, its length with bit 31
// set (the data lies in the patch file) and its extra words.
IndexRecord IndexFromPatch(const CUOVersionBlock& record);

}  // namespace tessaly
