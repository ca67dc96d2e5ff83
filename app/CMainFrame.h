#pragma once
// The main frame: a QMainWindow around a QMdiArea of child frames, with the status bar (message
// pane, then the "CAP", "NUM" and "SCRL" indicators) and one QAction per command id.
//
// Commands reach their targets through RouteCommand: the active view, its document, the active
// child frame, this frame, then the application object. Menus built by the application take
// their actions from GetAction and are kept up to date by WatchMenu; UpdateCommandUI refreshes
// every action's enabled and checked state (it runs before a menu shows, after the selection or
// the active frame changes, and before a shortcut's command is carried out).

#include "CCmdTarget.h"

#include <QMainWindow>

#include <functional>
#include <map>
#include <string>

class QLabel;
class QMdiArea;
class QMenu;

namespace tessaly {

class CChildFrame;
class CDocument;
class CView;

class CMainFrame : public QMainWindow, public CCmdTarget {
    Q_OBJECT

public:
    // The property of a command's action that holds its prompt's tool tip, shown while the
    // command is enabled (or disabled without a reason).
    static constexpr const char* kPromptTip = "promptTip";

    CMainFrame();
    ~CMainFrame() override;

    // Creates the status bar and its four panes; false when that fails.
    virtual bool OnCreate();

    QMdiArea* GetMdiArea() const { return m_pMdiArea; }
    CChildFrame* GetActiveChild() const;
    CView* GetActiveView() const;
    CDocument* GetActiveDocument() const;

    // The action of a command id, made on first use; its trigger routes the command.
    QAction* GetAction(int nId);
    bool HasAction(int nId) const { return m_Actions.count(nId) != 0; }
    // Routes a command; false when it is disabled or no target carried it out.
    bool RouteCommand(int nId);
    // The state of a command as the targets decide it (disabled when none does).
    CCmdUI QueryCommand(int nId);
    // Updates the state of every action (or of one menu's actions).
    void UpdateCommandUI();
    void UpdateMenu(QMenu* pMenu);
    // Updates a menu's actions each time it is about to show; when it closes, the message pane
    // goes back to "Ready".
    void WatchMenu(QMenu* pMenu);
    // Ends a menu with the open child windows, numbered, the active one checked; choosing one
    // activates it. The list is made anew each time the menu shows (at most kWindowListSize).
    void WatchWindowMenu(QMenu* pMenu);
    static constexpr int kWindowListSize = 9;

    // Pane 0 of the status bar; an empty text shows the idle text "Ready".
    void SetMessageText(const QString& text);
    QString GetMessageText() const;
    // The text of pane i (0 message, 1 "CAP", 2 "NUM", 3 "SCRL").
    QString GetPaneText(int i) const;

    // The application object's command target, asked last.
    void SetAppTarget(CCmdTarget* pApp) { m_pAppTarget = pApp; }
    // Tells the user of a command that ended in an exception (out of memory, say), which is
    // logged and goes no further: the program and its unsaved work stay.
    void SetFailureReport(std::function<void(const std::string&)> report) {
        m_ReportFailure = std::move(report);
    }

private:
    void OnSubWindowActivated();
    void UpdateAction(int nId, QAction* action);

    QMdiArea* m_pMdiArea;
    std::map<int, QAction*> m_Actions;
    QLabel* m_pPanes[4] = {};
    CCmdTarget* m_pAppTarget = nullptr;
    std::function<void(const std::string&)> m_ReportFailure;
    CView* m_pLastActiveView = nullptr;
};

}  // namespace tessaly
