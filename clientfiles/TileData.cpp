#include "TileData.h"

#include "ClientFiles.h"
#include "TarnError.h"
#include "VerDataTable.h"

#include <cstring>

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

// Reads one record of `size` bytes at `pos` of `file` into `bytes`; the two descriptions name
// the failing step. Returns the count read (at least 1).
std::uint32_t ReadRecord(CQFile& file, std::uint64_t pos, std::uint8_t* bytes, std::uint32_t size,
                         const char* seekError, const char* readError) {
    if (!file.IsOpen()) {
        throw CTarnError(2, kE_FAIL, seekError);
    }
    try {
        file.Seek(static_cast<std::int64_t>(pos), CQFile::begin);
    } catch (const CQFileException&) {
        throw CTarnError(2, kE_FAIL, seekError);
    }
    std::uint32_t got = file.Read(bytes, size);
    if (got == 0) {
        throw CTarnError(2, kE_FAIL, readError);
    }
    return got;
}

// Where a record lies: in the patch file when its group is patched, else in "tiledata.mul".
CQFile& Locate(CClientFiles& files, std::uint32_t group, std::uint32_t place,
               std::uint32_t recordSize, std::uint64_t basePos, std::uint64_t& pos) {
    IndexRecord patch;
    if (files.GetVerDataTable().FindRecord(kSlotTileData, group, patch)) {
        pos = std::uint64_t{patch.m_dwOffset} + std::uint64_t{place} * recordSize + 4;
        files.OpenSlot(kSlotVerData);
        return files.GetFile(kSlotVerData);
    }
    pos = basePos;
    files.OpenSlot(kSlotTileData);
    return files.GetFile(kSlotTileData);
}
}  // namespace

const char* GetTileFlagLabel(int bit) {
    return bit >= 0 && bit < 32 ? kFlagLabels[bit] : "";
}

std::uint64_t TerrainRecordPos(std::uint16_t terrain) {
    return std::uint64_t{terrain} * CTileTerrainInfo::kSize + std::uint64_t{terrain / 32u} * 4 + 4;
}

std::uint64_t ItemRecordPos(std::int32_t item) {
    auto n = static_cast<std::uint64_t>(item);
    return n * CTileItemInfo::kSize + (n / 32) * 4 + kItemSectionOffset + 4;
}

void CTileTerrainInfo::ReadInfo(std::uint16_t terrain) {
    ReadInfo(terrain, TheClientFiles());
}

void CTileTerrainInfo::ReadInfo(std::uint16_t terrain, CClientFiles& files) {
    std::uint64_t pos = 0;
    CQFile& file =
        Locate(files, terrain / 32u, terrain % 32u, kSize, TerrainRecordPos(terrain), pos);
    std::uint8_t bytes[kSize] = {};
    std::uint32_t got =
        ReadRecord(file, pos, bytes, kSize, "CTileTerrainType.ReadInfo: TileData Seek",
                   "CTileTerrainType.ReadInfo: TileData Read");
    Parse(ByteSpan(bytes, got));
}

void CTileTerrainInfo::Parse(ByteSpan bytes) {
    std::uint8_t full[kSize] = {};
    if (!bytes.empty()) {
        std::memcpy(full, bytes.data(), std::min(bytes.size(), kSize));
    }
    ByteReader in(full);
    in.u32(m_dwFlags);
    in.u16(m_wVal4);
    in.copy(m_szName, sizeof m_szName);
}

void CTileTerrainInfo::Write(ByteWriter& out) const {
    out.u32(m_dwFlags).u16(m_wVal4).bytes(
        ByteSpan(reinterpret_cast<const std::uint8_t*>(m_szName), sizeof m_szName));
}

std::string CTileTerrainInfo::GetName() const {
    return NameOf(m_szName);
}

void CTileItemInfo::ReadInfo(std::int32_t item) {
    ReadInfo(item, TheClientFiles());
}

void CTileItemInfo::ReadInfo(std::int32_t item, CClientFiles& files) {
    if (item >= kFirstMultiItem) {
        // Multi structures are not in the file; they get a made-up record.
        *this = CTileItemInfo();
        m_bWeight = 255;
        SetName(item <= kFirstMultiItem + 23 ? "ship" : "structure");
        return;
    }
    if (item < 0) {
        throw CTarnError(2, kE_FAIL, "CTileItemType.ReadInfo: TileData Seek");
    }
    auto n = static_cast<std::uint32_t>(item);
    std::uint64_t pos = 0;
    CQFile& file = Locate(files, (n + 16384u) / 32u, n % 32u, kSize, ItemRecordPos(item), pos);
    std::uint8_t bytes[kSize] = {};
    std::uint32_t got = ReadRecord(file, pos, bytes, kSize, "CTileItemType.ReadInfo: TileData Seek",
                                   "CTileItemType.ReadInfo: TileData Read");
    Parse(ByteSpan(bytes, got));
}

void CTileItemInfo::Parse(ByteSpan bytes) {
    std::uint8_t full[kSize] = {};
    if (!bytes.empty()) {
        std::memcpy(full, bytes.data(), std::min(bytes.size(), kSize));
    }
    ByteReader in(full);
    in.u32(m_dwFlags);
    in.u8(m_bWeight);
    in.u8(m_bLayer);
    in.u32(m_dwVal6);
    in.u32(m_dwAnim);
    in.u16(m_wVal14);
    in.u8(m_bHeight);
    in.copy(m_szName, sizeof m_szName);
}

void CTileItemInfo::Write(ByteWriter& out) const {
    out.u32(m_dwFlags).u8(m_bWeight).u8(m_bLayer).u32(m_dwVal6).u32(m_dwAnim).u16(m_wVal14);
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

}  // namespace tessaly
