#include "CDataDefFont.h"

#include "CDataProps.h"

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
    return true;
}

bool CDataDefFont::AddPages(CDataProps* /*pSheet*/) {
    return true;
}

}  // namespace tessaly
