#pragma once
// Lights of "light.mul": width x height bytes, row by row; the index record's first extra word
// is the height, the second the width. Byte b shows as the pixel word b x 256.

#include "MulBlock.h"
#include "Surface.h"

namespace tessaly {

class CTileLightType : public CMulImageType {
public:
    explicit CTileLightType(std::uint32_t entry) : CMulImageType(entry) {}

    bool Load() override;
    std::uint32_t GetWidth() const { return m_nWidth; }
    std::uint32_t GetHeight() const { return m_nHeight; }
    // Draws the loaded light (the caller loads first) with its top-left corner at (x, y).
    bool Draw(CSurfaceDCData& surface, std::int32_t x, std::int32_t y);

    // Rows past the end of the data are left out.
    static bool DrawData(CSurfaceDCData& surface, ByteSpan data, std::uint32_t width,
                         std::uint32_t height, std::int32_t x, std::int32_t y);

private:
    std::uint32_t m_nWidth = 0;
    std::uint32_t m_nHeight = 0;
};

}  // namespace tessaly
