#include "GumpPages.h"

#include "CDataProps.h"
#include "CDataVerData.h"
#include "ControlIds.h"
#include "Hues.h"
#include "Text.h"

namespace tessaly {

CDataPageGumpDraw::CDataPageGumpDraw()
    : CDataPageDraw(146, QStringLiteral("Gump"), ids::IDC_GUMP_PICTURE, ids::IDC_GUMP_SIZE) {
    AddHueField();
}

bool CDataPageGumpDraw::Accepts(CDataDef* pEntry) {
    return dynamic_cast<CDataDefGump*>(pEntry) != nullptr;
}

QString CDataPageGumpDraw::SizeText() {
    auto* gump = static_cast<CDataDefGump*>(GetDataDef());
    CTileGumpType& block = gump->GetBlock();
    if (!gump->LoadEntryBlock(block)) {
        return QString();
    }
    return QString::asprintf("%d, %d", static_cast<int>(block.GetWidth()),
                             static_cast<int>(block.GetHeight()));
}

bool CDataPageGumpDraw::DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                                    std::uint32_t maxHeight) {
    auto* gump = dynamic_cast<CDataDefGump*>(GetDataDef());
    return gump != nullptr && gump->DrawPicture(buffer, maxWidth, maxHeight, GetHue());
}

}  // namespace tessaly
