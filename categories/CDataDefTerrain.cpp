#include "CDataDefTerrain.h"

#include "CDataDefTexture.h"
#include "CDataDefTileData.h"
#include "EventLog.h"
#include "Text.h"
#include "TileData.h"

namespace tessaly {

CDataDefTerrain::CDataDefTerrain(std::uint32_t nIndex, CClientFiles& files)
    : CDataDefPicture(nIndex, EntryPage::TerrainDraw, files), m_Block(nIndex, files) {}

CDataDefTerrain::~CDataDefTerrain() = default;

std::string CDataDefTerrain::GetName() {
    try {
        return m_Block.GetTileData()->GetName();
    } catch (...) {
        LogCaughtException("reading a terrain name");
        return std::string();
    }
}

std::pair<std::uint32_t, std::uint32_t> CDataDefTerrain::PictureSize() {
    constexpr auto kEdge = static_cast<std::uint32_t>(CTileTerrainType::kSize);
    return {kEdge, kEdge};
}

bool CDataDefTerrain::DrawBlock(CSurfaceDC& dc, std::uint16_t /*hue*/, bool /*partial*/) {
    // The top corner at column 21 puts the diamond at columns 0 to 43; a loaded block shows
    // whatever rows it holds.
    return m_Block.Draw(dc, 21, 0);
}

std::string CDataDefTerrain::InvalidText() {
    return GetIndex() == CTileTerrainType::kNoDrawTile
               ? "Terrain 2 is the map's \"no draw\" tile: it is never drawn"
               : std::string();
}

CDataDefPicture* CDataDefTerrain::GetPicture(EntryPage page) {
    if (page != EntryPage::TextureDraw) {
        return CDataDefPicture::GetPicture(page);
    }
    if (m_pTexture == nullptr) {
        m_pTexture = std::make_unique<CDataDefTexture>(GetIndex());
    }
    return m_pTexture.get();
}

std::string CDataDefTerrain::GetListText() {
    if (const char* absent = AbsentText()) {
        return absent;
    }
    // The length of the data shown: a linked patch record's, else the base record's.
    const IndexRecord shown = GetEffectiveIndex();
    const std::uint32_t length = shown.HasData() ? shown.GetLength() : 0;
    return Format("%d\t%s", static_cast<int>(length), GetName().c_str());
}

void CDataDefTerrain::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::TerrainDraw);
    pages.push_back(EntryPage::TileData);
    pages.push_back(EntryPage::TextureDraw);
}

}  // namespace tessaly
