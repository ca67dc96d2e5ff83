#pragma once
// Writing animations out: frames placed around a common anchor, sprite sheets of frames in rows
// with their JSON description, animated GIF files (through giflib), and the replacing write
// every one of these files goes through.

#include "Bytes.h"
#include "Surface.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessaly {

// One frame of an animation: its pixels (5-5-5 words, 0 transparent; an empty buffer for a
// frame without pixels) and its top-left corner relative to the anchor all frames share.
struct PlacedFrame {
    SurfaceBuffer picture;
    std::int32_t left = 0;
    std::int32_t top = 0;
};

// The pixels the frames of one export may take together (what one picture may hold): frames
// past it are not drawn, so that a damaged file naming one huge frame again and again cannot
// take gigabytes before the export is found too large.
struct FrameBudget {
    std::uint64_t left;
    std::uint32_t skipped = 0;  // frames not drawn for want of it

    // Whether a frame of that many pixels is within what is left; if so it takes them.
    bool Take(std::uint64_t pixels) {
        if (pixels > left) {
            ++skipped;
            return false;
        }
        left -= pixels;
        return true;
    }
};

// A box around the anchor: its top-left corner relative to the anchor and its size.
struct FrameBox {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool IsEmpty() const { return width == 0 || height == 0; }
};

// The smallest box that holds every frame with pixels.
FrameBox BoundingBox(const std::vector<PlacedFrame>& frames);

// Copies frame's pixels into target (at least box's size) with the box's top-left corner at
// (x, y) of target.
void PlaceFrame(const PlacedFrame& frame, const FrameBox& box, SurfaceBuffer& target,
                std::uint32_t x, std::uint32_t y);

// One row of a sprite sheet: one direction's frames, in order.
struct SheetRow {
    std::int32_t direction = 0;
    // Drawn as the mirror of direction mirrorOf (-1: stored as it is).
    std::int32_t mirrorOf = -1;
    std::vector<PlacedFrame> frames;
};

// A sprite sheet: one row per SheetRow, one cell per frame, every cell the size of the box that
// holds every frame of every row, the anchor at the same place in each cell.
struct SpriteSheet {
    SurfaceBuffer pixels;
    FrameBox cell;  // the cell's box around the anchor
    std::uint32_t columns = 0;
};

// Lays the rows out into sheet. False when no frame has pixels or the sheet would hold more than
// maxPixels pixels (or does not get the memory).
bool ComposeSpriteSheet(const std::vector<SheetRow>& rows, std::uint64_t maxPixels,
                        SpriteSheet& sheet);

// The JSON description of a sheet ComposeSpriteSheet made of rows: the picture's file name, the
// body and action, the frame delay, the cell size and the anchor within a cell, the direction
// order (row by row), and per row its direction, whether it is mirrored (and of which direction)
// and each frame's rectangle in the sheet (x, y, width, height; none for a frame without pixels)
// with its centre (the anchor's place in the sheet).
std::string SpriteSheetJson(const std::vector<SheetRow>& rows, const SpriteSheet& sheet,
                            const std::string& image, std::uint32_t body, std::int32_t action,
                            std::uint32_t frameDelayMs);

// An animated GIF of frames of equal size (the first frame's), each shown delayMs (rounded to
// the format's hundredths of a second), looping; pixel word 0 is transparent and each frame
// replaces the one before. A frame of at most 255 colours keeps them exactly (5-5-5 widened to
// 8 bits per channel as PNG export widens them); one of more is reduced to 255. Empty when
// there are no frames, the frames differ in size, a side is past 65,535 or giflib fails.
std::vector<std::uint8_t> EncodeGif(const std::vector<SurfaceBuffer>& frames,
                                    std::uint32_t delayMs);

// A 5-bit channel widened to 8 bits, as the exported pictures widen it.
constexpr std::uint8_t Widen5(std::uint32_t v) {
    return static_cast<std::uint8_t>(((v & 31) << 3) | ((v & 31) >> 2));
}

// Writes bytes to path through a temporary file beside it (created exclusively, never through
// a link) and flushed: linked in whole under the new name, or renamed over a file (or a link)
// already there. A directory, device or FIFO there is left alone. False when anything fails;
// the target then is as it was. Without `flush` the file, new or replacing one, is left for
// FlushFolderFiles.
bool WriteOutputFile(const std::string& path, ByteSpan bytes, bool flush = true);

}  // namespace tessaly
