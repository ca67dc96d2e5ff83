#pragma once
// Fonts ("fonts.mul"): ten entries that only name themselves, and the "Font" page that draws
// the font's characters as a character map and a line of sample text.

#include "CDataDef.h"
#include "CDataProps.h"
#include "FontType.h"
#include "Surface.h"

#include <QPoint>

class QPainter;

namespace tessaly {

class CPictureFrame;

class CDataDefFont : public CDataDef {
public:
    explicit CDataDefFont(std::uint32_t nIndex) : CDataDef(nIndex), m_Block(nIndex) {}

    std::string GetListText() override;
    bool CopyData() override { return true; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryFonts; }
    bool IsValid() override;
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;

    // The font of this entry's number, or null when "fonts.mul" does not hold it (logged).
    const MulFont* GetFont();

private:
    CMulFontType m_Block;
};

// "Font": a line of sample text, then the 224 characters in rows of 16 cells, each with its
// code in hexadecimal left of the character; cut at the picture control, never scaled.
class CDataPageFont : public CDataPage {
    Q_OBJECT

public:
    static constexpr int kColumns = 16;
    static constexpr const char* kSampleText =
        "The quick brown fox jumps over the lazy dog 0123456789";

    CDataPageFont();

    int LoadData() override;

    CPictureFrame* GetPicture() const { return m_pPicture; }
    // The pixels of the last paint (empty when nothing was drawn).
    const SurfaceBuffer& GetBuffer() const { return m_Buffer; }
    // Where the last paint put the top-left corner of a character (code 32 to 255) and of the
    // sample line, in the buffer's coordinates.
    QPoint GetCharacterPosition(std::uint32_t code) const;
    QPoint GetSamplePosition() const;

private:
    void Paint(QPainter& painter, const QRect& area);

    CPictureFrame* m_pPicture;  // 4085
    SurfaceBuffer m_Buffer;
    // The layout of the last paint, in pixels.
    int m_nLabelWidth = 0;
    int m_nCellWidth = 0;
    int m_nCellHeight = 0;
    int m_nSampleHeight = 0;
};

}  // namespace tessaly
