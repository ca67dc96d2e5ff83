#include "CDocTemplate.h"

#include "CChildFrame.h"
#include "CDocument.h"
#include "CMainFrame.h"
#include "CView.h"
#include "EventLog.h"

#include <QFileInfo>
#include <QMdiArea>

#include <algorithm>

namespace tessaly {

CDocTemplate::CDocTemplate(int nIdResource, QString sNewName, DocumentFactory makeDocument,
                           ViewFactory makeView)
    : m_nIdResource(nIdResource),
      m_sNewName(std::move(sNewName)),
      m_MakeDocument(std::move(makeDocument)),
      m_MakeView(std::move(makeView)) {}

CDocTemplate::~CDocTemplate() = default;

std::vector<CDocument*> CDocTemplate::GetDocuments() const {
    std::vector<CDocument*> docs;
    for (const std::unique_ptr<CDocument>& doc : m_Documents) {
        docs.push_back(doc.get());
    }
    return docs;
}

void CDocTemplate::CloseDocument(CDocument* pDoc) {
    auto it =
        std::find_if(m_Documents.begin(), m_Documents.end(),
                     [pDoc](const std::unique_ptr<CDocument>& doc) { return doc.get() == pDoc; });
    if (it == m_Documents.end()) {
        return;
    }
    // Off the list first: the document's own close may look at the open documents.
    std::unique_ptr<CDocument> closing = std::move(*it);
    m_Documents.erase(it);
    closing->OnCloseDocument();
}

CDocument* CDocTemplate::FindDocument(const QString& path) const {
    // One file by two names (a link, "..") is one file.
    const auto identity = [](const QString& name) {
        const QFileInfo info(name);
        const QString canonical = info.canonicalFilePath();
        return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
    };
    const QString wanted = identity(path);
    for (const std::unique_ptr<CDocument>& doc : m_Documents) {
        if (!doc->GetPathName().isEmpty() && identity(doc->GetPathName()) == wanted) {
            return doc.get();
        }
    }
    return nullptr;
}

CDocument* CDocTemplate::OpenDocumentFile(const QString& path, CMainFrame* pFrame) {
    if (CDocument* open = path.isEmpty() ? nullptr : FindDocument(path)) {
        if (!open->GetViews().empty()) {
            if (CChildFrame* frame = open->GetViews().front()->GetParentFrame()) {
                frame->mdiArea()->setActiveSubWindow(frame);
            }
        }
        return open;
    }
    CDocument* doc = m_MakeDocument();
    doc->m_pTemplate = this;
    m_Documents.emplace_back(doc);
    bool ok = false;
    try {
        ok = path.isEmpty() ? doc->OnNewDocument() : doc->OnOpenDocument(path);
    } catch (...) {
        LogCaughtException("opening a document");
        ok = false;
    }
    if (!ok) {
        CloseDocument(doc);
        return nullptr;
    }
    if (path.isEmpty()) {
        doc->SetTitle(m_sNewName + QString::number(++m_nUntitled));
    } else {
        doc->SetPathName(QFileInfo(path).absoluteFilePath());
    }
    if (pFrame != nullptr && CreateNewFrame(doc, pFrame) == nullptr) {
        CloseDocument(doc);
        return nullptr;
    }
    return doc;
}

CChildFrame* CDocTemplate::CreateNewFrame(CDocument* pDoc, CMainFrame* pFrame) {
    CView* view = m_MakeView();
    pDoc->AddView(view);
    auto* frame = new CChildFrame(view);
    QMdiArea* area = pFrame->GetMdiArea();
    area->addSubWindow(frame);
    // A new child takes about three quarters of the workspace, as desktop MDI frames do.
    // Before the main window is first shown the workspace has no size yet: take the window's.
    QSize space = area->isVisible() ? area->viewport()->size() : pFrame->size() - QSize(0, 60);
    frame->resize(std::max(frame->width(), space.width() * 3 / 4),
                  std::max(frame->height(), space.height() * 3 / 4));
    frame->show();
    view->OnInitialUpdate();
    pFrame->GetMdiArea()->setActiveSubWindow(frame);
    return frame;
}

void CDocTemplate::CloseAllDocuments() {
    for (CDocument* doc : GetDocuments()) {
        // Closing the last frame closes the document; one without frames closes here.
        for (CView* view : std::vector<CView*>(doc->GetViews())) {
            if (CChildFrame* frame = view->GetParentFrame()) {
                frame->CloseFrame();
            }
        }
        CloseDocument(doc);
    }
}

}  // namespace tessaly
