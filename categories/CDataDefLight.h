#pragma once
// Lights ("lightidx.mul"/"light.mul") and the "Light" page that draws them.

#include "CDataDefPicture.h"
#include "LightType.h"

namespace tessaly {

class CDataDefLight : public CDataDefSizedPicture<CTileLightType> {
public:
    explicit CDataDefLight(std::uint32_t nIndex, CClientFiles& files = TheClientFiles())
        : CDataDefSizedPicture(nIndex, EntryPage::LightDraw, files) {}

    std::string GetListText() override;
    std::int32_t GetDataType() override { return kCategoryLights; }
    void AddPages(std::vector<EntryPage>& pages) override;

protected:
    bool DrawBlock(CSurfaceDC& dc, std::uint16_t hue, bool partial) override;
};

}  // namespace tessaly
