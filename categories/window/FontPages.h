#pragma once
// The "Font" page: a font as a character map and a line of sample text.

#include <QPoint>
#include <QRect>
#include "CDataDefFont.h"
#include "CDataProps.h"

class QLabel;
class QPainter;

namespace tessaly {

// "Font": a line of sample text, then the 224 characters in a grid of 16 cells a row, each with
// its code in hexadecimal on a shaded box and a rule between the code and the character; cut at
// the picture control, never scaled.
class CDataPageFont : public CDataPage {
    Q_OBJECT

public:
    static constexpr int kColumns = 16;
    static constexpr const char* kSampleText =
        "The quick brown fox jumps over the lazy dog 0123456789";

    CDataPageFont();

    int LoadData() override;

    CPictureFrame* GetPicture() const { return m_pPicture; }
    // The line above the map that says the font is damaged (hidden for a whole font).
    QLabel* GetDamageText() const { return m_pDamage; }
    // The pixels of the last paint (empty when nothing was drawn).
    const SurfaceBuffer& GetBuffer() const { return m_Buffer; }
    // Where the last paint put the top-left corner of a character (code 32 to 255) and of the
    // sample line, in the buffer's coordinates.
    QPoint GetCharacterPosition(std::uint32_t code) const;
    QPoint GetSamplePosition() const;
    // The cell of a character (code 32 to 255) in the last paint: its code, a rule, the
    // character.
    QRect GetCellRect(std::uint32_t code) const;

private:
    void Paint(QPainter& painter, const QRect& area);

    CPictureFrame* m_pPicture;  // 4085
    QLabel* m_pDamage;
    SurfaceBuffer m_Buffer;
    // The layout of the last paint, in pixels.
    int m_nLabelWidth = 0;
    int m_nCellWidth = 0;
    int m_nCellHeight = 0;
    int m_nSampleHeight = 0;
};

}  // namespace tessaly
