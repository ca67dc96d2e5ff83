#include "CChildFrame.h"

#include "CDocTemplate.h"
#include "CDocument.h"
#include "CView.h"
#include "Resources.h"

#include <QCloseEvent>
#include <QCoreApplication>

namespace tessaly {

CChildFrame::CChildFrame(CView* pView) : m_pView(pView) {
    setWidget(pView);
    setAttribute(Qt::WA_DeleteOnClose);
    // No icon until the view shows a category (not the toolkit's logo).
    setWindowIcon(BlankIcon());
    resize(520, 360);
}

CChildFrame::~CChildFrame() {
    CDocument* doc = m_pView != nullptr ? m_pView->GetDocument() : nullptr;
    CView* view = m_pView;
    m_pView = nullptr;
    setWidget(nullptr);
    delete view;
    // The last frame of a document closes it.
    if (doc != nullptr && doc->GetViews().empty() && doc->GetDocTemplate() != nullptr) {
        doc->GetDocTemplate()->CloseDocument(doc);
    }
}

void CChildFrame::CloseFrame() {
    m_bAskToSave = false;
    close();  // deletes on close (WA_DeleteOnClose)
    // Deleted now, not when control is back in the event loop: the caller goes on without it.
    QCoreApplication::sendPostedEvents(this, QEvent::DeferredDelete);
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    CDocument* doc = m_pView != nullptr ? m_pView->GetDocument() : nullptr;
    // The sheets' edits first (they go into the ".pat" patch), then the document's.
    if (m_bAskToSave && m_pView != nullptr && !m_pView->AskSaveSheetsOnClose()) {
        event->ignore();
        return;
    }
    if (m_bAskToSave && doc != nullptr && doc->GetViews().size() == 1 && !doc->SaveModified()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

}  // namespace tessaly
