#pragma once
// Map blocks of a facet ("map0.mul" ... "map5.mul" or their containers) and the page that
// lists a block's 64 terrain cells.

#include "CDataDef.h"

namespace tessaly {

class CFacet;
class CMapBlock;

// Facet 0 to 5 of a file set's client (the process-wide one's by default), kept open for the
// Map and Statics entries (opened again when the file set or its directories change); null
// when it has no map.
CFacet* ClientFacet(int facet, CClientFiles& files = TheClientFiles());
// The facet the Map and Statics lists show and their new entries read: 0 (Felucca) until
// another is chosen.
int ChosenFacet();
void SetChosenFacet(int facet);

class CDataDefMap : public CDataDef {
public:
    explicit CDataDefMap(std::uint32_t nIndex, int facet = ChosenFacet(),
                         CClientFiles& files = TheClientFiles())
        : CDataDef(nIndex, files), m_nFacet(facet) {}

    std::string GetListText() override;
    bool CopyData(EntryClip& /*clip*/) override { return true; }
    bool CanCopy() override { return false; }
    // Another facet than Felucca is named.
    std::string GetTitleNote() override;
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryMap; }
    bool IsValid() override;
    bool ReadIndex() override;
    void AddPages(std::vector<EntryPage>& pages) override;

    // Reads the block: Felucca's from a linked record of a patch file, else through the patch
    // table and "map0.mul"; another facet's from its own files. Raises CTarnError when it cannot
    // be read.
    void ReadBlock(CMapBlock& block);
    int GetFacet() const { return m_nFacet; }

private:
    int m_nFacet;
};

}  // namespace tessaly
