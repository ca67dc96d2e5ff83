#include "CDataDefTileData.h"

#include "CDataDefItem.h"
#include "CDataDefTerrain.h"
#include "CDataDefTexture.h"
#include "CDataVerData.h"
#include "EventLog.h"
#include "RadarColors.h"
#include "Text.h"

#include <algorithm>

namespace tessaly {

namespace {

// Groups from here on would hold item numbers of multis, which "tiledata.mul" has no room for.
constexpr std::uint32_t kTileGroupLimit = kTerrainGroupCount + kFirstMultiItem / kTileGroupSize;

// The base file's stretch of group b; false for groups the file has no room for.
bool BaseGroupRecord(std::uint32_t b, IndexRecord& record) {
    if (b < kTerrainGroupCount) {
        record.m_dwOffset = b * kTerrainGroupBytes;
        record.m_dwLength = kTerrainGroupBytes;
        return true;
    }
    if (b < kTileGroupLimit) {
        record.m_dwOffset = kItemSectionOffset + (b - kTerrainGroupCount) * kItemGroupBytes;
        record.m_dwLength = kItemGroupBytes;
        return true;
    }
    return false;
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
    IndexRecord base;
    if (!BaseGroupRecord(GetIndex(), base)) {
        return false;
    }
    try {
        return TheClientFiles().DataFits(kSlotTileData, base);
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
    IndexRecord base;
    return BaseGroupRecord(GetIndex(), base) && ReadFrom(base);
}

bool CDataDefTileData::ReadFrom(const IndexRecord& record) {
    // Only the group's own room is read, whatever length a patch record claims; a shorter
    // group leaves the rest of the records zero.
    const std::uint32_t room = IsItemBlock() ? kItemGroupBytes : kTerrainGroupBytes;
    IndexRecord part = record;
    std::uint32_t length = std::min(record.GetLength(), room);
    part.m_dwLength = (record.m_dwLength & IndexRecord::kPatchBit) | length;
    if (record.m_dwOffset == IndexRecord::kNoData || length == 0) {
        return false;
    }
    try {
        CClientFiles& files = TheClientFiles();
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
    info.Parse(ByteSpan(m_Block).subspan(4 + p * CTileTerrainInfo::kSize, CTileTerrainInfo::kSize));
    return true;
}

bool CDataDefTileData::GetItemRecord(std::uint32_t p, CTileItemInfo& info) const {
    if (!m_bRead || p >= kTileGroupSize) {
        return false;
    }
    info.Parse(ByteSpan(m_Block).subspan(4 + p * CTileItemInfo::kSize, CTileItemInfo::kSize));
    return true;
}

}  // namespace tessaly
