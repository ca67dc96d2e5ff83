// Fonts of "fonts.mul": characters drawn pixel for pixel, and files cut short or lying about
// their sizes, read as far as they go.

#include "FontType.h"
#include "UniFont.h"

#include "Pixels.h"
#include "Surface.h"
#include "clientfiles/SampleClientFiles.h"
#include "core/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace tessaly;
using tessaly::test::Pixels;

namespace {

// Two fonts. Font 0: 'A' is 3 x 2 with transparent corners, 'B' is 1 x 1, every other
// character 0 x 0. Font 1: every character 2 x 1 of colour 0x0021.
std::vector<std::uint8_t> TwoFonts() {
    ByteWriter w;
    w.u8(7);
    for (std::uint32_t code = 32; code < 256; ++code) {
        if (code == 'A') {
            w.u8(3).u8(2).u8(0);
            w.u16(0).u16(0x7FFF).u16(0).u16(0x1234).u16(0x2345).u16(0x3456);
        } else if (code == 'B') {
            w.u8(1).u8(1).u8(0).u16(0x0042);
        } else {
            w.u8(0).u8(0).u8(0);
        }
    }
    w.u8(1);
    for (std::uint32_t code = 32; code < 256; ++code) {
        w.u8(2).u8(1).u8(0).u16(0x0021).u16(0x0021);
    }
    return w.take();
}

// A Unicode font holding 'A' (x 1, y 2, 3 x 2: rows 101 and 010), U+00E9 (x 0, y -1, 9 x 1:
// the 9th pixel in the second byte of its row), and U+4E00 at an offset past the end.
std::vector<std::uint8_t> UniFontBytes() {
    ByteWriter w;
    w.zeros(CUniFont::kCodes * 4);
    w.patch32('A' * 4, static_cast<std::uint32_t>(w.size()));
    w.u8(1).u8(2).u8(3).u8(2).u8(0xA0).u8(0x40);
    w.patch32(0xE9 * 4, static_cast<std::uint32_t>(w.size()));
    w.u8(0).u8(0xFF).u8(9).u8(1).u8(0x80).u8(0x80);
    w.patch32(0x4E00 * 4, static_cast<std::uint32_t>(w.size() + 1));
    return w.take();
}

}  // namespace

TEST(FontTest, GlyphsAndCharactersDrawTheirPixelsAndCutFilesKeepWholeOnes) {
    CUniFont font;
    font.Parse(UniFontBytes());
    EXPECT_EQ(font.Codes(), (std::vector<std::uint16_t>{'A', 0xE9}));

    // "A", U+0001 (no glyph: a blank of 8) and U+00E9: 'A' at pen 0 advances 1 + 3 + 1, the
    // blank 8, so the pen is at 13 for U+00E9, which advances 10: 23 wide. U+00E9's y offset -1
    // is the top row, so everything moves down 1 and 'A' bottoms out at 1 + 2 + 2 = 5 rows.
    const std::uint16_t c = 0x7FFF;
    SurfaceBuffer line;
    ASSERT_TRUE(DrawUniText(font, Utf8ToUtf16("A\x01\xC3\xA9"), line, c));
    std::vector<std::uint16_t> expected(23 * 5, 0);
    for (auto [x, y] : {std::pair{13, 0}, {21, 0}, {1, 3}, {3, 3}, {2, 4}}) {
        expected[static_cast<std::size_t>(y * 23 + x)] = c;
    }
    EXPECT_EQ(Pixels(line), expected);

    // A font of none of the sample line's characters shows its own glyphs instead; one that
    // draws any of them shows the sample line.
    EXPECT_EQ(UniFontSample(font), u"A\u00E9");
    ByteWriter t;
    t.zeros(CUniFont::kCodes * 4);
    t.patch32('T' * 4, static_cast<std::uint32_t>(t.size()));
    t.u8(0).u8(0).u8(1).u8(1).u8(0x80);
    CUniFont sampled;
    sampled.Parse(t.take());
    EXPECT_EQ(UniFontSample(sampled), Utf8ToUtf16(kUniFontSample));

    // A cut file keeps the glyphs it holds whole; one cut inside its table draws nothing.
    std::vector<std::uint8_t> cutFile = UniFontBytes();
    cutFile.resize(cutFile.size() - 4);
    font.Parse(cutFile);
    EXPECT_EQ(font.Codes(), (std::vector<std::uint16_t>{'A'}));
    // The glyphs the file cuts: U+00E9 once cut; U+4E00's offset lies outside the file, which
    // means no glyph. With the table cut, every code unit past its end (the glyphs it names lie
    // outside the file).
    EXPECT_EQ(font.CountBrokenGlyphs(), 1u);
    font.Parse(UniFontBytes());
    EXPECT_EQ(font.CountBrokenGlyphs(), 0u);
    cutFile.resize(0x100 * 4 + 2);
    font.Parse(cutFile);
    EXPECT_EQ(font.CountBrokenGlyphs(), CUniFont::kCodes - 0x100);
    EXPECT_FALSE(DrawUniText(font, u"AAA", line, c));

    // Characters draw their opaque pixels only; a file cut short keeps the characters read whole, a
    // character larger than its file is read empty and not drawn, and a font block reads its font.
    const std::vector<std::uint8_t> file = TwoFonts();
    const std::vector<MulFont> fonts = ReadFonts(file, 10);
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[0].m_nComplete, MulFont::kCharacters);
    EXPECT_EQ(fonts[0].GetHeight(), 2u);
    EXPECT_EQ(fonts[1].GetTextWidth("ab\x01"), 4u);  // code 1 has no character
    EXPECT_EQ(fonts[0].Find(31), nullptr);

    // A background of 0x5555 shows which pixels were written; the second 'A' is cut at the
    // right edge.
    SurfaceBuffer b;
    b.CreateBuffer(6, 3, 4);
    {
        CSurfaceDC dc(b);
        for (std::int32_t y = 0; y < 3; ++y) {
            FillSpan(0, b.GetRowPointer(y), 0x5555, 6);
        }
        DrawFontText(dc, fonts[0], "BA A", 0, 1);  // the space is 0 wide
    }
    const std::uint16_t o = 0x5555;
    EXPECT_EQ(Pixels(b), (std::vector<std::uint16_t>{
                             o, o, o, o, o, o,                           //
                             0x0042, o, 0x7FFF, o, o, 0x7FFF,            //
                             o, 0x1234, 0x2345, 0x3456, 0x1234, 0x2345,  //
                         }));

    // Every cut: font 1 starts after font 0's header, 222 empty characters and 'A' and 'B'.
    const std::size_t font1 = 1 + 222 * 3 + (3 + 12) + (3 + 2);
    for (std::size_t cut = 0; cut <= file.size(); ++cut) {
        const std::vector<MulFont> read =
            ReadFonts(ByteSpan(file.data(), cut), MulFont::kCharacters);
        ASSERT_EQ(read.size(), cut == 0 ? 0u : cut <= font1 ? 1u : 2u) << cut;
        for (const MulFont& font : read) {
            for (std::size_t i = 0; i < MulFont::kCharacters; ++i) {
                const FontCharacter& c = font.m_Characters[i];
                EXPECT_EQ(c.m_Pixels.size(),
                          i < font.m_nComplete ? 2u * c.m_nWidth * c.m_nHeight : 0u);
                EXPECT_LE(c.m_Pixels.data() + c.m_Pixels.size(), file.data() + cut);
            }
        }
    }
    // Cut inside font 1's third character: two whole characters, the rest empty.
    const std::vector<MulFont> cut = ReadFonts(ByteSpan(file.data(), font1 + 1 + 2 * 7 + 5), 10);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[1].m_nComplete, 2u);

    // A character that claims 255 x 255 pixels of a file holding a few.
    std::vector<std::uint8_t> liar = {0, 255, 255, 0, 1, 2, 3, 4};
    const std::vector<MulFont> lied = ReadFonts(liar, 10);
    ASSERT_EQ(lied.size(), 1u);
    EXPECT_EQ(lied[0].m_nComplete, 0u);
    CSurfaceDC dc(b);
    EXPECT_FALSE(DrawFontCharacter(dc, lied[0].m_Characters[0], 0, 0));

    // The block finds its font in the file, and none beyond it.
    test::TempDir dir;
    dir.Write("fonts.mul", file);
    test::UsePatchTable(dir.Path());
    CMulFontType second(1);
    ASSERT_NE(second.GetFont(), nullptr);
    EXPECT_EQ(second.GetFont()->m_nHeader, 1);
    EXPECT_EQ(CMulFontType(2).GetFont(), nullptr);
    TheClientFiles().CloseAll();
}
