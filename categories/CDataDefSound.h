#pragma once
// Sounds ("soundidx.mul"/"sound.mul").

#include "CDataDef.h"

namespace tessaly {

class CDataDefSound : public CDataDefIndex {
public:
    explicit CDataDefSound(std::uint32_t nIndex) : CDataDefIndex(nIndex) {}

    std::string GetListText() override;
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategorySounds; }
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;
};

}  // namespace tessaly
