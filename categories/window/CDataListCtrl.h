#pragma once
// The text list of a category: a report-style table over a model that asks each entry for its
// column text only when a row is drawn. Two fixed columns ("Index", "C") come before the
// category's own columns; clicking a header sorts by that column, clicking it again reverses.
// Enter opens the selected entry as a double click does.

#include "CDataList.h"

#include <QAbstractTableModel>
#include <QTableView>

#include <vector>

namespace tessaly {

struct DataTypeDef;

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
    // Sorts the rows by a column (ascending or not, SortEntries), keeping the persistent
    // indexes.
    void Sort(int column, bool ascending, const DataTypeDef& def);
    CDataDef* GetEntry(int row) const;
    int RowOf(const CDataDef* entry) const;
    const std::vector<CDataDef*>& GetRows() const { return m_Rows; }

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
    const std::vector<CDataDef*>& GetShownRows() const override { return m_pModel->GetRows(); }
    void SelectPosition(int nPosition) override;

    // Sorts by a header column as a click on it does: ascending, or reversed when it is the
    // sorted column.
    void OnColumnClick(int nColumn);
    // Sorts by a column and marks its header.
    void SetSortOrder(int nColumn, bool bAscending) override;
    CDataListModel* GetModel() const { return m_pModel; }

protected:
    CDataDef* SelectAt(const QPoint& viewportPoint) override;
    void ShowRows(std::vector<CDataDef*> rows) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void InsertColumns();
    // Sorts the rows by the sorted column in its direction.
    void SortRows();
    QString ColumnTitle(int column) const;

    CDataListModel* m_pModel;
    bool m_bKeepingSelection = false;        // selecting again the row a new fill still shows
    CDataDef* m_pRefillSelection = nullptr;  // the entry selected when the fill began
};

}  // namespace tessaly
