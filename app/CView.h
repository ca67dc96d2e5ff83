#pragma once
// A view of the framework: a widget that shows one document inside a child frame.

#include "CCmdTarget.h"

#include <QWidget>

namespace tessaly {

class CChildFrame;
class CDocument;

class CView : public QWidget, public CCmdTarget {
    Q_OBJECT

public:
    CView();
    // Leaves the document's list of views.
    ~CView() override;

    // Called once when the view's frame is shown for the first time.
    virtual void OnInitialUpdate() { OnUpdate(nullptr, 0); }
    // The document changed.
    virtual void OnUpdate(CView* /*pSender*/, int /*nHint*/) { update(); }
    // The view's frame became the active one (or stopped being it).
    virtual void OnActivateView(bool /*bActivate*/) {}
    // Before the view's frame closes: asks about the property sheets with unapplied edits that
    // closing it would destroy; false when the user cancelled. The base has none.
    virtual bool AskSaveSheetsOnClose() { return true; }

    CDocument* GetDocument() const { return m_pDocument; }
    CChildFrame* GetParentFrame() const;

private:
    friend class CDocument;
    CDocument* m_pDocument = nullptr;
};

}  // namespace tessaly
