#pragma once
// The pixel words of a picture, row by row.

#include "Surface.h"

#include <cstdint>
#include <vector>

namespace tessaly::test {

inline std::vector<std::uint16_t> Pixels(const SurfaceBuffer& b, std::uint16_t mask = 0xFFFF) {
    std::vector<std::uint16_t> out;
    for (std::int32_t y = 0; y < static_cast<std::int32_t>(b.GetHeight()); ++y) {
        for (std::int32_t x = 0; x < static_cast<std::int32_t>(b.GetWidth()); ++x) {
            out.push_back(b.GetPixel(x, y) & mask);
        }
    }
    return out;
}

}  // namespace tessaly::test
