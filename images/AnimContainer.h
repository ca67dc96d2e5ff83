#pragma once
// Animation containers of newer clients ("AnimationFrame1.uop" ... "AnimationFrame6.uop"): one
// container entry per body and action, named "build/animationlegacyframe/%06u/%02u.bin", holding
// the frames of all five stored directions. Read strictly: an entry whose bytes do not fit this
// layout is damaged as a whole, never guessed at.
//
// Entry (once decompressed, little-endian):
//    0  "AMOU"    4 u32 version    8-31 not described
//   32  i32 frame count             36 u32 offset of the frame table
// Frame record, 16 bytes each:
//    0  u16 group   2 u16 frame number (from 1)   4-11 not described
//   12  u32 offset of the frame's data, counted from the start of the record
// Frame data: a 512-byte palette (index 0 transparent), then one frame as "anim.mul" holds it.
// Frames per direction = frame count / 5, rounded; frame number k belongs to direction
// (k - 1) / frames per direction; a number no record has is an empty frame.

#include "AnimType.h"
#include "UopFile.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tessaly {

inline constexpr std::uint32_t kAnimContainerFiles = 6;  // "AnimationFrame1.uop" ... 6
inline constexpr std::size_t kAnimStoredDirections = 5;
inline constexpr std::size_t kAnimContainerHeader = 40;
inline constexpr std::size_t kAnimFrameRecord = 16;

// "AnimationFrameN.uop" for n = 1 ... 6.
std::string AnimContainerFileName(std::uint32_t n);
// The path name of the entry of a body's action.
std::string AnimContainerEntryName(std::uint32_t body, std::uint32_t action);

// One stored direction of a container entry laid out as an "anim.mul" block (the palette of its
// first frame, the frame count, the offsets, the frames), so that the frame decoder reads it as
// it reads "anim.mul". Container frames carry a palette each: palettes[i] is where in the block
// frame i's palette lies (0 for the block's own).
struct AnimDirectionBlock {
    std::vector<std::uint8_t> block;
    std::vector<std::uint32_t> palettes;
};
using AnimContainerDirections = std::array<AnimDirectionBlock, kAnimStoredDirections>;

// Reads a decompressed entry into its five directions. False, with the reason in `error`,
// when the bytes do not fit the layout: no "AMOU", a frame count that is negative or larger
// than the entry can hold, a frame table or frame data outside the entry, a frame number out
// of range or given twice, a frame that does not end inside the entry.
bool ParseAnimContainerEntry(ByteSpan entry, AnimContainerDirections& out, std::string& error);

// One frame for EncodeAnimContainerEntry: its number (from 1), palette (512 bytes) and frame
// bytes (header, chunks, end chunk).
struct AnimContainerFrame {
    std::uint16_t number = 0;
    ByteSpan palette;
    ByteSpan frame;
};
// The frames of five "anim.mul" blocks (stored directions 0-4), numbered as a container numbers
// them: direction d's frame i is d x frames per direction + i + 1, frames per direction being
// the first block's count. Frames that do not end inside their block are left out.
std::vector<AnimContainerFrame> AnimContainerFramesOf(const std::array<ByteSpan, 5>& blocks);
// A decompressed entry holding the frames, in the order given.
std::vector<std::uint8_t> EncodeAnimContainerEntry(const std::vector<AnimContainerFrame>& frames);

// The animation containers of the client the file set reads, opened on first use (again after
// the file set's directories change). Finds a body's action in every container present, the
// first holding it winning, and keeps the entry decoded last, as a body's five directions are
// asked for one after the other.
class CAnimContainers {
public:
    struct FileInfo {
        std::string name;  // the file name as found
        std::string path;
        std::uint64_t size = 0;
        std::uint64_t entries = 0;  // used entries of its tables
        std::string error;          // a damaged header or table chain
    };

    explicit CAnimContainers(CClientFiles& files) : m_Files(files) {}

    // The containers present, "AnimationFrame1.uop" ... "AnimationFrame6.uop" and then
    // "AnimationSequence.uop" (listed only: its entries remap actions and are not read here).
    std::vector<FileInfo> ListFiles();
    // The number (1-6) of the container holding the body's action; 0 when none does.
    std::uint32_t FindEntry(std::uint32_t body, std::uint32_t action);
    // The stored direction (0-4) of a body's action as an "anim.mul" block. Absent when no
    // container holds the action, Damaged when its entry does not decompress or does not fit
    // the layout (the reason goes to the event log once per entry), Failed when a container
    // cannot be read.
    ReadStatus ReadDirection(std::uint32_t body, std::uint32_t action, std::uint32_t direction,
                             AnimDirectionBlock& out);

private:
    struct Container {
        CQFile file;
        CUopTable table;
    };
    void Refresh();

    CClientFiles& m_Files;
    std::uint64_t m_uDirsSerial = 0;
    bool m_bOpened = false;
    std::array<std::unique_ptr<Container>, kAnimContainerFiles> m_Containers;
    // The entry decoded last.
    std::uint64_t m_uLastHash = 0;
    ReadStatus m_LastStatus = ReadStatus::Absent;
    AnimContainerDirections m_Last;
};

// The process-wide containers, read through TheClientFiles().
CAnimContainers& TheAnimContainers();

// The frame set of one body, action and stored direction taken from the animation containers:
// drawn and counted as a frame set of "anim.mul" is. Its entry number is the anim.idx record the
// frame set stands for.
class CContainerAnimType : public CTileAnimType {
public:
    CContainerAnimType(std::uint32_t entry, std::uint32_t body, std::uint32_t action,
                       std::uint32_t direction)
        : CTileAnimType(entry), m_nBody(body), m_nAction(action), m_nDirection(direction) {}

    bool Load() override;

private:
    std::uint32_t m_nBody;
    std::uint32_t m_nAction;
    std::uint32_t m_nDirection;
};

}  // namespace tessaly
