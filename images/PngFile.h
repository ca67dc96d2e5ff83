#pragma once
// PNG files of pictures, through libpng: 8 bits a channel, RGB, no other chunks. Encoding
// touches no shared state, so threads may encode at once.

#include "Surface.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace tessaly {

// The PNG file of a picture `width` x `height` whose rows `row` writes: row y as 3 x width bytes
// of red, green and blue. Empty for a side of 0 or past 2^31 - 1, or when libpng fails (out of
// memory).
std::vector<std::uint8_t> EncodePng(std::uint32_t width, std::uint32_t height,
                                    const std::function<void(std::uint32_t, std::uint8_t*)>& row);

// The PNG file of a buffer of 5-5-5 pixel words, each channel widened to 8 bits (Widen5).
// Empty for a buffer without pixels.
std::vector<std::uint8_t> EncodePng(const SurfaceBuffer& picture);

}  // namespace tessaly
