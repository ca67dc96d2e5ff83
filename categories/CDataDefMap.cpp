#include "CDataDefMap.h"

#include "CDataDefStatics.h"
#include "EventLog.h"
#include "Facet.h"
#include "MapBlock.h"
#include "Text.h"
#include "VerDataTable.h"

#include <algorithm>
#include <array>
#include <memory>

namespace tessaly {

namespace {
int g_nChosenFacet = 0;
}  // namespace

CFacet* ClientFacet(int facet, CClientFiles& files) {
    if (facet < 0 || facet >= kFacetCount) {
        return nullptr;
    }
    static std::array<std::unique_ptr<CFacet>, kFacetCount> facets;
    static std::array<bool, kFacetCount> tried{};
    // Asked once per block as a list is made: the check makes no copy of the directories.
    static std::array<std::string, 3> openedFor;
    static const CClientFiles* openedFrom = nullptr;
    if (openedFrom != &files || openedFor[0] != files.m_sChosenDir ||
        openedFor[1] != files.m_sClientDir || openedFor[2] != files.m_sCDDir) {
        openedFor = {files.m_sChosenDir, files.m_sClientDir, files.m_sCDDir};
        openedFrom = &files;
        for (int f = 0; f < kFacetCount; ++f) {
            facets[f].reset();
            tried[f] = false;
        }
    }
    if (!tried[facet]) {
        tried[facet] = true;
        facets[facet] = std::make_unique<CFacet>();
        if (!facets[facet]->Open(files, facet)) {
            facets[facet].reset();
        }
    }
    return facets[facet].get();
}

int ChosenFacet() {
    return g_nChosenFacet;
}

void SetChosenFacet(int facet) {
    g_nChosenFacet = std::clamp(facet, 0, kFacetCount - 1);
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
    CFacet* facet = ClientFacet(m_nFacet);
    if (m_nFacet != 0) {
        // Patch records replace Felucca's blocks only.
        if (facet != nullptr) {
            facet->ReadMapBlock(GetIndex(), block);
        }
    } else if (ActivateLinkedPatch(patch)) {
        block.LoadRecord(patch, Files());
    } else if (!Files().GetVerDataTable().FindRecord(kSlotMap0, GetIndex(), record) &&
               facet != nullptr && facet->HasMapDifference(GetIndex())) {
        // An older client's difference file replaces the block.
        facet->ReadMapBlock(GetIndex(), block);
    } else {
        block.LoadMapBlock(GetIndex());
    }
}

std::string CDataDefMap::GetTitleNote() {
    return m_nFacet != 0 ? FacetName(m_nFacet) : std::string();
}

}  // namespace tessaly
