// The checked file (open/close state, modes, locks and the stream operations) and replacing a
// file through a temporary file, with every step made to fail in turn.

#include "CapturedLog.h"
#include "FailingSave.h"
#include "QFile.h"
#include "SafeSave.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <set>

namespace tessaly {
namespace {

using test::FailingSaveOps;
using test::TempDir;

// A FIFO without a writer, a link to a device and a directory, made in dir.
std::vector<std::string> NotRegularFiles(const TempDir& dir) {
    EXPECT_EQ(::mkfifo(dir.File("fifo.mul").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/null", dir.File("device.mul"));
    std::filesystem::create_directory(dir.File("folder.mul"));
    return {dir.File("fifo.mul"), dir.File("device.mul"), dir.File("folder.mul")};
}

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

// A pathless open keeps an open file as it is, and otherwise retries the last path tried; reads
// stop at the end of the file, and a failed seek or a read of a closed file raises the file
// error.
TEST_F(QFileTest, PathlessOpenSeeksShortReadsAndCreate) {
    CQFile file;
    ASSERT_TRUE(file.Open(m_path.c_str(), CQFile::shareDenyWrite));
    file.Seek(3, CQFile::begin);
    EXPECT_TRUE(file.Open(nullptr, CQFile::modeReadWrite));
    EXPECT_EQ(file.m_uMode, CQFile::shareDenyWrite);
    std::uint8_t buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, 3), 3u);
    EXPECT_EQ(buffer[2], 6);
    EXPECT_EQ(file.Seek(-1, CQFile::current), 5);
    EXPECT_EQ(file.Seek(-1, CQFile::end), 7);
    EXPECT_EQ(file.Read(buffer, 16), 1u);
    EXPECT_EQ(buffer[0], 8);
    EXPECT_THROW(file.Seek(-100, CQFile::begin), CQFileException);

    file.Close();
    file.Close();  // closing a closed file does nothing
    EXPECT_THROW(file.Read(buffer, 1), CQFileException);
    EXPECT_FALSE(file.Open(nullptr, 0));  // Close empties the path
    file.SetFilePath(m_path);
    EXPECT_TRUE(file.Open(nullptr, 0));
    EXPECT_FALSE(file.Open(m_dir.File("missing.mul").c_str(), CQFile::shareDenyWrite));
    m_dir.Write("missing.mul", {9});
    EXPECT_TRUE(file.Open(nullptr, 0));
    EXPECT_EQ(file.GetLength(), 1u);

    // A create empties the file. 0x70000000 would be nonsense to open(2); only the low 28 bits
    // are passed.
    ASSERT_TRUE(file.Open(m_path.c_str(), 0x70000000u | CQFile::modeCreate | CQFile::modeWrite));
    file.Write("\xA\xB", 2);
    file.Close();
    EXPECT_EQ(TempDir::ReadFile(m_path), (std::vector<std::uint8_t>{0xA, 0xB}));
}

// A FIFO without a writer, a device and a directory are refused at once (a blocking open of the
// FIFO would never return), with one line naming each; a device is never emptied by a create.
TEST_F(QFileTest, OnlyRegularFilesOpen) {
    const std::vector<std::string> others = NotRegularFiles(m_dir);
    test::CapturedLog log;
    for (const std::string& path : others) {
        for (std::uint32_t mode : {CQFile::modeRead, CQFile::modeCreate | CQFile::modeReadWrite}) {
            CQFile file;
            EXPECT_FALSE(file.Open(path.c_str(), mode)) << path;
        }
        EXPECT_FALSE(ReadRegularFile(path, 100));
    }
    ASSERT_EQ(log.m_Lines.size(), 3u);  // each named once
    EXPECT_EQ(log.m_Lines[0], "tessaly: '" + others[0] + "' is not a regular file\n");
    EXPECT_TRUE(std::filesystem::is_fifo(others[0]));
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
    CQFile unlocked;
    EXPECT_TRUE(unlocked.Open(m_path.c_str(), CQFile::shareDenyNone));
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
    EXPECT_EQ(copy.GetOpenSerial(), original.GetOpenSerial());
    original.Close();
    std::filesystem::rename(m_dir.Write("new.mul", {0}), m_path);
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

// A failed write raises once, and its bytes are dropped rather than handed on later.
TEST_F(BufferedFileTest, WritesReachTheFileInOrderOnceAndPositionsStayTrue) {
    file.Write("abc", 3);
    file.Write("de", 2);
    EXPECT_EQ(target.m_nWrites, 0);  // gathered
    EXPECT_EQ(file.GetPosition(), 5u);
    // A seek hands the bytes on first; writing over them then changes them in place.
    EXPECT_EQ(file.Seek(1, CQFile::begin), 1);
    file.Write("X", 1);
    EXPECT_EQ(file.GetLength(), 5u);  // hands on "X" too
    file.Seek(0, CQFile::end);
    // A write as large as the buffer goes straight to the file, after what was gathered.
    file.Write("f", 1);
    const std::string large(CQBufferedFile::kBufferSize, 'g');
    file.Write(large.data(), static_cast<std::uint32_t>(large.size()));
    file.Write("h", 1);
    EXPECT_EQ(file.GetPosition(), 7u + large.size());
    file.Flush();
    const std::string written = "aXcdef" + large + "h";
    EXPECT_EQ(TempDir::ReadFile(path), std::vector<std::uint8_t>(written.begin(), written.end()));

    // Reading hands the bytes on too.
    file.Seek(0, CQFile::begin);
    file.Write("Y", 1);
    EXPECT_EQ(ReadByte(file), 'X');
    EXPECT_EQ(file.GetPosition(), 2u);

    file.Write("Z", 1);
    target.m_bRefuse = true;
    EXPECT_THROW(file.Flush(), CQFileException);
    target.m_bRefuse = false;
    file.Flush();
    EXPECT_EQ(TempDir::ReadFile(path)[2], 'c');
}

class SafeSaveTest : public testing::Test {
protected:
    bool Save(CSaveFileOps* ops, const std::string& target) {
        return SaveReplacing(
            target, "tmpsave.bin",
            [](CQFile& file) {
                file.Write("\t\t\t\t\t\t", 6);  // six bytes 9
                return true;
            },
            ops);
    }
    void ExpectUnchanged() {
        EXPECT_EQ(TempDir::ReadFile(m_target), m_old);
        EXPECT_EQ(Names(), std::set<std::string>{"target.bin"});
    }
    // What the directory holds.
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    TempDir m_dir;
    std::vector<std::uint8_t> m_old{1, 2, 3};
    std::string m_target = m_dir.Write("target.bin", m_old);
    FailingSaveOps m_ops;
};

// A temporary file a killed save left goes with the first save into its directory; later saves
// of the same process do not read the directory again (an export writes thousands into one).
TEST_F(SafeSaveTest, ReplacesOrCreatesTheTargetThroughATemporaryFileBesideIt) {
    m_dir.Write("tmpsave.bin.QQQQQQ", {1});
    EXPECT_TRUE(Save(&m_ops, m_target));
    EXPECT_EQ(TempDir::ReadFile(m_target), std::vector<std::uint8_t>(6, 9));
    EXPECT_EQ(m_ops.sRenamedFrom.substr(0, m_ops.sRenamedFrom.size() - 6),
              m_dir.File("tmpsave.bin."));
    EXPECT_EQ(Names(), std::set<std::string>{"target.bin"});

    m_dir.Write("tmpsave.bin.RRRRRR", {1});
    EXPECT_TRUE(Save(nullptr, m_dir.File("fresh.bin")));
    EXPECT_EQ(m_dir.Read("fresh.bin"), std::vector<std::uint8_t>(6, 9));
    EXPECT_TRUE(std::filesystem::exists(m_dir.File("tmpsave.bin.RRRRRR")));
}

// A failing step, or a body that refuses or throws, leaves the target unchanged and no temporary
// file.
TEST_F(SafeSaveTest, AFailureLeavesTheTargetUnchangedAndNoTemporaryFile) {
    for (const auto step : {FailingSaveOps::CreateTempStep, FailingSaveOps::WriteStep,
                            FailingSaveOps::FlushStep, FailingSaveOps::RenameStep}) {
        SCOPED_TRACE(step);
        m_ops.nFail = step;
        EXPECT_FALSE(Save(&m_ops, m_target));
        ExpectUnchanged();
    }
    EXPECT_FALSE(SaveReplacing(m_target, "tmpsave.bin", [](CQFile&) { return false; }));
    ExpectUnchanged();
    EXPECT_FALSE(SaveReplacing(m_target, "tmpsave.bin",
                               [](CQFile&) -> bool { throw std::runtime_error("boom"); }));
    ExpectUnchanged();
}

// Both ways of making the temporary file: unnamed and linked in once written, and named.
class SafeSaveRoute : public SafeSaveTest, public testing::WithParamInterface<bool> {
protected:
    // Takes the route of the parameter; the first names tried are fixed, so that links can be
    // planted at them.
    struct Ops : CSaveFileOps {
        bool UnnamedFirst() override { return GetParam(); }
        std::string UniqueSuffix(int attempt) override {
            return attempt < 3 ? std::string(6, static_cast<char>('A' + attempt))
                               : CSaveFileOps::UniqueSuffix(attempt);
        }
    } m_route;
};

TEST_P(SafeSaveRoute, LinksPlantedAtTheTemporaryNamesAreNeverWrittenThrough) {
    const std::string victim = m_dir.Write("precious.bin", m_old);
    // The fixed name earlier saves used, and the first unique names tried.
    std::filesystem::create_symlink(victim, m_dir.File("tmpsave.bin"));
    std::filesystem::create_hard_link(victim, m_dir.File("tmpsave.bin.AAAAAA"));
    std::filesystem::create_symlink(victim, m_dir.File("tmpsave.bin.BBBBBB"));
    std::filesystem::create_symlink(m_dir.File("nowhere"), m_dir.File("tmpsave.bin.CCCCCC"));
    EXPECT_TRUE(Save(&m_route, m_target));
    EXPECT_EQ(TempDir::ReadFile(m_target), std::vector<std::uint8_t>(6, 9));
    EXPECT_EQ(TempDir::ReadFile(victim), m_old);
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir.File("tmpsave.bin")));
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir.File("tmpsave.bin.BBBBBB")));
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("nowhere")));
}

// A save killed in the middle of writing leaves the old target; an unnamed temporary file
// vanishes with the process, a named one is removed by the next save.
TEST_P(SafeSaveRoute, AKilledSaveLeavesTheOldTargetAndNoTemporaryFile) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SaveReplacing(
            m_target, "tmpsave.bin",
            [&](CQFile& file) {
                file.Write(std::string(1000, '\5').data(), 1000);
                (void)!::write(ready[1], "", 1);
                for (;;) {
                    ::pause();
                }
                return true;
            },
            &m_route);
        ::_exit(1);
    }
    char go = 0;
    ASSERT_EQ(::read(ready[0], &go, 1), 1);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(TempDir::ReadFile(m_target), m_old);
    if (GetParam()) {
        EXPECT_EQ(Names(), std::set<std::string>{"target.bin"});
    }
    EXPECT_TRUE(Save(&m_route, m_target));
    EXPECT_EQ(Names(), std::set<std::string>{"target.bin"});
}

// A new file shows under its name only whole, and never in the place of anything there.
TEST_P(SafeSaveRoute, ANewFileIsLinkedInWholeAndNothingThereIsReplaced) {
    const auto write = [](CQFile& file) {
        file.Write("new", 3);
        return true;
    };
    EXPECT_TRUE(SaveNew(m_dir.File("fresh.bin"), "tmpsave.bin", write, &m_route));
    EXPECT_EQ(m_dir.Read("fresh.bin"), (std::vector<std::uint8_t>{'n', 'e', 'w'}));
    EXPECT_TRUE(SaveNew(m_dir.File("unflushed.bin"), "tmpsave.bin", write, &m_route, false));
    EXPECT_TRUE(FlushFolderFiles(m_dir.Path()));

    const std::string dangling = m_dir.File("dangling.bin");
    std::filesystem::create_symlink(m_dir.File("nowhere"), dangling);
    for (const std::string& there : {m_target, dangling}) {
        errno = 0;
        EXPECT_FALSE(SaveNew(there, "tmpsave.bin", write, &m_route)) << there;
        EXPECT_EQ(errno, EEXIST) << there;
    }
    EXPECT_FALSE(SaveNew(
        m_dir.File("refused.bin"), "tmpsave.bin", [](CQFile&) { return false; }, &m_route));
    EXPECT_EQ(TempDir::ReadFile(m_target), m_old);
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("nowhere")));
    EXPECT_EQ(Names(),
              (std::set<std::string>{"target.bin", "fresh.bin", "unflushed.bin", "dangling.bin"}));
}

INSTANTIATE_TEST_SUITE_P(Routes, SafeSaveRoute, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Unnamed" : "Named");
                         });

// A read-only file (even for root, whom the rename would let through), a device, a FIFO or a
// directory in the target's place is refused and left as it is, with a line naming it.
TEST_F(SafeSaveTest, ReadOnlyTargetsAndOnesThatAreNotRegularFilesAreRefused) {
    test::CapturedLog log;
    ASSERT_EQ(::chmod(m_target.c_str(), 0444), 0);
    EXPECT_FALSE(Save(nullptr, m_target));
    ExpectUnchanged();
    const std::vector<std::string> others = NotRegularFiles(m_dir);
    for (const std::string& target : others) {
        EXPECT_FALSE(Save(nullptr, target)) << target;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(others[0]));
    EXPECT_TRUE(std::filesystem::is_symlink(others[1]));
    EXPECT_TRUE(std::filesystem::is_directory(others[2]));
    EXPECT_EQ(Names(),
              (std::set<std::string>{"target.bin", "fifo.mul", "device.mul", "folder.mul"}));
    ASSERT_EQ(log.m_Lines.size(), 4u);
    EXPECT_EQ(log.m_Lines[0], "tessaly: '" + m_target + "' is read-only: it is not replaced\n");
    EXPECT_EQ(log.m_Lines[1],
              "tessaly: '" + others[0] + "' is not a regular file: it is not replaced\n");
}

// A document's link is followed, so that the file it names is replaced and the link stays a
// link; the file keeps its permissions, and its owner when the one saving may give it away
// (root).
TEST_F(SafeSaveTest, ALinkReplacesTheFileItNamesWhichKeepsItsOwnerAndPermissions) {
    const bool root = ::geteuid() == 0;
    const uid_t owner = root ? 65534 : ::geteuid();
    const gid_t group = root ? 65534 : ::getegid();
    ASSERT_EQ(::chown(m_target.c_str(), owner, group), 0);
    ASSERT_EQ(::chmod(m_target.c_str(), 0640), 0);
    const std::string link = m_dir.File("link.bin");
    std::filesystem::create_symlink(m_target, link);
    EXPECT_TRUE(Save(nullptr, SaveTargetOf(link)));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TempDir::ReadFile(m_target), std::vector<std::uint8_t>(6, 9));
    struct stat st {};
    ASSERT_EQ(::stat(m_target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_uid, owner);
    EXPECT_EQ(st.st_gid, group);
}

}  // namespace
}  // namespace tessaly
