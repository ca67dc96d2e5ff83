#include "CCmdTarget.h"

namespace tessaly {

void CCmdTarget::AddCommand(int nId, Handler handler, UpdateHandler update) {
    m_Commands[nId] = Entry{std::move(handler), std::move(update)};
}

void CCmdTarget::AddUpdate(int nId, UpdateHandler update) {
    m_Commands[nId] = Entry{Handler(), std::move(update)};
}

void CCmdTarget::AddCommandRange(int nFirst, int nLast, const std::function<void(int)>& handler,
                                 const std::function<void(int, CCmdUI&)>& update) {
    for (int id = nFirst; id <= nLast; ++id) {
        AddCommand(
            id, [handler, id] { handler(id); },
            update ? UpdateHandler([update, id](CCmdUI& ui) { update(id, ui); }) : UpdateHandler());
    }
}

bool CCmdTarget::OnCmdMsg(int nId) {
    auto it = m_Commands.find(nId);
    if (it == m_Commands.end() || !it->second.handler) {
        return false;
    }
    // The handler may remove this target, so it runs on a copy.
    Handler handler = it->second.handler;
    handler();
    return true;
}

bool CCmdTarget::OnUpdateCmdUI(CCmdUI& ui) {
    auto it = m_Commands.find(ui.m_nID);
    if (it == m_Commands.end()) {
        return false;
    }
    if (it->second.update) {
        it->second.update(ui);
    } else {
        ui.Enable(true);
    }
    return true;
}

}  // namespace tessaly
