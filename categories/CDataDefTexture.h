#pragma once
// Textures ("texidx.mul"/"texmaps.mul"), with the terrain tile of the same number as
// companion, and the "Texture" page that draws a texture.

#include "CDataDefPicture.h"
#include "TextureType.h"

#include <memory>

namespace tessaly {

class CDataDefTerrain;

class CDataDefTexture : public CDataDefPicture {
public:
    explicit CDataDefTexture(std::uint32_t nIndex, CClientFiles& files = TheClientFiles());
    ~CDataDefTexture() override;

    std::string GetListText() override;
    // The last field is the tile data name, which keeps any tab it holds.
    int GetListFieldLimit() const override { return 2; }
    std::int32_t GetDataType() override { return kCategoryTextures; }
    void AddPages(std::vector<EntryPage>& pages) override;
    // The "Terrain" page shows the terrain tile of the same number.
    CDataDefPicture* GetPicture(EntryPage page) override;
    // Data of a length that is no texture's says so.
    std::string InvalidText() override;
    // Such data is damaged: it lies about its size.
    ReadStatus GetReadStatus() override;

protected:
    CMulImageType& PictureBlock() override { return m_Block; }
    // Edge by edge; a length that gives no edge gives no picture.
    std::pair<std::uint32_t, std::uint32_t> PictureSize() override {
        return {m_Block.GetEdge(), m_Block.GetEdge()};
    }
    bool DrawBlock(CSurfaceDC& dc, std::uint16_t hue, bool partial) override;

private:
    // The companion terrain tile, made when first asked for.
    CDataDefTerrain& Terrain();

    CTileTextureType m_Block;
    std::unique_ptr<CDataDefTerrain> m_pTerrain;
};

}  // namespace tessaly
