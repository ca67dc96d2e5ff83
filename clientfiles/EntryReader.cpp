#include "EntryReader.h"

#include "AnimBlock.h"
#include "Bytes.h"
#include "TarnError.h"

#include <algorithm>
#include <optional>

namespace tessaly {

namespace {

// Reads bytes [from, from + out.size()) of the record's stretch into out.
bool ReadRecordPiece(CClientFiles& files, std::int32_t dataSlot, const IndexRecord& record,
                     std::uint64_t from, std::span<std::uint8_t> out) {
    // A record of the piece alone: the same file, the place moved on by `from`. A container's
    // record names its entry rather than a place, so there (and for a piece past 4 GiB, which
    // no record can name) the prefix up to the piece's end is read, which a container reads
    // or inflates alone.
    const std::uint64_t at = std::uint64_t{record.m_dwOffset} + from;
    const bool placed = (record.IsPatch() || !files.IsContainerSlot(dataSlot)) &&
                        at + out.size() < IndexRecord::kNoData;
    const std::uint64_t skip = placed ? 0 : from;
    std::vector<std::uint8_t> prefix(skip == 0 ? 0 : static_cast<std::size_t>(skip + out.size()));
    const std::span<std::uint8_t> target = skip == 0 ? out : std::span<std::uint8_t>(prefix);
    IndexRecord piece = record;
    piece.m_dwOffset = placed ? static_cast<std::uint32_t>(at) : record.m_dwOffset;
    piece.m_dwLength =
        (record.m_dwLength & IndexRecord::kPatchBit) | static_cast<std::uint32_t>(target.size());
    if (!files.ReadData(dataSlot, piece, target)) {
        return false;
    }
    if (skip != 0) {
        std::copy(prefix.begin() + static_cast<std::ptrdiff_t>(skip), prefix.end(), out.begin());
    }
    return true;
}

}  // namespace

CEntryReader::CEntryReader(CClientFiles& files, std::int32_t dataSlot, const IndexRecord& record,
                           std::vector<std::uint8_t>& block)
    : CEntryReader(
          record.GetLength(),
          [&files, dataSlot, record](std::uint64_t from, std::span<std::uint8_t> out) {
              return ReadRecordPiece(files, dataSlot, record, from, out);
          },
          block) {
    // The length comes from a file: nothing is allocated before the file is known to hold it.
    // A stretch outside its file is the entry's damage; one whose file is not there, a failed
    // read.
    if (!files.DataFits(dataSlot, record)) {
        throw CTarnError(2, kE_FAIL,
                         files.DataStatus(dataSlot, record) == ReadStatus::Damaged
                             ? kDamagedEntry
                             : "LoadMulData: Read");
    }
}

CEntryReader::CEntryReader(std::uint32_t length, PieceReader read, std::vector<std::uint8_t>& block)
    : m_nLength(length), m_ReadPiece(std::move(read)), m_Block(block) {
    m_Block.clear();
    m_Block.shrink_to_fit();
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
    if (!m_ReadPiece(held, std::span<std::uint8_t>(m_Block).subspan(held))) {
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
    m_nSteps = Length() / 4 + rows + 16;
    m_bStepsSpent = false;
    for (std::uint64_t r = 0; r < rows; ++r) {
        const std::optional<std::uint64_t> rowEnd = walkRow(r);
        if (m_bStepsSpent) {
            Keep(Length());
            return;
        }
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

bool CEntryReader::TakeStep() {
    if (m_nSteps == 0) {
        m_bStepsSpent = true;
        return false;
    }
    --m_nSteps;
    return true;
}

void KeepAnimBlock(CEntryReader& reader) {
    const std::vector<std::uint8_t>& block = reader.Block();
    const std::uint64_t length = reader.Length();
    if (!reader.Need(kAnimTableStart)) {
        reader.Keep(length);  // too short for a frame count: nothing of it is drawn
        return;
    }
    // The frame count as drawing caps it: the offsets the record has room for.
    const std::uint64_t frames = std::min<std::uint64_t>(LoadLE32(block.data() + kAnimPaletteBytes),
                                                         (length - kAnimTableStart) / 4);
    std::uint64_t end = kAnimTableStart + 4 * frames;
    reader.Need(end);
    // Each chunk header is 4 bytes: frames that do not overlap walk at most length / 4 of them.
    // Frames that do (a garbage table) could make the walk quadratic; past that budget the
    // record is kept whole.
    std::uint64_t budget = length / 4 + frames + 16;
    // Where frame f's chunks end as drawing walks them (0 for a frame whose header does not lie
    // inside the record); none once the budget is spent.
    const auto frameEnd = [&](std::uint64_t f) -> std::optional<std::uint64_t> {
        std::uint64_t pos =
            kAnimPaletteBytes + std::uint64_t{LoadLE32(block.data() + kAnimTableStart + 4 * f)};
        if (pos + kAnimFrameHeader > length) {
            return 0;
        }
        pos += kAnimFrameHeader;
        while (pos + 4 <= length) {
            if (budget-- == 0) {
                return std::nullopt;
            }
            reader.Need(pos + 4);
            const std::uint32_t header = LoadLE32(block.data() + pos);
            pos += 4;
            const std::uint64_t run = header & kAnimRunMask;
            if (EndsAnimFrame(header) || pos + run > length) {
                break;
            }
            pos += run;
        }
        return pos;
    };
    // A record that is its block ends where its last frame does: then that frame alone is
    // walked and the record kept whole.
    std::uint64_t last = 0;
    for (std::uint64_t f = 1; f < frames; ++f) {
        if (LoadLE32(block.data() + kAnimTableStart + 4 * f) >
            LoadLE32(block.data() + kAnimTableStart + 4 * last)) {
            last = f;
        }
    }
    if (frames == 0) {
        reader.Keep(end);
        return;
    }
    const std::optional<std::uint64_t> lastEnd = frameEnd(last);
    if (lastEnd == length) {
        reader.Keep(length);
        return;
    }
    for (std::uint64_t f = 0; f < frames; ++f) {
        const std::optional<std::uint64_t> frame = f == last ? lastEnd : frameEnd(f);
        if (!frame) {
            reader.Keep(length);
            return;
        }
        end = std::max(end, *frame);
    }
    reader.Keep(end);
}

}  // namespace tessaly
