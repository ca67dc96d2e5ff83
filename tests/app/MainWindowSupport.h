#pragma once
// The application object with its one document template and a shown main window, for tests that
// drive documents and views through the real window.

#include "CAppBase.h"
#include "CBrindleDoc.h"
#include "CBrindleView.h"
#include "CDataListCtrl.h"
#include "CDocTemplate.h"
#include "CMainFrame.h"
#include "ResourceIds.h"
#include "ScriptedUi.h"

#include <QApplication>

#include <gtest/gtest.h>

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

// A test over the main window on the client file set the test chose: the application, its
// frame and scripted dialogs.
class MainWindowTest : public ::testing::Test {
protected:
    void MakeWindow() {
        MakeMainWindow(m_pApp, m_pFrame);
        ASSERT_NE(m_pFrame, nullptr);
        m_pApp->GetDataState().m_pUi = &m_Ui;
    }
    void TearDown() override {
        m_pApp.reset();
        QApplication::processEvents();
    }
    CBrindleView* ActiveView() const {
        return dynamic_cast<CBrindleView*>(m_pFrame->GetActiveView());
    }
    CDataListCtrl* ActiveList() const {
        CBrindleView* view = ActiveView();
        return view != nullptr ? dynamic_cast<CDataListCtrl*>(view->m_pList) : nullptr;
    }

    ScriptedUi m_Ui;  // outlives the application, which points at it
    std::unique_ptr<CAppBase> m_pApp;
    CMainFrame* m_pFrame = nullptr;
};

}  // namespace tessaly::test
