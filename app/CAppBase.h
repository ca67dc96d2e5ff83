#pragma once
// The application object base of the framework. The application object owns the document
// templates, the main frame and the shared state of the property sheets; it carries the
// commands that belong to no document (New, Open, and what a derived application adds).
//
// A derived application (CBrindleApp) registers its template and main frame in its start-up:
//
//     AddDocTemplate(std::make_unique<CDocTemplate>(129, "mul", [] { return new CBrindleDoc; },
//                                                   [] { return new CBrindleView; }));
//     auto frame = std::make_unique<CMainFrame>();
//     if (!frame->OnCreate()) return false;
//     SetMainFrame(std::move(frame));
//     AddCommand(ids::ID_APP_ABOUT, [this] { OnAppAbout(); });
//     // menus: GetMainFrame()->menuBar()->addMenu(...)->addAction(GetMainFrame()->GetAction(id))
//
// The main frame routes unhandled commands here last.

#include "CCmdTarget.h"
#include "CDataAppState.h"

#include <QString>

#include <memory>
#include <vector>

namespace tessaly {

class CDocTemplate;
class CDocument;
class CDataDef;
class CMainFrame;
class CPatchDocument;

class CAppBase : public CCmdTarget {
public:
    CAppBase();
    ~CAppBase() override;
    CAppBase(const CAppBase&) = delete;
    CAppBase& operator=(const CAppBase&) = delete;

    // The one application object, or null.
    static CAppBase* Instance() { return s_pInstance; }

    void AddDocTemplate(std::unique_ptr<CDocTemplate> pTemplate);
    CDocTemplate* GetDocTemplate(std::size_t i = 0) const;
    // Every open document of every template, in template order.
    std::vector<CDocument*> GetDocuments() const;
    // Takes the main frame: it becomes the owner of sheets and of the clipboard, and its
    // message pane shows the lists' status texts.
    void SetMainFrame(std::unique_ptr<CMainFrame> pFrame);
    CMainFrame* GetMainFrame() const { return m_pMainFrame.get(); }

    // "New": a new document of the first template.
    virtual CDocument* OnFileNew();
    // "Open": asks for a file ("mul Files (*.mul)"), then opens it.
    virtual CDocument* OnFileOpen();
    // Opens a document of the first template; null on failure.
    CDocument* OpenDocumentFile(const QString& path);
    // Closes every document and the main frame.
    void CloseAll();

    CDataAppState& GetDataState() { return m_DataState; }
    // The patch document whose lists or records hold the entry, else the active one; null when
    // there is none.
    CPatchDocument* FindDocument(const CDataDef* pEntry) const;

private:
    static CAppBase* s_pInstance;
    // The property sheets' state: open sheets and the current one.
    CDataAppState m_DataState;
    std::vector<std::unique_ptr<CDocTemplate>> m_Templates;
    std::unique_ptr<CMainFrame> m_pMainFrame;
};

}  // namespace tessaly
