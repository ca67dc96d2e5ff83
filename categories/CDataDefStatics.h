#pragma once
// Statics blocks ("staidx0.mul"/"statics0.mul").

#include "CDataDef.h"

namespace tessaly {

class CDataDefStatics : public CDataDefIndex {
public:
    explicit CDataDefStatics(std::uint32_t nIndex) : CDataDefIndex(nIndex) {}

    std::string GetListText() override;
    bool CopyData() override { return true; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryStatics; }
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;
};

}  // namespace tessaly
