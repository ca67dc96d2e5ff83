#include "CDataDefStatics.h"

#include "EventLog.h"
#include "Text.h"
#include "TileData.h"

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
    return ReadBaseIndex(kSlotStaIdx0, GetIndex());
}

void CDataDefStatics::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::Statics);
}

void CDataDefStatics::LoadStatics() {
    if (m_Statics.GetCount() != 0) {
        return;
    }
    IndexRecord patch;
    if (ActivateLinkedPatch(patch)) {
        m_Statics.LoadRecord(patch, TheClientFiles());
    } else {
        m_Statics.LoadStatics(GetIndex());
    }
}

std::string MapBlockCoords(std::uint32_t block) {
    return Format("x=%d, y=%d", static_cast<int>((block / kMapBlockRows) * 8),
                  static_cast<int>((block % kMapBlockRows) * 8));
}

}  // namespace tessaly
