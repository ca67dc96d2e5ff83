#pragma once
// Gumps ("gumpidx.mul"/"gumpart.mul").

#include "CDataDef.h"

namespace tessaly {

class CDataDefGump : public CDataDefIndex {
public:
    explicit CDataDefGump(std::uint32_t nIndex) : CDataDefIndex(nIndex) {}

    std::string GetListText() override;
    bool CopyData() override { return CopyImageToClipboard(); }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryGumps; }
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;
};

}  // namespace tessaly
