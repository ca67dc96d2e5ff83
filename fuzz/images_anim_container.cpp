// Fuzzes animation container entries: the header, the frame table, each frame's palette and
// frame, and drawing every frame of the five directions the entry reads as.
#include "AnimContainer.h"
#include "AnimType.h"
#include "images_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    AnimContainerDirections directions;
    std::string error;
    if (!ParseAnimContainerEntry(ByteSpan(data, size), directions, error)) {
        return 0;
    }
    fuzz::DrawOnSurface([&](CSurfaceDC& dc) {
        for (const std::vector<std::uint8_t>& block : directions) {
            const std::uint32_t count = CTileAnimType::FrameCount(block);
            for (std::uint32_t i = 0; i < count; ++i) {
                CTileAnimType::DrawFrame(dc, block, 24, 20, 0, i, 1);
                CTileAnimType::DrawFrame(dc, block, 24, 20, 0, i, 5);
            }
        }
    });
    return 0;
}
