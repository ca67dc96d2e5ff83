#pragma once
// Unicode fonts ("unifont.mul", "unifont1.mul" ...) and drawing their glyphs.
//
// The file starts with 65,536 u32 offsets, one per UTF-16 code unit (0, or an offset whose
// glyph does not fit in the file: no glyph). A glyph:
//   0  i8  x offset    1  i8  y offset    2  u8  width    3  u8  height
//   4  height rows of (width + 7) / 8 bytes, most significant bit leftmost, 1 = drawn
// A file shorter than its table has no glyphs for the code units whose offsets are cut off.

#include "Bytes.h"
#include "Surface.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tessaly {

struct UniGlyph {
    std::int8_t x = 0;
    std::int8_t y = 0;
    std::uint8_t width = 0;
    std::uint8_t height = 0;
    ByteSpan bits;  // height rows of (width + 7) / 8 bytes, inside the font's bytes

    bool Pixel(std::uint32_t px, std::uint32_t py) const;
    // How far the pen moves past the glyph: its x offset, width and a column of space.
    std::int32_t Advance() const;
};

class CUniFont {
public:
    static constexpr std::uint32_t kCodes = 0x10000;
    static constexpr std::uint64_t kMaxFileSize = 64u << 20;
    // The pen's move for a code unit without a glyph (the space of most fonts has none).
    static constexpr std::int32_t kBlankAdvance = 8;

    // Takes a file's bytes (kept by the object).
    void Parse(std::vector<std::uint8_t> bytes);
    // The glyph of a code unit, or nullopt.
    std::optional<UniGlyph> Glyph(std::uint16_t code) const;
    // The code units that have a glyph, ascending.
    std::vector<std::uint16_t> Codes() const;
    // The code units whose glyph the file does not hold although its table says it should: an
    // offset whose glyph does not fit, or an offset cut off with a file shorter than its table.
    // Not 0 only for a damaged (cut) file.
    std::uint32_t CountBrokenGlyphs() const;
    std::size_t GetFileSize() const { return m_Bytes.size(); }

private:
    std::vector<std::uint8_t> m_Bytes;
};

// The UTF-16 code units of UTF-8 text; an invalid byte becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// Draws a glyph with its cell's top-left corner at (x, y) (the glyph's own offsets added) in
// colour; pixels outside the buffer are skipped.
void DrawUniGlyph(SurfaceBuffer& buffer, const UniGlyph& glyph, std::int32_t x, std::int32_t y,
                  std::uint16_t colour);
// Sizes buffer to a line of text as the client draws it (each glyph right of the one before,
// code units without a glyph leaving a blank) and draws it in colour on transparent pixels.
// False, with the buffer released, for a line that draws nothing or is wider than maxWidth.
bool DrawUniText(const CUniFont& font, std::u16string_view text, SurfaceBuffer& buffer,
                 std::uint16_t colour, std::uint32_t maxWidth = 8192);

// The sample line a font's entry draws (its list picture and export) where the font can.
inline constexpr const char* kUniFontSample =
    "The quick brown fox jumps over the lazy dog 0123456789";
// The line that shows a font: kUniFontSample, or, for a font holding none of its characters (of
// symbols, or of another script), its first glyphs in code order, so that it still shows.
std::u16string UniFontSample(const CUniFont& font);

}  // namespace tessaly
