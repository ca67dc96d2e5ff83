#pragma once
// The "Texture" page of the Textures category.

#include "CDataDefTexture.h"
#include "CDataPageDraw.h"
#include "ControlIds.h"

namespace tessaly {

// "Texture": the texture of a Textures entry, or the companion texture of a Terrain entry.
// The page is enabled only while it has a texture to show.
class CDataPageTextureDraw : public CDataPageDraw {
    Q_OBJECT

public:
    CDataPageTextureDraw()
        : CDataPageDraw(141, QStringLiteral("Texture"), ids::IDC_TEXTURE_PICTURE) {}
    bool DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                     std::uint32_t maxHeight) override;

protected:
    bool Accepts(CDataDef* /*pEntry*/) override { return true; }
    void Painted(bool bDrawn) override { setEnabled(bDrawn); }
    // An entry without a texture says so, and a texture of a length no texture has says that.
    QString NoPictureText() override;

private:
    CTileTextureType* GetTextureBlock();
};

}  // namespace tessaly
