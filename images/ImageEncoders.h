#pragma once
// Encoders for the client's picture formats, as the client's own files lay them out. The
// sample-client generator writes its pictures with them, the editor encodes replaced pictures
// with them and the tests use them to build round-trip fixtures. Each encoder accepts exactly
// the sizes its decoder draws and raises CTarnError (2, E_FAIL) for any other.

#include "Bytes.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tessaly {

// The largest item picture: the block stores width and height as 16-bit words, and the row
// table addresses row data in 16-bit word positions.
inline constexpr std::uint32_t kMaxItemSide = 0xFFFF;
// The largest gump: the index record's extra words hold width and height.
inline constexpr std::uint32_t kMaxGumpSide = 0xFFFF;

// A 16-bit picture in 5-5-5 pixel words, row by row. Which pixels are transparent (left out of
// the runs of formats with transparency): those marked 0 in `opaque` when it is given (one
// byte per pixel), otherwise those whose pixel word is 0.
struct Picture {
    Picture() = default;
    Picture(std::uint32_t w, std::uint32_t h) : width(w), height(h), pixels(std::size_t{w} * h) {}

    std::uint16_t At(std::int32_t x, std::int32_t y) const;
    // Pixels outside the picture are transparent.
    bool IsTransparent(std::int32_t x, std::int32_t y) const;
    // Ignores pixels outside the picture.
    void Set(std::int32_t x, std::int32_t y, std::uint16_t colour);
    void FillRect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                  std::uint16_t colour);
    void FillEllipse(std::int32_t cx, std::int32_t cy, std::int32_t rx, std::int32_t ry,
                     std::uint16_t colour);
    void Line(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
              std::uint16_t colour);

    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint16_t> pixels;
    std::vector<std::uint8_t> opaque;  // empty, or width x height flags
};

// 8-bit red, green and blue to a pixel word (each channel divided by 8: the 5-5-5 reduction).
constexpr std::uint16_t Rgb(int r, int g, int b) {
    return static_cast<std::uint16_t>(((r / 8) << 10) | ((g / 8) << 5) | (b / 8));
}

// Item picture: header, width, height, row table, then per row the (x step, run length) pairs
// of its opaque runs and a closing (0, 0) pair. Raises "EncodeItem: Size" for a side past
// kMaxItemSide or rows too long for the row table.
std::vector<std::uint8_t> EncodeItem(const Picture& picture);

// Terrain tile: the 1012 diamond pixels of a 44 x 44 picture (row k from column 21 - k, or
// 21 - (43 - k), of the picture).
std::vector<std::uint8_t> EncodeTerrain(const Picture& picture);

// Texture: the pixel words row by row (the picture must be 64 x 64 or 128 x 128).
std::vector<std::uint8_t> EncodeTexture(const Picture& picture);

// Gump: row table of 32-bit entries (in units of 4 bytes), then per row (colour, run length)
// pairs covering the width, colour 0 for transparent gaps. Raises "EncodeGump: Size" for a side
// past kMaxGumpSide or row data past the reach of the 32-bit row table.
std::vector<std::uint8_t> EncodeGump(const Picture& picture);
// The index record's extra field of a gump or light: first word height, second word width.
std::uint32_t SizeExtra(std::uint32_t width, std::uint32_t height);

// Light: one byte per pixel, row by row.
std::vector<std::uint8_t> EncodeLight(std::uint32_t width, std::uint32_t height,
                                      const std::vector<std::uint8_t>& bytes);

// An animation frame as palette indexes; -1 is transparent.
struct AnimFrameImage {
    std::int16_t centreX = 0;
    std::int16_t centreY = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::vector<std::int16_t> indexes;

    std::int16_t At(std::int32_t x, std::int32_t y) const;
    void Set(std::int32_t x, std::int32_t y, std::int16_t index);
};

// Animation block: palette, frame count, frame offsets, then each frame's header and chunks.
// Each horizontal run of opaque pixels becomes one chunk whose 32-bit header holds the run
// length (bits 0-11), the row offset from the centre (bits 12-21, signed: row - centre y -
// height) and the column offset from the centre (bits 22-31, signed: column - centre x), as
// the client's files have it; 0x7FFF7FFF ends a frame.
std::vector<std::uint8_t> EncodeAnim(const std::array<std::uint16_t, 256>& palette,
                                     const std::vector<AnimFrameImage>& frames);

// One frame of an animation container entry: its number (from 1), palette (512 bytes) and
// frame bytes (header, chunks, end chunk).
struct AnimContainerFrame {
    std::uint16_t number = 0;
    ByteSpan palette;
    ByteSpan frame;
};
// The frames of five animation blocks (stored directions 0-4), numbered as a container numbers
// them: direction d's frame i is d x frames per direction + i + 1, frames per direction being
// the first block's count. Frames that do not end inside their block are left out.
std::vector<AnimContainerFrame> AnimContainerFramesOf(const std::array<ByteSpan, 5>& blocks);
// A decompressed animation container entry ("AMOU", the frame table, each frame's palette and
// frame) holding the frames in the order given.
std::vector<std::uint8_t> EncodeAnimContainerEntry(const std::vector<AnimContainerFrame>& frames);

}  // namespace tessaly
