#pragma once
// The application object: start-up (InitInstance), the menus and accelerators, the commands that
// belong to no document (About, "Open Base Muls...", the ".pat" patch commands, the recent-file
// list, printing, the Window menu, Exit), drag and drop of files onto the main window, and
// shut-down (ExitInstance).
//
// Every message box and dialog it shows goes through the CShellUi of its CDataAppState (GetUi):
// the real dialogs by default, scripted answers in tests. The command line, the --screenshot run
// and printing have units of their own.

#include "CAppBase.h"
#include "CommandLine.h"
#include "Patch.h"
#include "Printing.h"
#include "ShellUi.h"

#include <QObject>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QMenu;
class QSettings;

namespace tessaly {

class CDocument;

class CBrindleApp : public QObject, public CAppBase {
    Q_OBJECT

public:
    CBrindleApp();
    ~CBrindleApp() override;

    // The one application object, or null.
    static CBrindleApp* Instance();

    // The program: --help and --version answer without a window system; without a display it
    // says how to run; otherwise it runs the start-up, the message loop and the shut-down.
    static int Main(int argc, char** argv);

    // Start-up; false ends the program.
    bool InitInstance(const CCommandLineInfo& info);
    // The message loop (or, with --screenshot, the picture), between start-up and shut-down.
    int Run(const CCommandLineInfo& info);
    // Shut-down: offers to save a modified ".pat" patch. Returns the exit code.
    int ExitInstance();

    // The dialogs and message boxes; null puts the real ones back. Not owned.
    void SetUi(CShellUi* pUi) { GetDataState().m_pUi = pUi; }
    CShellUi& GetUi() { return GetDataState().Ui(); }

    // The ".pat" patch of the hue and multi pages.
    CPatch& GetPatch() { return m_Patch; }
    CPrinting& GetPrinting() { return m_Printing; }
    // Offers to save a modified patch and discards it; false when a save the user asked for
    // failed or was cancelled (the patch is then kept, and whatever asked must not go ahead).
    bool ClosePatch();
    // The sheets, the patch and the documents offered for saving; false keeps the program.
    bool AskSaveAllBeforeExit();
    // Asks "Save ?" on every property sheet with unapplied edits (the window is closing);
    // false when the user cancelled.
    bool AskSaveAllSheets();

    // "Open": the file dialog, then the document, remembered in the recent-file list.
    CDocument* OnFileOpen() override;
    // Opens a document and puts it first in the recent-file list; null on failure.
    CDocument* OpenDocument(const QString& path);
    const QStringList& GetRecentFiles() const { return m_RecentFiles; }
    void AddToRecentFileList(const QString& path);

    // Asks to save every modified document; false when one was not saved.
    bool SaveAllModified();

    // The menu on the menu bar: 128 while no document is open, 129 while one is.
    int GetMenuResource() const { return m_nMenuResource; }
    // The menus of a resource in menu-bar order (owned by the main frame).
    std::vector<QMenu*> GetMenus(int nResource) const;

    // Shows a category (a name as `FindCategory` takes it) in the active view; false when the
    // name is unknown or no view is open.
    bool ShowCategory(const QString& name);

    // Command handlers.
    void OnAppAbout();
    void OnOpenBaseMuls();
    // Opens what a path names, dropped on the window or given to --open: a folder as the client
    // ("Open Base Muls..."), a ".pat" patch as the patch ("Open Patch File..."), any other file
    // as a document.
    void OpenPath(const QString& path);
    // Reads the client in dir whole ("Open Base Muls..." and a folder dropped on the window); a
    // folder without client files is named and changes nothing.
    void OpenClientFolder(const std::string& dir);
    void OnAppExit();

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    // Opens every base file of the client; the first one missing is reported.
    void OpenBaseFiles();
    void LoadStdProfileSettings();
    void SaveRecentFiles() const;
    void RegisterCommands();
    void BuildMenus();
    void SetupAction(int nId);
    void UpdateMenuBar();
    void UpdateRecentFileMenu();
    void UpdateTitle();
    void OnActiveChildChanged();
    void OpenRecentFile(int nIndex);
    void OnFileClose();
    void OnWindowNew();
    void ArrangeIcons();
    bool HasActiveChild() const;
    bool OnDropEvent(QEvent* pEvent);
    // The patch operations' questions go to the shell's dialogs, except that a file chosen to
    // save the patch into that is one of the client's data files is refused (the ".pat" would
    // replace it) and counts as a cancelled dialog.
    class PatchDialogs : public CPatchUi {
    public:
        explicit PatchDialogs(CBrindleApp& app) : m_App(app) {}
        bool AskYesNo(const std::string& text) override;
        std::optional<std::string> ChooseFile(const PatchFileDialog& dialog) override;
        void ShowMessage(const std::string& text) override;
        bool MaySaveOver(const std::string& path) override;

    private:
        CBrindleApp& m_App;
    };
    PatchDialogs m_PatchDialogs{*this};

    CPatch m_Patch;
    QStringList m_RecentFiles;
    int m_nMenuResource = 0;
    std::map<int, std::vector<QMenu*>> m_Menus;  // by resource; owned by the main frame
    CPrinting m_Printing;
};

// The profile: "Local AppWizard-Generated Applications", then "Tessaly".
std::unique_ptr<QSettings> OpenProfile();

}  // namespace tessaly
