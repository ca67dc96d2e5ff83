#pragma once
// The "Unicode Font" page: a typed line drawn in the font and its character map.

#include "CDataDefUniFont.h"
#include "CDataProps.h"

class QComboBox;
class QLabel;
class QPushButton;
class QLineEdit;

namespace tessaly {

// The character map of one block of 256 code points: 16 x 16 cells, each with its code point
// above the glyph (drawn twice its size); a click selects a cell.
class CUniFontMap : public QWidget {
    Q_OBJECT

public:
    static constexpr int kColumns = 16;
    static constexpr int kScale = 2;

    explicit CUniFontMap(QWidget* parent);
    void SetBlock(std::shared_ptr<const UniFontFile> font, std::uint32_t first);
    // The selected code point, or -1.
    int GetSelected() const { return m_nSelected; }
    void Select(int code);
    // The cell of a code point of the block, in the widget's coordinates.
    QRect CellRect(std::uint32_t code) const;
    QSize sizeHint() const override;

    std::function<void()> m_Selected;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::shared_ptr<const UniFontFile> m_pFont;
    std::uint32_t m_nFirst = 0;
    int m_nSelected = -1;
    int m_nCellWidth = 36;
    int m_nCellHeight = 44;
};

class CDataPageUniFont : public CDataPage {
    Q_OBJECT

public:
    CDataPageUniFont();
    int LoadData() override;

    // The typed line (or the selected character) drawn in the font; false when nothing draws.
    bool DrawLine(SurfaceBuffer& buffer) const;
    bool DrawCharacter(SurfaceBuffer& buffer) const;

    QLineEdit* m_pLine;
    QLabel* m_pLinePicture;
    QComboBox* m_pBlock;
    CUniFontMap* m_pMap;
    QLabel* m_pCharacter;
    QPushButton* m_pCopyCharacter = nullptr;
    QPushButton* m_pExportCharacter = nullptr;

private:
    void ShowLine();
    void ShowBlock();
    void ShowCharacter();
    // Copies a drawn picture to the clipboard, or asks where to export it and writes it.
    void CopyPicture(bool character);
    void ExportPicture(bool character);

    std::shared_ptr<const UniFontFile> m_pFont;
};

}  // namespace tessaly
