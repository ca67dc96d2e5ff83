#pragma once
// An output folder written as one transaction: every file goes into a temporary folder created
// exclusively beside the target (same parent, so the last step never crosses volumes), each
// file is flushed to the device, a "manifest.json" names every file with its size and SHA-256,
// the folder itself is flushed, and only then is it renamed to the target. The target therefore
// appears whole or not at all. An existing target is refused unless replacing is asked; then
// the old folder stays in place until the new one is complete, is swapped out in the same step
// the new one comes in, and is removed last. Any failure (or an object destroyed before
// Commit) removes the temporary folder and leaves the target as it was. A run killed midway
// leaves only its temporary folder, which the next transaction beside the same target removes.

#include "QFile.h"

#include <cstdint>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessaly {

// The one message of a failed transaction ("cannot write 'art.mul': No space left on device").
class COutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file-system steps of a transaction, replaceable so that tests can make any of them fail.
class COutputFolderOps {
public:
    virtual ~COutputFolderOps() = default;
    // The file object an output file is written through.
    virtual std::unique_ptr<CQFile> NewFile() { return std::make_unique<CQFile>(); }
    // Creates a new folder from a mkdtemp(3) template (the X's replaced); false with errno set.
    virtual bool MakeTempFolder(std::string& pathTemplate);
    // Renames the finished temporary folder to the target (exchange: swaps it with the existing
    // target in one step); false with errno set on failure.
    virtual bool RenameFolder(const std::string& from, const std::string& to, bool exchange);
};

// What the manifest says about one written file besides its size and SHA-256: the entries
// that differ from the source (entry numbers; all empty for a plain conversion), and those that
// could not be read from the source and were left damaged.
struct ManifestEntries {
    std::vector<std::uint32_t> replaced;
    std::vector<std::uint32_t> added;
    std::vector<std::uint32_t> deleted;
    std::vector<std::uint32_t> damaged;
};

class COutputFolder {
public:
    // Creates the temporary folder beside target. Raises COutputError when the target exists
    // and replace is false, when it exists and is not a folder, or when the temporary folder
    // cannot be created (a read-only parent, for one).
    COutputFolder(std::string target, bool replace, COutputFolderOps* ops = nullptr);
    // Removes the temporary folder unless Commit succeeded.
    ~COutputFolder();
    COutputFolder(const COutputFolder&) = delete;
    COutputFolder& operator=(const COutputFolder&) = delete;

    // Creates the file `name` (a plain name, no folders) in the temporary folder, exclusively
    // and never through a link, open for reading and writing. The file belongs to the folder;
    // write it through a CQBufferedFile for speed. Raises COutputError.
    CQFile& Create(const std::string& name);
    // Says that a created file is complete (every byte handed to it): it is flushed and its
    // SHA-256 taken in the background while other files are written. Optional; Commit does it
    // for the files not named here.
    void FileDone(const std::string& name);
    // Sets what the manifest says of a created file's entries.
    void SetEntries(const std::string& name, ManifestEntries entries);
    // Names of the files created so far, in order.
    std::vector<std::string> FileNames() const;

    // Flushes every file, writes "manifest.json" (files in creation order, each with "name",
    // "size", "sha256", "replaced", "added", "deleted", "damaged"), flushes the folder and renames
    // it to the target (swapping out and then removing an old target when replacing). Raises
    // COutputError, after which the target is as it was and the temporary folder is gone.
    void Commit();
    // Removes the temporary folder now (also done by the destructor).
    void Abandon();

    // DescribeFileError, naming a file of the temporary folder by its place in the target.
    std::string DescribeError(const CQFileException& e) const;

    const std::string& Target() const { return m_sTarget; }
    // Where the files are being written (empty once committed or abandoned).
    const std::string& TempPath() const { return m_sTemp; }

    static constexpr const char* kManifestName = "manifest.json";

private:
    struct Digest {
        std::uint64_t size = 0;
        std::string sha256;
    };
    struct File {
        std::string name;
        std::unique_ptr<CQFile> file;
        ManifestEntries entries;
        // The flush and SHA-256 of a finished file, under way (destroyed first: it is waited for
        // before the file closes).
        std::future<Digest> digest;
    };
    File* Find(const std::string& name);

    std::string m_sTarget;
    std::string m_sTemp;
    bool m_bReplace;
    COutputFolderOps m_DefaultOps;
    COutputFolderOps* m_pOps;
    int m_nLockFd = -1;  // the temporary folder, locked while the transaction runs
    std::vector<File> m_Files;
};

// The SHA-256 of the bytes of an open file from its start, as 64 lower-case hex digits.
// Raises CQFileException on a failed read.
std::string FileSha256(CQFile& file);

// The one-line message for a failed file operation: "cannot write 'PATH': REASON".
std::string DescribeFileError(const CQFileException& e);

// Whether folder, once links are resolved, is dir or holds it (false for an empty dir): a
// replaced folder goes whole, with everything in it.
bool FolderHolds(const std::string& folder, const std::string& dir);
// Whether folder holds the file at path (relative to the working directory or not; false for
// an empty path).
bool FolderHoldsFile(const std::string& folder, const std::string& path);

}  // namespace tessaly
