#include "LightPages.h"

#include "CDataProps.h"

namespace tessaly {

bool CDataPageLightDraw::Accepts(CDataDef* pEntry) {
    return dynamic_cast<CDataDefLight*>(pEntry) != nullptr;
}

bool CDataPageLightDraw::DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                                     std::uint32_t maxHeight) {
    auto* light = dynamic_cast<CDataDefLight*>(GetDataDef());
    return light != nullptr && light->DrawPicture(buffer, maxWidth, maxHeight);
}

}  // namespace tessaly
