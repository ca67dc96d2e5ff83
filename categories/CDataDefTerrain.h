#pragma once
// Terrain tiles (art entries 0 to 16383), with the texture of the same number as companion,
// and the "Terrain" page that draws a terrain tile.

#include "ArtTypes.h"
#include "CDataDefPicture.h"

#include <memory>

namespace tessaly {

class CDataDefTexture;

// Its picture (page, grid, copy and export) is the whole 44 x 44 diamond.
class CDataDefTerrain : public CDataDefPicture {
public:
    explicit CDataDefTerrain(std::uint32_t nIndex, CClientFiles& files = TheClientFiles());
    ~CDataDefTerrain() override;

    std::string GetListText() override;
    // The last field is the tile data name, which keeps any tab it holds.
    int GetListFieldLimit() const override { return 2; }
    std::int32_t GetDataType() override { return kCategoryTerrain; }
    void AddPages(std::vector<EntryPage>& pages) override;
    // The "Texture" page shows the texture of the same number.
    CDataDefPicture* GetPicture(EntryPage page) override;
    // Terrain 2, the map's "no draw" tile, has no picture.
    std::string InvalidText() override;

    // The name in the tile's tile data record; empty when it cannot be read.
    std::string GetName();

protected:
    CMulImageType& PictureBlock() override { return m_Block; }
    std::pair<std::uint32_t, std::uint32_t> PictureSize() override;
    bool DrawBlock(CSurfaceDC& dc, std::uint16_t hue, bool partial) override;

private:
    CTileTerrainType m_Block;
    std::unique_ptr<CDataDefTexture> m_pTexture;  // the companion, made when first asked for
};

}  // namespace tessaly
