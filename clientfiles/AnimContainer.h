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
// Frame data: a 512-byte palette (index 0 transparent), then one frame as "anim.mul" holds it
// (8-byte header, chunks, the end chunk).
// Frames per direction = frame count / 5, rounded; frame number k belongs to direction
// (k - 1) / frames per direction; a number no record has is an empty frame.

#include "AnimBlock.h"
#include "AnimSources.h"
#include "UopFile.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

inline constexpr std::uint32_t kAnimContainerFiles = 6;  // "AnimationFrame1.uop" ... 6
inline constexpr std::size_t kAnimStoredDirections = 5;
inline constexpr std::size_t kAnimContainerHeader = 40;
inline constexpr std::size_t kAnimFrameRecord = 16;
// Bodies whose frames are in the containers carry this flag in "mobtypes.txt".
inline constexpr std::uint32_t kMobTypeContainerFlag = 0x10000;

// "AnimationFrameN.uop" for n = 1 ... 6.
std::string AnimContainerFileName(std::uint32_t n);
// The path name of the entry of a body's action.
std::string AnimContainerEntryName(std::uint32_t body, std::uint32_t action);

// The length of the "anim.mul" frame (header, chunks, end chunk) starting at `start`; none when
// it does not end inside the bytes.
std::optional<std::size_t> AnimFrameLength(ByteSpan bytes, std::size_t start);

// The five stored directions of an entry, each laid out as an "anim.mul" block (palette, frame
// count, offsets, frames) that the frame decoder reads as it reads "anim.mul".
using AnimContainerDirections = std::array<std::vector<std::uint8_t>, kAnimStoredDirections>;

// Reads a decompressed entry into its five directions. False, with the reason in `error`, when
// the bytes do not fit the layout: no "AMOU", a frame count that is negative or larger than the
// entry can hold, a frame table or frame data outside the entry, a frame number out of range or
// given twice, a frame that does not end inside the entry, frames sharing their bytes. Frames of
// one direction drawn with different palettes share the block's palette, their pixels pointed
// at the same colours; the entry is damaged when their colours do not fit in one palette.
bool ParseAnimContainerEntry(ByteSpan entry, AnimContainerDirections& out, std::string& error);

// The animation containers of a client, opened on first use (again after the file set's
// directories change). Finds a body's action in every container present, the first holding it
// winning, and keeps the entry decoded last, as a body's five directions are asked for one
// after the other.
class CAnimContainers {
public:
    using FileInfo = UopFileInfo;

    explicit CAnimContainers(CClientFiles& files) : m_Files(files) {}

    // The containers present, "AnimationFrame1.uop" ... "AnimationFrame6.uop" and then
    // "AnimationSequence.uop" (listed only: its entries remap actions and are not read here).
    std::vector<FileInfo> ListFiles();
    // Whether any of "AnimationFrame1.uop" ... "AnimationFrame6.uop" is there.
    bool HasFrameFiles();
    // The number (1-6) of the container holding the body's action; 0 when none does. When
    // `readable` is given it says, without reading the entry, whether the entry's stretch lies
    // inside its container and its table entry can be read as ReadDirection would read it.
    std::uint32_t FindEntry(std::uint32_t body, std::uint32_t action, bool* readable = nullptr);
    // The stored direction (0-4) of a body's action as an "anim.mul" block. Absent when no
    // container holds the action, Damaged when its entry does not decompress or does not fit
    // the layout (the reason goes to the event log once per entry), Failed when its container
    // is not open.
    ReadStatus ReadDirection(std::uint32_t body, std::uint32_t action, std::uint32_t direction,
                             std::vector<std::uint8_t>& block);

private:
    struct Container {
        CQFile file;
        CUopTable table;
        std::uint64_t length = 0;  // the file's length when it was opened
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

// The source of the Anims list for the containers: every body "mobtypes.txt" flags 0x10000,
// named after the container holding its first action; null when the client has none.
std::unique_ptr<CAnimSourceProvider> MakeAnimContainerSource(CClientFiles& files);

}  // namespace tessaly
