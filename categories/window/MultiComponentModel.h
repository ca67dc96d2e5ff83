#pragma once
// The component list of the multi page as a list model: the components in list order, each
// shown as its component line (also its tooltip, for a line wider than the list).

#include "MultiType.h"

#include <QAbstractListModel>
#include <QString>
#include <QStyledItemDelegate>

#include <vector>

namespace tessaly {

// Draws a component line's tab-separated fields in columns (each at least as wide as its
// widest usual value); the field that reaches the list's edge ends in an ellipsis and the
// fields after it are left out.
class CMultiComponentDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

class CMultiComponentModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

    // Replaces the components; lines show the fourth word when records are nRecordSize wide.
    // Names are read through files.
    void SetComponents(const std::vector<MultiComponent>& components, std::size_t nRecordSize,
                       CClientFiles& files = TheClientFiles());
    void Append(const std::vector<MultiComponent>& components);
    void SetComponent(int row, const MultiComponent& component);
    // Moves the component at row to the top of the list.
    void MoveToTop(int row);

    const std::vector<MultiComponent>& GetComponents() const { return m_Components; }
    const MultiComponent& GetComponent(int row) const;

private:
    QString Line(const MultiComponent& component) const;

    std::vector<MultiComponent> m_Components;
    std::vector<QString> m_Lines;  // the text of each component, made once per change
    std::size_t m_nRecordSize = MultiComponent::kSize;
    CClientFiles* m_pFiles = &TheClientFiles();  // not owned
};

}  // namespace tessaly
