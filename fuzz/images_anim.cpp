// Fuzzes animation blocks: frame count, frame headers and frame drawing in every direction.
#include "AnimType.h"
#include "images_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    fuzz::PictureInput in;
    if (!fuzz::ParsePictureInput(data, size, in)) {
        return 0;
    }
    const std::uint32_t count = CTileAnimType::FrameCount(in.block);
    if (count != 0) {
        CTileAnimType::Frame(in.block, in.frame % count);
    }
    fuzz::DrawOnSurface([&](CSurfaceDC& dc) {
        CTileAnimType::DrawFrame(dc, in.block, in.x, in.y, 0, in.frame, in.direction);
        CTileAnimType::DrawFrame(dc, in.block, in.x, in.y, 0, in.frame, 7 - in.direction);
    });
    return 0;
}
