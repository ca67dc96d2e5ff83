#include "CDataDefItem.h"

#include "CDataDefAnim.h"
#include "CDataDefTileData.h"
#include "CVerDataEdits.h"
#include "EventLog.h"
#include "Hues.h"
#include "ImageEncoders.h"
#include "Text.h"
#include "TileData.h"

namespace tessaly {

std::string CDataDefItem::GetListText() {
    if (const char* absent = AbsentText()) {
        return absent;
    }
    std::string name;
    try {
        name = m_Block.GetTileData()->GetName();
    } catch (...) {
        LogCaughtException("reading an item name");
        name.clear();
    }
    return Format("%d\t%s", static_cast<int>(GetShownIndex().GetLength()), name.c_str());
}

bool CDataDefItem::DrawBlock(CSurfaceDC& dc, std::uint16_t hue, bool partial) {
    // Item pictures take the surface's hue as it stands.
    UseHue(dc, hue, partial);
    return m_Block.Draw(dc, 0, 0);
}

bool CDataDefItem::IsPartialHue() {
    try {
        return (m_Block.GetTileData()->m_dwFlags & kTileCloth) != 0;
    } catch (...) {
        LogCaughtException("reading an item's flags");
        return false;
    }
}

const PictureRecordKind* CDataDefItem::GetRecordKind() const {
    static constexpr PictureRecordKind kItems{kCategoryItems, false, EncodeItem,
                                              kItemTooLargeMessage};
    return &kItems;
}

std::optional<AnimDataEntry> CDataDefItem::GetAnimation() {
    try {
        if ((m_Block.GetTileData()->m_dwFlags & kTileAnim) != 0) {
            return ReadAnimData(TheClientFiles(), GetIndex());
        }
    } catch (...) {
        LogCaughtException("reading an item's animation");
    }
    return std::nullopt;
}

std::vector<PlacedFrame> PlaceItemFrames(const std::vector<std::uint32_t>& frames,
                                         std::uint16_t hue, bool partial, FrameBudget& budget) {
    // Sized once: the buffers own their pixels, and a copy would only alias them.
    std::vector<PlacedFrame> placed(frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        CDataDefItem frame(frames[i]);
        frame.ReadIndex();
        // Its size before its pixels are drawn; one too large alone draws nothing anyway.
        if (const auto size = frame.LoadedSize();
            size && IsShowableSize(size->first, size->second) &&
            !budget.Take(std::uint64_t{size->first} * size->second)) {
            continue;
        }
        SurfaceBuffer& picture = placed[i].picture;
        if (frame.DrawPicture(picture, kNoLimit, kNoLimit, hue, partial) &&
            picture.GetData() != nullptr) {
            placed[i].left = -static_cast<std::int32_t>(picture.GetWidth() / 2);
            placed[i].top = -static_cast<std::int32_t>(picture.GetHeight());
        } else {
            picture.Release();
        }
    }
    return placed;
}

bool CDataDefItem::ExportData(const ExportOptions& options, CExportData& out) {
    if (IsDeleted()) {
        return false;  // its animation's other frames are no picture of a deleted item
    }
    if (!options.bGif && !options.bFrames) {
        return CDataDefPicture::ExportData(options, out);
    }
    const std::optional<AnimDataEntry> animation = GetAnimation();
    const std::vector<std::uint32_t> ids =
        animation ? animation->frames : std::vector<std::uint32_t>{GetIndex()};
    FrameBudget budget{kMaxPicturePixels};
    const std::vector<PlacedFrame> frames =
        PlaceItemFrames(ids, options.nHue, options.bPartial, budget);
    if (budget.skipped != 0) {
        out.AddNote("its frames do not fit in one picture (at most 8192 x 8192 pixels)");
        return false;
    }
    if (options.bGif) {
        std::vector<std::uint8_t> gif =
            EncodePlacedGif(frames, animation ? animation->FrameDelayMs() : kAnimDataTickMs);
        if (gif.empty()) {
            return false;
        }
        out.AddFile(nullptr, std::move(gif), std::string(), ".gif");
        return true;
    }
    if (!animation) {
        return CDataDefPicture::ExportData(options, out);
    }
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (frames[i].picture.GetData() != nullptr) {
            out.AddPicture(frames[i].picture, Format("-%02zu", i));
        }
    }
    return !out.IsEmpty();
}

void CDataDefItem::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::TileData);
    pages.push_back(EntryPage::ItemDraw);
    pages.push_back(EntryPage::Script);
}

}  // namespace tessaly
