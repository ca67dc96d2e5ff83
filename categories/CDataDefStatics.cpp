#include "CDataDefStatics.h"

#include "CDataProps.h"

namespace tessaly {

std::string CDataDefStatics::GetListText() {
    return LengthText();
}

bool CDataDefStatics::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefStatics::ReadIndex() {
    return ReadBaseIndex(kSlotStaIdx0, GetIndex());
}

bool CDataDefStatics::AddPages(CDataProps* /*pSheet*/) {
    return true;
}

}  // namespace tessaly
