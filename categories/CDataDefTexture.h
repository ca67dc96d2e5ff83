#pragma once
// Textures ("texidx.mul"/"texmaps.mul"), with the terrain tile of the same number as
// companion, and the "Texture" page that draws a texture.

#include "ArtTypes.h"
#include "CDataDef.h"
#include "TextureType.h"

namespace tessaly {

class CDataDefTexture : public CDataDefIndex {
public:
    explicit CDataDefTexture(std::uint32_t nIndex)
        : CDataDefIndex(nIndex), m_Texture(nIndex), m_Terrain(nIndex) {}

    std::string GetListText() override;
    bool GetImage(SurfaceBuffer& buffer) override;
    bool CopyData(EntryClip& clip) override { return CopyImage(clip); }
    // Exports the picture GetImage draws.
    ExportKind GetExportKind() override { return ExportKind::Picture; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryTextures; }
    bool ReadIndex() override;
    void AddPages(std::vector<EntryPage>& pages) override;

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

}  // namespace tessaly
