#include "CDataDefItem.h"

#include "CDataDefTileData.h"
#include "CDataPageScript.h"
#include "CDataProps.h"
#include "EventLog.h"
#include "Text.h"
#include "TileData.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace tessaly {

std::string CDataDefItem::GetListText() {
    if (!IsValid()) {
        return "unused";
    }
    std::string name;
    try {
        name = m_Block.GetTileData()->GetName();
    } catch (...) {
        LogCaughtException("reading an item name");
        name.clear();
    }
    return Format("%d\t%s", static_cast<int>(m_Index.GetLength()), name.c_str());
}

bool CDataDefItem::DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                               std::uint32_t maxHeight) {
    if (!LoadPictureBlock(m_Block)) {
        buffer.Release();
        return false;
    }
    return MakePicture(buffer, m_Block.GetWidth(), m_Block.GetHeight(), maxWidth, maxHeight,
                       [this](CSurfaceDC& dc) { return m_Block.Draw(dc, 0, 0); });
}

bool CDataDefItem::GetImage(SurfaceBuffer& buffer) {
    return DrawPicture(buffer, kNoLimit, kNoLimit);
}

bool CDataDefItem::WriteVerData(CQFile& file, CUOVersionBlock& record) {
    if (!LoadPictureBlock(m_Block)) {
        return false;
    }
    // The record carries the picture's width and height.
    return WriteBlock(file, record, kSlotArt, GetIndex() + kArtItemBase,
                      static_cast<std::uint16_t>(m_Block.GetWidth()),
                      static_cast<std::uint16_t>(m_Block.GetHeight()), m_Block.GetBytes());
}

bool CDataDefItem::ReadIndex() {
    return ReadBaseIndex(kSlotArtIdx, GetIndex() + kArtItemBase);
}

bool CDataDefItem::AddPages(CDataProps* pSheet) {
    pSheet->AddPage(new CDataPageTileData);
    pSheet->AddPage(new CDataPageItemDraw);
    pSheet->AddPage(new CDataPageScript);
    return true;
}

CDataPageItemDraw::CDataPageItemDraw() : CDataPageDraw(130, QStringLiteral("Item"), 4086, 4101) {
    // Buttons towards the item's gump and animation, not wired to anything.
    for (auto [id, text] : {std::pair(4098, "Gump..."), std::pair(4099, "Anim...")}) {
        auto* button = new QPushButton(QString::fromLatin1(text), this);
        button->setObjectName(QString::number(id));
        button->setEnabled(false);
        m_pTop->addWidget(button);
    }
}

bool CDataPageItemDraw::Accepts(CDataDef* pEntry) {
    return dynamic_cast<CDataDefItem*>(pEntry) != nullptr;
}

QString CDataPageItemDraw::SizeText() {
    CTileItemType& block = static_cast<CDataDefItem*>(GetDataDef())->GetBlock();
    if (!LoadPictureBlock(block)) {
        return QString();
    }
    return QString::asprintf("%d,%d", static_cast<int>(block.GetWidth()),
                             static_cast<int>(block.GetHeight()));
}

bool CDataPageItemDraw::DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                                    std::uint32_t maxHeight) {
    auto* item = dynamic_cast<CDataDefItem*>(GetDataDef());
    return item != nullptr && item->DrawPicture(buffer, maxWidth, maxHeight);
}

}  // namespace tessaly
