// Fuzzes the terrain tile decoder.
#include "ArtTypes.h"
#include "images_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    fuzz::PictureInput in;
    if (fuzz::ParsePictureInput(data, size, in)) {
        fuzz::DrawOnSurface(
            [&](CSurfaceDC& dc) { CTileTerrainType::DrawData(dc, in.block, in.x, in.y); });
    }
    return 0;
}
