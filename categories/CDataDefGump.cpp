#include "CDataDefGump.h"

#include "CDataVerData.h"
#include "CVerDataEdits.h"
#include "Hues.h"
#include "TarnError.h"
#include "Text.h"

namespace tessaly {

std::string CDataDefGump::GetListText() {
    if (const char* absent = AbsentText()) {
        return absent;
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

CUOVersionBlock CDataDefGump::PatchRecord(std::uint32_t nIndex, std::uint32_t width,
                                          std::uint32_t height) {
    // Height first, then width: the order gump index records are read back in.
    return CUOVersionBlock{kSlotGumpArt,
                           nIndex,
                           0,
                           0,
                           static_cast<std::uint16_t>(height),
                           static_cast<std::uint16_t>(width)};
}

bool CDataDefGump::WriteVerData(CQFile& file, CUOVersionBlock& record) {
    if (!LoadEntryBlock(m_Block)) {
        return false;
    }
    return WriteBlock(file, record,
                      PatchRecord(GetIndex(), m_Block.GetWidth(), m_Block.GetHeight()),
                      m_Block.GetBytes());
}

std::unique_ptr<CDataVerData> CDataDefGump::MakeChange(std::uint32_t nIndex,
                                                       const Picture& picture) {
    return std::make_unique<CDataVerData>(PatchRecord(nIndex, picture.width, picture.height),
                                          EncodeGump(picture));
}

std::unique_ptr<CDataVerData> CDataDefGump::MakePictureChange(const Picture& picture,
                                                              std::string& message) {
    try {
        return MakeChange(GetIndex(), picture);
    } catch (const CTarnError&) {
        message = kGumpTooLargeMessage;
        return nullptr;
    }
}

bool CDataDefGump::ReadIndex() {
    return ReadBaseIndex(kSlotGumpIdx, GetIndex());
}

void CDataDefGump::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::GumpDraw);
}

}  // namespace tessaly
