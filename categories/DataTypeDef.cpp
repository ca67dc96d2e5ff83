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
    {31200, "VerData", "VerData", kNoFile, 22, 1, kVerDataColumns},
    {31201, "Anims", "Animations", 5, 6, 1024, kLengthColumns},
    {31202, "Textures", "Textures", 9, 10, 16384, kTextureColumns},
    {31203, "Terrain", "Terrains", 3, 4, 16384, kArtColumns},
    {31204, "Items", "Items", 3, 4, 16384, kArtColumns},
    {31205, "Sounds", "Sounds", 7, 8, 768, kSoundColumns},
    {31206, "Lights", "Lights", 21, 20, 32, kLengthColumns},
    {31207, "Gumps", "Gumps", 11, 12, 65534, kGumpColumns},
    {31208, "Skills", "Skills", 15, 16, 50, kSkillColumns},
    {31209, "Multis", "Multis", 13, 14, 5120, kMultiColumns},
    {31210, "Hues", "Hues", kNoFile, 32, 3000, kHueColumns},
    {31211, "Fonts", "Fonts", kNoFile, 18, 10, kLengthColumns},
    {31212, "Map", nullptr, kNoFile, 0, 393216, kLengthColumns},
    {31213, "Statics", nullptr, 1, 2, 393216, kLengthColumns},
    {31214, "TileData", nullptr, kNoFile, 30, 32768, kLengthColumns},
};

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

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
            if (fileId == 4) {
                return block < 16384 ? 31203 : 31204;
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
