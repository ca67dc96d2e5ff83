// The ".pat" File-menu commands of the real application, end to end with files on disk, and the
// patch offered for saving when the program exits.

#include "CChildFrame.h"
#include "CDataList.h"
#include "CDataProps.h"
#include "CDocument.h"
#include "HuePages.h"
#include "ResourceIds.h"
#include "ShellTestSupport.h"
#include "patch/PatchBuilder.h"

#include <QLineEdit>
#include <QTest>

namespace tessaly::test {
namespace {

using namespace ids;

using B = PatchFileBuilder;
constexpr std::uint8_t kHues = kPatchTypeHues;
constexpr std::uint8_t kMulti = kPatchTypeMulti;
constexpr auto Bytes = &B::Bytes;

// A ".pat" file of these records.
std::vector<std::uint8_t> Pat(std::initializer_list<B::Spec> records) {
    return B(records).Build();
}

// Every test starts on the sample client.
class ShellPatchTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(StartOnSample());
    }
    // Writes a ".pat" file and opens it with "Open Patch File..."; its path.
    std::string OpenPatch(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = m_Dir.Write(name, bytes);
        m_Ui.m_Files.push_back(path);
        EXPECT_TRUE(Command(ids::ID_OPEN_PATCH));
        return path;
    }
};

TEST_F(ShellPatchTest, OpenLoadsTheFileAndEnablesTheOtherCommands) {
    std::string path = OpenPatch("a.pat", Pat({{kMulti, 3, Bytes(5, 1)}, {kHues, 4, Bytes(8, 9)}}));

    ASSERT_EQ(m_Ui.m_Dialogs.size(), 1u);
    EXPECT_EQ(m_Ui.m_Dialogs[0].nKind, PatchFileDialog::Open);
    EXPECT_TRUE(m_Ui.m_Dialogs[0].bMustExist);
    EXPECT_STREQ(m_Ui.m_Dialogs[0].pFilter, "Patch files|*.pat||");
    CPatch& patch = m_pApp->GetPatch();
    EXPECT_EQ(patch.Count(), 2u);
    EXPECT_EQ(patch.Path(), path);
    ExpectEnabled({ID_OPEN_PATCH, ID_CLOSE_PATCH, ID_MERGE_PATCH, ID_SAVE_PATCH, ID_SAVE_PATCH_AS},
                  true);

    // "Save Patch As" of an unmodified patch only changes the path.
    std::string saved = TestPath("saved.pat");
    m_Ui.m_Files.push_back(saved);
    ASSERT_TRUE(Command(ID_SAVE_PATCH_AS));
    EXPECT_TRUE(m_Ui.m_Dialogs.back().bConfirmOverwrite);
    EXPECT_FALSE(std::filesystem::exists(saved));
    EXPECT_EQ(patch.Path(), saved);

    // Closing an unmodified patch asks nothing and disables the commands again.
    ASSERT_TRUE(Command(ID_CLOSE_PATCH));
    EXPECT_TRUE(m_Ui.m_Questions.empty());
    EXPECT_EQ(patch.Count(), 0u);
    ExpectEnabled({ID_CLOSE_PATCH, ID_MERGE_PATCH, ID_SAVE_PATCH, ID_SAVE_PATCH_AS}, false);
}

TEST_F(ShellPatchTest, AnInvalidFileIsReportedAndBecomesThePatchsPath) {
    std::string bad = OpenPatch("bad.pat", B({{kHues, 1, Bytes(4, 0)}}).Mark(0x1234).Build());
    EXPECT_EQ(m_Ui.m_Messages.front(),
              "Patch file format is invalid.  The file will not be loaded.");
    // No data, but the rejected file is the patch's path.
    EXPECT_EQ(m_pApp->GetPatch().Count(), 0u);
    EXPECT_EQ(m_pApp->GetPatch().Path(), bad);
    EXPECT_TRUE(State(ID_MERGE_PATCH).m_bEnabled);
    EXPECT_FALSE(State(ID_SAVE_PATCH).m_bEnabled);

    // A client data file opened as the patch is never saved over: the save asks for another
    // file (that a refused ".pat" file is not saved over either is the patch's own test).
    const std::string hues = m_Dir.Write("Hues.mul", {1, 2, 3});
    m_Ui.m_Files = {hues};
    ASSERT_TRUE(Command(ID_OPEN_PATCH));
    EXPECT_EQ(m_pApp->GetPatch().Path(), hues);
    m_pApp->GetPatch().InsertPatchRecord(Bytes(2, 5), kHues, 6);
    m_Ui.m_Files = {TestPath("instead.pat")};
    ASSERT_TRUE(Command(ID_SAVE_PATCH));
    EXPECT_EQ(m_Ui.m_Warnings.size(), 1u);
    EXPECT_EQ(ReadBytes(hues), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(ReadBytes(TestPath("instead.pat")), Pat({{kHues, 6, Bytes(2, 5)}}));
}

TEST_F(ShellPatchTest, MergeAddsRecordsInOrderAndLaterSavesGoToTheMergedFile) {
    std::string a = OpenPatch("a.pat", Pat({{kHues, 4, Bytes(2, 1)}, {kHues, 9, Bytes(2, 3)}}));
    std::string b = m_Dir.Write(
        "b.pat",
        Pat({{kMulti, 1, Bytes(3, 7)}, {kHues, 5, Bytes(1, 9)}, {kHues, 9, Bytes(4, 20)}}));
    m_Ui.m_Files.push_back(b);
    ASSERT_TRUE(Command(ID_MERGE_PATCH));
    EXPECT_EQ(m_Ui.m_Dialogs.back().nKind, PatchFileDialog::Merge);
    CPatch& patch = m_pApp->GetPatch();
    EXPECT_EQ(patch.Path(), b);
    ASSERT_TRUE(Command(ID_SAVE_PATCH));
    EXPECT_EQ(ReadBytes(b), Pat({{kMulti, 1, Bytes(3, 7)},
                                 {kHues, 4, Bytes(2, 1)},
                                 {kHues, 5, Bytes(1, 9)},
                                 {kHues, 9, Bytes(4, 20)}}));
    // The file first opened is untouched.
    EXPECT_EQ(ReadBytes(a), Pat({{kHues, 4, Bytes(2, 1)}, {kHues, 9, Bytes(2, 3)}}));
}

TEST_F(ShellPatchTest, AnsweringNoOnCloseLeavesNothingToAskAtExit) {
    m_pApp->GetPatch().InsertPatchRecord(Bytes(3, 1), kHues, 2);
    m_Ui.m_Files.push_back(TestPath("p.pat"));
    ASSERT_TRUE(Command(ID_SAVE_PATCH_AS));
    m_pApp->GetPatch().InsertPatchRecord(Bytes(3, 1), kHues, 3);

    m_Ui.m_Answers = {false};
    ASSERT_TRUE(Command(ID_CLOSE_PATCH));
    EXPECT_EQ(m_Ui.m_Questions.size(), 1u);
    EXPECT_EQ(m_pApp->GetPatch().Count(), 0u);
    EXPECT_FALSE(State(ID_SAVE_PATCH).m_bEnabled);

    ASSERT_TRUE(Command(ID_APP_EXIT));
    EXPECT_FALSE(m_pApp->GetMainFrame()->isVisible());
    m_pApp->ExitInstance();
    EXPECT_EQ(m_Ui.m_Questions.size(), 1u);
    // The record saved before stays; the later one was discarded.
    EXPECT_EQ(ReadBytes(TestPath("p.pat")), Pat({{kHues, 2, Bytes(3, 1)}}));
}

TEST_F(ShellPatchTest, ExitOffersToSaveTheModifiedPatchAndWritesIt) {
    std::string path = OpenPatch("e.pat", Pat({{kHues, 1, Bytes(2, 1)}}));
    m_pApp->GetPatch().InsertPatchRecord(Bytes(2, 5), kMulti, 6);

    m_Ui.m_Answers = {true};
    ASSERT_TRUE(Command(ID_APP_EXIT));
    EXPECT_EQ(m_Ui.m_Questions,
              std::vector<std::string>{"Would you like to save your current patch information?"});
    EXPECT_FALSE(m_pApp->GetMainFrame()->isVisible());
    EXPECT_EQ(ReadBytes(path), Pat({{kMulti, 6, Bytes(2, 5)}, {kHues, 1, Bytes(2, 1)}}));
    // Shut-down has nothing left to ask.
    m_pApp->ExitInstance();
    EXPECT_EQ(m_Ui.m_Questions.size(), 1u);
}

TEST_F(ShellPatchTest, AFailedSaveAtExitOrWindowCloseKeepsTheProgramRunning) {
    m_pApp->GetPatch().InsertPatchRecord(Bytes(2, 5), kMulti, 6);
    EXPECT_TRUE(State(ID_SAVE_PATCH).m_bEnabled);
    EXPECT_FALSE(State(ID_CLOSE_PATCH).m_bEnabled);
    CMainFrame* frame = m_pApp->GetMainFrame();

    // Yes, then the save dialog is cancelled.
    m_Ui.m_Answers = {true};
    ASSERT_TRUE(Command(ID_APP_EXIT));
    EXPECT_EQ(m_Ui.m_Messages, std::vector<std::string>{"Unable to open file for output"});
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(m_pApp->GetPatch().IsModified());

    // Closing the window asks the same way.
    m_Ui.m_Answers = {true};
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(m_Ui.m_Questions.size(), 2u);

    // A client data file chosen to save into is refused as a cancelled dialog is.
    const std::string hues = m_Dir.Write("HUES.MUL", {1, 2, 3});
    m_Ui.m_Answers = {true};
    m_Ui.m_Files = {hues};
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(m_Ui.m_Warnings,
              std::vector<std::string>{"'HUES.MUL' is one of the client's data files, not a patch "
                                       "file: the patch is not saved over it."});
    EXPECT_EQ(ReadBytes(hues), (std::vector<std::uint8_t>{1, 2, 3}));

    // Saved this time: the window closes.
    m_Ui.m_Answers = {true};
    m_Ui.m_Files = {TestPath("exit.pat")};
    EXPECT_TRUE(frame->close());
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(ReadBytes(TestPath("exit.pat")), Pat({{kMulti, 6, Bytes(2, 5)}}));
}

// A Cancel at a document's question keeps the patch answered No; when the loop ends with its
// changes, shut-down offers the save again.
TEST_F(ShellPatchTest, ACancelAtADocumentsQuestionKeepsThePatchForShutDownToSave) {
    m_pApp->GetPatch().InsertPatchRecord(Bytes(2, 5), kMulti, 6);
    ASSERT_TRUE(Command(ID_FILE_NEW));
    m_pApp->GetMainFrame()->GetActiveDocument()->SetModifiedFlag(true);
    m_Ui.m_Answers = {false};  // the patch: No; the document: Cancel
    ASSERT_TRUE(Command(ID_APP_EXIT));
    EXPECT_EQ(m_Ui.m_Choices.size(), 1u);
    EXPECT_TRUE(m_pApp->GetMainFrame()->isVisible());
    EXPECT_TRUE(m_pApp->GetPatch().IsModified());
    m_pApp->GetMainFrame()->GetActiveDocument()->SetModifiedFlag(false);

    m_Ui.m_Answers = {true};
    m_Ui.m_Files = {TestPath("late.pat")};
    m_pApp->ExitInstance();
    EXPECT_EQ(m_Ui.m_Questions.size(), 2u);
    EXPECT_EQ(ReadBytes(TestPath("late.pat")), Pat({{kMulti, 6, Bytes(2, 5)}}));
}

TEST_F(ShellPatchTest, ASheetsUnappliedEditsAreAskedAboutBeforeAnythingDestroysIt) {
    CMainFrame* frame = m_pApp->GetMainFrame();
    CBrindleView* view = ActiveView();
    ASSERT_NE(view, nullptr);
    // Hue 5 on a sheet, its name typed into without applying.
    ASSERT_TRUE(Command(ID_DATA_HUES));
    ASSERT_TRUE(view->m_pList->SelectIndex(5));
    ASSERT_TRUE(Command(ID_EDIT_PROPERTIES));
    CDataProps* sheet = DataAppState().GetSheet(0);
    ASSERT_NE(sheet, nullptr);
    auto* page = dynamic_cast<cDataPageHue*>(sheet->GetActivePage());
    ASSERT_NE(page, nullptr);
    QTest::keyClicks(page->m_pName, QStringLiteral("!"));
    EXPECT_TRUE(sheet->IsSheetModified());

    // Cancelled: another category, the other list kind, closing the view or the window all
    // leave the list, the sheet and its edits as they were.
    using Answer = CShellUi::Answer;
    m_Ui.m_ChoiceAnswers = {Answer::Cancel, Answer::Cancel, Answer::Cancel, Answer::Cancel};
    ASSERT_TRUE(Command(ID_DATA_ITEMS));
    ASSERT_TRUE(Command(ID_VIEW_THUMBNAIL));
    EXPECT_FALSE(frame->GetActiveChild()->close());
    EXPECT_FALSE(frame->close());
    ASSERT_EQ(m_Ui.m_Choices.size(), 4u);
    EXPECT_EQ(view->m_nCategory, kCategoryHues);
    EXPECT_EQ(view->m_nListMode, 0);
    EXPECT_EQ(DocumentCount(), 1u);
    EXPECT_TRUE(frame->isVisible());
    ASSERT_EQ(DataAppState().m_Sheets.size(), 1u);
    EXPECT_TRUE(sheet->IsSheetModified());
    EXPECT_FALSE(m_pApp->GetPatch().HasRecords());

    // Yes: the edits are applied to the patch before the list goes.
    m_Ui.m_ChoiceAnswers = {Answer::Yes};
    ASSERT_TRUE(Command(ID_VIEW_THUMBNAIL));
    EXPECT_EQ(view->m_nListMode, 1);
    EXPECT_EQ(m_Ui.m_Choices.size(), 5u);
    EXPECT_TRUE(m_pApp->GetPatch().HasRecords());
    EXPECT_TRUE(DataAppState().m_Sheets.empty());
}

TEST(ShellPatchDialogs, FilterInTheFileDialogsForm) {
    EXPECT_EQ(ToQtFileFilter("Patch files|*.pat||"), QStringLiteral("Patch files (*.pat)"));
    EXPECT_EQ(ToQtFileFilter("Pictures|*.png;*.bmp|All|*||"),
              QStringLiteral("Pictures (*.png *.bmp);;All (*)"));
    EXPECT_EQ(ToQtFileFilter(""), QString());
}

}  // namespace
}  // namespace tessaly::test
