#include "CDataDefLight.h"

#include "CDataProps.h"

namespace tessaly {

std::string CDataDefLight::GetListText() {
    return LengthText();
}

bool CDataDefLight::DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                                std::uint32_t maxHeight) {
    if (!LoadPictureBlock(m_Block)) {
        buffer.Release();
        return false;
    }
    return MakePicture(buffer, m_Block.GetWidth(), m_Block.GetHeight(), maxWidth, maxHeight,
                       [this](CSurfaceDC& dc) { return m_Block.Draw(dc, 0, 0); });
}

bool CDataDefLight::GetImage(SurfaceBuffer& buffer) {
    return DrawPicture(buffer, kNoLimit, kNoLimit);
}

bool CDataDefLight::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefLight::ReadIndex() {
    return ReadBaseIndex(kSlotLightIdx, GetIndex());
}

bool CDataDefLight::AddPages(CDataProps* pSheet) {
    pSheet->AddPage(new CDataPageLightDraw);
    return true;
}

bool CDataPageLightDraw::Accepts(CDataDef* pEntry) {
    return dynamic_cast<CDataDefLight*>(pEntry) != nullptr;
}

bool CDataPageLightDraw::DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                                     std::uint32_t maxHeight) {
    auto* light = dynamic_cast<CDataDefLight*>(GetDataDef());
    return light != nullptr && light->DrawPicture(buffer, maxWidth, maxHeight);
}

}  // namespace tessaly
