#include "QFile.h"
#include "EventLog.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <set>
#include <string>

namespace tessaly {

namespace {
const char* CauseText(CQFileException::Cause cause) {
    switch (cause) {
        case CQFileException::kBadSeek:
            return "seek failed";
        case CQFileException::kReadFault:
            return "read failed";
        case CQFileException::kWriteFault:
            return "write failed";
        case CQFileException::kNotOpen:
            return "file not open";
        default:
            return "file error";
    }
}
}  // namespace

CQFileException::CQFileException(Cause cause, int osError, std::string path)
    : std::runtime_error(std::string(CauseText(cause)) + " (" + std::strerror(osError) +
                         "): " + path),
      m_cause(cause),
      m_lOsError(osError),
      m_strFileName(std::move(path)) {}

CQFile::~CQFile() {
    // The virtual call reaches CQFile's own Close here; derived files close in their own
    // destructors.
    CQFile::Close();
}

std::uint64_t CQFile::GetPosition() const {
    off_t pos = ::lseek(m_hFile, 0, SEEK_CUR);
    if (pos < 0) {
        throw CQFileException(CQFileException::kBadSeek, errno, m_strFileName);
    }
    return static_cast<std::uint64_t>(pos);
}

std::int64_t CQFile::Seek(std::int64_t offset, int origin) {
    int whence = origin == current ? SEEK_CUR : origin == end ? SEEK_END : SEEK_SET;
    off_t pos = ::lseek(m_hFile, static_cast<off_t>(offset), whence);
    if (pos < 0) {
        throw CQFileException(CQFileException::kBadSeek, errno, m_strFileName);
    }
    return static_cast<std::int64_t>(pos);
}

std::uint64_t CQFile::GetLength() const {
    struct stat st;
    if (::fstat(m_hFile, &st) != 0) {
        throw CQFileException(CQFileException::kGeneric, errno, m_strFileName);
    }
    return static_cast<std::uint64_t>(st.st_size);
}

std::uint32_t CQFile::Read(void* buffer, std::uint32_t count) {
    auto* p = static_cast<std::uint8_t*>(buffer);
    std::uint32_t done = 0;
    while (done < count) {
        ssize_t n = ::read(m_hFile, p + done, count - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw CQFileException(CQFileException::kReadFault, errno, m_strFileName);
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::uint32_t>(n);
    }
    return done;
}

void CQFile::Write(const void* buffer, std::uint32_t count) {
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    std::uint32_t done = 0;
    while (done < count) {
        ssize_t n = ::write(m_hFile, p + done, count - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw CQFileException(CQFileException::kWriteFault, errno, m_strFileName);
        }
        if (n == 0) {
            throw CQFileException(CQFileException::kWriteFault, ENOSPC, m_strFileName);
        }
        done += static_cast<std::uint32_t>(n);
    }
}

void CQFile::StartWriteBack() {
    if (IsOpen()) {
        ::sync_file_range(m_hFile, 0, 0, SYNC_FILE_RANGE_WRITE);
    }
}

void CQFile::Flush() {
    if (::fsync(m_hFile) != 0) {
        throw CQFileException(CQFileException::kWriteFault, errno, m_strFileName);
    }
}

void CQFile::Close() {
    if (!IsOpen()) {
        return;
    }
    if ((m_uMode & modeSharedHandle) != 0) {
        ForgetHandle();
    } else {
        RawClose();
    }
    m_hFile = kClosedHandle;
}

bool CQFile::RawOpen(void* /*extra*/) {
    std::uint32_t mode = m_uMode & ~kOwnModeBits;
    int flags = 0;
    switch (mode & 3) {
        case modeWrite:
            flags |= O_WRONLY;
            break;
        case modeReadWrite:
            flags |= O_RDWR;
            break;
        default:
            flags |= O_RDONLY;
            break;
    }
    // Truncated only once it is known to be a regular file.
    const bool truncate = (mode & modeCreate) != 0;
    if ((mode & modeUnnamed) != 0) {
        flags |= O_TMPFILE;
    } else if ((mode & modeCreateNew) != 0) {
        flags |= O_CREAT | O_EXCL | O_NOFOLLOW;
    } else if (truncate) {
        flags |= O_CREAT;
    }
    int fd = OpenRegularFile(m_strFileName.c_str(), flags, 0666);
    if (fd < 0) {
        return false;
    }
    // Share flags as advisory locks held while the file is open.
    int lock = 0;
    if ((mode & 0x70) == shareExclusive) {
        lock = LOCK_EX;
    } else if ((mode & 0x70) == shareDenyWrite) {
        lock = LOCK_SH;
    }
    if ((lock != 0 && ::flock(fd, lock | LOCK_NB) != 0) || (truncate && ::ftruncate(fd, 0) != 0)) {
        ::close(fd);
        return false;
    }
    m_hFile = fd;
    return IsOpen();
}

bool CQFile::LinkTo(const std::string& path) {
    if (!IsOpen()) {
        return false;
    }
    // The descriptor's entry in /proc names the file itself, even an unnamed one.
    const std::string self = "/proc/self/fd/" + std::to_string(m_hFile);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

bool CQFile::SetPermissions(std::uint32_t mode) {
    return IsOpen() && ::fchmod(m_hFile, static_cast<mode_t>(mode & 07777)) == 0;
}

bool CQFile::SetOwner(std::uint32_t owner, std::uint32_t group) {
    struct stat st {};
    if (!IsOpen() || ::fstat(m_hFile, &st) != 0) {
        return false;
    }
    if (st.st_uid == owner && st.st_gid == group) {
        return true;
    }
    return ::fchown(m_hFile, owner, group) == 0 ||
           ::fchown(m_hFile, static_cast<uid_t>(-1), group) == 0;
}

namespace {
// Closes a descriptor when it goes out of scope.
struct FdCloser {
    int nFd;
    ~FdCloser() { ::close(nFd); }
};
}  // namespace

std::optional<std::vector<std::uint8_t>> ReadRegularFile(const std::string& path,
                                                         std::uint64_t maxBytes) {
    // A FIFO or device is refused without waiting for it.
    int fd = OpenRegularFile(path.c_str(), O_RDONLY);
    if (fd < 0) {
        return std::nullopt;
    }
    FdCloser closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return std::nullopt;
    }
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        errno = EFBIG;
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
        if (static_cast<std::uint64_t>(n) > maxBytes - bytes.size()) {
            errno = EFBIG;
            return std::nullopt;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

int OpenRegularFile(const char* path, int flags, unsigned mode) {
    // O_NONBLOCK keeps a FIFO without a writer (or a device) from stopping the open itself.
    int fd = ::open(path, flags | O_CLOEXEC | O_NONBLOCK, static_cast<mode_t>(mode));
    if (fd < 0) {
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        // A list asks for such a file once per row: it is named once.
        static std::mutex namedLock;
        static std::set<std::string> named;
        const std::lock_guard<std::mutex> hold(namedLock);
        if (named.insert(path).second) {
            g_pEventLog->LogError("tessaly: '%s' is not a regular file\n", path);
        }
        errno = EINVAL;
        return -1;
    }
    // Reads and writes of a regular file wait as usual.
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void CQFile::RawClose() {
    if (m_hFile != kClosedHandle) {
        ::close(m_hFile);
    }
    m_hFile = kClosedHandle;
    m_strFileName.clear();
}

bool CQFile::ShareHandle(CQFile& other) {
    m_hFile = other.m_hFile;
    return true;
}

void CQFile::ForgetHandle() {
    m_hFile = kClosedHandle;
}

void CQFile::OpenShared(CQFile& other) {
    Close();
    m_strFileName = other.m_strFileName;
    m_uMode = other.m_uMode | modeSharedHandle;
    ShareHandle(other);
    m_uOpenSerial = other.m_uOpenSerial;
}

bool CQFile::Duplicate(const CQFile& other) {
    const int fd = other.IsOpen() ? ::fcntl(other.m_hFile, F_DUPFD_CLOEXEC, 0) : kClosedHandle;
    if (fd < 0) {
        return false;
    }
    Close();
    m_hFile = fd;
    m_strFileName = other.m_strFileName;
    m_uMode = other.m_uMode & ~modeSharedHandle;
    m_uOpenSerial = other.m_uOpenSerial;
    return true;
}

bool CQFile::IsFile(std::uint64_t device, std::uint64_t inode) const {
    struct stat open {};
    return m_hFile != kClosedHandle && ::fstat(m_hFile, &open) == 0 && open.st_dev == device &&
           open.st_ino == inode;
}

bool CQFile::Open(const char* path, std::uint32_t mode, void* extra) {
    if (path == nullptr && IsOpen()) {
        return true;
    }
    if (path != nullptr) {
        Close();
        m_strFileName = path;
    }
    m_uMode = mode;
    if (!RawOpen(extra)) {
        return false;
    }
    m_uOpenSerial = NextOpenSerial();
    return true;
}

std::uint64_t CQFile::NextOpenSerial() {
    // Files are opened in several threads at once (an export writes while entries are read).
    static std::atomic<std::uint64_t> serial{0};
    return ++serial;
}

void CQBufferedFile::FlushBuffer() const {
    if (m_Buffer.empty()) {
        return;
    }
    // Emptied however the write ends: bytes a failed write left behind must not go out later.
    struct Emptied {
        std::vector<std::uint8_t>& bytes;
        ~Emptied() { bytes.clear(); }
    } emptied{m_Buffer};
    const std::uint64_t at = GetPosition();
    m_nBase = kUnknown;
    m_Target.Write(m_Buffer.data(), static_cast<std::uint32_t>(m_Buffer.size()));
    m_nBase = at;
    HandedOn(m_Buffer.size());
}

void CQBufferedFile::HandedOn(std::uint64_t bytes) const {
    m_nUnsynced += bytes;
    if (m_nUnsynced >= kWriteBackBytes) {
        m_nUnsynced = 0;
        m_Target.StartWriteBack();
    }
}

std::uint64_t CQBufferedFile::GetPosition() const {
    if (m_nBase == kUnknown) {
        m_nBase = m_Target.GetPosition();
    }
    return m_nBase + m_Buffer.size();
}

std::int64_t CQBufferedFile::Seek(std::int64_t offset, int origin) {
    FlushBuffer();
    m_nBase = kUnknown;
    const std::int64_t at = m_Target.Seek(offset, origin);
    m_nBase = static_cast<std::uint64_t>(at);
    return at;
}

std::uint64_t CQBufferedFile::GetLength() const {
    FlushBuffer();
    return m_Target.GetLength();
}

std::uint32_t CQBufferedFile::Read(void* buffer, std::uint32_t count) {
    FlushBuffer();
    m_nBase = kUnknown;
    return m_Target.Read(buffer, count);
}

void CQBufferedFile::Write(const void* buffer, std::uint32_t count) {
    if (m_Buffer.size() + count > kBufferSize) {
        FlushBuffer();
    }
    if (count >= kBufferSize) {
        m_nBase = kUnknown;
        m_Target.Write(buffer, count);
        HandedOn(count);
        return;
    }
    if (m_Buffer.capacity() < kBufferSize) {
        m_Buffer.reserve(kBufferSize);
    }
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    m_Buffer.insert(m_Buffer.end(), bytes, bytes + count);
}

void CQBufferedFile::Flush() {
    FlushBuffer();
    m_Target.Flush();
}

}  // namespace tessaly
