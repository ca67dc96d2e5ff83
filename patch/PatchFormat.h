#pragma once
// The ".pat" patch file format: replacement data blocks keyed by client file id and block index.
//
// File:    0  u32  record count
//          4  u16  format mark: 0xBEEF current format, 28 old format
//          6  ...  the records, one after the other, nothing after the last
// Record:  0  u8   type: the client file id of the block; only the low 6 bits order and find
//                  records, the two high bits are kept as read
//          1  u32  block index
//          5  u32  data length in bytes
//          9  ...  data
//
// Old-format files store, for a record whose whole type byte is 2 ("statics0.mul"), the number
// of 7-byte static items instead of the byte count; reading turns it into bytes. Files are
// always written in the current format.

#include "Bytes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaly {

inline constexpr std::uint16_t kPatchMarkCurrent = 0xBEEF;
inline constexpr std::uint16_t kPatchMarkOld = 28;
inline constexpr std::size_t kPatchFileHeaderSize = 6;
inline constexpr std::uint8_t kPatchTypeMask = 63;
inline constexpr std::uint8_t kPatchTypeMulti = 14;
inline constexpr std::uint8_t kPatchTypeHues = 32;
inline constexpr std::uint8_t kPatchTypeStatics = 2;
inline constexpr std::uint32_t kOldStaticItemSize = 7;

// The 9-byte header in front of every record's data.
struct PatchRecordHeader {
    static constexpr std::size_t kSize = 9;

    std::uint8_t nType = 0;
    std::uint32_t nIndex = 0;
    std::uint32_t nLength = 0;

    bool Read(ByteReader& reader) {
        return reader.u8(nType) && reader.u32(nIndex) && reader.u32(nLength);
    }
    void Write(ByteWriter& writer) const { writer.u8(nType).u32(nIndex).u32(nLength); }
};
static_assert(PatchRecordHeader::kSize == 1 + 4 + 4, "packed record header");

// One record of a record buffer whose lengths are byte counts.
struct PatchRecordView {
    std::size_t nOffset = 0;  // of the record header within the buffer
    PatchRecordHeader header;
    ByteSpan data;

    // The pair records are ordered and found by: (type & 63, block index).
    std::uint64_t Key() const {
        return (std::uint64_t{static_cast<std::uint8_t>(header.nType & kPatchTypeMask)} << 32) |
               header.nIndex;
    }
    // The whole record, header and data.
    std::size_t Size() const { return PatchRecordHeader::kSize + data.size(); }
};

// Calls f(view) for each of the first `count` records of `records` until f answers false.
// Answers false when a record does not fit in the buffer (nothing past it is visited).
template <typename F>
bool ForEachPatchRecord(ByteSpan records, std::uint32_t count, F&& f) {
    ByteReader reader(records);
    for (std::uint32_t i = 0; i < count; ++i) {
        PatchRecordView view;
        view.nOffset = reader.pos();
        if (!view.header.Read(reader)) {
            return false;
        }
        auto data = reader.bytes(view.header.nLength);
        if (!data) {
            return false;
        }
        view.data = *data;
        if (!f(static_cast<const PatchRecordView&>(view))) {
            break;
        }
    }
    return true;
}

enum class PatchFileFault {
    None,
    ShortHeader,    // fewer than 6 bytes
    BadMark,        // the mark is neither 0xBEEF nor 28
    RecordPastEnd,  // a record's header or data runs past the end (count larger than the records)
    CountPastSize,  // the count is more than the file could hold even of bare record headers
    TrailingBytes,  // bytes after the last counted record
};

// A ".pat" file as read: the records with byte lengths, or the fault that refuses the file.
struct PatchFileContents {
    PatchFileFault nFault = PatchFileFault::None;
    std::uint16_t nMark = 0;
    std::uint32_t nCount = 0;           // records in `records` (of a faulty file: the header's)
    std::uint32_t nGoodRecords = 0;     // records that were whole before a fault
    std::uint32_t nRepeated = 0;        // records left out for a later one of their file and block
    bool bReordered = false;            // the file's records were not in ascending order
    std::vector<std::uint8_t> records;  // filled only for a well-formed file, in ascending order

    bool IsValid() const { return nFault == PatchFileFault::None; }
    bool IsOldFormat() const { return nMark == kPatchMarkOld; }
    // One line saying what is wrong, or that the file is well formed.
    std::string Describe() const;
};

// Checks and reads a whole ".pat" file. Every record must fit in the file and the counted records
// must end exactly at its end; old-format statics lengths become byte counts. The records come
// back in ascending order of (type & 63, block index), as this program writes them and finds
// them, one for each pair: of records of the same pair, the later in the file is kept (as in
// "verdata.mul"), so every reader of the file takes the same record.
PatchFileContents ReadPatchFile(ByteSpan file);

// The bytes of a current-format file holding `count` records.
std::vector<std::uint8_t> WritePatchFile(std::uint32_t count, ByteSpan records);

}  // namespace tessaly
