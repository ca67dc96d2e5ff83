#pragma once
// Item and terrain pictures of "art.mul".

#include "ClientFiles.h"
#include "MulBlock.h"
#include "Surface.h"

#include <cstdint>
#include <memory>

namespace tessaly {

struct CTileItemInfo;
struct CTileTerrainInfo;

// Item picture: "art.mul" entry number + kArtItemBase.
//   words 0-1  header (not used)
//   word  2    width        word 3  height
//   words 4 .. 4 + height - 1   row table: row r's data starts at word 4 + height + entry r
//   row data   pairs (x step, run length) each followed by run-length pixel words; a pair
//              with run length 0 ends the row
class CTileItemType : public CMulImageType {
public:
    static constexpr std::uint32_t kIndexBase = kArtItemBase;

    explicit CTileItemType(std::uint32_t entry, CClientFiles& files = TheClientFiles());
    ~CTileItemType() override;

    bool Load() override;
    // Width and height words of the loaded block (0 when they are not there).
    std::uint32_t GetWidth() const;
    std::uint32_t GetHeight() const;
    // Draws the picture with its top-left corner at (x, y). False when nothing was drawn.
    bool Draw(CSurfaceDCData& surface, std::int32_t x, std::int32_t y);
    // The item's tile data record, read on the first call and kept.
    CTileItemInfo* GetTileData();

    // Decodes an item block onto the surface. Rows whose table entry or data do not lie wholly
    // inside the block are left out; the rows that fit are drawn.
    static bool DrawData(CSurfaceDCData& surface, ByteSpan data, std::int32_t x, std::int32_t y);

private:
    std::unique_ptr<CTileItemInfo> m_pTileData;
};

// Terrain tile: "art.mul" entry number (16-bit), 1012 pixel words forming a 44 x 44 diamond.
// Rows 0-21 hold 2, 4, .., 44 pixels, rows 22-43 hold 44, 42, .., 2; row k starts at column
// x - k (k < 22) or x - (43 - k).
class CTileTerrainType : public CMulImageType {
public:
    static constexpr std::int32_t kSize = 44;
    // The "no draw" tile that marks holes in the map: it is never shown.
    static constexpr std::uint32_t kNoDrawTile = 2;
    static constexpr std::uint32_t kPixelCount = 1012;

    explicit CTileTerrainType(std::uint32_t entry, CClientFiles& files = TheClientFiles());
    ~CTileTerrainType() override;

    bool Load() override;
    // Draws the diamond; its visibility box is x - 22 .. x + 21, its pixels x - 21 .. x + 22.
    bool Draw(CSurfaceDCData& surface, std::int32_t x, std::int32_t y);
    CTileTerrainInfo* GetTileData();

    // Decodes a terrain block; rows past the end of a short block are left out.
    static bool DrawData(CSurfaceDCData& surface, ByteSpan data, std::int32_t x, std::int32_t y);

private:
    std::unique_ptr<CTileTerrainInfo> m_pTileData;
};

}  // namespace tessaly
