#pragma once
// Map blocks ("map0.mul") and the page that lists a block's 64 terrain cells.

#include "CDataDef.h"

namespace tessaly {

class CFacet;
class CMapBlock;

// Felucca of the process-wide file set's client, read for its difference files (opened again
// when the client's directories change); null when it has no map.
CFacet* ClientFelucca();

class CDataDefMap : public CDataDef {
public:
    explicit CDataDefMap(std::uint32_t nIndex) : CDataDef(nIndex) {}

    std::string GetListText() override;
    bool CopyData(EntryClip& /*clip*/) override { return true; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryMap; }
    bool IsValid() override;
    bool ReadIndex() override;
    void AddPages(std::vector<EntryPage>& pages) override;

    // Reads the block: a linked record of a patch file, else through the patch table and
    // "map0.mul". Raises CTarnError when it cannot be read.
    void ReadBlock(CMapBlock& block);
};

}  // namespace tessaly
