#include "ItemPages.h"

#include "CDataDefTileData.h"
#include "CDataPageScript.h"
#include "CDataProps.h"
#include "CDataVerData.h"
#include "ControlIds.h"
#include "EventLog.h"
#include "Hues.h"
#include "Text.h"
#include "TileData.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace tessaly {

CDataPageItemDraw::CDataPageItemDraw()
    : CDataPageDraw(130, QStringLiteral("Item"), ids::IDC_ITEM_PICTURE, ids::IDC_ITEM_SIZE) {
    // Buttons towards the item's gump and animation, not wired to anything.
    for (auto [id, text] : {std::pair(4098, "Gump..."), std::pair(4099, "Anim...")}) {
        auto* button = new QPushButton(QString::fromLatin1(text), this);
        button->setObjectName(QString::number(id));
        button->setEnabled(false);
        button->setToolTip(
            QStringLiteral("Not available: the item's gump and animation are not looked up"));
        m_pTop->addWidget(button);
    }
    AddHueField();
}

bool CDataPageItemDraw::Accepts(CDataDef* pEntry) {
    return dynamic_cast<CDataDefItem*>(pEntry) != nullptr;
}

QString CDataPageItemDraw::SizeText() {
    auto* item = static_cast<CDataDefItem*>(GetDataDef());
    CTileItemType& block = item->GetBlock();
    if (!item->LoadEntryBlock(block)) {
        return QString();
    }
    return QString::asprintf("%d,%d", static_cast<int>(block.GetWidth()),
                             static_cast<int>(block.GetHeight()));
}

bool CDataPageItemDraw::DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                                    std::uint32_t maxHeight) {
    auto* item = dynamic_cast<CDataDefItem*>(GetDataDef());
    return item != nullptr &&
           item->DrawPicture(buffer, maxWidth, maxHeight, GetHue(), item->IsPartialHue());
}

}  // namespace tessaly
