#pragma once
// The sample client's tiles: item and terrain ids with their names, tile data flags and how
// their pictures are drawn. The tile data generator names and flags them; the art generator
// draws the same ids.

#include "TileData.h"

#include <cstdint>
#include <span>

namespace tessaly::mk {

// How an item's picture is drawn.
enum class DrawKind {
    Wall,
    Floor,
    Crate,
    TreeTrunk,
    TreeLeaves,
    Door,
    Sign,
    Chair,
    Table,
    Barrel,
    Lamp,
    Rock,
    Fence,
    Stairs,
    Roof,
    Window,
    Bush,
    Flower,
    Bed,
    Anvil,
    Chest,
    Column,
    Coins,
    Weapon,
    Clothing,
};

// How a terrain tile's picture is drawn (its base colour family).
enum class TerrainKind { Void, Grass, Dirt, Sand, Water, Rock, Forest, Snow, Swamp, Lava, Cave };

struct SampleItem {
    std::uint16_t id;
    const char* name;
    std::uint32_t flags;
    std::uint8_t height;
    std::uint8_t weight;
    DrawKind kind;
};

struct SampleTerrain {
    std::uint16_t id;
    const char* name;
    std::uint32_t flags;
    TerrainKind kind;
};

inline constexpr std::uint32_t kImpassable = kTileBlock;
inline constexpr std::uint32_t kSurface = kTilePlatform;

inline constexpr SampleItem kSampleItems[] = {
    // Animated items ("animdata.mul" gives their frames): the stone wall runs through the four
    // walls, the floor and the door swing between their two pictures.
    {0x0006, "stone wall", kTileWall | kImpassable | kTileArticleA | kTileAnim, 20, 255,
     DrawKind::Wall},
    {0x0007, "stone wall", kTileWall | kImpassable | kTileArticleA, 20, 255, DrawKind::Wall},
    {0x0008, "wooden wall", kTileWall | kImpassable | kTileArticleA, 20, 255, DrawKind::Wall},
    {0x0009, "wooden wall", kTileWall | kImpassable | kTileArticleA, 20, 255, DrawKind::Wall},
    {0x000A, "window", kTileWall | kImpassable | kTileWindow | kTileArticleA, 20, 255,
     DrawKind::Window},
    {0x0495, "wooden floor", kTileFloor | kSurface | kTileArticleA, 0, 255, DrawKind::Floor},
    {0x0496, "wooden floor", kTileFloor | kSurface | kTileArticleA | kTileAnim, 0, 255,
     DrawKind::Floor},
    {0x0519, "stone floor", kTileFloor | kSurface | kTileArticleA, 0, 255, DrawKind::Floor},
    {0x05D1, "stone stairs", kTileStairs | kSurface | kImpassable | kTileClimbable, 5, 255,
     DrawKind::Stairs},
    {0x05D2, "stone stairs", kTileStairs | kSurface | kImpassable | kTileClimbable, 10, 255,
     DrawKind::Stairs},
    {0x05F5, "shingle roof", kTileRoof | kImpassable, 3, 255, DrawKind::Roof},
    {0x05F6, "shingle roof", kTileRoof | kImpassable, 3, 255, DrawKind::Roof},
    {0x0675, "wooden door", kTileDoor | kImpassable | kTileArticleA | kTileAnim, 20, 255,
     DrawKind::Door},
    {0x0676, "wooden door", kTileDoor | kImpassable | kTileArticleA, 20, 255, DrawKind::Door},
    {0x0821, "wooden fence", kImpassable | kTileArticleA, 10, 255, DrawKind::Fence},
    {0x0822, "wooden fence", kImpassable | kTileArticleA, 10, 255, DrawKind::Fence},
    {0x0B2C, "wooden chair", kTileArticleA, 4, 15, DrawKind::Chair},
    {0x0B2D, "wooden chair", kTileArticleA, 4, 15, DrawKind::Chair},
    {0x0B34, "table", kSurface | kImpassable | kTileArticleA, 6, 255, DrawKind::Table},
    {0x0B35, "table", kSurface | kImpassable | kTileArticleA, 6, 255, DrawKind::Table},
    {0x0A0F, "lantern", kTileLight | kTileArticleA, 2, 2, DrawKind::Lamp},
    {0x0B96, "brass sign", kTileArticleA, 5, 255, DrawKind::Sign},
    {0x0BD2, "sign post", kImpassable | kTileArticleA, 14, 255, DrawKind::Sign},
    {0x0C95, "bush", kTileArticleA | kTileNonBlocking, 4, 255, DrawKind::Bush},
    {0x0C9E, "tree", kImpassable | kTileArticleA, 20, 255, DrawKind::TreeTrunk},
    {0x0C9F, "leaves", kTileArticleAn | kTileTransparent, 20, 255, DrawKind::TreeLeaves},
    {0x0CA8, "tree", kImpassable | kTileArticleA, 20, 255, DrawKind::TreeTrunk},
    {0x0CA9, "leaves", kTileArticleAn | kTileTransparent, 20, 255, DrawKind::TreeLeaves},
    {0x0C83, "flowers", kTileNonBlocking, 1, 255, DrawKind::Flower},
    {0x0E3C, "large crate", kTileContainer | kSurface | kImpassable | kTileArticleA, 10, 8,
     DrawKind::Crate},
    {0x0E3D, "large crate", kTileContainer | kSurface | kImpassable | kTileArticleA, 10, 8,
     DrawKind::Crate},
    {0x0E42, "wooden chest", kTileContainer | kImpassable | kTileArticleA, 6, 15, DrawKind::Chest},
    {0x0E77, "barrel", kTileContainer | kImpassable | kTileArticleA, 8, 25, DrawKind::Barrel},
    {0x0FAF, "anvil", kImpassable | kTileArticleAn, 6, 30, DrawKind::Anvil},
    {0x0A95, "ornate oak bookshelf", kImpassable | kTileContainer | kTileArticleAn, 18, 30,
     DrawKind::Table},  // a name of the full 20 characters: no terminating zero in the record
    {0x0A6A, "bed", kSurface | kImpassable | kTileArticleA, 6, 100, DrawKind::Bed},
    {0x0196, "stone column", kImpassable | kTileWall | kTileArticleA, 20, 255, DrawKind::Column},
    {0x177A, "rock", kImpassable | kTileArticleA, 6, 255, DrawKind::Rock},
    {0x0EED, "gold coin", kTileStackable | kTileArticleA, 0, 0, DrawKind::Coins},
    {0x0F60, "longsword", kTileEquip | kTileArticleA, 1, 7, DrawKind::Weapon},
    {0x1F03, "robe", kTileEquip | kTileCloth | kTileArticleA, 1, 3, DrawKind::Clothing},
};

inline constexpr SampleTerrain kSampleTerrain[] = {
    {0x0002, "NoDraw", 0, TerrainKind::Void},
    {0x0003, "grass", 0, TerrainKind::Grass},
    {0x0004, "grass", 0, TerrainKind::Grass},
    {0x0005, "grass", 0, TerrainKind::Grass},
    {0x0006, "grass", 0, TerrainKind::Grass},
    {0x0009, "dirt", 0, TerrainKind::Dirt},
    {0x000A, "dirt", 0, TerrainKind::Dirt},
    {0x0016, "sand", 0, TerrainKind::Sand},
    {0x0017, "sand", 0, TerrainKind::Sand},
    {0x00A8, "water", kTileWater | kTileLiquid | kTileBlock, TerrainKind::Water},
    {0x00A9, "water", kTileWater | kTileLiquid | kTileBlock, TerrainKind::Water},
    {0x00DC, "rock", kTileBlock, TerrainKind::Rock},
    {0x00DD, "rock", kTileBlock, TerrainKind::Rock},
    {0x00C4, "forest", 0, TerrainKind::Forest},
    {0x011A, "snow", 0, TerrainKind::Snow},
    {0x0244, "cave", kTileBlock, TerrainKind::Cave},
    {0x01F4, "lava", kTileDamage | kTileBlock | kTileLiquid, TerrainKind::Lava},
    {0x3D65, "swamp", kTileLiquid, TerrainKind::Swamp},
};

}  // namespace tessaly::mk
