#include "CDataList.h"

#include "CDataAppState.h"
#include "CDataDef.h"
#include "CDataListFilter.h"
#include "CDataProps.h"
#include "CDataVerData.h"
#include "DataTypeDef.h"
#include "EventLog.h"
#include "ResourceIds.h"
#include "Text.h"

#include <QKeyEvent>
#include <QMenu>
#include <QWidget>

#include <algorithm>

namespace tessaly {

CDataList::CDataList(std::int32_t nCategory)
    : m_nCategory(nCategory),
      m_pFilter(std::make_unique<CDataListFilter>(
          [this](std::vector<CDataDef*> rows) { ShowRows(std::move(rows)); })) {}

CDataList::~CDataList() = default;

bool CDataList::Create(CDataListHost* pView, QWidget* pParent) {
    m_pView = pView;
    QWidget* window = GetWindow();
    window->setParent(pParent);
    window->setObjectName(QStringLiteral("150"));
    if (pParent != nullptr) {
        window->setGeometry(pParent->rect());
    }
    window->show();
    return true;
}

std::vector<CDataDef*> CDataList::CollectRows() {
    std::vector<CDataDef*> rows;
    CQObArray<CDataVerData*>* document =
        m_pView != nullptr ? m_pView->GetDocumentEntries() : nullptr;
    if (GetTypeDef() != nullptr && GetTypeDef()->m_bDocumentRows) {
        if (document != nullptr) {
            rows.reserve(static_cast<std::size_t>(document->GetCount()));
            for (CDataVerData* record : *document) {
                rows.push_back(record);
            }
        }
    } else {
        BuildEntries(document);
        const bool unused = m_pView != nullptr && m_pView->m_bShowUnused;
        rows.reserve(static_cast<std::size_t>(m_Entries.GetCount()));
        for (CDataDef* entry : m_Entries) {
            if (entry != nullptr && (unused || entry->IsValid())) {
                rows.push_back(entry);
            }
        }
    }
    // Rows stand in index order (records with equal keys keep document order).
    std::stable_sort(rows.begin(), rows.end(),
                     [](CDataDef* a, CDataDef* b) { return a->GetIndex() < b->GetIndex(); });
    return rows;
}

const DataTypeDef* CDataList::GetTypeDef() const {
    return tessaly::GetTypeDef(m_nCategory);
}

void CDataList::BuildEntries(CQObArray<CDataVerData*>* pDocument) {
    const DataTypeDef* def = GetTypeDef();
    if (def == nullptr || !m_Entries.IsEmpty()) {
        return;
    }
    if (m_pView != nullptr) {
        m_pView->ActivateDocument();
    }
    const std::int32_t max = static_cast<std::int32_t>(GetEntryCount(*def, TheClientFiles()));
    m_Entries.SetSize(max);
    auto makeEntry = [&](std::int32_t n) {
        CDataDef* entry = CreateDataDef(m_nCategory, static_cast<std::uint32_t>(n));
        try {
            entry->ReadIndex();
        } catch (...) {
            LogCaughtException("reading an index record");
            // An unreadable index leaves the entry without data.
        }
        m_Entries[n] = entry;
    };
    const bool mulFiles = m_pView == nullptr || m_pView->m_bShowMulFiles;
    const bool verData = m_pView == nullptr || m_pView->m_bShowVerData;
    const bool changes = m_pView == nullptr || m_pView->m_bShowChanges;
    if (mulFiles) {
        for (std::int32_t n = 0; n < max; ++n) {
            if (m_Entries[n] == nullptr) {
                makeEntry(n);
            }
        }
    }
    if ((!verData && !changes) || pDocument == nullptr) {
        return;
    }
    for (CDataVerData* record : *pDocument) {
        std::uint32_t target = 0;
        if (const CUOVersionBlock* r = record->GetRecord()) {
            if (!verData || r->m_dwFileId != static_cast<std::uint32_t>(def->m_nDataFile)) {
                continue;
            }
            if (FindRecordEntry(r->m_dwFileId, r->m_dwBlock, &target) != def) {
                continue;
            }
        } else {
            CDataDef* changed = record->GetTarget();
            if (!changes || changed == nullptr || changed->GetDataType() != m_nCategory) {
                continue;
            }
            target = changed->GetIndex();
        }
        // A record beyond the category's limit has no slot; a slot without an entry (with
        // "Mul Files" off) gets one made for the record.
        if (target >= static_cast<std::uint32_t>(max)) {
            continue;
        }
        std::int32_t n = static_cast<std::int32_t>(target);
        if (m_Entries[n] == nullptr) {
            makeEntry(n);
        }
        m_Entries[n]->LinkVerData(record);
    }
}

const std::vector<CDataDef*>& CDataList::GetShownRows() const {
    static const std::vector<CDataDef*> kNone;
    return kNone;
}

void CDataList::FillRows() {
    m_pFilter->SetRows(CollectRows());
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
            sheet->ShowEntry(pEntry);
        }
        state.SetMessageText(QString::fromStdString(
            Format("Select %s 0%x=%d", pEntry->GetTypeName(), pEntry->GetIndex(),
                   static_cast<int>(pEntry->GetIndex()))));
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
        return entry->OnMenuCommand(GetWindow(), nId);
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
    if (entry != nullptr) {
        entry->AddMenuItems(menu.get());
    } else {
        QAction* paste = menu->addAction(QStringLiteral("Paste New"));
        paste->setData(ids::ID_EDIT_PASTE);
        paste->setEnabled(false);
    }
    // The entry saved as files; without an entry, or with nothing to export, disabled.
    QAction* exportItem = menu->addAction(QStringLiteral("Export..."));
    exportItem->setData(ids::ID_EXPORT);
    exportItem->setEnabled(entry != nullptr && entry->CanExport());
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
