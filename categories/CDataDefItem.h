#pragma once
// Item pictures (art entries 16384 on) and the "Item" page that draws them.

#include "ArtTypes.h"
#include "CDataDef.h"
#include "ImageEncoders.h"

#include <memory>

namespace tessaly {

class CDataDefItem : public CDataDefIndex {
public:
    explicit CDataDefItem(std::uint32_t nIndex) : CDataDefIndex(nIndex), m_Block(nIndex) {}

    std::string GetListText() override;
    bool GetImage(SurfaceBuffer& buffer) override;
    bool CopyData(EntryClip& clip) override { return CopyImage(clip); }
    // Exports the picture GetImage draws.
    ExportKind GetExportKind() override { return ExportKind::Picture; }
    bool ExportData(const ExportOptions& options, CExportData& out) override;
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryItems; }
    bool ReadIndex() override;
    void AddPages(std::vector<EntryPage>& pages) override;

    CTileItemType& GetBlock() { return m_Block; }
    // The record of item nIndex's patch data for a picture of that size; the save and the edits
    // both write it.
    // MakeChange, or the message that refuses a picture too large for the format.
    std::unique_ptr<CDataVerData> MakePictureChange(const Picture& picture,
                                                    std::string& message) override;
    static CUOVersionBlock PatchRecord(std::uint32_t nIndex, std::uint32_t width,
                                       std::uint32_t height);
    // The change that replaces item nIndex with a picture (its transparent pixels left out of
    // the runs). Raises CTarnError "EncodeItem: Size" when the picture does not fit the format.
    static std::unique_ptr<CDataVerData> MakeChange(std::uint32_t nIndex, const Picture& picture);
    // The picture at its top-left corner, each side cut to its limit, in the client's hue
    // number `hue` (0 = none; UseHue), only its grey pixels with `partial`; what the draw
    // answered.
    bool DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth, std::uint32_t maxHeight,
                     std::uint16_t hue = 0, bool partial = false);
    // Whether the client hues the item partially: tile data flag bit 18 ("12=CLOTH").
    bool IsPartialHue();

private:
    CTileItemType m_Block;
};

}  // namespace tessaly
