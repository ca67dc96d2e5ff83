#include "CDataDefItem.h"

#include "CDataPageScript.h"
#include "CDataProps.h"
#include "EventLog.h"
#include "Text.h"
#include "TileData.h"

namespace tessaly {

std::string CDataDefItem::GetListText() {
    if (!IsValid()) {
        return "unused";
    }
    std::string name;
    try {
        CTileItemInfo info;
        info.ReadInfo(static_cast<std::int32_t>(GetIndex()));
        name = info.GetName();
    } catch (...) {
        LogCaughtException("reading an item name");
        name.clear();
    }
    return Format("%d\t%s", static_cast<int>(m_Index.GetLength()), name.c_str());
}

bool CDataDefItem::WriteVerData(CQFile& file, CUOVersionBlock& record) {
    std::vector<std::uint8_t> block;
    if (!LoadBlock(kSlotArt, block)) {
        return false;
    }
    // Words 2 and 3 of an item picture are its width and height.
    ByteReader in(block);
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    if (!in.skip(4) || !in.u16(width) || !in.u16(height)) {
        return false;
    }
    return WriteBlock(file, record, kSlotArt, GetIndex() + kArtItemBase, width, height, block);
}

bool CDataDefItem::ReadIndex() {
    return ReadBaseIndex(kSlotArtIdx, GetIndex() + kArtItemBase);
}

bool CDataDefItem::AddPages(CDataProps* pSheet) {
    pSheet->AddPage(new CDataPageScript);
    return true;
}

}  // namespace tessaly
