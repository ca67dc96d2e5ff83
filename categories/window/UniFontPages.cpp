#include "UniFontPages.h"

#include "CDataAppState.h"
#include "CDataPageDraw.h"
#include "DataExport.h"
#include "ShellUi.h"
#include "SurfaceDevice.h"
#include "Text.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tessaly {

namespace {

constexpr int kLabelHeight = 12;

QString CodeLabel(std::uint32_t code) {
    return QString::asprintf("%04X", code);
}

// A picture for the page: the drawn pixels white on black, as the client draws text before it
// hues it (black is the transparent colour of the exported and copied pictures).
QPixmap PixmapOf(const SurfaceBuffer& buffer, int scale) {
    const QImage image = CreateDeviceBitmap(buffer);
    return QPixmap::fromImage(image.scaled(image.width() * scale, image.height() * scale));
}

}  // namespace

CUniFontMap::CUniFontMap(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("map"));
}

void CUniFontMap::SetBlock(std::shared_ptr<const UniFontFile> font, std::uint32_t first) {
    m_pFont = std::move(font);
    m_nFirst = first;
    m_nSelected = -1;
    // Cells as wide and tall as the block's largest glyph needs, and the label.
    int width = QFontMetrics(this->font()).horizontalAdvance(QStringLiteral("FFFF")) + 4;
    int height = 8 * kScale;
    for (std::uint32_t code = first; m_pFont != nullptr && code < first + 256; ++code) {
        if (const auto glyph = m_pFont->font.Glyph(static_cast<std::uint16_t>(code))) {
            width = std::max(width, (std::max(0, int{glyph->x}) + glyph->width) * kScale + 4);
            height = std::max(height, (std::max(0, int{glyph->y}) + glyph->height) * kScale);
        }
    }
    m_nCellWidth = width;
    m_nCellHeight = kLabelHeight + height + 4;
    updateGeometry();
    resize(sizeHint());
    update();
}

void CUniFontMap::Select(int code) {
    m_nSelected = code;
    update();
    if (m_Selected) {
        m_Selected();
    }
}

QRect CUniFontMap::CellRect(std::uint32_t code) const {
    const int n = static_cast<int>(code - m_nFirst);
    return QRect((n % kColumns) * m_nCellWidth, (n / kColumns) * m_nCellHeight, m_nCellWidth,
                 m_nCellHeight);
}

QSize CUniFontMap::sizeHint() const {
    return QSize(kColumns * m_nCellWidth + 1, 16 * m_nCellHeight + 1);
}

void CUniFontMap::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    QFont small = font();
    small.setPixelSize(9);
    painter.setFont(small);
    for (std::uint32_t code = m_nFirst; code < m_nFirst + 256; ++code) {
        const QRect cell = CellRect(code);
        const auto glyph = m_pFont != nullptr
                               ? m_pFont->font.Glyph(static_cast<std::uint16_t>(code))
                               : std::nullopt;
        if (static_cast<int>(code) == m_nSelected) {
            painter.fillRect(cell, QColor(40, 60, 120));
        }
        painter.setPen(QColor(60, 60, 60));
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
        painter.setPen(glyph ? QColor(170, 170, 170) : QColor(90, 90, 90));
        painter.drawText(QRect(cell.left(), cell.top() + 1, cell.width(), kLabelHeight),
                         Qt::AlignCenter, CodeLabel(code));
        if (!glyph) {
            continue;
        }
        const int left = cell.left() + 2 + std::max(0, int{glyph->x}) * kScale;
        const int top = cell.top() + kLabelHeight + 2 + std::max(0, int{glyph->y}) * kScale;
        for (std::uint32_t y = 0; y < glyph->height; ++y) {
            for (std::uint32_t x = 0; x < glyph->width; ++x) {
                if (glyph->Pixel(x, y)) {
                    painter.fillRect(left + static_cast<int>(x) * kScale,
                                     top + static_cast<int>(y) * kScale, kScale, kScale, Qt::white);
                }
            }
        }
    }
}

void CUniFontMap::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const int column = at.x() / m_nCellWidth;
    const int row = at.y() / m_nCellHeight;
    if (column >= 0 && column < kColumns && row >= 0 && row < 16) {
        Select(static_cast<int>(m_nFirst) + row * kColumns + column);
    }
}

CDataPageUniFont::CDataPageUniFont() : CDataPage(163, QStringLiteral("Unicode Font")) {
    m_pLine = new QLineEdit(QString::fromUtf8(kUniFontSample), this);
    m_pLine->setObjectName(QStringLiteral("line"));
    m_pLinePicture = new QLabel(this);
    m_pLinePicture->setObjectName(QStringLiteral("linePicture"));
    m_pLinePicture->setMinimumHeight(32);
    m_pLinePicture->setStyleSheet(QStringLiteral("background: black"));
    m_pBlock = new QComboBox(this);
    m_pBlock->setObjectName(QStringLiteral("block"));
    m_pMap = new CUniFontMap(this);
    m_pCharacter = new QLabel(this);
    m_pCharacter->setObjectName(QStringLiteral("character"));
    auto button = [this](const char* text, auto action) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        connect(b, &QPushButton::clicked, this, action);
        return b;
    };
    auto* lineRow = new QHBoxLayout;
    lineRow->addWidget(new QLabel(QStringLiteral("Text:"), this));
    lineRow->addWidget(m_pLine, 1);
    lineRow->addWidget(button("Copy", [this] { CopyPicture(false); }));
    lineRow->addWidget(button("Export...", [this] { ExportPicture(false); }));
    auto* blockRow = new QHBoxLayout;
    blockRow->addWidget(new QLabel(QStringLiteral("Block:"), this));
    // The block chooser as wide as its longest entry; the character's text takes the rest.
    m_pBlock->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    blockRow->addWidget(m_pBlock);
    blockRow->addWidget(m_pCharacter, 1);
    m_pCopyCharacter = button("Copy Character", [this] { CopyPicture(true); });
    m_pExportCharacter = button("Export Character...", [this] { ExportPicture(true); });
    blockRow->addWidget(m_pCopyCharacter);
    blockRow->addWidget(m_pExportCharacter);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(m_pMap);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 7, 7, 7);
    layout->addLayout(lineRow);
    layout->addWidget(m_pLinePicture);
    layout->addLayout(blockRow);
    layout->addWidget(scroll, 1);
    connect(m_pLine, &QLineEdit::textChanged, this, [this] { ShowLine(); });
    connect(m_pBlock, &QComboBox::currentIndexChanged, this, [this] { ShowBlock(); });
    m_pMap->m_Selected = [this] { ShowCharacter(); };
    ShowCharacter();
}

int CDataPageUniFont::LoadData() {
    auto* entry = dynamic_cast<CDataDefUniFont*>(GetDataDef());
    if (entry == nullptr || entry->GetFont() == nullptr) {
        return 1;
    }
    m_pFont = GetUniFont(entry->GetIndex());
    if (m_pFont == nullptr) {
        return 1;
    }
    // The blocks of 256 that hold glyphs.
    m_pBlock->blockSignals(true);
    m_pBlock->clear();
    std::size_t i = 0;
    const std::vector<std::uint16_t>& codes = m_pFont->codes;
    while (i < codes.size()) {
        const std::uint32_t first = codes[i] & 0xFF00u;
        std::size_t n = 0;
        while (i < codes.size() && (codes[i] & 0xFF00u) == first) {
            ++i;
            ++n;
        }
        m_pBlock->addItem(QStringLiteral("U+%1 to U+%2 (%3 glyphs)")
                              .arg(CodeLabel(first), CodeLabel(first + 255))
                              .arg(n),
                          first);
    }
    m_pBlock->blockSignals(false);
    ShowLine();
    ShowBlock();
    return CDataPage::LoadData();
}

bool CDataPageUniFont::DrawLine(SurfaceBuffer& buffer) const {
    return m_pFont != nullptr &&
           DrawUniText(m_pFont->font, m_pLine->text().toStdU16String(), buffer, kUniFontColour);
}

bool CDataPageUniFont::DrawCharacter(SurfaceBuffer& buffer) const {
    const int code = m_pMap->GetSelected();
    return m_pFont != nullptr && code >= 0 &&
           DrawUniText(m_pFont->font, std::u16string(1, static_cast<char16_t>(code)), buffer,
                       kUniFontColour);
}

void CDataPageUniFont::ShowLine() {
    SurfaceBuffer buffer;
    if (DrawLine(buffer)) {
        m_pLinePicture->setPixmap(PixmapOf(buffer, 2));
    } else {
        m_pLinePicture->clear();
    }
}

void CDataPageUniFont::ShowBlock() {
    const QVariant first = m_pBlock->currentData();
    m_pMap->SetBlock(m_pFont, first.isValid() ? first.toUInt() : 0);
    ShowCharacter();
}

void CDataPageUniFont::ShowCharacter() {
    const int code = m_pMap->GetSelected();
    const auto glyph = m_pFont != nullptr && code >= 0
                           ? m_pFont->font.Glyph(static_cast<std::uint16_t>(code))
                           : std::nullopt;
    // Only a character with a glyph can be copied or exported.
    m_pCopyCharacter->setEnabled(glyph.has_value());
    m_pExportCharacter->setEnabled(glyph.has_value());
    if (code < 0) {
        m_pCharacter->setText(QStringLiteral("No character selected"));
    } else if (!glyph) {
        m_pCharacter->setText(QStringLiteral("U+%1: no glyph").arg(CodeLabel(code)));
    } else {
        m_pCharacter->setText(QStringLiteral("U+%1 %2: %3 x %4, offset %5, %6")
                                  .arg(CodeLabel(code), QString(QChar(code)))
                                  .arg(glyph->width)
                                  .arg(glyph->height)
                                  .arg(glyph->x)
                                  .arg(glyph->y));
    }
}

void CDataPageUniFont::CopyPicture(bool character) {
    SurfaceBuffer buffer;
    if (character ? DrawCharacter(buffer) : DrawLine(buffer)) {
        PutPictureOnClipboard(buffer);
    } else {
        DataAppState().Ui().ShowMessage(character ? "The selected character has no glyph."
                                                  : "The text draws nothing in this font.");
    }
}

void CDataPageUniFont::ExportPicture(bool character) {
    SurfaceBuffer buffer;
    if (!(character ? DrawCharacter(buffer) : DrawLine(buffer))) {
        CopyPicture(character);  // says why there is nothing to export
        return;
    }
    const std::string name =
        character ? Format("unifont-%04x.png", static_cast<unsigned>(m_pMap->GetSelected()))
                  : std::string("unifont-line.png");
    const auto choice =
        DataAppState().Ui().ChooseExportFile(ExportFilter(ExportKind::Picture), name);
    if (!choice) {
        return;
    }
    CExportData data;
    data.AddPicture(buffer);
    std::vector<ExportedFile> files;
    std::string error;
    if (!data.Write(choice->path, files, error)) {
        DataAppState().Ui().ShowMessage(error);
    }
}

}  // namespace tessaly
