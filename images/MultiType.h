#pragma once
// Multis of "multi.mul": arrays of 12-byte component records.

#include "MulBlock.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// One component of a multi, 12 bytes (16 in newer clients, which add one more word):
//   0 u16 item number ("art.mul" item)   2 i16 x offset   4 i16 y offset   6 i16 z offset
//   8 u32 flags   (12 u32 extra, carried unchanged)
struct MultiComponent {
    static constexpr std::size_t kSize = 12;
    static constexpr std::size_t kWideSize = 16;

    std::uint16_t m_wItem = 0;
    std::int16_t m_nX = 0;
    std::int16_t m_nY = 0;
    std::int16_t m_nZ = 0;
    std::uint32_t m_dwFlags = 0;
    std::uint32_t m_dwExtra = 0;

    // recordSize is kSize or kWideSize.
    bool Read(ByteReader& in, std::size_t recordSize = kSize);
    void Write(ByteWriter& out, std::size_t recordSize = kSize) const;
    bool operator==(const MultiComponent&) const = default;
};

// Reads component records of the given size; bytes past the last whole record are ignored.
std::vector<MultiComponent> ParseMultiComponents(ByteSpan bytes,
                                                 std::size_t recordSize = MultiComponent::kSize);
std::vector<std::uint8_t> WriteMultiComponents(const std::vector<MultiComponent>& components,
                                               std::size_t recordSize = MultiComponent::kSize);

// The component record size that index records imply. Of the records with data that lie wholly
// inside a "multi.mul" of dataSize bytes, those whose length is a multiple of 16 and not of 12
// vote for 16, those a multiple of 12 and not of 16 for 12: 16 when it has votes and at least as
// many as 12; else 12. A real file's records all fit its size, so one damaged record does not
// decide. Records reaching past the file do not count: a real old index holds one (length
// 0xFFFFFFFF, offset past the end) that would otherwise make its 12-byte file look 16-byte.
std::size_t MultiRecordSizeOf(std::span<const IndexRecord> records, std::uint64_t dataSize);

// The component record size of the file set's "multi.mul": 16 when "tiledata.mul" has the
// newer layout, else MultiRecordSizeOf the first kRecordSizeProbe base records of "multi.idx"
// (read in one piece). Worked out once per opening of the files.
inline constexpr std::size_t kRecordSizeProbe = 1 << 16;
std::size_t GetMultiRecordSize(CClientFiles& files);

// The most components a multi holds: real ones hold at most a few thousand. A longer entry is
// refused as damaged (the entry reader's kDamagedEntry), without reading it.
inline constexpr std::uint32_t kMaxMultiComponents = 65536;
// Whether `length` bytes of components of `recordSize` bytes are more than any multi holds.
constexpr bool HoldsTooManyComponents(std::uint64_t length, std::size_t recordSize) {
    return length / recordSize > kMaxMultiComponents;
}

// A multi import text file: the line "6 version", three header lines (ignored), then one
// component per line: item number, x, y and z in decimal separated by blanks, the rest of the
// line ignored, a missing number 0; each gets flags 1. Numbers are truncated to 16 bits.
// Imports hold at most kMaxImportComponents components.
inline constexpr std::size_t kMaxImportComponents = 65536;
struct MultiImport {
    std::vector<MultiComponent> components;
    std::string error;  // why nothing was read; empty on success
};
MultiImport ParseMultiImport(std::string_view text);

class CMulMultiType : public CMulBlockType {
public:
    explicit CMulMultiType(std::uint32_t entry, CClientFiles& files = TheClientFiles())
        : CMulBlockType(entry & 0xFFFF, files) {}

    // Loads the block; the component count becomes its length / the file's record size.
    bool Load() override;
    std::uint32_t GetComponentCount() const { return m_nComponents; }
    // The size of the loaded block's component records (12 before loading).
    std::size_t GetRecordSize() const { return m_nRecordSize; }
    // The components, in order.
    std::vector<MultiComponent> GetComponents() const;
    // The 12 bytes of component index, or null when the block is not loaded or the index is
    // not below the count.
    const std::uint8_t* GetComponent(std::uint32_t index);
    // Component index decoded; false in the same cases.
    bool GetComponent(std::uint32_t index, MultiComponent& component);

private:
    std::uint32_t m_nComponents = 0;
    std::size_t m_nRecordSize = MultiComponent::kSize;
};

}  // namespace tessaly
