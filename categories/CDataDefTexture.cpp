#include "CDataDefTexture.h"

#include "CDataDefTerrain.h"

#include "CDataProps.h"
#include "Text.h"
#include "TileData.h"

namespace tessaly {

std::string CDataDefTexture::GetListText() {
    if (!IsValid()) {
        return "unused";
    }
    // 8192 bytes are a 64-pixel texture, 32768 a 128-pixel one; other lengths show as they are.
    std::uint32_t length = m_Index.HasData() ? m_Index.GetLength() : 0;
    std::uint32_t edge = length == 8192 ? 64 : length == 32768 ? 128 : length;
    return Format("%d\t%s", static_cast<int>(edge), TerrainName(GetIndex()).c_str());
}

bool CDataDefTexture::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefTexture::ReadIndex() {
    return ReadBaseIndex(kSlotTexIdx, GetIndex());
}

bool CDataDefTexture::AddPages(CDataProps* /*pSheet*/) {
    return true;
}

}  // namespace tessaly
