#pragma once
// Fonts ("fonts.mul").

#include "CDataDef.h"

namespace tessaly {

class CDataDefFont : public CDataDef {
public:
    explicit CDataDefFont(std::uint32_t nIndex) : CDataDef(nIndex) {}

    std::string GetListText() override;
    bool CopyData() override { return true; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryFonts; }
    bool IsValid() override;
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;
};

}  // namespace tessaly
