// The File-menu operations of the patch, driven by a user interface with scripted answers, over
// real files in a per-test directory.

#include "Patch.h"
#include "PatchBuilder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include <sys/stat.h>

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using test::PatchFileBuilder;

class ScriptedUi : public CPatchUi {
public:
    std::deque<bool> answers;                        // for AskYesNo, in turn
    std::deque<std::optional<std::string>> choices;  // for ChooseFile; nullopt = Cancel
    std::vector<std::string> questions;
    std::vector<PatchFileDialog> dialogs;
    std::vector<std::string> messages;

    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
        EXPECT_FALSE(answers.empty()) << "unexpected question: " << text;
        bool a = !answers.empty() && answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return a;
    }
    std::optional<std::string> ChooseFile(const PatchFileDialog& dialog) override {
        dialogs.push_back(dialog);
        EXPECT_FALSE(choices.empty()) << "unexpected file dialog";
        if (choices.empty()) {
            return std::nullopt;
        }
        auto c = choices.front();
        choices.pop_front();
        return c;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
};

// The real file system with one step of a save made to fail.
class FailingOps : public CSaveFileOps {
public:
    enum Step { None, CreateTempStep, WriteStep, FlushStep, RenameStep };
    Step nFail = None;

    std::unique_ptr<CQFile> NewFile() override { return std::make_unique<File>(nFail); }
    bool Rename(const std::string& from, const std::string& to) override {
        return nFail != RenameStep && CSaveFileOps::Rename(from, to);
    }

private:
    class File : public CQFile {
    public:
        explicit File(Step fail) : m_nFail(fail) {}
        bool Open(const char* path, std::uint32_t mode, void* extra) override {
            return m_nFail != CreateTempStep && CQFile::Open(path, mode, extra);
        }
        void Write(const void* buffer, std::uint32_t count) override {
            if (m_nFail == WriteStep) {
                // Half the file reaches the disk before the disk is full.
                CQFile::Write(buffer, count / 2);
                throw CQFileException(CQFileException::kWriteFault, ENOSPC, GetFilePath());
            }
            CQFile::Write(buffer, count);
        }
        void Flush() override {
            if (m_nFail == FlushStep) {
                throw CQFileException(CQFileException::kGeneric, EIO, GetFilePath());
            }
            CQFile::Flush();
        }

    private:
        Step m_nFail;
    };
};

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PatchCommands : public testing::Test {
protected:
    void SetUp() override {
        m_Dir = fs::path(testing::TempDir()) /
                ("tessaly-patch-" +
                 std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_Dir);
        fs::create_directories(m_Dir);
    }
    void TearDown() override { fs::remove_all(m_Dir); }

    std::string PathOf(const char* name) const { return (m_Dir / name).string(); }
    std::string Write(const char* name, const PatchFileBuilder& builder) const {
        builder.WriteTo(m_Dir / name);
        return PathOf(name);
    }
    std::size_t FilesInDir() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_Dir), {}));
    }
    // Opens `path` into the patch, expecting no message.
    void Open(const std::string& path) {
        ui.choices.push_back(path);
        patch.OpenPatch(ui);
        ASSERT_TRUE(ui.messages.empty()) << ui.messages.front();
    }

    fs::path m_Dir;
    FailingOps ops;
    CPatchFileIO io{&ops};
    CPatch patch{&io};
    ScriptedUi ui;
};

PatchFileBuilder TwoHues() {
    return PatchFileBuilder()
        .Record(32, 4, PatchFileBuilder::Bytes(88, 4))
        .Record(32, 9, PatchFileBuilder::Bytes(88, 9));
}

TEST_F(PatchCommands, OpenLoadsAnUnmodifiedPatch) {
    std::string path = Write("a.pat", TwoHues());
    Open(path);
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_EQ(ui.dialogs[0].nKind, PatchFileDialog::Open);
    EXPECT_TRUE(ui.dialogs[0].bMustExist);
    EXPECT_STREQ(ui.dialogs[0].pFilter, "Patch files|*.pat||");
    EXPECT_EQ(patch.Path(), path);
    EXPECT_EQ(patch.Count(), 2u);
    EXPECT_FALSE(patch.IsModified());
    EXPECT_EQ(patch.FindPatchRecord(32, 9), PatchFileBuilder::Bytes(88, 9));
}

TEST_F(PatchCommands, OpenOfAMissingFileLeavesNoPatch) {
    patch.InsertPatchRecord(PatchFileBuilder::Bytes(88), 32, 1);
    ui.answers = {false};
    ui.choices = {PathOf("missing.pat")};
    patch.OpenPatch(ui);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Unable to open file"});
    EXPECT_EQ(patch.Count(), 0u);
    EXPECT_TRUE(patch.Path().empty());
    EXPECT_FALSE(patch.IsModified());
}

// A wrong mark, records past the end and a count above the records are all refused alike: no
// data, the path set to the refused file.
TEST_F(PatchCommands, OpenRefusesMalformedFiles) {
    for (auto builder :
         {PatchFileBuilder(TwoHues()).Mark(0x1234), PatchFileBuilder(TwoHues()).Count(3),
          PatchFileBuilder().Record(14, 1, {1, 2}, 200)}) {
        std::string path = Write("bad.pat", builder);
        ui.messages.clear();
        ui.choices = {path};
        patch.OpenPatch(ui);
        EXPECT_EQ(ui.messages, std::vector<std::string>{
                                   "Patch file format is invalid.  The file will not be loaded."});
        EXPECT_EQ(patch.Count(), 0u);
        EXPECT_TRUE(patch.Records().empty());
        EXPECT_EQ(patch.Path(), path);
        EXPECT_FALSE(patch.HasRecords());
    }
}

TEST_F(PatchCommands, MergeInsertsRecordsAndMovesThePath) {
    Open(Write("a.pat", TwoHues()));
    std::string other = Write("b.pat", PatchFileBuilder()
                                           .Old()
                                           .Record(32, 9, PatchFileBuilder::Bytes(88, 90))
                                           .Record(2, 3, PatchFileBuilder::Bytes(14), 2)
                                           .Record(14, 7, PatchFileBuilder::Bytes(12)));
    ui.choices = {other};
    patch.MergePatch(ui);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.dialogs.back().nKind, PatchFileDialog::Merge);
    EXPECT_EQ(patch.Path(), other);
    EXPECT_TRUE(patch.IsModified());
    EXPECT_EQ(patch.Count(), 4u);
    EXPECT_EQ(patch.FindPatchRecord(32, 9), PatchFileBuilder::Bytes(88, 90));
    EXPECT_EQ(patch.FindPatchRecord(2, 3), PatchFileBuilder::Bytes(14));
    EXPECT_EQ(patch.FindPatchRecord(32, 4), PatchFileBuilder::Bytes(88, 4));
}

TEST_F(PatchCommands, MergeOfAMalformedFileLeavesThePatchUnchanged) {
    Open(Write("a.pat", TwoHues()));
    const std::vector<std::uint8_t> before(patch.Records().begin(), patch.Records().end());
    // The first record is whole, the second runs past the end: nothing of it may be merged.
    std::string bad = Write("bad.pat", PatchFileBuilder()
                                           .Record(14, 1, PatchFileBuilder::Bytes(12))
                                           .Record(14, 2, PatchFileBuilder::Bytes(12), 13));
    ui.choices = {bad};
    patch.MergePatch(ui);
    EXPECT_EQ(ui.messages, std::vector<std::string>{
                               "Patch file format is invalid.  The file will not be loaded."});
    EXPECT_EQ(std::vector<std::uint8_t>(patch.Records().begin(), patch.Records().end()), before);
    EXPECT_EQ(patch.Count(), 2u);
    EXPECT_FALSE(patch.IsModified());
    EXPECT_EQ(patch.Path(), bad);
}

TEST_F(PatchCommands, OldStaticsRecordIsSavedWithItsByteLength) {
    std::string path =
        Write("old.pat", PatchFileBuilder().Old().Record(2, 0, PatchFileBuilder::Bytes(21), 3));
    Open(path);
    std::uint32_t length = 0;
    EXPECT_TRUE(patch.FindPatchRecord(nullptr, 2, length, 0));
    EXPECT_EQ(length, 21u);

    patch.InsertPatchRecord(PatchFileBuilder::Bytes(88), 32, 0);
    EXPECT_TRUE(patch.SavePatch(ui));
    EXPECT_EQ(ReadBytes(path), PatchFileBuilder()
                                   .Record(2, 0, PatchFileBuilder::Bytes(21))
                                   .Record(32, 0, PatchFileBuilder::Bytes(88))
                                   .Build());
    EXPECT_FALSE(patch.IsModified());
}

TEST_F(PatchCommands, SaveAsOfAnUnmodifiedPatchOnlyChangesThePath) {
    Open(Write("a.pat", TwoHues()));
    ui.choices = {PathOf("copy.pat")};
    EXPECT_TRUE(patch.SavePatchAs(ui));
    EXPECT_EQ(ui.dialogs.back().nKind, PatchFileDialog::SaveAs);
    EXPECT_TRUE(ui.dialogs.back().bSave);
    EXPECT_EQ(patch.Path(), PathOf("copy.pat"));
    EXPECT_FALSE(fs::exists(PathOf("copy.pat")));
}

TEST_F(PatchCommands, SaveWithoutPathAsksForOneAndCancelFails) {
    patch.InsertPatchRecord(PatchFileBuilder::Bytes(88), 32, 1);
    ui.choices = {std::nullopt};
    EXPECT_FALSE(patch.SavePatch(ui));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Unable to open file for output"});
    EXPECT_TRUE(patch.IsModified());
    EXPECT_EQ(FilesInDir(), 0u);

    ui.choices = {PathOf("new.pat")};
    EXPECT_TRUE(patch.SavePatch(ui));
    EXPECT_EQ(ReadBytes(PathOf("new.pat")),
              PatchFileBuilder().Record(32, 1, PatchFileBuilder::Bytes(88)).Build());
    EXPECT_FALSE(patch.IsModified());
}

TEST_F(PatchCommands, SaveReplacesTheFileKeepingItsPermissions) {
    std::string path = Write("a.pat", TwoHues());
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    Open(path);
    patch.InsertPatchRecord(PatchFileBuilder::Bytes(88, 5), 32, 5);
    EXPECT_TRUE(patch.SavePatch(ui));
    EXPECT_EQ(ReadPatchFile(ReadBytes(path)).nCount, 3u);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(PatchCommands, SaveThroughALinkKeepsTheLink) {
    std::string real = Write("real.pat", TwoHues());
    fs::create_symlink(real, m_Dir / "link.pat");
    Open(PathOf("link.pat"));
    patch.InsertPatchRecord(PatchFileBuilder::Bytes(88, 5), 32, 5);
    EXPECT_TRUE(patch.SavePatch(ui));
    EXPECT_TRUE(fs::is_symlink(m_Dir / "link.pat"));
    EXPECT_EQ(ReadPatchFile(ReadBytes(real)).nCount, 3u);
}

class PatchSaveFailure : public PatchCommands,
                         public testing::WithParamInterface<FailingOps::Step> {};

TEST_P(PatchSaveFailure, LeavesTheOldFileAndTheModifiedPatch) {
    std::string path = Write("a.pat", TwoHues());
    const auto before = ReadBytes(path);
    Open(path);
    patch.InsertPatchRecord(PatchFileBuilder::Bytes(88, 5), 32, 5);

    ops.nFail = GetParam();
    EXPECT_FALSE(patch.SavePatch(ui));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Unable to open file for output"});
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(FilesInDir(), 1u) << "the temporary file is left behind";
    EXPECT_TRUE(patch.IsModified());
    EXPECT_EQ(patch.Count(), 3u);

    // Closing after a Yes whose save fails keeps the patch, and so does opening another.
    ui.answers = {true, true};
    EXPECT_FALSE(patch.ClosePatch(ui));
    ui.choices.clear();
    patch.OpenPatch(ui);
    EXPECT_EQ(ui.dialogs.size(), 1u) << "no open dialog after the failed save";
    EXPECT_TRUE(patch.IsModified());
    EXPECT_EQ(patch.Path(), path);
    EXPECT_EQ(patch.FindPatchRecord(32, 5), PatchFileBuilder::Bytes(88, 5));

    // Once saving works again the close goes ahead.
    ops.nFail = FailingOps::None;
    ui.answers = {true};
    EXPECT_TRUE(patch.ClosePatch(ui));
    EXPECT_FALSE(patch.HasPath());
    EXPECT_EQ(ReadPatchFile(ReadBytes(path)).nCount, 3u);
}

std::string StepName(const testing::TestParamInfo<FailingOps::Step>& info) {
    static const char* const kNames[] = {"None", "CreateTemp", "Write", "Flush", "Rename"};
    return kNames[info.param];
}

INSTANTIATE_TEST_SUITE_P(Steps, PatchSaveFailure,
                         testing::Values(FailingOps::CreateTempStep, FailingOps::WriteStep,
                                         FailingOps::FlushStep, FailingOps::RenameStep),
                         StepName);

TEST_F(PatchCommands, CloseAfterYesWithCancelledSaveDialogKeepsThePatch) {
    patch.InsertPatchRecord(PatchFileBuilder::Bytes(88), 32, 1);
    ui.answers = {true};
    ui.choices = {std::nullopt};
    EXPECT_FALSE(patch.ClosePatch(ui));
    EXPECT_TRUE(patch.IsModified());
    EXPECT_EQ(patch.Count(), 1u);
}

TEST_F(PatchCommands, CloseAnsweringNoDiscardsAndAsksNoMore) {
    Open(Write("a.pat", TwoHues()));
    patch.InsertPatchRecord(PatchFileBuilder::Bytes(88), 32, 1);
    ui.answers = {false};
    EXPECT_TRUE(patch.ClosePatch(ui));
    EXPECT_EQ(ui.questions,
              std::vector<std::string>{"Would you like to save your current patch information?"});
    EXPECT_FALSE(patch.HasPath());
    EXPECT_FALSE(patch.HasRecords());
    // At exit there is nothing left to ask about.
    EXPECT_TRUE(patch.ClosePatch(ui));
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ReadBytes(PathOf("a.pat")), TwoHues().Build());
}

}  // namespace
}  // namespace tessaly
