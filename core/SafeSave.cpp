#include "SafeSave.h"
#include "EventLog.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>

namespace tessaly {

namespace {

constexpr std::size_t kSuffixLength = 6;
constexpr int kNameAttempts = 16;
constexpr char kSuffixLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

bool IsSuffixLetter(char c) {
    return std::strchr(kSuffixLetters, c) != nullptr && c != '\0';
}

// Removes the named temporary files of earlier saves beside the same target that a killed
// process left: a save in progress holds an exclusive lock on its file, a left one holds none.
// Each directory is swept once a process for each temporary name: a folder that an export fills
// with many files would otherwise be read whole for every file written into it.
void RemoveLeftTemporaries(const std::filesystem::path& dir, const std::string& tempName) {
    static std::mutex mutex;
    static std::set<std::string> swept;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!swept.insert((dir / tempName).string()).second) {
            return;
        }
    }
    std::error_code ec;
    const std::string prefix = tempName + ".";
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + kSuffixLength ||
            name.compare(0, prefix.size(), prefix) != 0 ||
            !std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                         IsSuffixLetter)) {
            continue;
        }
        const std::string path = it->path().string();
        int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlink(path.c_str());
        }
        ::close(fd);
    }
}

// Makes a rename in the directory last across a power failure; a failure here changes nothing
// the user could act on, so it is only logged.
void SyncDirectory(const std::filesystem::path& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        g_pEventLog->LogError("tessaly: flushing the directory '%s': %s\n", dir.c_str(),
                              std::strerror(errno));
    }
    if (fd >= 0) {
        ::close(fd);
    }
}

// Tries unique names made by `attempt` until one is free; answers the name taken, or empty.
template <typename TryName>
std::string TakeUniqueName(const std::string& prefix, CSaveFileOps& ops, TryName&& tryName) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = prefix + "." + ops.UniqueSuffix(attempt);
        errno = 0;
        if (tryName(name)) {
            return name;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return {};
}

}  // namespace

bool CSaveFileOps::Rename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

void CSaveFileOps::Remove(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

std::string CSaveFileOps::UniqueSuffix(int /*attempt*/) {
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kSuffixLetters - 2);
    std::string suffix(kSuffixLength, ' ');
    for (char& c : suffix) {
        c = kSuffixLetters[pick(random)];
    }
    return suffix;
}

std::string SaveTargetOf(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        std::filesystem::path real = std::filesystem::weakly_canonical(path, ec);
        if (!ec) {
            return real.string();
        }
    }
    return path;
}

namespace {

// Writes the target through a temporary file beside it. Replacing, the file is renamed over
// whatever is there and a failure is logged; otherwise it is linked in under the target's name,
// which fails (errno EEXIST) when something is there, so a new file never shows under its name
// half-written and never takes the place of a file that appeared meanwhile; errno then says
// why it failed, and the caller tells the user.
bool SaveThroughTemporary(const std::string& target, const std::string& tempName,
                          const std::function<bool(CQFile&)>& writeBody, CSaveFileOps* ops,
                          bool replace, bool flush) {
    CSaveFileOps defaultOps;
    if (ops == nullptr) {
        ops = &defaultOps;
    }
    struct stat old {};
    if (!replace && ::lstat(target.c_str(), &old) == 0) {
        errno = EEXIST;
        return false;
    }
    const bool exists = replace && ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        g_pEventLog->LogError("tessaly: '%s' is not a regular file: it is not replaced\n",
                              target.c_str());
        return false;
    }
    // The rename needs only the folder's permission: a file marked read-only (for its owner
    // too, which root's access() overlooks) is kept as the user marked it. A link is replaced
    // as a link, whatever the file it names allows.
    struct stat own {};
    const bool link = ::lstat(target.c_str(), &own) == 0 && S_ISLNK(own.st_mode);
    if (exists && !link &&
        ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
         ::access(target.c_str(), W_OK) != 0)) {
        g_pEventLog->LogError("tessaly: '%s' is read-only: it is not replaced\n", target.c_str());
        return false;
    }
    // The temporary file lies beside the target, so the final rename never crosses volumes.
    std::filesystem::path dir = std::filesystem::path(target).parent_path();
    if (dir.empty()) {
        dir = ".";
    }
    const std::string prefix = (dir / tempName).string();
    RemoveLeftTemporaries(dir, tempName);

    std::unique_ptr<CQFile> file = ops->NewFile();
    const std::uint32_t access = CQFile::modeReadWrite | CQFile::shareExclusive;
    // The name the temporary file has in the directory; an unnamed file gets one once written.
    std::string named;
    if (!ops->UnnamedFirst() || !file->Open(dir.c_str(), CQFile::modeUnnamed | access)) {
        named = TakeUniqueName(prefix, *ops, [&](const std::string& name) {
            return file->Open(name.c_str(), CQFile::modeCreateNew | access);
        });
        if (named.empty()) {
            if (replace) {
                g_pEventLog->LogError("tessaly: cannot create a temporary file beside '%s': %s\n",
                                      target.c_str(), std::strerror(errno));
            }
            return false;  // nothing was created
        }
    }
    bool written = false;
    try {
        written = writeBody(*file);
        if (written) {
            // Keep the owner and the permissions of the file being replaced (in that order: a
            // change of owner clears the set-id bits).
            if (exists) {
                file->SetOwner(old.st_uid, old.st_gid);
                file->SetPermissions(old.st_mode);
            }
            if (flush) {
                file->Flush();
            }
        }
    } catch (...) {
        LogCaughtException("writing a file");
        written = false;
    }
    if (written && !replace) {
        written = file->LinkTo(target);
        if (!named.empty()) {
            ops->Remove(named);
            named.clear();
        }
    }
    if (written && replace && named.empty()) {
        named = TakeUniqueName(prefix, *ops,
                               [&](const std::string& name) { return file->LinkTo(name); });
        if (named.empty()) {
            g_pEventLog->LogError("tessaly: cannot name the temporary file beside '%s': %s\n",
                                  target.c_str(), std::strerror(errno));
            written = false;
        }
    }
    if (written && replace && !ops->Rename(named, target)) {
        g_pEventLog->LogError("tessaly: cannot rename the temporary file over '%s': %s\n",
                              target.c_str(), std::strerror(errno));
        written = false;
    }
    const int error = errno;
    if (!written && !named.empty()) {
        ops->Remove(named);
    }
    // Closed only now: the lock tells a save in progress from a file a killed one left.
    file->Close();
    if (written && flush) {
        SyncDirectory(dir);
    }
    errno = error;
    return written;
}

}  // namespace

bool SaveReplacing(const std::string& target, const std::string& tempName,
                   const std::function<bool(CQFile&)>& writeBody, CSaveFileOps* ops, bool flush) {
    return SaveThroughTemporary(target, tempName, writeBody, ops, true, flush);
}

bool SaveNew(const std::string& target, const std::string& tempName,
             const std::function<bool(CQFile&)>& writeBody, CSaveFileOps* ops, bool flush) {
    return SaveThroughTemporary(target, tempName, writeBody, ops, false, flush);
}

bool FlushFolderFiles(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::syncfs(fd) == 0;
    const int error = errno;
    if (fd >= 0) {
        ::close(fd);
    }
    errno = error;
    return ok;
}

}  // namespace tessaly
