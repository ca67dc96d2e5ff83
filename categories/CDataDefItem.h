#pragma once
// Item pictures (art entries 16384 on) and the "Item" page that draws them.

#include "ArtTypes.h"
#include "CDataDefPicture.h"

namespace tessaly {

class CDataDefItem : public CDataDefSizedPicture<CTileItemType> {
public:
    explicit CDataDefItem(std::uint32_t nIndex, CClientFiles& files = TheClientFiles())
        : CDataDefSizedPicture(nIndex, EntryPage::ItemDraw, files) {}

    std::string GetListText() override;
    std::int32_t GetDataType() override { return kCategoryItems; }
    void AddPages(std::vector<EntryPage>& pages) override;
    // Whether the client hues the item partially: tile data flag bit 18 ("12=CLOTH").
    bool IsPartialHue() override;
    // The record's extra words carry the picture's width and height, as the item's index
    // record does; EncodeItem leaves transparent pixels out of the runs.
    const PictureRecordKind* GetRecordKind() const override;

protected:
    bool DrawBlock(CSurfaceDC& dc, std::uint16_t hue, bool partial) override;
};

}  // namespace tessaly
