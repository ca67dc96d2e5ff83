#pragma once
// Fonts ("fonts.mul"): ten entries that only name themselves, and the "Font" page that draws
// the font's characters as a character map and a line of sample text.

#include "CDataDef.h"
#include "FontType.h"
#include "Surface.h"

#include <QPoint>

#include <optional>

namespace tessaly {

class CPictureFrame;

class CDataDefFont : public CDataDef {
public:
    explicit CDataDefFont(std::uint32_t nIndex, CClientFiles& files = TheClientFiles())
        : CDataDef(nIndex, files), m_Block(nIndex, files) {}

    std::string GetListText() override;
    bool CopyData(EntryClip& /*clip*/) override { return true; }
    bool CanCopy() override { return false; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryFonts; }
    bool IsValid() override;
    // Failed when "fonts.mul" does not open, Damaged when it does not hold the whole font.
    ReadStatus GetReadStatus() override;
    bool ReadIndex() override;
    void AddPages(std::vector<EntryPage>& pages) override;

    // The font of this entry's number, or null when "fonts.mul" does not hold it (logged).
    const MulFont* GetFont();

private:
    CMulFontType m_Block;
    std::optional<ReadStatus> m_Status;  // found on the first question
};

}  // namespace tessaly
