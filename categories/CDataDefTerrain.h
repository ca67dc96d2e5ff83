#pragma once
// Terrain tiles (art entries 0 to 16383), with the texture of the same number as companion,
// and the "Terrain" page that draws a terrain tile.

#include "ArtTypes.h"
#include "CDataDef.h"
#include "CDataPageDraw.h"
#include "ControlIds.h"
#include "TextureType.h"

namespace tessaly {

class CDataDefTerrain : public CDataDefIndex {
public:
    explicit CDataDefTerrain(std::uint32_t nIndex)
        : CDataDefIndex(nIndex), m_Terrain(nIndex), m_Texture(nIndex) {}

    std::string GetListText() override;
    // A terrain tile has no picture of its own size here: nothing to draw or copy.
    bool GetImage(SurfaceBuffer& /*buffer*/) override { return false; }
    bool CopyData() override { return CopyImageToClipboard(); }
    // Exports the whole 44 x 44 diamond, as the Terrain page draws it.
    ExportKind GetExportKind() override { return ExportKind::Picture; }
    bool ExportData(const ExportOptions& options, CExportData& out) override;
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryTerrain; }
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;

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

// "Terrain": the terrain tile of a Terrain entry, or the companion tile of a Textures entry.
// The page is enabled only while it has a tile to show.
class CDataPageTerrainDraw : public CDataPageDraw {
    Q_OBJECT

public:
    CDataPageTerrainDraw()
        : CDataPageDraw(148, QStringLiteral("Terrain"), ids::IDC_TERRAIN_PICTURE) {}
    bool DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                     std::uint32_t maxHeight) override;

protected:
    bool Accepts(CDataDef* /*pEntry*/) override { return true; }
    void Painted(bool bDrawn) override { setEnabled(bDrawn); }
};

}  // namespace tessaly
