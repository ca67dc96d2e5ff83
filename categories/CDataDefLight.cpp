#include "CDataDefLight.h"

#include "CDataProps.h"

namespace tessaly {

std::string CDataDefLight::GetListText() {
    return LengthText();
}

bool CDataDefLight::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefLight::ReadIndex() {
    return ReadBaseIndex(kSlotLightIdx, GetIndex());
}

bool CDataDefLight::AddPages(CDataProps* /*pSheet*/) {
    return true;
}

}  // namespace tessaly
