#include "CDataDefMulti.h"

#include "CDataPageScript.h"
#include "CDataProps.h"
#include "Text.h"

namespace tessaly {

std::string CDataDefMulti::GetListText() {
    if (!IsValid()) {
        return "unused";
    }
    return Format("%d", static_cast<int>(m_Index.GetLength() / 12));
}

bool CDataDefMulti::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefMulti::ReadIndex() {
    return ReadBaseIndex(kSlotMultiIdx, GetIndex());
}

bool CDataDefMulti::AddPages(CDataProps* pSheet) {
    pSheet->AddPage(new CDataPageScript);
    return true;
}

}  // namespace tessaly
