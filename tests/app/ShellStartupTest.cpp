// Start-up of the real application object on the offscreen platform: the order of its steps and
// its messages, "MAIN"/"LastView", the command line, the About box, "Open Base Muls...", the
// recent-file list and files dropped on the main window.

#include "AnimPages.h"
#include "CAboutDlg.h"
#include "CBrindleDoc.h"
#include "CChildFrame.h"
#include "CDataPageDraw.h"
#include "CDataProps.h"
#include "CDocTemplate.h"
#include "ClientFiles.h"
#include "ResourceIds.h"
#include "SampleClient.h"
#include "Screenshot.h"
#include "ShellTestSupport.h"
#include "patch/PatchBuilder.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>

#include <sys/stat.h>

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;

using ShellStartupTest = ShellTest;

// The words of a command line, split at spaces.
QStringList Words(const char* line) {
    return QString::fromLatin1(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

CBrindleDoc* OnlyDocument(CBrindleApp& app) {
    const auto& docs = app.GetDocTemplate(0)->GetDocuments();
    return docs.size() == 1 ? dynamic_cast<CBrindleDoc*>(docs.front()) : nullptr;
}

// A client dir that is not there is named and the install looked for; without a client the
// first slot with a name is the first file missing. Each message shows once the frame exists.
// A missing "art.mul" is one message and the slots after it stay closed; one that is there but
// does not open is named with the reason, not as missing.
TEST_F(ShellStartupTest, AMissingClientOrFileIsReportedOnceTheFrameExistsAndStartUpGoesOn) {
    std::vector<std::pair<bool, std::size_t>> stateAtMessage;  // frame made, documents
    m_Ui.m_OnMessage = [this, &stateAtMessage](const std::string&) {
        stateAtMessage.emplace_back(m_pApp->GetMainFrame() != nullptr, DocumentCount());
    };
    const std::string nowhere = TestPath("nowhere");
    ASSERT_TRUE(StartOnClient(nowhere));
    EXPECT_EQ(m_Ui.m_Messages, (std::vector<std::string>{"'" + nowhere + "' is not a directory",
                                                         "Can't find the client install dir",
                                                         "Can't Find File 'map0.mul'"}));
    EXPECT_EQ(stateAtMessage, (std::vector<std::pair<bool, std::size_t>>(3, {true, 0})));
    // The new document of a client without "verdata.mul" has no entries, and no message.
    CBrindleDoc* doc = OnlyDocument(*m_pApp);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->m_VerData.GetCount(), 0);
    EXPECT_TRUE(m_pApp->GetMainFrame()->isVisible());
    EXPECT_TRUE(m_Ui.m_Warnings.empty());

    Stop();
    m_Ui.m_Messages.clear();
    const std::string dir = ClientWithout({"art.mul"});
    ASSERT_TRUE(StartOnClient(dir));
    EXPECT_EQ(m_Ui.m_Messages, (std::vector<std::string>{"Can't Find File 'art.mul'"}));
    CClientFiles& files = TheClientFiles();
    for (std::int32_t slot = kSlotMap0; slot < kSlotArt; ++slot) {
        EXPECT_TRUE(files.GetFile(slot).IsOpen()) << slot;
    }
    for (std::int32_t slot : {kSlotArt, kSlotAnimIdx, kSlotSound, kSlotHues}) {
        EXPECT_FALSE(files.GetFile(slot).IsOpen()) << slot;
    }
    Stop();
    m_Ui.m_Messages.clear();
    ASSERT_EQ(::mkfifo((dir + "/art.mul").c_str(), 0600), 0);
    ASSERT_TRUE(StartOnClient(dir));
    EXPECT_EQ(m_Ui.m_Messages,
              (std::vector<std::string>{"'" + dir +
                                        "/art.mul' cannot be opened: it is not a regular file"}));
}

// Without "LastView" an untitled document of the client's "verdata.mul" opens (a file name on the
// command line changes nothing); "LastView" opens, whatever file the command line names; once its
// file is gone, start-up ends with no document after the platform's message.
TEST_F(ShellStartupTest, LastViewOrElseTheClientsVerDataOpensAndWithoutItsFileNothingDoes) {
    ASSERT_TRUE(StartOnSample({QString::fromStdString(SampleVerData())}));
    EXPECT_TRUE(m_Ui.m_Messages.empty());
    CBrindleDoc* doc = OnlyDocument(*m_pApp);
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(doc->GetPathName().isEmpty());
    EXPECT_EQ(
        DescribeActiveView(m_pApp->GetMainFrame()),
        QStringLiteral("VerData list, %1 rows").arg(LoadLE32(ReadBytes(SampleVerData()).data())));
    EXPECT_EQ(m_pApp->GetMainFrame()->windowTitle(), QStringLiteral("Tessaly - mul1"));
    // The hue and multi pages find the application's patch.
    EXPECT_EQ(DataAppState().m_pPatch, &m_pApp->GetPatch());
    EXPECT_TRUE(m_pApp->GetRecentFiles().isEmpty());

    Stop();
    std::string last = CopyOfSampleVerData("last.mul");
    SetLastView(QString::fromStdString(last));
    ASSERT_TRUE(StartOnSample({QString::fromStdString(CopyOfSampleVerData("other.mul"))}));
    doc = OnlyDocument(*m_pApp);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetPathName(), QFileInfo(QString::fromStdString(last)).absoluteFilePath());
    EXPECT_EQ(m_pApp->GetRecentFiles(), QStringList{doc->GetPathName()});
    EXPECT_EQ(m_pApp->GetMainFrame()->windowTitle(), QStringLiteral("Tessaly - last.mul"));

    Stop();
    SetLastView(QString::fromStdString(TestPath("gone.mul")));
    ASSERT_TRUE(StartOnSample());
    EXPECT_EQ(DocumentCount(), 0u);
    EXPECT_EQ(m_pApp->GetMenuResource(), ids::IDR_MAINFRAME);
    // The open failure is the framework's own message; the shell adds none.
    EXPECT_EQ(m_Ui.m_Warnings,
              std::vector<std::string>{"Cannot open the file " + TestPath("gone.mul") + "."});
    EXPECT_TRUE(m_Ui.m_Messages.empty());
}

// Each --open is taken as a drop is (the drop test covers folders and ".pat" files in full).
TEST_F(ShellStartupTest, OpenRequestOfTheDesktopFollowsANewDocument) {
    SetLastView(QString::fromStdString(CopyOfSampleVerData("last.mul")));
    const std::string pat = m_Dir.Write(
        "open.pat",
        PatchFileBuilder().Record(kPatchTypeHues, 3, PatchFileBuilder::Bytes(88)).Build());
    ASSERT_TRUE(StartOnSample({QStringLiteral("--open"), QString::fromStdString(SampleVerData()),
                               QStringLiteral("--open"), QString::fromStdString(pat)}));
    EXPECT_EQ(m_pApp->GetPatch().Path(), pat);
    // A request of the shell makes a new document first, whatever "LastView" says.
    const auto& docs = m_pApp->GetDocTemplate(0)->GetDocuments();
    ASSERT_EQ(docs.size(), 2u);
    EXPECT_TRUE(docs[0]->GetPathName().isEmpty());
    EXPECT_EQ(docs[1]->GetPathName(),
              QFileInfo(QString::fromStdString(SampleVerData())).absoluteFilePath());
}

// --category shows that category in the active view (a name it does not know changes nothing);
// --properties opens the sheet of its entry there, and the animation options choose a body's
// frame.
TEST_F(ShellStartupTest, SheetOptionsOpenTheEntrysSheetOnTheNamedPageAndFrame) {
    const QStringList args = Words("--category gumps --properties 0xF7 --page Gump");
    ASSERT_TRUE(StartOnSample(args));
    CMainFrame* frame = m_pApp->GetMainFrame();
    CBrindleView* view = ActiveView();
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(m_pApp->ShowCategory(QStringLiteral("Nonsense")));
    EXPECT_EQ(view->m_nCategory, ids::ID_DATA_GUMPS);
    QString error;
    CCommandLineInfo info = ParseCommandLine(args);
    CDataProps* sheet = OpenRequestedSheet(frame, info, error);
    ASSERT_NE(sheet, nullptr) << error.toStdString();
    EXPECT_EQ(sheet->windowTitle(), QStringLiteral("Gumps - 0f7"));
    EXPECT_EQ(sheet->GetActivePage()->windowTitle(), QStringLiteral("Gump"));
    // --hue fills the page's "Hue" field.
    info.m_nHue = 0x35;
    ASSERT_EQ(OpenRequestedSheet(frame, info, error), sheet);
    EXPECT_EQ(sheet->GetActivePage()->findChild<CHueField*>()->GetHue(), 0x35);
    info.m_nHue = -1;

    // The picture goes to the file; a missing entry or page is a one-line error and status 2.
    info.m_sScreenshot = QString::fromStdString(TestPath("sheet.png"));
    EXPECT_EQ(RunScreenshot(frame, info), 0);
    EXPECT_FALSE(QImage(info.m_sScreenshot).isNull());
    info.m_sPage = QStringLiteral("Nothing");
    EXPECT_EQ(OpenRequestedSheet(frame, info, error), nullptr);
    EXPECT_EQ(error, QStringLiteral("the sheet of Gumps entry 0xF7 has no page \"Nothing\" (it "
                                    "has: Gump)"));
    EXPECT_EQ(RunScreenshot(frame, info), 2);
    info.m_sPage.clear();
    info.m_nProperties = 0x4444;
    info.m_sProperties = QStringLiteral("0x4444");
    EXPECT_EQ(OpenRequestedSheet(frame, info, error), nullptr);
    EXPECT_EQ(error, QStringLiteral("Gumps has no entry 0x4444"));

    // The animation options choose the frame of a body's sheet, or are a one-line error.
    ASSERT_TRUE(m_pApp->ShowCategory(QStringLiteral("Anims")));
    info = ParseCommandLine(Words("--properties 400 --action 1 --direction 4 --frame 3"));
    sheet = OpenRequestedSheet(frame, info, error);
    ASSERT_NE(sheet, nullptr) << error.toStdString();
    auto* page = dynamic_cast<CDataPageAnimDraw*>(sheet->GetActivePage());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->m_nAction, 1);
    EXPECT_EQ(page->m_nDirection, 4);
    EXPECT_EQ(page->m_sFrame, QStringLiteral("3/8"));
    info.m_nFrame = 8;
    EXPECT_EQ(OpenRequestedSheet(frame, info, error), nullptr);
    EXPECT_EQ(error, QStringLiteral("frame 8 is out of range (0 to 7)"));
    info.m_nFrame = -1;
    info.m_nDirection = 5;
    EXPECT_EQ(OpenRequestedSheet(frame, info, error), nullptr);
    EXPECT_EQ(error, QStringLiteral("direction 5 is out of range (0 to 4)"));
}

TEST(ShellCommandLine, OptionsValuesAndErrors) {
    CCommandLineInfo info = ParseCommandLine(
        Words("--client-dir /c a.mul --screenshot=shot.png --category Items b.mul --open x.mul"));
    EXPECT_TRUE(info.m_sError.isEmpty());
    EXPECT_EQ(info.m_sClientDir, QStringLiteral("/c"));
    EXPECT_EQ(info.m_strFileName, QStringLiteral("a.mul"));
    EXPECT_EQ(info.m_sScreenshot, QStringLiteral("shot.png"));
    EXPECT_EQ(info.m_OpenFiles, QStringList{QStringLiteral("x.mul")});
    EXPECT_TRUE(info.IsShellCommand());
    EXPECT_FALSE(ParseCommandLine(Words("a.mul")).IsShellCommand());

    // Each mistake is one line of error.
    const std::pair<const char*, const char*> mistakes[] = {
        {"--client-dir", "--client-dir needs a value"},
        {"--screenshot=", "--screenshot needs a value"},
        {"--bogus", "unknown option --bogus"},
        {"--hue 3", "--hue needs --properties"},
        {"--properties 0x1g", "invalid entry number '0x1g'"},
        {"--page Item", "--page needs --properties"},
        {"--properties 1 --hue 3001", "invalid hue number '3001' (0 to 3000)"},
        {"--frame 2", "--frame needs --properties"},
        {"--properties 1 --action=x", "invalid --action value 'x'"},
        {"--facet 6", "invalid facet '6' (0 to 5)"},
    };
    for (const auto& [line, error] : mistakes) {
        EXPECT_EQ(ParseCommandLine(Words(line)).m_sError, QString::fromLatin1(error)) << line;
    }
    // After "--" everything is a file name.
    EXPECT_TRUE(ParseCommandLine(Words("--help")).m_bHelp);
    CCommandLineInfo files = ParseCommandLine(Words("-- --help"));
    EXPECT_FALSE(files.m_bHelp);
    EXPECT_EQ(files.m_strFileName, QStringLiteral("--help"));

    // --help is laid out from the options' descriptions, within a terminal's width.
    const QString usage = GetUsageText();
    EXPECT_TRUE(
        usage.contains("\n  --client-dir DIR    look for the client's base files in DIR first\n"));
    for (const QString& line : usage.split(QLatin1Char('\n'))) {
        EXPECT_LE(line.size(), 79) << line.toStdString();
    }
}

TEST_F(ShellStartupTest, AboutBoxShowsTheVersionAndTheBuildsDateAndTime) {
    ASSERT_TRUE(StartOnSample());
    ASSERT_TRUE(Command(ids::ID_APP_ABOUT));
    ASSERT_EQ(m_Ui.m_Shown.size(), 1u);
    const ScriptedUi::ShownDialog& about = m_Ui.m_Shown[0];
    EXPECT_EQ(about.title, QStringLiteral("About Tessaly"));
    EXPECT_TRUE(about.texts.contains(QStringLiteral("Tessaly Version 0.54v")));
    // "Jan 12 2001  03:29:26": month, day (space-padded), year, two spaces, the time.
    QRegularExpression build(QStringLiteral(
        R"(^This Build completed on [A-Z][a-z]{2} [ 123]\d \d{4}  \d{2}:\d{2}:\d{2}$)"));
    EXPECT_EQ(about.texts.filter(build).size(), 1)
        << about.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(FormatBuildStamp("Jan 12 2001", "03:29:26"), QStringLiteral("Jan 12 2001  03:29:26"));
}

// "Open Base Muls..." reads the chosen client whole, the files opened at start-up included: the
// open lists show the new client's entries with their selection kept. The untitled document
// start-up made from the client's "verdata.mul" follows the client; a document opened from a file
// keeps it. Cancelled, or given a folder without client files (which is named), it changes
// nothing. The folder is read again at the next start.
TEST_F(ShellStartupTest, OpenBaseMulsReadsTheChosenClientWhole) {
    ASSERT_TRUE(StartOnSample());
    CClientFiles& files = TheClientFiles();
    CBrindleDoc* untitled = OnlyDocument(*m_pApp);
    ASSERT_NE(untitled, nullptr);
    ASSERT_TRUE(Command(ids::ID_OPEN_BASE_MULS));
    EXPECT_EQ(m_Ui.m_sFolderPrompt, "Folder containing base MUL files.");
    EXPECT_EQ(m_Ui.m_sFolderStart, files.GetBasePath(nullptr));
    EXPECT_EQ(files.m_sChosenDir, SampleDir());
    m_Ui.m_Folder = SampleDir();  // the untitled document alone follows the folder read again
    ASSERT_TRUE(Command(ids::ID_OPEN_BASE_MULS));

    // Made active after the untitled one, a patch file's document lends slot 22 its file.
    ASSERT_NE(m_pApp->OpenDocument(QString::fromStdString(CopyOfSampleVerData("patch.mul"))),
              nullptr);
    CDocument* patchDoc = m_pApp->GetMainFrame()->GetActiveDocument();
    QMdiArea* area = m_pApp->GetMainFrame()->GetMdiArea();
    area->setActiveSubWindow(untitled->GetViews().front()->GetParentFrame());
    area->setActiveSubWindow(patchDoc->GetViews().front()->GetParentFrame());
    CBrindleView* view = ActiveView();
    ASSERT_NE(view, nullptr);
    view->SetCategory(kCategoryItems);
    EXPECT_FALSE(view->m_pList->SelectIndex(0x4321));
    ASSERT_TRUE(view->m_pList->SelectIndex(0xE3C));

    // The newer sample: the list keeps its selection and the patch file's record, and shows the
    // items past 16,384. The sample has no "verdata.mul", and the untitled document follows the
    // client, not the file lent to slot 22: it now holds no records.
    TempDir modern;
    mk::WriteModernClient(modern.Path());
    m_Ui.m_Folder = modern.Path().string();
    ASSERT_TRUE(Command(ids::ID_OPEN_BASE_MULS));
    EXPECT_TRUE(m_Ui.m_Messages.empty());
    EXPECT_EQ(files.GetFile(kSlotArt).GetFilePath(), (modern.Path() / "artLegacyMUL.uop").string());
    ASSERT_NE(view->m_pList->GetSelected(), nullptr);
    EXPECT_EQ(view->m_pList->GetSelected()->GetIndex(), 0xE3Cu);
    EXPECT_STREQ(view->m_pList->GetSelected()->GetColumnText(-1), "*");
    EXPECT_TRUE(view->m_pList->SelectIndex(0x4321));
    EXPECT_EQ(untitled->m_VerData.GetCount(), 0);

    const std::string empty = TestPath("empty");
    fs::create_directory(empty);
    m_Ui.m_Folder = empty;
    ASSERT_TRUE(Command(ids::ID_OPEN_BASE_MULS));
    EXPECT_EQ(m_Ui.m_Messages,
              std::vector<std::string>{"'" + empty + "' holds none of the client's files"});
    EXPECT_EQ(files.m_sChosenDir, modern.Path().string());

    // The next start without --client-dir reads the folder chosen last, without a word about
    // the missing install; once the folder is gone, the install is looked for again.
    Stop();
    m_Ui.m_Messages.clear();
    ASSERT_TRUE(Start());
    EXPECT_EQ(TheClientFiles().m_sChosenDir, modern.Path().string());
    EXPECT_TRUE(m_Ui.m_Messages.empty());
    Stop();
    fs::remove_all(modern.Path());
    ASSERT_TRUE(Start());
    EXPECT_EQ(m_Ui.m_Messages.front(), "Can't find the client install dir");
}

TEST_F(ShellStartupTest, RecentFileListKeepsFourNewestFirstAndSurvivesARestart) {
    ASSERT_TRUE(StartOnSample());
    QStringList paths;
    for (int i = 0; i < 5; ++i) {
        paths << QString::fromStdString(CopyOfSampleVerData("patch" + std::to_string(i) + ".mul"));
        ASSERT_NE(m_pApp->OpenDocument(paths.back()), nullptr);
    }
    const QStringList expected{paths[4], paths[3], paths[2], paths[1]};
    EXPECT_EQ(m_pApp->GetRecentFiles(), expected);
    EXPECT_EQ(GetLastView(), paths[4]);

    QStringList recent;
    for (QAction* item : Menu(QStringLiteral("&File"))) {
        if (const int id = item->data().toInt();
            id >= ids::ID_FILE_MRU_FILE1 && id < ids::ID_FILE_MRU_FILE1 + 4) {
            recent << item->text();
        }
    }
    EXPECT_EQ(recent, (QStringList{"&1 " + paths[4], "&2 " + paths[3], "&3 " + paths[2],
                                   "&4 " + paths[1]}));

    Stop();
    ASSERT_TRUE(StartOnSample());
    EXPECT_EQ(m_pApp->GetRecentFiles(), expected);
    // A file that went away leaves the list when chosen.
    fs::remove(paths[2].toStdString());
    std::size_t before = DocumentCount();
    Command(ids::ID_FILE_MRU_FILE1 + 2);
    EXPECT_EQ(DocumentCount(), before);
    EXPECT_EQ(m_pApp->GetRecentFiles(), (QStringList{paths[4], paths[3], paths[1]}));
    EXPECT_FALSE(State(ids::ID_FILE_MRU_FILE1 + 3).m_bEnabled);
    // A file opened by a relative path is remembered by its full path, for a start elsewhere.
    ASSERT_NE(m_pApp->OpenDocument(QDir::current().relativeFilePath(paths[3])), nullptr);
    EXPECT_EQ(GetLastView(), paths[3]);
    EXPECT_EQ(m_pApp->GetRecentFiles().front(), paths[3]);
}

TEST_F(ShellStartupTest, DroppedFilesOpenAsDocumentsAFolderAsTheClientAndAPatAsThePatch) {
    ASSERT_TRUE(StartOnSample());
    CMainFrame* frame = m_pApp->GetMainFrame();
    // Drags the files (or, with none, a text) onto the window and, when the drag is taken, drops
    // them there; whether it was.
    const auto drop = [frame](const std::vector<std::string>& paths) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const std::string& path : paths) {
            urls << QUrl::fromLocalFile(QString::fromStdString(path));
        }
        if (paths.empty()) {
            mime.setText(QStringLiteral("hello"));
        } else {
            mime.setUrls(urls);
        }
        const QPoint at = frame->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        enter.ignore();
        QApplication::sendEvent(frame, &enter);
        if (enter.isAccepted()) {
            QDropEvent dropped(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(frame, &dropped);
        }
        return enter.isAccepted();
    };
    const std::string b = CopyOfSampleVerData("b.mul");
    EXPECT_TRUE(drop({CopyOfSampleVerData("a.mul"), b}));
    EXPECT_EQ(DocumentCount(), 3u);
    EXPECT_EQ(frame->GetActiveDocument()->GetPathName(),
              QFileInfo(QString::fromStdString(b)).absoluteFilePath());

    // A dropped folder is read as the client, as "Open Base Muls..." reads it.
    const std::string client = ClientWithout({});
    EXPECT_TRUE(drop({client + "/"}));
    EXPECT_EQ(TheClientFiles().m_sChosenDir, client);

    // A dropped ".pat" file becomes the patch, as "Open Patch File..." opens it.
    const std::string pat = m_Dir.Write(
        "drop.pat",
        PatchFileBuilder().Record(kPatchTypeHues, 3, PatchFileBuilder::Bytes(88)).Build());
    EXPECT_TRUE(drop({pat}));
    EXPECT_TRUE(m_pApp->GetPatch().HasRecords());
    EXPECT_EQ(m_pApp->GetPatch().Path(), pat);
    EXPECT_TRUE(m_Ui.m_Messages.empty());
    EXPECT_TRUE(m_Ui.m_Warnings.empty());

    // Something that is not a file is refused.
    EXPECT_FALSE(drop({}));
}

}  // namespace
}  // namespace tessaly::test
