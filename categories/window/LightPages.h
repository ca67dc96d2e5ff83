#pragma once
// The "Light" page of the Lights category.

#include "CDataDefLight.h"
#include "CDataPageDraw.h"

namespace tessaly {

// "Light": the picture of a light.
class CDataPageLightDraw : public CDataPageDraw {
    Q_OBJECT

public:
    CDataPageLightDraw() : CDataPageDraw(145, QStringLiteral("Light"), 4087) {}
    bool DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                     std::uint32_t maxHeight) override;

protected:
    bool Accepts(CDataDef* pEntry) override;
};

}  // namespace tessaly
