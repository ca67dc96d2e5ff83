#pragma once
// Item pictures (art entries 16384 on).

#include "CDataDef.h"

namespace tessaly {

class CDataDefItem : public CDataDefIndex {
public:
    explicit CDataDefItem(std::uint32_t nIndex) : CDataDefIndex(nIndex) {}

    std::string GetListText() override;
    bool CopyData() override { return CopyImageToClipboard(); }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryItems; }
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;
};

}  // namespace tessaly
