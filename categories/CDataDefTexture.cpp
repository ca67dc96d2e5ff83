#include "CDataDefTexture.h"

#include "CDataDefTerrain.h"
#include "Text.h"

namespace tessaly {

CDataDefTexture::CDataDefTexture(std::uint32_t nIndex, CClientFiles& files)
    : CDataDefPicture(nIndex, EntryPage::TextureDraw, files), m_Block(nIndex, files) {}

CDataDefTexture::~CDataDefTexture() = default;

CDataDefTerrain& CDataDefTexture::Terrain() {
    if (m_pTerrain == nullptr) {
        m_pTerrain = std::make_unique<CDataDefTerrain>(GetIndex(), Files());
    }
    return *m_pTerrain;
}

CDataDefPicture* CDataDefTexture::GetPicture(EntryPage page) {
    return page == EntryPage::TerrainDraw ? &Terrain() : CDataDefPicture::GetPicture(page);
}

std::string CDataDefTexture::InvalidText() {
    // Told from the record, as nothing of such data is read.
    const std::uint32_t length = IsDeleted() ? 0 : GetEffectiveIndex().GetLength();
    if (!GetEffectiveIndex().HasData() || length == 0 ||
        CTileTextureType::EdgeForLength(length) != 0) {
        return std::string();
    }
    return Format(
        "Invalid texture: %u bytes, where a texture holds 8192 (64 by 64) or 32768 "
        "(128 by 128)",
        length);
}

ReadStatus CDataDefTexture::GetReadStatus() {
    const ReadStatus status = CDataDefIndex::GetReadStatus();
    return status == ReadStatus::Ok && !InvalidText().empty() ? ReadStatus::Damaged : status;
}

bool CDataDefTexture::DrawBlock(CSurfaceDC& dc, std::uint16_t /*hue*/, bool /*partial*/) {
    // A loaded block shows whatever rows it holds.
    m_Block.Draw(dc, 0, 0);
    return true;
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
    return Format("%d\t%s", static_cast<int>(edge), Terrain().GetName().c_str());
}

void CDataDefTexture::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::TextureDraw);
    pages.push_back(EntryPage::TileData);
    pages.push_back(EntryPage::TerrainDraw);
}

}  // namespace tessaly
