#include "CMainFrame.h"

#include "CChildFrame.h"
#include "CDocument.h"
#include "CView.h"
#include "EventLog.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QStatusBar>

#include <new>

namespace tessaly {

CMainFrame::CMainFrame() {
    m_pMdiArea = new QMdiArea(this);
    m_pMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_pMdiArea);
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, [this] { OnSubWindowActivated(); });
}

CMainFrame::~CMainFrame() {
    // Child frames go first, while the frame they route commands through still exists.
    for (QMdiSubWindow* sub : m_pMdiArea->subWindowList()) {
        if (auto* frame = qobject_cast<CChildFrame*>(sub)) {
            frame->CloseFrame();
        }
    }
}

bool CMainFrame::OnCreate() {
    QStatusBar* bar = statusBar();
    if (bar == nullptr) {
        return false;
    }
    static const char* const kPanes[4] = {"Ready", "CAP", "NUM", "SCRL"};
    for (int i = 0; i < 4; ++i) {
        m_pPanes[i] = new QLabel(QString::fromLatin1(kPanes[i]), bar);
        m_pPanes[i]->setObjectName(QString::fromLatin1(kPanes[i]));
        if (i == 0) {
            bar->addWidget(m_pPanes[i], 1);
        } else {
            // The lock indicators are shown greyed: the key states are not tracked.
            m_pPanes[i]->setEnabled(false);
            bar->addPermanentWidget(m_pPanes[i]);
        }
    }
    bar->setVisible(true);
    return true;
}

CChildFrame* CMainFrame::GetActiveChild() const {
    QMdiSubWindow* sub = m_pMdiArea->activeSubWindow();
    if (sub == nullptr) {
        sub = m_pMdiArea->currentSubWindow();
    }
    return qobject_cast<CChildFrame*>(sub);
}

CView* CMainFrame::GetActiveView() const {
    CChildFrame* child = GetActiveChild();
    return child != nullptr ? child->GetActiveView() : nullptr;
}

CDocument* CMainFrame::GetActiveDocument() const {
    CView* view = GetActiveView();
    return view != nullptr ? view->GetDocument() : nullptr;
}

QAction* CMainFrame::GetAction(int nId) {
    auto it = m_Actions.find(nId);
    if (it != m_Actions.end()) {
        return it->second;
    }
    auto* action = new QAction(this);
    action->setData(nId);
    connect(action, &QAction::triggered, this, [this, nId] { RouteCommand(nId); });
    m_Actions[nId] = action;
    UpdateAction(nId, action);
    return action;
}

CCmdUI CMainFrame::QueryCommand(int nId) {
    CCmdUI ui(nId);
    CChildFrame* child = GetActiveChild();
    CView* view = child != nullptr ? child->GetActiveView() : nullptr;
    CDocument* doc = view != nullptr ? view->GetDocument() : nullptr;
    CCmdTarget* route[] = {view, doc, child, this, m_pAppTarget};
    for (CCmdTarget* target : route) {
        if (target != nullptr && target->OnUpdateCmdUI(ui)) {
            return ui;
        }
    }
    ui.Enable(false);
    return ui;
}

bool CMainFrame::RouteCommand(int nId) {
    // A disabled command is refused, shortcuts included.
    if (!QueryCommand(nId).m_bEnabled) {
        return false;
    }
    CChildFrame* child = GetActiveChild();
    CView* view = child != nullptr ? child->GetActiveView() : nullptr;
    CDocument* doc = view != nullptr ? view->GetDocument() : nullptr;
    CCmdTarget* route[] = {view, doc, child, this, m_pAppTarget};
    bool done = false;
    try {
        for (CCmdTarget* target : route) {
            if (target != nullptr && target->OnCmdMsg(nId)) {
                done = true;
                break;
            }
        }
    } catch (...) {
        // An exception must not cross Qt's event loop, which would end the program.
        LogCaughtException("running a command");
        std::string why;
        try {
            throw;
        } catch (const std::bad_alloc&) {
            why = "there is not enough memory";
        } catch (...) {
            why = CaughtExceptionText(true);
        }
        if (m_ReportFailure) {
            m_ReportFailure("The command could not be completed: " + why + ".");
        }
        done = true;
    }
    UpdateCommandUI();
    return done;
}

void CMainFrame::UpdateAction(int nId, QAction* action) {
    CCmdUI ui = QueryCommand(nId);
    action->setEnabled(ui.m_bEnabled);
    // A disabled item says why in its tool tip; otherwise it shows its prompt's tip.
    action->setToolTip(ui.m_sWhyNot.empty() ? action->property(kPromptTip).toString()
                                            : QString::fromStdString(ui.m_sWhyNot));
    if (ui.m_bCheckable) {
        action->setCheckable(true);
        action->setChecked(ui.m_bChecked);
    } else if (action->isCheckable()) {
        action->setChecked(false);
    }
}

void CMainFrame::UpdateCommandUI() {
    for (auto& [id, action] : m_Actions) {
        UpdateAction(id, action);
    }
}

void CMainFrame::UpdateMenu(QMenu* pMenu) {
    for (QAction* action : pMenu->actions()) {
        bool ok = false;
        int id = action->data().toInt(&ok);
        if (ok && m_Actions.count(id) != 0) {
            UpdateAction(id, action);
        }
    }
}

void CMainFrame::WatchMenu(QMenu* pMenu) {
    QPointer<QMenu> menu(pMenu);
    connect(pMenu, &QMenu::aboutToShow, this, [this, menu] {
        if (menu) {
            UpdateMenu(menu);
        }
    });
    connect(pMenu, &QMenu::aboutToHide, this, [this] { SetMessageText(QString()); });
}

void CMainFrame::WatchWindowMenu(QMenu* pMenu) {
    // The list's actions are the menu's own, after a separator of its own, and go with it.
    auto* list = new QActionGroup(pMenu);
    connect(pMenu, &QMenu::aboutToShow, this, [this, pMenu, list] {
        for (QAction* action : list->actions()) {
            pMenu->removeAction(action);
            delete action;
        }
        const QList<QMdiSubWindow*> windows = m_pMdiArea->subWindowList();
        if (windows.isEmpty()) {
            return;
        }
        list->addAction(pMenu->addSeparator());
        for (int i = 0; i < windows.size() && i < kWindowListSize; ++i) {
            QPointer<QMdiSubWindow> window(windows[i]);
            QString title = window->windowTitle();
            title.replace(QLatin1Char('&'), QStringLiteral("&&"));
            QAction* action = pMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(title));
            action->setCheckable(true);
            action->setChecked(window == m_pMdiArea->activeSubWindow());
            list->addAction(action);
            connect(action, &QAction::triggered, this, [this, window] {
                if (window) {
                    m_pMdiArea->setActiveSubWindow(window);
                }
            });
        }
    });
}

void CMainFrame::SetMessageText(const QString& text) {
    if (m_pPanes[0] != nullptr) {
        m_pPanes[0]->setText(text.isEmpty() ? QStringLiteral("Ready") : text);
    }
}

QString CMainFrame::GetMessageText() const {
    return GetPaneText(0);
}

QString CMainFrame::GetPaneText(int i) const {
    return i >= 0 && i < 4 && m_pPanes[i] != nullptr ? m_pPanes[i]->text() : QString();
}

void CMainFrame::OnSubWindowActivated() {
    CView* view = GetActiveView();
    if (view == nullptr) {
        // The last child window closed (or none is active): nothing is selected any more.
        SetMessageText(QString());
    }
    if (view != m_pLastActiveView) {
        m_pLastActiveView = view;
        if (view != nullptr) {
            view->OnActivateView(true);
        }
    }
    UpdateCommandUI();
}

}  // namespace tessaly
