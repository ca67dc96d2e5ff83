#include "TileData.h"

#include "ClientFiles.h"
#include "EventLog.h"
#include "TarnError.h"
#include "Text.h"
#include "VerDataTable.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

namespace tessaly {

namespace {
constexpr const char* kFlagLabels[32] = {
    "0=FLOOR",   "1=EQUIP",     "2=NONBLOCKING", "3=LIQUID",     "4=WALL",         "5=DAMAGE",
    "6=BLOCK",   "7=WATER",     "8=UNUSED",      "9=PLATFORM",   "A=CLIMBABLE",    "B=STACKABLE",
    "C=WINDOW",  "D=WALL2",     "E=A",           "F=AN",         "10=DESCRIPTION", "11=TRANSPARENT",
    "12=CLOTH",  "13=UNUSED",   "14=MAP",        "15=CONTAINER", "16=EQUIP2",      "17=LIGHT",
    "18=ANIM",   "19=UNK1",     "1A=UNK2",       "1B=BODYITEM",  "1C=ROOF",        "1D=DOOR",
    "1E=STAIRS", "1F=WALKABLE",
};

std::string NameOf(const char (&name)[20]) {
    return std::string(name, strnlen(name, 20));
}

// Where a record lies and how it failed to read, for one of the two record kinds.
struct RecordSource {
    std::uint32_t group;    // patch block of its group
    std::uint32_t place;    // place within the group
    std::uint32_t size;     // record size
    std::uint64_t basePos;  // position in "tiledata.mul"
    const char* seekError;
    const char* readError;
};

// Reads one record, from the patch file when its group is patched, else from "tiledata.mul",
// and hands the bytes read to the record's Parse (the unread tail stays zero).
template <typename Record>
void ReadRecord(CClientFiles& files, const RecordSource& source, TileDataLayout layout,
                Record& record) {
    std::int32_t slot = kSlotTileData;
    std::uint64_t pos = source.basePos;
    IndexRecord patch;
    if (files.GetVerDataTable().FindRecord(kSlotTileData, source.group, patch) &&
        TilePatchMismatch(patch.GetLength(), source.group, GetTileDataShape(files)).empty()) {
        // A group whose record the patch file does not hold whole is damaged, every record of
        // it, as the group reads everywhere else; none is read from what is there.
        if (files.DataStatus(kSlotVerData, patch) != ReadStatus::Ok) {
            throw CTarnError(2, kE_FAIL, source.readError);
        }
        slot = kSlotVerData;
        pos = std::uint64_t{patch.m_dwOffset} + std::uint64_t{source.place} * source.size + 4;
    }
    if (!files.OpenSlot(slot)) {
        throw CTarnError(2, kE_FAIL, source.seekError);
    }
    CQFile& file = files.GetFile(slot);
    try {
        file.Seek(static_cast<std::int64_t>(pos), CQFile::begin);
    } catch (const CQFileException&) {
        throw CTarnError(2, kE_FAIL, source.seekError);
    }
    std::uint8_t bytes[Record::kNewerSize] = {};
    std::uint32_t got = file.Read(bytes, source.size);
    if (got == 0) {
        throw CTarnError(2, kE_FAIL, source.readError);
    }
    record.Parse(ByteSpan(bytes, got), layout);
}

// The flags of either layout: 32 bits, or 64 split into two halves.
void ReadFlags(ByteReader& in, TileDataLayout layout, std::uint32_t& low, std::uint32_t& high) {
    in.u32(low);
    high = 0;
    if (layout == TileDataLayout::Newer) {
        in.u32(high);
    }
}

void WriteFlags(ByteWriter& out, TileDataLayout layout, std::uint32_t low, std::uint32_t high) {
    out.u32(low);
    if (layout == TileDataLayout::Newer) {
        out.u32(high);
    }
}

constexpr std::uint64_t kOldTerrainBytes = 428032;
constexpr std::uint64_t kNewerTerrainBytes = 493568;
}  // namespace

std::int32_t TileDataShape::FirstMultiItem() const {
    if (layout == TileDataLayout::Old) {
        return kFirstMultiItem;
    }
    // A cut file counts the group it ends inside: those items are the file's (damaged where it
    // ends), not multi structures.
    const std::uint64_t groups = itemGroups + (damaged ? 1u : 0u);
    const std::uint64_t items = std::min<std::uint64_t>(groups * 32ull, 0x10000);
    return std::max(kFirstMultiItem, static_cast<std::int32_t>(items));
}

std::string TileDataShape::Describe() const {
    std::string text = layout == TileDataLayout::Old ? "old" : "newer (64-bit flags)";
    return damaged ? text + ", damaged" : text;
}

namespace {
bool OldSizeFits(std::uint64_t size) {
    return size >= kOldTerrainBytes && (size - kOldTerrainBytes) % 1188 == 0;
}
bool NewerSizeFits(std::uint64_t size) {
    return size >= kNewerTerrainBytes && (size - kNewerTerrainBytes) % 1316 == 0;
}
}  // namespace

TileDataShape DetectTileData(std::uint64_t size, std::optional<TileDataLayout> damagedLayout) {
    TileDataShape shape;
    const bool oldFits = OldSizeFits(size);
    const bool newerFits = NewerSizeFits(size);
    if (oldFits && newerFits) {
        // Some sizes fit both (1,774,036 bytes: 1,133 old item groups or 973 newer ones).
        shape.layout = damagedLayout.value_or(TileDataLayout::Old);
    } else if (newerFits) {
        shape.layout = TileDataLayout::Newer;
    } else if (!oldFits) {
        shape.damaged = true;
        shape.layout = damagedLayout.value_or(size >= kNewerTerrainBytes ? TileDataLayout::Newer
                                                                         : TileDataLayout::Old);
    }
    const std::uint64_t terrain = shape.ItemSectionOffset();
    shape.itemGroups =
        size > terrain ? static_cast<std::uint32_t>((size - terrain) / shape.ItemGroupBytes()) : 0;
    return shape;
}

std::optional<TileDataLayout> GuessTileDataLayout(ByteSpan head) {
    // Read in the right layout, a record's name field holds printable text and then zeros; in
    // the wrong one the fields straddle flags and names. Each named record counts for a layout,
    // each field that is no name against it (an empty record is zeros either way).
    const auto score = [&](std::size_t recordSize, std::size_t records) {
        const std::size_t group = 4 + 32 * recordSize;
        std::ptrdiff_t total = 0;
        for (std::size_t k = 0; k < records; ++k) {
            const ByteSpan field =
                head.subspan(k / 32 * group + 4 + k % 32 * recordSize + recordSize - 20, 20);
            std::size_t text = 0;
            while (text < field.size() && field[text] >= 0x20 && field[text] != 0x7F) {
                ++text;
            }
            const bool zeros = std::all_of(field.begin() + static_cast<std::ptrdiff_t>(text),
                                           field.end(), [](std::uint8_t b) { return b == 0; });
            total += !zeros ? -1 : text > 0 ? 1 : 0;
        }
        return total;
    };
    // As many whole groups as both layouts can read.
    const std::size_t records = head.size() / (4 + 32 * CTileTerrainInfo::kNewerSize) * 32;
    const std::ptrdiff_t old = score(CTileTerrainInfo::kSize, records);
    const std::ptrdiff_t newer = score(CTileTerrainInfo::kNewerSize, records);
    if (old == newer) {
        return std::nullopt;
    }
    return old > newer ? TileDataLayout::Old : TileDataLayout::Newer;
}

TileDataShape GetTileDataShape(CClientFiles& files) {
    try {
        if (files.OpenSlot(kSlotTileData)) {
            CQFile& file = files.GetFile(kSlotTileData);
            const std::uint64_t size = file.GetLength();
            TileDataShape shape = DetectTileData(size);
            if (!shape.damaged && !(OldSizeFits(size) && NewerSizeFits(size))) {
                return shape;
            }
            // The guess reads the file: it is made once for each opened file and size.
            struct Guess {
                const CQFile* file = nullptr;
                std::uint64_t serial = 0;
                std::uint64_t size = 0;
                std::optional<TileDataLayout> layout;
            };
            static std::mutex lock;
            static Guess last;
            std::lock_guard hold(lock);
            if (last.file != &file || last.serial != file.GetOpenSerial() || last.size != size) {
                std::vector<std::uint8_t> head(
                    static_cast<std::size_t>(std::min<std::uint64_t>(size, 64 * 964)));
                file.Seek(0, CQFile::begin);
                head.resize(file.Read(head.data(), static_cast<std::uint32_t>(head.size())));
                last = {&file, file.GetOpenSerial(), size, GuessTileDataLayout(head)};
            }
            return DetectTileData(size, last.layout);
        }
    } catch (const CQFileException&) {
        // A file whose size cannot be read is taken as the old layout.
        LogCaughtException("measuring the tile data");
    }
    return TileDataShape();
}

std::uint32_t TileGroupBytes(std::uint32_t block, const TileDataShape& shape) {
    return block < kTerrainGroupCount ? shape.TerrainGroupBytes() : shape.ItemGroupBytes();
}

std::string TilePatchMismatch(std::uint32_t length, std::uint32_t block,
                              const TileDataShape& shape) {
    const std::uint32_t group = TileGroupBytes(block, shape);
    if (length == group) {
        return std::string();
    }
    return Format(
        "the patch record of tile data group %u holds %u bytes, not the %u of a group "
        "of this client's layout: not read",
        block, length, group);
}

const char* GetTileFlagLabel(int bit) {
    return bit >= 0 && bit < 32 ? kFlagLabels[bit] : "";
}

std::uint64_t TerrainRecordPos(std::uint16_t terrain, const TileDataShape& shape) {
    return std::uint64_t{terrain} * shape.TerrainSize() + std::uint64_t{terrain / 32u} * 4 + 4;
}

std::uint64_t ItemRecordPos(std::int32_t item, const TileDataShape& shape) {
    auto n = static_cast<std::uint64_t>(item);
    return n * shape.ItemSize() + (n / 32) * 4 + shape.ItemSectionOffset() + 4;
}

void CTileTerrainInfo::ReadInfo(std::uint16_t terrain) {
    ReadInfo(terrain, TheClientFiles());
}

void CTileTerrainInfo::ReadInfo(std::uint16_t terrain, CClientFiles& files) {
    const TileDataShape shape = GetTileDataShape(files);
    ReadRecord(
        files,
        {terrain / 32u, terrain % 32u, shape.TerrainSize(), TerrainRecordPos(terrain, shape),
         "CTileTerrainType.ReadInfo: TileData Seek", "CTileTerrainType.ReadInfo: TileData Read"},
        shape.layout, *this);
}

void CTileTerrainInfo::Parse(ByteSpan bytes, TileDataLayout layout) {
    std::uint8_t full[kNewerSize] = {};
    if (!bytes.empty()) {
        std::memcpy(full, bytes.data(), std::min(bytes.size(), kNewerSize));
    }
    ByteReader in(full);
    ReadFlags(in, layout, m_dwFlags, m_dwFlagsHigh);
    in.u16(m_wVal4);
    in.copy(m_szName, sizeof m_szName);
}

void CTileTerrainInfo::Write(ByteWriter& out, TileDataLayout layout) const {
    WriteFlags(out, layout, m_dwFlags, m_dwFlagsHigh);
    out.u16(m_wVal4).bytes(
        ByteSpan(reinterpret_cast<const std::uint8_t*>(m_szName), sizeof m_szName));
}

std::string CTileTerrainInfo::GetName() const {
    return NameOf(m_szName);
}

void CTileItemInfo::ReadInfo(std::int32_t item) {
    ReadInfo(item, TheClientFiles());
}

void CTileItemInfo::ReadInfo(std::int32_t item, CClientFiles& files) {
    const TileDataShape shape = GetTileDataShape(files);
    if (item >= shape.FirstMultiItem()) {
        // Multi structures are not in the file; they get a made-up record.
        *this = CTileItemInfo();
        m_bWeight = 255;
        SetName(item <= shape.FirstMultiItem() + 23 ? "ship" : "structure");
        return;
    }
    if (item < 0) {
        throw CTarnError(2, kE_FAIL, "CTileItemType.ReadInfo: TileData Seek");
    }
    auto n = static_cast<std::uint32_t>(item);
    ReadRecord(files,
               {(n + 16384u) / 32u, n % 32u, shape.ItemSize(), ItemRecordPos(item, shape),
                "CTileItemType.ReadInfo: TileData Seek", "CTileItemType.ReadInfo: TileData Read"},
               shape.layout, *this);
}

void CTileItemInfo::Parse(ByteSpan bytes, TileDataLayout layout) {
    std::uint8_t full[kNewerSize] = {};
    if (!bytes.empty()) {
        std::memcpy(full, bytes.data(), std::min(bytes.size(), kNewerSize));
    }
    ByteReader in(full);
    ReadFlags(in, layout, m_dwFlags, m_dwFlagsHigh);
    in.u8(m_bWeight);
    in.u8(m_bLayer);
    in.u32(m_dwVal6);
    in.u32(m_dwAnim);
    in.u16(m_wVal14);
    in.u8(m_bHeight);
    in.copy(m_szName, sizeof m_szName);
}

void CTileItemInfo::Write(ByteWriter& out, TileDataLayout layout) const {
    WriteFlags(out, layout, m_dwFlags, m_dwFlagsHigh);
    out.u8(m_bWeight).u8(m_bLayer).u32(m_dwVal6).u32(m_dwAnim).u16(m_wVal14);
    out.u8(m_bHeight).bytes(
        ByteSpan(reinterpret_cast<const std::uint8_t*>(m_szName), sizeof m_szName));
}

std::string CTileItemInfo::GetName() const {
    return NameOf(m_szName);
}

void CTileItemInfo::SetName(const char* name) {
    std::memset(m_szName, 0, sizeof m_szName);
    std::memcpy(m_szName, name, strnlen(name, sizeof m_szName));
}

namespace {
constexpr TileItemField kOldItemFields[] = {{"Weight", 0xFF},     {"Layer", 0xFF},
                                            {"Height", 0xFF},     {"Val6", 0xFFFFFFFF},
                                            {"Anim", 0xFFFFFFFF}, {"Val14", 0xFFFF}};
constexpr TileItemField kNewerItemFields[] = {
    {"Weight", 0xFF}, {"Quality", 0xFF},         {"Height", 0xFF},
    {"Misc", 0xFFFF}, {"Anim", 0xFFFF},          {"Quantity", 0xFF},
    {"Hue", 0xFF},    {"Stacking Offset", 0xFF}, {"Value", 0xFF}};
}  // namespace

std::span<const TileItemField> GetTileItemFields(TileDataLayout layout) {
    if (layout == TileDataLayout::Old) {
        return kOldItemFields;
    }
    return kNewerItemFields;
}

std::array<std::uint32_t, 9> CTileItemInfo::GetFields(TileDataLayout layout) const {
    if (layout == TileDataLayout::Old) {
        return {m_bWeight, m_bLayer, m_bHeight, m_dwVal6, m_dwAnim, m_wVal14, 0, 0, 0};
    }
    return {m_bWeight,     GetQuality(), m_bHeight,           GetMisc(), GetAnimation(),
            GetQuantity(), GetHue(),     GetStackingOffset(), GetValue()};
}

void CTileItemInfo::SetFields(TileDataLayout layout, const std::array<std::uint32_t, 9>& v) {
    const auto u8 = [](std::uint32_t x) { return static_cast<std::uint8_t>(x); };
    m_bWeight = u8(v[0]);
    m_bLayer = u8(v[1]);
    m_bHeight = u8(v[2]);
    if (layout == TileDataLayout::Old) {
        m_dwVal6 = v[3];
        m_dwAnim = v[4];
        m_wVal14 = static_cast<std::uint16_t>(v[5]);
        return;
    }
    // The unknown byte of each lump (bits 16-23) keeps its value.
    m_dwVal6 = (m_dwVal6 & 0x00FF0000u) | (v[3] & 0xFFFFu) | (std::uint32_t{u8(v[5])} << 24);
    m_dwAnim = (m_dwAnim & 0x00FF0000u) | (v[4] & 0xFFFFu) | (std::uint32_t{u8(v[6])} << 24);
    m_wVal14 = static_cast<std::uint16_t>(u8(v[7]) | (u8(v[8]) << 8));
}

}  // namespace tessaly
