#pragma once
// Terrain tiles (art entries 0 to 16383), with the texture of the same number as companion,
// and the "Terrain" page that draws a terrain tile.

#include "ArtTypes.h"
#include "CDataDef.h"
#include "TextureType.h"

namespace tessaly {

class CDataDefTerrain : public CDataDefIndex {
public:
    explicit CDataDefTerrain(std::uint32_t nIndex)
        : CDataDefIndex(nIndex), m_Terrain(nIndex), m_Texture(nIndex) {}

    std::string GetListText() override;
    // A terrain tile has no picture of its own size here: nothing to draw or copy.
    bool GetImage(SurfaceBuffer& /*buffer*/) override { return false; }
    bool CopyData(EntryClip& clip) override { return CopyImage(clip); }
    // Exports the whole 44 x 44 diamond, as the Terrain page draws it.
    ExportKind GetExportKind() override { return ExportKind::Picture; }
    bool ExportData(const ExportOptions& options, CExportData& out) override;
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryTerrain; }
    bool ReadIndex() override;
    void AddPages(std::vector<EntryPage>& pages) override;

    CTileTerrainType& GetTerrainBlock() { return m_Terrain; }
    CTileTextureType& GetTextureBlock() { return m_Texture; }

private:
    CTileTerrainType m_Terrain;
    CTileTextureType m_Texture;
};

// The name in a terrain tile's tile data record; empty when it cannot be read.
std::string TerrainName(CTileTerrainType& block);

// The whole 44 x 44 diamond of a terrain tile, each side cut to its limit. False when the
// block does not load.
bool DrawTerrainPicture(CTileTerrainType& block, SurfaceBuffer& buffer, std::uint32_t maxWidth,
                        std::uint32_t maxHeight);

}  // namespace tessaly
