#include "EntryReader.h"

#include "TarnError.h"

#include <algorithm>

namespace tessaly {

CEntryReader::CEntryReader(CClientFiles& files, std::int32_t dataSlot, const IndexRecord& record,
                           std::vector<std::uint8_t>& block)
    : m_Files(files), m_nDataSlot(dataSlot), m_Record(record), m_Block(block) {
    m_Block.clear();
    m_Block.shrink_to_fit();
    // The length comes from a file: nothing is allocated before the file is known to hold it.
    if (!m_Files.DataFits(dataSlot, record)) {
        throw CTarnError(2, kE_FAIL, "LoadMulData: Read");
    }
}

bool CEntryReader::Need(std::uint64_t end) {
    if (end <= m_Block.size()) {
        return true;
    }
    const std::uint64_t length = Length();
    if (end > length) {
        return false;
    }
    const std::size_t held = m_Block.size();
    const std::uint64_t grown =
        std::min(length, std::max({end, std::uint64_t{2} * held, kFirstPiece}));
    m_Block.resize(static_cast<std::size_t>(grown));
    if (!ReadPiece(held, std::span<std::uint8_t>(m_Block).subspan(held))) {
        throw CTarnError(2, kE_FAIL, "LoadMulData: Read");
    }
    return true;
}

void CEntryReader::Keep(std::uint64_t end) {
    end = std::min<std::uint64_t>(end, Length());
    Need(end);
    m_Block.resize(static_cast<std::size_t>(end));
}

void CEntryReader::Damaged() {
    m_Block.clear();
    m_Block.shrink_to_fit();
    throw CTarnError(2, kE_FAIL, kDamagedEntry);
}

void CEntryReader::KeepRows(
    std::uint64_t rows, std::uint64_t start, std::uint64_t reach,
    const std::function<std::optional<std::uint64_t>(std::uint64_t)>& walkRow) {
    std::uint64_t end = start;
    std::uint64_t broken = 0;
    bool held = false;
    for (std::uint64_t r = 0; r < rows; ++r) {
        const std::optional<std::uint64_t> rowEnd = walkRow(r);
        if (!rowEnd) {
            if (2 * ++broken > rows) {
                Damaged();
            }
            continue;
        }
        end = std::max(end, *rowEnd);
        if (!held && Length() <= reach) {
            Need(Length());
        }
        held = true;
    }
    Keep(end);
}

bool CEntryReader::ReadPiece(std::uint64_t from, std::span<std::uint8_t> out) {
    // A record of the piece alone: the same file, the place moved on by `from`. A container's
    // record names its entry rather than a place, so there (and for a piece past 4 GiB, which
    // no record can name) the prefix up to the piece's end is read, which a container reads
    // or inflates alone.
    const std::uint64_t at = std::uint64_t{m_Record.m_dwOffset} + from;
    const bool placed = (m_Record.IsPatch() || !m_Files.IsContainerSlot(m_nDataSlot)) &&
                        at + out.size() < IndexRecord::kNoData;
    const std::uint64_t skip = placed ? 0 : from;
    std::vector<std::uint8_t> prefix(skip == 0 ? 0 : static_cast<std::size_t>(skip + out.size()));
    const std::span<std::uint8_t> target = skip == 0 ? out : std::span<std::uint8_t>(prefix);
    IndexRecord piece = m_Record;
    piece.m_dwOffset = placed ? static_cast<std::uint32_t>(at) : m_Record.m_dwOffset;
    piece.m_dwLength =
        (m_Record.m_dwLength & IndexRecord::kPatchBit) | static_cast<std::uint32_t>(target.size());
    if (!m_Files.ReadData(m_nDataSlot, piece, target)) {
        return false;
    }
    if (skip != 0) {
        std::copy(prefix.begin() + static_cast<std::ptrdiff_t>(skip), prefix.end(), out.begin());
    }
    return true;
}

}  // namespace tessaly
