#pragma once
// The text list of a category: a report-style table over a model that asks each entry for its
// column text only when a row is drawn. Two fixed columns ("Index", "C") come before the
// category's own columns; clicking a header sorts by that column, clicking it again reverses.

#include "CDataList.h"

#include <QAbstractTableModel>
#include <QTableView>

#include <memory>
#include <vector>

class QMenu;

namespace tessaly {

// Rows of entries; column 0 is the index ("%04x"), column 1 the change mark, column k + 2
// field k of the entry's list text.
class CDataListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit CDataListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void SetColumns(std::vector<QString> titles);
    void SetHeaderText(int column, const QString& text);
    // Replaces all rows.
    void SetRows(std::vector<CDataDef*> rows);
    // Sorts the rows by a column (ascending or not), keeping the persistent indexes.
    void Sort(int column, bool ascending, const std::vector<bool>& numeric);
    CDataDef* GetEntry(int row) const;
    int RowOf(const CDataDef* entry) const;

private:
    std::vector<QString> m_Headers;
    std::vector<CDataDef*> m_Rows;  // not owned
};

class CDataListCtrl : public QTableView, public CDataList {
    Q_OBJECT

public:
    explicit CDataListCtrl(std::int32_t nCategory);
    ~CDataListCtrl() override;

    CDataDef* GetSelected() override;
    void FillList() override;
    QWidget* GetWindow() override { return this; }

    // Carries out a command on the selected entry; false when there is none or it declines.
    bool OnCommand(int nId);
    // Sorts by a header column as a click on it does.
    void OnColumnClick(int nColumn);
    // Selects the row under a viewport point and builds the context menu for it, as a right
    // click does; its actions carry their command ids and run them when triggered.
    std::unique_ptr<QMenu> CreateContextMenu(const QPoint& viewportPoint);
    CDataListModel* GetModel() const { return m_pModel; }
    int GetSortedColumn() const { return m_nSortedColumn; }
    bool IsAscending() const { return m_bAscending; }
    void SelectRow(int row);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void InsertColumns();
    void OnSelectionChanged();
    QString ColumnTitle(int column) const;

    CDataListModel* m_pModel;
    int m_nSortedColumn = -1;
    bool m_bAscending = true;
};

}  // namespace tessaly
