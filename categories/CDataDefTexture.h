#pragma once
// Textures ("texidx.mul"/"texmaps.mul").

#include "CDataDef.h"

namespace tessaly {

class CDataDefTexture : public CDataDefIndex {
public:
    explicit CDataDefTexture(std::uint32_t nIndex) : CDataDefIndex(nIndex) {}

    std::string GetListText() override;
    bool CopyData() override { return CopyImageToClipboard(); }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryTextures; }
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;
};

}  // namespace tessaly
