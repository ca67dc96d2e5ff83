#pragma once
// The shape of an animation block as "anim.mul" stores it (and the animation containers' frames
// are rebuilt into):
//
// Block:  0    512      palette, 256 pixel words
//         512  u32      frame count
//         516  u32 x n  frame offsets; frame i starts at byte 512 + offset i
// Frame:  0 i16 centre x   2 i16 centre y   4 u16 width   6 u16 height   8 chunks
// Chunk:  one 32-bit word W, then run-length palette indexes.
//         run length   = W & 0xFFF
//         row offset   = bits 12-21, signed, from the centre: row = centre y + height + offset
//         column offset = bits 22-31, signed, from the centre: column = centre x + offset
//         A chunk whose low or high 16 bits are 0x7FFF ends the frame.

#include <cstddef>
#include <cstdint>

namespace tessaly {

inline constexpr std::size_t kAnimPaletteBytes = 512;
// Where the frame offsets start, after the palette and the frame count.
inline constexpr std::size_t kAnimTableStart = kAnimPaletteBytes + 4;
inline constexpr std::size_t kAnimFrameHeader = 8;
inline constexpr std::uint32_t kAnimRunMask = 0x0FFF;
// The chunk word that ends a frame as the encoder writes it.
inline constexpr std::uint32_t kAnimEndChunk = 0x7FFF7FFF;

// Whether a chunk word ends its frame.
constexpr bool EndsAnimFrame(std::uint32_t header) {
    return (header & 0xFFFF) == 0x7FFF || (header >> 16) == 0x7FFF;
}

}  // namespace tessaly
