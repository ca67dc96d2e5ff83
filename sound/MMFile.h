#pragma once
// CMMFile: the checked file run over the multimedia (RIFF) file layer, on a real file or on a
// memory buffer ("MEM " memory files). Used to write sounds as RIFF/WAVE data and to read
// such data back.

#include "MMIO.h"
#include "QFile.h"

#include <cstdint>
#include <memory>

namespace tessaly {

class CMMFile : public CQFile {
public:
    CMMFile() = default;
    // Closes the file (the base destructor cannot reach these overrides).
    ~CMMFile() override;

    // A relative seek of 0 from the current position (0 while closed).
    std::uint64_t GetPosition() const override;
    // Moves within the file; returns the new position or -1 (never raises).
    std::int64_t Seek(std::int64_t offset, int origin) override;

    // Opens the stored path (or, with a null path, the memory file that extra describes: an
    // MMOpenInfo) with the mode's low 28 bits.
    bool RawOpen(void* extra) override;
    // Closes the stream; the stored path is kept.
    void RawClose() override;
    // Takes the other CMMFile's stream; false for another kind of file.
    bool ShareHandle(CQFile& other) override;
    void ForgetHandle() override;
    bool IsBinaryMode() const override { return true; }
    bool IsOpen() const override { return m_hMMIO != nullptr; }

    // Reads up to count bytes: the count read, or -1.
    virtual std::int32_t MMRead(void* buffer, std::int32_t count);
    // Writes count bytes; true when all of them were written.
    virtual bool MMWrite(const void* buffer, std::int32_t count);

    // Chunk operations; each returns the stream's result, 0 on success.
    std::uint32_t CreateChunk(MMChunkInfo& ck, std::uint32_t flags);
    std::uint32_t CreateForm(MMChunkInfo& ck, FourCC formType, std::uint32_t flags);
    std::uint32_t CreateChunkId(MMChunkInfo& ck, FourCC id);
    std::uint32_t Ascend(MMChunkInfo& ck);
    std::uint32_t Descend(MMChunkInfo& ck, const MMChunkInfo* parent, std::uint32_t flags);

    // The bytes in the file (for a memory file: written or given).
    std::uint64_t GetLength() const override;

private:
    // Shared with the files that took it through ShareHandle; those forget it when closed.
    std::shared_ptr<MMIOStream> m_hMMIO;
};

}  // namespace tessaly
