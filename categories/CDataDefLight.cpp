#include "CDataDefLight.h"

namespace tessaly {

std::string CDataDefLight::GetListText() {
    return LengthText();
}

bool CDataDefLight::DrawBlock(CSurfaceDC& dc, std::uint16_t /*hue*/, bool /*partial*/) {
    return m_Block.Draw(dc, 0, 0);
}

void CDataDefLight::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::LightDraw);
}

}  // namespace tessaly
