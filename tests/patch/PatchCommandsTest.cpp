// The File-menu operations of the patch, driven by a user interface with scripted answers, over
// real files in a per-test directory.

#include "Patch.h"
#include "PatchBuilder.h"
#include "core/CapturedLog.h"
#include "core/FailingSave.h"
#include "core/TempDir.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <iterator>

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using test::FailingSaveOps;
using B = test::PatchFileBuilder;
using test::TempDir;

class ScriptedUi : public CPatchUi {
public:
    std::deque<bool> answers;                        // for AskYesNo, in turn
    std::deque<std::optional<std::string>> choices;  // for ChooseFile; nullopt = Cancel
    std::vector<PatchFileDialog> dialogs;
    std::vector<std::string> messages;

    bool AskYesNo(const std::string&) override { return Next(answers, false, "question"); }
    std::optional<std::string> ChooseFile(const PatchFileDialog& dialog) override {
        dialogs.push_back(dialog);
        return Next(choices, std::nullopt, "file dialog");
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

private:
    template <typename T, typename D>
    static T Next(std::deque<T>& queue, D fallback, const char* what) {
        EXPECT_FALSE(queue.empty()) << "unexpected " << what;
        if (queue.empty()) {
            return fallback;
        }
        T next = queue.front();
        queue.pop_front();
        return next;
    }
};

class PatchCommands : public testing::Test {
protected:
    std::string Write(const char* name, const B& builder) const {
        return m_dir.Write(name, builder.Build());
    }
    std::size_t FilesInDir() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_dir.Path()), {}));
    }
    // Opens `path` into the patch, expecting no message.
    void Open(const std::string& path) {
        ui.choices.push_back(path);
        patch.OpenPatch(ui);
        ASSERT_TRUE(ui.messages.empty()) << ui.messages.front();
    }

    TempDir m_dir;
    FailingSaveOps ops;
    CPatchFileIO io{&ops};
    CPatch patch{&io};
    ScriptedUi ui;
};

B TwoHues() {
    return B({{32, 4, B::Bytes(88, 4)}, {32, 9, B::Bytes(88, 9)}});
}

TEST_F(PatchCommands, OpenOfAMissingFileLeavesNoPatch) {
    patch.InsertPatchRecord(B::Bytes(88), 32, 1);
    ui.answers = {false};
    ui.choices = {m_dir.File("missing.pat")};
    patch.OpenPatch(ui);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Unable to open file"});
    EXPECT_FALSE(patch.HasRecords());
    EXPECT_TRUE(patch.Path().empty());
    EXPECT_FALSE(patch.IsModified());

    // A file larger than any patch is not read into memory at all.
    const std::string huge = Write("huge.pat", TwoHues());
    fs::resize_file(huge, kLargestPatFile + 1);
    test::CapturedLog log;
    EXPECT_EQ(io.ReadFile(huge), std::nullopt);
    EXPECT_EQ(log.m_Lines,
              std::vector<std::string>{"tessaly: '" + huge +
                                       "' is larger than any patch: it is not read\n"});
}

// A file out of order, opened through a link, finds every record; an edit replaces its record
// rather than adding a second one that a merge would pass over, and the save replaces the file
// the link names, keeping the link (that the file's permissions are kept too is the safe save's
// own test).
TEST_F(PatchCommands, AFileOutOfOrderFindsEveryRecordAndASaveThroughALinkKeepsIt) {
    fs::create_symlink(
        Write("u.pat",
              B({{14, 100, B::Bytes(24, 1)}, {14, 0, B::Bytes(12, 2)}, {32, 3, B::Bytes(88, 3)}})),
        m_dir.Path() / "link.pat");
    Open(m_dir.File("link.pat"));
    EXPECT_EQ(patch.FindPatchRecord(14, 0), B::Bytes(12, 2));
    EXPECT_EQ(patch.FindPatchRecord(32, 3), B::Bytes(88, 3));
    patch.InsertPatchRecord(B::Bytes(36, 4), 14, 0);
    ASSERT_TRUE(patch.SavePatch(ui));
    EXPECT_TRUE(fs::is_symlink(m_dir.Path() / "link.pat"));
    EXPECT_EQ(m_dir.Read("u.pat"),
              B({{14, 0, B::Bytes(36, 4)}, {14, 100, B::Bytes(24, 1)}, {32, 3, B::Bytes(88, 3)}})
                  .Build());
    EXPECT_EQ(FilesInDir(), 2u);
}

TEST_F(PatchCommands, MergeOfAMalformedFileLeavesThePatchUnchanged) {
    Open(Write("a.pat", TwoHues()));
    const std::vector<std::uint8_t> before(patch.Records().begin(), patch.Records().end());
    // The first record is whole, the second runs past the end: nothing of it may be merged.
    ui.choices = {
        Write("bad.pat", B().Record(14, 1, B::Bytes(12)).Record(14, 2, B::Bytes(12), 13))};
    patch.MergePatch(ui);
    EXPECT_EQ(ui.messages, std::vector<std::string>{
                               "Patch file format is invalid.  The file will not be loaded."});
    EXPECT_EQ(std::vector<std::uint8_t>(patch.Records().begin(), patch.Records().end()), before);
    EXPECT_EQ(patch.Count(), 2u);
    EXPECT_FALSE(patch.IsModified());

    // The refused file is the path, but a save asks for the file rather than replace it (with
    // its whole first record) unasked.
    const std::vector<std::uint8_t> bad = m_dir.Read("bad.pat");
    patch.InsertPatchRecord(B::Bytes(88, 5), 32, 5);
    ui.choices = {m_dir.File("chosen.pat")};
    EXPECT_TRUE(patch.SavePatch(ui));
    EXPECT_EQ(ui.dialogs.back().nKind, PatchFileDialog::SaveAs);
    EXPECT_EQ(m_dir.Read("bad.pat"), bad);
    EXPECT_EQ(ReadPatchFile(m_dir.Read("chosen.pat")).nCount, 3u);
    EXPECT_EQ(patch.Path(), m_dir.File("chosen.pat"));
}

// Yes to the save question, then Cancel in the file dialog: the patch stays, and a save with a
// chosen file writes it.
TEST_F(PatchCommands, CancelledSaveKeepsThePatch) {
    patch.InsertPatchRecord(B::Bytes(88), 32, 1);
    ui.answers = {true};
    ui.choices = {std::nullopt, std::nullopt};
    EXPECT_FALSE(patch.ClosePatch(ui));
    EXPECT_FALSE(patch.SavePatch(ui));
    EXPECT_EQ(ui.messages.back(), "Unable to open file for output");
    EXPECT_TRUE(patch.IsModified());
    EXPECT_EQ(patch.Count(), 1u);
    EXPECT_EQ(FilesInDir(), 0u);

    // A name as long as a file name can be (255 bytes) takes a temporary file too.
    const std::string name = std::string(251, 'n') + ".pat";
    ui.choices = {m_dir.File(name)};
    EXPECT_TRUE(patch.SavePatch(ui));
    EXPECT_EQ(m_dir.Read(name), B().Record(32, 1, B::Bytes(88)).Build());
    EXPECT_FALSE(patch.IsModified());
}

// Every failing step of the save ends the same way for the patch (the steps themselves are the
// safe save's own suite); a write that fails half way stands for them.
TEST_F(PatchCommands, FailedSaveLeavesTheOldFileAndTheModifiedPatch) {
    std::string path = Write("a.pat", TwoHues());
    Open(path);
    patch.InsertPatchRecord(B::Bytes(88, 5), 32, 5);

    ops.nFail = FailingSaveOps::WriteStep;
    EXPECT_FALSE(patch.SavePatch(ui));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Unable to open file for output"});
    EXPECT_EQ(m_dir.Read("a.pat"), TwoHues().Build());
    EXPECT_EQ(FilesInDir(), 1u) << "the temporary file is left behind";
    EXPECT_TRUE(patch.IsModified());

    // Closing (as at exit) after a Yes whose save fails keeps the patch, and so does opening
    // another.
    ui.answers = {true, true};
    EXPECT_FALSE(patch.ClosePatch(ui));
    ui.choices.clear();
    patch.OpenPatch(ui);
    EXPECT_EQ(ui.dialogs.size(), 1u) << "no open dialog after the failed save";
    EXPECT_TRUE(patch.IsModified());
    EXPECT_EQ(patch.Path(), path);
    EXPECT_EQ(patch.FindPatchRecord(32, 5), B::Bytes(88, 5));

    // Once saving works again the close goes ahead.
    ops.nFail = FailingSaveOps::None;
    ui.answers = {true};
    EXPECT_TRUE(patch.ClosePatch(ui));
    EXPECT_FALSE(patch.HasPath());
    EXPECT_EQ(ReadPatchFile(m_dir.Read("a.pat")).nCount, 3u);
}

}  // namespace
}  // namespace tessaly
