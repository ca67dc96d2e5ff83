#pragma once
// Lights ("lightidx.mul"/"light.mul").

#include "CDataDef.h"

namespace tessaly {

class CDataDefLight : public CDataDefIndex {
public:
    explicit CDataDefLight(std::uint32_t nIndex) : CDataDefIndex(nIndex) {}

    std::string GetListText() override;
    bool CopyData() override { return CopyImageToClipboard(); }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryLights; }
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;
};

}  // namespace tessaly
