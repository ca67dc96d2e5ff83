#include "CDataListCtrl.h"

#include "CDataDef.h"
#include "CDataVerData.h"
#include "DataTypeDef.h"
#include "ResourceIds.h"
#include "Text.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>

#include <algorithm>
#include <utility>

namespace tessaly {

// ---------------------------------------------------------------------------------------------
// CDataListModel

int CDataListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_Rows.size());
}

int CDataListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_Headers.size());
}

QVariant CDataListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(m_Rows.size())) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    CDataDef* entry = m_Rows[static_cast<std::size_t>(index.row())];
    if (index.column() == 0) {
        return QString::fromStdString(Format("%04x", entry->GetIndex()));
    }
    const char* text = entry->GetColumnText(index.column() - 2);
    if (text == nullptr) {
        return QString();
    }
    return ListFieldText(*entry, text);
}

QVariant CDataListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= static_cast<int>(m_Headers.size())) {
        return {};
    }
    return m_Headers[static_cast<std::size_t>(section)];
}

void CDataListModel::SetColumns(std::vector<QString> titles) {
    beginResetModel();
    m_Headers = std::move(titles);
    endResetModel();
}

void CDataListModel::SetHeaderText(int column, const QString& text) {
    m_Headers.at(static_cast<std::size_t>(column)) = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void CDataListModel::SetRows(std::vector<CDataDef*> rows) {
    beginResetModel();
    m_Rows = std::move(rows);
    endResetModel();
}

CDataDef* CDataListModel::GetEntry(int row) const {
    return row >= 0 && row < static_cast<int>(m_Rows.size()) ? m_Rows[static_cast<std::size_t>(row)]
                                                             : nullptr;
}

int CDataListModel::RowOf(const CDataDef* entry) const {
    auto it = std::find(m_Rows.begin(), m_Rows.end(), entry);
    return it == m_Rows.end() ? -1 : static_cast<int>(it - m_Rows.begin());
}

void CDataListModel::Sort(int column, bool ascending, const DataTypeDef& def) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QModelIndexList before = persistentIndexList();
    std::vector<CDataDef*> keep;
    keep.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& i : before) {
        keep.push_back(GetEntry(i.row()));
    }
    SortEntries(m_Rows, column, ascending, def);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        int row = RowOf(keep[static_cast<std::size_t>(i)]);
        after.push_back(row < 0 ? QModelIndex() : index(row, before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// ---------------------------------------------------------------------------------------------
// CDataListCtrl

CDataListCtrl::CDataListCtrl(std::int32_t nCategory) : CDataList(nCategory) {
    m_pModel = new CDataListModel(this);
    // Fixed row heights: the view then never measures rows, whatever their number.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setWordWrap(false);
    setModel(m_pModel);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int c) { OnColumnClick(c); });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_bKeepingSelection) {
            OnSelectionChanged(GetSelected());
        }
    });
}

// The rows point at the entries, which the base class deletes next.
CDataListCtrl::~CDataListCtrl() {
    m_pModel->SetRows({});
}

QString CDataListCtrl::ColumnTitle(int column) const {
    if (column == 0) {
        return QStringLiteral("Index");
    }
    if (column == 1) {
        return QStringLiteral("C");
    }
    return QString::fromLatin1(GetTypeDef()->m_pColumns[column - 2].m_pszTitle);
}

void CDataListCtrl::InsertColumns() {
    const DataTypeDef* def = GetTypeDef();
    int count = def->ColumnCount();
    std::vector<QString> titles;
    for (int c = 0; c < count + 2; ++c) {
        titles.push_back(ColumnTitle(c));
    }
    m_pModel->SetColumns(std::move(titles));
    // Widths are counted in dialog base width units. The unit the widths were chosen for is the
    // average width of the system font, about half as wide again as a list's own font; scaling
    // the list font's average the same way keeps texts such as "10004e3c" and "statics0.mul"
    // whole.
    int unit = std::max(1, fontMetrics().averageCharWidth() * 3 / 2);
    horizontalHeader()->resizeSection(0, 8 * unit);
    horizontalHeader()->resizeSection(1, 1 * unit);
    for (int k = 0; k < count; ++k) {
        horizontalHeader()->resizeSection(k + 2, def->m_pColumns[k].m_nWidth * unit);
    }
    if (def->m_bDocumentRows) {
        // The "File" column shows whole file names, "animdata.mul" the widest of them.
        int widest = 0;
        for (std::uint32_t id = 0; id < kFileSlotCount; ++id) {
            widest = std::max(
                widest, fontMetrics().horizontalAdvance(QString::fromStdString(FileIdName(id))));
        }
        const int margins = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this) +
                            2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) +
                            unit;
        horizontalHeader()->resizeSection(
            2, std::max(horizontalHeader()->sectionSize(2), widest + margins));
    }
}

void CDataListCtrl::FillList() {
    const DataTypeDef* def = GetTypeDef();
    if (def == nullptr) {
        return;
    }
    // The fill shows the entry selected now selected again, when it still shows it.
    m_pRefillSelection = GetSelected();
    m_pModel->SetRows({});
    setShowGrid(true);
    horizontalHeader()->setSectionsMovable(true);
    if (m_pModel->columnCount() == 0) {
        InsertColumns();
    }
    FillRows();
}

void CDataListCtrl::ShowRows(std::vector<CDataDef*> rows) {
    // The selected entry stays selected while the rows shown still hold it (nothing else hears
    // of it: the selection did not change); otherwise the selection ends and says so.
    CDataDef* selected = GetSelected();
    if (selected == nullptr) {
        selected = std::exchange(m_pRefillSelection, nullptr);
    }
    setUpdatesEnabled(false);
    m_pModel->SetRows(std::move(rows));
    if (m_nSortedColumn >= 0) {
        SortRows();
    }
    setUpdatesEnabled(true);
    if (selected == nullptr) {
        return;
    }
    if (const int row = m_pModel->RowOf(selected); row >= 0) {
        m_bKeepingSelection = true;
        SelectPosition(row);
        m_bKeepingSelection = false;
    } else {
        OnSelectionChanged(nullptr);
    }
}

CDataDef* CDataListCtrl::GetSelected() {
    QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? nullptr : m_pModel->GetEntry(rows.first().row());
}

void CDataListCtrl::SelectPosition(int nPosition) {
    if (nPosition < 0 || nPosition >= m_pModel->rowCount()) {
        return;
    }
    const QModelIndex at = m_pModel->index(nPosition, 0);
    selectionModel()->setCurrentIndex(
        at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(at);
}

void CDataListCtrl::OnColumnClick(int nColumn) {
    if (GetTypeDef() == nullptr || nColumn < 0 || nColumn >= m_pModel->columnCount()) {
        return;
    }
    SetSortOrder(nColumn, nColumn != m_nSortedColumn || !m_bAscending);
}

void CDataListCtrl::SetSortOrder(int nColumn, bool bAscending) {
    if (GetTypeDef() == nullptr || nColumn >= m_pModel->columnCount()) {
        return;
    }
    if (nColumn != m_nSortedColumn) {
        if (m_nSortedColumn >= 0) {
            m_pModel->SetHeaderText(m_nSortedColumn, ColumnTitle(m_nSortedColumn));
        }
        if (nColumn >= 0) {
            m_pModel->SetHeaderText(nColumn, ColumnTitle(nColumn) + QStringLiteral(" V"));
        }
    }
    CDataList::SetSortOrder(nColumn, bAscending);
    if (nColumn >= 0) {
        SortRows();
    }
}

void CDataListCtrl::SortRows() {
    m_pModel->Sort(m_nSortedColumn, m_bAscending, *GetTypeDef());
}

CDataDef* CDataListCtrl::SelectAt(const QPoint& viewportPoint) {
    QModelIndex at = indexAt(viewportPoint);
    if (!at.isValid()) {
        return nullptr;
    }
    SelectPosition(at.row());
    return m_pModel->GetEntry(at.row());
}

void CDataListCtrl::contextMenuEvent(QContextMenuEvent* event) {
    ShowContextMenu(viewport()->mapFromGlobal(event->globalPos()), event->globalPos());
}

void CDataListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    OnCommand(ids::ID_LIST_DBLCLK);
    QTableView::mouseDoubleClickEvent(event);
}

void CDataListCtrl::keyPressEvent(QKeyEvent* event) {
    if (!OnOpenKey(*event)) {
        QTableView::keyPressEvent(event);
    }
}

}  // namespace tessaly
