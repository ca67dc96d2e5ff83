// Fuzzes the "fonts.mul" reader: the input is read as a font file and every character of every
// font is drawn, plainly and hued, on the small surface, then a line of text.
#include "FontType.h"
#include "images_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    const std::vector<MulFont> fonts = ReadFonts(ByteSpan(data, size), 16);
    fuzz::DrawOnSurface([&](CSurfaceDC& dc) {
        HueRamp ramp;
        ramp.fill(0x1234);
        dc.SetHueRamp(ramp);
        for (const MulFont& font : fonts) {
            for (std::size_t i = 0; i < font.m_Characters.size(); ++i) {
                dc.SetHue(i % 3 == 0 ? 0 : 5);
                dc.SetPartialHue(i % 3 == 2);
                const auto x = static_cast<std::int32_t>(i % 60) - 6;
                const auto y = static_cast<std::int32_t>(i / 60) * 12 - 4;
                DrawFontCharacter(dc, font.m_Characters[i], x, y);
            }
            DrawFontText(dc, font, "The quick brown fox", -3, 20);
        }
    });
    return 0;
}
