#include "CDataDefMap.h"

#include "CDataDefStatics.h"
#include "EventLog.h"
#include "MapBlock.h"
#include "Text.h"

namespace tessaly {

std::string CDataDefMap::GetListText() {
    return "Map";
}

bool CDataDefMap::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefMap::IsValid() {
    return true;
}

bool CDataDefMap::ReadIndex() {
    return true;
}

void CDataDefMap::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::Map);
}

void CDataDefMap::ReadBlock(CMapBlock& block) {
    IndexRecord patch;
    if (ActivateLinkedPatch(patch)) {
        block.LoadRecord(patch, TheClientFiles());
    } else {
        block.LoadMapBlock(GetIndex());
    }
}

}  // namespace tessaly
