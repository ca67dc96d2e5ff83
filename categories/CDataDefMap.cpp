#include "CDataDefMap.h"

#include "CDataDefStatics.h"
#include "EventLog.h"
#include "Facet.h"
#include "MapBlock.h"
#include "Text.h"
#include "VerDataTable.h"

#include <memory>

namespace tessaly {

CFacet* ClientFelucca() {
    static std::unique_ptr<CFacet> facet;
    static std::string openedFor;
    CClientFiles& files = TheClientFiles();
    const std::string dirs = files.m_sChosenDir + '\n' + files.m_sClientDir + '\n' + files.m_sCDDir;
    if (facet == nullptr || openedFor != dirs) {
        facet = std::make_unique<CFacet>();
        openedFor = dirs;
        if (!facet->Open(files, 0)) {
            facet.reset();
        }
    }
    return facet.get();
}

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
    IndexRecord record;
    CFacet* felucca = nullptr;
    if (ActivateLinkedPatch(patch)) {
        block.LoadRecord(patch, TheClientFiles());
    } else if (!TheClientFiles().GetVerDataTable().FindRecord(kSlotMap0, GetIndex(), record) &&
               (felucca = ClientFelucca()) != nullptr && felucca->HasMapDifference(GetIndex())) {
        // An older client's difference file replaces the block.
        felucca->ReadMapBlock(GetIndex(), block);
    } else {
        block.LoadMapBlock(GetIndex());
    }
}

}  // namespace tessaly
