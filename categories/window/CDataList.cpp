#include "CDataList.h"

#include "CDataAppState.h"
#include "CDataDef.h"
#include "CDataListFilter.h"
#include "CDataProps.h"
#include "CDataVerData.h"
#include "ControlIds.h"
#include "DataTypeDef.h"
#include "EntryCommands.h"
#include "EventLog.h"
#include "ResourceIds.h"
#include "Text.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <strings.h>
#include <algorithm>

namespace tessaly {

QString ListFieldText(CDataDef& entry, const char* text) {
    const DataTypeDef* row = entry.GetRow();
    return row != nullptr && row->m_nDataFile == kNoFile ? QString::fromUtf8(text)
                                                         : QString::fromLatin1(text);
}

void SortEntries(std::vector<CDataDef*>& rows, int column, bool ascending, const DataTypeDef& def) {
    // Each row's key is worked out once (a column's text is made and parsed once per row, not
    // once per comparison), which keeps sorting hundreds of thousands of rows quick.
    struct Keyed {
        std::uint32_t nKey;   // numeric columns, the index and the change mark
        const char* pszText;  // text columns
        CDataDef* pEntry;
    };
    const bool text =
        column >= 2 && (column - 2 >= def.ColumnCount() || !def.m_pColumns[column - 2].m_bNumeric);
    std::vector<Keyed> keyed;
    keyed.reserve(rows.size());
    for (CDataDef* entry : rows) {
        Keyed k{0, "", entry};
        if (column == 0) {
            k.nKey = entry->GetIndex();
        } else if (column == 1) {
            k.nKey = static_cast<std::uint32_t>(entry->GetChangeState());
        } else if (const char* t = entry->GetColumnText(column - 2)) {
            if (text) {
                k.pszText = t;
            } else {
                k.nKey = ReadHex(t);
            }
        }
        keyed.push_back(k);
    }
    // Ascending comparison of two rows: <0, 0 or >0.
    auto compare = [text](const Keyed& a, const Keyed& b) -> int {
        if (text) {
            return strcasecmp(a.pszText, b.pszText);
        }
        return a.nKey < b.nKey ? -1 : a.nKey > b.nKey ? 1 : 0;
    };
    std::stable_sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        const int c = compare(a, b);
        return ascending ? c < 0 : c > 0;
    });
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        rows[i] = keyed[i].pEntry;
    }
}

CDataList::CDataList(std::int32_t nCategory)
    : CDataEntries(nCategory),
      m_pFilter(std::make_unique<CDataListFilter>(
          [this](std::vector<CDataDef*> rows) { ShowRows(std::move(rows)); })) {}

CDataList::~CDataList() = default;

bool CDataList::Create(CDataListHost* pView, QWidget* pParent) {
    m_pView = pView;
    m_pSource = pView;
    QWidget* window = GetWindow();
    window->setParent(pParent);
    ids::SetControlId(window, ids::ID_LIST_WINDOW);
    if (pParent != nullptr) {
        window->setGeometry(pParent->rect());
    }
    window->show();
    return true;
}

const std::vector<CDataDef*>& CDataList::GetShownRows() const {
    static const std::vector<CDataDef*> kNone;
    return kNone;
}

void CDataList::FillRows() {
    m_pFilter->SetRows(CollectRows());
}

void CDataList::SetSortOrder(int nColumn, bool bAscending) {
    m_nSortedColumn = nColumn;
    m_bAscending = bAscending;
}

void CDataList::SetFilterText(const QString& text) {
    m_pFilter->SetText(text);
}

bool CDataList::SelectIndex(std::uint32_t nIndex) {
    const std::vector<CDataDef*>& rows = GetShownRows();
    auto it = std::find_if(rows.begin(), rows.end(),
                           [nIndex](CDataDef* entry) { return entry->GetIndex() == nIndex; });
    if (it == rows.end()) {
        return false;
    }
    SelectPosition(static_cast<int>(it - rows.begin()));
    return true;
}

void CDataList::OnSelectionChanged(CDataDef* pEntry) {
    if (pEntry != nullptr) {
        CDataAppState& state = DataAppState();
        if (CDataProps* sheet = state.m_pCurrentSheet;
            sheet != nullptr && sheet->IsWindowCreated()) {
            if (sheet->IsSheetModified()) {
                // Applying the sheet's edit makes the lists again, deleting this list and its
                // entries while this call runs: the sheet asks once the call has returned, then
                // shows what this list selects (a list made again selects the entry itself).
                QTimer::singleShot(0, sheet,
                                   [this, sheet, window = QPointer<QWidget>(GetWindow())] {
                                       if (!sheet->AskSave() || window == nullptr) {
                                           return;
                                       }
                                       if (CDataDef* selected = GetSelected()) {
                                           sheet->ShowEntry(selected);
                                       }
                                   });
            } else {
                sheet->ShowEntry(pEntry);
            }
        }
        state.SetMessageText(QString::fromStdString(
            Format("Select %s 0%x=%d", pEntry->GetTypeName(), pEntry->GetIndex(),
                   static_cast<int>(pEntry->GetIndex()))));
    } else {
        // Nothing selected (the filter hid the entry): the pane names no entry.
        DataAppState().SetMessageText(QString());
    }
    if (m_pView != nullptr) {
        m_pView->SelectionChanged();
    }
}

bool CDataList::OnCommand(int nId) {
    CDataDef* entry = GetSelected();
    if (entry == nullptr) {
        return false;
    }
    try {
        if (m_pView != nullptr && m_pView->OnEntryCommand(entry, nId)) {
            return true;
        }
        return RunEntryCommand(*entry, GetWindow(), nId);
    } catch (...) {
        LogCaughtException("a list command");
        return false;
    }
}

bool CDataList::OnOpenKey(const QKeyEvent& event) {
    if ((event.key() != Qt::Key_Return && event.key() != Qt::Key_Enter) ||
        (event.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return false;
    }
    OnCommand(ids::ID_LIST_DBLCLK);
    return true;
}

std::unique_ptr<QMenu> CDataList::CreateContextMenu(const QPoint& viewportPoint) {
    CDataDef* entry = SelectAt(viewportPoint);
    // The caller owns the menu; it has no parent that could delete it first.
    auto menu = std::make_unique<QMenu>();
    menu->setToolTipsVisible(true);  // disabled items say why
    if (entry != nullptr) {
        AddEntryMenuItems(*entry, menu.get());
    } else {
        QAction* paste = menu->addAction(QStringLiteral("Paste New"));
        paste->setData(ids::ID_EDIT_PASTE);
        paste->setEnabled(false);
    }
    // The entry saved as files; without an entry, or with nothing to export, disabled.
    QAction* exportItem = menu->addAction(QStringLiteral("Export..."));
    exportItem->setData(ids::ID_EXPORT);
    exportItem->setEnabled(entry != nullptr && entry->CanExport());
    if (!exportItem->isEnabled()) {
        exportItem->setToolTip(entry == nullptr
                                   ? QStringLiteral("No entry is under the pointer")
                                   : QStringLiteral("The entry has nothing to export"));
    }
    if (!GetTypeDef()->m_bDocumentRows) {
        QAction* insert = menu->addAction(
            QString::fromStdString(Format("Insert New %s", GetTypeDef()->m_pszName)));
        insert->setData(ids::ID_INSERT_NEW);
        insert->setEnabled(false);
    }
    if (m_pView != nullptr) {
        m_pView->UpdateEntryMenu(entry, menu.get());
    }
    QObject::connect(menu.get(), &QMenu::triggered, GetWindow(),
                     [this](QAction* action) { OnCommand(action->data().toInt()); });
    return menu;
}

void CDataList::ShowContextMenu(const QPoint& viewportPoint, const QPoint& globalPoint) {
    std::unique_ptr<QMenu> menu = CreateContextMenu(viewportPoint);
    menu->exec(globalPoint);
}

}  // namespace tessaly
