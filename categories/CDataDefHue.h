#pragma once
// Hue groups ("hues.mul").

#include "CDataDef.h"

namespace tessaly {

class CDataDefHue : public CDataDef {
public:
    explicit CDataDefHue(std::uint32_t nIndex) : CDataDef(nIndex) {}

    std::string GetListText() override;
    bool CopyData() override { return true; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryHues; }
    bool IsValid() override;
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;
};

}  // namespace tessaly
