#include "FontPages.h"

#include "CDataPageDraw.h"
#include "ControlIds.h"
#include "EventLog.h"
#include "SurfaceDevice.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

namespace tessaly {

namespace {

constexpr int kMargin = 2;  // pixels around each character and label

// A character's code as its cell shows it.
QString Label(std::uint32_t code) {
    return QString::asprintf("%02x", code);
}

}  // namespace

CDataPageFont::CDataPageFont() : CDataPage(150, QStringLiteral("Font")) {
    m_pPicture = new CPictureFrame(ids::IDC_FONT_PICTURE, this);
    m_pPicture->m_Paint = [this](QPainter& painter, const QRect& area) { Paint(painter, area); };
    m_pDamage = NewDamageLabel(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 7, 7, 7);
    layout->addWidget(m_pDamage);
    layout->addWidget(m_pPicture, 1);
}

int CDataPageFont::LoadData() {
    auto* entry = dynamic_cast<CDataDefFont*>(GetDataDef());
    if (entry == nullptr) {
        return 1;
    }
    // A font the file ends before, or inside of, is damaged: the page says so above what it
    // could read.
    QString damage;
    if (const MulFont* font = entry->GetFont(); font == nullptr) {
        damage = QStringLiteral("Damaged: \"fonts.mul\" is missing or ends before font %1.")
                     .arg(entry->GetIndex());
    } else if (font->m_nComplete < MulFont::kCharacters) {
        damage = QStringLiteral(
                     "Damaged: \"fonts.mul\" ends inside this font; %1 of its %2 "
                     "characters were read whole.")
                     .arg(font->m_nComplete)
                     .arg(MulFont::kCharacters);
    }
    SetDamageText(m_pDamage, damage);
    m_pPicture->update();
    return CDataPage::LoadData();
}

QRect CDataPageFont::GetCellRect(std::uint32_t code) const {
    const int n = static_cast<int>(code - MulFont::kFirstCode);
    return {(n % kColumns) * m_nCellWidth, m_nSampleHeight + (n / kColumns) * m_nCellHeight,
            m_nCellWidth, m_nCellHeight};
}

QPoint CDataPageFont::GetCharacterPosition(std::uint32_t code) const {
    // Right of the code: a margin, the code, a margin, the rule, a margin, the character.
    const QRect cell = GetCellRect(code);
    return {cell.left() + m_nLabelWidth + 3 * kMargin + 1, cell.top() + kMargin};
}

QPoint CDataPageFont::GetSamplePosition() const {
    return QPoint(kMargin, kMargin);
}

void CDataPageFont::Paint(QPainter& painter, const QRect& area) {
    m_Buffer.Release();
    auto* entry = dynamic_cast<CDataDefFont*>(GetDataDef());
    const MulFont* font = entry != nullptr ? entry->GetFont() : nullptr;
    if (font == nullptr || area.width() <= 0 || area.height() <= 0) {
        return;
    }
    // The sample line on top; below it a grid of cells, each with its code on a shaded box, a
    // rule, and right of it the character, as wide as the widest character and as tall as the
    // tallest.
    QFont labelFont = painter.font();
    labelFont.setPixelSize(9);
    painter.setFont(labelFont);
    const QFontMetrics metrics(labelFont);
    const int height = static_cast<int>(font->GetHeight());
    int widest = 0;
    for (const FontCharacter& c : font->m_Characters) {
        widest = std::max<int>(widest, c.m_nWidth);
    }
    m_nLabelWidth = 0;
    for (std::uint32_t code = MulFont::kFirstCode; code < 256; ++code) {
        m_nLabelWidth = std::max(m_nLabelWidth, metrics.horizontalAdvance(Label(code)));
    }
    m_nCellWidth = m_nLabelWidth + widest + 4 * kMargin + 1;
    m_nCellHeight = std::max(metrics.height(), height) + 2 * kMargin;
    m_nSampleHeight = height + 2 * kMargin;
    const int rows = static_cast<int>(MulFont::kCharacters) / kColumns;
    const std::uint32_t width =
        std::max<std::uint32_t>(static_cast<std::uint32_t>(kColumns * m_nCellWidth),
                                font->GetTextWidth(kSampleText) + 2 * kMargin);
    MakePicture(m_Buffer, width, static_cast<std::uint32_t>(m_nSampleHeight + rows * m_nCellHeight),
                static_cast<std::uint32_t>(area.width()), static_cast<std::uint32_t>(area.height()),
                [&](CSurfaceDC& dc) {
                    const QPoint sample = GetSamplePosition();
                    DrawFontText(dc, *font, kSampleText, sample.x(), sample.y());
                    for (std::uint32_t i = 0; i < MulFont::kCharacters; ++i) {
                        const QPoint at = GetCharacterPosition(MulFont::kFirstCode + i);
                        DrawFontCharacter(dc, font->m_Characters[i], at.x(), at.y());
                    }
                    return true;
                });
    if (m_Buffer.GetData() == nullptr) {
        return;
    }
    DrawToDevice(m_Buffer, painter, area.left(), area.top());
    painter.setClipRect(QRect(area.topLeft(), QSize(static_cast<int>(m_Buffer.GetWidth()),
                                                    static_cast<int>(m_Buffer.GetHeight()))));
    painter.translate(area.topLeft());
    for (std::uint32_t i = 0; i < MulFont::kCharacters; ++i) {
        const std::uint32_t code = MulFont::kFirstCode + i;
        const QRect cell = GetCellRect(code);
        const QRect label(cell.left() + kMargin, cell.top() + kMargin, m_nLabelWidth,
                          cell.height() - 2 * kMargin);
        const int rule = label.right() + kMargin + 1;
        painter.fillRect(label, QColor(48, 48, 48));
        painter.setPen(QColor(90, 90, 90));
        painter.drawLine(rule, cell.top() + 1, rule, cell.bottom() - 1);
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
        painter.setPen(QColor(170, 170, 170));
        painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, Label(code));
    }
}

}  // namespace tessaly
