#include "SafeSave.h"
#include "EventLog.h"

#include <sys/stat.h>
#include <cstdio>
#include <filesystem>

namespace tessaly {

bool CSaveFileOps::Rename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

void CSaveFileOps::Remove(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

bool SaveReplacing(const std::string& target, const std::string& tempName,
                   const std::function<bool(CQFile&)>& writeBody, CSaveFileOps* ops) {
    CSaveFileOps defaultOps;
    if (ops == nullptr) {
        ops = &defaultOps;
    }
    // The temporary file lies beside the target, so the final rename never crosses volumes.
    std::filesystem::path dir = std::filesystem::path(target).parent_path();
    std::string tempPath =
        (dir.empty() ? std::filesystem::path(tempName) : dir / tempName).string();
    if (tempPath == target) {
        return false;
    }

    std::unique_ptr<CQFile> file = ops->NewFile();
    if (!file->Open(tempPath.c_str(),
                    CQFile::modeCreate | CQFile::modeReadWrite | CQFile::shareExclusive)) {
        return false;  // nothing was created
    }
    bool written = false;
    try {
        written = writeBody(*file);
        if (written) {
            // Keep the permissions of the file being replaced.
            struct stat st;
            if (::stat(target.c_str(), &st) == 0) {
                ::chmod(tempPath.c_str(), st.st_mode & 07777);
            }
            file->Flush();
        }
    } catch (...) {
        LogCaughtException("writing a file");
        written = false;
    }
    file->Close();
    if (!written || !ops->Rename(tempPath, target)) {
        ops->Remove(tempPath);
        return false;
    }
    return true;
}

}  // namespace tessaly
