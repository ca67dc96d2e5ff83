// The menus of the real main window: every item's text, id, enabled and checked state in the
// states the program goes through, the accelerators and the status-bar prompts.

#include "CChildFrame.h"
#include "CDataListCtrl.h"
#include "CDataListFilter.h"
#include "CDataListThumbs.h"
#include "CDataProps.h"
#include "CommandTable.h"
#include "DataTypeDef.h"
#include "ResourceIds.h"
#include "ShellTestSupport.h"
#include "SurfaceDevice.h"
#include "Text.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>

#include <regex>
#include <set>

namespace tessaly::test {
namespace {

using namespace ids;

// Each test starts the program on the sample client, with its new document.
class ShellMenuTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(StartOnSample());
    }
    // The menu bar shows the table's menus of the resource in order, each item with the
    // table's id and text (the Window menu adds its windows after them), enabled but for the
    // ids in `disabled`, checked for those in `checked`.
    void ExpectMenuBar(int resource, const std::set<int>& disabled, const std::set<int>& checked) {
        ASSERT_EQ(m_pApp->GetMenuResource(), resource);
        QStringList titles;
        for (const MenuDef& menu : GetMenuBar(resource)) {
            titles << QString::fromLatin1(menu.pszTitle);
            const std::vector<QAction*> shown = Menu(titles.back());
            ASSERT_GE(shown.size(), menu.items.size()) << menu.pszTitle;
            for (std::size_t i = 0; i < menu.items.size(); ++i) {
                const MenuItemDef& item = menu.items[i];
                SCOPED_TRACE(std::string(menu.pszTitle) + " item " + std::to_string(i));
                EXPECT_EQ(shown[i]->data().toInt(), item.nId);
                if (item.pszText != nullptr) {
                    EXPECT_EQ(shown[i]->text(), QString::fromStdString(GetMenuItemText(item)));
                    EXPECT_EQ(shown[i]->isEnabled(), !disabled.contains(item.nId));
                    EXPECT_EQ(shown[i]->isChecked(), checked.contains(item.nId));
                }
            }
        }
        EXPECT_EQ(MenuTitles(), titles);
    }
    // Selects a row of the active view's list.
    void SelectRow(int row) { ActiveView()->m_pList->SelectPosition(row); }
};

// The full menu of a new document with its prompts; the commands it greys out are refused and say
// why, and one that throws is reported.
TEST_F(ShellMenuTest, ANewDocumentShowsTheFullMenuAndRefusedOrFailingCommandsSayWhy) {
    CMainFrame* frame = m_pApp->GetMainFrame();
    // A prompt's first line shows in the status bar (the keys are pressed in the keys' test).
    frame->GetAction(ID_OPEN_PATCH)->showStatusText(frame);
    EXPECT_EQ(frame->statusBar()->currentMessage(),
              QStringLiteral("Open an existing file containing patch data"));

    // The menu bar in its first state: on VerData the list mode and "Unused Slots" are off limits.
    ExpectMenuBar(
        IDR_BRINDLTYPE,
        {ID_FILE_SAVE,     ID_FILE_SAVE_FAST, ID_OPEN_BASE_SCRIPTS, ID_CLOSE_PATCH,
         ID_MERGE_PATCH,   ID_SAVE_PATCH,     ID_SAVE_PATCH_AS,     ID_FILE_MRU_FILE1,
         ID_EDIT_UNDO,     ID_EDIT_CUT,       ID_EDIT_COPY,         ID_EDIT_PASTE,
         ID_EDIT_DELETE,   ID_EXPORT,         ID_EDIT_PROPERTIES,   ID_VIEW_UNUSED,
         ID_VIEW_TEXTLIST, ID_VIEW_THUMBNAIL, ID_MERGE_VERDATA,     ID_WRITE_RADAR_COLORS},
        {ID_DATA_VERDATA, ID_VIEW_STATUS_BAR, ID_VIEW_MULFILES, ID_VIEW_VERDATA, ID_VIEW_CHANGES,
         ID_VIEW_TEXTLIST});

    // Disabled: refused.
    for (int id : {ID_EDIT_UNDO, ID_MERGE_VERDATA, ID_FILE_SAVE, ID_EDIT_CUT}) {
        EXPECT_FALSE(Command(id)) << id;
    }
    EXPECT_TRUE(m_Ui.m_Messages.empty());
    EXPECT_TRUE(m_Ui.m_Shown.empty());
    // Those that never carry out anything, and those that cannot now, say why in their tips.
    frame->UpdateCommandUI();
    EXPECT_EQ(frame->GetAction(ID_OPEN_BASE_SCRIPTS)->toolTip(),
              "Not available: Tessaly does not read the client's scripts");
    EXPECT_EQ(frame->GetAction(ID_EDIT_UNDO)->toolTip(), "Nothing to undo");
    EXPECT_EQ(frame->GetAction(ID_EDIT_DELETE)->toolTip(), "Select an entry first");
    ASSERT_TRUE(Command(ID_DATA_HUES));
    SelectRow(3);
    frame->UpdateCommandUI();
    EXPECT_EQ(frame->GetAction(ID_EDIT_DELETE)->toolTip(),
              "Hues are shown, not edited (edited are: Items, Sounds, Gumps)");
    // A hue has nothing for the clipboard: "Copy" is greyed.
    EXPECT_FALSE(State(ID_EDIT_COPY).m_bEnabled);
    // Enabled again, an item shows its prompt's tip.
    ASSERT_TRUE(Command(ID_DATA_ITEMS));
    SelectRow(3);
    frame->UpdateCommandUI();
    EXPECT_EQ(frame->GetAction(ID_EDIT_PASTE)->toolTip(), "Paste");
    EXPECT_TRUE(State(ID_EDIT_COPY).m_bEnabled);

    // A command that throws is reported, and the program goes on.
    m_pApp->AddCommand(ID_APP_ABOUT, [] { throw std::bad_alloc(); });
    EXPECT_TRUE(Command(ID_APP_ABOUT));
    m_pApp->AddCommand(ID_APP_ABOUT, [] { throw std::runtime_error("disk gone"); });
    EXPECT_TRUE(Command(ID_APP_ABOUT));
    EXPECT_EQ(
        m_Ui.m_Messages,
        (std::vector<std::string>{"The command could not be completed: there is not enough memory.",
                                  "The command could not be completed: disk gone."}));
    EXPECT_EQ(DocumentCount(), 1u);
}

TEST_F(ShellMenuTest, StatesFollowTheCategoryTheSelectionAndTheListMode) {
    // The Data menu's rows show their category, the map's and the tile data's among them.
    for (int id : {ID_DATA_MAP, ID_DATA_STATICS, ID_DATA_TILEDATA, ID_DATA_ITEMS}) {
        SCOPED_TRACE(id);
        ASSERT_TRUE(Command(id));
        EXPECT_TRUE(State(id).m_bChecked);
        EXPECT_EQ(m_pApp->GetMainFrame()->GetActiveChild()->windowTitle(),
                  QString::fromLatin1(GetTypeDef(id)->m_pszDisplayName));
    }
    EXPECT_FALSE(State(ID_DATA_TILEDATA).m_bChecked);
    ExpectEnabled({ID_VIEW_UNUSED, ID_VIEW_TEXTLIST, ID_VIEW_THUMBNAIL}, true);
    ExpectEnabled({ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_DELETE, ID_EDIT_PROPERTIES}, false);

    // A selected entry enables the edit commands; entries are never cut.
    SelectRow(0);
    ExpectEnabled(
        {ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_DELETE, ID_EXPORT, ID_EDIT_PROPERTIES, ID_EDIT_GOTO},
        true);
    ExpectEnabled({ID_EDIT_UNDO, ID_EDIT_CUT}, false);

    // In the grid (which keeps the category) a selected cell enables the edit commands as a
    // selected row does, and none selected disables them (the grid's own commands: GridTest).
    ASSERT_TRUE(Command(ID_VIEW_THUMBNAIL));
    EXPECT_TRUE(State(ID_VIEW_THUMBNAIL).m_bChecked);
    EXPECT_FALSE(State(ID_VIEW_TEXTLIST).m_bChecked);
    EXPECT_TRUE(State(ID_DATA_ITEMS).m_bChecked);
    ASSERT_NE(ActiveView()->m_pList->GetSelected(), nullptr);
    ExpectEnabled({ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_DELETE, ID_EDIT_PROPERTIES}, true);
    ActiveView()->m_pList->SetFilterText(QStringLiteral("no such text"));
    ActiveView()->m_pList->GetFilter().Finish();
    ExpectEnabled({ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_DELETE, ID_EDIT_PROPERTIES}, false);

    // "Checkerboard Background" toggles its mark and the pictures' background, and the profile
    // keeps the choice for the next start.
    ASSERT_TRUE(Command(ID_VIEW_CHECKERBOARD));
    EXPECT_TRUE(State(ID_VIEW_CHECKERBOARD).m_bChecked);
    EXPECT_TRUE(DataAppState().m_bCheckerboard);
    EXPECT_TRUE(OpenProfile()->value(QStringLiteral("View/Checkerboard")).toBool());
    ASSERT_TRUE(Command(ID_VIEW_CHECKERBOARD));
    EXPECT_FALSE(DataAppState().m_bCheckerboard);
    EXPECT_FALSE(OpenProfile()->value(QStringLiteral("View/Checkerboard")).toBool());

    // "Status Bar" hides and shows the bar with its mark.
    QStatusBar* bar = m_pApp->GetMainFrame()->statusBar();
    ASSERT_TRUE(Command(ID_VIEW_STATUS_BAR));
    EXPECT_TRUE(bar->isHidden());
    EXPECT_FALSE(State(ID_VIEW_STATUS_BAR).m_bChecked);
    ASSERT_TRUE(Command(ID_VIEW_STATUS_BAR));
    EXPECT_FALSE(bar->isHidden());
}

TEST_F(ShellMenuTest, KeysReachTheirCommandsOnlyWhileEnabled) {
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

    // Ctrl+N makes a document.
    QTest::keyClick(frame, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(DocumentCount(), 2u);

    // In the list: Alt+Enter opens the selected entry's sheet, Del deletes a sound.
    ASSERT_TRUE(Command(ID_DATA_SOUNDS));
    CBrindleView* view = ActiveView();
    QWidget* list = view->m_pList->GetWindow();
    SelectRow(1);
    const std::uint32_t index = view->m_pList->GetSelected()->GetIndex();
    QTest::keyClick(list, Qt::Key_Return, Qt::AltModifier);
    ASSERT_EQ(DataAppState().m_Sheets.size(), 1u);
    EXPECT_EQ(DataAppState().m_Sheets[0]->GetEntry(), view->m_pList->GetSelected());
    DataAppState().DestroyAllSheets();
    QTest::keyClick(list, Qt::Key_Delete);
    ASSERT_NE(view->m_pList->GetSelected(), nullptr);
    EXPECT_EQ(view->m_pList->GetSelected()->GetIndex(), index);
    EXPECT_STREQ(view->m_pList->GetSelected()->GetColumnText(0), "delete");
    // Del in the filter field deletes text, not the entry.
    QTest::keyClicks(view->GetFilterField(), QStringLiteral("ab"));
    QTest::keyClick(view->GetFilterField(), Qt::Key_Home);
    QTest::keyClick(view->GetFilterField(), Qt::Key_Delete);
    EXPECT_EQ(view->GetFilterField()->text(), "b");
}

// The Window menu lists the child windows and activates the chosen one. Closing the last
// document brings the main menu back, and the status bar to "Ready" (as a menu that closes does).
TEST_F(ShellMenuTest, WindowMenuActivatesTheChosenWindowAndClosingTheLastBringsTheMainMenuBack) {
    ASSERT_TRUE(Command(ID_WINDOW_NEW));
    ASSERT_TRUE(Command(ID_DATA_ITEMS));
    CMainFrame* frame = m_pApp->GetMainFrame();
    std::vector<QAction*> shown = Menu(QStringLiteral("&Window"));
    ASSERT_EQ(shown.size(), 7u);
    EXPECT_EQ(shown[5]->text(), QStringLiteral("&1 VerData"));
    EXPECT_FALSE(shown[5]->isChecked());
    EXPECT_EQ(shown[6]->text(), QStringLiteral("&2 Items"));
    EXPECT_TRUE(shown[6]->isChecked());
    EXPECT_EQ(Menu(QStringLiteral("&Window")).size(), 7u);  // made anew: no item twice
    const int at = static_cast<int>(MenuTitles().indexOf(QStringLiteral("&Window")));
    frame->menuBar()->actions()[at]->menu()->actions()[5]->trigger();
    EXPECT_EQ(frame->GetActiveChild()->windowTitle(), QStringLiteral("VerData"));

    // Closing: the status bar says "Ready" again and the main menu comes back.
    SelectRow(1);
    ASSERT_TRUE(frame->GetMessageText().startsWith(QStringLiteral("Select ")));
    QMenu* edit = frame->menuBar()->actions()[1]->menu();
    ASSERT_NE(edit, nullptr);
    emit edit->aboutToShow();
    emit edit->aboutToHide();
    EXPECT_EQ(frame->GetMessageText(), QStringLiteral("Ready"));
    SelectRow(2);
    ASSERT_TRUE(frame->GetMessageText().startsWith(QStringLiteral("Select ")));
    ASSERT_TRUE(Command(ID_FILE_CLOSE));
    EXPECT_EQ(DocumentCount(), 0u);
    EXPECT_EQ(frame->GetMessageText(), QStringLiteral("Ready"));
    ExpectMenuBar(IDR_MAINFRAME, {ID_FILE_MRU_FILE1}, {ID_VIEW_STATUS_BAR});
    EXPECT_EQ(m_pApp->GetMainFrame()->windowTitle(), QStringLiteral("Tessaly"));

    ASSERT_TRUE(Command(ID_FILE_NEW));
    EXPECT_EQ(m_pApp->GetMenuResource(), IDR_BRINDLTYPE);
    EXPECT_EQ(m_pApp->GetMainFrame()->windowTitle(), QStringLiteral("Tessaly - mul2"));

    // Closing the child window itself does the same.
    ASSERT_TRUE(m_pApp->GetMainFrame()->GetActiveChild()->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_EQ(DocumentCount(), 0u);
    EXPECT_EQ(m_pApp->GetMenuResource(), IDR_MAINFRAME);
}

TEST_F(ShellMenuTest, SwitchingBetweenTextListAndGridKeepsTheSortAndTheSelection) {
    ASSERT_TRUE(Command(ID_DATA_ITEMS));
    CBrindleView* view = ActiveView();
    auto* list = dynamic_cast<CDataListCtrl*>(view->m_pList);
    ASSERT_NE(list, nullptr);
    list->OnColumnClick(2);  // by name, then descending
    list->OnColumnClick(2);
    const std::size_t middle = list->GetShownRows().size() / 2;
    list->SelectPosition(static_cast<int>(middle));
    const auto shownIndexes = [&] {
        std::vector<std::uint32_t> out;
        for (CDataDef* row : view->m_pList->GetShownRows()) {
            out.push_back(row->GetIndex());
        }
        return out;
    };
    const std::vector<std::uint32_t> order = shownIndexes();

    ASSERT_TRUE(Command(ID_VIEW_THUMBNAIL));
    auto* grid = dynamic_cast<CDataListThumbs*>(view->m_pList);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(shownIndexes(), order);
    EXPECT_EQ(grid->GetSelectedPosition(), static_cast<int>(middle));
    EXPECT_TRUE(grid->viewport()->rect().intersects(grid->CellRect(grid->GetSelectedPosition())));

    // Back in the text list: the same order, header mark and selection.
    grid->SelectPosition(3);
    const std::uint32_t chosen = grid->GetSelected()->GetIndex();
    ASSERT_TRUE(Command(ID_VIEW_TEXTLIST));
    list = dynamic_cast<CDataListCtrl*>(view->m_pList);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(shownIndexes(), order);
    EXPECT_TRUE(list->GetModel()->headerData(2, Qt::Horizontal).toString().endsWith(" V"));
    ASSERT_NE(list->GetSelected(), nullptr);
    EXPECT_EQ(list->GetSelected()->GetIndex(), chosen);
}

TEST_F(ShellMenuTest, GoToSelectsAnEntryByNumberInEitherListAndTheFilterFieldNarrowsIt) {
    ASSERT_TRUE(Command(ID_DATA_ITEMS));
    CBrindleView* view = ActiveView();
    // The list's own form ("0e3c", bare hexadecimal), 0x-hex and decimal after "#".
    m_Ui.m_Texts = {"0e3c", " #3645 ", "0x3fff", "crate", std::nullopt};
    ASSERT_TRUE(Command(ID_EDIT_GOTO));
    ASSERT_EQ(m_Ui.m_TextQuestions.size(), 1u);
    EXPECT_EQ(m_Ui.m_TextQuestions[0].title, "Go To");
    EXPECT_EQ(m_Ui.m_TextQuestions[0].text,
              "Entry number as the list shows it (hexadecimal, such as 000c), or decimal after #:");
    ASSERT_NE(view->m_pList->GetSelected(), nullptr);
    EXPECT_EQ(view->m_pList->GetSelected()->GetIndex(), 0xE3Cu);

    ASSERT_TRUE(Command(ID_VIEW_THUMBNAIL));
    ASSERT_TRUE(Command(ID_EDIT_GOTO));
    ASSERT_NE(view->m_pList->GetSelected(), nullptr);
    EXPECT_EQ(view->m_pList->GetSelected()->GetIndex(), 3645u);
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
    QTest::keyClicks(field, QStringLiteral("CRATE"));
    view->m_pList->GetFilter().Finish();
    EXPECT_EQ(view->m_pList->GetShownRows().size(), 2u);
    m_Ui.m_Texts = {"0006"};
    ASSERT_TRUE(Command(ID_EDIT_GOTO));
    EXPECT_EQ(m_Ui.m_Messages.back(), "The Items list shows no entry 0006 (6) under the filter.");
    ASSERT_TRUE(Command(ID_VIEW_TEXTLIST));
    EXPECT_EQ(field->text(), "CRATE");
}

TEST_F(ShellMenuTest, PrintingPrintsTheSelectedPictureOrTheListAsShown) {
    ASSERT_TRUE(Command(ID_DATA_ITEMS));
    CPrinting& printing = m_pApp->GetPrinting();
    QPrinter& printer = printing.GetPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    m_Ui.m_bAcceptDialogs = true;
    // Nothing selected: the list as its window shows it.
    const PrintContent list = printing.m_GetContent();
    EXPECT_TRUE(list.title.endsWith(" - Items")) << list.title.toStdString();
    EXPECT_EQ(list.picture.size(), ActiveView()->m_pList->GetWindow()->size());

    // A selected item: its picture, as large as on screen.
    SelectRow(0);
    CDataDef* item = ActiveView()->m_pList->GetSelected();
    const PrintContent picture = printing.m_GetContent();
    EXPECT_TRUE(
        picture.title.endsWith(QString::fromStdString(Format(" - Items 0%x", item->GetIndex()))));
    SurfaceBuffer drawn;
    ASSERT_TRUE(item->GetImage(drawn));
    EXPECT_EQ(picture.picture, SurfaceImage(drawn));
    // Printed to a PDF file: one page with one picture.
    printer.setOutputFileName(QString::fromStdString(TestPath("item.pdf")));
    EXPECT_TRUE(Command(ID_FILE_PRINT));
    const std::vector<std::uint8_t> bytes = ReadBytes(TestPath("item.pdf"));
    const std::string pdf(bytes.begin(), bytes.end());
    const auto count = [&pdf](const char* pattern) {
        const std::regex re(pattern);
        return std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), re),
                             std::sregex_iterator());
    };
    EXPECT_EQ(count("/Type\\s*/Page[^s]"), 1);
    EXPECT_EQ(count("/Subtype\\s*/Image"), 1);
}

}  // namespace
}  // namespace tessaly::test
