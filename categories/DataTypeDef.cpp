#include "DataTypeDef.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace tessaly {

namespace {

constexpr DataColumnDef kVerDataColumns[] = {{10, "File", false}, {9, "Block", true},
                                             {9, "Pos", true},    {9, "Len", true},
                                             {12, "More", true},  {0, nullptr, false}};
constexpr DataColumnDef kLengthColumns[] = {{20, "Length", true}, {0, nullptr, false}};
constexpr DataColumnDef kTextureColumns[] = {
    {20, "Width", true}, {20, "Name", false}, {0, nullptr, false}};
constexpr DataColumnDef kArtColumns[] = {
    {20, "Size", true}, {20, "Name", false}, {0, nullptr, false}};
constexpr DataColumnDef kSoundColumns[] = {
    {20, "Name", false}, {30, "Length", true}, {0, nullptr, false}};
constexpr DataColumnDef kGumpColumns[] = {{20, "Size", true}, {0, nullptr, false}};
constexpr DataColumnDef kSkillColumns[] = {
    {8, "Button", false}, {30, "Skill Name", false}, {0, nullptr, false}};
constexpr DataColumnDef kMultiColumns[] = {{20, "Items", true}, {0, nullptr, false}};
constexpr DataColumnDef kHueColumns[] = {
    {20, "Start->End", false}, {20, "Name", false}, {0, nullptr, false}};

constexpr DataTypeDef kTypes[kCategoryCount] = {
    {kCategoryVerData, "VerData", "VerData", kNoFile, kSlotVerData, 1, kVerDataColumns},
    {kCategoryAnims, "Anims", "Animations", kSlotAnimIdx, kSlotAnim, 1024, kLengthColumns},
    {kCategoryTextures, "Textures", "Textures", kSlotTexIdx, kSlotTexMaps, 16384, kTextureColumns},
    {kCategoryTerrain, "Terrain", "Terrains", kSlotArtIdx, kSlotArt, kArtItemBase, kArtColumns},
    {kCategoryItems, "Items", "Items", kSlotArtIdx, kSlotArt, kArtItemBase, kArtColumns},
    {kCategorySounds, "Sounds", "Sounds", kSlotSoundIdx, kSlotSound, 768, kSoundColumns},
    {kCategoryLights, "Lights", "Lights", kSlotLightIdx, kSlotLight, 32, kLengthColumns},
    {kCategoryGumps, "Gumps", "Gumps", kSlotGumpIdx, kSlotGumpArt, 65534, kGumpColumns},
    {kCategorySkills, "Skills", "Skills", kSlotSkillsIdx, kSlotSkills, 50, kSkillColumns},
    {kCategoryMultis, "Multis", "Multis", kSlotMultiIdx, kSlotMulti, 5120, kMultiColumns},
    {kCategoryHues, "Hues", "Hues", kNoFile, kSlotHues, 3000, kHueColumns},
    {kCategoryFonts, "Fonts", "Fonts", kNoFile, kSlotFonts, 10, kLengthColumns},
    {kCategoryMap, "Map", nullptr, kNoFile, kSlotMap0, 393216, kLengthColumns},
    {kCategoryStatics, "Statics", nullptr, kSlotStaIdx0, kSlotStatics0, 393216, kLengthColumns},
    {kCategoryTileData, "TileData", nullptr, kNoFile, kSlotTileData, 32768, kLengthColumns},
};

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::uint32_t GetEntryCount(const DataTypeDef& def, CClientFiles& files) {
    if (def.m_nIndexFile == kNoFile || def.m_nId == kCategoryTerrain ||
        def.m_nId == kCategoryAnims || def.m_nId == kCategoryStatics) {
        return def.m_nMaxEntries;
    }
    std::uint64_t records = files.GetIndexCount(def.m_nIndexFile);
    if (def.m_nId == kCategoryItems) {
        records = records > kArtItemBase ? records - kArtItemBase : 0;
    }
    // Entry numbers are 16 bits wide in the patch records and the pages.
    return static_cast<std::uint32_t>(
        std::clamp<std::uint64_t>(records, def.m_nMaxEntries, 0x10000));
}

int DataTypeDef::ColumnCount() const {
    int n = 0;
    while (m_pColumns[n].m_nWidth != 0) {
        ++n;
    }
    return n;
}

const DataTypeDef* GetTypeDef(std::int32_t id) {
    if (id < kFirstCategory || id >= kFirstCategory + kCategoryCount) {
        return nullptr;
    }
    return &kTypes[id - kFirstCategory];
}

const DataTypeDef& GetTypeDefAt(int row) {
    return kTypes[row];
}

std::int32_t GetCategoryOfRecord(std::uint32_t fileId, std::uint32_t block) {
    for (const DataTypeDef& def : kTypes) {
        if (static_cast<std::uint32_t>(def.m_nDataFile) == fileId) {
            if (fileId == kSlotArt) {
                return block < kArtItemBase ? kCategoryTerrain : kCategoryItems;
            }
            return def.m_nId;
        }
    }
    return 0;
}

std::int32_t FindCategory(std::string_view text) {
    for (const DataTypeDef& def : kTypes) {
        if (EqualsNoCase(text, def.m_pszName) ||
            (def.m_pszDisplayName != nullptr && EqualsNoCase(text, def.m_pszDisplayName))) {
            return def.m_nId;
        }
    }
    std::int32_t id = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (ec == std::errc() && ptr == text.data() + text.size() && GetTypeDef(id) != nullptr) {
        return id;
    }
    return 0;
}

}  // namespace tessaly
