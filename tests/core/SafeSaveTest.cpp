// Replacing a file through a temporary file, with every step made to fail in turn.

#include "CapturedLog.h"
#include "FailingSave.h"
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
    EXPECT_EQ(m_ops.sRenamedFrom.size(), m_dir.File("tmpsave.bin.").size() + 6);
    EXPECT_EQ(m_ops.sRenamedFrom.rfind(m_dir.File("tmpsave.bin."), 0), 0u);
    EXPECT_EQ(Names(), std::set<std::string>{"target.bin"});

    m_dir.Write("tmpsave.bin.RRRRRR", {1});
    EXPECT_TRUE(Save(nullptr, m_dir.File("fresh.bin")));
    EXPECT_EQ(m_dir.Read("fresh.bin"), std::vector<std::uint8_t>(6, 9));
    EXPECT_TRUE(std::filesystem::exists(m_dir.File("tmpsave.bin.RRRRRR")));
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

// Both ways of making the temporary file: unnamed and linked in once written, and named.
class SafeSaveRoute : public SafeSaveTest, public testing::WithParamInterface<bool> {
protected:
    // Takes the route of the parameter; the first names tried are fixed, so that links can be
    // planted at them.
    class Ops : public CSaveFileOps {
    public:
        explicit Ops(bool unnamed) : m_bUnnamed(unnamed) {}
        bool UnnamedFirst() override { return m_bUnnamed; }
        std::string UniqueSuffix(int attempt) override {
            return attempt < 3 ? std::string(6, static_cast<char>('A' + attempt))
                               : CSaveFileOps::UniqueSuffix(attempt);
        }

    private:
        bool m_bUnnamed;
    };
    Ops m_route{GetParam()};
};

TEST_P(SafeSaveRoute, LinksPlantedAtTheTemporaryNamesAreNeverWrittenThrough) {
    const std::vector<std::uint8_t> precious{7, 7, 7};
    const std::string victim = m_dir.Write("precious.bin", precious);
    // The fixed name earlier saves used, and the first unique names tried.
    std::filesystem::create_symlink(victim, m_dir.File("tmpsave.bin"));
    std::filesystem::create_hard_link(victim, m_dir.File("tmpsave.bin.AAAAAA"));
    std::filesystem::create_symlink(victim, m_dir.File("tmpsave.bin.BBBBBB"));
    std::filesystem::create_symlink(m_dir.File("nowhere"), m_dir.File("tmpsave.bin.CCCCCC"));
    EXPECT_TRUE(Save(&m_route, m_target));
    EXPECT_EQ(TempDir::ReadFile(m_target), std::vector<std::uint8_t>(6, 9));
    EXPECT_EQ(TempDir::ReadFile(victim), precious);
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
                const std::vector<std::uint8_t> half(1000, 5);
                file.Write(half.data(), static_cast<std::uint32_t>(half.size()));
                const char go = 1;
                (void)!::write(ready[1], &go, 1);
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
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_TRUE(WIFSIGNALED(status));
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
    const std::string fresh = m_dir.File("fresh.bin");
    EXPECT_TRUE(SaveNew(fresh, "tmpsave.bin", write, &m_route));
    EXPECT_EQ(TempDir::ReadFile(fresh), (std::vector<std::uint8_t>{'n', 'e', 'w'}));
    EXPECT_TRUE(SaveNew(m_dir.File("unflushed.bin"), "tmpsave.bin", write, &m_route, false));
    EXPECT_TRUE(FlushFolderFiles(m_dir.Path()));
    EXPECT_EQ(Names(), (std::set<std::string>{"target.bin", "fresh.bin", "unflushed.bin"}));

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

// A device, a FIFO or a directory in the target's place is refused and left as it is.
TEST_F(SafeSaveTest, TargetsThatAreNotRegularFilesAreRefused) {
    const std::string fifo = m_dir.File("fifo.mul");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string device = m_dir.File("device.mul");
    std::filesystem::create_symlink("/dev/null", device);
    const std::string directory = m_dir.File("folder.mul");
    std::filesystem::create_directory(directory);
    test::CapturedLog log;
    for (const std::string& target : {fifo, device, directory}) {
        EXPECT_FALSE(Save(nullptr, target)) << target;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_symlink(device));
    EXPECT_TRUE(std::filesystem::is_directory(directory));
    EXPECT_EQ(Names(),
              (std::set<std::string>{"target.bin", "fifo.mul", "device.mul", "folder.mul"}));
    ASSERT_EQ(log.m_Lines.size(), 3u);
    EXPECT_EQ(log.m_Lines[0],
              "tessaly: '" + fifo + "' is not a regular file: it is not replaced\n");
}

// A read-only file is kept (even for root, whom the rename would let through); a document's
// link is followed, so that the file it names is replaced and the link stays a link.
TEST_F(SafeSaveTest, AReadOnlyTargetIsKeptAndALinkReplacesTheFileItNames) {
    ASSERT_EQ(::chmod(m_target.c_str(), 0444), 0);
    test::CapturedLog log;
    EXPECT_FALSE(Save(nullptr, m_target));
    ExpectUnchanged();
    EXPECT_EQ(log.m_Lines, std::vector<std::string>{"tessaly: '" + m_target +
                                                    "' is read-only: it is not replaced\n"});
    ASSERT_EQ(::chmod(m_target.c_str(), 0640), 0);
    const std::string link = m_dir.File("link.bin");
    std::filesystem::create_symlink(m_target, link);
    EXPECT_TRUE(Save(nullptr, SaveTargetOf(link)));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TempDir::ReadFile(m_target), std::vector<std::uint8_t>(6, 9));
    EXPECT_EQ(std::filesystem::status(m_target).permissions(), std::filesystem::perms(0640));

    // A file of another user, saved by one who may give it away (root), stays theirs.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(m_target.c_str(), 65534, 65534), 0);
        EXPECT_TRUE(Save(nullptr, m_target));
        struct stat st {};
        ASSERT_EQ(::stat(m_target.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(st.st_gid, 65534u);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
    }
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
