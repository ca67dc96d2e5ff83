#include "MMIO.h"

#include "Bytes.h"
#include "EventLog.h"
#include "QFile.h"

#include <algorithm>
#include <cstring>

namespace tessaly {

namespace {

constexpr std::uint64_t kMaxPosition = 0x7FFFFFFF;

bool IsFormId(FourCC id) {
    return id == kFourCCRiff || id == kFourCCList;
}

// The position after a chunk's data and pad byte, in 64 bits so that a size read from a
// file cannot wrap around.
std::uint64_t ChunkEnd(std::uint32_t dataOffset, std::uint32_t size) {
    return std::uint64_t{dataOffset} + size + (size & 1u);
}

}  // namespace

std::unique_ptr<MMIOStream> MMIOStream::Open(const char* path, const MMOpenInfo* info,
                                             std::uint32_t mode) {
    std::unique_ptr<MMIOStream> s(new MMIOStream);
    const std::uint32_t access = mode & 0x3u;
    s->m_canRead = access != kMMIOWrite;
    s->m_canWrite = access != kMMIORead;
    if (info != nullptr && info->fccIOProc == kFourCCMem) {
        if (info->pchBuffer == nullptr || info->cchBuffer > kMaxPosition) {
            return nullptr;
        }
        s->m_mem = info->pchBuffer;
        s->m_memCapacity = info->cchBuffer;
        s->m_memLength = (mode & kMMIOCreate) != 0 ? 0 : info->cchBuffer;
        return s;
    }
    if (path == nullptr || *path == '\0' || access == 0x3u) {
        return nullptr;
    }
    // Real files open like every checked file (open flags, share locks).
    s->m_pFile = std::make_unique<CQFile>();
    if (!s->m_pFile->Open(path, mode & ~kMMIOAllocBuf)) {
        return nullptr;
    }
    return s;
}

MMIOStream::~MMIOStream() {
    Close();
}

void MMIOStream::Close() {
    m_pFile.reset();
    m_mem = nullptr;
    m_memCapacity = 0;
    m_memLength = 0;
    m_canRead = m_canWrite = false;
}

std::uint32_t MMIOStream::Length() const {
    if (m_mem != nullptr) {
        return m_memLength;
    }
    if (m_pFile == nullptr) {
        return 0;
    }
    try {
        return static_cast<std::uint32_t>(
            std::min<std::uint64_t>(m_pFile->GetLength(), kMaxPosition));
    } catch (const CQFileException&) {
        LogCaughtException("measuring a wave file");
        return 0;
    }
}

std::int32_t MMIOStream::Read(void* buffer, std::int32_t n) {
    if (!m_canRead || n < 0) {
        return -1;
    }
    std::uint32_t want = static_cast<std::uint32_t>(n);
    if (m_mem != nullptr) {
        std::uint32_t left = m_pos < m_memLength ? m_memLength - m_pos : 0;
        std::uint32_t got = std::min(want, left);
        if (got != 0) {
            std::memcpy(buffer, m_mem + m_pos, got);
        }
        m_pos += got;
        return static_cast<std::int32_t>(got);
    }
    try {
        m_pFile->Seek(m_pos, CQFile::begin);
        std::uint32_t done = m_pFile->Read(buffer, want);
        m_pos += done;
        return static_cast<std::int32_t>(done);
    } catch (const CQFileException&) {
        LogCaughtException("reading a wave file");
        return -1;
    }
}

std::int32_t MMIOStream::Write(const void* buffer, std::int32_t n) {
    if (!m_canWrite || n < 0) {
        return -1;
    }
    std::uint32_t want = static_cast<std::uint32_t>(n);
    if (std::uint64_t{m_pos} + want > kMaxPosition) {
        return -1;
    }
    if (m_mem != nullptr) {
        std::uint32_t room = m_pos < m_memCapacity ? m_memCapacity - m_pos : 0;
        std::uint32_t put = std::min(want, room);
        if (put != 0) {
            std::memcpy(m_mem + m_pos, buffer, put);
        }
        m_pos += put;
        m_memLength = std::max(m_memLength, m_pos);
        return static_cast<std::int32_t>(put);
    }
    try {
        m_pFile->Seek(m_pos, CQFile::begin);
        m_pFile->Write(buffer, want);
        m_pos += want;
        return n;
    } catch (const CQFileException&) {
        LogCaughtException("writing a wave file");
        return -1;
    }
}

bool MMIOStream::WriteAll(const void* buffer, std::uint32_t n) {
    return Write(buffer, static_cast<std::int32_t>(n)) == static_cast<std::int32_t>(n);
}

std::int32_t MMIOStream::Seek(std::int32_t offset, int origin) {
    if (IsClosed()) {
        return -1;
    }
    std::int64_t base = origin == 0   ? 0
                        : origin == 1 ? std::int64_t{m_pos}
                        : origin == 2 ? std::int64_t{Length()}
                                      : -1;
    if (base < 0) {
        return -1;
    }
    std::int64_t target = base + offset;
    std::int64_t limit =
        m_mem != nullptr ? std::int64_t{m_memCapacity} : std::int64_t{kMaxPosition};
    if (target < 0 || target > limit) {
        return -1;
    }
    m_pos = static_cast<std::uint32_t>(target);
    return static_cast<std::int32_t>(m_pos);
}

std::uint32_t MMIOStream::CreateChunk(MMChunkInfo& ck, std::uint32_t flags) {
    if ((flags & kMMIOCreateRiff) != 0) {
        ck.ckid = kFourCCRiff;
    } else if ((flags & kMMIOCreateList) != 0) {
        ck.ckid = kFourCCList;
    }
    std::uint8_t header[12];
    StoreLE32(header, ck.ckid);
    StoreLE32(header + 4, ck.cksize);
    StoreLE32(header + 8, ck.fccType);
    std::uint32_t headerSize = IsFormId(ck.ckid) ? 12 : 8;
    std::uint32_t start = m_pos;
    if (!WriteAll(header, headerSize)) {
        return kMMIOErrCannotWrite;
    }
    ck.dwDataOffset = start + 8;
    ck.dwFlags = kMMIODirty;
    return 0;
}

std::uint32_t MMIOStream::Ascend(MMChunkInfo& ck, std::uint32_t /*flags*/) {
    if ((ck.dwFlags & kMMIODirty) != 0) {
        if (m_pos < ck.dwDataOffset || ck.dwDataOffset < 4) {
            return kMMIOErrCannotSeek;
        }
        std::uint32_t size = m_pos - ck.dwDataOffset;
        if ((size & 1u) != 0) {
            const std::uint8_t pad = 0;
            if (!WriteAll(&pad, 1)) {
                return kMMIOErrCannotWrite;
            }
        }
        if (size != ck.cksize) {
            std::uint32_t end = m_pos;
            std::uint8_t word[4];
            StoreLE32(word, size);
            m_pos = ck.dwDataOffset - 4;
            bool written = WriteAll(word, 4);
            m_pos = end;
            if (!written) {
                return kMMIOErrCannotWrite;
            }
            ck.cksize = size;
        }
        ck.dwFlags &= ~kMMIODirty;
        return 0;
    }
    std::uint64_t end = ChunkEnd(ck.dwDataOffset, ck.cksize);
    if (end > kMaxPosition) {
        return kMMIOErrCannotSeek;
    }
    m_pos = static_cast<std::uint32_t>(end);
    return 0;
}

std::uint32_t MMIOStream::Descend(MMChunkInfo& ck, const MMChunkInfo* parent, std::uint32_t flags) {
    if (IsClosed()) {
        return kMMIOErrCannotRead;
    }
    std::uint64_t limit = Length();
    if (parent != nullptr) {
        limit = std::min(limit, std::uint64_t{parent->dwDataOffset} + parent->cksize);
    }
    std::uint64_t pos = m_pos;
    while (pos + 8 <= limit) {
        m_pos = static_cast<std::uint32_t>(pos);
        std::uint8_t header[12];
        if (Read(header, 8) != 8) {
            return kMMIOErrCannotRead;
        }
        FourCC id = LoadLE32(header);
        std::uint32_t size = LoadLE32(header + 4);
        std::uint32_t dataOffset = m_pos;
        FourCC type = 0;
        if (IsFormId(id)) {
            if (pos + 12 > limit || Read(header + 8, 4) != 4) {
                return kMMIOErrChunkNotFound;
            }
            type = LoadLE32(header + 8);
        }
        bool match = (flags & kMMIOFindChunk)  ? id == ck.ckid
                     : (flags & kMMIOFindRiff) ? id == kFourCCRiff && type == ck.fccType
                     : (flags & kMMIOFindList) ? id == kFourCCList && type == ck.fccType
                                               : true;
        if (match) {
            ck.ckid = id;
            ck.cksize = size;
            ck.fccType = type;
            ck.dwDataOffset = dataOffset;
            ck.dwFlags = 0;
            return 0;
        }
        pos = ChunkEnd(dataOffset, size);
    }
    return kMMIOErrChunkNotFound;
}

}  // namespace tessaly
