#pragma once
// Statics blocks of a facet ("staidx0.mul"/"statics0.mul" ... "staidx5.mul"/"statics5.mul")
// and the page that lists a block's items.

#include "CDataDef.h"
#include "CDataDefMap.h"
#include "Statics.h"

#include <optional>
#include <string>

namespace tessaly {

class CDataDefStatics : public CDataDefIndex {
public:
    explicit CDataDefStatics(std::uint32_t nIndex, int facet = ChosenFacet(),
                             CClientFiles& files = TheClientFiles())
        : CDataDefIndex(nIndex, files), m_nFacet(facet) {}

    // "unused" without data, else the number of items the block's length holds.
    std::string GetListText() override;
    bool CopyData(EntryClip& /*clip*/) override { return true; }
    bool CanCopy() override { return false; }
    // Another facet than Felucca is named.
    std::string GetTitleNote() override;
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryStatics; }
    bool ReadIndex() override;
    // Another facet's block: Damaged when its record is not inside the facet's statics file.
    ReadStatus GetReadStatus() override;
    void AddPages(std::vector<EntryPage>& pages) override;

    // Loads the block's items while it holds none: Felucca's from a linked record of a patch
    // file, else through the patch table and the base files; another facet's from its own
    // files. Raises CTarnError when they cannot be read.
    void LoadStatics();
    const CStaticsList& GetStatics() const { return m_Statics; }
    int GetFacet() const { return m_nFacet; }

private:
    CStaticsList m_Statics;
    int m_nFacet;
    bool m_bDifference = false;  // the index record is the difference files'
};

// "x=%d, y=%d": the top-left tile of block b of a facet (whose block columns are as long as
// the facet's rows).
std::string MapBlockCoords(std::uint32_t block, int facet = 0);
// The tile data name of a static item; none, with a line in the event log, when its record
// cannot be read (the item is still shown, without it).
std::optional<std::string> StaticItemName(std::uint16_t tile);

}  // namespace tessaly
