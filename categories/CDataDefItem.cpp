#include "CDataDefItem.h"

#include "CDataDefTileData.h"
#include "CVerDataEdits.h"
#include "EventLog.h"
#include "Hues.h"
#include "ImageEncoders.h"
#include "Text.h"
#include "TileData.h"

namespace tessaly {

std::string CDataDefItem::GetListText() {
    if (const char* absent = AbsentText()) {
        return absent;
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

bool CDataDefItem::DrawBlock(CSurfaceDC& dc, std::uint16_t hue, bool partial) {
    // Item pictures take the surface's hue as it stands.
    UseHue(dc, hue, partial);
    return m_Block.Draw(dc, 0, 0);
}

bool CDataDefItem::IsPartialHue() {
    try {
        return (m_Block.GetTileData()->m_dwFlags & kTileCloth) != 0;
    } catch (...) {
        LogCaughtException("reading an item's flags");
        return false;
    }
}

const PictureRecordKind* CDataDefItem::GetRecordKind() const {
    static constexpr PictureRecordKind kItems{kCategoryItems, false, EncodeItem,
                                              kItemTooLargeMessage};
    return &kItems;
}

void CDataDefItem::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::TileData);
    pages.push_back(EntryPage::ItemDraw);
    pages.push_back(EntryPage::Script);
}

}  // namespace tessaly
