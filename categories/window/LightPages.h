#pragma once
// The "Light" page of the Lights category.

#include "CDataDefLight.h"
#include "CDataPageDraw.h"
#include "ControlIds.h"

namespace tessaly {

// "Light": the picture of a light.
class CDataPageLightDraw : public CDataPageDraw {
    Q_OBJECT

public:
    CDataPageLightDraw() : CDataPageDraw(145, QStringLiteral("Light"), ids::IDC_LIGHT_PICTURE) {}
    bool DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                     std::uint32_t maxHeight) override;

protected:
    bool Accepts(CDataDef* pEntry) override;
};

}  // namespace tessaly
