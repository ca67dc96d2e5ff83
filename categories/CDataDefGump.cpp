#include "CDataDefGump.h"

#include "CDataVerData.h"
#include "Hues.h"
#include "Text.h"

namespace tessaly {

std::string CDataDefGump::GetListText() {
    if (!IsValid()) {
        return "unused";
    }
    if (IsDeletedChange()) {
        return "delete";
    }
    const IndexRecord shown = GetShownIndex();
    return Format("%d,%d", shown.m_wExtra1, shown.m_wExtra2);
}

bool CDataDefGump::DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                               std::uint32_t maxHeight, std::uint16_t hue) {
    if (!LoadEntryBlock(m_Block)) {
        buffer.Release();
        return false;
    }
    return MakePicture(buffer, m_Block.GetWidth(), m_Block.GetHeight(), maxWidth, maxHeight,
                       [&](CSurfaceDC& dc) {
                           // The gump sets the hue number itself; UseHue gives it the colours.
                           return m_Block.Draw(dc, 0, 0, UseHue(dc, hue, false));
                       });
}

bool CDataDefGump::GetImage(SurfaceBuffer& buffer) {
    return DrawPicture(buffer, kNoLimit, kNoLimit);
}

bool CDataDefGump::ExportData(const ExportOptions& options, CExportData& out) {
    SurfaceBuffer buffer;
    return DrawPicture(buffer, kNoLimit, kNoLimit, options.nHue) && out.AddPicture(buffer);
}

bool CDataDefGump::WriteVerData(CQFile& file, CUOVersionBlock& record) {
    if (!LoadEntryBlock(m_Block)) {
        return false;
    }
    // Height first, then width: the order gump index records are read back in.
    return WriteBlock(file, record, kSlotGumpArt, GetIndex(),
                      static_cast<std::uint16_t>(m_Block.GetHeight()),
                      static_cast<std::uint16_t>(m_Block.GetWidth()), m_Block.GetBytes());
}

std::unique_ptr<CDataVerData> CDataDefGump::MakeChange(std::uint32_t nIndex,
                                                       const Picture& picture) {
    // Height first, then width, as WriteVerData writes them.
    CUOVersionBlock record{kSlotGumpArt,
                           nIndex,
                           0,
                           0,
                           static_cast<std::uint16_t>(picture.height),
                           static_cast<std::uint16_t>(picture.width)};
    return std::make_unique<CDataVerData>(record, EncodeGump(picture));
}

bool CDataDefGump::ReadIndex() {
    return ReadBaseIndex(kSlotGumpIdx, GetIndex());
}

void CDataDefGump::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::GumpDraw);
}

}  // namespace tessaly
