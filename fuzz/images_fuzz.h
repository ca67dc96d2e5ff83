#pragma once
// Shared set-up of the picture fuzzers: a small surface to draw into and the drawing
// parameters taken from the first input bytes (the rest is the block).
//
// Input: i16 x, i16 y, u16 width (or edge), u16 height, u8 direction, u8 frame, then the block.

#include "Bytes.h"
#include "Surface.h"

#include <cstdint>

namespace tessaly::fuzz {

struct PictureInput {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::int32_t direction = 0;
    std::uint32_t frame = 0;
    ByteSpan block;
};

inline bool ParsePictureInput(const std::uint8_t* data, std::size_t size, PictureInput& in) {
    ByteReader r(ByteSpan(data, size));
    std::int16_t x = 0, y = 0;
    std::uint16_t w = 0, h = 0;
    std::uint8_t direction = 0, frame = 0;
    if (!r.i16(x) || !r.i16(y) || !r.u16(w) || !r.u16(h) || !r.u8(direction) || !r.u8(frame)) {
        return false;
    }
    // Keep positions near the surface so that most inputs draw something.
    in.x = x % 96;
    in.y = y % 96;
    in.width = w;
    in.height = h;
    in.direction = direction % 8;
    in.frame = frame;
    in.block = r.data().subspan(r.pos());
    return true;
}

// A 48 x 40 surface; every write outside it would be caught by the sanitizer, since the buffer
// is exactly pitch x height bytes.
template <typename F>
void DrawOnSurface(F&& draw) {
    SurfaceBuffer buffer;
    buffer.CreateBuffer(48, 40, 4);
    CSurfaceDC dc(buffer);
    draw(dc);
}

}  // namespace tessaly::fuzz
