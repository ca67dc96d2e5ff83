// The checked file: open/close state, modes, locks and the stream operations.

#include "QFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using test::TempDir;

class QFileTest : public testing::Test {
protected:
    TempDir m_dir;
    std::string m_path = m_dir.Write("data.mul", {1, 2, 3, 4, 5, 6, 7, 8});
};

// A pathless open keeps an open file as it is, and otherwise retries the last path tried.
TEST_F(QFileTest, PathlessOpenUsesTheLastPath) {
    CQFile file;
    ASSERT_TRUE(file.Open(m_path.c_str(), CQFile::shareDenyWrite));
    file.Seek(3, CQFile::begin);
    EXPECT_TRUE(file.Open(nullptr, CQFile::modeReadWrite));
    EXPECT_EQ(file.GetPosition(), 3u);
    EXPECT_EQ(file.m_uMode, CQFile::shareDenyWrite);

    file.Close();
    file.Close();                         // closing a closed file does nothing
    EXPECT_FALSE(file.Open(nullptr, 0));  // Close empties the path
    file.SetFilePath(m_path);
    EXPECT_TRUE(file.Open(nullptr, 0));
    EXPECT_EQ(file.GetLength(), 8u);

    std::string missing = m_dir.File("missing.mul");
    EXPECT_FALSE(file.Open(missing.c_str(), CQFile::shareDenyWrite));
    EXPECT_FALSE(file.IsOpen());
    m_dir.Write("missing.mul", {9});
    EXPECT_TRUE(file.Open(nullptr, 0));
    EXPECT_EQ(file.GetLength(), 1u);
}

TEST_F(QFileTest, SeekReadAndShortReads) {
    CQFile file;
    ASSERT_TRUE(file.Open(m_path.c_str(), 0));
    EXPECT_EQ(file.Seek(0, CQFile::begin), 0);
    std::uint8_t buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, 3), 3u);
    EXPECT_EQ(buffer[2], 3);
    EXPECT_EQ(file.Seek(2, CQFile::current), 5);
    EXPECT_EQ(file.Seek(-1, CQFile::end), 7);
    EXPECT_EQ(file.Read(buffer, 16), 1u);
    EXPECT_EQ(buffer[0], 8);
    EXPECT_EQ(file.Read(buffer, 16), 0u);
    EXPECT_THROW(file.Seek(-100, CQFile::begin), CQFileException);
}

TEST_F(QFileTest, ClosedFileRaisesTheFileError) {
    CQFile file;
    std::uint8_t b;
    EXPECT_THROW(file.Read(&b, 1), CQFileException);
    EXPECT_THROW(file.Seek(0, CQFile::begin), CQFileException);
}

TEST_F(QFileTest, OwnModeBitsDoNotReachTheOperatingSystem) {
    CQFile file;
    // 0x70000000 would be nonsense to open(2); only the low 28 bits are passed.
    ASSERT_TRUE(file.Open(m_path.c_str(), 0x70000000u | CQFile::modeReadWrite));
    file.Seek(0, CQFile::begin);
    std::uint8_t b = 0xEE;
    file.Write(&b, 1);
    file.Close();
    EXPECT_EQ(TempDir::ReadFile(m_path)[0], 0xEE);
}

TEST_F(QFileTest, CreateEmptiesAndWriteWrites) {
    CQFile file;
    ASSERT_TRUE(file.Open(m_path.c_str(), CQFile::modeCreate | CQFile::modeWrite));
    EXPECT_EQ(file.GetLength(), 0u);
    const std::uint8_t bytes[] = {0xA, 0xB};
    file.Write(bytes, 2);
    file.Flush();
    file.Close();
    EXPECT_EQ(TempDir::ReadFile(m_path), (std::vector<std::uint8_t>{0xA, 0xB}));
}

TEST_F(QFileTest, ShareFlagsBecomeLocks) {
    CQFile reader;
    ASSERT_TRUE(reader.Open(m_path.c_str(), CQFile::shareDenyWrite));
    CQFile second;
    EXPECT_TRUE(second.Open(m_path.c_str(), CQFile::shareDenyWrite));  // readers share
    CQFile exclusive;
    EXPECT_FALSE(exclusive.Open(m_path.c_str(), CQFile::modeReadWrite | CQFile::shareExclusive));
    reader.Close();
    second.Close();
    EXPECT_TRUE(exclusive.Open(m_path.c_str(), CQFile::modeReadWrite | CQFile::shareExclusive));
    CQFile denied;
    EXPECT_FALSE(denied.Open(m_path.c_str(), CQFile::shareDenyWrite));
    EXPECT_TRUE(denied.Open(m_path.c_str(), CQFile::shareDenyNone));
}

TEST_F(QFileTest, SharedHandleIsForgottenNotClosed) {
    CQFile owner;
    ASSERT_TRUE(owner.Open(m_path.c_str(), 0));
    {
        CQFile shared;
        shared.OpenShared(owner);
        shared.Close();  // forgets the handle
        shared.OpenShared(owner);
    }  // destroying the sharer must not close the owner's descriptor
    std::uint8_t b = 0;
    owner.Seek(1, CQFile::begin);
    EXPECT_EQ(owner.Read(&b, 1), 1u);
    EXPECT_EQ(b, 2);
}

}  // namespace
}  // namespace tessaly
