#pragma once
// Animation blocks of "anim.mul": the frames of one body, action and stored direction, in the
// block format AnimBlock.h lays out.

#include "AnimBlock.h"
#include "BodyDefs.h"
#include "MulBlock.h"
#include "Surface.h"

#include <functional>
#include <optional>

namespace tessaly {

struct AnimFrame {
    std::int16_t m_nCentreX = 0;
    std::int16_t m_nCentreY = 0;
    std::uint16_t m_nWidth = 0;
    std::uint16_t m_nHeight = 0;
    ByteSpan m_Chunks;  // from the first chunk to the end of the block
};

class CTileAnimType : public CMulImageType {
public:
    static constexpr std::size_t kPaletteBytes = kAnimPaletteBytes;

    // Reads a block from a source other than anim.mul (see CAnimSources::ReadBlock).
    using BlockReader = std::function<ReadStatus(std::vector<std::uint8_t>&)>;

    // The block of "anim.idx" entry `entry`, through the file set.
    explicit CTileAnimType(std::uint32_t entry, CClientFiles& files = TheClientFiles())
        : CMulImageType(entry, files) {}
    // The block reader gives; `entry` only names it.
    CTileAnimType(std::uint32_t entry, BlockReader reader)
        : CMulImageType(entry), m_Reader(std::move(reader)) {}

    bool Load() override;
    // The number of frames (0 when the block cannot be loaded).
    std::uint32_t GetFrameCount();
    // Frame index's header; none when the index is not below the count or the header does not
    // lie inside the block.
    std::optional<AnimFrame> GetFrame(std::uint32_t index);
    // Draws frame frameIndex for direction 0-7 (directions below 3 are the mirrored ones) with
    // the body's foot point at (x, y + 22).
    bool Draw(CSurfaceDCData& surface, std::int32_t x, std::int32_t y, std::uint16_t hue,
              std::uint32_t frameIndex, std::int32_t direction);

    // The same on a block's bytes. The frame count is capped at the offsets the block holds.
    static std::uint32_t FrameCount(ByteSpan block);
    static std::optional<AnimFrame> Frame(ByteSpan block, std::uint32_t index);
    // Chunks that do not lie wholly inside the block end the frame.
    static bool DrawFrame(CSurfaceDCData& surface, ByteSpan block, std::int32_t x, std::int32_t y,
                          std::uint16_t hue, std::uint32_t frameIndex, std::int32_t direction);

private:
    BlockReader m_Reader;
};

// The "anim.idx" entry of one body, action and direction (0-7). Actions outside the body's
// range, and directions outside 0-7, count as 0.
std::uint32_t GetAnimIndex(std::uint32_t body, std::int32_t action, std::int32_t direction);

// How long each frame of a body shows when it plays (the files store no frame time): the Anim
// page's timer and the exported GIFs and sprite sheets use it.
inline constexpr std::uint32_t kAnimFramePeriodMs = 250;

// Actions a body has: 22 below body 200, 13 up to 399, 35 from 400.
std::int32_t GetAnimActionCount(std::uint32_t body);

// The stored direction (0-4) a direction 0-7 is drawn from (0-2 mirror 3-1); 0-7 only.
std::uint32_t StoredAnimDirection(std::int32_t direction);

}  // namespace tessaly
