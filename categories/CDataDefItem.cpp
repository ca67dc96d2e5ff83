#include "CDataDefItem.h"

#include "CDataDefTileData.h"
#include "CDataVerData.h"
#include "CVerDataEdits.h"
#include "EventLog.h"
#include "Hues.h"
#include "TarnError.h"
#include "Text.h"
#include "TileData.h"

namespace tessaly {

namespace {
// Items lie past the terrain in the art files.
const DataTypeDef& ItemsRow() {
    return *GetTypeDef(kCategoryItems);
}
}  // namespace

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

CUOVersionBlock CDataDefItem::PatchRecord(std::uint32_t nIndex, std::uint32_t width,
                                          std::uint32_t height) {
    // The record carries the picture's width and height, as the item's index record does.
    return CUOVersionBlock{
        kSlotArt, ItemsRow().RecordOf(nIndex),       0,
        0,        static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height)};
}

bool CDataDefItem::WriteVerData(CQFile& file, CUOVersionBlock& record) {
    if (!LoadEntryBlock(m_Block)) {
        return false;
    }
    return WriteBlock(file, record,
                      PatchRecord(GetIndex(), m_Block.GetWidth(), m_Block.GetHeight()),
                      m_Block.GetBytes());
}

std::unique_ptr<CDataVerData> CDataDefItem::MakeChange(std::uint32_t nIndex,
                                                       const Picture& picture) {
    return std::make_unique<CDataVerData>(PatchRecord(nIndex, picture.width, picture.height),
                                          EncodeItem(picture));
}

std::unique_ptr<CDataVerData> CDataDefItem::MakePictureChange(const Picture& picture,
                                                              std::string& message) {
    try {
        return MakeChange(GetIndex(), picture);
    } catch (const CTarnError&) {
        message = kItemTooLargeMessage;
        return nullptr;
    }
}

bool CDataDefItem::ReadIndex() {
    return ReadBaseIndex(kSlotArtIdx, ItemsRow().RecordOf(GetIndex()));
}

void CDataDefItem::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::TileData);
    pages.push_back(EntryPage::ItemDraw);
    pages.push_back(EntryPage::Script);
}

}  // namespace tessaly
