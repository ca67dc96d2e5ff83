// Sample-client generator for the base files of the data layer: tile data, map, statics,
// radar colours, skills and animation data, plus the patch records that replace some of them.

#include "AnimData.h"
#include "ClientFiles.h"
#include "SampleClient.h"
#include "SampleItems.h"
#include "Statics.h"
#include "TileData.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaly::mk {

namespace {

constexpr std::uint32_t kItemGroups = 512;  // 16384 item records, the full item section
constexpr std::uint32_t kSmallMapColumns = 4;
constexpr std::uint32_t kFullMapColumns = kMapBlockCount / kMapBlockRows;  // 768
constexpr std::uint32_t kCurrentMapColumns = 896;
constexpr std::size_t kMapBlockBytes = 4 + 64 * 3;  // header, 64 cells of (u16 tile, i8 z)

const SampleItem* FindItem(std::uint16_t id) {
    for (const SampleItem& item : kSampleItems) {
        if (item.id == id) {
            return &item;
        }
    }
    return nullptr;
}

const SampleTerrain* FindTerrain(std::uint16_t id) {
    for (const SampleTerrain& t : kSampleTerrain) {
        if (t.id == id) {
            return &t;
        }
    }
    return nullptr;
}

CTileItemInfo ItemInfo(const SampleItem& item) {
    CTileItemInfo info;
    info.m_dwFlags = item.flags;
    info.m_bWeight = item.weight;
    info.m_bHeight = item.height;
    info.m_bLayer = (item.flags & kTileEquip) != 0 ? 1 : 0;
    info.m_dwAnim = (item.flags & kTileEquip) != 0 ? 0x200u + item.id % 64 : 0;
    info.SetName(item.name);
    return info;
}

// One whole tile data group, for the base file and for patch records.
std::vector<std::uint8_t> ItemGroup(std::uint32_t group, std::uint32_t header) {
    ByteWriter w;
    w.u32(header);
    for (std::uint32_t k = 0; k < kTileGroupSize; ++k) {
        const SampleItem* item = FindItem(static_cast<std::uint16_t>(group * 32 + k));
        (item != nullptr ? ItemInfo(*item) : CTileItemInfo()).Write(w);
    }
    return w.take();
}

std::vector<std::uint8_t> TerrainGroup(std::uint32_t group, std::uint32_t header) {
    ByteWriter w;
    w.u32(header);
    for (std::uint32_t k = 0; k < kTileGroupSize; ++k) {
        CTileTerrainInfo info;
        if (const SampleTerrain* t = FindTerrain(static_cast<std::uint16_t>(group * 32 + k))) {
            info.m_dwFlags = t->flags;
            std::copy_n(t->name, std::min<std::size_t>(20, std::char_traits<char>::length(t->name)),
                        info.m_szName);
        }
        info.Write(w);
    }
    return w.take();
}

void WriteTileData(SampleClient& client) {
    ByteWriter w;
    for (std::uint32_t g = 0; g < kTerrainGroupCount; ++g) {
        w.bytes(TerrainGroup(g, g));  // headers are never interpreted; number them
    }
    for (std::uint32_t g = 0; g < kItemGroups; ++g) {
        w.bytes(ItemGroup(g, 0x1000 + g));
    }
    client.WriteFile("tiledata.mul", w.data());
}

// Deterministic smooth noise in [0, 256) over cell coordinates.
std::uint32_t Hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    std::uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return (h ^ (h >> 16)) & 0xFF;
}

std::uint32_t Noise(std::uint32_t x, std::uint32_t y, std::uint32_t scale, std::uint32_t seed) {
    std::uint32_t gx = x / scale;
    std::uint32_t gy = y / scale;
    std::uint32_t fx = x % scale;
    std::uint32_t fy = y % scale;
    std::uint32_t a = Hash(gx, gy, seed) * (scale - fx) + Hash(gx + 1, gy, seed) * fx;
    std::uint32_t b = Hash(gx, gy + 1, seed) * (scale - fx) + Hash(gx + 1, gy + 1, seed) * fx;
    return (a * (scale - fy) + b * fy) / (scale * scale);
}

struct Cell {
    std::uint16_t tile;
    std::int8_t z;
};

Cell TerrainAt(std::uint32_t x, std::uint32_t y) {
    std::uint32_t height = Noise(x, y, 32, 1);
    std::uint32_t wet = Noise(x, y, 16, 2);
    std::uint32_t pick = Hash(x, y, 3) % 4;
    if (height < 70) {
        return {static_cast<std::uint16_t>(0x00A8 + pick % 2), -5};
    }
    if (height < 84) {
        return {static_cast<std::uint16_t>(0x0016 + pick % 2), 0};
    }
    auto z = static_cast<std::int8_t>((height - 84) / 8);
    if (height > 200) {
        return {static_cast<std::uint16_t>(0x00DC + pick % 2), static_cast<std::int8_t>(z + 10)};
    }
    if (wet > 190) {
        return {0x3D65, z};
    }
    if (wet < 60) {
        return {static_cast<std::uint16_t>(0x0009 + pick % 2), z};
    }
    if (wet > 150) {
        return {0x00C4, z};
    }
    return {static_cast<std::uint16_t>(0x0003 + pick), z};
}

// A facet's map: `columns` block columns of `rows` blocks, terrain from the landscape at a
// facet's own distance (so facets differ).
std::vector<std::uint8_t> MapBytes(std::uint32_t columns, std::uint32_t rows,
                                   std::uint32_t xOffset) {
    std::vector<std::uint8_t> map(std::size_t{columns} * rows * kMapBlockBytes);
    std::size_t pos = 0;
    for (std::uint32_t bx = 0; bx < columns; ++bx) {
        for (std::uint32_t by = 0; by < rows; ++by) {
            StoreLE32(&map[pos], bx * rows + by);
            pos += 4;
            for (std::uint32_t cy = 0; cy < 8; ++cy) {
                for (std::uint32_t cx = 0; cx < 8; ++cx) {
                    Cell c = TerrainAt(xOffset + bx * 8 + cx, by * 8 + cy);
                    StoreLE16(&map[pos], c.tile);
                    map[pos + 2] = static_cast<std::uint8_t>(c.z);
                    pos += 3;
                }
            }
        }
    }
    return map;
}

void WriteMap(SampleClient& client, std::uint32_t columns) {
    client.WriteFile("map0.mul", MapBytes(columns, kMapBlockRows, 0));
}

std::vector<std::uint8_t> StaticsBytes(const std::vector<CStaticItem>& items) {
    ByteWriter w;
    for (const CStaticItem& s : items) {
        s.Write(w);
    }
    return w.take();
}

// A small wooden house with a door, a table, chairs, a crate and a lantern.
std::vector<CStaticItem> House() {
    std::vector<CStaticItem> items;
    for (std::uint8_t i = 1; i < 6; ++i) {
        items.push_back({0x0008, i, 1, 0, 0});
        items.push_back({0x0009, 1, i, 0, 0});
    }
    items.push_back({0x0675, 3, 6, 0, 0});
    for (std::uint8_t y = 2; y < 6; ++y) {
        for (std::uint8_t x = 2; x < 6; ++x) {
            items.push_back({0x0495, x, y, 0, 0});
        }
    }
    items.push_back({0x0B34, 3, 3, 0, 0});
    items.push_back({0x0B2C, 2, 3, 0, 0});
    items.push_back({0x0B2D, 4, 3, 0, 0});
    items.push_back({0x0E3C, 5, 5, 0, 0x0021});
    items.push_back({0x0A0F, 3, 3, 6, 0});
    items.push_back({0x05F5, 3, 3, 20, 0});
    return items;
}

std::vector<CStaticItem> Grove(std::mt19937& random) {
    std::vector<CStaticItem> items;
    int trees = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < trees; ++i) {
        auto x = static_cast<std::uint8_t>(random() % 8);
        auto y = static_cast<std::uint8_t>(random() % 8);
        bool second = random() % 2 != 0;
        items.push_back({static_cast<std::uint16_t>(second ? 0x0CA8 : 0x0C9E), x, y, 0, 0});
        items.push_back({static_cast<std::uint16_t>(second ? 0x0CA9 : 0x0C9F), x, y, 0, 0});
    }
    if (random() % 3 == 0) {
        items.push_back({0x0C95, static_cast<std::uint8_t>(random() % 8),
                         static_cast<std::uint8_t>(random() % 8), 0, 0});
    }
    if (random() % 4 == 0) {
        items.push_back({0x177A, static_cast<std::uint8_t>(random() % 8),
                         static_cast<std::uint8_t>(random() % 8), 0, 0});
    }
    return items;
}

void WriteStatics(SampleClient& client, std::uint32_t columns) {
    std::uint32_t blocks = columns * kMapBlockRows;
    IndexedFileBuilder statics(blocks);
    std::mt19937 random = SampleClient::Random("statics");
    // Block 0 at offset 0: a sign post and flowers by the road.
    statics.Add(0, StaticsBytes({{0x0BD2, 4, 4, 0, 0}, {0x0C83, 5, 4, 0, 0}}));
    statics.Add(1, StaticsBytes(Grove(random)));
    statics.AddEmpty(2);  // an index record that points at data of length 0
    // Three records and two trailing bytes that are not a whole record.
    std::vector<std::uint8_t> ragged =
        StaticsBytes({{0x0E77, 1, 1, 0, 0}, {0x0E42, 2, 1, 0, 0}, {0x0FAF, 3, 1, 0, 0}});
    ragged.push_back(0xAB);
    ragged.push_back(0xCD);
    statics.Add(3, ragged);
    statics.Add(kMapBlockRows, StaticsBytes(House()));  // block (1, 0)
    statics.Add(kMapBlockRows + 1, StaticsBytes({{0x0006, 0, 0, 0, 0},
                                                 {0x0007, 1, 0, 0, 0},
                                                 {0x000A, 2, 0, 0, 0},
                                                 {0x0196, 3, 0, 0, 0},
                                                 {0x0519, 4, 4, 0, 0},
                                                 {0x05D1, 5, 5, 0, 0},
                                                 {0x05D2, 5, 6, 5, 0},
                                                 {0x0A95, 1, 2, 0, 0},
                                                 {0x0A6A, 2, 5, 0, 0},
                                                 {0x0B96, 6, 2, 10, 0},
                                                 {0x0821, 7, 0, 0, 0},
                                                 {0x0822, 7, 1, 0, 0},
                                                 {0x0EED, 4, 5, 6, 0},
                                                 {0x0F60, 4, 5, 6, 0},
                                                 {0x1F03, 5, 5, 6, 0x0481},
                                                 {0x05F6, 3, 3, 20, 0},
                                                 {0x0676, 6, 6, 0, 0},
                                                 {0x0E3D, 6, 5, 0, 0}}));
    // Groves over part of the rest of the map; other blocks stay absent.
    std::uint32_t every = client.FullSize() ? 7 : 5;
    for (std::uint32_t b = 4; b < blocks; ++b) {
        if (b == kMapBlockRows || b == kMapBlockRows + 1 || b % every != 0) {
            continue;
        }
        statics.Add(b, StaticsBytes(Grove(random)));
    }
    statics.Write(client, "staidx0.mul", "statics0.mul");

    // Patch: block (1, 0) gets a crate and a barrel more; block (1, 2) is deleted.
    std::vector<CStaticItem> patched = House();
    patched.push_back({0x0E3D, 6, 5, 0, 0});
    patched.push_back({0x0E77, 6, 6, 0, 0});
    client.AddPatch({kSlotStatics0, kMapBlockRows, StaticsBytes(patched), 0, 0});
    client.AddPatch({kSlotStatics0, kMapBlockRows + 2, {}, 0, 0});
}

std::uint16_t Rgb(int r, int g, int b) {
    return static_cast<std::uint16_t>(((r / 8) << 10) | ((g / 8) << 5) | (b / 8));
}

std::uint16_t TerrainColor(TerrainKind kind) {
    switch (kind) {
        case TerrainKind::Grass:
            return Rgb(64, 144, 48);
        case TerrainKind::Dirt:
            return Rgb(128, 96, 56);
        case TerrainKind::Sand:
            return Rgb(216, 200, 136);
        case TerrainKind::Water:
            return Rgb(40, 72, 168);
        case TerrainKind::Rock:
            return Rgb(112, 112, 112);
        case TerrainKind::Forest:
            return Rgb(32, 96, 32);
        case TerrainKind::Snow:
            return Rgb(240, 240, 248);
        case TerrainKind::Swamp:
            return Rgb(72, 88, 48);
        case TerrainKind::Lava:
            return Rgb(224, 64, 16);
        case TerrainKind::Cave:
            return Rgb(56, 48, 40);
        case TerrainKind::Void:
            break;
    }
    return 0;
}

std::uint16_t ItemColor(const SampleItem& item) {
    switch (item.kind) {
        case DrawKind::TreeTrunk:
            return Rgb(88, 64, 32);
        case DrawKind::TreeLeaves:
        case DrawKind::Bush:
            return Rgb(24, 112, 24);
        case DrawKind::Wall:
        case DrawKind::Column:
        case DrawKind::Rock:
            return Rgb(136, 136, 128);
        case DrawKind::Roof:
            return Rgb(144, 48, 40);
        case DrawKind::Flower:
            return Rgb(200, 64, 160);
        default:
            return Rgb(152, 112, 64);
    }
}

// The other facets: Ilshenar and Tokuno (old clients: with difference files over them and
// over Felucca), and on a current client Ter Mur. The small client's facets have sizes of their
// own (custom maps); the full-size one's are the real sizes.
void WriteFacets(SampleClient& client) {
    struct Facet {
        int number;
        std::uint32_t rows;
        std::uint32_t fullColumns;
        std::uint32_t smallColumns;
    };
    std::vector<Facet> facets = {{2, 200, 288, 3}, {4, 181, 181, 2}};
    if (client.CurrentFacets()) {
        facets.push_back({5, 512, 160, 2});
    }
    for (const Facet& f : facets) {
        const std::string n = std::to_string(f.number);
        const std::uint32_t columns = client.FullSize() ? f.fullColumns : f.smallColumns;
        client.WriteFile("map" + n + ".mul", MapBytes(columns, f.rows, 20000u * f.number));
        const std::uint32_t blocks = columns * f.rows;
        IndexedFileBuilder statics(blocks);
        std::mt19937 random = SampleClient::Random("statics" + n);
        for (std::uint32_t b = 1; b < blocks; b += 5) {
            statics.Add(b, StaticsBytes(Grove(random)));
        }
        statics.Write(client, "staidx" + n + ".mul", "statics" + n + ".mul");
    }
    if (client.CurrentFacets()) {
        return;
    }
    // Difference files: Felucca's blocks 6 and 7 turn to water (block 6 named twice: the later
    // entry wins) and block 8 gets a house; Ilshenar's block 0 turns to rock.
    const auto block = [](std::uint32_t number, std::uint16_t tile, std::int8_t z) {
        ByteWriter w;
        w.u32(number);
        for (int c = 0; c < 64; ++c) {
            w.u16(tile).u8(static_cast<std::uint8_t>(z));
        }
        return w.take();
    };
    ByteWriter mapdif;
    mapdif.bytes(block(6, 0x0003, 0)).bytes(block(6, 0x00A8, -5)).bytes(block(7, 0x00A8, -5));
    ByteWriter mapdifl;
    mapdifl.u32(6).u32(6).u32(7);
    client.WriteFile("mapdif0.mul", mapdif.data());
    client.WriteFile("mapdifl0.mul", mapdifl.data());
    client.WriteFile("mapdif2.mul", block(0, 0x00DC, 20));
    client.WriteFile("mapdifl2.mul", std::vector<std::uint8_t>(4, 0));
    IndexedFileBuilder stadif(1);
    stadif.Add(0, StaticsBytes(House()));
    stadif.Write(client, "stadifi0.mul", "stadif0.mul");
    client.WriteFile("stadifl0.mul", {8, 0, 0, 0});
}

void WriteRadarColors(SampleClient& client) {
    std::vector<std::uint8_t> colors(2 * 32768);
    for (const SampleTerrain& t : kSampleTerrain) {
        StoreLE16(&colors[2 * t.id], TerrainColor(t.kind));
    }
    for (const SampleItem& item : kSampleItems) {
        StoreLE16(&colors[2 * (16384 + item.id)], ItemColor(item));
    }
    client.WriteFile("radarcol.mul", colors);
}

// A skill entry: a "has a button" byte, then the name and its terminating zero.
std::vector<std::uint8_t> Skill(bool button, const std::string& name) {
    ByteWriter w;
    w.u8(button ? 1 : 0).text(name, name.size()).u8(0);
    return w.take();
}

void WriteSkills(SampleClient& client) {
    static constexpr std::array<const char*, 25> kSkills = {
        "Alchemy", "Anatomy", "Animal Lore", "Item Identification", "Arms Lore", "Parrying",
        "Begging", "Blacksmithy", "Bowcraft", "Peacemaking", "Camping", "Carpentry", "Cartography",
        "Cooking", "Detecting Hidden", "Discordance", "Evaluating Intelligence", "Healing",
        "Fishing", "Forensic Evaluation", "Herding", "Hiding", "Provocation", "Inscription",
        // names are Latin-1 text
        "Ma\xEEtrise"};
    IndexedFileBuilder skills(50);
    for (std::uint32_t i = 0; i < kSkills.size(); ++i) {
        if (i == 6) {
            continue;  // absent: offset 0xFFFFFFFF
        }
        if (i == 20) {
            skills.AddEmpty(i);  // present in the index, but zero-length
            continue;
        }
        bool button = i == 1 || i == 2 || i == 4 || i == 14 || i == 16 || i == 21;
        skills.Add(i, Skill(button, kSkills[i]));  // entry 0 first: at offset 0
    }
    skills.Write(client, "skills.idx", "skills.mul");
    client.AddPatch({kSlotSkills, 6, Skill(true, "Begging (patched)"), 0, 0});
}

// "animdata.mul": groups of a 4-byte header and 8 entries of 68 bytes (64 frame offsets,
// an unknown byte, frame count, frame interval, start interval).
std::vector<std::uint8_t> AnimDataGroup(std::uint32_t group, std::uint32_t frames) {
    ByteWriter w;
    w.u32(group);
    for (std::uint32_t e = 0; e < 8; ++e) {
        std::uint32_t count = (group + e) % 3 == 0 ? frames : 0;
        for (std::uint32_t f = 0; f < 64; ++f) {
            w.u8(static_cast<std::uint8_t>(f < count ? f : 0));
        }
        w.u8(0).u8(static_cast<std::uint8_t>(count)).u8(count != 0 ? 2 : 0).u8(0);
    }
    return w.take();
}

// The animated items' entries: frame offsets, frame interval and start interval.
struct SampleAnimation {
    std::uint16_t item;
    std::vector<std::int8_t> offsets;
    std::uint8_t interval;
    std::uint8_t start;
};

void WriteAnimData(SampleClient& client) {
    // Item 6's entry of the first groups already plays the four walls, at interval 2.
    const std::vector<SampleAnimation> animations = {
        {0x0496, {0, -1}, 5, 0},  // a negative offset: the floor before it
        {0x0675, {0, 1}, 10, 4},  // the door, after a start delay
    };
    ByteWriter w;
    for (std::uint32_t g = 0; g < 64; ++g) {
        w.bytes(AnimDataGroup(g, 4 + g % 5));
    }
    // Empty groups up to the last animated item's, whose entries are then filled in.
    const std::uint32_t groups = 0x0675 / 8 + 1;
    for (std::uint32_t g = 64; g < groups; ++g) {
        w.u32(g);
        for (std::size_t i = 0; i < 8 * kAnimDataEntrySize; ++i) {
            w.u8(0);
        }
    }
    std::vector<std::uint8_t> bytes = w.take();
    for (const SampleAnimation& a : animations) {
        std::uint8_t* entry = bytes.data() + AnimDataPosition(a.item);
        for (std::size_t f = 0; f < a.offsets.size(); ++f) {
            entry[f] = static_cast<std::uint8_t>(a.offsets[f]);
        }
        entry[65] = static_cast<std::uint8_t>(a.offsets.size());
        entry[66] = a.interval;
        entry[67] = a.start;
    }
    client.WriteFile("animdata.mul", bytes);
    client.AddPatch({kSlotAnimData, 3, AnimDataGroup(3, 8), 0, 0});
}

void WriteBaseFiles(SampleClient& client) {
    std::uint32_t columns = client.FullSize() ? kFullMapColumns : kSmallMapColumns;
    if (client.FullSize() && client.CurrentFacets()) {
        columns = kCurrentMapColumns;
    }
    WriteTileData(client);
    WriteMap(client, columns);
    WriteStatics(client, columns);
    WriteFacets(client);
    WriteRadarColors(client);
    WriteSkills(client);
    WriteAnimData(client);

    // Tile data patch: the item group of the large crate, with the crate renamed and hued.
    std::uint32_t crateGroup = 0x0E3C / 32;
    std::vector<std::uint8_t> group = ItemGroup(crateGroup, 0x1000 + crateGroup);
    CTileItemInfo crate = ItemInfo(*FindItem(0x0E3C));
    crate.SetName("patched crate");
    crate.m_bWeight = 9;
    ByteWriter record;
    crate.Write(record);
    std::copy(record.data().begin(), record.data().end(),
              group.begin() + 4 + (0x0E3C % 32) * CTileItemInfo::kSize);
    client.AddPatch({kSlotTileData, kTerrainGroupCount + crateGroup, group, 0, 0});
}

GeneratorRegistrar reg(0, "base files", WriteBaseFiles);

}  // namespace

}  // namespace tessaly::mk
