#pragma once
// Tile data records of "tiledata.mul" (slot 30), read one at a time with patch groups (file
// id 30) taking precedence.
//
// File layout:
//   terrain  at 0:       512 groups of 836 bytes: 4-byte header, 32 terrain records of 26 bytes
//   items    at 428032:  groups of 1188 bytes: 4-byte header, 32 item records of 37 bytes
// Group headers are skipped. A patch group is one whole group in this layout; its block is the
// group number over both sections (terrain g = g, item g = 512 + g).

#include "Bytes.h"

#include <cstdint>
#include <string>

namespace tessaly {

class CClientFiles;

inline constexpr std::uint32_t kTileGroupSize = 32;
inline constexpr std::uint32_t kTerrainGroupCount = 512;
inline constexpr std::uint32_t kTerrainGroupBytes = 4 + 32 * 26;  // 836
inline constexpr std::uint32_t kItemGroupBytes = 4 + 32 * 37;     // 1188
inline constexpr std::uint32_t kItemSectionOffset = kTerrainGroupCount * kTerrainGroupBytes;
inline constexpr std::int32_t kFirstMultiItem = 16384;  // items from here on are multis

// Tile flag bits.
enum : std::uint32_t {
    kTileFloor = 1u << 0,
    kTileEquip = 1u << 1,
    kTileNonBlocking = 1u << 2,
    kTileLiquid = 1u << 3,
    kTileWall = 1u << 4,
    kTileDamage = 1u << 5,
    kTileBlock = 1u << 6,
    kTileWater = 1u << 7,
    kTilePlatform = 1u << 9,
    kTileClimbable = 1u << 10,
    kTileStackable = 1u << 11,
    kTileWindow = 1u << 12,
    kTileWall2 = 1u << 13,
    kTileArticleA = 1u << 14,
    kTileArticleAn = 1u << 15,
    kTileDescription = 1u << 16,
    kTileTransparent = 1u << 17,
    kTileCloth = 1u << 18,
    kTileMap = 1u << 20,
    kTileContainer = 1u << 21,
    kTileEquip2 = 1u << 22,
    kTileLight = 1u << 23,
    kTileAnim = 1u << 24,
    kTileBodyItem = 1u << 27,
    kTileRoof = 1u << 28,
    kTileDoor = 1u << 29,
    kTileStairs = 1u << 30,
    kTileWalkable = 1u << 31,
};

// The label of flag bit b (0-31), naming it in hexadecimal ("0=FLOOR" ... "1F=WALKABLE").
const char* GetTileFlagLabel(int bit);

// Byte positions of a record in "tiledata.mul".
std::uint64_t TerrainRecordPos(std::uint16_t terrain);
std::uint64_t ItemRecordPos(std::int32_t item);

// Terrain record, 26 bytes packed:
//   0 u32 flags   4 u16 val4 (carried, not interpreted)   6 char[20] name, zero-padded
struct CTileTerrainInfo {
    static constexpr std::size_t kSize = 26;

    std::uint32_t m_dwFlags = 0;
    std::uint16_t m_wVal4 = 0;
    char m_szName[20] = {};

    // Reads terrain t (patch group first). Raises CTarnError (2, E_FAIL)
    // "CTileTerrainType.ReadInfo: TileData Seek" / "... TileData Read".
    void ReadInfo(std::uint16_t terrain);
    void ReadInfo(std::uint16_t terrain, CClientFiles& files);

    // Fills the record from up to kSize bytes; the unread tail stays 0.
    void Parse(ByteSpan bytes);
    void Write(ByteWriter& out) const;
    // The name, at most 20 characters (a full-width name has no terminating zero).
    std::string GetName() const;
};

// Item record, 37 bytes packed:
//   0 u32 flags   4 u8 weight   5 u8 layer   6 u32 val6   10 u32 anim   14 u16 val14
//   16 u8 height  17 char[20] name
struct CTileItemInfo {
    static constexpr std::size_t kSize = 37;

    std::uint32_t m_dwFlags = 0;
    std::uint8_t m_bWeight = 0;
    std::uint8_t m_bLayer = 0;
    std::uint32_t m_dwVal6 = 0;
    std::uint32_t m_dwAnim = 0;
    std::uint16_t m_wVal14 = 0;
    std::uint8_t m_bHeight = 0;
    char m_szName[20] = {};

    // Reads item n (patch group first); items from 16384 on get a made-up multi record
    // ("ship" up to 16407, else "structure", weight 255). Raises CTarnError (2, E_FAIL)
    // "CTileItemType.ReadInfo: TileData Seek" / "... TileData Read".
    void ReadInfo(std::int32_t item);
    void ReadInfo(std::int32_t item, CClientFiles& files);

    void Parse(ByteSpan bytes);
    void Write(ByteWriter& out) const;
    std::string GetName() const;
    void SetName(const char* name);
};

}  // namespace tessaly
