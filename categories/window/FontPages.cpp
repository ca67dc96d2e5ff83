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
    m_pDamage = new QLabel(this);
    m_pDamage->setWordWrap(true);
    m_pDamage->hide();
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
    m_pDamage->setText(damage);
    m_pDamage->setVisible(!damage.isEmpty());
    m_pPicture->update();
    return CDataPage::LoadData();
}

QPoint CDataPageFont::GetCharacterPosition(std::uint32_t code) const {
    const int n = static_cast<int>(code - MulFont::kFirstCode);
    return QPoint((n % kColumns) * m_nCellWidth + m_nLabelWidth + 2 * kMargin,
                  m_nSampleHeight + (n / kColumns) * m_nCellHeight + kMargin);
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
    // The sample line on top; below it cells of a code label and, right of it, the character,
    // each cell as wide as the widest character and as tall as the tallest.
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
    m_nCellWidth = m_nLabelWidth + widest + 3 * kMargin;
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
    painter.setPen(QColor(150, 150, 150));
    for (std::uint32_t i = 0; i < MulFont::kCharacters; ++i) {
        const QPoint at = GetCharacterPosition(MulFont::kFirstCode + i);
        painter.drawText(QRect(area.left() + at.x() - m_nLabelWidth - kMargin, area.top() + at.y(),
                               m_nLabelWidth, height),
                         Qt::AlignRight | Qt::AlignVCenter, Label(MulFont::kFirstCode + i));
    }
}

}  // namespace tessaly
