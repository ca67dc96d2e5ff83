// The menus of the real main window: every item's text, id, enabled and checked state in the
// states the program goes through, the accelerators and the status-bar prompts.

#include "CBrindleView.h"
#include "CChildFrame.h"
#include "CDataAppState.h"
#include "CDataList.h"
#include "CDataProps.h"
#include "CMainFrame.h"
#include "ResourceIds.h"
#include "ShellTestSupport.h"

#include <QAbstractItemView>
#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>

namespace tessaly::test {
namespace {

using namespace ids;
struct Expected {
    int nId;
    const char* pszText;  // null for a separator
    bool bEnabled = false;
    bool bChecked = false;
};

void ExpectMenu(const std::vector<ShownItem>& shown, const std::vector<Expected>& expected,
                const char* menu) {
    ASSERT_EQ(shown.size(), expected.size()) << menu;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(std::string(menu) + " item " + std::to_string(i));
        EXPECT_EQ(shown[i].nId, expected[i].nId);
        if (expected[i].pszText == nullptr) {
            continue;
        }
        EXPECT_EQ(shown[i].text, QString::fromLatin1(expected[i].pszText));
        EXPECT_EQ(shown[i].bEnabled, expected[i].bEnabled);
        EXPECT_EQ(shown[i].bChecked, expected[i].bChecked);
    }
}

constexpr Expected kSep{0, nullptr};

CBrindleView* ActiveView(CBrindleApp& app) {
    return dynamic_cast<CBrindleView*>(app.GetMainFrame()->GetActiveView());
}

class ShellMenuTest : public ShellTest {
protected:
    // The menu bar shows exactly these menus, in this order, each with exactly these items.
    void ExpectMenuBar(const std::vector<std::pair<const char*, std::vector<Expected>>>& bar) {
        QStringList titles;
        for (const auto& [title, items] : bar) {
            titles << QString::fromLatin1(title);
            ExpectMenu(Menu(titles.back()), items, title);
        }
        EXPECT_EQ(MenuTitles(), titles);
    }
    // Selects a row of the active view's list, as a click does.
    void SelectRow(int row) {
        auto* list = qobject_cast<QAbstractItemView*>(ActiveView(*m_pApp)->m_pList->GetWindow());
        ASSERT_NE(list, nullptr);
        ASSERT_GT(list->model()->rowCount(), row);
        list->setCurrentIndex(list->model()->index(row, 0));
        list->selectionModel()->select(
            list->model()->index(row, 0),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
};

TEST_F(ShellMenuTest, WithoutADocumentTheMainMenuShows) {
    SetLastView(QString::fromStdString(TestPath("gone.mul")));
    ASSERT_TRUE(StartOnSample());
    ASSERT_EQ(m_pApp->GetMenuResource(), IDR_MAINFRAME);

    ExpectMenuBar({{"&File",
                    {{ID_FILE_NEW, "&New\tCtrl+N", true},
                     {ID_FILE_OPEN, "&Open...\tCtrl+O", true},
                     kSep,
                     {ID_FILE_PRINT_SETUP, "P&rint Setup...", true},
                     kSep,
                     {ID_FILE_MRU_FILE1, "Recent File", false},
                     kSep,
                     {ID_APP_EXIT, "E&xit", true}}},
                   {"&View", {{ID_VIEW_STATUS_BAR, "&Status Bar", true, true}}},
                   {"&Help", {{ID_APP_ABOUT, "&About Tessaly...", true}}}});
}

TEST_F(ShellMenuTest, ANewDocumentShowsTheFullMenuInItsFirstState) {
    ASSERT_TRUE(StartOnSample());
    ASSERT_EQ(m_pApp->GetMenuResource(), IDR_BRINDLTYPE);

    ExpectMenuBar({{"&File",
                    {{ID_FILE_NEW, "&New VerData\tCtrl+N", true},
                     {ID_FILE_OPEN, "&Open VerData...\tCtrl+O", true},
                     {ID_FILE_CLOSE, "&Close", true},
                     {ID_FILE_SAVE, "&Save\tCtrl+S", false},
                     {ID_FILE_SAVE_FAST, "Save Fast", false},
                     {ID_FILE_SAVE_AS, "Save &As...", true},
                     kSep,
                     {ID_OPEN_BASE_MULS, "Open Base Muls...", true},
                     {ID_OPEN_BASE_SCRIPTS, "Open Base Scripts...", true},
                     kSep,
                     {ID_OPEN_PATCH, "Open Patch File...", true},
                     {ID_CLOSE_PATCH, "Close Patch File", false},
                     {ID_MERGE_PATCH, "Merge in Patch File...", false},
                     {ID_SAVE_PATCH, "Save Patch", false},
                     {ID_SAVE_PATCH_AS, "Save Patch As...", false},
                     kSep,
                     {ID_FILE_PRINT, "&Print...\tCtrl+P", true},
                     {ID_FILE_PRINT_PREVIEW, "Print Pre&view", true},
                     {ID_FILE_PRINT_SETUP, "P&rint Setup...", true},
                     kSep,
                     {ID_FILE_MRU_FILE1, "Recent File", false},
                     kSep,
                     {ID_APP_EXIT, "E&xit", true}}},
                   {"&Edit",
                    {{ID_EDIT_UNDO, "&Undo\tCtrl+Z", false},
                     kSep,
                     {ID_EDIT_CUT, "Cu&t\tCtrl+X", false},
                     {ID_EDIT_COPY, "&Copy\tCtrl+C", false},
                     {ID_EDIT_PASTE, "&Paste Over\tCtrl+V", true},
                     {ID_EDIT_DELETE, "Delete\tDel", false},
                     kSep,
                     {ID_EXPORT, "&Export...", false},
                     {ID_EDIT_PROPERTIES, "Properties\tAlt+Enter", false},
                     {ID_EDIT_GOTO, "&Go to...\tCtrl+G", true}}},
                   {"&Data",
                    {{ID_DATA_VERDATA, "VerData", true, true},
                     {ID_DATA_SKILLS, "Skills", true},
                     {ID_DATA_ITEMS, "Items", true},
                     {ID_DATA_TERRAIN, "Terrains", true},
                     {ID_DATA_TEXTURES, "Textures", true},
                     {ID_DATA_MULTIS, "Multis", true},
                     {ID_DATA_ANIMS, "Animations", true},
                     {ID_DATA_SOUNDS, "Sounds", true},
                     {ID_DATA_LIGHTS, "Lights", true},
                     {ID_DATA_GUMPS, "Gumps", true},
                     {ID_DATA_HUES, "Hues", true},
                     {ID_DATA_FONTS, "Fonts", true},
                     {ID_DATA_MAP, "Map", true},
                     {ID_DATA_STATICS, "Statics", true}}},
                   // On VerData the list mode and "Unused Slots" are off limits.
                   {"&View",
                    {{ID_VIEW_STATUS_BAR, "&Status Bar", true, true},
                     kSep,
                     {ID_VIEW_MULFILES, "Mul Files", true, true},
                     {ID_VIEW_VERDATA, "VerData", true, true},
                     {ID_VIEW_CHANGES, "Changes", true, true},
                     kSep,
                     {ID_VIEW_UNUSED, "Unused Slots", false, false},
                     kSep,
                     {ID_VIEW_TEXTLIST, "Text List", false, true},
                     {ID_VIEW_THUMBNAIL, "Thumb Nail", false, false}}},
                   {"Tools",
                    {{ID_MERGE_VERDATA, "Merge VerData...", false},
                     {ID_WRITE_RADAR_COLORS, "Write Radar Colors", false}}},
                   {"&Window",
                    {{ID_WINDOW_NEW, "&New Window", true},
                     {ID_WINDOW_CASCADE, "&Cascade", true},
                     {ID_WINDOW_TILE_HORZ, "&Tile", true},
                     {ID_WINDOW_ARRANGE, "&Arrange Icons", true},
                     kSep,
                     {0, "&1 VerData", true, true}}},
                   {"&Help", {{ID_APP_ABOUT, "&About Tessaly...", true}}}});
}

TEST_F(ShellMenuTest, StatesFollowTheCategoryTheSelectionAndTheListMode) {
    ASSERT_TRUE(StartOnSample());
    ASSERT_TRUE(Command(ID_DATA_ITEMS));
    EXPECT_TRUE(State(ID_DATA_ITEMS).m_bChecked);
    EXPECT_FALSE(State(ID_DATA_VERDATA).m_bChecked);
    ExpectEnabled({ID_VIEW_UNUSED, ID_VIEW_TEXTLIST, ID_VIEW_THUMBNAIL}, true);
    ExpectEnabled({ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_DELETE, ID_EDIT_PROPERTIES}, false);

    // A selected entry enables the edit commands, and the menu shows it.
    ASSERT_NE(ActiveView(*m_pApp), nullptr);
    SelectRow(0);
    ExpectMenu(Menu(QStringLiteral("&Edit")),
               {{ID_EDIT_UNDO, "&Undo\tCtrl+Z", false},
                kSep,
                {ID_EDIT_CUT, "Cu&t\tCtrl+X", true},
                {ID_EDIT_COPY, "&Copy\tCtrl+C", true},
                {ID_EDIT_PASTE, "&Paste Over\tCtrl+V", true},
                {ID_EDIT_DELETE, "Delete\tDel", true},
                kSep,
                {ID_EXPORT, "&Export...", true},
                {ID_EDIT_PROPERTIES, "Properties\tAlt+Enter", true},
                {ID_EDIT_GOTO, "&Go to...\tCtrl+G", true}},
               "Edit");
    // "Export..." saves the selected entry, an item picture.
    m_Ui.m_ExportFiles.push_back(CShellUi::FileChoice{TestPath("first.png"), 0});
    ASSERT_TRUE(Command(ID_EXPORT));
    EXPECT_FALSE(QImage(QString::fromStdString(TestPath("first.png")), "PNG").isNull());

    // The grid starts without a selection; the category stays. A selected cell enables the
    // edit commands as a selected row does.
    ASSERT_TRUE(Command(ID_VIEW_THUMBNAIL));
    EXPECT_TRUE(State(ID_VIEW_THUMBNAIL).m_bChecked);
    EXPECT_FALSE(State(ID_VIEW_TEXTLIST).m_bChecked);
    EXPECT_TRUE(State(ID_DATA_ITEMS).m_bChecked);
    ExpectEnabled({ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_DELETE, ID_EDIT_PROPERTIES}, false);
    EXPECT_TRUE(State(ID_EDIT_PASTE).m_bEnabled);
    ActiveView(*m_pApp)->m_pList->SelectPosition(2);
    ExpectEnabled({ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_DELETE, ID_EDIT_PROPERTIES}, true);
    ASSERT_TRUE(Command(ID_EDIT_PROPERTIES));
    ASSERT_EQ(DataAppState().m_Sheets.size(), 1u);
    EXPECT_EQ(DataAppState().m_Sheets[0]->GetEntry(),
              ActiveView(*m_pApp)->m_pList->GetShownRows()[2]);

    // A filter toggles its check mark.
    ASSERT_TRUE(Command(ID_VIEW_UNUSED));
    EXPECT_TRUE(State(ID_VIEW_UNUSED).m_bChecked);
    ASSERT_TRUE(Command(ID_VIEW_CHANGES));
    EXPECT_FALSE(State(ID_VIEW_CHANGES).m_bChecked);
}

TEST_F(ShellMenuTest, CommandsThatCarryOutNothingAndDisabledOnesAreRefused) {
    ASSERT_TRUE(StartOnSample());
    // Disabled: refused, keys included.
    for (int id : {ID_EDIT_UNDO, ID_MERGE_VERDATA, ID_WRITE_RADAR_COLORS, ID_FILE_SAVE,
                   ID_FILE_SAVE_FAST, ID_CLOSE_PATCH, ID_SAVE_PATCH}) {
        EXPECT_FALSE(Command(id)) << id;
    }
    // Enabled, and nothing happens.
    EXPECT_TRUE(Command(ID_OPEN_BASE_SCRIPTS));
    EXPECT_TRUE(Command(ID_EDIT_PASTE));
    EXPECT_EQ(DocumentCount(), 1u);
    EXPECT_TRUE(m_Ui.m_Messages.empty());
    EXPECT_TRUE(m_Ui.m_Shown.empty());
}

TEST_F(ShellMenuTest, AcceleratorsAndStatusBarPrompts) {
    ASSERT_TRUE(StartOnSample());
    CMainFrame* frame = m_pApp->GetMainFrame();
    const std::pair<int, const char*> keys[] = {
        {ID_FILE_NEW, "Ctrl+N"},
        {ID_FILE_OPEN, "Ctrl+O"},
        {ID_FILE_SAVE, "Ctrl+S"},
        {ID_FILE_PRINT, "Ctrl+P"},
        {ID_EDIT_UNDO, "Ctrl+Z, Alt+Backspace"},
        {ID_EDIT_CUT, "Ctrl+X, Shift+Del"},
        {ID_EDIT_COPY, "Ctrl+C, Ctrl+Ins"},
        {ID_EDIT_PASTE, "Ctrl+V, Shift+Ins"},
        {ID_NEXT_PANE, "F6"},
        {ID_PREV_PANE, "Shift+F6"},
        {ID_EDIT_GOTO, "Ctrl+G"},
        {ID_EDIT_DELETE, ""},
        {ID_EDIT_PROPERTIES, ""},
    };
    for (const auto& [id, expected] : keys) {
        QStringList shown;
        for (const QKeySequence& key : frame->GetAction(id)->shortcuts()) {
            shown << key.toString(QKeySequence::PortableText);
        }
        EXPECT_EQ(shown.join(QStringLiteral(", ")), QString::fromLatin1(expected)) << id;
    }

    const std::pair<int, const char*> prompts[] = {
        {ID_FILE_NEW, "Create a new verdata.mul file"},
        {ID_FILE_OPEN, "Open an existing verdata.mul file"},
        {ID_FILE_CLOSE, "Close the active verdata.mul file"},
        {ID_FILE_SAVE, "Save the active verdata"},
        {ID_FILE_SAVE_AS, "Save the active verdata to a new directory"},
        {ID_OPEN_PATCH, "Open an existing file containing patch data"},
        {ID_SAVE_PATCH_AS, "Save current patch file under a different name"},
        {ID_SAVE_PATCH, "Save current patch file"},
        {ID_CLOSE_PATCH, "Close current patch file"},
        {ID_VIEW_UNUSED, "View the data entries the are not unsed"},
    };
    for (const auto& [id, prompt] : prompts) {
        EXPECT_EQ(frame->GetAction(id)->statusTip(), QString::fromLatin1(prompt)) << id;
    }
    EXPECT_EQ(frame->GetAction(ID_FILE_NEW)->toolTip(), QStringLiteral("New"));
    EXPECT_EQ(frame->GetAction(ID_SAVE_PATCH_AS)->toolTip(), QStringLiteral("Save Patch As"));

    // Hovering an item shows its prompt in the status bar.
    frame->GetAction(ID_OPEN_PATCH)->showStatusText(frame);
    EXPECT_EQ(frame->statusBar()->currentMessage(),
              QStringLiteral("Open an existing file containing patch data"));
}

TEST_F(ShellMenuTest, KeysReachTheirCommandsOnlyWhileEnabled) {
    ASSERT_TRUE(StartOnSample());
    CMainFrame* frame = m_pApp->GetMainFrame();
    frame->activateWindow();
    ASSERT_TRUE(Command(ID_WINDOW_NEW));
    QMdiArea* area = frame->GetMdiArea();
    ASSERT_EQ(area->subWindowList().size(), 2);
    QMdiSubWindow* second = area->activeSubWindow();

    QTest::keyClick(frame, Qt::Key_F6);
    EXPECT_NE(area->activeSubWindow(), second);
    QTest::keyClick(frame, Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(area->activeSubWindow(), second);

    // Ctrl+N makes a document; Ctrl+S is refused (nothing is modified).
    QTest::keyClick(frame, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(DocumentCount(), 2u);
    EXPECT_FALSE(frame->GetAction(ID_FILE_SAVE)->isEnabled());
}

TEST_F(ShellMenuTest, ClosingTheLastDocumentBringsTheMainMenuBack) {
    ASSERT_TRUE(StartOnSample());
    ASSERT_TRUE(Command(ID_WINDOW_NEW));
    ASSERT_TRUE(Command(ID_FILE_CLOSE));
    EXPECT_EQ(DocumentCount(), 0u);
    EXPECT_EQ(m_pApp->GetMenuResource(), IDR_MAINFRAME);
    EXPECT_EQ(m_pApp->GetMainFrame()->windowTitle(), QStringLiteral("Tessaly"));
    EXPECT_EQ(Menu(QStringLiteral("&File")).front().text, QStringLiteral("&New\tCtrl+N"));

    ASSERT_TRUE(Command(ID_FILE_NEW));
    EXPECT_EQ(m_pApp->GetMenuResource(), IDR_BRINDLTYPE);
    EXPECT_EQ(Menu(QStringLiteral("&File")).front().text, QStringLiteral("&New VerData\tCtrl+N"));
    EXPECT_EQ(m_pApp->GetMainFrame()->windowTitle(), QStringLiteral("Tessaly - mul2"));

    // Closing the child window itself does the same.
    ASSERT_TRUE(m_pApp->GetMainFrame()->GetActiveChild()->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_EQ(DocumentCount(), 0u);
    EXPECT_EQ(m_pApp->GetMenuResource(), IDR_MAINFRAME);
    EXPECT_EQ(m_pApp->GetMainFrame()->windowTitle(), QStringLiteral("Tessaly"));
}

TEST_F(ShellMenuTest, WindowMenuListsTheChildWindowsAndActivatesTheChosenOne) {
    ASSERT_TRUE(StartOnSample());
    ASSERT_TRUE(Command(ID_WINDOW_NEW));
    ASSERT_TRUE(Command(ID_DATA_ITEMS));
    CMainFrame* frame = m_pApp->GetMainFrame();
    CChildFrame* items = frame->GetActiveChild();

    std::vector<ShownItem> shown = Menu(QStringLiteral("&Window"));
    ASSERT_EQ(shown.size(), 7u);
    EXPECT_EQ(shown[4].nId, 0);  // the separator
    EXPECT_EQ(shown[5].text, QStringLiteral("&1 VerData"));
    EXPECT_FALSE(shown[5].bChecked);
    EXPECT_EQ(shown[6].text, QStringLiteral("&2 Items"));
    EXPECT_TRUE(shown[6].bChecked);
    // Made anew each time: no item twice.
    EXPECT_EQ(Menu(QStringLiteral("&Window")).size(), 7u);

    QMenu* window = nullptr;
    for (QAction* top : frame->menuBar()->actions()) {
        if (top->text() == QStringLiteral("&Window")) {
            window = top->menu();
        }
    }
    ASSERT_NE(window, nullptr);
    window->actions()[5]->trigger();
    EXPECT_NE(frame->GetActiveChild(), items);
    EXPECT_EQ(frame->GetActiveChild()->windowTitle(), QStringLiteral("VerData"));
}

TEST_F(ShellMenuTest, StatusBarReturnsToReadyWhenAMenuClosesAndWhenTheLastDocumentCloses) {
    ASSERT_TRUE(StartOnSample());
    CMainFrame* frame = m_pApp->GetMainFrame();
    SelectRow(1);
    ASSERT_TRUE(frame->GetMessageText().startsWith(QStringLiteral("Select ")))
        << frame->GetMessageText().toStdString();
    QMenu* edit = frame->menuBar()->actions()[1]->menu();
    ASSERT_NE(edit, nullptr);
    emit edit->aboutToShow();
    emit edit->aboutToHide();
    EXPECT_EQ(frame->GetMessageText(), QStringLiteral("Ready"));

    SelectRow(2);
    ASSERT_TRUE(frame->GetMessageText().startsWith(QStringLiteral("Select ")));
    ASSERT_TRUE(Command(ID_FILE_CLOSE));
    ASSERT_EQ(DocumentCount(), 0u);
    EXPECT_EQ(frame->GetMessageText(), QStringLiteral("Ready"));
}

TEST_F(ShellMenuTest, GoToSelectsAnEntryByNumberInEitherListAndTheFilterFieldNarrowsIt) {
    ASSERT_TRUE(StartOnSample());
    ASSERT_TRUE(Command(ID_DATA_ITEMS));
    CBrindleView* view = ActiveView(*m_pApp);
    m_Ui.m_Texts = {"0xE3C", " 3645 ", "0x3fff", "crate", std::nullopt};
    ASSERT_TRUE(Command(ID_EDIT_GOTO));
    ASSERT_EQ(m_Ui.m_TextQuestions.size(), 1u);
    EXPECT_EQ(m_Ui.m_TextQuestions[0].title, "Go To");
    ASSERT_NE(view->m_pList->GetSelected(), nullptr);
    EXPECT_EQ(view->m_pList->GetSelected()->GetIndex(), 0xE3Cu);
    EXPECT_TRUE(State(ID_EDIT_COPY).m_bEnabled);

    ASSERT_TRUE(Command(ID_VIEW_THUMBNAIL));
    ASSERT_TRUE(Command(ID_EDIT_GOTO));
    ASSERT_NE(view->m_pList->GetSelected(), nullptr);
    EXPECT_EQ(view->m_pList->GetSelected()->GetIndex(), 3645u);
    EXPECT_TRUE(m_Ui.m_Messages.empty());
    ASSERT_TRUE(Command(ID_EDIT_GOTO));
    ASSERT_TRUE(Command(ID_EDIT_GOTO));
    EXPECT_EQ(m_Ui.m_Messages,
              (std::vector<std::string>{"The Items list has no entry 3fff (16383).",
                                        "'crate' is not an entry number."}));
    // Cancelled: nothing happens.
    ASSERT_TRUE(Command(ID_EDIT_GOTO));
    EXPECT_EQ(m_Ui.m_Messages.size(), 2u);
    EXPECT_EQ(view->m_pList->GetSelected()->GetIndex(), 3645u);

    // The field above the grid filters it as the user types, and stays for the text list.
    QLineEdit* field = view->GetFilterField();
    ASSERT_TRUE(field->isVisible());
    EXPECT_LE(field->geometry().bottom(), view->m_pList->GetWindow()->geometry().top());
    const std::size_t all = view->m_pList->GetShownRows().size();
    QTest::keyClicks(field, QStringLiteral("CRATE"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->m_pList->GetShownRows().size() < all; }));
    EXPECT_EQ(view->m_pList->GetShownRows().size(), 2u);
    m_Ui.m_Texts = {"0x0006"};
    ASSERT_TRUE(Command(ID_EDIT_GOTO));
    EXPECT_EQ(m_Ui.m_Messages.back(), "The Items list shows no entry 0006 (6) under the filter.");
    ASSERT_TRUE(Command(ID_VIEW_TEXTLIST));
    EXPECT_EQ(field->text(), "CRATE");
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->m_pList->GetShownRows().size() == 2u; }));
    field->clear();
    EXPECT_EQ(view->m_pList->GetShownRows().size(), all);
}

TEST_F(ShellMenuTest, StatusBarItemShowsAndHidesTheBar) {
    ASSERT_TRUE(StartOnSample());
    QStatusBar* bar = m_pApp->GetMainFrame()->statusBar();
    ASSERT_TRUE(Command(ID_VIEW_STATUS_BAR));
    EXPECT_TRUE(bar->isHidden());
    EXPECT_FALSE(State(ID_VIEW_STATUS_BAR).m_bChecked);
    ASSERT_TRUE(Command(ID_VIEW_STATUS_BAR));
    EXPECT_FALSE(bar->isHidden());
    EXPECT_TRUE(State(ID_VIEW_STATUS_BAR).m_bChecked);
}

}  // namespace
}  // namespace tessaly::test
