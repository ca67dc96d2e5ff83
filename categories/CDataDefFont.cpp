#include "CDataDefFont.h"

#include "EventLog.h"
#include "SurfaceDevice.h"

#include <algorithm>

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

ReadStatus CDataDefFont::GetReadStatus() {
    if (!m_Status) {
        if (!Files().OpenSlot(kSlotFonts)) {
            m_Status = ReadStatus::Failed;
        } else {
            const MulFont* font = GetFont();
            m_Status = font != nullptr && font->m_nComplete == MulFont::kCharacters
                           ? ReadStatus::Ok
                           : ReadStatus::Damaged;
        }
    }
    return *m_Status;
}

bool CDataDefFont::ReadIndex() {
    return true;  // "fonts.mul" has no index file
}

void CDataDefFont::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::Font);
}

const MulFont* CDataDefFont::GetFont() {
    try {
        return m_Block.GetFont();
    } catch (...) {
        LogCaughtException("loading a font");
        return nullptr;
    }
}

}  // namespace tessaly
