#include "CDataDefStatics.h"

#include "CDataDefMap.h"
#include "EventLog.h"
#include "Facet.h"
#include "Text.h"
#include "TileData.h"
#include "VerDataTable.h"

namespace tessaly {

std::string CDataDefStatics::GetListText() {
    if (!IsValid()) {
        return "unused";
    }
    // The column shows the item count; a block deleted by a patch record counts 0.
    return Format("%d", static_cast<int>(GetEffectiveIndex().GetLength() / CStaticItem::kSize));
}

bool CDataDefStatics::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefStatics::ReadIndex() {
    CFacet* facet = ClientFacet(m_nFacet, Files());
    // Felucca's base record first: a patch record linked later still reads through its slot.
    const bool held = m_nFacet == 0
                          ? ReadBaseIndex(kSlotStaIdx0, GetIndex())
                          : facet != nullptr && facet->ReadStaticsRecord(GetIndex(), m_Index);
    // A block the difference files of an older client replace is listed as they hold it.
    m_bDifference = facet != nullptr && facet->ReadStaticsDifference(GetIndex(), m_Index);
    return m_bDifference ? m_Index.HasData() : held;
}

ReadStatus CDataDefStatics::GetReadStatus() {
    if (m_nFacet == 0 && (!m_bDifference || GetVerData() != nullptr)) {
        return CDataDefIndex::GetReadStatus();
    }
    if (!IsValid()) {
        return ReadStatus::Absent;
    }
    const CFacet* facet = ClientFacet(m_nFacet, Files());
    if (facet == nullptr) {
        return ReadStatus::Damaged;
    }
    return (m_bDifference ? facet->StaticsDifferenceFits(m_Index)
                          : facet->StaticsRecordFits(m_Index))
               ? ReadStatus::Ok
               : ReadStatus::Damaged;
}

void CDataDefStatics::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::Statics);
}

void CDataDefStatics::LoadStatics() {
    if (m_Statics.GetCount() != 0) {
        return;
    }
    IndexRecord patch;
    CFacet* facet = ClientFacet(m_nFacet, Files());
    if (m_nFacet == 0 && ActivateLinkedPatch(patch)) {
        m_Statics.LoadRecord(patch, Files());
    } else if (m_nFacet != 0 ||
               (!Files().GetVerDataTable().FindRecord(kSlotStatics0, GetIndex(), patch) &&
                facet != nullptr && facet->HasStaticsDifference(GetIndex()))) {
        // Another facet's statics, or an older client's difference files replacing a block of
        // Felucca's, come from the facet's own files (patch records name Felucca's alone).
        if (facet == nullptr) {
            return;
        }
        std::vector<std::vector<CStaticItem>> lists;
        facet->ReadStaticsRun(GetIndex(), 1, lists);
        ByteWriter bytes;
        for (const CStaticItem& item : lists.front()) {
            item.Write(bytes);
        }
        m_Statics.Parse(bytes.data());
    } else {
        m_Statics.LoadStatics(GetIndex());
    }
}

std::string MapBlockCoords(std::uint32_t block, int facet) {
    const std::uint32_t rows = FacetBlockRows(facet);
    return Format("x=%d, y=%d", static_cast<int>((block / rows) * 8),
                  static_cast<int>((block % rows) * 8));
}

std::optional<std::string> StaticItemName(std::uint16_t tile) {
    try {
        CTileItemInfo info;
        info.ReadInfo(tile);
        return info.GetName();
    } catch (...) {
        LogCaughtException("reading a static item's name");
        return std::nullopt;
    }
}

std::string CDataDefStatics::GetTitleNote() {
    return m_nFacet != 0 ? FacetName(m_nFacet) : std::string();
}

}  // namespace tessaly
