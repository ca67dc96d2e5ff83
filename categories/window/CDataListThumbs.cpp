#include "CDataListThumbs.h"

#include "CDataAppState.h"
#include "CDataDef.h"
#include "CDataDefHue.h"
#include "CDataDefUniFont.h"
#include "CDataPageDraw.h"
#include "DataTypeDef.h"
#include "EventLog.h"
#include "ResourceIds.h"
#include "Surface.h"
#include "SurfaceDevice.h"
#include "Text.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>

#include <algorithm>

namespace tessaly {

// ---------------------------------------------------------------------------------------------
// CThumbCache

const QImage& CThumbCache::Get(const CDataDef* pEntry, const std::function<QImage()>& make) {
    if (auto it = m_Where.find(pEntry); it != m_Where.end()) {
        m_Order.splice(m_Order.begin(), m_Order, it->second);
        return it->second->second;
    }
    if (m_Order.size() >= m_nCapacity && !m_Order.empty()) {
        m_Where.erase(m_Order.back().first);
        m_Order.pop_back();
    }
    m_Order.emplace_front(pEntry, make());
    m_Where[pEntry] = m_Order.begin();
    return m_Order.front().second;
}

// ---------------------------------------------------------------------------------------------
// CDataListThumbs

namespace {

// Draws text centred in box, wrapped at word boundaries; a word wider than the box, and the
// last line that fits (which takes the rest of the text), end in an ellipsis.
void DrawBoxedText(QPainter& painter, const QRect& box, const QString& text) {
    const QFontMetrics metrics = painter.fontMetrics();
    const int lineHeight = metrics.lineSpacing();
    const int maxLines = std::max(1, box.height() / lineHeight);
    QTextLayout layout(text, painter.font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width());
        const bool last = static_cast<int>(lines.size()) == maxLines - 1;
        const QString shown = last ? text.mid(line.textStart())
                                   : text.mid(line.textStart(), line.textLength()).trimmed();
        lines << metrics.elidedText(shown, Qt::ElideRight, box.width());
        if (last) {
            break;
        }
    }
    layout.endLayout();
    painter.drawText(box, Qt::AlignCenter, lines.join(QLatin1Char('\n')));
}

}  // namespace

CDataListThumbs::CDataListThumbs(std::int32_t nCategory) : CDataList(nCategory) {
    setFrameShape(QFrame::StyledPanel);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
}

QImage CDataListThumbs::MakeCellPicture(CDataDef& entry) {
    try {
        if (auto* hue = dynamic_cast<CDataDefHue*>(&entry)) {
            // The ramp as 32 bars side by side; an edit in the ".pat" patch shows instead.
            hue->LoadHue(hue->GetIndex());
            HueEntry ramp = hue->GetHue();
            FindPatchHue(DataAppState().m_pPatch, hue->GetIndex(), ramp);
            constexpr int kBar = kPictureSize / 32;
            QImage picture(kBar * 32, kPictureSize / 3, QImage::Format_RGB32);
            QPainter painter(&picture);
            for (int i = 0; i < 32; ++i) {
                painter.fillRect(i * kBar, 0, kBar, picture.height(),
                                 QColor::fromRgb(HueWordToRgb(ramp.m_Colours[i])));
            }
            return picture;
        }
        SurfaceBuffer buffer;
        if (!entry.GetImage(buffer)) {
            return {};
        }
        if (dynamic_cast<CDataDefUniFont*>(&entry) != nullptr) {
            // A line of white glyphs on black: its start at full size, where scaled down it
            // would be a smudge, and opaque, where white on the cell would not show.
            return SurfaceImage(buffer).copy(0, 0, std::min<int>(buffer.GetWidth(), kPictureSize),
                                             std::min<int>(buffer.GetHeight(), kPictureSize));
        }
        // Transparent where nothing is drawn: the cell's background shows there.
        QImage picture = TransparentImage(buffer);
        if (picture.width() > kPictureSize || picture.height() > kPictureSize) {
            picture = picture.scaled(kPictureSize, kPictureSize, Qt::KeepAspectRatio,
                                     Qt::SmoothTransformation);
        }
        return picture;
    } catch (...) {
        LogCaughtException("drawing a thumbnail");
        return {};
    }
}

QString CDataListThumbs::CellText(CDataDef& entry) {
    if (entry.QueryReadStatus("asking whether an entry is damaged") == ReadStatus::Damaged) {
        return QStringLiteral("damaged");
    }
    QStringList fields;
    const DataTypeDef* def = tessaly::GetTypeDef(entry.GetDataType());
    for (int c = 0; def != nullptr && c < def->ColumnCount(); ++c) {
        if (const char* text = entry.GetColumnText(c)) {
            if (const QString field = ListFieldText(entry, text).trimmed(); !field.isEmpty()) {
                fields << field;
            }
        }
    }
    return fields.join(QLatin1Char(' '));
}

QString CDataListThumbs::CellLabel(CDataDef& entry) {
    const QString mark = QString::fromLatin1(entry.GetColumnText(-1)).trimmed();
    return QString::fromStdString(Format("%04x", entry.GetIndex())) +
           (mark.isEmpty() ? QString() : QLatin1Char(' ') + mark);
}

void CDataListThumbs::FillList() {
    FillRows();
}

void CDataListThumbs::ShowRows(std::vector<CDataDef*> rows) {
    CDataDef* selected = GetSelected();
    m_Rows = std::move(rows);
    if (m_nSortedColumn >= 0 && GetTypeDef() != nullptr) {
        SortEntries(m_Rows, m_nSortedColumn, m_bAscending, *GetTypeDef());
    }
    auto it = std::find(m_Rows.begin(), m_Rows.end(), selected);
    m_nSelected = it == m_Rows.end() ? -1 : static_cast<int>(it - m_Rows.begin());
    UpdateScrollBar();
    viewport()->update();
    if (selected != nullptr && m_nSelected < 0) {
        OnSelectionChanged(nullptr);
    }
}

void CDataListThumbs::SetSortOrder(int nColumn, bool bAscending) {
    CDataList::SetSortOrder(nColumn, bAscending);
    if (nColumn >= 0) {
        ShowRows(m_Rows);  // a copy: the selection is looked up in the rows shown
    }
}

CDataDef* CDataListThumbs::GetSelected() {
    return m_nSelected >= 0 ? m_Rows[static_cast<std::size_t>(m_nSelected)] : nullptr;
}

QSize CDataListThumbs::CellSize() const {
    return {kPictureSize + 2 * kPadding, kPictureSize + 2 * kPadding + fontMetrics().height()};
}

int CDataListThumbs::GetColumnCount() const {
    return std::max(1, viewport()->width() / CellSize().width());
}

int CDataListThumbs::VisibleRowCount() const {
    return std::max(1, viewport()->height() / CellSize().height());
}

QRect CDataListThumbs::CellRect(int nPosition) const {
    const QSize cell = CellSize();
    const int columns = GetColumnCount();
    return {(nPosition % columns) * cell.width(),
            (nPosition / columns) * cell.height() - verticalScrollBar()->value(), cell.width(),
            cell.height()};
}

int CDataListThumbs::CellAt(const QPoint& viewportPoint) const {
    const QSize cell = CellSize();
    const int columns = GetColumnCount();
    const int y = viewportPoint.y() + verticalScrollBar()->value();
    if (viewportPoint.x() < 0 || y < 0 || viewportPoint.x() >= columns * cell.width()) {
        return -1;
    }
    const int position = (y / cell.height()) * columns + viewportPoint.x() / cell.width();
    return position < static_cast<int>(m_Rows.size()) ? position : -1;
}

void CDataListThumbs::UpdateScrollBar() {
    const int columns = GetColumnCount();
    const int rows = (static_cast<int>(m_Rows.size()) + columns - 1) / columns;
    const int height = viewport()->height();
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, rows * CellSize().height() - height));
    bar->setPageStep(height);
    bar->setSingleStep(CellSize().height() / 4);
}

void CDataListThumbs::EnsureVisible(int nPosition) {
    const QRect cell = CellRect(nPosition);
    QScrollBar* bar = verticalScrollBar();
    if (cell.top() < 0) {
        bar->setValue(bar->value() + cell.top());
    } else if (cell.top() + cell.height() > viewport()->height()) {
        bar->setValue(bar->value() + cell.top() + cell.height() - viewport()->height());
    }
}

void CDataListThumbs::SelectPosition(int nPosition) {
    if (nPosition < 0 || nPosition >= static_cast<int>(m_Rows.size())) {
        return;
    }
    EnsureVisible(nPosition);
    if (nPosition == m_nSelected) {
        return;
    }
    m_nSelected = nPosition;
    viewport()->update();
    OnSelectionChanged(GetSelected());
}

CDataDef* CDataListThumbs::SelectAt(const QPoint& viewportPoint) {
    const int position = CellAt(viewportPoint);
    if (position < 0) {
        return nullptr;
    }
    SelectPosition(position);
    return GetSelected();
}

void CDataListThumbs::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().base());
    if (m_Rows.empty()) {
        return;
    }
    const int columns = GetColumnCount();
    const int cellHeight = CellSize().height();
    const int top = verticalScrollBar()->value();
    const int firstRow = top / cellHeight;
    const int lastRow = (top + viewport()->height() - 1) / cellHeight;
    const int count = static_cast<int>(m_Rows.size());
    for (int position = firstRow * columns; position < std::min(count, (lastRow + 1) * columns);
         ++position) {
        PaintCell(painter, position, CellRect(position));
    }
}

void CDataListThumbs::PaintCell(QPainter& painter, int nPosition, const QRect& cell) {
    CDataDef* entry = m_Rows[static_cast<std::size_t>(nPosition)];
    const bool selected = nPosition == m_nSelected;
    if (selected) {
        painter.fillRect(cell.adjusted(1, 1, -1, -1), palette().highlight());
    }
    const QRect box(cell.x() + kPadding, cell.y() + kPadding, kPictureSize, kPictureSize);
    const QImage& picture = m_Cache.Get(entry, [entry] { return MakeCellPicture(*entry); });
    painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    if (!picture.isNull()) {
        const QRect at(box.x() + (box.width() - picture.width()) / 2,
                       box.y() + (box.height() - picture.height()) / 2, picture.width(),
                       picture.height());
        PaintPictureBackground(painter, at);
        painter.drawImage(at.topLeft(), picture);
    } else {
        // A text too long for the box is cut with an ellipsis on its last line.
        DrawBoxedText(painter, box, CellText(*entry));
    }
    const QRect label(cell.x(), box.bottom() + 1, cell.width(), fontMetrics().height());
    painter.drawText(label, Qt::AlignCenter,
                     fontMetrics().elidedText(CellLabel(*entry), Qt::ElideRight, label.width()));
}

void CDataListThumbs::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBar();
    if (m_nSelected >= 0) {
        EnsureVisible(m_nSelected);
    }
}

void CDataListThumbs::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        SelectAt(event->position().toPoint());
    }
}

void CDataListThumbs::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && SelectAt(event->position().toPoint()) != nullptr) {
        OnCommand(ids::ID_LIST_DBLCLK);
    }
}

void CDataListThumbs::keyPressEvent(QKeyEvent* event) {
    if (OnOpenKey(*event)) {
        return;
    }
    const int count = static_cast<int>(m_Rows.size());
    const int columns = GetColumnCount();
    const int page = columns * VisibleRowCount();
    const int at = m_nSelected;
    int next = 0;
    switch (event->key()) {
        case Qt::Key_Left:
            next = at - 1;
            break;
        case Qt::Key_Right:
            next = at + 1;
            break;
        case Qt::Key_Up:
            next = at - columns;
            break;
        case Qt::Key_Down:
            next = at + columns;
            break;
        case Qt::Key_PageUp:
            next = at - page;
            break;
        case Qt::Key_PageDown:
            next = at + page;
            break;
        case Qt::Key_Home:
            next = 0;
            break;
        case Qt::Key_End:
            next = count - 1;
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    if (count > 0) {
        // Without a selection the keys but End start at the first cell.
        if (at < 0 && event->key() != Qt::Key_End) {
            next = 0;
        }
        SelectPosition(std::clamp(next, 0, count - 1));
    }
}

void CDataListThumbs::contextMenuEvent(QContextMenuEvent* event) {
    ShowContextMenu(viewport()->mapFromGlobal(event->globalPos()), event->globalPos());
}

}  // namespace tessaly
