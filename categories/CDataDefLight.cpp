#include "CDataDefLight.h"

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

void CDataDefLight::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::LightDraw);
}

}  // namespace tessaly
