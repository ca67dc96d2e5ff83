#pragma once
// The one way the entries make a picture: a pixel buffer of the picture's size (cut to a limit,
// never scaled), cleared, with the block drawn at its top-left corner.

#include "ClientFiles.h"
#include "Surface.h"

#include <cstdint>
#include <functional>
#include <limits>

namespace tessaly {

inline constexpr std::uint32_t kNoLimit = std::numeric_limits<std::uint32_t>::max();
// The widest picture a buffer holds: its pitch (2 bytes a pixel, in whole 4-byte units) is 16
// bits wide.
inline constexpr std::uint32_t kMaxPictureWidth = 32766;

// Whether a picture of this size can be made whole (shown, copied, exported).
constexpr bool IsShowableSize(std::uint32_t width, std::uint32_t height) {
    return width != 0 && height != 0 && width <= kMaxPictureWidth &&
           std::uint64_t{width} * height <= kMaxPicturePixels;
}

// Sizes buffer to width x height, each cut to its limit, clears it and draws into it. False,
// with nothing drawn, for an empty or oversized picture or when the buffer gets no memory;
// otherwise what draw answers.
bool MakePicture(SurfaceBuffer& buffer, std::uint32_t width, std::uint32_t height,
                 std::uint32_t maxWidth, std::uint32_t maxHeight,
                 const std::function<bool(CSurfaceDC&)>& draw);

}  // namespace tessaly
