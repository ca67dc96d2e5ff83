#include "CBrindleApp.h"
#include "CDataDefCliloc.h"
#include "CDataDefMap.h"
#include "PatchFileIO.h"

#include "CAboutDlg.h"
#include "CBrindleDoc.h"
#include "CBrindleView.h"
#include "CChildFrame.h"
#include "CDataAppState.h"
#include "CDocTemplate.h"
#include "CMainFrame.h"
#include "ClientFiles.h"
#include "CommandTable.h"
#include "DataTypeDef.h"
#include "EventLog.h"
#include "ResourceIds.h"
#include "Resources.h"
#include "Screenshot.h"
#include "TarnSounds.h"
#include "VerDataTable.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace tessaly {

namespace {

const QString kTitle = QStringLiteral("Tessaly");
const QString kLastViewKey = QStringLiteral("MAIN/LastView");
const QString kRecentFileKey = QStringLiteral("Recent File List/File%1");
const QString kCheckerboardKey = QStringLiteral("View/Checkerboard");
// The folder chosen last with "Open Base Muls...", read again at the next start.
const QString kBaseMulsKey = QStringLiteral("MAIN/BaseMuls");

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

const char kNoDisplayText[] =
    "tessaly: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
    "Run it under a virtual display, for example:\n"
    "  xvfb-run -a tessaly --client-dir DIR\n"
    "or save a picture of its window without any display:\n"
    "  QT_QPA_PLATFORM=offscreen tessaly --client-dir DIR --screenshot tessaly.png\n";

// Whether a folder holds a file of the client's (by any case) or a container.
bool HoldsClientFiles(const std::string& dir) {
    CVerDataTable none;
    CClientFiles probe(&none);
    probe.SetChosenDir(dir);
    return probe.BaseDirHoldsClientFiles();
}

}  // namespace

std::unique_ptr<QSettings> OpenProfile() {
    return std::make_unique<QSettings>(QStringLiteral("Local AppWizard-Generated Applications"),
                                       kTitle);
}

CBrindleApp::CBrindleApp() {
    GetDataState().m_pPatch = &m_Patch;
    RegisterCommands();
}

CBrindleApp::~CBrindleApp() {
    if (CMainFrame* frame = GetMainFrame()) {
        frame->removeEventFilter(this);
    }
    CloseAll();
}

CBrindleApp* CBrindleApp::Instance() {
    return dynamic_cast<CBrindleApp*>(CAppBase::Instance());
}

int CBrindleApp::Main(int argc, char** argv) {
    QStringList raw;
    for (int i = 1; i < argc; ++i) {
        raw << QString::fromLocal8Bit(argv[i]);
    }
    // --help and --version need no window system; Qt's own options are not known yet here.
    CCommandLineInfo early = ParseCommandLine(raw);
    if (early.m_bHelp) {
        std::fputs(GetUsageText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (early.m_bVersion) {
        std::printf("%s\n", kVersionText);
        return 0;
    }
    if (!HasDisplay()) {
        std::fputs(kNoDisplayText, stderr);
        return 1;
    }
    QApplication qapp(argc, argv);
    CCommandLineInfo info = ParseCommandLine(QCoreApplication::arguments().mid(1));
    if (!info.m_sError.isEmpty()) {
        std::fprintf(stderr, "tessaly: %s\n\n%s", info.m_sError.toLocal8Bit().constData(),
                     GetUsageText().toLocal8Bit().constData());
        return 2;
    }
    CBrindleApp app;
    // A picture is taken without anyone to answer a message box.
    CConsoleUi console;
    if (!info.m_sScreenshot.isEmpty()) {
        app.SetUi(&console);
    }
    return app.Run(info);
}

void CBrindleApp::LoadStdProfileSettings() {
    auto profile = OpenProfile();
    m_RecentFiles.clear();
    for (int i = 1; i <= kRecentFileCount; ++i) {
        QString path = profile->value(kRecentFileKey.arg(i)).toString();
        if (!path.isEmpty()) {
            m_RecentFiles << path;
        }
    }
}

void CBrindleApp::SaveRecentFiles() const {
    auto profile = OpenProfile();
    for (int i = 1; i <= kRecentFileCount; ++i) {
        if (i <= m_RecentFiles.size()) {
            profile->setValue(kRecentFileKey.arg(i), m_RecentFiles[i - 1]);
        } else {
            profile->remove(kRecentFileKey.arg(i));
        }
    }
}

void CBrindleApp::AddToRecentFileList(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    QString full = QFileInfo(path).absoluteFilePath();
    m_RecentFiles.removeAll(full);
    m_RecentFiles.prepend(full);
    while (m_RecentFiles.size() > kRecentFileCount) {
        m_RecentFiles.removeLast();
    }
    SaveRecentFiles();
    UpdateRecentFileMenu();
}

bool CBrindleApp::InitInstance(const CCommandLineInfo& info) {
    // 1. Three-dimensional controls are the style's business here.
    // 2, 3. The profile ("Local AppWizard-Generated Applications" / "Tessaly") and the
    // recent-file list of 4.
    LoadStdProfileSettings();
    DataAppState().m_bCheckerboard = OpenProfile()->value(kCheckerboardKey, false).toBool();

    // 4. The one document template.
    AddDocTemplate(std::make_unique<CDocTemplate>(
        ids::IDR_BRINDLTYPE, QStringLiteral("mul"), [] { return new CBrindleDoc; },
        [] { return new CBrindleView; }));

    // 5. The main frame, whose caption adds the active document's title.
    auto owned = std::make_unique<CMainFrame>();
    if (!owned->OnCreate()) {
        return false;
    }
    CMainFrame* frame = owned.get();
    SetMainFrame(std::move(owned));
    frame->setWindowTitle(kTitle);
    frame->setWindowIcon(LoadResourceIcon(ids::IDR_MAINFRAME));
    frame->resize(1000, 700);
    BuildMenus();
    connect(frame->GetMdiArea(), &QMdiArea::subWindowActivated, this,
            [this] { OnActiveChildChanged(); });

    // 6. Files dropped on the window open as documents; closing the window asks first. The
    // document type is registered with the desktop at installation.
    frame->setAcceptDrops(true);
    frame->installEventFilter(this);

    // 7. The client's directories. A folder given on the command line is where the user says
    // the files are, so a missing install does not need reporting then; a folder that is not
    // there is named, and the installed client is read instead.
    CClientFiles& files = TheClientFiles();
    bool found = false;
    try {
        found = files.FindClientDirs();
    } catch (...) {
        LogCaughtException("finding the client directories");
        found = false;
    }
    bool chosen = false;
    if (!info.m_sClientDir.isEmpty()) {
        const std::string dir = info.m_sClientDir.toStdString();
        chosen = QFileInfo(info.m_sClientDir).isDir();
        if (chosen) {
            files.SetChosenDir(dir);
        } else {
            GetUi().ShowMessage("'" + dir + "' is not a directory");
        }
    }
    // Without one, the folder the user chose last in the window, while it holds client files
    // (its listing is kept for the opens that follow).
    if (info.m_sClientDir.isEmpty()) {
        const std::string remembered = OpenProfile()->value(kBaseMulsKey).toString().toStdString();
        if (!remembered.empty()) {
            files.SetChosenDir(remembered);
            chosen = files.BaseDirHoldsClientFiles();
            if (!chosen) {
                files.SetChosenDir(std::string());
            }
        }
    }
    if (!chosen && !found) {
        GetUi().ShowMessage("Can't find the client install dir");
    }

    // 8. The base files.
    OpenBaseFiles();

    // 9. The sound output for the main window.
    CTarnSounds& sounds = TheSounds();
    if (!sounds.IsInit()) {
        try {
            sounds.Init(frame, CMapPoint(0, 0, 0, 0));
        } catch (...) {
            LogCaughtException("starting the sound output");
            // No sound device: the program runs silent.
        }
    }

    // 10-12. The command line, then "MAIN"/"LastView" decide the first action: a request of
    // the desktop shell makes a new document; else the file opened last opens (its failure is
    // tolerated and a file name on the command line is not used); else a new document.
    QString lastView = OpenProfile()->value(kLastViewKey).toString();
    bool ok = true;
    if (info.IsShellCommand() || lastView.isEmpty()) {
        ok = OnFileNew() != nullptr;
    } else {
        OpenDocument(lastView);
    }
    // 13.
    if (!ok) {
        return false;
    }
    for (const QString& path : info.m_OpenFiles) {
        OpenPath(path);
    }
    if (!info.m_sLanguage.isEmpty()) {
        SetClilocLanguage(info.m_sLanguage.toStdString());
    }
    if (info.m_nFacet >= 0) {
        SetChosenFacet(info.m_nFacet);
    }
    if (!info.m_sCategory.isEmpty()) {
        ShowCategory(info.m_sCategory);
    }
    if (info.m_bThumbnails) {
        // As the View menu's "Thumb Nail" does; refused on VerData.
        frame->RouteCommand(ids::ID_VIEW_THUMBNAIL);
    }

    // 14.
    frame->show();
    UpdateMenuBar();
    UpdateTitle();
    frame->UpdateCommandUI();
    return true;
}

int CBrindleApp::Run(const CCommandLineInfo& info) {
    if (!InitInstance(info)) {
        ExitInstance();
        return 1;
    }
    int code = 0;
    if (!info.m_sScreenshot.isEmpty()) {
        code = RunScreenshot(GetMainFrame(), info);
    } else {
        QString error;
        if (!info.m_sProperties.isEmpty() &&
            OpenRequestedSheet(GetMainFrame(), info, error) == nullptr) {
            std::fprintf(stderr, "tessaly: %s\n", error.toLocal8Bit().constData());
            code = 2;
        } else {
            code = QApplication::exec();
        }
    }
    int exitCode = ExitInstance();
    return code != 0 ? code : exitCode;
}

int CBrindleApp::ExitInstance() {
    ClosePatch();
    return 0;
}

bool CBrindleApp::PatchDialogs::AskYesNo(const std::string& text) {
    return m_App.GetUi().AskYesNo(text);
}

void CBrindleApp::PatchDialogs::ShowMessage(const std::string& text) {
    m_App.GetUi().ShowMessage(text);
}

bool CBrindleApp::PatchDialogs::MaySaveOver(const std::string& path) {
    const std::string refusal =
        CClientFiles::RefuseAsPatchFile(path, std::filesystem::path(path).filename().string());
    if (!refusal.empty()) {
        m_App.GetUi().ShowWarning(refusal + ": the patch is not saved over it.");
        return false;
    }
    return true;
}

std::optional<std::string> CBrindleApp::PatchDialogs::ChooseFile(const PatchFileDialog& dialog) {
    std::optional<std::string> path = m_App.GetUi().ChooseFile(dialog);
    if (path && dialog.bSave && !MaySaveOver(*path)) {
        return std::nullopt;
    }
    return path;
}

bool CBrindleApp::ClosePatch() {
    return m_Patch.ClosePatch(m_PatchDialogs);
}

void CBrindleApp::RegisterCommands() {
    using namespace ids;
    AddCommand(ID_APP_ABOUT, [this] { OnAppAbout(); });
    AddCommand(ID_OPEN_BASE_MULS, [this] { OnOpenBaseMuls(); });
    // Kept in the menu, greyed: loading scripts is not part of this program.
    AddUpdate(ID_OPEN_BASE_SCRIPTS, [](CCmdUI& ui) {
        ui.Enable(false, "Not available: Tessaly does not read the client's scripts");
    });
    AddUpdate(ID_MERGE_VERDATA, [](CCmdUI& ui) {
        ui.Enable(false, "Not available: Tessaly does not merge verdata files");
    });
    AddUpdate(ID_WRITE_RADAR_COLORS, [](CCmdUI& ui) {
        ui.Enable(false, "Not available: Tessaly does not write radar colours");
    });
    AddCommand(ID_APP_EXIT, [this] { OnAppExit(); });

    // Asked only when no document decides: nothing to save.
    auto disabled = [](CCmdUI& ui) { ui.Enable(false); };
    AddUpdate(ID_FILE_SAVE, disabled);
    AddUpdate(ID_FILE_SAVE_FAST, disabled);
    AddUpdate(ID_FILE_SAVE_AS, disabled);

    // The ".pat" patch.
    AddCommand(ID_OPEN_PATCH, [this] { m_Patch.OpenPatch(m_PatchDialogs); });
    AddCommand(
        ID_CLOSE_PATCH, [this] { ClosePatch(); },
        [this](CCmdUI& ui) { ui.Enable(m_Patch.HasPath()); });
    AddCommand(
        ID_MERGE_PATCH, [this] { m_Patch.MergePatch(m_PatchDialogs); },
        [this](CCmdUI& ui) { ui.Enable(m_Patch.HasPath()); });
    AddCommand(
        ID_SAVE_PATCH, [this] { m_Patch.SavePatch(m_PatchDialogs); },
        [this](CCmdUI& ui) { ui.Enable(m_Patch.HasRecords()); });
    AddCommand(
        ID_SAVE_PATCH_AS, [this] { m_Patch.SavePatchAs(m_PatchDialogs); },
        [this](CCmdUI& ui) { ui.Enable(m_Patch.HasRecords()); });

    // The recent-file list.
    AddCommandRange(
        ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE1 + kRecentFileCount - 1,
        [this](int id) { OpenRecentFile(id - ID_FILE_MRU_FILE1); },
        [this](int id, CCmdUI& ui) { ui.Enable(id - ID_FILE_MRU_FILE1 < m_RecentFiles.size()); });

    // Standard commands of the frame and its documents. A print shows the active view's content.
    m_Printing.m_GetContent = [this] {
        CMainFrame* frame = GetMainFrame();
        auto* view =
            frame != nullptr ? dynamic_cast<CBrindleView*>(frame->GetActiveView()) : nullptr;
        return view != nullptr ? view->GetPrintContent() : PrintContent();
    };
    auto withChild = [this](CCmdUI& ui) { ui.Enable(HasActiveChild()); };
    AddCommand(
        ID_FILE_CLOSE, [this] { OnFileClose(); }, withChild);
    AddCommand(
        ID_FILE_PRINT, [this] { m_Printing.OnFilePrint(GetUi(), GetMainFrame()); }, withChild);
    AddCommand(
        ID_FILE_PRINT_PREVIEW, [this] { m_Printing.OnFilePrintPreview(GetUi(), GetMainFrame()); },
        withChild);
    AddCommand(ID_FILE_PRINT_SETUP,
               [this] { m_Printing.OnFilePrintSetup(GetUi(), GetMainFrame()); });
    AddCommand(
        ID_WINDOW_NEW, [this] { OnWindowNew(); }, withChild);
    AddCommand(
        ID_WINDOW_CASCADE, [this] { GetMainFrame()->GetMdiArea()->cascadeSubWindows(); },
        withChild);
    AddCommand(
        ID_WINDOW_TILE_HORZ, [this] { GetMainFrame()->GetMdiArea()->tileSubWindows(); }, withChild);
    AddCommand(
        ID_WINDOW_ARRANGE, [this] { ArrangeIcons(); }, withChild);
    AddCommand(
        ID_NEXT_PANE, [this] { GetMainFrame()->GetMdiArea()->activateNextSubWindow(); }, withChild);
    AddCommand(
        ID_PREV_PANE, [this] { GetMainFrame()->GetMdiArea()->activatePreviousSubWindow(); },
        withChild);
    AddCommand(
        ID_VIEW_STATUS_BAR,
        [this] {
            QStatusBar* bar = GetMainFrame()->statusBar();
            bar->setVisible(bar->isHidden());
        },
        [this](CCmdUI& ui) {
            ui.Enable(true);
            ui.SetCheck(GetMainFrame() != nullptr && !GetMainFrame()->statusBar()->isHidden());
        });
    AddCommand(
        ID_VIEW_CHECKERBOARD,
        [] {
            bool& on = DataAppState().m_bCheckerboard;
            on = !on;
            OpenProfile()->setValue(kCheckerboardKey, on);
            // The pages and grids paint their pictures again on the new background.
            for (QWidget* widget : QApplication::allWidgets()) {
                widget->update();
            }
        },
        [](CCmdUI& ui) {
            ui.Enable(true);
            ui.SetCheck(DataAppState().m_bCheckerboard);
        });
}

void CBrindleApp::SetupAction(int nId) {
    CMainFrame* frame = GetMainFrame();
    bool known = frame->HasAction(nId);
    QAction* action = frame->GetAction(nId);
    if (known) {
        return;
    }
    QList<QKeySequence> keys;
    for (const char* key : GetAcceleratorKeys(nId)) {
        keys << QKeySequence(QString::fromLatin1(key), QKeySequence::PortableText);
    }
    action->setShortcuts(keys);
    if (const char* prompt = GetCommandPrompt(nId)) {
        const QStringList parts = QString::fromLatin1(prompt).split(QLatin1Char('\n'));
        action->setStatusTip(parts.front());
        if (parts.size() > 1) {
            action->setToolTip(parts[1]);
            action->setProperty(CMainFrame::kPromptTip, parts[1]);
        }
    }
    // Keys work whichever menu is on the menu bar.
    frame->addAction(action);
}

void CBrindleApp::BuildMenus() {
    CMainFrame* frame = GetMainFrame();
    for (int resource : {ids::IDR_MAINFRAME, ids::IDR_BRINDLTYPE}) {
        std::vector<QMenu*>& menus = m_Menus[resource];
        for (const MenuDef& def : GetMenuBar(resource)) {
            auto* menu = new QMenu(QString::fromLatin1(def.pszTitle), frame);
            // Disabled items say why in their tool tips.
            menu->setToolTipsVisible(true);
            for (const MenuItemDef& item : def.items) {
                if (item.nId == 0) {
                    menu->addSeparator();
                    continue;
                }
                int count = item.nId == ids::ID_FILE_MRU_FILE1 ? kRecentFileCount : 1;
                for (int id = item.nId; id < item.nId + count; ++id) {
                    SetupAction(id);
                    QAction* action = frame->GetAction(id);
                    if (item.bStartsDisabled) {
                        action->setEnabled(false);
                    }
                    menu->addAction(action);
                }
            }
            frame->WatchMenu(menu);
            if (std::strcmp(def.pszTitle, "&Window") == 0) {
                frame->WatchWindowMenu(menu);
            }
            menus.push_back(menu);
        }
    }
    for (const CommandKeyDef& keys : GetCommandKeys()) {
        SetupAction(keys.nId);
    }
    UpdateRecentFileMenu();
}

std::vector<QMenu*> CBrindleApp::GetMenus(int nResource) const {
    auto it = m_Menus.find(nResource);
    return it != m_Menus.end() ? it->second : std::vector<QMenu*>();
}

bool CBrindleApp::HasActiveChild() const {
    CMainFrame* frame = GetMainFrame();
    return frame != nullptr && frame->GetActiveChild() != nullptr;
}

void CBrindleApp::UpdateMenuBar() {
    CMainFrame* frame = GetMainFrame();
    if (frame == nullptr) {
        return;
    }
    int resource = ids::IDR_MAINFRAME;
    for (QMdiSubWindow* sub : frame->GetMdiArea()->subWindowList()) {
        if (qobject_cast<CChildFrame*>(sub) != nullptr) {
            resource = ids::IDR_BRINDLTYPE;
        }
    }
    if (resource == m_nMenuResource) {
        return;
    }
    m_nMenuResource = resource;
    QMenuBar* bar = frame->menuBar();
    bar->clear();
    for (QMenu* menu : m_Menus[resource]) {
        bar->addMenu(menu);
        // New and Open read differently in the two menus; they share one action each.
        for (const MenuDef& def : GetMenuBar(resource)) {
            for (const MenuItemDef& item : def.items) {
                if (item.pszText != nullptr && item.nId != ids::ID_FILE_MRU_FILE1) {
                    frame->GetAction(item.nId)->setText(
                        QString::fromLatin1(GetMenuItemText(item).c_str()));
                }
            }
        }
    }
    frame->UpdateCommandUI();
}

void CBrindleApp::UpdateRecentFileMenu() {
    CMainFrame* frame = GetMainFrame();
    if (frame == nullptr) {
        return;
    }
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* action = frame->GetAction(ids::ID_FILE_MRU_FILE1 + i);
        if (i < m_RecentFiles.size()) {
            QString path = m_RecentFiles[i];
            path.replace(QLatin1Char('&'), QStringLiteral("&&"));
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(path));
            action->setVisible(true);
        } else {
            // An empty list shows one disabled placeholder.
            action->setText(QStringLiteral("Recent File"));
            action->setVisible(i == 0);
        }
    }
    frame->UpdateCommandUI();
}

void CBrindleApp::UpdateTitle() {
    CMainFrame* frame = GetMainFrame();
    if (frame == nullptr) {
        return;
    }
    CDocument* doc = frame->GetActiveDocument();
    frame->setWindowTitle(doc != nullptr ? QStringLiteral("%1 - %2").arg(kTitle, doc->GetTitle())
                                         : kTitle);
}

void CBrindleApp::OnActiveChildChanged() {
    UpdateMenuBar();
    UpdateTitle();
}

CDocument* CBrindleApp::OnFileOpen() {
    CDocument* doc = CAppBase::OnFileOpen();
    if (doc != nullptr) {
        AddToRecentFileList(doc->GetPathName());
    }
    return doc;
}

CDocument* CBrindleApp::OpenDocument(const QString& path) {
    CDocument* doc = OpenDocumentFile(path);
    if (doc != nullptr) {
        AddToRecentFileList(doc->GetPathName());
    }
    UpdateMenuBar();
    UpdateTitle();
    return doc;
}

void CBrindleApp::OpenRecentFile(int nIndex) {
    if (nIndex < 0 || nIndex >= m_RecentFiles.size()) {
        return;
    }
    QString path = m_RecentFiles[nIndex];
    if (OpenDocument(path) == nullptr) {
        // A file that no longer opens leaves the list.
        m_RecentFiles.removeAll(path);
        SaveRecentFiles();
        UpdateRecentFileMenu();
    }
}

bool CBrindleApp::SaveAllModified() {
    for (CDocument* doc : GetDocuments()) {
        if (!doc->SaveModified()) {
            return false;
        }
    }
    return true;
}

void CBrindleApp::OnAppAbout() {
    CAboutDlg dlg(GetMainFrame());
    GetUi().RunDialog(dlg);
}

void CBrindleApp::OpenBaseFiles() {
    // The first file missing is reported; the slots after it stay closed.
    std::int32_t failed = kFileSlotCount;
    try {
        failed = TheClientFiles().OpenAll(0xFFFFFFFFu);
    } catch (...) {
        LogCaughtException("opening the base files");
        failed = kFileSlotCount;
    }
    if (failed != kFileSlotCount) {
        // A file that is there but does not open (its permissions, say) is named as such.
        const std::string why = TheClientFiles().DescribeUnopenedSlot(failed);
        const char* name = CClientFiles::GetFileName(failed);
        GetUi().ShowMessage(!why.empty() ? why
                                         : std::string("Can't Find File '") +
                                               (name != nullptr ? name : "") + "'");
    }
}

void CBrindleApp::OnOpenBaseMuls() {
    CClientFiles& files = TheClientFiles();
    // The browser opens at the current base directory: the chosen one, else the client's.
    auto dir =
        GetUi().ChooseFolder("Folder containing base MUL files.", files.GetBasePath(nullptr));
    if (dir && !dir->empty()) {
        OpenClientFolder(*dir);
    }
}

void CBrindleApp::OpenClientFolder(const std::string& dir) {
    CClientFiles& files = TheClientFiles();
    // A folder without any of the client's files (a slip of the mouse) leaves the client open.
    if (!HoldsClientFiles(dir)) {
        GetUi().ShowMessage("'" + dir + "' holds none of the client's files");
        return;
    }
    // The chosen client is read whole, files opened before included (keeping them would show
    // one client's entries with the other's data): the views let go of their entries, every
    // file closes and opens again there, and the views come back. A document made from the
    // client's own patch file takes the new client's; the others keep theirs.
    if (!AskSaveAllSheets()) {
        return;
    }
    std::vector<CBrindleDoc*> docs;
    for (CDocument* doc : GetDocuments()) {
        if (auto* brindle = dynamic_cast<CBrindleDoc*>(doc)) {
            docs.push_back(brindle);
        }
    }
    for (CBrindleDoc* doc : docs) {
        doc->DetachViews();
    }
    files.CloseAll();
    files.SetChosenDir(dir);
    CBrindleDoc::FollowClientFolder(docs);
    OpenBaseFiles();
    for (CBrindleDoc* doc : docs) {
        doc->ReattachViews();
    }
    OpenProfile()->setValue(kBaseMulsKey, QString::fromStdString(dir));
}

bool CBrindleApp::AskSaveAllSheets() {
    return DataAppState().AskSaveSheets([](const CDataDef* /*entry*/) { return true; });
}

bool CBrindleApp::AskSaveAllBeforeExit() {
    // Nothing is discarded before every question is answered: a Cancel at a document's
    // question keeps the patch open as it was, even after No to saving it.
    if (!AskSaveAllSheets() || !m_Patch.OfferToSave(m_PatchDialogs) || !SaveAllModified()) {
        return false;
    }
    m_Patch.Clear();
    return true;
}

void CBrindleApp::OnAppExit() {
    if (!AskSaveAllBeforeExit()) {
        return;
    }
    if (CMainFrame* frame = GetMainFrame()) {
        frame->close();
    }
}

bool CBrindleApp::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pWatched != GetMainFrame()) {
        return false;
    }
    switch (pEvent->type()) {
        case QEvent::Close:
            // The sheets' edits (which go into the ".pat" patch), the patch and the documents
            // are offered for saving before the frame goes; a save that failed or was
            // cancelled keeps the program running.
            if (!AskSaveAllBeforeExit()) {
                pEvent->ignore();
                return true;
            }
            return false;
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return OnDropEvent(pEvent);
        default:
            return false;
    }
}

void CBrindleApp::OpenPath(const QString& path) {
    if (QFileInfo(path).isDir()) {
        OpenClientFolder(QDir::cleanPath(path).toStdString());
    } else if (IsPatFile(path.toStdString())) {
        m_Patch.OpenPatchFile(m_PatchDialogs, path.toStdString());
    } else {
        OpenDocument(path);
    }
}

bool CBrindleApp::OnDropEvent(QEvent* pEvent) {
    auto* drop = static_cast<QDropEvent*>(pEvent);
    QStringList paths;
    if (drop->mimeData() != nullptr) {
        for (const QUrl& url : drop->mimeData()->urls()) {
            if (url.isLocalFile()) {
                paths << url.toLocalFile();
            }
        }
    }
    if (paths.isEmpty()) {
        return false;
    }
    drop->acceptProposedAction();
    if (pEvent->type() == QEvent::Drop) {
        GetMainFrame()->activateWindow();
        for (const QString& path : paths) {
            OpenPath(path);
        }
    }
    return true;
}

void CBrindleApp::OnFileClose() {
    CDocument* doc = GetMainFrame()->GetActiveDocument();
    if (doc == nullptr || !doc->AskSaveSheets() || !doc->SaveModified()) {
        return;
    }
    // The last frame to go closes and deletes the document.
    for (CView* view : std::vector<CView*>(doc->GetViews())) {
        if (CChildFrame* frame = view->GetParentFrame()) {
            frame->CloseFrame();
        }
    }
    UpdateMenuBar();
    UpdateTitle();
}

void CBrindleApp::OnWindowNew() {
    CMainFrame* frame = GetMainFrame();
    CDocument* doc = frame->GetActiveDocument();
    if (doc != nullptr && doc->GetDocTemplate() != nullptr) {
        doc->GetDocTemplate()->CreateNewFrame(doc, frame);
    }
}

void CBrindleApp::ArrangeIcons() {
    // Minimized frames line up along the bottom of the window area, left to right.
    QMdiArea* area = GetMainFrame()->GetMdiArea();
    int x = 0;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder)) {
        if (sub->isMinimized()) {
            sub->move(x, area->viewport()->height() - sub->height());
            x += sub->width();
        }
    }
}

bool CBrindleApp::ShowCategory(const QString& name) {
    std::int32_t id = FindCategory(name.toStdString());
    CMainFrame* frame = GetMainFrame();
    auto* view = frame != nullptr ? dynamic_cast<CBrindleView*>(frame->GetActiveView()) : nullptr;
    if (id == 0 || view == nullptr) {
        return false;
    }
    view->SetCategory(id);
    frame->UpdateCommandUI();
    return true;
}

}  // namespace tessaly
