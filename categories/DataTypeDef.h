#pragma once
// The static category table: one row per category id with its short name,
// display name, files, entry limit and list columns.

#include "ClientFiles.h"

#include <cstdint>
#include <string_view>

namespace tessaly {

// One list column after the fixed "Index" and "C" columns. A table of columns ends with a row of
// width 0 and no title.
struct DataColumnDef {
    int m_nWidth;  // in dialog base width units
    const char* m_pszTitle;
    bool m_bNumeric;  // sorts by hexadecimal value instead of case-insensitive text
};

struct DataTypeDef {
    std::int32_t m_nId;
    const char* m_pszName;         // short name: menus, status bar, titles
    const char* m_pszDisplayName;  // the Data menu text; null where the category has none
    std::int32_t m_nIndexFile;     // file slot of the index file, kNoFile = none
    std::int32_t m_nDataFile;      // file slot of the data file
    std::uint32_t m_nMaxEntries;
    const DataColumnDef* m_pColumns;

    // Number of columns before the ending row.
    int ColumnCount() const;
};

// The category ids, in table order.
enum : std::int32_t {
    kCategoryVerData = 31200,
    kCategoryAnims,
    kCategoryTextures,
    kCategoryTerrain,
    kCategoryItems,
    kCategorySounds,
    kCategoryLights,
    kCategoryGumps,
    kCategorySkills,
    kCategoryMultis,
    kCategoryHues,
    kCategoryFonts,
    kCategoryMap,
    kCategoryStatics,
    kCategoryTileData,
};
inline constexpr std::int32_t kFirstCategory = kCategoryVerData;
inline constexpr std::int32_t kCategoryCount = kCategoryTileData - kFirstCategory + 1;
inline constexpr std::int32_t kNoFile = kFileSlotCount;

// The row of a category id, or null for an id outside the table.
const DataTypeDef* GetTypeDef(std::int32_t id);

// The entries a category's list holds on the file set's client: the table's maximum, or more
// when the category's index file holds more records (items past 16384, multis past 5120 ...).
// Terrain keeps its 16384 (the rest of the art index is items); categories without an index
// file, and the animation bodies, keep the table's maximum.
std::uint32_t GetEntryCount(const DataTypeDef& def, CClientFiles& files);

// The row at table position 0 to 14.
const DataTypeDef& GetTypeDefAt(int row);

// The category of a patch record: the first row whose data file is the file id; blocks of
// "art.mul" below kArtItemBase are Terrain, the rest Items. 0 for a file no row uses.
std::int32_t GetCategoryOfRecord(std::uint32_t fileId, std::uint32_t block);

// A category named by its short name ("Items"), its display name ("Animations") or its id as
// decimal text, case-insensitive; 0 when nothing matches.
std::int32_t FindCategory(std::string_view text);

}  // namespace tessaly
