#pragma once
// Textures ("texidx.mul"/"texmaps.mul"), with the terrain tile of the same number as
// companion, and the "Texture" page that draws a texture.

#include "ArtTypes.h"
#include "CDataDef.h"
#include "CDataPageDraw.h"
#include "ControlIds.h"
#include "TextureType.h"

namespace tessaly {

class CDataDefTexture : public CDataDefIndex {
public:
    explicit CDataDefTexture(std::uint32_t nIndex)
        : CDataDefIndex(nIndex), m_Texture(nIndex), m_Terrain(nIndex) {}

    std::string GetListText() override;
    bool GetImage(SurfaceBuffer& buffer) override;
    bool CopyData() override { return CopyImageToClipboard(); }
    // Exports the picture GetImage draws.
    ExportKind GetExportKind() override { return ExportKind::Picture; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryTextures; }
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;

    CTileTextureType& GetTextureBlock() { return m_Texture; }
    CTileTerrainType& GetTerrainBlock() { return m_Terrain; }

private:
    CTileTextureType m_Texture;
    CTileTerrainType m_Terrain;
};

// A texture edge by edge, each side cut to its limit. False when the block does not load or
// its length gives no edge.
bool DrawTexturePicture(CTileTextureType& block, SurfaceBuffer& buffer, std::uint32_t maxWidth,
                        std::uint32_t maxHeight);

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
};

}  // namespace tessaly
