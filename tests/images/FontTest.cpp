// Fonts of "fonts.mul": characters drawn pixel for pixel, and files cut short or lying about
// their sizes, read as far as they go.

#include "FontType.h"

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

}  // namespace

TEST(FontTest, CharactersDrawTheirOpaquePixelsOnly) {
    const std::vector<std::uint8_t> file = TwoFonts();
    const std::vector<MulFont> fonts = ReadFonts(file, 10);
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[0].m_nHeader, 7);
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
}

TEST(FontTest, AFileCutShortKeepsTheCharactersReadWhole) {
    const std::vector<std::uint8_t> file = TwoFonts();
    // Font 1 starts after font 0's header, 222 empty characters and 'A' and 'B'.
    const std::size_t font1 = 1 + 222 * 3 + (3 + 12) + (3 + 2);
    for (std::size_t cut = 0; cut <= file.size(); ++cut) {
        const std::vector<MulFont> fonts =
            ReadFonts(ByteSpan(file.data(), cut), MulFont::kCharacters);
        ASSERT_EQ(fonts.size(), cut == 0 ? 0u : cut <= font1 ? 1u : 2u) << cut;
        for (const MulFont& font : fonts) {
            for (std::size_t i = 0; i < MulFont::kCharacters; ++i) {
                const FontCharacter& c = font.m_Characters[i];
                EXPECT_EQ(c.m_Pixels.size(),
                          i < font.m_nComplete ? 2u * c.m_nWidth * c.m_nHeight : 0u);
                EXPECT_LE(c.m_Pixels.data() + c.m_Pixels.size(), file.data() + cut);
            }
        }
    }
    // Cut inside font 1's third character: two whole characters, the rest empty.
    const std::vector<MulFont> fonts = ReadFonts(ByteSpan(file.data(), font1 + 1 + 2 * 7 + 5), 10);
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[1].m_nComplete, 2u);
    EXPECT_EQ(fonts[1].Find(34)->m_nWidth, 0);

    // A character that claims 255 x 255 pixels of a file holding a few.
    std::vector<std::uint8_t> liar = {0, 255, 255, 0, 1, 2, 3, 4};
    const std::vector<MulFont> lied = ReadFonts(liar, 10);
    ASSERT_EQ(lied.size(), 1u);
    EXPECT_EQ(lied[0].m_nComplete, 0u);
    SurfaceBuffer b;
    b.CreateBuffer(4, 4, 4);
    CSurfaceDC dc(b);
    EXPECT_FALSE(DrawFontCharacter(dc, lied[0].m_Characters[0], 0, 0));
}

TEST(FontTest, TheBlockFindsItsFontInTheFileAndNoneBeyondIt) {
    test::TempDir dir;
    dir.Write("fonts.mul", TwoFonts());
    test::UsePatchTable(dir.Path());
    CMulFontType second(1);
    ASSERT_NE(second.GetFont(), nullptr);
    EXPECT_EQ(second.GetFont()->m_nHeader, 1);
    EXPECT_EQ(second.GetFont()->Find('Z')->m_nWidth, 2);
    EXPECT_EQ(CMulFontType(2).GetFont(), nullptr);
    TheClientFiles().CloseAll();
}
