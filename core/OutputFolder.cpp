#include "OutputFolder.h"

#include "EventLog.h"
#include "Text.h"

#include <fcntl.h>
#include <nettle/sha2.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace tessaly {

namespace {

namespace fs = std::filesystem;

constexpr const char* kTempMark = ".tessaly-";
constexpr std::size_t kTempSuffix = 6;  // the X's of the template

std::string Reason(int error) {
    return std::strerror(error);
}

// The folder a path lies in ("." for a bare name).
fs::path ParentOf(const fs::path& path) {
    fs::path parent = path.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

void SyncFolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int error = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        throw COutputError("cannot flush the folder '" + path + "': " + Reason(error));
    }
    ::close(fd);
}

// Removes the temporary folders of earlier transactions beside the same target that a killed
// process left: a running transaction holds a lock on its folder, a left one holds none.
void RemoveLeftFolders(const fs::path& parent, const std::string& prefix) {
    std::error_code ec;
    for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + kTempSuffix ||
            name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const int fd = ::open(it->path().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            std::error_code ignored;
            fs::remove_all(it->path(), ignored);
        }
        ::close(fd);
    }
}

// Hex digits of a digest.
std::string Hex(const std::uint8_t* bytes, std::size_t n) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

std::string JsonNumbers(const std::vector<std::uint32_t>& numbers) {
    std::string text = "[";
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        text += (i == 0 ? "" : ", ") + std::to_string(numbers[i]);
    }
    return text + "]";
}

}  // namespace

bool COutputFolderOps::MakeTempFolder(std::string& pathTemplate) {
    return ::mkdtemp(pathTemplate.data()) != nullptr;
}

bool COutputFolderOps::RenameFolder(const std::string& from, const std::string& to, bool exchange) {
    const unsigned flags = exchange ? RENAME_EXCHANGE : RENAME_NOREPLACE;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), flags) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // A file system without these renames: the old folder goes aside for the moment the new
    // one takes its name, and comes back if that fails; a missing target is checked first.
    if (!exchange) {
        struct stat st {};
        if (::lstat(to.c_str(), &st) == 0) {
            errno = EEXIST;
            return false;
        }
        return std::rename(from.c_str(), to.c_str()) == 0;
    }
    const std::string aside = from + "-old";
    if (std::rename(to.c_str(), aside.c_str()) != 0) {
        return false;
    }
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        const int error = errno;
        std::rename(aside.c_str(), to.c_str());
        errno = error;
        return false;
    }
    // The old folder takes the temporary name, as after an exchange (or goes at once).
    if (std::rename(aside.c_str(), from.c_str()) != 0) {
        std::error_code ignored;
        std::filesystem::remove_all(aside, ignored);
    }
    return true;
}

COutputFolder::COutputFolder(std::string target, bool replace, COutputFolderOps* ops)
    : m_sTarget(std::move(target)), m_bReplace(replace), m_pOps(ops ? ops : &m_DefaultOps) {
    while (m_sTarget.size() > 1 && m_sTarget.back() == '/') {
        m_sTarget.pop_back();
    }
    const fs::path path(m_sTarget);
    const std::string name = path.filename().string();
    if (m_sTarget.empty() || name == "." || name == "..") {
        throw COutputError("'" + m_sTarget + "' cannot be an output folder: give a folder name");
    }
    struct stat st {};
    if (::lstat(m_sTarget.c_str(), &st) == 0) {
        if (!S_ISDIR(st.st_mode)) {
            throw COutputError("'" + m_sTarget +
                               "' exists and is not a folder: it is not replaced");
        }
        if (!m_bReplace) {
            throw COutputError("the folder '" + m_sTarget +
                               "' exists already: it is replaced only when asked");
        }
    }
    const fs::path parent = ParentOf(path);
    const std::string prefix = "." + name + kTempMark;
    RemoveLeftFolders(parent, prefix);
    std::string temp = (parent / (prefix + std::string(kTempSuffix, 'X'))).string();
    if (!m_pOps->MakeTempFolder(temp)) {
        throw COutputError("cannot create a folder beside '" + m_sTarget + "': " + Reason(errno));
    }
    m_sTemp = temp;
    // mkdtemp makes the folder for its owner alone; the output is an ordinary folder.
    ::chmod(m_sTemp.c_str(), 0755);
    m_nLockFd = ::open(m_sTemp.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (m_nLockFd < 0 || ::flock(m_nLockFd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        Abandon();
        throw COutputError("cannot lock the folder beside '" + m_sTarget + "': " + Reason(error));
    }
}

COutputFolder::~COutputFolder() {
    Abandon();
}

CQFile& COutputFolder::Create(const std::string& name) {
    if (m_sTemp.empty()) {
        throw COutputError("the output folder '" + m_sTarget + "' is closed");
    }
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        throw COutputError("'" + name + "' is not a plain file name");
    }
    std::unique_ptr<CQFile> file = m_pOps->NewFile();
    const std::string path = (fs::path(m_sTemp) / name).string();
    if (!file->Open(path.c_str(),
                    CQFile::modeCreateNew | CQFile::modeReadWrite | CQFile::shareExclusive)) {
        throw COutputError("cannot create '" + (fs::path(m_sTarget) / name).string() +
                           "': " + Reason(errno));
    }
    m_Files.push_back({name, std::move(file), {}, {}});
    return *m_Files.back().file;
}

COutputFolder::File* COutputFolder::Find(const std::string& name) {
    for (File& f : m_Files) {
        if (f.name == name) {
            return &f;
        }
    }
    return nullptr;
}

void COutputFolder::FileDone(const std::string& name) {
    File* f = Find(name);
    if (f == nullptr || f->digest.valid()) {
        return;
    }
    CQFile* file = f->file.get();
    f->digest = std::async(std::launch::async, [file] {
        file->Flush();
        return Digest{file->GetLength(), FileSha256(*file)};
    });
}

void COutputFolder::SetEntries(const std::string& name, ManifestEntries entries) {
    if (File* f = Find(name)) {
        f->entries = std::move(entries);
    }
}

std::vector<std::string> COutputFolder::FileNames() const {
    std::vector<std::string> names;
    for (const File& f : m_Files) {
        names.push_back(f.name);
    }
    return names;
}

void COutputFolder::Commit() {
    if (m_sTemp.empty()) {
        throw COutputError("the output folder '" + m_sTarget + "' is closed");
    }
    try {
        std::string manifest = "{\n  \"files\": [";
        for (File& f : m_Files) {
            FileDone(f.name);
        }
        for (std::size_t i = 0; i < m_Files.size(); ++i) {
            File& f = m_Files[i];
            const Digest digest = f.digest.get();
            manifest += (i == 0 ? "\n" : ",\n");
            manifest += "    {\"name\": " + JsonString(f.name) +
                        ", \"size\": " + std::to_string(digest.size) + ", \"sha256\": \"" +
                        digest.sha256 +
                        "\",\n     \"replaced\": " + JsonNumbers(f.entries.replaced) +
                        ", \"added\": " + JsonNumbers(f.entries.added) +
                        ", \"deleted\": " + JsonNumbers(f.entries.deleted) +
                        ", \"damaged\": " + JsonNumbers(f.entries.damaged) + "}";
            f.file->Close();
        }
        manifest += "\n  ]\n}\n";
        CQFile& file = Create(kManifestName);
        file.Write(manifest.data(), static_cast<std::uint32_t>(manifest.size()));
        file.Flush();
        file.Close();
        SyncFolder(m_sTemp);
    } catch (const CQFileException& e) {
        const std::string message = DescribeError(e);
        Abandon();
        throw COutputError(message);
    } catch (...) {
        Abandon();
        throw;
    }
    // The target may have appeared (or gone) since the start: look again.
    struct stat st {};
    const bool exists = ::lstat(m_sTarget.c_str(), &st) == 0;
    if (exists && (!m_bReplace || !S_ISDIR(st.st_mode))) {
        Abandon();
        throw COutputError(
            !S_ISDIR(st.st_mode)
                ? "'" + m_sTarget + "' exists and is not a folder: it is not replaced"
                : "the folder '" + m_sTarget + "' exists already: it is replaced only when asked");
    }
    if (!m_pOps->RenameFolder(m_sTemp, m_sTarget, exists)) {
        const int error = errno;
        Abandon();
        throw COutputError("cannot move the new folder to '" + m_sTarget + "': " + Reason(error));
    }
    // After an exchange the temporary name holds the old folder: it goes now.
    const std::string old = exists ? m_sTemp : std::string();
    m_sTemp.clear();
    m_Files.clear();
    if (m_nLockFd >= 0) {
        ::close(m_nLockFd);
        m_nLockFd = -1;
    }
    try {
        SyncFolder(ParentOf(fs::path(m_sTarget)).string());
    } catch (const COutputError& e) {
        // The folder is in place; only its lasting through a power failure is in doubt.
        g_pEventLog->LogError("tessaly: %s\n", e.what());
    }
    if (!old.empty()) {
        std::error_code ec;
        fs::remove_all(old, ec);
        if (ec) {
            g_pEventLog->LogError("tessaly: cannot remove the replaced folder '%s': %s\n",
                                  old.c_str(), ec.message().c_str());
        }
    }
}

void COutputFolder::Abandon() {
    m_Files.clear();  // closes the files
    if (!m_sTemp.empty()) {
        std::error_code ec;
        fs::remove_all(m_sTemp, ec);
        if (ec) {
            g_pEventLog->LogError("tessaly: cannot remove the folder '%s': %s\n", m_sTemp.c_str(),
                                  ec.message().c_str());
        }
        m_sTemp.clear();
    }
    if (m_nLockFd >= 0) {
        ::close(m_nLockFd);
        m_nLockFd = -1;
    }
}

std::string FileSha256(CQFile& file) {
    sha256_ctx ctx;
    sha256_init(&ctx);
    std::vector<std::uint8_t> piece(1u << 20);
    file.Seek(0, CQFile::begin);
    for (;;) {
        const std::uint32_t n = file.Read(piece.data(), static_cast<std::uint32_t>(piece.size()));
        if (n == 0) {
            break;
        }
        sha256_update(&ctx, n, piece.data());
    }
    std::uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&ctx, sizeof digest, digest);
    return Hex(digest, sizeof digest);
}

std::string COutputFolder::DescribeError(const CQFileException& e) const {
    CQFileException shown = e;
    if (!m_sTemp.empty() && shown.m_strFileName.compare(0, m_sTemp.size(), m_sTemp) == 0) {
        shown.m_strFileName = m_sTarget + shown.m_strFileName.substr(m_sTemp.size());
    }
    return DescribeFileError(shown);
}

std::string DescribeFileError(const CQFileException& e) {
    const char* verb = "use";
    switch (e.m_cause) {
        case CQFileException::kReadFault:
        case CQFileException::kBadSeek:
            verb = "read";
            break;
        case CQFileException::kWriteFault:
            verb = "write";
            break;
        default:
            break;
    }
    std::string text = std::string("cannot ") + verb + " '" + e.m_strFileName + "'";
    if (e.m_lOsError != 0) {
        text += ": " + Reason(e.m_lOsError);
    }
    return text;
}

bool FolderHolds(const std::string& folder, const std::string& dir) {
    if (folder.empty() || dir.empty()) {
        return false;
    }
    // Resolved, and without a trailing separator's empty last element.
    const auto resolve = [](const std::string& path, std::error_code& ec) {
        std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
        return p.has_filename() ? p : p.parent_path();
    };
    std::error_code outerError;
    std::error_code innerError;
    const std::filesystem::path outer = resolve(folder, outerError);
    const std::filesystem::path inner = resolve(dir, innerError);
    if (outerError || innerError) {
        return false;
    }
    const auto [end, unused] =
        std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
    return end == outer.end();
}

bool FolderHoldsFile(const std::string& folder, const std::string& path) {
    std::error_code error;
    return !path.empty() &&
           FolderHolds(folder, std::filesystem::absolute(path, error).parent_path().string());
}

}  // namespace tessaly
