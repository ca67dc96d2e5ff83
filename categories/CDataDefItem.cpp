#include "CDataDefItem.h"

#include "CDataDefTileData.h"
#include "CDataPageScript.h"
#include "CDataProps.h"
#include "CDataVerData.h"
#include "EventLog.h"
#include "Hues.h"
#include "Text.h"
#include "TileData.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace tessaly {

namespace {
// Items lie past the terrain in the art files.
const DataTypeDef& ItemsRow() {
    return *GetTypeDef(kCategoryItems);
}
}  // namespace

std::string CDataDefItem::GetListText() {
    if (!IsValid()) {
        return "unused";
    }
    if (IsDeletedChange()) {
        return "delete";
    }
    std::string name;
    try {
        name = m_Block.GetTileData()->GetName();
    } catch (...) {
        LogCaughtException("reading an item name");
        name.clear();
    }
    return Format("%d\t%s", static_cast<int>(GetShownIndex().GetLength()), name.c_str());
}

bool CDataDefItem::DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                               std::uint32_t maxHeight, std::uint16_t hue, bool partial) {
    if (!LoadEntryBlock(m_Block)) {
        buffer.Release();
        return false;
    }
    return MakePicture(buffer, m_Block.GetWidth(), m_Block.GetHeight(), maxWidth, maxHeight,
                       [&](CSurfaceDC& dc) {
                           // Item pictures take the surface's hue as it stands.
                           UseHue(dc, hue, partial);
                           return m_Block.Draw(dc, 0, 0);
                       });
}

bool CDataDefItem::IsPartialHue() {
    try {
        return (m_Block.GetTileData()->m_dwFlags & kTileCloth) != 0;
    } catch (...) {
        LogCaughtException("reading an item's flags");
        return false;
    }
}

bool CDataDefItem::GetImage(SurfaceBuffer& buffer) {
    return DrawPicture(buffer, kNoLimit, kNoLimit);
}

bool CDataDefItem::ExportData(const ExportOptions& options, CExportData& out) {
    SurfaceBuffer buffer;
    return DrawPicture(buffer, kNoLimit, kNoLimit, options.nHue, options.bPartial) &&
           out.AddPicture(buffer);
}

bool CDataDefItem::WriteVerData(CQFile& file, CUOVersionBlock& record) {
    if (!LoadEntryBlock(m_Block)) {
        return false;
    }
    // The record carries the picture's width and height.
    return WriteBlock(file, record, kSlotArt, ItemsRow().RecordOf(GetIndex()),
                      static_cast<std::uint16_t>(m_Block.GetWidth()),
                      static_cast<std::uint16_t>(m_Block.GetHeight()), m_Block.GetBytes());
}

std::unique_ptr<CDataVerData> CDataDefItem::MakeChange(std::uint32_t nIndex,
                                                       const Picture& picture) {
    // The record carries the picture's width and height, as WriteVerData writes them.
    CUOVersionBlock record{kSlotArt,
                           ItemsRow().RecordOf(nIndex),
                           0,
                           0,
                           static_cast<std::uint16_t>(picture.width),
                           static_cast<std::uint16_t>(picture.height)};
    return std::make_unique<CDataVerData>(record, EncodeItem(picture));
}

bool CDataDefItem::ReadIndex() {
    return ReadBaseIndex(kSlotArtIdx, ItemsRow().RecordOf(GetIndex()));
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
