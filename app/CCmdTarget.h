#pragma once
// Command routing of the document/view framework.
//
// Every menu command has one integer id (the ids of ResourceIds.h) and one QAction in the main
// frame (CMainFrame::GetAction). An object that carries out commands derives from CCmdTarget
// and registers, per id, a handler and optionally an update handler that sets the command's
// enabled and checked state:
//
//     AddCommand(ids::ID_VIEW_UNUSED, [this] { OnViewUnused(); },
//                [this](CCmdUI& ui) { ui.Enable(m_pList != nullptr); ui.SetCheck(m_bShowUnused);
//                });
//     AddUpdate(ids::ID_FILE_SAVE, [this](CCmdUI& ui) { ui.Enable(IsModified()); });
//
// The main frame routes a command to the active view, its document, its child frame, the main
// frame and the application object, in that order; the first target that registered the id
// carries it out. States are asked the same way before a menu shows, after selection changes
// and before a shortcut runs. A command that no target registered is disabled; a target with a
// handler and no update handler enables it; an update handler alone decides the state without
// carrying anything out.

#include <functional>
#include <map>
#include <string>

namespace tessaly {

class CCmdUI {
public:
    explicit CCmdUI(int nId) : m_nID(nId) {}
    void Enable(bool bOn = true) { m_bEnabled = bOn; }
    // Enables the command, or disables it with the reason its menu item's tool tip gives.
    void Enable(bool bOn, std::string whyNot) {
        m_bEnabled = bOn;
        m_sWhyNot = bOn ? std::string() : std::move(whyNot);
    }
    void SetCheck(bool bCheck = true) {
        m_bCheckable = true;
        m_bChecked = bCheck;
    }

    int m_nID;
    bool m_bEnabled = false;
    bool m_bChecked = false;
    bool m_bCheckable = false;
    std::string m_sWhyNot;  // why the command is disabled; empty: its usual tool tip
};

class CCmdTarget {
public:
    using Handler = std::function<void()>;
    using UpdateHandler = std::function<void(CCmdUI&)>;

    virtual ~CCmdTarget() = default;

    // Registers (or replaces) the handler and update handler of a command id.
    void AddCommand(int nId, Handler handler, UpdateHandler update = {});
    // Registers an update handler only: the state is decided here, nothing is carried out.
    void AddUpdate(int nId, UpdateHandler update);
    void AddCommandRange(int nFirst, int nLast, const std::function<void(int)>& handler,
                         const std::function<void(int, CCmdUI&)>& update = {});
    void RemoveCommand(int nId) { m_Commands.erase(nId); }

    // Carries the command out when registered here; true when this target took it.
    virtual bool OnCmdMsg(int nId);
    // Sets the state when registered here; true when this target decided it.
    virtual bool OnUpdateCmdUI(CCmdUI& ui);

private:
    struct Entry {
        Handler handler;
        UpdateHandler update;
    };
    std::map<int, Entry> m_Commands;
};

}  // namespace tessaly
