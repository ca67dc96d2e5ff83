#pragma once
// Lights ("lightidx.mul"/"light.mul") and the "Light" page that draws them.

#include "CDataDef.h"
#include "LightType.h"

namespace tessaly {

class CDataDefLight : public CDataDefIndex {
public:
    explicit CDataDefLight(std::uint32_t nIndex) : CDataDefIndex(nIndex), m_Block(nIndex) {}

    std::string GetListText() override;
    bool GetImage(SurfaceBuffer& buffer) override;
    bool CopyData(EntryClip& clip) override { return CopyImage(clip); }
    // Exports the picture GetImage draws.
    ExportKind GetExportKind() override { return ExportKind::Picture; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryLights; }
    bool ReadIndex() override;
    void AddPages(std::vector<EntryPage>& pages) override;

    CTileLightType& GetBlock() { return m_Block; }
    // The picture at its top-left corner, each side cut to its limit; what the draw answered.
    bool DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth, std::uint32_t maxHeight);

private:
    CTileLightType m_Block;
};

}  // namespace tessaly
