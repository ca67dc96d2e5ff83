#pragma once
// Item pictures (art entries 16384 on) and the "Item" page that draws them.

#include "AnimData.h"
#include "AnimExport.h"
#include "ArtTypes.h"
#include "CDataDefPicture.h"

#include <optional>

namespace tessaly {

// The pictures of an animated item's frames (item numbers), drawn in the hue, each placed with
// its bottom centre at the anchor as the client stands items; a frame without a picture, or
// past the budget, stays empty.
std::vector<PlacedFrame> PlaceItemFrames(const std::vector<std::uint32_t>& frames,
                                         std::uint16_t hue, bool partial, FrameBudget& budget);

class CDataDefItem : public CDataDefSizedPicture<CTileItemType> {
public:
    explicit CDataDefItem(std::uint32_t nIndex, CClientFiles& files = TheClientFiles())
        : CDataDefSizedPicture(nIndex, EntryPage::ItemDraw, files) {}

    std::string GetListText() override;
    // The last field is the tile data name, which keeps any tab it holds.
    int GetListFieldLimit() const override { return 2; }
    std::int32_t GetDataType() override { return kCategoryItems; }
    void AddPages(std::vector<EntryPage>& pages) override;
    // Whether the client hues the item partially: tile data flag bit 18 ("12=CLOTH").
    bool IsPartialHue() override;
    // The record's extra words carry the picture's width and height, as the item's index
    // record does; EncodeItem leaves transparent pixels out of the runs.
    const PictureRecordKind* GetRecordKind() const override;

    // How the item plays when its tile data has the animation flag and "animdata.mul" gives it
    // frames; none otherwise.
    std::optional<AnimDataEntry> GetAnimation();
    // bGif: an animated GIF of the item's frames (of the picture alone when it is not
    // animated); bFrames: one PNG per frame (suffix "-NN"); else the picture.
    ExportKind GetExportKind() override { return ExportKind::ItemPicture; }
    bool ExportData(const ExportOptions& options, CExportData& out) override;

protected:
    bool DrawBlock(CSurfaceDC& dc, std::uint16_t hue, bool partial) override;
};

}  // namespace tessaly
