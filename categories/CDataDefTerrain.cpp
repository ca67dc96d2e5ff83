#include "CDataDefTerrain.h"

#include "CDataProps.h"
#include "EventLog.h"
#include "Text.h"
#include "TileData.h"

namespace tessaly {

std::string TerrainName(std::uint32_t terrain) {
    try {
        CTileTerrainInfo info;
        info.ReadInfo(static_cast<std::uint16_t>(terrain));
        return info.GetName();
    } catch (...) {
        LogCaughtException("reading a terrain name");
        return std::string();
    }
}

std::string CDataDefTerrain::GetListText() {
    if (!IsValid()) {
        return "unused";
    }
    std::uint32_t length = m_Index.HasData() ? m_Index.GetLength() : 0;
    return Format("%d\t%s", static_cast<int>(length), TerrainName(GetIndex()).c_str());
}

bool CDataDefTerrain::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefTerrain::ReadIndex() {
    return ReadBaseIndex(kSlotArtIdx, GetIndex());
}

bool CDataDefTerrain::AddPages(CDataProps* /*pSheet*/) {
    return true;
}

}  // namespace tessaly
