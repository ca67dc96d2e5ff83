#pragma once
// Statics blocks ("staidx0.mul"/"statics0.mul") and the page that lists a block's items.

#include "CDataDef.h"
#include "Statics.h"

namespace tessaly {

class CDataDefStatics : public CDataDefIndex {
public:
    explicit CDataDefStatics(std::uint32_t nIndex) : CDataDefIndex(nIndex) {}

    // "unused" without data, else the number of items the block's length holds.
    std::string GetListText() override;
    bool CopyData(EntryClip& /*clip*/) override { return true; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryStatics; }
    bool ReadIndex() override;
    void AddPages(std::vector<EntryPage>& pages) override;

    // Loads the block's items while it holds none: from a linked record of a patch file, else
    // through the patch table and the base files. Raises CTarnError when they cannot be read.
    void LoadStatics();
    const CStaticsList& GetStatics() const { return m_Statics; }

private:
    CStaticsList m_Statics;
};

// "x=%d, y=%d": the top-left tile of map block b.
std::string MapBlockCoords(std::uint32_t block);

}  // namespace tessaly
