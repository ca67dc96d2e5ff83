#include "CDataDefGump.h"

#include "CDataProps.h"
#include "Text.h"

namespace tessaly {

std::string CDataDefGump::GetListText() {
    if (!IsValid()) {
        return "unused";
    }
    return Format("%d,%d", m_Index.m_wExtra1, m_Index.m_wExtra2);
}

bool CDataDefGump::WriteVerData(CQFile& file, CUOVersionBlock& record) {
    std::vector<std::uint8_t> block;
    if (!LoadBlock(kSlotGumpArt, block)) {
        return false;
    }
    // A gump's size comes from its index record: height first, then width.
    return WriteBlock(file, record, kSlotGumpArt, GetIndex(), m_Index.m_wExtra1, m_Index.m_wExtra2,
                      block);
}

bool CDataDefGump::ReadIndex() {
    return ReadBaseIndex(kSlotGumpIdx, GetIndex());
}

bool CDataDefGump::AddPages(CDataProps* /*pSheet*/) {
    return true;
}

}  // namespace tessaly
