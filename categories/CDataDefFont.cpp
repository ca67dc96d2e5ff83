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
