#pragma once
// Tile data records of "tiledata.mul" (slot 30), read one at a time with patch groups (file
// id 30) taking precedence.
//
// File layout:
//   terrain  at 0:       512 groups of 836 bytes: 4-byte header, 32 terrain records of 26 bytes
//   items    at 428032:  groups of 1188 bytes: 4-byte header, 32 item records of 37 bytes
// Newer clients widen the flags of both records to 64 bits (the other fields follow unchanged):
//   terrain  at 0:       512 groups of 964 bytes: 4-byte header, 32 terrain records of 30 bytes
//   items    at 493568:  groups of 1316 bytes: 4-byte header, 32 item records of 41 bytes
// The file's size tells the layouts apart. Group headers are skipped. A patch group is one whole
// group in the file's layout; its block is the group number over both sections (terrain g = g,
// item g = 512 + g).

#include "Bytes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tessaly {

class CClientFiles;

inline constexpr std::uint32_t kTileGroupSize = 32;
inline constexpr std::uint32_t kTerrainGroupCount = 512;
inline constexpr std::uint32_t kTerrainGroupBytes = 4 + 32 * 26;  // 836
inline constexpr std::uint32_t kItemGroupBytes = 4 + 32 * 37;     // 1188
inline constexpr std::uint32_t kItemSectionOffset = kTerrainGroupCount * kTerrainGroupBytes;
inline constexpr std::int32_t kFirstMultiItem = 16384;  // old layout: items from here are multis

enum class TileDataLayout { Old, Newer };

// What a "tiledata.mul" of a given size holds.
struct TileDataShape {
    TileDataLayout layout = TileDataLayout::Old;
    std::uint32_t itemGroups = 0;  // whole item groups the file holds
    bool damaged = false;          // the size fits neither layout: the whole groups are read

    std::uint32_t TerrainSize() const { return layout == TileDataLayout::Old ? 26 : 30; }
    std::uint32_t ItemSize() const { return layout == TileDataLayout::Old ? 37 : 41; }
    std::uint32_t TerrainGroupBytes() const { return 4 + 32 * TerrainSize(); }
    std::uint32_t ItemGroupBytes() const { return 4 + 32 * ItemSize(); }
    std::uint64_t ItemSectionOffset() const {
        return std::uint64_t{kTerrainGroupCount} * TerrainGroupBytes();
    }
    // Items from this number on are multis with made-up records: 16384 in the old layout,
    // in the newer one the items past the file's last group, one the file ends inside counted
    // (16384 at the least).
    std::int32_t FirstMultiItem() const;
    // "old" or "newer (64-bit flags)", with ", damaged" when the size fits neither.
    std::string Describe() const;
};

// Old: 428032 + k x 1188 bytes; newer: 493568 + k x 1316. A size both fit is read as
// `damagedLayout` when given, else as the old layout. Any other size is damaged and read as
// `damagedLayout` when given, else as the old layout while the newer one's terrain part does not
// fit, else as the newer.
TileDataShape DetectTileData(std::uint64_t fileSize,
                             std::optional<TileDataLayout> damagedLayout = std::nullopt);
// Which layout the first terrain groups of a tile data file read as: the one whose records'
// name fields hold more names (printable text, then zeros); nothing on a tie.
std::optional<TileDataLayout> GuessTileDataLayout(ByteSpan head);
// The shape of the file set's "tiledata.mul" (the old layout when it does not open). The layout
// of a damaged file, or of one whose size both layouts fit, is guessed from its first groups
// (GuessTileDataLayout), once for each opened file: a cut old file may be long enough for the
// newer layout's terrain part.
TileDataShape GetTileDataShape(CClientFiles& files);

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

// The bytes of patch block b's group (terrain groups are blocks 0-511, item groups follow) in
// the shape's layout.
std::uint32_t TileGroupBytes(std::uint32_t block, const TileDataShape& shape);
// Why a tile data patch record of that length for block b does not fit the client (a group of
// the other layout would be read with the wrong stride); empty when it fits. Such a record is
// not read: the base file's group stands.
std::string TilePatchMismatch(std::uint32_t length, std::uint32_t block,
                              const TileDataShape& shape);

// The label of flag bit b (0-31), naming it in hexadecimal ("0=FLOOR" ... "1F=WALKABLE").
const char* GetTileFlagLabel(int bit);

// Byte positions of a record in "tiledata.mul".
std::uint64_t TerrainRecordPos(std::uint16_t terrain, const TileDataShape& shape = {});
std::uint64_t ItemRecordPos(std::int32_t item, const TileDataShape& shape = {});

// Terrain record, 26 bytes packed (30 in the newer layout, whose flags are 64 bits):
//   0 u32 flags   4 u16 val4 (carried, not interpreted)   6 char[20] name, zero-padded
struct CTileTerrainInfo {
    static constexpr std::size_t kSize = 26;
    static constexpr std::size_t kNewerSize = 30;

    std::uint32_t m_dwFlags = 0;
    std::uint32_t m_dwFlagsHigh = 0;  // flag bits 32-63 of the newer layout
    std::uint16_t m_wVal4 = 0;
    char m_szName[20] = {};

    // Reads terrain t (patch group first). Raises CTarnError (2, E_FAIL)
    // "CTileTerrainType.ReadInfo: TileData Seek" / "... TileData Read".
    void ReadInfo(std::uint16_t terrain);
    void ReadInfo(std::uint16_t terrain, CClientFiles& files);

    // Fills the record from up to kSize bytes (kNewerSize in the newer layout); the unread
    // tail stays 0.
    void Parse(ByteSpan bytes, TileDataLayout layout = TileDataLayout::Old);
    void Write(ByteWriter& out, TileDataLayout layout = TileDataLayout::Old) const;
    // The name, at most 20 characters (a full-width name has no terminating zero).
    std::string GetName() const;
};

// Item record, 37 bytes packed (41 in the newer layout, whose flags are 64 bits and whose
// other fields follow 4 bytes later):
//   0 u32 flags   4 u8 weight   5 u8 layer   6 u32 val6   10 u32 anim   14 u16 val14
//   16 u8 height  17 char[20] name
struct CTileItemInfo {
    static constexpr std::size_t kSize = 37;
    static constexpr std::size_t kNewerSize = 41;

    std::uint32_t m_dwFlags = 0;
    std::uint32_t m_dwFlagsHigh = 0;  // flag bits 32-63 of the newer layout
    std::uint8_t m_bWeight = 0;
    std::uint8_t m_bLayer = 0;
    std::uint32_t m_dwVal6 = 0;
    std::uint32_t m_dwAnim = 0;
    std::uint16_t m_wVal14 = 0;
    std::uint8_t m_bHeight = 0;
    char m_szName[20] = {};

    // Reads item n (patch group first); items from the shape's FirstMultiItem on get a made-up
    // multi record ("ship" for the first 24, else "structure", weight 255). Raises CTarnError
    // (2, E_FAIL) "CTileItemType.ReadInfo: TileData Seek" / "... TileData Read".
    void ReadInfo(std::int32_t item);
    void ReadInfo(std::int32_t item, CClientFiles& files);

    void Parse(ByteSpan bytes, TileDataLayout layout = TileDataLayout::Old);
    void Write(ByteWriter& out, TileDataLayout layout = TileDataLayout::Old) const;
    std::string GetName() const;
    void SetName(const char* name);

    // The newer layout's own fields, which lie in the bytes of the lumps above (the old layout
    // has the same bytes, but this program shows its lumps whole):
    //   Layer = quality   Val6 = misc u16, unknown u8, quantity u8
    //   Anim = animation u16, unknown u8, hue u8   Val14 = stacking offset u8, value u8
    std::uint8_t GetQuality() const { return m_bLayer; }
    std::uint16_t GetMisc() const { return static_cast<std::uint16_t>(m_dwVal6 & 0xFFFF); }
    std::uint8_t GetQuantity() const { return static_cast<std::uint8_t>(m_dwVal6 >> 24); }
    std::uint16_t GetAnimation() const { return static_cast<std::uint16_t>(m_dwAnim & 0xFFFF); }
    std::uint8_t GetHue() const { return static_cast<std::uint8_t>(m_dwAnim >> 24); }
    std::uint8_t GetStackingOffset() const { return static_cast<std::uint8_t>(m_wVal14 & 0xFF); }
    std::uint8_t GetValue() const { return static_cast<std::uint8_t>(m_wVal14 >> 8); }

    // The numeric fields as shown and edited, in the order of GetTileItemFields(layout).
    std::array<std::uint32_t, 9> GetFields(TileDataLayout layout) const;
    // Sets them (each within its field's largest value); bytes the layout's fields leave out
    // keep their value.
    void SetFields(TileDataLayout layout, const std::array<std::uint32_t, 9>& values);
};

// A numeric field of an item record as shown and edited: its label and largest value.
struct TileItemField {
    const char* label;
    std::uint32_t max;
};
// The old layout's six fields (its 32-bit lumps whole: Weight, Layer, Height, Val6, Anim, Val14)
// or the newer one's nine (Weight, Quality, Height, Misc, Anim, Quantity, Hue, Stacking Offset,
// Value).
std::span<const TileItemField> GetTileItemFields(TileDataLayout layout);

// The bytes a tile data name holds.
inline constexpr std::size_t kTileNameBytes = 20;

}  // namespace tessaly
