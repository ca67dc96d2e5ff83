#pragma once
// Lights of "light.mul": width x height bytes, row by row; the index record's first extra word
// is the height, the second the width. Each byte is the light's intensity at that pixel, 0 (none)
// to 31 (full): it shows as a grey of that brightness (LightPixel).

#include "MulBlock.h"
#include "Surface.h"

namespace tessaly {

// The pixel word of a light byte: the grey whose 5-bit red, green and blue are the intensity
// (bytes past 31 show as 31), so that a smooth light shows as a smooth glow. Intensity 0 is the
// cleared pixel, which shows what lies behind the picture.
std::uint16_t LightPixel(std::uint8_t intensity);

class CTileLightType : public CMulImageType {
public:
    explicit CTileLightType(std::uint32_t entry, CClientFiles& files = TheClientFiles())
        : CMulImageType(entry, files) {}

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
