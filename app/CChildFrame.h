#pragma once
// The child frame: an MDI sub-window holding one view. Its caption and icon are set by the
// view; closing the last frame of a document closes the document (asking to save it first
// when it is modified).

#include "CCmdTarget.h"

#include <QMdiSubWindow>

namespace tessaly {

class CView;

class CChildFrame : public QMdiSubWindow, public CCmdTarget {
    Q_OBJECT

public:
    // The frame owns the view.
    explicit CChildFrame(CView* pView);
    ~CChildFrame() override;

    CView* GetActiveView() const { return m_pView; }
    // Closes the frame without asking to save (the caller has asked, or the program is ending)
    // and has Qt delete it before returning.
    void CloseFrame();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CView* m_pView;
    bool m_bAskToSave = true;  // closing the last frame asks to save a modified document
};

}  // namespace tessaly
