#pragma once
// Terrain tiles (art entries 0 to 16383).

#include "CDataDef.h"

namespace tessaly {

class CDataDefTerrain : public CDataDefIndex {
public:
    explicit CDataDefTerrain(std::uint32_t nIndex) : CDataDefIndex(nIndex) {}

    std::string GetListText() override;
    bool CopyData() override { return CopyImageToClipboard(); }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryTerrain; }
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;
};

// The name in the terrain tile data record of a number; empty when it cannot be read.
std::string TerrainName(std::uint32_t terrain);

}  // namespace tessaly
