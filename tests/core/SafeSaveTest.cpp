// Replacing a file through a temporary file, with every step made to fail in turn.

#include "SafeSave.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace tessaly {
namespace {

using test::TempDir;

// A file whose writes fail once `budget` bytes have been written, or whose open or flush
// fails.
class FailingFile : public CQFile {
public:
    bool m_failOpen = false;
    bool m_failFlush = false;
    std::int64_t m_budget = -1;

    bool RawOpen(void* extra) override { return !m_failOpen && CQFile::RawOpen(extra); }
    void Write(const void* buffer, std::uint32_t count) override {
        if (m_budget >= 0 && count > m_budget) {
            throw CQFileException(CQFileException::kWriteFault, ENOSPC, GetFilePath());
        }
        m_budget -= m_budget >= 0 ? count : 0;
        CQFile::Write(buffer, count);
    }
    void Flush() override {
        if (m_failFlush) {
            throw CQFileException(CQFileException::kWriteFault, EIO, GetFilePath());
        }
        CQFile::Flush();
    }
};

class FailingOps : public CSaveFileOps {
public:
    FailingFile m_template;
    bool m_failRename = false;
    std::string m_renamedFrom;

    std::unique_ptr<CQFile> NewFile() override {
        auto file = std::make_unique<FailingFile>();
        file->m_failOpen = m_template.m_failOpen;
        file->m_failFlush = m_template.m_failFlush;
        file->m_budget = m_template.m_budget;
        return file;
    }
    bool Rename(const std::string& from, const std::string& to) override {
        m_renamedFrom = from;
        return !m_failRename && CSaveFileOps::Rename(from, to);
    }
};

class SafeSaveTest : public testing::Test {
protected:
    bool Save(CSaveFileOps* ops) {
        return SaveReplacing(
            m_target, "tmpsave.bin",
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
};

TEST_F(SafeSaveTest, ReplacesTheTargetThroughATemporaryFileBesideIt) {
    FailingOps ops;
    EXPECT_TRUE(Save(&ops));
    EXPECT_EQ(TempDir::ReadFile(m_target), std::vector<std::uint8_t>(6, 9));
    EXPECT_EQ(ops.m_renamedFrom, m_dir.File("tmpsave.bin"));
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("tmpsave.bin")));
}

TEST_F(SafeSaveTest, TemporaryFileNotCreatable) {
    FailingOps ops;
    ops.m_template.m_failOpen = true;
    EXPECT_FALSE(Save(&ops));
    ExpectUnchanged();
    // A real obstacle: a directory of the temporary file's name, which must survive.
    std::filesystem::create_directory(m_dir.File("tmpsave.bin"));
    EXPECT_FALSE(Save(nullptr));
    EXPECT_EQ(TempDir::ReadFile(m_target), m_old);
    EXPECT_TRUE(std::filesystem::is_directory(m_dir.File("tmpsave.bin")));
}

TEST_F(SafeSaveTest, WriteFails) {
    FailingOps ops;
    ops.m_template.m_budget = 4;  // the second write runs out of room
    EXPECT_FALSE(Save(&ops));
    ExpectUnchanged();
}

TEST_F(SafeSaveTest, FlushFails) {
    FailingOps ops;
    ops.m_template.m_failFlush = true;
    EXPECT_FALSE(Save(&ops));
    ExpectUnchanged();
}

TEST_F(SafeSaveTest, RenameFails) {
    FailingOps ops;
    ops.m_failRename = true;
    EXPECT_FALSE(Save(&ops));
    ExpectUnchanged();
}

TEST_F(SafeSaveTest, BodyRefusesOrThrows) {
    EXPECT_FALSE(SaveReplacing(m_target, "tmpsave.bin", [](CQFile&) { return false; }));
    ExpectUnchanged();
    EXPECT_FALSE(SaveReplacing(m_target, "tmpsave.bin",
                               [](CQFile&) -> bool { throw std::runtime_error("boom"); }));
    ExpectUnchanged();
}

TEST_F(SafeSaveTest, MissingTargetIsCreated) {
    std::string fresh = m_dir.File("fresh.bin");
    EXPECT_TRUE(SaveReplacing(fresh, "tmpsave.bin", [](CQFile& file) {
        std::uint8_t b = 5;
        file.Write(&b, 1);
        return true;
    }));
    EXPECT_EQ(TempDir::ReadFile(fresh), std::vector<std::uint8_t>{5});
}

}  // namespace
}  // namespace tessaly
