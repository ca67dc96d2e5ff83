#pragma once
// The document template: makes a document, its child frame and its view, and owns the open
// documents of its kind; a document ends when its last frame closes (CloseDocument).

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace tessaly {

class CChildFrame;
class CDocument;
class CMainFrame;
class CView;

class CDocTemplate {
public:
    using DocumentFactory = std::function<CDocument*()>;
    using ViewFactory = std::function<CView*()>;

    // nIdResource names the template's resources (menu, icon, strings); sNewName is the base
    // of the titles of new documents ("mul" gives "mul1", "mul2", ...).
    CDocTemplate(int nIdResource, QString sNewName, DocumentFactory makeDocument,
                 ViewFactory makeView);
    ~CDocTemplate();
    CDocTemplate(const CDocTemplate&) = delete;
    CDocTemplate& operator=(const CDocTemplate&) = delete;

    // Opens a document: an empty path makes a new one. A document already open on the path is
    // activated instead. Null when the document's new or open step failed.
    CDocument* OpenDocumentFile(const QString& path, CMainFrame* pFrame);
    // Makes a child frame with a new view of the document inside the main frame and runs the
    // view's initial update.
    CChildFrame* CreateNewFrame(CDocument* pDoc, CMainFrame* pFrame);
    // Closes every document (their frames first).
    void CloseAllDocuments();

    // Closes a document whose frames are gone: tells it (OnCloseDocument) and deletes it. The
    // one way a document of the template ends.
    void CloseDocument(CDocument* pDoc);

    int GetResourceId() const { return m_nIdResource; }
    // The open documents, in opening order.
    std::vector<CDocument*> GetDocuments() const;
    // The open document of the file at path (links and relative paths resolved), or null.
    CDocument* FindDocument(const QString& path) const;

private:
    int m_nIdResource;
    QString m_sNewName;
    int m_nUntitled = 0;
    DocumentFactory m_MakeDocument;
    ViewFactory m_MakeView;
    std::vector<std::unique_ptr<CDocument>> m_Documents;
};

}  // namespace tessaly
