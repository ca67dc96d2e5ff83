#include "CDataDefTexture.h"

#include "CDataDefTerrain.h"
#include "CDataDefTileData.h"
#include "Text.h"
#include "TileData.h"

namespace tessaly {

bool DrawTexturePicture(CTileTextureType& block, SurfaceBuffer& buffer, std::uint32_t maxWidth,
                        std::uint32_t maxHeight) {
    if (!LoadPictureBlock(block)) {
        buffer.Release();
        return false;
    }
    const std::uint32_t edge = block.GetEdge();
    MakePicture(buffer, edge, edge, maxWidth, maxHeight,
                [&block](CSurfaceDC& dc) { return block.Draw(dc, 0, 0); });
    return buffer.GetData() != nullptr;
}

std::string CDataDefTexture::GetListText() {
    if (const char* absent = AbsentText()) {
        return absent;
    }
    // 8192 bytes are a 64-pixel texture, 32768 a 128-pixel one; other lengths show as they are.
    // The data shown is a linked patch record's, else the base record's.
    const IndexRecord shown = GetEffectiveIndex();
    const std::uint32_t length = shown.HasData() ? shown.GetLength() : 0;
    std::uint32_t edge = length == 8192 ? 64 : length == 32768 ? 128 : length;
    return Format("%d\t%s", static_cast<int>(edge), TerrainName(m_Terrain).c_str());
}

bool CDataDefTexture::GetImage(SurfaceBuffer& buffer) {
    return DrawTexturePicture(m_Texture, buffer, kNoLimit, kNoLimit);
}

bool CDataDefTexture::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefTexture::ReadIndex() {
    return ReadBaseIndex(kSlotTexIdx, GetIndex());
}

void CDataDefTexture::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::TextureDraw);
    pages.push_back(EntryPage::TileData);
    pages.push_back(EntryPage::TerrainDraw);
}

}  // namespace tessaly
