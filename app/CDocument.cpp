#include "CDocument.h"

#include "CDocTemplate.h"
#include "CView.h"
#include "ResourceIds.h"

#include "CDataAppState.h"
#include "QFile.h"

#include <QFileInfo>

#include <algorithm>

namespace tessaly {

CDocument::CDocument() {
    AddCommand(ids::ID_FILE_SAVE, [this] { DoFileSave(); });
}

CDocument::~CDocument() {
    for (CView* view : m_Views) {
        view->m_pDocument = nullptr;
    }
}

bool CDocument::OnNewDocument() {
    DeleteContents();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const QString& path) {
    // Opened as the checked file is, so that a FIFO or device is refused instead of waited on.
    CQFile file;
    if (!file.Open(path.toStdString().c_str(), CQFile::modeRead)) {
        DataAppState().Ui().ShowWarning("Cannot open the file " + path.toStdString() + ".");
        return false;
    }
    DeleteContents();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const QString& /*path*/) {
    SetModifiedFlag(false);
    return true;
}

bool CDocument::SaveModified() {
    if (!IsModified()) {
        return true;
    }
    CShellUi::Answer answer = DataAppState().Ui().AskYesNoCancel(
        "Save changes to " + m_sTitle.toStdString() + "?", std::string());
    if (answer == CShellUi::Answer::Cancel) {
        return false;
    }
    if (answer == CShellUi::Answer::Yes) {
        return DoFileSave();
    }
    return true;
}

bool CDocument::DoFileSave() {
    QString path = m_sPathName;
    if (path.isEmpty()) {
        std::optional<std::string> chosen =
            DataAppState().Ui().ChooseDocumentFile(true, m_sTitle.toStdString());
        if (!chosen) {
            return false;
        }
        path = QString::fromStdString(*chosen);
    }
    return DoSave(path);
}

bool CDocument::DoSave(const QString& path) {
    // A save that reads the document again asks about the sheets that would go first.
    if (!AskSaveSheets()) {
        return false;
    }
    m_sSaveFailure.clear();
    if (!OnSaveDocument(path)) {
        // The save leaves the target as it was; the user is told, the document stays modified.
        DataAppState().Ui().ShowMessage(
            "Unable to save the file '" + path.toStdString() + "'" +
            (m_sSaveFailure.empty() ? std::string(".") : ": " + m_sSaveFailure + "."));
        return false;
    }
    SetPathName(path);
    return true;
}

void CDocument::SetPathName(const QString& path) {
    m_sPathName = path;
    SetTitle(QFileInfo(path).fileName());
}

void CDocument::SetTitle(const QString& title) {
    m_sTitle = title;
}

void CDocument::AddView(CView* view) {
    m_Views.push_back(view);
    view->m_pDocument = this;
}

void CDocument::RemoveView(CView* view) {
    m_Views.erase(std::remove(m_Views.begin(), m_Views.end(), view), m_Views.end());
    view->m_pDocument = nullptr;
}

void CDocument::UpdateAllViews(CView* pSender, int nHint) {
    for (CView* view : std::vector<CView*>(m_Views)) {
        if (view != pSender) {
            view->OnUpdate(pSender, nHint);
        }
    }
}

}  // namespace tessaly
