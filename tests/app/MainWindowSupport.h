#pragma once
// The application object with its one document template and a shown main window, for tests that
// drive documents and views through the real window.

#include "CAppBase.h"
#include "CBrindleDoc.h"
#include "CBrindleView.h"
#include "CDocTemplate.h"
#include "CMainFrame.h"
#include "ResourceIds.h"

#include <memory>

namespace tessaly::test {

// Fills app and frame (owned by app); frame stays null when the main window cannot be created.
inline void MakeMainWindow(std::unique_ptr<CAppBase>& app, CMainFrame*& frame) {
    app = std::make_unique<CAppBase>();
    app->AddDocTemplate(std::make_unique<CDocTemplate>(
        ids::IDR_BRINDLTYPE, QStringLiteral("mul"), [] { return new CBrindleDoc; },
        [] { return new CBrindleView; }));
    auto window = std::make_unique<CMainFrame>();
    frame = nullptr;
    if (!window->OnCreate()) {
        return;
    }
    frame = window.get();
    app->SetMainFrame(std::move(window));
    frame->resize(900, 600);
    frame->show();
}

}  // namespace tessaly::test
