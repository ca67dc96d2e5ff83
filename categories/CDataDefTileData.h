#pragma once
// Tile data groups of 32 records ("tiledata.mul").

#include "CDataDef.h"

namespace tessaly {

class CDataDefTileData : public CDataDef {
public:
    explicit CDataDefTileData(std::uint32_t nIndex) : CDataDef(nIndex) {}

    std::string GetListText() override;
    bool CopyData() override { return true; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryTileData; }
    bool IsValid() override;
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;
};

}  // namespace tessaly
