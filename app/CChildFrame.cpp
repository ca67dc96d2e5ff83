#include "CChildFrame.h"

#include "CDocument.h"
#include "CView.h"

#include <QCloseEvent>

namespace tessaly {

CChildFrame::CChildFrame(CView* pView) : m_pView(pView) {
    setWidget(pView);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(520, 360);
}

CChildFrame::~CChildFrame() {
    CDocument* doc = m_pView != nullptr ? m_pView->GetDocument() : nullptr;
    CView* view = m_pView;
    m_pView = nullptr;
    setWidget(nullptr);
    delete view;
    if (doc != nullptr && doc->GetViews().empty()) {
        doc->OnCloseDocument();
        delete doc;
    }
}

void CChildFrame::DestroyFrame() {
    delete this;
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    CDocument* doc = m_pView != nullptr ? m_pView->GetDocument() : nullptr;
    if (doc != nullptr && doc->GetViews().size() == 1 && !doc->SaveModified()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

}  // namespace tessaly
