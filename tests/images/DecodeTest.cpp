// Picture decoders: round trips through the sample client's encoders, the format edge cases and
// malformed blocks (nothing read outside the block, nothing written outside the surface).

#include "AnimType.h"
#include "ArtTypes.h"
#include "GumpType.h"
#include "ImageEncoders.h"
#include "LightType.h"
#include "Surface.h"
#include "TarnError.h"
#include "TextureType.h"

#include "Bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

using namespace tessaly;

namespace {

using Block = std::vector<std::uint8_t>;
// Draws a block with the picture's top-left corner at (x, y).
using DrawFn = std::function<bool(CSurfaceDC&, const Block&, int x, int y)>;

// A surface with a guard band of pixels around a w x h window of `background`; the decoders draw
// through a CSurfaceDC clipped to the inner window, so any write outside it shows in the guard
// band.
class GuardedSurface {
public:
    GuardedSurface(std::uint32_t w, std::uint32_t h, std::uint16_t background = 0)
        : m_w(w), m_h(h) {
        m_outer.CreateBuffer(w + 2 * kGuard, h + 2 * kGuard, 4);
        ForEach([&](std::uint32_t x, std::uint32_t y, bool inside) {
            StoreLE16(m_outer.GetPixelPointer(x, y), inside ? background : kGuardColour);
        });
    }

    // Draws with the inner window's top-left corner at (dx, dy) of the drawing's coordinates.
    bool Draw(const DrawFn& draw, const Block& block, int dx = 0, int dy = 0) {
        CSurfaceDC dc(m_outer);
        dc.m_rClip = CQRect(kGuard, kGuard, kGuard + static_cast<std::int32_t>(m_w),
                            kGuard + static_cast<std::int32_t>(m_h));
        dc.Publish();
        return draw(dc, block, kGuard - dx, kGuard - dy);
    }

    // The window's pixels; fails the test if anything was written outside the window.
    Picture Inner() const {
        Picture p(m_w, m_h);
        int outside = 0;
        ForEach([&](std::uint32_t x, std::uint32_t y, bool inside) {
            if (inside) {
                p.pixels[(y - kGuard) * m_w + x - kGuard] = m_outer.GetPixel(x, y);
            } else {
                outside += m_outer.GetPixel(x, y) != kGuardColour ? 1 : 0;
            }
        });
        EXPECT_EQ(outside, 0) << "pixels written outside the window";
        return p;
    }

private:
    static constexpr std::uint32_t kGuard = 8;
    static constexpr std::uint16_t kGuardColour = 0x7C1F;

    template <typename F>
    void ForEach(F&& f) const {
        for (std::uint32_t y = 0; y < m_h + 2 * kGuard; ++y) {
            for (std::uint32_t x = 0; x < m_w + 2 * kGuard; ++x) {
                f(x, y, x >= kGuard && y >= kGuard && x < kGuard + m_w && y < kGuard + m_h);
            }
        }
    }

    std::uint32_t m_w;
    std::uint32_t m_h;
    SurfaceBuffer m_outer;
};

Picture RandomPicture(std::uint32_t w, std::uint32_t h, unsigned seed, int transparentPercent) {
    std::mt19937 rng(seed);
    Picture p(w, h);
    for (auto& px : p.pixels) {
        px = static_cast<int>(rng() % 100) < transparentPercent
                 ? 0
                 : static_cast<std::uint16_t>(1 + rng() % 0x7FFE);
    }
    return p;
}

Picture Solid(std::uint32_t w, std::uint32_t h, std::uint16_t colour) {
    Picture p(w, h);
    p.FillRect(0, 0, static_cast<std::int32_t>(w), static_cast<std::int32_t>(h), colour);
    return p;
}

const DrawFn kItem = [](CSurfaceDC& dc, const Block& b, int x, int y) {
    return CTileItemType::DrawData(dc, b, x, y);
};
const DrawFn kTerrain = [](CSurfaceDC& dc, const Block& b, int x, int y) {
    return CTileTerrainType::DrawData(dc, b, x + 21, y);
};
DrawFn Texture(std::uint32_t edge) {
    return [edge](CSurfaceDC& dc, const Block& b, int x, int y) {
        return CTileTextureType::DrawData(dc, b, edge, x, y);
    };
}
DrawFn Gump(std::uint32_t w, std::uint32_t h, std::uint16_t hue = 0) {
    return [=](CSurfaceDC& dc, const Block& b, int x, int y) {
        return CTileGumpType::DrawData(dc, b, w, h, x, y, hue);
    };
}
DrawFn Light(std::uint32_t w, std::uint32_t h) {
    return [=](CSurfaceDC& dc, const Block& b, int x, int y) {
        return CTileLightType::DrawData(dc, b, w, h, x, y);
    };
}
// Frame 0 of an animation block whose box has its centre at (cx, cy) and the given height.
DrawFn Anim(int cx, int cy, int h, int direction, std::uint16_t hue = 0) {
    return [=](CSurfaceDC& dc, const Block& b, int x, int y) {
        return CTileAnimType::DrawFrame(dc, b, x + cx, y - 22 + cy + h, hue, 0, direction);
    };
}

// ---- round trips: what the encoder wrote comes back, whole and clipped ----

struct RoundTrip {
    const char* name;
    std::uint32_t w, h;
    int transparentPercent;
    std::function<Block(const Picture&)> encode;
    DrawFn draw;
    // The pixel expected at (x, y); the picture's own when empty.
    std::function<std::uint16_t(const Picture&, int, int)> expected;
};

class DecodeRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(DecodeRoundTrip, DecodesTheEncodedPixelsWholeAndClipped) {
    const RoundTrip& c = GetParam();
    const Picture picture = RandomPicture(c.w, c.h, c.w * 31 + c.h, c.transparentPercent);
    const Block block = c.encode(picture);
    const auto expected = [&](int x, int y) {
        return c.expected ? c.expected(picture, x, y) : picture.At(x, y);
    };
    // The whole picture, then a window of half its size from a quarter of the way in.
    const std::uint32_t windows[][4] = {{c.w, c.h, 0, 0}, {c.w / 2, c.h / 2, c.w / 4, c.h / 4}};
    for (const auto& [ww, wh, dx, dy] : windows) {
        GuardedSurface s(ww, wh);
        ASSERT_TRUE(s.Draw(c.draw, block, static_cast<int>(dx), static_cast<int>(dy)));
        const Picture inner = s.Inner();
        for (std::uint32_t y = 0; y < wh; ++y) {
            for (std::uint32_t x = 0; x < ww; ++x) {
                ASSERT_EQ(inner.At(x, y), expected(x + dx, y + dy))
                    << x << "," << y << " in window at " << dx << "," << dy;
            }
        }
    }
}

// Terrain fills the diamond only.
std::uint16_t DiamondOnly(const Picture& p, int x, int y) {
    const int half = y < 22 ? y : 43 - y;
    return x >= 21 - half && x <= 22 + half ? p.At(x, y) : 0;
}
// A light's bytes (here the pixels' low bytes) are intensities: each becomes the grey of that
// 5-bit brightness, full white from 31 on.
Block EncodeLightLowBytes(const Picture& p) {
    Block bytes;
    for (std::uint16_t px : p.pixels) {
        bytes.push_back(static_cast<std::uint8_t>(px));
    }
    return EncodeLight(p.width, p.height, bytes);
}
std::uint16_t Greys(const Picture& p, int x, int y) {
    const int grey = std::min(p.At(x, y) & 0xFF, 31);
    return static_cast<std::uint16_t>(grey << 10 | grey << 5 | grey);
}

// Zeros in a texture are written too, hence its few transparent pixels.
INSTANTIATE_TEST_SUITE_P(
    Formats, DecodeRoundTrip,
    ::testing::Values(RoundTrip{"Item44x90", 44, 90, 40, EncodeItem, kItem, {}},
                      RoundTrip{"Texture64", 64, 64, 5, EncodeTexture, Texture(64), {}},
                      RoundTrip{"Gump200x3", 200, 3, 50, EncodeGump, Gump(200, 3), {}},
                      RoundTrip{"Terrain", 44, 44, 0, EncodeTerrain, kTerrain, DiamondOnly},
                      RoundTrip{"Light", 300, 2, 0, EncodeLightLowBytes, Light(300, 2), Greys}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- edge cases and malformed blocks: exactly the listed rectangles drawn, nothing else ----

struct Fill {
    int x, y, w, h;
    std::uint16_t colour;
};

struct Damaged {
    std::string name;
    std::uint32_t w, h;  // the surface's window
    Block block;
    DrawFn draw;
    std::optional<bool> drawn;  // not checked when empty
    std::vector<Fill> fills;
};

std::array<std::uint16_t, 256> TestPalette() {
    std::array<std::uint16_t, 256> palette{};
    for (int i = 0; i < 256; ++i) {
        palette[i] = static_cast<std::uint16_t>(0x0100 + i);
    }
    return palette;
}

AnimFrameImage RandomFrame(std::uint16_t w, std::uint16_t h, std::int16_t cx, std::int16_t cy,
                           unsigned seed) {
    std::mt19937 rng(seed);
    AnimFrameImage f;
    f.width = w;
    f.height = h;
    f.centreX = cx;
    f.centreY = cy;
    f.indexes.assign(std::size_t{w} * h, -1);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w && y % 3 != 1; ++x) {  // every third row empty
            if (rng() % 3 != 0) {
                f.Set(x, y, static_cast<std::int16_t>(rng() % 256));
            }
        }
    }
    return f;
}

// Frame 4 x 5 with centre (2, 3) and palette word 10 * index; one chunk of indexes 1, 2 at
// column 1, row 2 of the box: column offset 1 - 2 = -1, row offset 2 - 3 - 5 = -6, so the
// chunk word is 2 | (-6 & 0x3FF) << 12 | (-1 & 0x3FF) << 22 = 0xFFFFA002.
Block CentredChunkAnim() {
    ByteWriter w;
    for (int i = 0; i < 256; ++i) {
        w.u16(static_cast<std::uint16_t>(10 * i));
    }
    w.u32(1).u32(8);                        // one frame at byte 512 + 8
    w.i16(2).i16(3).u16(4).u16(5);          // centre x, centre y, width, height
    w.u16(0xA002).u16(0xFFFF).u8(1).u8(2);  // the chunk
    w.u16(0x7FFF).u16(0x7FFF);
    return w.take();
}

// Hued gumps and animations leave the surface's hue settings reset; with no hue colours set,
// every pixel they write is 0.
const DrawFn kGumpHued = [](CSurfaceDC& dc, const Block& b, int x, int y) {
    const bool drawn = CTileGumpType::DrawData(dc, b, 4, 4, x, y, 33);
    EXPECT_EQ(CurrentSurface().m_nDrawMode, kDrawModePlain);
    return drawn;
};
const DrawFn kAnimHued = [](CSurfaceDC& dc, const Block& b, int x, int y) {
    const bool drawn = CTileAnimType::DrawFrame(dc, b, x, y - 22 + 4, 0xC005, 0, 4);
    EXPECT_FALSE(CurrentSurface().m_bPartialHue);
    EXPECT_EQ(CurrentSurface().m_nDrawMode, kDrawModePlain);
    return drawn;
};

std::vector<Damaged> DamagedCases() {
    std::vector<Damaged> cases;
    const auto add = [&](std::string name, std::uint32_t w, std::uint32_t h, Block block,
                         DrawFn draw, std::optional<bool> drawn, std::vector<Fill> fills) {
        cases.push_back(
            {std::move(name), w, h, std::move(block), std::move(draw), drawn, std::move(fills)});
    };
    ByteWriter pairs;
    pairs.u32(0).u16(5).u16(1).u16(0);  // header, 5 x 1, row 0 at entry 0
    pairs.u16(2).u16(3).u16(11).u16(12).u16(13).u16(0).u16(0);
    add("ItemPairStepAndRun", 5, 1, pairs.take(), kItem, true,
        {{2, 0, 1, 1, 11}, {3, 0, 1, 1, 12}, {4, 0, 1, 1, 13}});
    // Row 1's table entry points far past the end; row 3's data is cut off.
    Block item = EncodeItem(Solid(8, 4, 0x1234));
    StoreLE16(item.data() + 8 + 2, 0xFFF0);
    item.resize(item.size() - 6);
    add("ItemRowsPastTheEnd", 8, 4, item, kItem, true,
        {{0, 0, 8, 1, 0x1234}, {0, 2, 8, 1, 0x1234}});
    add("ItemHeaderCut", 16, 16, Block(7, 0xFF), kItem, false, {});
    // Width and height 65535 with no row table at all.
    add("ItemHugeHeader", 16, 16, {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}, kItem, true, {});
    // Three full rows (2, 4 and 6 pixels) and part of the fourth.
    Block terrain = EncodeTerrain(Solid(44, 44, 5));
    terrain.resize(2 * (2 + 4 + 6) + 3);
    add("TerrainShortBlock", 44, 44, terrain, kTerrain, true,
        {{21, 0, 2, 1, 5}, {20, 1, 4, 1, 5}, {19, 2, 6, 1, 5}});
    // Row 62 of a 64-pixel texture needs bytes 7,936-8,063.
    add("TextureEdgePastTheData", 64, 64, Block(8000, 0x11), Texture(64), true,
        {{0, 0, 64, 62, 0x1111}});
    add("TextureEdgeZero", 64, 64, Block(8000, 0x11), Texture(0), false, {});
    Block gump = EncodeGump(Solid(6, 3, 0x1234));
    StoreLE32(gump.data() + 4, 0x40000000);  // row 1: 4 x entry overflows 32 bits
    gump.resize(gump.size() - 2);            // row 2's only pair is cut short
    add("GumpBadRowOffsetAndShortRow", 6, 3, gump, Gump(6, 3), true, {{0, 0, 6, 1, 0x1234}});
    // One row: a run of 300 pixels in a gump 4 wide drawn into a 10-pixel window.
    ByteWriter run;
    run.u32(1).u16(0x0421).u16(300);
    add("GumpRunPastTheWidth", 10, 1, run.take(), Gump(4, 1), true, {{0, 0, 10, 1, 0x0421}});
    add("GumpHued", 4, 4, EncodeGump(Solid(4, 4, 0x1111)), kGumpHued, true, {});
    add("LightTallerThanTheData", 300, 5, EncodeLight(300, 2, Block(600, 0x1F)), Light(300, 5),
        true, {{0, 0, 300, 2, 0x7FFF}});
    AnimFrameImage nines = RandomFrame(6, 3, 0, 0, 4);
    std::fill(nines.indexes.begin(), nines.indexes.end(), 9);
    Block anim = EncodeAnim(TestPalette(), {nines});
    anim.resize(anim.size() - 4 - 3);  // the end marker and half of row 2's chunk
    add("AnimChunkPastTheEnd", 6, 3, anim, Anim(0, 0, 3, 4), true,
        {{0, 0, 6, 2, TestPalette()[9]}});
    anim = EncodeAnim(TestPalette(), {RandomFrame(4, 4, 0, 0, 3)});
    StoreLE32(anim.data() + 516, static_cast<std::uint32_t>(anim.size()));
    add("AnimFrameHeaderOutside", 8, 8, anim, Anim(0, 0, 4, 4), false, {});
    add("AnimHued", 4, 4, EncodeAnim(TestPalette(), {RandomFrame(4, 4, 0, 0, 5)}), kAnimHued, {},
        {});
    add("AnimChunkFromTheCentre", 4, 5, CentredChunkAnim(), Anim(2, 3, 5, 4), true,
        {{1, 2, 1, 1, 10}, {2, 2, 1, 1, 20}});
    return cases;
}

class DecodeDamaged : public ::testing::TestWithParam<Damaged> {};

TEST_P(DecodeDamaged, DrawsExactlyWhatFitsAndNothingOutside) {
    const Damaged& c = GetParam();
    GuardedSurface s(c.w, c.h);
    const bool drawn = s.Draw(c.draw, c.block);
    if (c.drawn) {
        EXPECT_EQ(drawn, *c.drawn);
    }
    Picture expected(c.w, c.h);
    for (const Fill& f : c.fills) {
        expected.FillRect(f.x, f.y, f.w, f.h, f.colour);
    }
    EXPECT_EQ(s.Inner().pixels, expected.pixels);
}

INSTANTIATE_TEST_SUITE_P(Blocks, DecodeDamaged, ::testing::ValuesIn(DamagedCases()),
                         [](const auto& info) { return info.param.name; });

// ---- animation frames ----

// The frame's expected pixels in its own box, optionally mirrored.
Picture Expected(const AnimFrameImage& f, bool mirrored) {
    const auto palette = TestPalette();
    Picture p(f.width, f.height);
    for (int y = 0; y < f.height; ++y) {
        for (int x = 0; x < f.width; ++x) {
            const int index = f.At(mirrored ? f.width - 1 - x : x, y);
            p.Set(x, y, index < 0 ? 0 : palette[index]);
        }
    }
    return p;
}

}  // namespace

TEST(AnimDecodeTest, FramesFillTheirBoxInEveryDirectionCountsAreBoundedAndRecordsLeadBack) {
    const std::vector<AnimFrameImage> frames{RandomFrame(21, 30, 10, -5, 1),
                                             RandomFrame(7, 40, -3, 12, 2)};
    auto block = EncodeAnim(TestPalette(), frames);
    for (std::uint32_t i = 0; i < frames.size(); ++i) {
        const AnimFrameImage& f = frames[i];
        for (int direction = 0; direction < 8; ++direction) {
            const bool mirrored = direction < 3;
            GuardedSurface s(f.width, f.height);
            // The frame's box at the window's top-left corner.
            ASSERT_TRUE(s.Draw(
                [&](CSurfaceDC& dc, const Block& b, int x, int y) {
                    return CTileAnimType::DrawFrame(
                        dc, b, mirrored ? x - f.centreX + f.width : x + f.centreX,
                        y - 22 + f.centreY + f.height, 0, i, direction);
                },
                block));
            EXPECT_EQ(s.Inner().pixels, Expected(f, mirrored).pixels) << i << " " << direction;
        }
    }

    // A block's frame count and offsets are checked against its size; records of the three body
    // ranges lead back to their bodies.
    EXPECT_FALSE(CTileAnimType::Frame(block, 2));
    StoreLE32(block.data() + 512, 0xFFFFFFFF);  // huge count: capped at the offsets present
    EXPECT_LE(CTileAnimType::FrameCount(block), (block.size() - 516) / 4);
    EXPECT_EQ(CTileAnimType::FrameCount(Block(515)), 0u);
    EXPECT_EQ(GetAnimIndex(1, 2, 7), 124u);
    EXPECT_EQ(GetAnimIndex(200, 12, 3), 22060u);
    EXPECT_EQ(GetAnimIndex(200, 13, 3), 22000u);
    EXPECT_EQ(GetAnimIndex(400, 34, 3), 35000u + 170);
    EXPECT_EQ(GetAnimIndex(400, 0, 8), 35003u);
    // Each record of a block leads back to its body, at the edges of the three classes.
    for (const std::uint32_t body : {0u, 199u, 200u, 399u, 400u, 2047u}) {
        const auto actions = GetAnimActionCount(body);
        EXPECT_EQ(SlotOfAnimRecord(GetAnimIndex(body, 0, 3)), body);
        EXPECT_EQ(SlotOfAnimRecord(GetAnimIndex(body, actions - 1, 7)), body);
    }
}

// What the encoders leave out: a pixel marked transparent is not drawn whatever its word; an
// opaque black pixel is drawn as 0 by items (and is a gap in a gump, whose colour 0 is one).
TEST(EncodeTest, TransparentPixelsAreLeftOutAndSizesPastTheDecodersRefused) {
    Picture picture(4, 2);
    picture.pixels = {0x1111, 0, 0x2222, 0x3333, 0x4444, 0x5555, 0x6666, 0x7777};
    picture.opaque = {0, 1, 1, 0, 1, 1, 1, 1};
    const std::uint16_t u = 0x0ABC;  // untouched
    std::vector<std::uint16_t> expected{u, 0, 0x2222, u, 0x4444, 0x5555, 0x6666, 0x7777};
    for (const auto& [draw, block] :
         {std::pair{kItem, EncodeItem(picture)}, std::pair{Gump(4, 2), EncodeGump(picture)}}) {
        GuardedSurface s(4, 2, u);
        EXPECT_TRUE(s.Draw(draw, block));
        EXPECT_EQ(s.Inner().pixels, expected);
        expected[1] = u;  // the gump's black pixel is a gap
    }

    // The encoders take exactly the sizes the decoders draw: sides up to 65535, and for items
    // row data that the 16-bit row table can still address.
    Picture widest(kMaxItemSide, 1);
    widest.Set(kMaxItemSide - 1, 0, 0x1234);
    // The last column drawn into a narrow buffer: the picture starts far to its left.
    const int x = 4 - static_cast<int>(kMaxItemSide);
    for (const auto& [draw, block] : {std::pair{kItem, EncodeItem(widest)},
                                      std::pair{Gump(kMaxGumpSide, 1), EncodeGump(widest)}}) {
        GuardedSurface s(4, 1);
        EXPECT_TRUE(s.Draw(draw, block, -x));
        EXPECT_EQ(s.Inner().At(3, 0), 0x1234);
    }
    EXPECT_THROW(EncodeItem(Picture(kMaxItemSide + 1, 1)), CTarnError);
    EXPECT_THROW(EncodeGump(Picture(1, kMaxItemSide + 1)), CTarnError);
    Picture opaque(300, 300);
    opaque.pixels.assign(opaque.pixels.size(), 0x7FFF);
    // 300 rows of 304 words overflow the item's table.
    EXPECT_THROW(EncodeItem(opaque), CTarnError);
    EXPECT_NO_THROW(EncodeGump(opaque));
}
