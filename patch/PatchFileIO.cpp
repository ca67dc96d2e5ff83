#include "PatchFileIO.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaly {

namespace {

// Closes a descriptor when it goes out of scope.
struct FdCloser {
    int nFd;
    ~FdCloser() { ::close(nFd); }
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
    FdCloser closer{fd};
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
    const std::string tempName = "." + std::filesystem::path(target).filename().string() + ".tmp";
    return SaveReplacing(
        target, tempName,
        [bytes](CQFile& file) {
            // CQFile writes at most 4 GiB at a time.
            for (ByteSpan rest = bytes; !rest.empty();) {
                auto n = static_cast<std::uint32_t>(std::min<std::size_t>(rest.size(), UINT32_MAX));
                file.Write(rest.data(), n);
                rest = rest.subspan(n);
            }
            return true;
        },
        m_pSaveOps);
}

}  // namespace tessaly
