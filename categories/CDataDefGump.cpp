#include "CDataDefGump.h"

#include "CVerDataEdits.h"
#include "Hues.h"
#include "ImageEncoders.h"
#include "Text.h"

namespace tessaly {

std::string CDataDefGump::GetListText() {
    if (const char* absent = AbsentText()) {
        return absent;
    }
    const IndexRecord shown = GetShownIndex();
    return Format("%d,%d", shown.m_wExtra1, shown.m_wExtra2);
}

bool CDataDefGump::DrawBlock(CSurfaceDC& dc, std::uint16_t hue, bool partial) {
    // The gump sets the hue number itself; UseHue gives it the colours and the partial flag.
    return m_Block.Draw(dc, 0, 0, UseHue(dc, hue, partial));
}

const PictureRecordKind* CDataDefGump::GetRecordKind() const {
    static constexpr PictureRecordKind kGumps{kCategoryGumps, true, EncodeGump,
                                              kGumpTooLargeMessage};
    return &kGumps;
}

void CDataDefGump::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::GumpDraw);
}

}  // namespace tessaly
