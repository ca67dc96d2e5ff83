#pragma once
// Multis ("multi.idx"/"multi.mul").

#include "CDataDef.h"

namespace tessaly {

class CDataDefMulti : public CDataDefIndex {
public:
    explicit CDataDefMulti(std::uint32_t nIndex) : CDataDefIndex(nIndex) {}

    std::string GetListText() override;
    bool CopyData() override { return true; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryMultis; }
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;
};

}  // namespace tessaly
