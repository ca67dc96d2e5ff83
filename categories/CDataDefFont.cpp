#include "CDataDefFont.h"

#include "CDataPageDraw.h"

#include <QVBoxLayout>

namespace tessaly {

std::string CDataDefFont::GetListText() {
    return "Font";
}

bool CDataDefFont::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefFont::IsValid() {
    return true;
}

bool CDataDefFont::ReadIndex() {
    return true;  // "fonts.mul" has no index file
}

bool CDataDefFont::AddPages(CDataProps* pSheet) {
    pSheet->AddPage(new CDataPageFont);
    return true;
}

CDataPageFont::CDataPageFont() : CDataPage(150, QStringLiteral("Font")) {
    m_pPicture = new CPictureFrame(4085, this);  // no painter: the frame shows nothing inside
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 7, 7, 7);
    layout->addWidget(m_pPicture);
}

}  // namespace tessaly
