#pragma once
// Replacing a file without ever losing it: the new content goes to a temporary file in the
// target's own directory, is flushed to the device, and is renamed over the target in one step.
// On any failure the target is left exactly as it was and the temporary file is removed.

#include "QFile.h"

#include <functional>
#include <memory>
#include <string>

namespace tessaly {

// The file-system steps of a save, replaceable so that tests can make any of them fail.
class CSaveFileOps {
public:
    virtual ~CSaveFileOps() = default;
    // The file object the temporary file is written through.
    virtual std::unique_ptr<CQFile> NewFile() { return std::make_unique<CQFile>(); }
    // Moves from over to in one step; false on failure.
    virtual bool Rename(const std::string& from, const std::string& to);
    // Removes a file; a missing file is no error.
    virtual void Remove(const std::string& path);
};

// Writes `target` through the temporary file `tempName` placed in the target's directory.
// writeBody gets the open, empty temporary file (read/write) and answers false to abandon the
// save; anything it throws abandons it too. Returns true only when the target was replaced.
bool SaveReplacing(const std::string& target, const std::string& tempName,
                   const std::function<bool(CQFile&)>& writeBody, CSaveFileOps* ops = nullptr);

}  // namespace tessaly
