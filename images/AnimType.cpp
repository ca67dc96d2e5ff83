#include "AnimType.h"

#include "EntryReader.h"
#include "TarnError.h"

#include <algorithm>

namespace tessaly {

bool CTileAnimType::Load() {
    if (m_Reader) {
        std::vector<std::uint8_t> block;
        // Damage and failed reads are raised as the file's own reads raise them, so that the
        // block's status tells them from an absent one.
        switch (m_Reader(block)) {
            case ReadStatus::Damaged:
                throw CTarnError(2, kE_FAIL, kDamagedEntry);
            case ReadStatus::Failed:
                throw CTarnError(2, kE_FAIL, "LoadMulData: Read");
            case ReadStatus::Absent:
                return false;
            case ReadStatus::Ok:
                break;
        }
        if (block.empty()) {
            return false;
        }
        m_Data = std::move(block);
        return true;
    }
    IndexRecord record;
    if (!ReadIndex(kSlotAnimIdx, kSlotAnim, m_nEntry, record)) {
        return false;
    }
    CEntryReader reader(Files(), kSlotAnim, record, m_Data);
    KeepAnimBlock(reader);
    return true;
}

std::uint32_t CTileAnimType::GetFrameCount() {
    return EnsureLoaded() ? FrameCount(GetBytes()) : 0;
}

std::optional<AnimFrame> CTileAnimType::GetFrame(std::uint32_t index) {
    return EnsureLoaded() ? Frame(GetBytes(), index) : std::nullopt;
}

bool CTileAnimType::Draw(CSurfaceDCData& surface, std::int32_t x, std::int32_t y, std::uint16_t hue,
                         std::uint32_t frameIndex, std::int32_t direction) {
    if (!EnsureLoaded()) {
        return false;
    }
    return DrawFrame(surface, GetBytes(), x, y, hue, frameIndex, direction);
}

std::uint32_t CTileAnimType::FrameCount(ByteSpan block) {
    if (block.size() < kPaletteBytes + 4) {
        return 0;
    }
    const std::uint32_t count = LoadLE32(block.data() + kPaletteBytes);
    const std::size_t room = (block.size() - kPaletteBytes - 4) / 4;
    return static_cast<std::uint32_t>(std::min<std::size_t>(count, room));
}

std::optional<AnimFrame> CTileAnimType::Frame(ByteSpan block, std::uint32_t index) {
    if (index >= FrameCount(block)) {
        return std::nullopt;
    }
    const std::size_t start =
        kPaletteBytes + std::size_t{LoadLE32(block.data() + kPaletteBytes + 4 + 4 * index)};
    if (!FitsIn(start, 8, block.size())) {
        return std::nullopt;
    }
    const std::uint8_t* p = block.data() + start;
    AnimFrame frame;
    frame.m_nCentreX = static_cast<std::int16_t>(LoadLE16(p));
    frame.m_nCentreY = static_cast<std::int16_t>(LoadLE16(p + 2));
    frame.m_nWidth = LoadLE16(p + 4);
    frame.m_nHeight = LoadLE16(p + 6);
    frame.m_Chunks = block.subspan(start + 8);
    return frame;
}

namespace {
// A signed 10-bit field.
std::int32_t SignExtend10(std::uint32_t v) {
    v &= 0x3FF;
    return (v & 0x200) != 0 ? static_cast<std::int32_t>(v) - 0x400 : static_cast<std::int32_t>(v);
}
}  // namespace

bool CTileAnimType::DrawFrame(CSurfaceDCData& surface, ByteSpan block, std::int32_t x,
                              std::int32_t y, std::uint16_t hue, std::uint32_t frameIndex,
                              std::int32_t direction) {
    const std::optional<AnimFrame> frame = Frame(block, frameIndex);
    if (!frame) {
        return false;
    }
    const bool mirrored = direction < 3;
    const std::int32_t centreX = frame->m_nCentreX;
    const std::int32_t centreY = frame->m_nCentreY;
    const std::int32_t width = frame->m_nWidth;
    const std::int32_t height = frame->m_nHeight;
    const std::int32_t x0 = mirrored ? x + centreX - width : x - centreX;
    const std::int32_t y0 = y + 22 - centreY - height;
    if (!surface.ClipImage(x0, y0, width, height)) {
        return false;
    }
    surface.SetHue(hue & 0x0FFF);
    if ((hue & 0x8000) != 0) {
        surface.SetPartialHue(true);
    }
    if ((hue & 0x4000) != 0) {
        surface.SetDrawMode(kDrawModeForced);
    }

    const std::uint8_t* palette = block.data();
    const ByteSpan chunks = frame->m_Chunks;
    // One chunk's pixels as words; a run is at most 4095 pixels.
    std::uint8_t words[2 * 0x1000];
    std::size_t pos = 0;
    while (FitsIn(pos, 4, chunks.size())) {
        const std::uint32_t header = LoadLE32(chunks.data() + pos);
        pos += 4;
        if (EndsAnimFrame(header)) {
            break;
        }
        const std::size_t run = header & kAnimRunMask;
        if (!FitsIn(pos, run, chunks.size())) {
            break;
        }
        const std::int32_t row = y0 + centreY + height + SignExtend10(header >> 12);
        if (run != 0 && IsRowVisible(row)) {
            const std::int64_t column = std::int64_t{centreX} + SignExtend10(header >> 22);
            for (std::size_t i = 0; i < run; ++i) {
                // Mirrored frames are the exact left-right mirror within the frame's box.
                const std::size_t slot = mirrored ? run - 1 - i : i;
                const std::uint8_t* colour = palette + 2 * std::size_t{chunks[pos + i]};
                words[2 * slot] = colour[0];
                words[2 * slot + 1] = colour[1];
            }
            const std::int64_t left =
                mirrored ? x0 + width - column - static_cast<std::int64_t>(run) : x0 + column;
            DrawSpan(left, surface.m_Buffer.GetRowPointer(row), words,
                     static_cast<std::int64_t>(run));
        }
        pos += run;
    }

    surface.SetHue(0);
    surface.SetPartialHue(false);
    return true;
}

std::int32_t GetAnimActionCount(std::uint32_t body) {
    return static_cast<std::int32_t>(ActionCount(ClassOfNumber(body)));
}

std::uint32_t StoredAnimDirection(std::int32_t direction) {
    // Directions 0-2 reuse the stored directions 3-1 (drawn mirrored).
    static constexpr std::uint32_t kStoredDirection[8] = {3, 2, 1, 0, 1, 2, 3, 4};
    return kStoredDirection[direction < 0 || direction > 7 ? 0 : direction];
}

std::uint32_t GetAnimIndex(std::uint32_t body, std::int32_t action, std::int32_t direction) {
    const AnimClass cls = ClassOfNumber(body);
    std::uint64_t first = 0;
    FirstAnimRecord(cls, body, first);
    if (action < 0 || action >= static_cast<std::int32_t>(ActionCount(cls))) {
        action = 0;
    }
    return static_cast<std::uint32_t>(first + static_cast<std::uint32_t>(action) * 5 +
                                      StoredAnimDirection(direction));
}

}  // namespace tessaly
