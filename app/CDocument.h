#pragma once
// A document of the framework: a file path, a title, a modified flag and the views that show
// it. New, open and save steps are virtual; the base steps only do the platform's part.

#include "CCmdTarget.h"

#include <QString>

#include <string>
#include <vector>

namespace tessaly {

class CDocTemplate;
class CView;

class CDocument : public CCmdTarget {
public:
    CDocument();
    ~CDocument() override;

    // New: empties the document and clears the modified flag.
    virtual bool OnNewDocument();
    // Open: the path must open for reading (else the platform's message); empties the
    // document and clears the modified flag.
    virtual bool OnOpenDocument(const QString& path);
    // Save: the base writes nothing and succeeds.
    virtual bool OnSaveDocument(const QString& path);
    // Called before the document closes; the base does nothing.
    virtual void OnCloseDocument() {}
    // Empties the document.
    virtual void DeleteContents() {}

    virtual bool IsModified() const { return m_bModified; }
    virtual void SetModifiedFlag(bool bModified = true) { m_bModified = bModified; }
    // Asks to save a modified document; false when the user cancelled or the save failed.
    virtual bool SaveModified();
    // Asks about the property sheets with unapplied edits that closing or reloading the
    // document would destroy; false when the user cancelled. The base has none.
    virtual bool AskSaveSheets() { return true; }
    // Saves to the document's path (or asks for one); false when the save failed.
    bool DoFileSave();
    bool DoSave(const QString& path);

    const QString& GetPathName() const { return m_sPathName; }
    void SetPathName(const QString& path);
    const QString& GetTitle() const { return m_sTitle; }
    void SetTitle(const QString& title);

    const std::vector<CView*>& GetViews() const { return m_Views; }
    void AddView(CView* view);
    void RemoveView(CView* view);
    // Tells every view except pSender that the document changed.
    void UpdateAllViews(CView* pSender, int nHint = 0);

    CDocTemplate* GetDocTemplate() const { return m_pTemplate; }

protected:
    // Why the last OnSaveDocument failed, when it knows (empty: the message names the file
    // only); DoSave adds it to its message.
    std::string m_sSaveFailure;

private:
    friend class CDocTemplate;
    bool m_bModified = false;
    QString m_sPathName;
    QString m_sTitle;
    std::vector<CView*> m_Views;  // not owned: each view belongs to its child frame
    CDocTemplate* m_pTemplate = nullptr;
};

}  // namespace tessaly
