#pragma once
// "animdata.mul": how the client plays animated items (tile data flag kTileAnim). No index:
// blocks of 548 bytes, a u32 (meaning unknown) and 8 entries of 68 bytes, so that item id's
// entry lies at (id >> 3) x 548 + 4 + (id & 7) x 68.
//
// Entry:  0   i8 x 64  frame offsets: frame n shows the item picture id + offset n
//         64  u8       unknown
//         65  u8       frame count (the first that many offsets are used)
//         66  u8       frame interval, in 50 ms units
//         67  u8       start interval: the delay before the first frame, in 50 ms units
//
// A patch record of file id kSlotAnimData replaces one whole block (its block number is
// id >> 3).

#include "Bytes.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tessaly {

class CClientFiles;

inline constexpr std::size_t kAnimDataBlockSize = 548;
inline constexpr std::size_t kAnimDataEntrySize = 68;
inline constexpr std::size_t kAnimDataMaxFrames = 64;
// One unit of the frame and start intervals.
inline constexpr std::uint32_t kAnimDataTickMs = 50;

struct AnimDataEntry {
    // The item pictures of the frames in playing order (the item id plus each offset; frames
    // that would fall below item 0 are left out). At most kAnimDataMaxFrames.
    std::vector<std::uint32_t> frames;
    std::uint8_t frameInterval = 0;
    std::uint8_t startInterval = 0;

    // Milliseconds each frame shows; an interval of 0 plays as one unit, as a frame is shown for
    // at least one tick.
    std::uint32_t FrameDelayMs() const {
        return (frameInterval == 0 ? 1u : frameInterval) * kAnimDataTickMs;
    }
    std::uint32_t StartDelayMs() const { return startInterval * kAnimDataTickMs; }
};

// The byte position of item's entry in the file.
std::uint64_t AnimDataPosition(std::uint32_t item);

// Parses item's 68-byte entry. None when the bytes are too short or the entry has no frames;
// a frame count past the 64 offsets is cut to 64.
std::optional<AnimDataEntry> ParseAnimDataEntry(std::uint32_t item, ByteSpan entry);

// Reads item's entry from the client's "animdata.mul" (or the patch record that replaces its
// block). None without the file, for an entry that does not lie wholly inside the file (or the
// patch record), and for an entry without frames.
std::optional<AnimDataEntry> ReadAnimData(CClientFiles& files, std::uint32_t item);

}  // namespace tessaly
