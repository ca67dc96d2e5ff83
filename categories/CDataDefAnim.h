#pragma once
// Animation bodies ("anim.idx"/"anim.mul"): one entry per body.

#include "CDataDef.h"

namespace tessaly {

class CDataDefAnim : public CDataDefIndex {
public:
    explicit CDataDefAnim(std::uint32_t nIndex) : CDataDefIndex(nIndex) {}

    std::string GetListText() override;
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryAnims; }
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;
};

}  // namespace tessaly
