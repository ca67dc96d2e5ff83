#include "CView.h"

#include "CChildFrame.h"
#include "CDocument.h"

namespace tessaly {

CView::CView() = default;

CView::~CView() {
    if (m_pDocument != nullptr) {
        m_pDocument->RemoveView(this);
    }
}

CChildFrame* CView::GetParentFrame() const {
    for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
        if (auto* frame = qobject_cast<CChildFrame*>(w)) {
            return frame;
        }
    }
    return nullptr;
}

}  // namespace tessaly
