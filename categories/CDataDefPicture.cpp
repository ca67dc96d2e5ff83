#include "CDataDefPicture.h"

#include "CDataVerData.h"
#include "DataTypeDef.h"
#include "EntryPicture.h"
#include "ImageEncoders.h"
#include "TarnError.h"
#include "Text.h"

namespace tessaly {

CUOVersionBlock PicturePatchRecord(const PictureRecordKind& kind, std::uint32_t nIndex,
                                   std::uint32_t width, std::uint32_t height) {
    const DataTypeDef& row = *GetTypeDef(kind.nCategory);
    const auto w = static_cast<std::uint16_t>(width);
    const auto h = static_cast<std::uint16_t>(height);
    return CUOVersionBlock{static_cast<std::uint32_t>(row.m_nDataFile),
                           row.RecordOf(nIndex),
                           0,
                           0,
                           kind.bHeightFirst ? h : w,
                           kind.bHeightFirst ? w : h};
}

std::unique_ptr<CDataVerData> MakePictureRecord(const PictureRecordKind& kind, std::uint32_t nIndex,
                                                const Picture& picture) {
    return std::make_unique<CDataVerData>(
        PicturePatchRecord(kind, nIndex, picture.width, picture.height), kind.encode(picture));
}

bool CDataDefPicture::DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                                  std::uint32_t maxHeight, std::uint16_t hue, bool partial) {
    if (!LoadEntryBlock(PictureBlock()) || !InvalidText().empty()) {
        buffer.Release();
        return false;
    }
    const auto [width, height] = PictureSize();
    return MakePicture(buffer, width, height, maxWidth, maxHeight,
                       [&](CSurfaceDC& dc) { return DrawBlock(dc, hue, partial); });
}

std::string CDataDefPicture::SizeText() {
    const auto size = LoadedSize();
    return size
               ? Format(SizeFormat(), static_cast<int>(size->first), static_cast<int>(size->second))
               : std::string();
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> CDataDefPicture::LoadedSize() {
    if (!LoadEntryBlock(PictureBlock())) {
        return std::nullopt;
    }
    return PictureSize();
}

bool CDataDefPicture::GetImage(SurfaceBuffer& buffer) {
    return DrawPicture(buffer, kNoLimit, kNoLimit);
}

bool CDataDefPicture::ExportData(const ExportOptions& options, CExportData& out) {
    if (IsDeleted()) {
        return false;  // no data: its size would read as 0 x 0
    }
    SurfaceBuffer buffer;
    if (DrawPicture(buffer, kNoLimit, kNoLimit, options.nHue, options.bPartial)) {
        return out.AddPicture(buffer);
    }
    // A picture no file can hold, or one the format never draws, is no entry without data.
    if (const std::string why = InvalidText(); !why.empty()) {
        out.AddNote(why);
    } else if (const auto size = LoadedSize(); size && !IsShowableSize(size->first, size->second)) {
        out.AddNote(
            Format("its picture is %u x %u pixels, larger than a picture may be "
                   "(8192 x 8192, at most 32,766 wide)",
                   size->first, size->second));
    }
    return false;
}

bool CDataDefPicture::WriteVerData(CQFile& file, CUOVersionBlock& record) {
    const PictureRecordKind* kind = GetRecordKind();
    if (kind == nullptr || !LoadEntryBlock(PictureBlock())) {
        return false;
    }
    const auto [width, height] = PictureSize();
    return WriteBlock(file, record, PicturePatchRecord(*kind, GetIndex(), width, height),
                      PictureBlock().GetBytes());
}

std::unique_ptr<CDataVerData> CDataDefPicture::MakePictureChange(const Picture& picture,
                                                                 std::string& message) {
    const PictureRecordKind* kind = GetRecordKind();
    if (kind == nullptr) {
        return CDataDefIndex::MakePictureChange(picture, message);
    }
    // What the format holds but could never be shown, copied or exported again is refused too.
    if (!IsShowableSize(picture.width, picture.height)) {
        message = kind->pszTooLarge;
        return nullptr;
    }
    try {
        return MakePictureRecord(*kind, GetIndex(), picture);
    } catch (const CTarnError&) {
        message = kind->pszTooLarge;
        return nullptr;
    }
}

bool CDataDefPicture::ReadIndex() {
    const DataTypeDef* row = GetRow();
    return row != nullptr && ReadBaseIndex(row->m_nIndexFile, row->RecordOf(GetIndex()));
}

}  // namespace tessaly
