#include "TerrainPages.h"

#include "CDataDefTerrain.h"
#include "CDataDefTexture.h"

namespace tessaly {

bool CDataPageTerrainDraw::DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                                       std::uint32_t maxHeight) {
    CDataDef* entry = GetDataDef();
    CTileTerrainType* block = nullptr;
    if (auto* terrain = dynamic_cast<CDataDefTerrain*>(entry)) {
        block = &terrain->GetTerrainBlock();
    } else if (auto* texture = dynamic_cast<CDataDefTexture*>(entry)) {
        block = &texture->GetTerrainBlock();
    }
    return block != nullptr && DrawTerrainPicture(*block, buffer, maxWidth, maxHeight);
}

}  // namespace tessaly
