// Replacing a file through a temporary file, with every step made to fail in turn.

#include "FailingSave.h"
#include "SafeSave.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tessaly {
namespace {

using test::FailingSaveOps;
using test::TempDir;

class SafeSaveTest : public testing::Test {
protected:
    bool Save(CSaveFileOps* ops, const std::string& target) {
        return SaveReplacing(
            target, "tmpsave.bin",
            [](CQFile& file) {
                const std::uint8_t bytes[] = {9, 9, 9, 9, 9, 9};
                file.Write(bytes, 3);
                file.Write(bytes, 3);
                return true;
            },
            ops);
    }
    void ExpectUnchanged() {
        EXPECT_EQ(TempDir::ReadFile(m_target), m_old);
        EXPECT_FALSE(std::filesystem::exists(m_dir.File("tmpsave.bin")));
    }

    TempDir m_dir;
    std::vector<std::uint8_t> m_old{1, 2, 3};
    std::string m_target = m_dir.Write("target.bin", m_old);
    FailingSaveOps m_ops;
};

TEST_F(SafeSaveTest, ReplacesOrCreatesTheTargetThroughATemporaryFileBesideIt) {
    EXPECT_TRUE(Save(&m_ops, m_target));
    EXPECT_EQ(TempDir::ReadFile(m_target), std::vector<std::uint8_t>(6, 9));
    EXPECT_EQ(m_ops.sRenamedFrom, m_dir.File("tmpsave.bin"));
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("tmpsave.bin")));

    EXPECT_TRUE(Save(nullptr, m_dir.File("fresh.bin")));
    EXPECT_EQ(m_dir.Read("fresh.bin"), std::vector<std::uint8_t>(6, 9));
}

class SafeSaveFailure : public SafeSaveTest,
                        public testing::WithParamInterface<FailingSaveOps::Step> {};

TEST_P(SafeSaveFailure, LeavesTheTargetUnchangedAndNoTemporaryFile) {
    m_ops.nFail = GetParam();
    EXPECT_FALSE(Save(&m_ops, m_target));
    ExpectUnchanged();
}

INSTANTIATE_TEST_SUITE_P(Steps, SafeSaveFailure, test::kFailingSaveSteps,
                         test::FailingSaveStepName);

TEST_F(SafeSaveTest, ObstacleOfTheTemporaryNameSurvives) {
    // A directory of the temporary file's name cannot be replaced and must not be removed.
    std::filesystem::create_directory(m_dir.File("tmpsave.bin"));
    EXPECT_FALSE(Save(nullptr, m_target));
    EXPECT_EQ(TempDir::ReadFile(m_target), m_old);
    EXPECT_TRUE(std::filesystem::is_directory(m_dir.File("tmpsave.bin")));
}

TEST_F(SafeSaveTest, BodyRefusesOrThrows) {
    EXPECT_FALSE(SaveReplacing(m_target, "tmpsave.bin", [](CQFile&) { return false; }));
    ExpectUnchanged();
    EXPECT_FALSE(SaveReplacing(m_target, "tmpsave.bin",
                               [](CQFile&) -> bool { throw std::runtime_error("boom"); }));
    ExpectUnchanged();
}

}  // namespace
}  // namespace tessaly
