#include "CDataDefTileData.h"

#include "CDataProps.h"
#include "Text.h"

namespace tessaly {

std::string CDataDefTileData::GetListText() {
    // Blocks below 512 hold terrain, the rest items.
    std::uint32_t b = GetIndex();
    if (b < 512) {
        return Format("t%d-%d", static_cast<int>(b * 32), static_cast<int>(b * 32 + 31));
    }
    return Format("i%d-%d", static_cast<int>(b * 32 - 16384),
                  static_cast<int>(b * 32 - 16384 + 31));
}

bool CDataDefTileData::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefTileData::IsValid() {
    return true;
}

bool CDataDefTileData::ReadIndex() {
    return false;
}

bool CDataDefTileData::AddPages(CDataProps* /*pSheet*/) {
    return true;
}

}  // namespace tessaly
