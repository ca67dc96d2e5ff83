#pragma once
// What the five picture categories (items, terrain, textures, gumps, lights) share: one image
// block drawn at its size, the size text, copy and export of the picture and, for the kinds
// edited from pictures, the patch record and the change that replaces the entry.

#include "CDataDef.h"
#include "MulBlock.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessaly {

// How a kind edited from pictures stores one: its row (data file and record key), the order of
// its size in the record's extra words (the order its index records are read back in), its
// encoder and the message that refuses a picture too large for the format.
struct PictureRecordKind {
    std::int32_t nCategory;
    bool bHeightFirst;
    std::vector<std::uint8_t> (*encode)(const Picture& picture);
    const char* pszTooLarge;
};

// The record of entry nIndex's patch data for a picture of that size: the save and the edits
// both write it.
CUOVersionBlock PicturePatchRecord(const PictureRecordKind& kind, std::uint32_t nIndex,
                                   std::uint32_t width, std::uint32_t height);
// The change that replaces entry nIndex with a picture. Raises the encoder's CTarnError when the
// picture does not fit the format.
std::unique_ptr<CDataVerData> MakePictureRecord(const PictureRecordKind& kind, std::uint32_t nIndex,
                                                const Picture& picture);

class CDataDefPicture : public CDataDefIndex {
public:
    // page: the page that shows the entry's own picture.
    CDataDefPicture(std::uint32_t nIndex, EntryPage page, CClientFiles& files)
        : CDataDefIndex(nIndex, files), m_Page(page) {}

    bool GetImage(SurfaceBuffer& buffer) override;
    bool CopyData(EntryClip& clip) override { return CopyImage(clip); }
    // Exports the whole picture, in the chosen hue.
    ExportKind GetExportKind() override { return ExportKind::Picture; }
    bool ExportData(const ExportOptions& options, CExportData& out) override;
    // The kinds edited from pictures write their block under PicturePatchRecord; the others
    // write nothing (false).
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::unique_ptr<CDataVerData> MakePictureChange(const Picture& picture,
                                                    std::string& message) override;
    // The base index record of the row's index file.
    bool ReadIndex() override;

    // The entry whose picture `page` shows for this one: itself on its own page, the entry of
    // the same number of a companion category (terrain tiles and textures), else null.
    virtual CDataDefPicture* GetPicture(EntryPage page) { return page == m_Page ? this : nullptr; }
    // Whether the client hues only the picture's grey pixels (items flagged as cloth).
    virtual bool IsPartialHue() { return false; }
    // How the kind stores a picture, or null for kinds that are not edited from pictures.
    virtual const PictureRecordKind* GetRecordKind() const { return nullptr; }

    // The picture at its top-left corner, each side cut to its limit, in the client's hue
    // number `hue` (0 = none; UseHue), only its grey pixels with `partial`, for the kinds drawn
    // in hues; what the draw answered.
    bool DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth, std::uint32_t maxHeight,
                     std::uint16_t hue = 0, bool partial = false);
    // The picture's size as its page shows it (width first), or empty when its block does not
    // load.
    std::string SizeText();
    // The picture's width and height; none when its block does not load.
    std::optional<std::pair<std::uint32_t, std::uint32_t>> LoadedSize();
    // Why data that loaded gives no picture (a length the format has no size for, the map's
    // "no draw" terrain tile), or empty.
    virtual std::string InvalidText() { return std::string(); }

protected:
    // The block the entry shows.
    virtual CMulImageType& PictureBlock() = 0;
    // The width and height of the loaded block.
    virtual std::pair<std::uint32_t, std::uint32_t> PictureSize() = 0;
    // Draws the loaded block into dc, its picture's top-left corner at (0, 0); what the draw
    // answered.
    virtual bool DrawBlock(CSurfaceDC& dc, std::uint16_t hue, bool partial) = 0;
    // The size text's form, given width and height.
    virtual const char* SizeFormat() const { return "%d,%d"; }

private:
    EntryPage m_Page;
};

// A picture kind whose block knows its width and height once loaded (items, gumps, lights).
template <class Block>
class CDataDefSizedPicture : public CDataDefPicture {
public:
    CDataDefSizedPicture(std::uint32_t nIndex, EntryPage page, CClientFiles& files)
        : CDataDefPicture(nIndex, page, files), m_Block(nIndex, files) {}

protected:
    CMulImageType& PictureBlock() override { return m_Block; }
    std::pair<std::uint32_t, std::uint32_t> PictureSize() override {
        return {m_Block.GetWidth(), m_Block.GetHeight()};
    }

    Block m_Block;
};

}  // namespace tessaly
