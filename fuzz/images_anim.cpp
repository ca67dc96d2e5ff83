// Fuzzes animation blocks: frame count, frame headers and frame drawing in every direction, and
// the walk that keeps only the bytes a record's frames reach: the block it keeps must draw
// exactly as the whole record does.
#include "AnimType.h"
#include "EntryReader.h"
#include "images_fuzz.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

using namespace tessaly;

// The surface's bytes after drawing the frame in both mirrorings.
std::vector<std::uint8_t> Drawn(ByteSpan block, const fuzz::PictureInput& in) {
    std::vector<std::uint8_t> pixels;
    fuzz::DrawOnSurface([&](CSurfaceDC& dc) {
        CTileAnimType::DrawFrame(dc, block, in.x, in.y, 0, in.frame, in.direction);
        CTileAnimType::DrawFrame(dc, block, in.x, in.y, 0, in.frame, 7 - in.direction);
        const SurfaceBuffer& buffer = dc.m_Buffer;
        const std::uint8_t* data = buffer.GetData();
        pixels.assign(data, data + std::size_t{buffer.GetPitch()} * buffer.GetHeight());
    });
    return pixels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::PictureInput in;
    if (!fuzz::ParsePictureInput(data, size, in)) {
        return 0;
    }
    const std::uint32_t count = CTileAnimType::FrameCount(in.block);
    if (count != 0) {
        CTileAnimType::Frame(in.block, in.frame % count);
    }
    std::vector<std::uint8_t> kept;
    CEntryReader reader(
        static_cast<std::uint32_t>(in.block.size()),
        [&](std::uint64_t from, std::span<std::uint8_t> out) {
            std::memcpy(out.data(), in.block.data() + from, out.size());
            return true;
        },
        kept);
    KeepAnimBlock(reader);
    if (kept.size() > in.block.size() || !std::equal(kept.begin(), kept.end(), in.block.begin()) ||
        CTileAnimType::FrameCount(kept) != count || Drawn(kept, in) != Drawn(in.block, in)) {
        std::abort();
    }
    return 0;
}
