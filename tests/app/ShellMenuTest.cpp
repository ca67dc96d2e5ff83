// The menus of the real main window: every item's text, id, enabled and checked state in the
// states the program goes through, the accelerators and the status-bar prompts.

#include "CBrindleView.h"
#include "CChildFrame.h"
#include "CDataListCtrl.h"
#include "CDataListFilter.h"
#include "CDataListThumbs.h"
#include "CDataProps.h"
#include "CMainFrame.h"
#include "CommandTable.h"
#include "DataTypeDef.h"
#include "EntryCommands.h"
#include "ResourceIds.h"
#include "ShellTestSupport.h"
#include "SurfaceDevice.h"
#include "Text.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSettings>
#include <QStatusBar>
#include <QTest>

#include <regex>
#include <set>

namespace tessaly::test {
namespace {

using namespace ids;

CBrindleView* ActiveView(CBrindleApp& app) {
    return dynamic_cast<CBrindleView*>(app.GetMainFrame()->GetActiveView());
}

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
            const std::vector<ShownItem> shown = Menu(titles.back());
            ASSERT_GE(shown.size(), menu.items.size()) << menu.pszTitle;
            for (std::size_t i = 0; i < menu.items.size(); ++i) {
                const MenuItemDef& item = menu.items[i];
                SCOPED_TRACE(std::string(menu.pszTitle) + " item " + std::to_string(i));
                EXPECT_EQ(shown[i].nId, item.nId);
                if (item.pszText != nullptr) {
                    EXPECT_EQ(shown[i].text, QString::fromStdString(GetMenuItemText(item)));
                    EXPECT_EQ(shown[i].bEnabled, !disabled.contains(item.nId));
                    EXPECT_EQ(shown[i].bChecked, checked.contains(item.nId));
                }
            }
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

// The full menu of a new document with its keys and prompts; the commands it greys out are
// refused and say why, and one that throws is reported.
TEST_F(ShellMenuTest, ANewDocumentShowsTheFullMenuAndRefusedOrFailingCommandsSayWhy) {
    CMainFrame* frame = m_pApp->GetMainFrame();
    // Every key of the table reaches its command.
    for (const CommandKeyDef& command : GetCommandKeys()) {
        for (const char* key : GetAcceleratorKeys(command.nId)) {
            EXPECT_TRUE(
                frame->GetAction(command.nId)
                    ->shortcuts()
                    .contains(QKeySequence(QString::fromLatin1(key), QKeySequence::PortableText)))
                << command.nId << " " << key;
        }
    }

    // Every prompt of the table: its first line in the status bar, the rest as the tool tip.
    for (const MenuDef& menu : GetMenuBar(IDR_BRINDLTYPE)) {
        for (const MenuItemDef& item : menu.items) {
            const char* prompt = GetCommandPrompt(item.nId);
            if (prompt == nullptr || item.nId == ID_FILE_MRU_FILE1) {
                continue;
            }
            const QStringList lines = QString::fromLatin1(prompt).split(QLatin1Char('\n'));
            QAction* action = frame->GetAction(item.nId);
            EXPECT_EQ(action->statusTip(), lines.front()) << item.nId;
            // A disabled item's tip may say why instead.
            if (lines.size() > 1 && action->isEnabled()) {
                EXPECT_EQ(action->toolTip(), lines[1]) << item.nId;
            }
        }
    }

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
    const std::vector<ShownItem> windows = Menu(QStringLiteral("&Window"));
    EXPECT_EQ(windows.back().text, QStringLiteral("&1 VerData"));
    EXPECT_TRUE(windows.back().bChecked);

    // Disabled: refused, keys included.
    for (int id :
         {ID_EDIT_UNDO, ID_MERGE_VERDATA, ID_WRITE_RADAR_COLORS, ID_FILE_SAVE, ID_FILE_SAVE_FAST,
          ID_CLOSE_PATCH, ID_SAVE_PATCH, ID_OPEN_BASE_SCRIPTS, ID_EDIT_PASTE, ID_EDIT_CUT}) {
        EXPECT_FALSE(Command(id)) << id;
    }
    EXPECT_EQ(DocumentCount(), 1u);
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
    EXPECT_FALSE(State(ID_EDIT_DELETE).m_bEnabled);
    frame->UpdateCommandUI();
    EXPECT_EQ(frame->GetAction(ID_EDIT_DELETE)->toolTip(),
              "Hues are shown, not edited (edited are: Items, Sounds, Gumps)");
    // A hue has nothing for the clipboard: "Copy" is greyed and says so.
    EXPECT_FALSE(State(ID_EDIT_COPY).m_bEnabled);
    EXPECT_EQ(frame->GetAction(ID_EDIT_COPY)->toolTip(), kNothingToCopy);
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
        EXPECT_TRUE(GetTypeDef(id)->m_bDataMenu);
        ASSERT_TRUE(Command(id));
        EXPECT_EQ(ActiveView(*m_pApp)->m_nCategory, id);
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
    // "Export..." saves the selected entry, an item picture.
    m_Ui.m_ExportFiles.push_back(CShellUi::FileChoice{TestPath("first.png"), 0});
    ASSERT_TRUE(Command(ID_EXPORT));
    EXPECT_FALSE(QImage(QString::fromStdString(TestPath("first.png")), "PNG").isNull());

    // In the grid (which keeps the category) a selected cell enables the edit commands as a
    // selected row does, and none selected disables them.
    ASSERT_TRUE(Command(ID_VIEW_THUMBNAIL));
    EXPECT_TRUE(State(ID_VIEW_THUMBNAIL).m_bChecked);
    EXPECT_FALSE(State(ID_VIEW_TEXTLIST).m_bChecked);
    EXPECT_TRUE(State(ID_DATA_ITEMS).m_bChecked);
    ASSERT_NE(ActiveView(*m_pApp)->m_pList->GetSelected(), nullptr);
    ExpectEnabled({ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_DELETE, ID_EDIT_PROPERTIES}, true);
    EXPECT_FALSE(State(ID_EDIT_CUT).m_bEnabled);
    ActiveView(*m_pApp)->m_pList->SetFilterText(QStringLiteral("no such text"));
    ActiveView(*m_pApp)->m_pList->GetFilter().Finish();
    ExpectEnabled({ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_DELETE, ID_EDIT_PROPERTIES},
                  false);
    ActiveView(*m_pApp)->m_pList->SetFilterText(QString());
    ActiveView(*m_pApp)->m_pList->SelectPosition(2);
    ExpectEnabled({ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_DELETE, ID_EDIT_PROPERTIES}, true);
    ASSERT_TRUE(Command(ID_EDIT_PROPERTIES));
    ASSERT_EQ(DataAppState().m_Sheets.size(), 1u);
    EXPECT_EQ(DataAppState().m_Sheets[0]->GetEntry(),
              ActiveView(*m_pApp)->m_pList->GetShownRows()[2]);

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

    // Ctrl+N makes a document; Ctrl+S is refused (nothing is modified).
    QTest::keyClick(frame, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(DocumentCount(), 2u);
    EXPECT_FALSE(frame->GetAction(ID_FILE_SAVE)->isEnabled());

    // In the list: Alt+Enter opens the selected entry's sheet, Del deletes a sound.
    ASSERT_TRUE(Command(ID_DATA_SOUNDS));
    CBrindleView* view = ActiveView(*m_pApp);
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
    CChildFrame* items = frame->GetActiveChild();

    std::vector<ShownItem> shown = Menu(QStringLiteral("&Window"));
    ASSERT_EQ(shown.size(), 7u);
    EXPECT_EQ(shown[4].nId, 0);  // the separator
    EXPECT_EQ(shown[5].text, QStringLiteral("&1 VerData"));
    EXPECT_FALSE(shown[5].bChecked);
    EXPECT_EQ(shown[6].text, QStringLiteral("&2 Items"));
    EXPECT_TRUE(shown[6].bChecked);
    EXPECT_EQ(Menu(QStringLiteral("&Window")).size(), 7u);  // made anew: no item twice
    const int at = static_cast<int>(MenuTitles().indexOf(QStringLiteral("&Window")));
    frame->menuBar()->actions()[at]->menu()->actions()[5]->trigger();
    EXPECT_NE(frame->GetActiveChild(), items);
    EXPECT_EQ(frame->GetActiveChild()->windowTitle(), QStringLiteral("VerData"));

    // Closing: the status bar says "Ready" again and the main menu comes back.
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
    EXPECT_EQ(DocumentCount(), 0u);
    EXPECT_EQ(frame->GetMessageText(), QStringLiteral("Ready"));
    ExpectMenuBar(IDR_MAINFRAME, {ID_FILE_MRU_FILE1}, {ID_VIEW_STATUS_BAR});
    EXPECT_EQ(m_pApp->GetMainFrame()->windowTitle(), QStringLiteral("Tessaly"));

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

TEST_F(ShellMenuTest, SwitchingBetweenTextListAndGridKeepsTheSortAndTheSelection) {
    ASSERT_TRUE(Command(ID_DATA_ITEMS));
    CBrindleView* view = ActiveView(*m_pApp);
    auto* list = dynamic_cast<CDataListCtrl*>(view->m_pList);
    ASSERT_NE(list, nullptr);
    list->OnColumnClick(2);  // by name, then descending
    list->OnColumnClick(2);
    const std::size_t middle = list->GetShownRows().size() / 2;
    list->SelectPosition(static_cast<int>(middle));
    const std::uint32_t selected = list->GetSelected()->GetIndex();
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
    EXPECT_EQ(grid->GetSortedColumn(), 2);
    EXPECT_FALSE(grid->IsAscending());
    EXPECT_EQ(grid->GetSelectedPosition(), static_cast<int>(middle));
    EXPECT_TRUE(grid->viewport()->rect().intersects(grid->CellRect(grid->GetSelectedPosition())));

    // Back in the text list: the same order, header mark and selection.
    grid->SelectPosition(3);
    const std::uint32_t chosen = grid->GetSelected()->GetIndex();
    ASSERT_TRUE(Command(ID_VIEW_TEXTLIST));
    list = dynamic_cast<CDataListCtrl*>(view->m_pList);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(shownIndexes(), order);
    EXPECT_EQ(list->GetSortedColumn(), 2);
    EXPECT_FALSE(list->IsAscending());
    EXPECT_TRUE(list->GetModel()->headerData(2, Qt::Horizontal).toString().endsWith(" V"));
    ASSERT_NE(list->GetSelected(), nullptr);
    EXPECT_EQ(list->GetSelected()->GetIndex(), chosen);
    EXPECT_NE(chosen, selected);
}

TEST_F(ShellMenuTest, GoToSelectsAnEntryByNumberInEitherListAndTheFilterFieldNarrowsIt) {
    ASSERT_TRUE(Command(ID_DATA_ITEMS));
    CBrindleView* view = ActiveView(*m_pApp);
    // The list's own form ("0e3c", bare hexadecimal), 0x-hex and decimal after "#".
    m_Ui.m_Texts = {"0e3c", " #3645 ", "0x3fff", "crate", std::nullopt};
    ASSERT_TRUE(Command(ID_EDIT_GOTO));
    ASSERT_EQ(m_Ui.m_TextQuestions.size(), 1u);
    EXPECT_EQ(m_Ui.m_TextQuestions[0].title, "Go To");
    EXPECT_EQ(m_Ui.m_TextQuestions[0].text,
              "Entry number as the list shows it (hexadecimal, such as 000c), or decimal after #:");
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
    view->m_pList->GetFilter().Finish();
    EXPECT_EQ(view->m_pList->GetShownRows().size(), 2u);
    m_Ui.m_Texts = {"0006"};
    ASSERT_TRUE(Command(ID_EDIT_GOTO));
    EXPECT_EQ(m_Ui.m_Messages.back(), "The Items list shows no entry 0006 (6) under the filter.");
    ASSERT_TRUE(Command(ID_VIEW_TEXTLIST));
    EXPECT_EQ(field->text(), "CRATE");
    view->m_pList->GetFilter().Finish();
    EXPECT_EQ(view->m_pList->GetShownRows().size(), 2u);
    field->clear();
    EXPECT_EQ(view->m_pList->GetShownRows().size(), all);
}

TEST_F(ShellMenuTest, PrintingPrintsTheSelectedPictureOrTheListAsShown) {
    ASSERT_TRUE(Command(ID_DATA_ITEMS));
    CPrinting& printing = m_pApp->GetPrinting();
    QPrinter& printer = printing.GetPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    m_Ui.m_bAcceptDialogs = true;
    // Prints to a PDF file; the number of its pages and of the pictures on them.
    auto print = [&](const std::string& name) {
        printer.setOutputFileName(QString::fromStdString(TestPath(name)));
        EXPECT_TRUE(Command(ID_FILE_PRINT));
        const std::vector<std::uint8_t> bytes = ReadBytes(TestPath(name));
        const std::string pdf(bytes.begin(), bytes.end());
        const auto count = [&pdf](const std::regex& pattern) {
            return std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), pattern),
                                 std::sregex_iterator());
        };
        return std::pair{count(std::regex("/Type\\s*/Page[^s]")),
                         count(std::regex("/Subtype\\s*/Image"))};
    };
    // Nothing selected: the list as its window shows it.
    const PrintContent list = printing.m_GetContent();
    EXPECT_TRUE(list.title.endsWith(" - Items")) << list.title.toStdString();
    EXPECT_EQ(list.picture.size(), ActiveView(*m_pApp)->m_pList->GetWindow()->size());
    EXPECT_EQ(print("list.pdf"), std::pair(1L, 1L));

    // A selected item: its picture, as large as on screen.
    SelectRow(0);
    CDataDef* item = ActiveView(*m_pApp)->m_pList->GetSelected();
    const PrintContent picture = printing.m_GetContent();
    EXPECT_TRUE(
        picture.title.endsWith(QString::fromStdString(Format(" - Items 0%x", item->GetIndex()))));
    SurfaceBuffer drawn;
    ASSERT_TRUE(item->GetImage(drawn));
    EXPECT_EQ(picture.picture, SurfaceImage(drawn));
    EXPECT_EQ(print("item.pdf"), std::pair(1L, 1L));
    // On a page: the title and the picture's pixels, not a blank sheet.
    QImage page(300, 400, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        PaintPrintContent(painter, page.rect(), picture);
    }
    const auto* pixels = reinterpret_cast<const QRgb*>(page.constBits());
    EXPECT_GT(std::count_if(pixels, pixels + page.width() * page.height(),
                            [](QRgb pixel) { return pixel != qRgb(255, 255, 255); }),
              picture.picture.width() * picture.picture.height() / 4);
}

}  // namespace
}  // namespace tessaly::test
