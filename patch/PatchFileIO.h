#pragma once
// File access of the ".pat" patch: reading a whole file, and replacing a file without ever losing
// it (SaveReplacing: a temporary file beside the target is written, flushed and renamed over it).

#include "Bytes.h"
#include "SafeSave.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

class CPatchFileIO {
public:
    // ops (not owned) carries out the steps of a save; null uses the real file system. Tests
    // pass steps that fail.
    explicit CPatchFileIO(CSaveFileOps* ops = nullptr) : m_pSaveOps(ops) {}
    virtual ~CPatchFileIO() = default;

    // The bytes of a regular file, or nullopt when it cannot be opened or read, or is larger
    // than any patch (kLargestPatFile; said in a log line) and so is not read at all.
    virtual std::optional<std::vector<std::uint8_t>> ReadFile(const std::string& path);

    // Puts `bytes` at `path` through a temporary file in the same directory (SaveReplacing:
    // ".<name>.tmp" and a unique ending).
    // Answers true only when the target was replaced; on any failure the old file is left
    // exactly as it was and the temporary file is removed. A symbolic link stays a link: the
    // file it points to is replaced.
    bool ReplaceFile(const std::string& path, ByteSpan bytes);

private:
    CSaveFileOps* m_pSaveOps;
};

// The largest ".pat" file read: far above the hues and multis of a whole client (some MB), so a
// file past it (a mistake or a hostile one) is refused before it is read into memory.
inline constexpr std::uint64_t kLargestPatFile = 256u << 20;

// Whether path names a ".pat" patch: a regular file marked as one of the current format under
// any name (damaged or too large to read too), or named so (any case) and marked as the old
// format (damaged too), or named so, of no more than kLargestPatFile, whose bytes read as one.
// A file of the client's patch format may carry the extension too: the bytes decide.
bool IsPatFile(const std::string& path);

}  // namespace tessaly
