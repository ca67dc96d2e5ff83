#pragma once
// Textures of "texmaps.mul": edge x edge pixel words, row by row (edge 64 or 128).

#include "MulBlock.h"
#include "Surface.h"

namespace tessaly {

class CTileTextureType : public CMulImageType {
public:
    explicit CTileTextureType(std::uint32_t entry, CClientFiles& files = TheClientFiles())
        : CMulImageType(entry & 0xFFFF, files) {}

    // Loads the block and sets the edge from its length (8192 bytes: 64, 32768: 128; any other
    // length leaves it as it was).
    bool Load() override;
    std::uint32_t GetEdge() const { return m_nEdge; }
    // Draws the loaded texture (the caller loads first) with its top-left corner at (x, y).
    bool Draw(CSurfaceDCData& surface, std::int32_t x, std::int32_t y);

    // The edge a block of this many bytes has, or 0 for any other length.
    static std::uint32_t EdgeForLength(std::size_t length);
    // Copies the visible window of an edge x edge texture; rows past the data are left out.
    static bool DrawData(CSurfaceDCData& surface, ByteSpan data, std::uint32_t edge, std::int32_t x,
                         std::int32_t y);

private:
    std::uint32_t m_nEdge = 0;
};

}  // namespace tessaly
