#include "TexturePages.h"

#include "CDataDefTerrain.h"
#include "CDataDefTexture.h"

namespace tessaly {

CTileTextureType* CDataPageTextureDraw::GetTextureBlock() {
    CDataDef* entry = GetDataDef();
    if (auto* texture = dynamic_cast<CDataDefTexture*>(entry)) {
        return &texture->GetTextureBlock();
    }
    if (auto* terrain = dynamic_cast<CDataDefTerrain*>(entry)) {
        return &terrain->GetTextureBlock();
    }
    return nullptr;
}

bool CDataPageTextureDraw::DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                                       std::uint32_t maxHeight) {
    CTileTextureType* block = GetTextureBlock();
    return block != nullptr && DrawTexturePicture(*block, buffer, maxWidth, maxHeight);
}

QString CDataPageTextureDraw::NoPictureText() {
    CTileTextureType* block = GetTextureBlock();
    if (block != nullptr && block->IsLoaded() &&
        CTileTextureType::EdgeForLength(block->GetBytes().size()) == 0) {
        return QStringLiteral(
                   "Invalid texture: %1 bytes, where a texture holds 8192 (64 by 64) "
                   "or 32768 (128 by 128)")
            .arg(block->GetBytes().size());
    }
    if (dynamic_cast<CDataDefTerrain*>(GetDataDef()) != nullptr) {
        return QStringLiteral("This terrain tile has no texture");
    }
    return CDataPageDraw::NoPictureText();
}

}  // namespace tessaly
