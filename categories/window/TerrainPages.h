#pragma once
// The "Terrain" page of the Terrain category.

#include "CDataDefTerrain.h"
#include "CDataPageDraw.h"
#include "ControlIds.h"

namespace tessaly {

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
