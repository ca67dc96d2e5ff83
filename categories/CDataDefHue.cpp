#include "CDataDefHue.h"

#include "CDataProps.h"

namespace tessaly {

std::string CDataDefHue::GetListText() {
    return "Hue";
}

bool CDataDefHue::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefHue::IsValid() {
    return true;
}

bool CDataDefHue::ReadIndex() {
    return true;
}

bool CDataDefHue::AddPages(CDataProps* /*pSheet*/) {
    return true;
}

}  // namespace tessaly
