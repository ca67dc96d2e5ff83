#pragma once
// Application state that the entry framework shares with the application object: the open
// property sheets, the current property sheet, the main window (owner of sheets and of the
// clipboard), the main frame's message pane and the route of every dialog.
//
// The application object owns one CDataAppState and installs it with SetDataAppState (which
// installs it as the entries' model state too, CDataModelState with the ".pat" patch); until
// then a process-wide default instance serves (tests use that one).

#include "DataModel.h"
#include "ShellUi.h"

#include <QString>

#include <functional>
#include <vector>

class QWidget;

namespace tessaly {

class CDataPage;
class CDataProps;
enum class EntryPage : unsigned char;
class CPatch;
class CPatchDocument;

class CDataAppState : public CDataModelState {
public:
    // Closes the sheets that show an entry being destroyed.
    void OnEntryDestroyed(CDataDef* pEntry) override;

    // Open sheets in creation order; the list owns them. A sheet joins when it is constructed
    // and goes only through CloseSheet or DestroyAllSheets, whatever closes it (its OK button,
    // its close box, its entry going away).
    std::vector<CDataProps*> m_Sheets;
    // The sheet that follows the list selection and is reused for the next entry, or null.
    CDataProps* m_pCurrentSheet = nullptr;
    // Parent of new sheets and owner of the clipboard; may be null.
    QWidget* m_pMainWindow = nullptr;
    // Shows a text in pane 0 of the main frame's status bar; may be empty.
    std::function<void(const QString&)> m_SetMessageText;

    // Pictures show their transparent pixels on a light checkerboard rather than on the page's
    // or the grid cell's background (View, "Checkerboard Background").
    bool m_bCheckerboard = false;

    // The dialogs and message boxes of the program; null uses the real ones, owned by the main
    // window. Not owned.
    CShellUi* m_pUi = nullptr;

    CShellUi& Ui();

    // The patch document that the pages which edit store their changes in: the one whose lists
    // or records hold the entry, else the active one; null without a document. Empty (tests of
    // pages alone): none.
    std::function<CPatchDocument*(const CDataDef*)> m_FindDocument;
    CPatchDocument* FindDocument(const CDataDef* pEntry) const {
        return m_FindDocument ? m_FindDocument(pEntry) : nullptr;
    }

    // Makes the pages of the sheets; empty: CreatePage (EntryCommands.h). Tests give pages of
    // their own here.
    std::function<CDataPage*(EntryPage)> m_MakePage;

    // The sheet at position i, or null past the end.
    CDataProps* GetSheet(std::size_t i) const {
        return i < m_Sheets.size() ? m_Sheets[i] : nullptr;
    }
    void AddSheet(CDataProps* sheet);
    // Takes a sheet off the list (and out of m_pCurrentSheet), lets go of its entry at once,
    // hides it and deletes it when control is back in the event loop: the sheet's own code (a
    // page saving its edits) may be running below this call. Sheets not on the list are left
    // alone.
    void CloseSheet(CDataProps* sheet);
    // Deletes every sheet now, and those closed but not yet deleted (shut-down: no sheet code is
    // running then).
    void DestroyAllSheets();
    // Forgets a sheet that is being deleted (by its parent window at shut-down).
    void RemoveSheet(CDataProps* sheet);
    void SetMessageText(const QString& text) const;
    // Before entries are destroyed: asks "Save ?" on every sheet with unapplied edits whose
    // entry goesAway names. False as soon as the user cancels one; the edits of that sheet and
    // of those not yet asked stay as they were, and the caller destroys nothing.
    bool AskSaveSheets(const std::function<bool(const CDataDef*)>& goesAway);

protected:
    // Shows the text in the status bar.
    void Tell(const std::string& text) override { SetMessageText(QString::fromStdString(text)); }

private:
    CShellDialogs m_Dialogs;
};

// The state in use: the one installed by the application object, else the default instance.
CDataAppState& DataAppState();
// Installs the application's state (null goes back to the default instance).
void SetDataAppState(CDataAppState* state);

}  // namespace tessaly
