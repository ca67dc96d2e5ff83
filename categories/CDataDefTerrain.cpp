#include "CDataDefTerrain.h"

#include "CDataDefTexture.h"
#include "CDataDefTileData.h"
#include "EventLog.h"
#include "Text.h"
#include "TileData.h"

namespace tessaly {

std::string TerrainName(CTileTerrainType& block) {
    try {
        return block.GetTileData()->GetName();
    } catch (...) {
        LogCaughtException("reading a terrain name");
        return std::string();
    }
}

bool DrawTerrainPicture(CTileTerrainType& block, SurfaceBuffer& buffer, std::uint32_t maxWidth,
                        std::uint32_t maxHeight) {
    if (!LoadPictureBlock(block)) {
        buffer.Release();
        return false;
    }
    constexpr auto kEdge = static_cast<std::uint32_t>(CTileTerrainType::kSize);
    // The top corner at column 21 puts the diamond at columns 0 to 43.
    MakePicture(buffer, kEdge, kEdge, maxWidth, maxHeight,
                [&block](CSurfaceDC& dc) { return block.Draw(dc, 21, 0); });
    return buffer.GetData() != nullptr;
}

std::string CDataDefTerrain::GetListText() {
    if (const char* absent = AbsentText()) {
        return absent;
    }
    // The length of the data shown: a linked patch record's, else the base record's.
    const IndexRecord shown = GetEffectiveIndex();
    const std::uint32_t length = shown.HasData() ? shown.GetLength() : 0;
    return Format("%d\t%s", static_cast<int>(length), TerrainName(m_Terrain).c_str());
}

bool CDataDefTerrain::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefTerrain::ReadIndex() {
    return ReadBaseIndex(kSlotArtIdx, GetIndex());
}

void CDataDefTerrain::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::TerrainDraw);
    pages.push_back(EntryPage::TileData);
    pages.push_back(EntryPage::TextureDraw);
}

bool CDataDefTerrain::ExportData(const ExportOptions& /*options*/, CExportData& out) {
    SurfaceBuffer buffer;
    return DrawTerrainPicture(m_Terrain, buffer, kNoLimit, kNoLimit) && out.AddPicture(buffer);
}

}  // namespace tessaly
