#pragma once
// The multimedia (RIFF) file layer under CMMFile: a byte stream over a real file or over a
// caller's memory buffer, with the chunk operations of RIFF files (create, ascend, descend).
//
// RIFF chunk layout (all little-endian):
//   0  4 bytes  chunk id ("RIFF" and "LIST" chunks carry a form type as their first data word)
//   4  u32      size of the chunk data, not counting this 8-byte header nor the pad byte
//   8  size     data; an odd size is followed by one zero pad byte
//
// Positions are 32-bit like the files the program exchanges; nothing here reads or writes
// outside the file or buffer, whatever a chunk header claims.

#include <cstdint>
#include <memory>

namespace tessaly {

class CQFile;

using FourCC = std::uint32_t;

constexpr FourCC MakeFourCC(char a, char b, char c, char d) {
    return static_cast<FourCC>(static_cast<std::uint8_t>(a)) |
           (static_cast<FourCC>(static_cast<std::uint8_t>(b)) << 8) |
           (static_cast<FourCC>(static_cast<std::uint8_t>(c)) << 16) |
           (static_cast<FourCC>(static_cast<std::uint8_t>(d)) << 24);
}

constexpr FourCC kFourCCRiff = MakeFourCC('R', 'I', 'F', 'F');
constexpr FourCC kFourCCList = MakeFourCC('L', 'I', 'S', 'T');
// The I/O procedure of memory files.
constexpr FourCC kFourCCMem = MakeFourCC('M', 'E', 'M', ' ');

// Open modes; the low bits are the same as the checked file's modes.
constexpr std::uint32_t kMMIORead = 0x0000;
constexpr std::uint32_t kMMIOWrite = 0x0001;
constexpr std::uint32_t kMMIOReadWrite = 0x0002;
constexpr std::uint32_t kMMIOShareExclusive = 0x0010;
constexpr std::uint32_t kMMIODenyWrite = 0x0020;
constexpr std::uint32_t kMMIOCreate = 0x1000;
constexpr std::uint32_t kMMIOAllocBuf = 0x10000;  // accepted; every stream here is buffered

// Chunk operation flags.
constexpr std::uint32_t kMMIOFindChunk = 0x0010;
constexpr std::uint32_t kMMIOFindRiff = 0x0020;
constexpr std::uint32_t kMMIOFindList = 0x0040;
constexpr std::uint32_t kMMIOCreateRiff = 0x0020;
constexpr std::uint32_t kMMIOCreateList = 0x0040;
// Set in MMChunkInfo::dwFlags by CreateChunk: Ascend then writes the chunk's size.
constexpr std::uint32_t kMMIODirty = 0x10000000;

// Results of the chunk operations (0 = success).
constexpr std::uint32_t kMMIOErrCannotRead = 261;
constexpr std::uint32_t kMMIOErrCannotWrite = 262;
constexpr std::uint32_t kMMIOErrCannotSeek = 263;
constexpr std::uint32_t kMMIOErrChunkNotFound = 265;

// One chunk being written or read.
struct MMChunkInfo {
    FourCC ckid = 0;
    std::uint32_t cksize = 0;
    FourCC fccType = 0;              // form type of "RIFF" and "LIST" chunks
    std::uint32_t dwDataOffset = 0;  // file position of the chunk data (after the size word)
    std::uint32_t dwFlags = 0;
};

// Extra open information. With fccIOProc == kFourCCMem the file is a memory file over the
// caller's buffer (pchBuffer, cchBuffer bytes), which must outlive the stream; no path is used.
struct MMOpenInfo {
    FourCC fccIOProc = 0;
    std::uint8_t* pchBuffer = nullptr;
    std::uint32_t cchBuffer = 0;
};

class MMIOStream {
public:
    // Opens a file by path, or a memory file when info names the memory procedure. Null when
    // the file cannot be opened (a memory file needs a buffer; a real file needs a path).
    static std::unique_ptr<MMIOStream> Open(const char* path, const MMOpenInfo* info,
                                            std::uint32_t mode);
    ~MMIOStream();
    MMIOStream(const MMIOStream&) = delete;
    MMIOStream& operator=(const MMIOStream&) = delete;

    // Reads up to n bytes at the current position: the count read (0 at the end), -1 on error.
    std::int32_t Read(void* buffer, std::int32_t n);
    // Writes n bytes: the count written (short when a memory file is full), -1 on error.
    std::int32_t Write(const void* buffer, std::int32_t n);
    // Moves to offset from the beginning (0), the current position (1) or the end (2); the new
    // position, or -1 (position unchanged) when it would be negative or out of reach.
    std::int32_t Seek(std::int32_t offset, int origin);
    // The bytes in the file or memory file.
    std::uint32_t Length() const;

    // Writes a chunk header at the current position: id ("RIFF"/"LIST" with the create
    // flags, the form type after it), then ck.cksize. Fills dwDataOffset, marks it dirty.
    std::uint32_t CreateChunk(MMChunkInfo& ck, std::uint32_t flags);
    // Leaves a chunk: for a written chunk pads an odd size with one zero byte and stores the
    // real size in its header; then moves past the chunk (and its pad byte).
    std::uint32_t Ascend(MMChunkInfo& ck, std::uint32_t flags);
    // Enters the next chunk (or, with a find flag, the next one with ck's id / form type) that
    // starts at the current position, within parent when given. The position is left at the
    // chunk's data (after the form type for "RIFF"/"LIST" chunks).
    std::uint32_t Descend(MMChunkInfo& ck, const MMChunkInfo* parent, std::uint32_t flags);

    // Closes the file (the memory buffer is left to its owner); later calls fail.
    void Close();
    bool IsClosed() const { return m_pFile == nullptr && m_mem == nullptr; }

private:
    MMIOStream() = default;
    bool WriteAll(const void* buffer, std::uint32_t n);

    std::unique_ptr<CQFile> m_pFile;  // a real file
    std::uint8_t* m_mem = nullptr;    // caller's buffer of a memory file; not owned
    std::uint32_t m_memCapacity = 0;
    std::uint32_t m_memLength = 0;  // bytes of the memory file (written or given)
    std::uint32_t m_pos = 0;
    bool m_canRead = false;
    bool m_canWrite = false;
};

}  // namespace tessaly
