#include "PatchFileIO.h"
#include "EventLog.h"
#include "FileNames.h"
#include "PatchFormat.h"
#include "QFile.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaly {

namespace {

constexpr std::size_t kLongestFileName = 255;  // NAME_MAX of the usual file systems

}  // namespace

std::optional<std::vector<std::uint8_t>> CPatchFileIO::ReadFile(const std::string& path) {
    std::optional<std::vector<std::uint8_t>> bytes = ReadRegularFile(path, kLargestPatFile);
    if (!bytes && errno == EFBIG) {
        g_pEventLog->LogError("tessaly: '%s' is larger than any patch: it is not read\n",
                              path.c_str());
    }
    return bytes;
}

bool CPatchFileIO::ReplaceFile(const std::string& path, ByteSpan bytes) {
    if (path.empty()) {
        return false;
    }
    const std::string target = SaveTargetOf(path);
    // The temporary name adds 12 bytes (".", ".tmp", ".XXXXXX") to the target's: a name too
    // long for that takes a fixed one.
    const std::string fileName = std::filesystem::path(target).filename().string();
    const std::string tempName =
        fileName.size() + 12 <= kLongestFileName ? "." + fileName + ".tmp" : ".tessaly-patch.tmp";
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

namespace {

// The ".pat" format mark of a file (at byte 4, where a client patch file holds its first
// record's file id), when it is long enough to have one.
std::optional<std::uint16_t> PatMark(const std::string& path) {
    CQFile file;
    std::uint8_t head[kPatchFileHeaderSize] = {};
    try {
        if (file.Open(path.c_str(), CQFile::modeRead | CQFile::shareDenyNone) &&
            file.Read(head, sizeof head) == sizeof head) {
            return LoadLE16(head + 4);
        }
    } catch (const CQFileException&) {
    }
    return std::nullopt;
}

}  // namespace

bool IsPatFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return false;
    }
    // Marked as one of the current format, under any name, whatever follows: a damaged or
    // oversized ".pat" patch stays one, never read as (or written over as) a patch file of the
    // client's format, none of which carries the mark.
    const std::optional<std::uint16_t> mark = PatMark(path);
    if (mark == kPatchMarkCurrent) {
        return true;
    }
    if (!EndsWithNoCase(path, ".pat")) {
        return false;
    }
    // Else named as one and marked as the old format (a client patch file's first record would
    // have to be of the unnamed file id 28), however damaged; or read whole as one.
    if (mark == kPatchMarkOld) {
        return true;
    }
    const std::optional<std::vector<std::uint8_t>> bytes = ReadRegularFile(path, kLargestPatFile);
    return bytes && ReadPatchFile(*bytes).IsValid();
}

}  // namespace tessaly
