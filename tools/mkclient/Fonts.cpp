// Sample fonts: "fonts.mul" with ten fonts of 224 glyphs each (characters 32 to 255).
//
// Layout per font: one header byte, then per glyph a width byte, a height byte, an unused
// byte and width * height 16-bit pixels, rows top to bottom (0 = transparent).

#include "SampleClient.h"

namespace tessaly::mk {
namespace {

constexpr int kFonts = 10;
constexpr int kGlyphs = 224;

void WriteFonts(SampleClient& client) {
    ByteWriter out;
    for (int font = 0; font < kFonts; ++font) {
        out.u8(1);
        const int height = 8 + font % 5;
        const std::uint16_t ink = static_cast<std::uint16_t>(0x7FFF - font * 0x0421);
        for (int glyph = 0; glyph < kGlyphs; ++glyph) {
            // Varied widths; a glyph's pixels are a frame with a diagonal, so fonts differ.
            const int width = glyph == 0 ? 4 : 3 + (glyph * 7 + font) % 6;
            out.u8(static_cast<std::uint8_t>(width)).u8(static_cast<std::uint8_t>(height)).u8(0);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    bool edge = glyph != 0 && (x == 0 || y == height - 1 ||
                                               x == (y * (width - 1)) / (height - 1));
                    out.u16(edge ? ink : 0);
                }
            }
        }
    }
    client.WriteFile("fonts.mul", out.data());
}

GeneratorRegistrar reg(30, "fonts", WriteFonts);

}  // namespace
}  // namespace tessaly::mk
