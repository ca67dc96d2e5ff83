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
    CFacet* felucca = nullptr;
    if (ActivateLinkedPatch(patch)) {
        m_Statics.LoadRecord(patch, TheClientFiles());
    } else if (!TheClientFiles().GetVerDataTable().FindRecord(kSlotStatics0, GetIndex(), patch) &&
               (felucca = ClientFelucca()) != nullptr &&
               felucca->HasStaticsDifference(GetIndex())) {
        // An older client's difference files replace the block's statics.
        std::vector<std::vector<CStaticItem>> lists;
        felucca->ReadStaticsRun(GetIndex(), 1, lists);
        ByteWriter bytes;
        for (const CStaticItem& item : lists.front()) {
            item.Write(bytes);
        }
        m_Statics.Parse(bytes.data());
    } else {
        m_Statics.LoadStatics(GetIndex());
    }
}

std::string MapBlockCoords(std::uint32_t block) {
    return Format("x=%d, y=%d", static_cast<int>((block / kMapBlockRows) * 8),
                  static_cast<int>((block % kMapBlockRows) * 8));
}

}  // namespace tessaly
