#include "CDataDefTileData.h"

#include "CDataProps.h"
#include "Text.h"
#include "TileData.h"

namespace tessaly {

std::string CDataDefTileData::GetListText() {
    // The first groups hold terrain, the rest items.
    std::uint32_t b = GetIndex();
    if (b < kTerrainGroupCount) {
        return Format("t%d-%d", static_cast<int>(b * kTileGroupSize),
                      static_cast<int>(b * kTileGroupSize + kTileGroupSize - 1));
    }
    int first = static_cast<int>(b * kTileGroupSize - kArtItemBase);
    return Format("i%d-%d", first, first + static_cast<int>(kTileGroupSize) - 1);
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
