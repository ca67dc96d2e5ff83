#include "DataTypeDef.h"

#include "BodyDefs.h"
#include "CDataDefAnim.h"
#include "CDataDefCliloc.h"
#include "CDataDefFont.h"
#include "CDataDefGump.h"
#include "CDataDefHue.h"
#include "CDataDefItem.h"
#include "CDataDefJunk.h"
#include "CDataDefLight.h"
#include "CDataDefMap.h"
#include "CDataDefMulti.h"
#include "CDataDefSkill.h"
#include "CDataDefSound.h"
#include "CDataDefSpeech.h"
#include "CDataDefStatics.h"
#include "CDataDefTerrain.h"
#include "CDataDefTexture.h"
#include "CDataDefTileData.h"
#include "CDataDefUniFont.h"
#include "Facet.h"
#include "Text.h"
#include "VerDataTable.h"

#include <algorithm>
#include <charconv>
#include <type_traits>

namespace tessaly {

namespace {

constexpr DataColumnDef kVerDataColumns[] = {{10, "File", false}, {9, "Block", true},
                                             {9, "Pos", true},    {9, "Len", true},
                                             {12, "More", true},  {0, nullptr, false}};
constexpr DataColumnDef kLengthColumns[] = {{20, "Length", true}, {0, nullptr, false}};
constexpr DataColumnDef kAnimColumns[] = {{22, "Source", false},       {18, "Class", false},
                                          {8, "Actions", true},        {14, "Redirect", false},
                                          {24, "Slot Free In", false}, {0, nullptr, false}};
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
constexpr DataColumnDef kClilocColumns[] = {{10, "Number", true},
                                            {5, "Flag", true},
                                            {36, "Text", false},
                                            {36, "English", false},
                                            {0, nullptr, false}};
constexpr DataColumnDef kUniFontColumns[] = {
    {30, "File", false}, {16, "Glyphs", true}, {20, "Size", true}, {0, nullptr, false}};
constexpr DataColumnDef kSpeechColumns[] = {
    {16, "Keyword", true}, {60, "Text", false}, {0, nullptr, false}};

template <class Entry>
CDataDef* Make(std::uint32_t nIndex, CClientFiles& files) {
    // Blocks of a facet are made for the facet chosen now.
    if constexpr (std::is_constructible_v<Entry, std::uint32_t, int, CClientFiles&>) {
        return new Entry(nIndex, ChosenFacet(), files);
    } else {
        return new Entry(nIndex, files);
    }
}

constexpr auto kNo = EditSource::None;
constexpr auto kPicture = EditSource::Picture;
constexpr auto kWave = EditSource::Wave;

// id, name, display name, Data menu position and whether the menu lists it, kind word, index and
// data file, first record, limit, counts records, takes a hue, edited from, script page, document
// rows, columns, factory, messages, whole view, note.
// clang-format off
constexpr DataTypeDef kTypes[kCategoryCount] = {
    {kCategoryVerData, "VerData", "VerData", 0, true, nullptr, kNoFile, kSlotVerData, 0, 1, false,
     false, kNo, false, true, kVerDataColumns, Make<CDataDefJunk>},
    // Body numbers up to 2,048: those of anim.mul and those "Bodyconv.def" sends elsewhere.
    {kCategoryAnims, "Anims", "Animations", 6, true, "anim", kSlotAnimIdx, kSlotAnim, 0, kMaxBodies,
     false, true, kNo, true, false, kAnimColumns, Make<CDataDefAnim>},
    {kCategoryTextures, "Textures", "Textures", 4, true, "texture", kSlotTexIdx, kSlotTexMaps, 0,
     16384, true, false, kNo, false, false, kTextureColumns, Make<CDataDefTexture>},
    {kCategoryTerrain, "Terrain", "Terrains", 3, true, "terrain", kSlotArtIdx, kSlotArt, 0,
     kArtItemBase, false, false, kNo, false, false, kArtColumns, Make<CDataDefTerrain>},
    {kCategoryItems, "Items", "Items", 2, true, "item", kSlotArtIdx, kSlotArt, kArtItemBase,
     kArtItemBase, true, true, kPicture, true, false, kArtColumns, Make<CDataDefItem>},
    {kCategorySounds, "Sounds", "Sounds", 7, true, "sound", kSlotSoundIdx, kSlotSound, 0, 768, true,
     false, kWave, false, false, kSoundColumns, Make<CDataDefSound>},
    {kCategoryLights, "Lights", "Lights", 8, true, "light", kSlotLightIdx, kSlotLight, 0, 32, true,
     false, kNo, false, false, kLengthColumns, Make<CDataDefLight>},
    {kCategoryGumps, "Gumps", "Gumps", 9, true, "gump", kSlotGumpIdx, kSlotGumpArt, 0, 65534, true,
     true, kPicture, false, false, kGumpColumns, Make<CDataDefGump>},
    {kCategorySkills, "Skills", "Skills", 1, true, nullptr, kSlotSkillsIdx, kSlotSkills, 0, 50,
     true, false, kNo, true, false, kSkillColumns, Make<CDataDefSkill>},
    {kCategoryMultis, "Multis", "Multis", 5, true, nullptr, kSlotMultiIdx, kSlotMulti, 0, 5120,
     true, false, kNo, true, false, kMultiColumns, Make<CDataDefMulti>, false, false,
     CDataDefMulti::SourceNote},
    {kCategoryHues, "Hues", "Hues", 10, true, nullptr, kNoFile, kSlotHues, 0, 3000, false, false,
     kNo, false, false, kHueColumns, Make<CDataDefHue>},
    {kCategoryFonts, "Fonts", "Fonts", 11, true, nullptr, kNoFile, kSlotFonts, 0, 10, false, false,
     kNo, false, false, kLengthColumns, Make<CDataDefFont>},
    {kCategoryMap, "Map", "Map", 12, true, nullptr, kNoFile, kSlotMap0, 0, 393216, false, false,
     kNo, false, false, kLengthColumns, Make<CDataDefMap>, false, true},
    {kCategoryStatics, "Statics", "Statics", 13, true, nullptr, kSlotStaIdx0, kSlotStatics0, 0,
     393216, false, false, kNo, false, false, kLengthColumns, Make<CDataDefStatics>},
    {kCategoryTileData, "TileData", "TileData", 14, true, nullptr, kNoFile, kSlotTileData, 0, 32768,
     false, false, kNo, false, false, kLengthColumns, Make<CDataDefTileData>},
    // The client's texts come from files found by name, not from file slots; their entries
    // are the files' messages, fonts and keywords in order (see CountClientTexts).
    {kCategoryCliloc, "Cliloc", "Cliloc Messages", 15, true, nullptr, kNoFile, kNoFile, 0, 0, false,
     false, kNo, false, false, kClilocColumns, Make<CDataDefCliloc>, true, false,
     CDataDefCliloc::FilesNote},
    {kCategoryUniFonts, "UniFonts", "Unicode Fonts", 16, true, nullptr, kNoFile, kNoFile, 0, 0,
     false, false, kNo, false, false, kUniFontColumns, Make<CDataDefUniFont>, false, false,
     CDataDefUniFont::FilesNote},
    {kCategorySpeech, "Speech", "Speech Keywords", 17, true, nullptr, kNoFile, kNoFile, 0, 0, false,
     false, kNo, false, false, kSpeechColumns, Make<CDataDefSpeech>, false, false,
     CDataDefSpeech::FilesNote},
};
// clang-format on

// Row n holds category kFirstCategory + n: GetTypeDef indexes the table by id.
constexpr bool RowsInIdOrder() {
    for (int row = 0; row < kCategoryCount; ++row) {
        if (kTypes[row].m_nId != kFirstCategory + row) {
            return false;
        }
    }
    return true;
}
static_assert(RowsInIdOrder());

// The entries of a category whose files are found by name: what the files hold.
std::uint32_t CountClientTexts(std::int32_t id) {
    switch (id) {
        case kCategoryCliloc:
            return static_cast<std::uint32_t>(GetClilocView()->rows.size());
        case kCategoryUniFonts:
            return static_cast<std::uint32_t>(GetUniFontFiles().size());
        case kCategorySpeech:
            return static_cast<std::uint32_t>(GetSpeechList()->keywords.size());
        default:
            return 0;
    }
}

}  // namespace

std::uint32_t GetEntryCount(const DataTypeDef& def, CClientFiles& files) {
    if (def.m_nDataFile == kNoFile) {
        return CountClientTexts(def.m_nId);
    }
    if (HoldsFacetBlocks(def) && ChosenFacet() != 0) {
        const CFacet* facet = ClientFacet(ChosenFacet());
        return facet == nullptr ? 0
                                : static_cast<std::uint32_t>(std::min<std::uint64_t>(
                                      facet->Layout().BlockCount(), CUOVersionBlock::kBlockLimit));
    }
    // Felucca's blocks: as many as its map or its statics index holds, whichever holds more
    // (458,752 on a current client's map of 7,168 tiles across), never fewer than the table's.
    if (HoldsFacetBlocks(def)) {
        const CFacet* facet = ClientFacet(0);
        const std::uint64_t mapBlocks = facet != nullptr ? facet->Layout().BlockCount() : 0;
        return static_cast<std::uint32_t>(
            std::clamp<std::uint64_t>(std::max(mapBlocks, files.GetIndexCount(kSlotStaIdx0)),
                                      def.m_nMaxEntries, CUOVersionBlock::kBlockLimit));
    }
    if (def.m_nId == kCategoryAnims) {
        // The bodies' sources are read again when a file they come from changed on disk.
        ClientAnimSources(files, true);
    }
    if (def.m_nIndexFile == kNoFile || !def.m_bCountsRecords) {
        return def.m_nMaxEntries;
    }
    std::uint64_t records = files.GetIndexCount(def.m_nIndexFile);
    records = records > def.m_nFirstRecord ? records - def.m_nFirstRecord : 0;
    // Entry numbers are 16 bits wide in the patch records and the pages.
    return static_cast<std::uint32_t>(
        std::clamp<std::uint64_t>(records, def.m_nMaxEntries, 0x10000));
}

bool HoldsFacetBlocks(const DataTypeDef& def) {
    return def.m_nDataFile == kSlotMap0 || def.m_nIndexFile == kSlotStaIdx0;
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

std::span<const DataTypeDef> GetTypeDefs() {
    return kTypes;
}

const DataTypeDef* FindRecordEntry(std::uint32_t fileId, std::uint32_t block,
                                   std::uint32_t* pIndex) {
    const DataTypeDef* found = nullptr;
    for (const DataTypeDef& def : kTypes) {
        if (def.m_nDataFile != kNoFile && static_cast<std::uint32_t>(def.m_nDataFile) == fileId &&
            def.m_nFirstRecord <= block &&
            (found == nullptr || def.m_nFirstRecord > found->m_nFirstRecord)) {
            found = &def;
        }
    }
    if (found != nullptr && pIndex != nullptr) {
        // A key too large for its first entry to be numbered names no entry of any list.
        // An anim.mul record is one action and direction of the body whose block holds it.
        const std::uint32_t key = block - found->m_nFirstRecord;
        const std::uint64_t first = found->m_nId == kCategoryAnims
                                        ? SlotOfAnimRecord(key)
                                        : std::uint64_t{key} * RecordEntryCount(*found);
        *pIndex = static_cast<std::uint32_t>(std::min<std::uint64_t>(first, 0xFFFFFFFFu));
    }
    return found;
}

std::uint32_t RecordEntryCount(const DataTypeDef& def) {
    return def.m_nId == kCategoryHues ? static_cast<std::uint32_t>(HueGroup::kEntryCount) : 1;
}

std::string GetListNote(const DataTypeDef& def, CClientFiles& files) {
    std::string note = def.m_pNote != nullptr ? def.m_pNote(files) : std::string();
    const auto add = [&note](const std::string& line) {
        note = line + (note.empty() ? "" : "\n" + note);
    };
    // A container that does not open, or whose tables break off, would list as empty or short.
    if (def.m_nDataFile != kNoFile && files.IsContainerSlot(def.m_nDataFile)) {
        if (const std::string error = files.GetContainerError(def.m_nDataFile); !error.empty()) {
            add("'" + files.GetFile(def.m_nDataFile).GetFilePath() + "' is damaged (" + error +
                "): what cannot be read of it is not listed");
        }
    } else if (def.m_nIndexFile != kNoFile && files.OpenSlot(def.m_nIndexFile)) {
        // An index cut inside a record would list short, or empty, without a word.
        CQFile& index = files.GetFile(def.m_nIndexFile);
        if (const std::uint64_t rest = index.GetLength() % IndexRecord::kSize; rest != 0) {
            add(
                Format("'%s' is cut: its last %llu byte(s) make no whole %u-byte record and are "
                       "not read",
                       index.GetFilePath().c_str(), static_cast<unsigned long long>(rest),
                       static_cast<unsigned>(IndexRecord::kSize)));
        }
    }
    // Entries past the 16-bit numbers of the patch records and the pages are not taken.
    if (def.m_nIndexFile != kNoFile && def.m_bCountsRecords && !HoldsFacetBlocks(def)) {
        const std::uint64_t records = files.GetIndexCount(def.m_nIndexFile);
        if (records > def.m_nFirstRecord + std::uint64_t{0x10000}) {
            const std::uint64_t entries = records - def.m_nFirstRecord;
            add(Format(
                "'%s' holds %llu entries: those past 0xffff (%llu) are left out (entry numbers "
                "are 16 bits wide)",
                files.GetFile(def.m_nIndexFile).GetFilePath().c_str(),
                static_cast<unsigned long long>(entries),
                static_cast<unsigned long long>(entries - 0x10000)));
        }
    }
    return note;
}

std::int32_t GetCategoryOfRecord(std::uint32_t fileId, std::uint32_t block) {
    const DataTypeDef* def = FindRecordEntry(fileId, block);
    return def != nullptr ? def->m_nId : 0;
}

const DataTypeDef* FindCategoryKind(std::string_view kind) {
    for (const DataTypeDef& def : kTypes) {
        if (def.m_pszKind != nullptr && kind == def.m_pszKind) {
            return &def;
        }
    }
    return nullptr;
}

CDataDef* CreateDataDef(std::int32_t nCategory, std::uint32_t nIndex, CClientFiles& files) {
    const DataTypeDef* def = GetTypeDef(nCategory);
    return def != nullptr ? def->m_pCreate(nIndex, files) : new CDataDefJunk(nIndex, files);
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
