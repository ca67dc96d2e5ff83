#pragma once
// The category table: one row per category, the only place that knows a category. A row holds
// the category's id (which is also its Data menu command and its icon's resource id), names,
// files, where its entries lie in the data file, entry limit and count rule, list columns, what
// its entries can be edited from, and the factory that makes its entries.

#include "ClientFiles.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tessaly {

// One list column after the fixed "Index" and "C" columns. A table of columns ends with a row of
// width 0 and no title.
struct DataColumnDef {
    int m_nWidth;  // in dialog base width units
    const char* m_pszTitle;
    bool m_bNumeric;  // sorts by hexadecimal value instead of case-insensitive text
};

class CDataDef;

// What an entry of a category can be replaced with ("Paste Over", "Replace...", `patch`).
enum class EditSource : std::uint8_t { None, Picture, Wave };

struct DataTypeDef {
    std::int32_t m_nId;
    const char* m_pszName;         // short name: menus, status bar, titles
    const char* m_pszDisplayName;  // the Data menu text, also a name FindCategory knows
    int m_nMenuPosition;           // position in the Data menu
    bool m_bDataMenu;              // the Data menu lists it
    const char* m_pszKind;         // the word tessaly-cli's image and patch commands take, or null
    std::int32_t m_nIndexFile;     // file slot of the index file, kNoFile = none
    std::int32_t m_nDataFile;      // file slot of the data file
    // The record key (index entry and patch block) of entry 0 in the files: kArtItemBase for
    // items, which share the art files with terrain, else 0.
    std::uint32_t m_nFirstRecord;
    std::uint32_t m_nMaxEntries;
    // The list grows with the index file past m_nMaxEntries (entries past the first record).
    bool m_bCountsRecords;
    bool m_bTakesHue;      // its pictures are drawn and exported in a hue
    EditSource m_Edit;     // what its entries can be replaced with
    bool m_bScriptPage;    // the "Script" page lists the entry's script
    bool m_bDocumentRows;  // the list shows the document's own records (VerData)
    const DataColumnDef* m_pColumns;
    // Makes a new entry object with an entry number (owned by the caller).
    CDataDef* (*m_pCreate)(std::uint32_t nIndex, CClientFiles& files);
    // The entries are the client's numbered messages in a language the user chooses: the list
    // offers the languages, "Go to..." takes a message number and export writes the texts.
    bool m_bMessages = false;
    // The view shows the category whole, as one picture to move around in, instead of a list.
    bool m_bWholeView = false;
    // What the user is told on opening the list about where its entries come from (a file
    // that cannot be read, a source of the client that is not read), or empty; null: nothing.
    std::string (*m_pNote)(CClientFiles& files) = nullptr;

    // Number of columns before the ending row.
    int ColumnCount() const;
    // The record key of entry nIndex in the category's files (the art split for items).
    std::uint32_t RecordOf(std::uint32_t nIndex) const { return nIndex + m_nFirstRecord; }
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
    kCategoryCliloc,
    kCategoryUniFonts,
    kCategorySpeech,
};
inline constexpr std::int32_t kFirstCategory = kCategoryVerData;
inline constexpr std::int32_t kCategoryCount = kCategorySpeech - kFirstCategory + 1;
inline constexpr std::int32_t kNoFile = kFileSlotCount;

// The row of a category id, or null for an id outside the table.
const DataTypeDef* GetTypeDef(std::int32_t id);

// The entries a category's list holds on the file set's client: the table's maximum, or more
// when the category's index file holds more records (items past 16384, multis past 5120 ...).
// Terrain keeps its 16384 (the rest of the art index is items); categories without an index
// file, and the animation bodies (whose sources this reads again when their files changed),
// keep the table's maximum. The client's texts (cliloc
// messages, Unicode fonts, speech keywords) count what their files hold. Map and Statics hold
// the chosen facet's blocks: Felucca's as many as its statics index has (at least the table's
// maximum), another facet's as many as its size holds (none when the client lacks it).
std::uint32_t GetEntryCount(const DataTypeDef& def, CClientFiles& files);
// The category's entries are the blocks of a facet (Map, Statics).
bool HoldsFacetBlocks(const DataTypeDef& def);

// The row at table position 0 to kCategoryCount - 1.
const DataTypeDef& GetTypeDefAt(int row);
// Every row, in table order.
std::span<const DataTypeDef> GetTypeDefs();

// The entry a record key of a data file stands for: the row whose data file it is and whose
// first record is the highest not above the key ("art.mul" blocks below kArtItemBase are
// Terrain, the rest Items), and the entry number: the first of the RecordEntryCount entries the
// record replaces (for "anim.mul", the body whose block holds the record). Null for a file no row
// uses.
const DataTypeDef* FindRecordEntry(std::uint32_t fileId, std::uint32_t block,
                                   std::uint32_t* pIndex = nullptr);
// How many consecutive entries one record of the category's data file replaces: eight for the
// hues (a record is a group of eight hues), else one.
std::uint32_t RecordEntryCount(const DataTypeDef& def);
// What the user is told on opening the category's list: that its data file's container is
// damaged (its header or tables), then the row's own note (m_pNote); empty for nothing.
std::string GetListNote(const DataTypeDef& def, CClientFiles& files);
// The category id of FindRecordEntry, 0 for a file no row uses.
std::int32_t GetCategoryOfRecord(std::uint32_t fileId, std::uint32_t block);
// The category whose tessaly-cli kind word this is ("item"), or null.
const DataTypeDef* FindCategoryKind(std::string_view kind);

// A category named by its short name ("Items"), its display name ("Animations") or its id as
// decimal text, case-insensitive; 0 when nothing matches.
std::int32_t FindCategory(std::string_view text);

}  // namespace tessaly
