#include "CDataDefAnim.h"

#include "CDataPageScript.h"
#include "CDataProps.h"

namespace tessaly {

namespace {
// The first "anim.idx" entry of a body: action 0, stored direction 0 (what direction 3 uses).
std::uint32_t FirstAnimEntry(std::uint32_t body) {
    if (body < 200) {
        return body * 110;
    }
    if (body < 400) {
        return 22000 + (body - 200) * 65;
    }
    return 35000 + (body - 400) * 175;
}
}  // namespace

std::string CDataDefAnim::GetListText() {
    return LengthText();
}

bool CDataDefAnim::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefAnim::ReadIndex() {
    return ReadBaseIndex(kSlotAnimIdx, FirstAnimEntry(GetIndex()));
}

bool CDataDefAnim::AddPages(CDataProps* pSheet) {
    pSheet->AddPage(new CDataPageScript);
    return true;
}

}  // namespace tessaly
