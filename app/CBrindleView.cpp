#include "CBrindleView.h"

#include "CBrindleDoc.h"
#include "CChildFrame.h"
#include "CDataDef.h"
#include "CDataListCtrl.h"
#include "CDataListThumbs.h"
#include "CMainFrame.h"
#include "DataTypeDef.h"
#include "EventLog.h"
#include "ResourceIds.h"
#include "Resources.h"

namespace tessaly {

CBrindleView::CBrindleView() {
    AddCommandRange(
        ids::ID_DATA_VERDATA, ids::ID_DATA_FONTS, [this](int id) { SetCategory(id); },
        [this](int id, CCmdUI& ui) {
            ui.Enable(true);
            ui.SetCheck(id == m_nCategory);
        });
    auto filter = [this](int id, std::uint8_t& flag, bool always) {
        AddCommand(
            id, [this, &flag] { ToggleFilter(flag); },
            [this, &flag, always](CCmdUI& ui) {
                ui.Enable(always || (m_pList != nullptr && m_nCategory != ids::ID_DATA_VERDATA));
                ui.SetCheck(flag != 0);
            });
    };
    filter(ids::ID_VIEW_CHANGES, m_bShowChanges, true);
    filter(ids::ID_VIEW_MULFILES, m_bShowMulFiles, true);
    filter(ids::ID_VIEW_VERDATA, m_bShowVerData, true);
    filter(ids::ID_VIEW_UNUSED, m_bShowUnused, false);
    auto mode = [this](int id, std::int32_t value) {
        AddCommand(
            id, [this, value] { SetListMode(value); },
            [this, value](CCmdUI& ui) {
                ui.Enable(m_pList != nullptr && m_nCategory != ids::ID_DATA_VERDATA);
                ui.SetCheck(m_nListMode == value);
            });
    };
    mode(ids::ID_VIEW_TEXTLIST, 0);
    mode(ids::ID_VIEW_THUMBNAIL, 1);
    for (int id : {ids::ID_EDIT_PROPERTIES, ids::ID_EDIT_COPY, ids::ID_EDIT_CUT}) {
        AddCommand(
            id, [this, id] { ToSelected(id); }, [this](CCmdUI& ui) { ui.Enable(HasSelection()); });
    }
    AddCommand(
        ids::ID_EXPORT, [this] { ToSelected(ids::ID_EXPORT); },
        [this](CCmdUI& ui) { ui.Enable(HasSelection() && m_pList->GetSelected()->CanExport()); });
    // "Delete" and "Paste Over" are enabled here but carry out nothing; the same commands
    // reach an entry through the list's context menu.
    AddCommand(
        ids::ID_EDIT_DELETE, [] {}, [this](CCmdUI& ui) { ui.Enable(HasSelection()); });
    AddCommand(
        ids::ID_EDIT_PASTE, [] {}, [this](CCmdUI& ui) { ui.Enable(m_pList != nullptr); });
}

CBrindleView::~CBrindleView() {
    SetCategory(-1);
}

CBrindleDoc* CBrindleView::GetBrindleDoc() const {
    return dynamic_cast<CBrindleDoc*>(GetDocument());
}

void CBrindleView::OnInitialUpdate() {
    CView::OnInitialUpdate();
    SetCategory(ids::ID_DATA_VERDATA);
}

void CBrindleView::OnUpdate(CView* /*pSender*/, int nHint) {
    if (nHint == kHintBeforeReload) {
        m_nReloadCategory = m_nCategory;
        SetCategory(-1);
    } else if (nHint == kHintAfterReload) {
        SetCategory(m_nReloadCategory);
    }
}

void CBrindleView::OnActivateView(bool bActivate) {
    if (bActivate) {
        ActivateDocument();
    }
}

CQObArray<CDataVerData*>* CBrindleView::GetDocumentEntries() {
    CBrindleDoc* doc = GetBrindleDoc();
    return doc != nullptr ? &doc->m_VerData : nullptr;
}

void CBrindleView::ActivateDocument() {
    if (CBrindleDoc* doc = GetBrindleDoc()) {
        doc->ActivatePatch();
    }
}

void CBrindleView::SetCategory(std::int32_t id) {
    if (m_pListWnd) {
        if (id == m_nCategory) {
            SetFrameCaption();
            return;
        }
        m_pList = nullptr;
        m_pListWnd.reset();
    }
    m_nCategory = id;
    if (GetTypeDef(id) != nullptr) {
        if (m_nListMode == 0) {
            auto* ctrl = new CDataListCtrl(id);
            m_pListWnd.reset(ctrl);
            m_pList = ctrl;
            // Selection changes change which edit commands are enabled.
            connect(ctrl->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
                if (auto* frame = qobject_cast<CMainFrame*>(window())) {
                    frame->UpdateCommandUI();
                }
            });
        } else {
            auto* thumbs = new CDataListThumbs(id);
            m_pListWnd.reset(thumbs);
            m_pList = thumbs;
        }
        m_pList->Create(this, this);
    }
    SetFrameCaption();
    Refresh();
}

void CBrindleView::Refresh() {
    if (m_pList != nullptr) {
        m_pList->FillList();
    }
}

void CBrindleView::resizeEvent(QResizeEvent* event) {
    CView::resizeEvent(event);
    if (m_pListWnd) {
        m_pListWnd->setGeometry(0, 0, width(), height());
        m_pListWnd->update();
    }
}

void CBrindleView::SetFrameCaption() {
    const DataTypeDef* def = GetTypeDef(m_nCategory);
    CChildFrame* frame = GetParentFrame();
    if (def == nullptr || frame == nullptr) {
        return;
    }
    frame->setWindowTitle(QString::fromLatin1(def->m_pszName));
    frame->setWindowIcon(LoadResourceIcon(m_nCategory));
}

void CBrindleView::SetListMode(std::int32_t mode) {
    std::int32_t category = m_nCategory;
    SetCategory(-1);
    m_nListMode = mode;
    SetCategory(category);
}

void CBrindleView::ToggleFilter(std::uint8_t& flag) {
    flag = flag != 0 ? 0 : 1;
    Refresh();
}

bool CBrindleView::HasSelection() const {
    return m_pList != nullptr && m_pList->GetSelected() != nullptr;
}

void CBrindleView::ToSelected(int nId) {
    if (m_pList == nullptr) {
        return;
    }
    if (CDataDef* entry = m_pList->GetSelected()) {
        try {
            entry->OnMenuCommand(this, nId);
        } catch (...) {
            LogCaughtException("an entry command");
            // A failing command changes nothing.
        }
    }
}

}  // namespace tessaly
