// Fuzzes the texture decoder, with the edge from the block length and from the input.
#include "TextureType.h"
#include "images_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    fuzz::PictureInput in;
    if (fuzz::ParsePictureInput(data, size, in)) {
        fuzz::DrawOnSurface([&](CSurfaceDC& dc) {
            CTileTextureType::DrawData(
                dc, in.block, CTileTextureType::EdgeForLength(in.block.size()), in.x, in.y);
            CTileTextureType::DrawData(dc, in.block, in.width, in.x, in.y);
        });
    }
    return 0;
}
