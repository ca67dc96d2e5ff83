#include "TexturePages.h"

#include "CDataDefTerrain.h"
#include "CDataDefTexture.h"

namespace tessaly {

bool CDataPageTextureDraw::DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                                       std::uint32_t maxHeight) {
    CDataDef* entry = GetDataDef();
    CTileTextureType* block = nullptr;
    if (auto* texture = dynamic_cast<CDataDefTexture*>(entry)) {
        block = &texture->GetTextureBlock();
    } else if (auto* terrain = dynamic_cast<CDataDefTerrain*>(entry)) {
        block = &terrain->GetTextureBlock();
    }
    return block != nullptr && DrawTexturePicture(*block, buffer, maxWidth, maxHeight);
}

}  // namespace tessaly
