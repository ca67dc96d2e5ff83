#pragma once
// File access of the ".pat" patch: reading a whole file, and replacing a file without ever losing
// it (a temporary file beside the target is written, flushed and renamed over the target).

#include "Bytes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

class CPatchFileIO {
public:
    virtual ~CPatchFileIO() = default;

    // The bytes of a regular file, or nullopt when it cannot be opened or read.
    virtual std::optional<std::vector<std::uint8_t>> ReadFile(const std::string& path);

    // Puts `bytes` at `path` through a temporary file in the same directory. Answers true only
    // when the target was replaced; on any failure the old file is left exactly as it was and
    // the temporary file is removed.
    bool ReplaceFile(const std::string& path, ByteSpan bytes);

protected:
    // The steps of ReplaceFile; tests override one to make it fail.
    // Creates a new, empty temporary file for `target`; its descriptor, or -1.
    virtual int CreateTemp(const std::string& target, std::string& tempPath);
    virtual bool WriteAll(int fd, ByteSpan bytes);
    // Flushes the file's data to the device.
    virtual bool Flush(int fd);
    // Moves `from` over `to` in one step.
    virtual bool Rename(const std::string& from, const std::string& to);
};

}  // namespace tessaly
