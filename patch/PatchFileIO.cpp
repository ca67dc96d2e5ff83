#include "PatchFileIO.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaly {

namespace {

// Closes a descriptor when it goes out of scope.
class FdCloser {
public:
    explicit FdCloser(int fd) : m_nFd(fd) {}
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;
    ~FdCloser() { Close(); }
    // Closes now; false when closing reported an error.
    bool Close() {
        int fd = m_nFd;
        m_nFd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_nFd;
};

// Where a save really goes: a symbolic link is followed so that the link stays a link.
std::string SaveTarget(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        auto real = std::filesystem::weakly_canonical(path, ec);
        if (!ec) {
            return real.string();
        }
    }
    return path;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> CPatchFileIO::ReadFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    FdCloser closer(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    // Read to the end rather than trusting the size: the file may change while it is read.
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    std::uint8_t chunk[65536];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

bool CPatchFileIO::ReplaceFile(const std::string& path, ByteSpan bytes) {
    if (path.empty()) {
        return false;
    }
    const std::string target = SaveTarget(path);
    std::string temp;
    int fd = CreateTemp(target, temp);
    if (fd < 0) {
        return false;
    }
    FdCloser closer(fd);
    // The new file keeps the permissions of the one it replaces.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        ::fchmod(fd, st.st_mode & 07777);
    }
    bool ok = WriteAll(fd, bytes) && Flush(fd);
    ok = closer.Close() && ok;
    ok = ok && Rename(temp, target);
    if (!ok) {
        ::unlink(temp.c_str());
    }
    return ok;
}

int CPatchFileIO::CreateTemp(const std::string& target, std::string& tempPath) {
    std::filesystem::path t(target);
    std::filesystem::path dir = t.parent_path();
    const std::string base = "." + t.filename().string() + ".";
    // A name of our own that nobody else holds: O_EXCL refuses an existing one, so try a few.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::string name =
            base + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
        std::string candidate = dir.empty() ? name : (dir / name).string();
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            tempPath = candidate;
            return fd;
        }
        if (errno != EEXIST) {
            return -1;
        }
    }
    return -1;
}

bool CPatchFileIO::WriteAll(int fd, ByteSpan bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool CPatchFileIO::Flush(int fd) {
    return ::fsync(fd) == 0;
}

bool CPatchFileIO::Rename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace tessaly
