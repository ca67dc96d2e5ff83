#include "CAppBase.h"

#include "CDocTemplate.h"
#include "CDocument.h"
#include "CMainFrame.h"
#include "CVerDataEdits.h"
#include "ResourceIds.h"

namespace tessaly {

CAppBase* CAppBase::s_pInstance = nullptr;

CAppBase::CAppBase() {
    s_pInstance = this;
    SetDataAppState(&m_DataState);
    m_DataState.m_FindDocument = [this](const CDataDef* entry) { return FindDocument(entry); };
    AddCommand(ids::ID_FILE_NEW, [this] { OnFileNew(); });
    AddCommand(ids::ID_FILE_OPEN, [this] { OnFileOpen(); });
}

CAppBase::~CAppBase() {
    CloseAll();
    SetDataAppState(nullptr);
    if (s_pInstance == this) {
        s_pInstance = nullptr;
    }
}

void CAppBase::AddDocTemplate(std::unique_ptr<CDocTemplate> pTemplate) {
    m_Templates.push_back(std::move(pTemplate));
}

CDocTemplate* CAppBase::GetDocTemplate(std::size_t i) const {
    return i < m_Templates.size() ? m_Templates[i].get() : nullptr;
}

std::vector<CDocument*> CAppBase::GetDocuments() const {
    std::vector<CDocument*> docs;
    for (const auto& tmpl : m_Templates) {
        const std::vector<CDocument*> own = tmpl->GetDocuments();
        docs.insert(docs.end(), own.begin(), own.end());
    }
    return docs;
}

CPatchDocument* CAppBase::FindDocument(const CDataDef* pEntry) const {
    for (CDocument* doc : GetDocuments()) {
        if (auto* patch = dynamic_cast<CPatchDocument*>(doc);
            patch != nullptr && patch->HoldsEntry(pEntry)) {
            return patch;
        }
    }
    return m_pMainFrame ? dynamic_cast<CPatchDocument*>(m_pMainFrame->GetActiveDocument())
                        : nullptr;
}

void CAppBase::SetMainFrame(std::unique_ptr<CMainFrame> pFrame) {
    m_pMainFrame = std::move(pFrame);
    CMainFrame* frame = m_pMainFrame.get();
    m_DataState.m_pMainWindow = frame;
    if (frame != nullptr) {
        frame->SetAppTarget(this);
        frame->SetFailureReport(
            [this](const std::string& text) { m_DataState.Ui().ShowMessage(text); });
        m_DataState.m_SetMessageText = [frame](const QString& text) {
            frame->SetMessageText(text);
        };
    } else {
        m_DataState.m_SetMessageText = nullptr;
    }
}

CDocument* CAppBase::OnFileNew() {
    return OpenDocumentFile(QString());
}

CDocument* CAppBase::OnFileOpen() {
    std::optional<std::string> path = m_DataState.Ui().ChooseDocumentFile(false, std::string());
    if (!path) {
        return nullptr;
    }
    return OpenDocumentFile(QString::fromStdString(*path));
}

CDocument* CAppBase::OpenDocumentFile(const QString& path) {
    CDocTemplate* tmpl = GetDocTemplate(0);
    if (tmpl == nullptr) {
        return nullptr;
    }
    CDocument* doc = tmpl->OpenDocumentFile(path, m_pMainFrame.get());
    if (m_pMainFrame) {
        m_pMainFrame->UpdateCommandUI();
    }
    return doc;
}

void CAppBase::CloseAll() {
    m_DataState.DestroyAllSheets();
    for (auto& tmpl : m_Templates) {
        tmpl->CloseAllDocuments();
    }
    m_pMainFrame.reset();
    m_DataState.m_pMainWindow = nullptr;
    m_DataState.m_SetMessageText = nullptr;
}

}  // namespace tessaly
