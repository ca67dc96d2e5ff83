#include "CDataAppState.h"

#include "CDataProps.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>

namespace tessaly {

namespace {
CDataAppState* g_pInstalled = nullptr;
// The default instance is the entries' model state from the start.
[[maybe_unused]] const bool g_bDefaultInstalled = (SetDataModelState(&DataAppState()), true);
}  // namespace

void CDataAppState::OnEntryDestroyed(CDataDef* pEntry) {
    for (CDataProps* sheet : std::vector<CDataProps*>(m_Sheets)) {
        if (sheet->GetEntry() == pEntry) {
            CloseSheet(sheet);
        }
    }
}

void CDataAppState::AddSheet(CDataProps* sheet) {
    m_Sheets.push_back(sheet);
}

void CDataAppState::CloseSheet(CDataProps* sheet) {
    if (std::find(m_Sheets.begin(), m_Sheets.end(), sheet) == m_Sheets.end()) {
        return;
    }
    RemoveSheet(sheet);
    sheet->ReleaseEntry();
    sheet->hide();
    sheet->deleteLater();
}

void CDataAppState::DestroyAllSheets() {
    while (!m_Sheets.empty()) {
        CDataProps* sheet = m_Sheets.back();
        RemoveSheet(sheet);
        delete sheet;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void CDataAppState::RemoveSheet(CDataProps* sheet) {
    m_Sheets.erase(std::remove(m_Sheets.begin(), m_Sheets.end(), sheet), m_Sheets.end());
    if (m_pCurrentSheet == sheet) {
        m_pCurrentSheet = nullptr;
    }
}

bool CDataAppState::AskSaveSheets(const std::function<bool(const CDataDef*)>& goesAway) {
    for (CDataProps* sheet : std::vector<CDataProps*>(m_Sheets)) {
        // Answering may apply a sheet's pages, which may close sheets: ask only those still open.
        if (std::find(m_Sheets.begin(), m_Sheets.end(), sheet) == m_Sheets.end() ||
            !sheet->IsSheetModified() || !goesAway(sheet->GetEntry())) {
            continue;
        }
        sheet->raise();  // the sheet asked about stands in front
        if (!sheet->AskSave()) {
            return false;
        }
    }
    return true;
}

CShellUi& CDataAppState::Ui() {
    if (m_pUi != nullptr) {
        return *m_pUi;
    }
    m_Dialogs.SetOwner(m_pMainWindow);
    return m_Dialogs;
}

void CDataAppState::SetMessageText(const QString& text) const {
    if (m_SetMessageText) {
        m_SetMessageText(text);
    }
}

CDataAppState& DataAppState() {
    static CDataAppState defaultState;
    return g_pInstalled != nullptr ? *g_pInstalled : defaultState;
}

void SetDataAppState(CDataAppState* state) {
    g_pInstalled = state;
    SetDataModelState(&DataAppState());
}

}  // namespace tessaly
