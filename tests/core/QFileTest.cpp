// The checked file: open/close state, modes, locks and the stream operations.

#include "CapturedLog.h"
#include "QFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cerrno>
#include <filesystem>
#include <fstream>

namespace tessaly {
namespace {

using test::TempDir;

class QFileTest : public testing::Test {
protected:
    TempDir m_dir;
    std::string m_path = m_dir.Write("data.mul", {1, 2, 3, 4, 5, 6, 7, 8});
};

// The next byte of the file, or -1 when none is read.
int ReadByte(CQFile& file) {
    std::uint8_t b = 0;
    return file.Read(&b, 1) == 1 ? b : -1;
}

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
    // A closed file raises the file error.
    file.Close();
    EXPECT_THROW(file.Read(buffer, 1), CQFileException);
    EXPECT_THROW(file.Seek(0, CQFile::begin), CQFileException);
}

TEST_F(QFileTest, CreateEmptiesAndWriteWritesWithoutPassingOwnModeBits) {
    CQFile file;
    // 0x70000000 would be nonsense to open(2); only the low 28 bits are passed.
    ASSERT_TRUE(file.Open(m_path.c_str(), 0x70000000u | CQFile::modeCreate | CQFile::modeWrite));
    EXPECT_EQ(file.GetLength(), 0u);
    const std::uint8_t bytes[] = {0xA, 0xB};
    file.Write(bytes, 2);
    file.Flush();
    file.Close();
    EXPECT_EQ(TempDir::ReadFile(m_path), (std::vector<std::uint8_t>{0xA, 0xB}));
}

// A FIFO without a writer, a device and a directory are refused at once (a blocking open of the
// FIFO would never return), with one line naming each; a device is never emptied by a create.
TEST_F(QFileTest, OnlyRegularFilesOpen) {
    const std::string fifo = m_dir.File("art.mul");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string device = m_dir.File("anim.mul");
    std::filesystem::create_symlink("/dev/null", device);
    test::CapturedLog log;
    for (const std::string& path : {fifo, device, m_dir.Path().string()}) {
        for (std::uint32_t mode : {CQFile::modeRead, CQFile::modeCreate | CQFile::modeReadWrite}) {
            CQFile file;
            EXPECT_FALSE(file.Open(path.c_str(), mode)) << path;
        }
        EXPECT_FALSE(ReadRegularFile(path, 100));
    }
    ASSERT_FALSE(log.m_Lines.empty());
    EXPECT_EQ(log.m_Lines[0], "tessaly: '" + fifo + "' is not a regular file\n");
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_EQ(ReadRegularFile(m_path, 8)->size(), 8u);
    // A file past the bound is not read.
    errno = 0;
    EXPECT_FALSE(ReadRegularFile(m_path, 7));
    EXPECT_EQ(errno, EFBIG);
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

// A shared handle is forgotten, not closed; a duplicate outlives the original and a file saved
// over its name.
TEST_F(QFileTest, ASharedHandleIsForgottenAndADuplicateOutlivesTheOriginalAndItsName) {
    CQFile original;
    CQFile copy;
    EXPECT_FALSE(copy.Duplicate(original));  // nothing open
    ASSERT_TRUE(original.Open(m_path.c_str(), CQFile::shareDenyWrite));
    {
        CQFile shared;
        shared.OpenShared(original);
        shared.Close();  // forgets the handle
        shared.OpenShared(original);
    }  // destroying the sharer must not close the owner's descriptor
    original.Seek(1, CQFile::begin);
    EXPECT_EQ(ReadByte(original), 2);

    ASSERT_TRUE(copy.Duplicate(original));
    EXPECT_EQ(copy.GetFilePath(), m_path);
    EXPECT_EQ(copy.GetOpenSerial(), original.GetOpenSerial());
    original.Close();
    const std::string other = m_path + ".new";
    std::ofstream(other) << "zz";
    std::filesystem::rename(other, m_path);
    copy.Seek(1, CQFile::begin);
    EXPECT_EQ(ReadByte(copy), 2);
}

// A file whose writes fail once asked to.
class RefusingFile : public CQFile {
public:
    void Write(const void* buffer, std::uint32_t count) override {
        ++m_nWrites;
        if (m_bRefuse) {
            throw CQFileException(CQFileException::kWriteFault, ENOSPC, GetFilePath());
        }
        CQFile::Write(buffer, count);
    }
    bool m_bRefuse = false;
    int m_nWrites = 0;
};

// A buffered file over a new file whose writes can be refused.
class BufferedFileTest : public QFileTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(target.Open(path.c_str(), CQFile::modeCreate | CQFile::modeReadWrite));
    }
    RefusingFile target;
    std::string path = m_dir.File("out.mul");
    CQBufferedFile file{target};
};

TEST_F(BufferedFileTest, WritesReachTheFileInOrderAndPositionsStayTrue) {
    file.Write("abc", 3);
    file.Write("de", 2);
    EXPECT_EQ(target.m_nWrites, 0);  // gathered
    EXPECT_EQ(file.GetPosition(), 5u);
    // A seek hands the bytes on first; writing over them then changes them in place.
    EXPECT_EQ(file.Seek(1, CQFile::begin), 1);
    EXPECT_EQ(target.m_nWrites, 1);
    file.Write("X", 1);
    EXPECT_EQ(file.GetLength(), 5u);  // hands on "X" too
    EXPECT_EQ(file.GetPosition(), 2u);
    file.Seek(0, CQFile::end);
    // A write as large as the buffer goes straight to the file, after what was gathered.
    file.Write("f", 1);
    const std::vector<std::uint8_t> large(CQBufferedFile::kBufferSize, 'g');
    file.Write(large.data(), static_cast<std::uint32_t>(large.size()));
    file.Write("h", 1);
    EXPECT_EQ(file.GetPosition(), 7u + large.size());
    file.FlushBuffer();
    std::vector<std::uint8_t> expected(7 + large.size(), 'g');
    const char* start = "aXcdef";
    std::copy(start, start + 6, expected.begin());
    expected.back() = 'h';
    EXPECT_EQ(TempDir::ReadFile(path), expected);

    // Reading hands the bytes on too.
    file.Seek(0, CQFile::begin);
    file.Write("Y", 1);
    EXPECT_EQ(ReadByte(file), 'X');
    EXPECT_EQ(file.GetPosition(), 2u);
}

TEST_F(BufferedFileTest, AFailedWriteRaisesOnceAndIsNotRepeated) {
    file.Write("abc", 3);
    target.m_bRefuse = true;
    EXPECT_THROW(file.FlushBuffer(), CQFileException);
    target.m_bRefuse = false;
    file.FlushBuffer();  // nothing left to hand on
    EXPECT_EQ(target.m_nWrites, 1);
    EXPECT_TRUE(TempDir::ReadFile(path).empty());
    EXPECT_THROW(
        {
            target.m_bRefuse = true;
            file.Write("d", 1);
            file.Flush();
        },
        CQFileException);
}

}  // namespace
}  // namespace tessaly
