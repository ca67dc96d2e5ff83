#pragma once
// Reading an entry's bytes as its format asks for them, from the front in growing pieces, so
// that an index record longer than its entry (records that overlap or span the whole data
// file) costs what the format walks, not what the record claims.

#include "ClientFiles.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace tessaly {

// Raised by a block whose record lies outside its file, or whose bytes do not hold together as
// its format asks (a row table past the record, most rows past the record or past the
// picture's width): the entry is damaged (ReadStatus::Damaged), and nothing was allocated for
// its picture.
inline constexpr const char* kDamagedEntry = "LoadMulData: Damaged";

class CEntryReader {
public:
    // Reads bytes [from, from + out.size()) of the stretch into out; false when the read fails.
    using PieceReader = std::function<bool(std::uint64_t from, std::span<std::uint8_t> out)>;

    // Empties block and checks the record's stretch against its file first: a stretch that
    // does not fit raises kDamagedEntry (its file not open: "LoadMulData: Read"), with nothing
    // allocated.
    CEntryReader(CClientFiles& files, std::int32_t dataSlot, const IndexRecord& record,
                 std::vector<std::uint8_t>& block);
    // A stretch of `length` bytes that read takes its pieces from; the caller has checked that
    // its file holds them.
    CEntryReader(std::uint32_t length, PieceReader read, std::vector<std::uint8_t>& block);

    // The record's byte length: the most the block can come to hold.
    std::uint32_t Length() const { return m_nLength; }
    // What has been read so far.
    const std::vector<std::uint8_t>& Block() const { return m_Block; }
    // Makes sure block holds the stretch's first `end` bytes, reading what is missing and at
    // least as much again as is held (a walk costs a few reads and never more than twice the
    // bytes it looked at). False, with nothing read, when the stretch is shorter than end; a
    // failed read raises CTarnError(2, E_FAIL, "LoadMulData: Read") and leaves the block at
    // the size asked for, zero where nothing arrived.
    bool Need(std::uint64_t end);
    // Reads up to `end` (at most the record's length) and cuts the block there: what the
    // format needs, without what a longer record reaches past it.
    void Keep(std::uint64_t end);
    // Raises the damaged entry's error (kDamagedEntry), leaving the block empty.
    [[noreturn]] void Damaged();
    // Walks rows 0 to rows - 1 with walkRow, which answers where row r ends, or nothing when
    // it does not hold together (reading through Need as it goes), then keeps the bytes up to
    // the furthest end (at least `start`, where the rows' table ends). A row that does not hold
    // together is left out, as drawing leaves it out; when more than half of them do not, the
    // entry is garbage and damaged (Damaged, as soon as that is certain). Once a row held
    // together, a record no longer than `reach`, the furthest the rows can reach by the entry's
    // dimensions, is taken for the entry's own and read whole at once. Rows that do not
    // overlap walk at most a pair per 4 bytes of the record; rows that share their bytes past
    // that (a garbage table of one offset, say) would make the walk quadratic, so once walkRow
    // has taken more steps (TakeStep) the record is kept whole instead.
    void KeepRows(std::uint64_t rows, std::uint64_t start, std::uint64_t reach,
                  const std::function<std::optional<std::uint64_t>(std::uint64_t)>& walkRow);
    // One step of a row walk (a pair read): false, the walk to end, once KeepRows's budget is
    // spent.
    bool TakeStep();

    // The first piece read: most items and terrain tiles fit in it whole.
    static constexpr std::uint64_t kFirstPiece = 4096;

private:
    std::uint32_t m_nLength;
    std::uint64_t m_nSteps = 0;  // what is left of KeepRows's budget
    bool m_bStepsSpent = false;
    PieceReader m_ReadPiece;
    std::vector<std::uint8_t>& m_Block;
};

// Reads through reader the bytes of an animation block (anim.mul's block format) that its frame
// table and frames reach, walking each frame's chunks as drawing walks them, and keeps only
// those: a record longer than its block costs the block, and the block draws as the record
// does. A record whose last frame ends where it does is its block: only that frame is walked
// and the record kept whole. Frames that overlap past any real block's shape (more chunk
// headers walked than the record has room for) keep the record whole.
void KeepAnimBlock(CEntryReader& reader);

}  // namespace tessaly
