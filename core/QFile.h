#pragma once
// Checked byte-stream file over a POSIX file descriptor, with a stored open mode.
//
// Open answers true or false instead of raising. Read, Write and Seek raise CQFileException on
// a failure of the operating system (a short read is not a failure: Read returns the count).
// Share flags become advisory flock locks held while the file is open: "others may not write"
// takes a shared lock, "exclusive" an exclusive one; a lock that cannot be had fails the open.
// Only regular files open: a FIFO, device, socket or directory is opened without blocking, seen
// for what it is, closed again and refused with one line in the event log naming it.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessaly {

// The file error: what failed, the errno and the path.
class CQFileException : public std::runtime_error {
public:
    enum Cause { kGeneric, kBadSeek, kReadFault, kWriteFault, kNotOpen };
    CQFileException(Cause cause, int osError, std::string path);

    Cause m_cause;
    int m_lOsError;
    std::string m_strFileName;
};

class CQFile {
public:
    // Mode flags: the low 28 bits go to the operating system, the top four belong to the file.
    static constexpr std::uint32_t modeRead = 0x0000;
    static constexpr std::uint32_t modeWrite = 0x0001;
    static constexpr std::uint32_t modeReadWrite = 0x0002;
    static constexpr std::uint32_t shareExclusive = 0x0010;
    static constexpr std::uint32_t shareDenyWrite = 0x0020;
    static constexpr std::uint32_t shareDenyNone = 0x0040;
    static constexpr std::uint32_t modeCreate = 0x1000;
    // Creates a new file and fails when anything, a link included, has the name already.
    static constexpr std::uint32_t modeCreateNew = 0x2000;
    // The path names a directory: a file without a name is made in it (LinkTo names it later).
    // Fails where the file system has no unnamed files.
    static constexpr std::uint32_t modeUnnamed = 0x4000;
    static constexpr std::uint32_t modeSharedHandle = 0x80000000u;  // set by OpenShared
    static constexpr std::uint32_t kOwnModeBits = 0xF0000000u;

    // Seek origins.
    static constexpr int begin = 0;
    static constexpr int current = 1;
    static constexpr int end = 2;

    CQFile() = default;
    CQFile(const CQFile&) = delete;
    CQFile& operator=(const CQFile&) = delete;
    // Closes the file.
    virtual ~CQFile();

    // Stream operations.
    virtual std::uint64_t GetPosition() const;
    virtual std::string GetFilePath() const { return m_strFileName; }
    virtual void SetFilePath(const std::string& path) { m_strFileName = path; }
    // Moves to offset from the origin and returns the new position; raises on failure.
    virtual std::int64_t Seek(std::int64_t offset, int origin);
    virtual std::uint64_t GetLength() const;
    // Reads up to count bytes; returns how many arrived (0 at the end of the file).
    virtual std::uint32_t Read(void* buffer, std::uint32_t count);
    // Writes every byte or raises (a full disk included).
    virtual void Write(const void* buffer, std::uint32_t count);
    // Pushes written bytes to the storage device (fsync); raises on failure.
    virtual void Flush();
    // Asks the system to start writing the file's written bytes to the device, without waiting
    // for it (so that a later Flush has less to wait for). Failures are left to Flush.
    virtual void StartWriteBack();
    // Closes an open file: forgets a shared handle, otherwise RawClose. Keeps the mode.
    virtual void Close();
    void SeekToBegin() { Seek(0, begin); }

    // Own operations.
    // Opens the stored path with the mode's low 28 bits; extra is not used here.
    virtual bool RawOpen(void* extra);
    // Closes the descriptor and empties the stored path.
    virtual void RawClose();
    // Takes over the descriptor of another file without opening anything.
    virtual bool ShareHandle(CQFile& other);
    // Drops the descriptor without closing it.
    virtual void ForgetHandle();
    // Closes this file, then shares the other's descriptor, path and mode (plus
    // modeSharedHandle).
    virtual void OpenShared(CQFile& other);
    // Becomes a file of its own on a duplicate of the other's open descriptor (the same opened
    // file, whatever is later saved over its name), with its path, mode and open serial; false,
    // and this file unchanged, when the other is not open or the descriptor cannot be had.
    bool Duplicate(const CQFile& other);
    // Whether this is the open file of that device and inode (a stat of a name): the same file
    // under any name or link; false while closed.
    bool IsFile(std::uint64_t device, std::uint64_t inode) const;
    virtual bool IsBinaryMode() const { return true; }
    virtual bool IsOpen() const { return m_hFile != kClosedHandle; }
    // With a path: closes, stores path and mode, opens. With a null path: true at once when
    // open, otherwise opens the stored path with the new mode.
    virtual bool Open(const char* path, std::uint32_t mode, void* extra = nullptr);

    // Gives an open file a name in the file system: fails when the name is taken. Meant for a
    // file opened with modeUnnamed.
    virtual bool LinkTo(const std::string& path);
    // Sets the permission bits of the open file; false on failure.
    bool SetPermissions(std::uint32_t mode);
    // Gives the file the owner and group given, or the group alone where the process may not
    // give the owner; false when neither can be set.
    bool SetOwner(std::uint32_t owner, std::uint32_t group);

    // Changes with every successful open, so that a cache of the file's contents can tell a
    // reopened file (perhaps on the same path, with other contents) from the one it read.
    std::uint64_t GetOpenSerial() const { return m_uOpenSerial; }

    // The mode of the last Open.
    std::uint32_t m_uMode = 0;

protected:
    static std::uint64_t NextOpenSerial();

    static constexpr int kClosedHandle = -1;  // the all-bits-set handle of a closed file

    int m_hFile = kClosedHandle;
    std::string m_strFileName;
    std::uint64_t m_uOpenSerial = 0;
};

// Gathers the writes to an open file in memory and hands them on in large pieces, so that a
// file written in many small pieces costs few system calls. Every other operation first hands
// on what is gathered; so does FlushBuffer, which a writer calls when it is done (the
// destructor does not: a failure there could not be reported). A failed write raises from the
// call that hands the bytes on. Every few megabytes handed on, the file starts writing them to
// the device, so that the flush at the end of a large file does not wait for all of it.
// Opens path with the given open(2) flags (O_CLOEXEC is added) and mode bits only when it is a
// regular file (or, with O_TMPFILE, an unnamed one): the open never blocks, and a FIFO, device,
// socket or directory is closed again and refused with one line in the event log. Returns the
// descriptor, or -1 with errno set (EINVAL for a file that is not regular).
int OpenRegularFile(const char* path, int flags, unsigned mode = 0666);

// The bytes of a whole regular file (read to its end), or nullopt when it cannot be opened or
// read or is not a regular file, or holds more than maxBytes (errno EFBIG; such a file is not
// read at all, one that grows past it while read no further).
std::optional<std::vector<std::uint8_t>> ReadRegularFile(const std::string& path,
                                                         std::uint64_t maxBytes);

class CQBufferedFile : public CQFile {
public:
    static constexpr std::size_t kBufferSize = 1 << 20;

    explicit CQBufferedFile(CQFile& target) : m_Target(target) {}

    std::uint64_t GetPosition() const override;
    std::string GetFilePath() const override { return m_Target.GetFilePath(); }
    std::int64_t Seek(std::int64_t offset, int origin) override;
    std::uint64_t GetLength() const override;
    std::uint32_t Read(void* buffer, std::uint32_t count) override;
    void Write(const void* buffer, std::uint32_t count) override;
    void Flush() override;
    bool IsOpen() const override { return m_Target.IsOpen(); }
    // Hands the gathered bytes on to the file.
    void FlushBuffer() const;

    static constexpr std::uint64_t kWriteBackBytes = 8u << 20;

private:
    void HandedOn(std::uint64_t bytes) const;

    static constexpr std::uint64_t kUnknown = ~std::uint64_t{0};
    CQFile& m_Target;
    mutable std::vector<std::uint8_t> m_Buffer;
    // The file's position before the gathered bytes (kUnknown: ask the file).
    mutable std::uint64_t m_nBase = kUnknown;
    // Bytes handed on since the system was last asked to start writing them to the device.
    mutable std::uint64_t m_nUnsynced = 0;
};

}  // namespace tessaly
