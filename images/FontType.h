#pragma once
// Fonts of "fonts.mul" and drawing their characters into the surface.
//
// The file is a plain sequence of fonts with no index file. One font:
//   0  u8   header (carried, not interpreted)
//   1  224 characters, codes 32 to 255, each:
//        0 u8 width   1 u8 height   2 u8 unused
//        3 u16[width x height] pixels, rows top to bottom, 0 = transparent
// Nothing but the characters' sizes says where a font ends, so a font is found by walking all
// the fonts before it; a file cut short leaves every character past the cut empty.

#include "Bytes.h"
#include "MulBlock.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tessaly {

class CSurfaceDCData;

struct FontCharacter {
    std::uint8_t m_nWidth = 0;
    std::uint8_t m_nHeight = 0;
    ByteSpan
        m_Pixels;  // width x height little-endian words, inside the bytes the font was read from
};

struct MulFont {
    static constexpr std::uint32_t kFirstCode = 32;
    static constexpr std::size_t kCharacters = 224;

    std::uint8_t m_nHeader = 0;
    std::array<FontCharacter, kCharacters> m_Characters{};
    std::size_t m_nComplete = 0;  // characters read whole, from code 32 on

    // The character of a code, or null outside codes 32 to 255.
    const FontCharacter* Find(std::uint32_t code) const;
    // The tallest character's height.
    std::uint32_t GetHeight() const;
    // The width of a line of text: the sum of its characters' widths (codes below 32 count 0).
    std::uint32_t GetTextWidth(std::string_view text) const;
};

// Reads the fonts from the bytes of a "fonts.mul", at most maxFonts of them. The characters'
// pixels stay in `bytes`. A font cut short keeps the characters read whole and is the last.
std::vector<MulFont> ReadFonts(ByteSpan bytes, std::size_t maxFonts);

// Draws a character with its top-left corner at (x, y) in the surface's mode; transparent
// pixels write nothing. False when none of it is inside the clip.
bool DrawFontCharacter(CSurfaceDCData& surface, const FontCharacter& character, std::int32_t x,
                       std::int32_t y);
// Draws a line of text (single-byte codes) from (x, y), each character right of the one before.
void DrawFontText(CSurfaceDCData& surface, const MulFont& font, std::string_view text,
                  std::int32_t x, std::int32_t y);

// One font of "fonts.mul" (entry = font number). The block holds the whole file, which is
// refused beyond 16 MB: the client's own is well under 1 MB.
class CMulFontType : public CMulImageType {
public:
    static constexpr std::uint64_t kMaxFileSize = 16u << 20;

    using CMulImageType::CMulImageType;
    bool Load() override;
    // The font, read from the block on first use; null when the file holds no such font.
    const MulFont* GetFont();

private:
    std::optional<MulFont> m_Font;
};

}  // namespace tessaly
