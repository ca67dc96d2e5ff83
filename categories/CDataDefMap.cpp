#include "CDataDefMap.h"

#include "CDataProps.h"

namespace tessaly {

std::string CDataDefMap::GetListText() {
    return "Map";
}

bool CDataDefMap::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefMap::IsValid() {
    return true;
}

bool CDataDefMap::ReadIndex() {
    return true;
}

bool CDataDefMap::AddPages(CDataProps* /*pSheet*/) {
    return true;
}

}  // namespace tessaly
