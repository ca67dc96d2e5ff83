#pragma once
// Map blocks of "map0.mul" (slot 0). The file has no index: block b (numbered like the statics
// blocks, column * 512 + row) is the 196 bytes at b * 196. A patch record with file id 0 and
// block b takes precedence.
//
// Block layout (196 bytes):
//   0  u32 header (not interpreted)
//   4  64 cells of 3 bytes, row by row (y outer, x inner): u16 terrain tile, i8 z

#include "Bytes.h"

#include <array>
#include <cstdint>

namespace tessaly {

class CClientFiles;
struct IndexRecord;

struct CMapCell {
    static constexpr std::size_t kSize = 3;

    std::uint16_t m_wTile = 0;
    std::int8_t m_cZ = 0;

    bool Read(ByteReader& in);
};

class CMapBlock {
public:
    static constexpr std::size_t kCells = 64;
    static constexpr std::size_t kSize = 4 + kCells * CMapCell::kSize;  // 196

    // Loads block b: its patch record when the patch table has one, else the base file. A
    // deleted block (patch record of length 0) leaves the block empty. Raises CTarnError
    // (2, E_FAIL) "CTarnMapBlock: Read fMap0" when the data cannot be read or is short of a
    // whole block.
    void LoadMapBlock(std::uint32_t block);
    void LoadMapBlock(std::uint32_t block, CClientFiles& files);
    // The same from a given record (offset, length; bit 31 = in the patch file).
    void LoadRecord(const IndexRecord& record, CClientFiles& files);

    // Fills the block from bytes; false (block left empty) when they are short of a block.
    // Bytes past the block are ignored.
    bool Parse(ByteSpan bytes);

    bool IsLoaded() const { return m_bLoaded; }
    std::uint32_t GetHeader() const { return m_dwHeader; }
    // Cell (x, y), 0-7 each.
    const CMapCell& GetCell(std::uint32_t x, std::uint32_t y) const {
        return m_Cells.at(y * 8 + x);
    }

private:
    bool m_bLoaded = false;
    std::uint32_t m_dwHeader = 0;
    std::array<CMapCell, kCells> m_Cells{};
};

}  // namespace tessaly
