#pragma once
// Map blocks ("map0.mul").

#include "CDataDef.h"

namespace tessaly {

class CDataDefMap : public CDataDef {
public:
    explicit CDataDefMap(std::uint32_t nIndex) : CDataDef(nIndex) {}

    std::string GetListText() override;
    bool CopyData() override { return true; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryMap; }
    bool IsValid() override;
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;
};

}  // namespace tessaly
