#include "CDataDefTileData.h"

#include "CDataVerData.h"
#include "EventLog.h"
#include "RadarColors.h"
#include "Text.h"

#include <algorithm>

namespace tessaly {

namespace {

// The base file's stretch of group b in the file's layout; false for groups from the first
// multi item's on, which the file has no room for.
bool BaseGroupRecord(std::uint32_t b, const TileDataShape& shape, IndexRecord& record) {
    const auto itemGroups = static_cast<std::uint32_t>(shape.FirstMultiItem()) / kTileGroupSize;
    if (b >= kTerrainGroupCount + itemGroups) {
        return false;
    }
    const std::uint64_t offset =
        b < kTerrainGroupCount ? std::uint64_t{b} * shape.TerrainGroupBytes()
                               : shape.ItemSectionOffset() +
                                     std::uint64_t{b - kTerrainGroupCount} * shape.ItemGroupBytes();
    record.m_dwOffset = static_cast<std::uint32_t>(offset);
    record.m_dwLength = TileGroupBytes(b, shape);
    return true;
}

}  // namespace

std::string CDataDefTileData::GetListText() {
    if (!IsValid()) {
        return "unused";
    }
    // The first groups hold terrain, the rest items.
    std::uint32_t b = GetIndex();
    if (b < kTerrainGroupCount) {
        return Format("t%d-%d", static_cast<int>(b * kTileGroupSize),
                      static_cast<int>(b * kTileGroupSize + kTileGroupSize - 1));
    }
    int first = static_cast<int>(b * kTileGroupSize - kArtItemBase);
    return Format("i%d-%d", first, first + static_cast<int>(kTileGroupSize) - 1);
}

bool CDataDefTileData::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefTileData::IsValid() {
    if (GetVerData() != nullptr) {
        return true;
    }
    try {
        IndexRecord base;
        return BaseGroupRecord(GetIndex(), GetTileDataShape(Files()), base) &&
               Files().DataFits(kSlotTileData, base);
    } catch (...) {
        LogCaughtException("checking a tile data group");
        return false;
    }
}

bool CDataDefTileData::ReadIndex() {
    return false;
}

void CDataDefTileData::SetVerData(CDataVerData* pVerData) {
    if (!m_bRead && pVerData != nullptr && pVerData->HasRecord()) {
        pVerData->ActivatePatch();
        ReadFrom(IndexFromPatch(*pVerData->GetRecord()));
    }
    CDataDef::SetVerData(pVerData);
}

void CDataDefTileData::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::TileData);
}

bool CDataDefTileData::ReadBlock() {
    if (m_bRead) {
        return true;
    }
    IndexRecord patch;
    if (ActivateLinkedPatch(patch)) {
        return ReadFrom(patch);
    }
    if (GetLinkedChange(patch)) {
        return ReadChange();
    }
    return ReadBase();
}

bool CDataDefTileData::ReadChange() {
    const std::vector<std::uint8_t>& bytes = GetVerData()->GetChangeBytes();
    try {
        m_Shape = GetTileDataShape(TheClientFiles());
    } catch (...) {
        LogCaughtException("reading a tile data group");
        return false;
    }
    m_sPatchNote = TilePatchMismatch(static_cast<std::uint32_t>(bytes.size()), GetIndex(), m_Shape);
    if (!m_sPatchNote.empty()) {
        return ReadBase();
    }
    m_Block.fill(0);
    std::copy(bytes.begin(), bytes.end(), m_Block.begin());
    m_bRead = true;
    return true;
}

std::unique_ptr<CDataVerData> CDataDefTileData::MakeRecordChange(std::uint32_t p,
                                                                 ByteSpan record) const {
    const std::uint32_t size = IsItemBlock() ? m_Shape.ItemSize() : m_Shape.TerrainSize();
    if (!m_bRead || p >= kTileGroupSize || record.size() != size) {
        return nullptr;
    }
    ByteWriter group;
    group.bytes(ByteSpan(m_Block).first(TileGroupBytes(GetIndex(), m_Shape)));
    group.patchBytes(4 + std::size_t{p} * size, record);
    const CUOVersionBlock change{kSlotTileData, GetIndex(), 0, 0, 0, 0};
    return std::make_unique<CDataVerData>(change, group.take());
}

std::unique_ptr<CDataDefTileData> ReadTileGroup(std::uint32_t block,
                                                const CQObArray<CDataVerData*>* records) {
    auto group = std::make_unique<CDataDefTileData>(block);
    CDataVerData* link = nullptr;
    if (records != nullptr) {
        for (CDataVerData* record : *records) {
            const CUOVersionBlock* replaced = record->GetReplaced();
            if (replaced != nullptr && replaced->m_dwFileId == kSlotTileData &&
                replaced->m_dwBlock == block) {
                link = record;
            }
        }
    }
    if (link != nullptr) {
        group->LinkVerData(link);
    }
    if (!group->ReadBlock()) {
        return nullptr;
    }
    return group;
}

bool CDataDefTileData::ReadBase() {
    try {
        IndexRecord base;
        return BaseGroupRecord(GetIndex(), GetTileDataShape(Files()), base) && ReadFrom(base);
    } catch (...) {
        LogCaughtException("reading a tile data group");
        return false;
    }
}

bool CDataDefTileData::ReadFrom(const IndexRecord& record) {
    m_Shape = GetTileDataShape(Files());
    const std::uint32_t room = TileGroupBytes(GetIndex(), m_Shape);
    if (record.IsPatch()) {
        // A group of the other layout would be read with the wrong stride.
        m_sPatchNote = TilePatchMismatch(record.GetLength(), GetIndex(), m_Shape);
        if (!m_sPatchNote.empty()) {
            return ReadBase();
        }
    }
    // Only the group's own room is read; a shorter base file leaves the rest of the records
    // zero.
    IndexRecord part = record;
    std::uint32_t length = std::min(record.GetLength(), room);
    part.m_dwLength = (record.m_dwLength & IndexRecord::kPatchBit) | length;
    if (record.m_dwOffset == IndexRecord::kNoData || length == 0) {
        return false;
    }
    try {
        CClientFiles& files = Files();
        m_Block.fill(0);
        if (!files.DataFits(kSlotTileData, part) ||
            !files.ReadData(kSlotTileData, part, std::span(m_Block).first(length))) {
            return false;
        }
    } catch (...) {
        LogCaughtException("reading a tile data group");
        return false;
    }
    m_bRead = true;
    return true;
}

bool CDataDefTileData::GetTerrainRecord(std::uint32_t p, CTileTerrainInfo& info) const {
    if (!m_bRead || p >= kTileGroupSize) {
        return false;
    }
    const std::uint32_t size = m_Shape.TerrainSize();
    info.Parse(ByteSpan(m_Block).subspan(4 + p * size, size), m_Shape.layout);
    return true;
}

bool CDataDefTileData::GetItemRecord(std::uint32_t p, CTileItemInfo& info) const {
    if (!m_bRead || p >= kTileGroupSize) {
        return false;
    }
    const std::uint32_t size = m_Shape.ItemSize();
    info.Parse(ByteSpan(m_Block).subspan(4 + p * size, size), m_Shape.layout);
    return true;
}
}  // namespace tessaly
