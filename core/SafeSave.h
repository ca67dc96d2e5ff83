#pragma once
// Replacing a file without ever losing it, and without being turned against the user: the new
// content goes to a temporary file created in the target's own directory (an unnamed file where
// the file system has them, else a new file of a unique name, created exclusively and never
// through a link), is flushed to the device and renamed over the target in one step; then the
// directory is flushed too. On any failure the target is left exactly as it was and the
// temporary file is gone; a process killed mid-save leaves no unnamed file behind, and a named
// one it left is removed by the next save beside the same target. A target that exists but is
// not a regular file (a device, FIFO, socket or directory) is refused.

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
    // Whether an unnamed temporary file is tried before a named one.
    virtual bool UnnamedFirst() { return true; }
    // The six letters or digits that make the temporary name unique at the given try.
    virtual std::string UniqueSuffix(int attempt);
};

// Where a document's save goes: the file a symbolic link names, so that the link stays a link.
std::string SaveTargetOf(const std::string& path);

// Writes `target` through a temporary file named `tempName` plus "." and six random letters or
// digits, placed in the target's directory. writeBody gets the open, empty temporary file
// (read/write) and answers false to abandon the save; anything it throws abandons it too.
// A target marked read-only is refused; a symbolic link is replaced as a link (a document's
// save passes SaveTargetOf(path) instead). Returns true only when the target was replaced;
// every failure writes one line saying why to the event log. The replacing file keeps the
// permissions of the one it replaces, and its owner and group where the process may set them.
// Without `flush`, as for SaveNew, the file and the folder are left for FlushFolderFiles: only
// for files that can be written again (exports), as a crash before that flush may leave the
// target empty.
bool SaveReplacing(const std::string& target, const std::string& tempName,
                   const std::function<bool(CQFile&)>& writeBody, CSaveFileOps* ops = nullptr,
                   bool flush = true);
// Writes a new file at `target` the same way, linking the temporary file in under the target's
// name last: false with errno EEXIST when anything (a file, a link) is there, which is left as
// it was. Its failures are not logged: errno says why. Without `flush` the file and the folder are
// not flushed to the device here: a writer of many files flushes them together (FlushFolderFiles),
// which costs one flush, not one each.
bool SaveNew(const std::string& target, const std::string& tempName,
             const std::function<bool(CQFile&)>& writeBody, CSaveFileOps* ops = nullptr,
             bool flush = true);
// Flushes to the device everything written to the file system that holds the folder; false
// (errno set) when that fails.
bool FlushFolderFiles(const std::string& dir);

}  // namespace tessaly
