#include "EntryPicture.h"

#include <algorithm>

namespace tessaly {

bool MakePicture(SurfaceBuffer& buffer, std::uint32_t width, std::uint32_t height,
                 std::uint32_t maxWidth, std::uint32_t maxHeight,
                 const std::function<bool(CSurfaceDC&)>& draw) {
    width = std::min(width, maxWidth);
    height = std::min(height, maxHeight);
    if (!IsShowableSize(width, height)) {
        buffer.Release();
        return false;
    }
    if (!buffer.CreateBuffer(width, height, 4)) {
        if (buffer.GetData() == nullptr) {
            return false;  // no memory
        }
        buffer.ClearBuffer();  // the same size again: reuse the memory
    }
    CSurfaceDC dc(buffer);
    return draw(dc);
}

}  // namespace tessaly
