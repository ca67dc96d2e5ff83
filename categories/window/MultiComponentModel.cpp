#include "MultiComponentModel.h"

#include "CDataDefMulti.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

#include <algorithm>
#include <iterator>

namespace tessaly {

void CMultiComponentDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QStringList fields = item.text.split(QLatin1Char('\t'));
    item.text.clear();
    const QWidget* widget = item.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
    // The widest usual value of each field: item, position, flags, fourth word.
    static const char* const kWidest[] = {"00000", "(-00,-00,-00)", "0", "0"};
    const QFontMetrics& metrics = item.fontMetrics;
    const int gap = metrics.horizontalAdvance(QStringLiteral("  "));
    painter->save();
    painter->setPen(item.palette.color(
        item.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    int x = area.left();
    for (qsizetype i = 0; i < fields.size() && x < area.right(); ++i) {
        const QString field = fields[i].trimmed();
        const QRect room(x, area.top(), area.right() - x + 1, area.height());
        painter->drawText(room, Qt::AlignLeft | Qt::AlignVCenter,
                          metrics.elidedText(field, Qt::ElideRight, room.width()));
        int width = metrics.horizontalAdvance(field);
        if (i < static_cast<qsizetype>(std::size(kWidest))) {
            width = std::max(width, metrics.horizontalAdvance(QLatin1String(kWidest[i])));
        }
        x += width + gap;
    }
    painter->restore();
}

int CMultiComponentModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_Components.size());
}

QVariant CMultiComponentModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return {};
    }
    return m_Lines[static_cast<std::size_t>(index.row())];
}

bool CMultiComponentModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count <= 0 || row + count > rowCount()) {
        return false;
    }
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    m_Components.erase(std::next(m_Components.begin(), row),
                       std::next(m_Components.begin(), row + count));
    m_Lines.erase(std::next(m_Lines.begin(), row), std::next(m_Lines.begin(), row + count));
    endRemoveRows();
    return true;
}

QString CMultiComponentModel::Line(const MultiComponent& component) const {
    return QString::fromLatin1(MultiComponentLine(component, m_nRecordSize, *m_pFiles));
}

void CMultiComponentModel::SetComponents(const std::vector<MultiComponent>& components,
                                         std::size_t nRecordSize, CClientFiles& files) {
    beginResetModel();
    m_nRecordSize = nRecordSize;
    m_pFiles = &files;
    m_Components = components;
    m_Lines.clear();
    m_Lines.reserve(components.size());
    for (const MultiComponent& c : components) {
        m_Lines.push_back(Line(c));
    }
    endResetModel();
}

void CMultiComponentModel::Append(const std::vector<MultiComponent>& components) {
    if (components.empty()) {
        return;
    }
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(components.size()) - 1);
    for (const MultiComponent& c : components) {
        m_Components.push_back(c);
        m_Lines.push_back(Line(c));
    }
    endInsertRows();
}

void CMultiComponentModel::SetComponent(int row, const MultiComponent& component) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    m_Components[static_cast<std::size_t>(row)] = component;
    m_Lines[static_cast<std::size_t>(row)] = Line(component);
    emit dataChanged(index(row), index(row), {Qt::DisplayRole});
}

void CMultiComponentModel::MoveToTop(int row) {
    if (row <= 0 || row >= rowCount() ||
        !beginMoveRows(QModelIndex(), row, row, QModelIndex(), 0)) {
        return;
    }
    std::rotate(m_Components.begin(), std::next(m_Components.begin(), row),
                std::next(m_Components.begin(), row + 1));
    std::rotate(m_Lines.begin(), std::next(m_Lines.begin(), row),
                std::next(m_Lines.begin(), row + 1));
    endMoveRows();
}

const MultiComponent& CMultiComponentModel::GetComponent(int row) const {
    return m_Components.at(static_cast<std::size_t>(row));
}

}  // namespace tessaly
