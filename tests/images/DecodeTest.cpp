// Picture decoders: round trips through the sample client's encoders, the format edge cases and
// malformed blocks (nothing read outside the block, nothing written outside the surface).

#include "AnimType.h"
#include "ArtTypes.h"
#include "GumpType.h"
#include "ImageEncoders.h"
#include "LightType.h"
#include "Surface.h"
#include "TextureType.h"

#include "Bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace tessaly;
using tessaly::mk::AnimFrameImage;
using tessaly::mk::Picture;

namespace {

// A surface with a guard band of pixels around a w x h window; the tests draw through a
// CSurfaceDC over the inner window only, so any write outside it shows in the guard band.
class GuardedSurface {
public:
    GuardedSurface(std::uint32_t w, std::uint32_t h) : m_w(w), m_h(h) {
        m_outer.CreateBuffer(w + 2 * kGuard, h + 2 * kGuard, 4);
        for (std::uint32_t y = 0; y < h + 2 * kGuard; ++y) {
            for (std::uint32_t x = 0; x < w + 2 * kGuard; ++x) {
                StoreLE16(m_outer.GetPixelPointer(x, y), kGuardColour);
            }
        }
        for (std::uint32_t y = 0; y < h; ++y) {
            for (std::uint32_t x = 0; x < w; ++x) {
                StoreLE16(m_outer.GetPixelPointer(x + kGuard, y + kGuard), 0);
            }
        }
    }

    // Runs draw with a surface over the inner window.
    template <typename F>
    bool Draw(F&& draw) {
        CSurfaceDC dc(m_outer);
        dc.m_rClip = CQRect(kGuard, kGuard, kGuard + static_cast<std::int32_t>(m_w),
                            kGuard + static_cast<std::int32_t>(m_h));
        dc.Publish();
        return draw(dc, kGuard);
    }

    Picture Inner() const {
        Picture p(m_w, m_h);
        for (std::uint32_t y = 0; y < m_h; ++y) {
            for (std::uint32_t x = 0; x < m_w; ++x) {
                p.pixels[y * m_w + x] = m_outer.GetPixel(x + kGuard, y + kGuard);
            }
        }
        return p;
    }

    bool GuardIntact() const {
        for (std::uint32_t y = 0; y < m_h + 2 * kGuard; ++y) {
            for (std::uint32_t x = 0; x < m_w + 2 * kGuard; ++x) {
                const bool inside =
                    x >= kGuard && y >= kGuard && x < kGuard + m_w && y < kGuard + m_h;
                if (!inside && m_outer.GetPixel(x, y) != kGuardColour) {
                    return false;
                }
            }
        }
        return true;
    }

    static constexpr std::int32_t kGuard = 8;
    static constexpr std::uint16_t kGuardColour = 0x7C1F;

private:
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

}  // namespace

// ---- items ----

class ItemRoundTrip : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(ItemRoundTrip, DecodesTheEncodedPixels) {
    const auto [w, h] = GetParam();
    const Picture picture = RandomPicture(w, h, w * 31 + h, 40);
    const auto block = mk::EncodeItem(picture);
    GuardedSurface s(w, h);
    ASSERT_TRUE(
        s.Draw([&](CSurfaceDC& dc, int o) { return CTileItemType::DrawData(dc, block, o, o); }));
    EXPECT_EQ(s.Inner().pixels, picture.pixels);
    EXPECT_TRUE(s.GuardIntact());
}

INSTANTIATE_TEST_SUITE_P(Sizes, ItemRoundTrip,
                         ::testing::Values(std::pair{1, 1}, std::pair{5, 3}, std::pair{44, 90},
                                           std::pair{130, 7}));

TEST(ItemDecodeTest, PairStepAndRunPlacePixels) {
    ByteWriter w;
    w.u32(0).u16(5).u16(1).u16(0);  // header, 5 x 1, row 0 at entry 0
    w.u16(2).u16(3).u16(11).u16(12).u16(13).u16(0).u16(0);
    const auto block = w.take();
    GuardedSurface s(5, 1);
    ASSERT_TRUE(
        s.Draw([&](CSurfaceDC& dc, int o) { return CTileItemType::DrawData(dc, block, o, o); }));
    EXPECT_EQ(s.Inner().pixels, (std::vector<std::uint16_t>{0, 0, 11, 12, 13}));
}

TEST(ItemDecodeTest, ClippedPictureDrawsOnlyTheVisibleWindow) {
    const Picture picture = RandomPicture(20, 20, 7, 30);
    const auto block = mk::EncodeItem(picture);
    GuardedSurface s(10, 10);
    ASSERT_TRUE(s.Draw(
        [&](CSurfaceDC& dc, int o) { return CTileItemType::DrawData(dc, block, o - 5, o - 7); }));
    const Picture inner = s.Inner();
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(inner.At(x, y), y < 13 ? picture.At(x + 5, y + 7) : 0);
        }
    }
    EXPECT_TRUE(s.GuardIntact());
    EXPECT_FALSE(s.Draw(
        [&](CSurfaceDC& dc, int o) { return CTileItemType::DrawData(dc, block, o + 10, o); }));
}

TEST(ItemDecodeTest, RowsThatDoNotFitAreLeftOutOthersDrawn) {
    const Picture picture = RandomPicture(8, 4, 3, 0);  // fully opaque: one run per row
    auto block = mk::EncodeItem(picture);
    // Row 1's table entry points far past the end; row 3's data is cut off by truncation.
    StoreLE16(block.data() + 8 + 2, 0xFFF0);
    block.resize(block.size() - 6);
    GuardedSurface s(8, 4);
    ASSERT_TRUE(
        s.Draw([&](CSurfaceDC& dc, int o) { return CTileItemType::DrawData(dc, block, o, o); }));
    const Picture inner = s.Inner();
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(inner.At(x, 0), picture.At(x, 0));
        EXPECT_EQ(inner.At(x, 1), 0);
        EXPECT_EQ(inner.At(x, 2), picture.At(x, 2));
        EXPECT_EQ(inner.At(x, 3), 0);
    }
}

TEST(ItemDecodeTest, TruncatedAndHugeHeadersAreSafe) {
    GuardedSurface s(16, 16);
    for (std::size_t n = 0; n < 12; ++n) {
        std::vector<std::uint8_t> block(n, 0xFF);
        s.Draw([&](CSurfaceDC& dc, int o) { return CTileItemType::DrawData(dc, block, o, o); });
    }
    // Width and height 65535 with no row table at all.
    const std::vector<std::uint8_t> huge{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_TRUE(
        s.Draw([&](CSurfaceDC& dc, int o) { return CTileItemType::DrawData(dc, huge, o, o); }));
    EXPECT_EQ(s.Inner().pixels, std::vector<std::uint16_t>(256, 0));
    EXPECT_TRUE(s.GuardIntact());
}

// ---- terrain ----

TEST(TerrainDecodeTest, RoundTripFillsTheDiamond) {
    Picture picture = RandomPicture(44, 44, 11, 0);
    const auto block = mk::EncodeTerrain(picture);
    ASSERT_EQ(block.size(), 2024u);
    GuardedSurface s(44, 44);
    ASSERT_TRUE(s.Draw(
        [&](CSurfaceDC& dc, int o) { return CTileTerrainType::DrawData(dc, block, o + 21, o); }));
    const Picture inner = s.Inner();
    for (int k = 0; k < 44; ++k) {
        const int half = k < 22 ? k : 43 - k;
        for (int x = 0; x < 44; ++x) {
            const bool inDiamond = x >= 21 - half && x <= 22 + half;
            EXPECT_EQ(inner.At(x, k), inDiamond ? picture.At(x, k) : 0) << x << "," << k;
        }
    }
    EXPECT_TRUE(s.GuardIntact());
}

TEST(TerrainDecodeTest, ShortBlockDrawsTheRowsItHolds) {
    const Picture picture = RandomPicture(44, 44, 12, 0);
    auto block = mk::EncodeTerrain(picture);
    block.resize(2 * (2 + 4 + 6) + 3);  // three full rows and part of the fourth
    GuardedSurface s(44, 44);
    ASSERT_TRUE(s.Draw(
        [&](CSurfaceDC& dc, int o) { return CTileTerrainType::DrawData(dc, block, o + 21, o); }));
    const Picture inner = s.Inner();
    EXPECT_EQ(inner.At(19, 2), picture.At(19, 2));
    EXPECT_EQ(inner.At(21, 3), 0);
    EXPECT_TRUE(s.GuardIntact());
}

// ---- textures ----

TEST(TextureDecodeTest, EdgeComesFromTheLength) {
    EXPECT_EQ(CTileTextureType::EdgeForLength(8192), 64u);
    EXPECT_EQ(CTileTextureType::EdgeForLength(32768), 128u);
    EXPECT_EQ(CTileTextureType::EdgeForLength(8000), 0u);
}

TEST(TextureDecodeTest, RoundTripBothEdgesAndClipping) {
    for (std::uint32_t edge : {64u, 128u}) {
        Picture picture = RandomPicture(edge, edge, edge, 5);  // zeros are written too
        const auto block = mk::EncodeTexture(picture);
        GuardedSurface s(edge, edge);
        ASSERT_TRUE(s.Draw([&](CSurfaceDC& dc, int o) {
            return CTileTextureType::DrawData(dc, block, edge, o, o);
        }));
        EXPECT_EQ(s.Inner().pixels, picture.pixels);
        GuardedSurface part(30, 30);
        ASSERT_TRUE(part.Draw([&](CSurfaceDC& dc, int o) {
            return CTileTextureType::DrawData(dc, block, edge, o - 10, o - 20);
        }));
        EXPECT_EQ(part.Inner().At(0, 0), picture.At(10, 20));
        EXPECT_EQ(part.Inner().At(29, 29), picture.At(39, 49));
        EXPECT_TRUE(part.GuardIntact());
    }
}

TEST(TextureDecodeTest, EdgeLargerThanTheDataDrawsOnlyWholeRows) {
    const std::vector<std::uint8_t> block(8000, 0x11);
    GuardedSurface s(64, 64);
    EXPECT_FALSE(s.Draw(
        [&](CSurfaceDC& dc, int o) { return CTileTextureType::DrawData(dc, block, 0, o, o); }));
    ASSERT_TRUE(s.Draw(
        [&](CSurfaceDC& dc, int o) { return CTileTextureType::DrawData(dc, block, 64, o, o); }));
    EXPECT_EQ(s.Inner().At(63, 61), 0x1111);
    EXPECT_EQ(s.Inner().At(0, 62), 0);  // row 62 needs bytes 7936-8063
    EXPECT_TRUE(s.GuardIntact());
}

// ---- gumps ----

TEST(GumpDecodeTest, RoundTripWithGaps) {
    for (auto [w, h] : {std::pair{1, 1}, std::pair{33, 17}, std::pair{200, 3}}) {
        const Picture picture = RandomPicture(w, h, w + h, 50);
        const auto block = mk::EncodeGump(picture);
        GuardedSurface s(w, h);
        ASSERT_TRUE(s.Draw(
            [&](CSurfaceDC& dc, int o) { return CTileGumpType::DrawData(dc, block, w, h, o, o); }));
        EXPECT_EQ(s.Inner().pixels, picture.pixels);
        EXPECT_TRUE(s.GuardIntact());
    }
}

TEST(GumpDecodeTest, BadRowOffsetsAndShortRowsAreLeftOut) {
    Picture picture(6, 3);
    picture.FillRect(0, 0, 6, 3, 0x1234);
    auto block = mk::EncodeGump(picture);
    StoreLE32(block.data() + 4, 0x40000000);  // row 1 far outside (4 x entry overflows 32 bits)
    block.resize(block.size() - 2);           // row 2's only pair is cut short
    GuardedSurface s(6, 3);
    ASSERT_TRUE(s.Draw(
        [&](CSurfaceDC& dc, int o) { return CTileGumpType::DrawData(dc, block, 6, 3, o, o); }));
    const Picture inner = s.Inner();
    EXPECT_EQ(inner.At(5, 0), 0x1234);
    EXPECT_EQ(inner.At(0, 1), 0);
    EXPECT_EQ(inner.At(0, 2), 0);
}

TEST(GumpDecodeTest, RunsPastTheWidthAreClippedToTheSurface) {
    // One row: a run of 300 pixels in a gump 4 wide drawn into a 10-pixel surface.
    ByteWriter w;
    w.u32(1).u16(0x0421).u16(300);
    const auto block = w.take();
    GuardedSurface s(10, 1);
    ASSERT_TRUE(s.Draw(
        [&](CSurfaceDC& dc, int o) { return CTileGumpType::DrawData(dc, block, 4, 1, o, o); }));
    EXPECT_EQ(s.Inner().pixels, std::vector<std::uint16_t>(10, 0x0421));
    EXPECT_TRUE(s.GuardIntact());
}

TEST(GumpDecodeTest, HuedGumpWritesNothingAndResetsTheHue) {
    Picture picture(4, 4);
    picture.FillRect(0, 0, 4, 4, 0x1111);
    const auto block = mk::EncodeGump(picture);
    GuardedSurface s(4, 4);
    ASSERT_TRUE(s.Draw([&](CSurfaceDC& dc, int o) {
        const bool drawn = CTileGumpType::DrawData(dc, block, 4, 4, o, o, 33);
        EXPECT_EQ(CurrentSurface().m_nDrawMode, kDrawModePlain);
        return drawn;
    }));
    EXPECT_EQ(s.Inner().pixels, std::vector<std::uint16_t>(16, 0));
}

// ---- lights ----

TEST(LightDecodeTest, BytesBecomeHighBytesOfWords) {
    std::vector<std::uint8_t> bytes(300 * 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7);
    }
    bytes[0] = 0x1F;
    const auto block = mk::EncodeLight(300, 2, bytes);
    GuardedSurface s(300, 2);
    ASSERT_TRUE(s.Draw(
        [&](CSurfaceDC& dc, int o) { return CTileLightType::DrawData(dc, block, 300, 2, o, o); }));
    const Picture inner = s.Inner();
    EXPECT_EQ(inner.At(0, 0), 0x1F00);
    for (int i = 1; i < 600; ++i) {
        EXPECT_EQ(inner.pixels[i], bytes[i] << 8);
    }
    // A light larger than its data draws the rows it has.
    GuardedSurface big(300, 5);
    ASSERT_TRUE(big.Draw(
        [&](CSurfaceDC& dc, int o) { return CTileLightType::DrawData(dc, block, 300, 5, o, o); }));
    EXPECT_EQ(big.Inner().At(299, 1), bytes[599] << 8);
    EXPECT_EQ(big.Inner().At(0, 2), 0);
    EXPECT_TRUE(big.GuardIntact());
}

// ---- animation frames ----

namespace {

std::array<std::uint16_t, 256> TestPalette() {
    std::array<std::uint16_t, 256> palette{};
    for (int i = 0; i < 256; ++i) {
        palette[i] = static_cast<std::uint16_t>(0x0100 + i);
    }
    return palette;
}

AnimFrameImage RandomFrame(std::uint16_t w, std::uint16_t h, std::int16_t cx, std::int16_t cy,
                           unsigned seed, bool emptyRows) {
    std::mt19937 rng(seed);
    AnimFrameImage f;
    f.width = w;
    f.height = h;
    f.centreX = cx;
    f.centreY = cy;
    f.indexes.assign(std::size_t{w} * h, -1);
    for (int y = 0; y < h; ++y) {
        if (emptyRows && (y % 3 == 1)) {
            continue;
        }
        for (int x = 0; x < w; ++x) {
            if (rng() % 3 != 0) {
                f.Set(x, y, static_cast<std::int16_t>(rng() % 256));
            }
        }
    }
    return f;
}

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

class AnimRoundTrip : public ::testing::TestWithParam<bool> {};

TEST_P(AnimRoundTrip, FrameFillsExactlyItsBoxInEveryDirection) {
    const bool emptyRows = GetParam();
    const std::vector<AnimFrameImage> frames{RandomFrame(21, 30, 10, -5, 1, emptyRows),
                                             RandomFrame(7, 40, -3, 12, 2, emptyRows)};
    const auto block = mk::EncodeAnim(TestPalette(), frames);
    ASSERT_EQ(CTileAnimType::FrameCount(block), 2u);
    for (std::uint32_t i = 0; i < frames.size(); ++i) {
        const auto header = CTileAnimType::Frame(block, i);
        ASSERT_TRUE(header);
        EXPECT_EQ(header->m_nCentreX, frames[i].centreX);
        EXPECT_EQ(header->m_nHeight, frames[i].height);
        for (int direction = 0; direction < 8; ++direction) {
            const AnimFrameImage& f = frames[i];
            const bool mirrored = direction < 3;
            GuardedSurface s(f.width, f.height);
            // Place the frame's box at the window's top-left corner.
            ASSERT_TRUE(s.Draw([&](CSurfaceDC& dc, int o) {
                const int x = mirrored ? o - f.centreX + f.width : o + f.centreX;
                const int y = o - 22 + f.centreY + f.height;
                return CTileAnimType::DrawFrame(dc, block, x, y, 0, i, direction);
            }));
            EXPECT_EQ(s.Inner().pixels, Expected(f, mirrored).pixels) << i << " " << direction;
            EXPECT_TRUE(s.GuardIntact());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, AnimRoundTrip, ::testing::Bool());

TEST(AnimDecodeTest, CountAndFrameOffsetsAreCheckedAgainstTheBlock) {
    const auto block0 = mk::EncodeAnim(TestPalette(), {RandomFrame(4, 4, 0, 0, 3, false)});
    auto block = block0;
    StoreLE32(block.data() + 512, 0xFFFFFFFF);  // huge count: capped at the offsets present
    EXPECT_GT(CTileAnimType::FrameCount(block), 0u);
    EXPECT_LE(CTileAnimType::FrameCount(block), (block.size() - 516) / 4);
    block = block0;
    StoreLE32(block.data() + 516, static_cast<std::uint32_t>(block.size()));  // header outside
    EXPECT_FALSE(CTileAnimType::Frame(block, 0));
    GuardedSurface s(8, 8);
    EXPECT_FALSE(s.Draw(
        [&](CSurfaceDC& dc, int o) { return CTileAnimType::DrawFrame(dc, block, o, o, 0, 0, 4); }));
    EXPECT_FALSE(CTileAnimType::Frame(block0, 1));
    EXPECT_EQ(CTileAnimType::FrameCount(std::vector<std::uint8_t>(515)), 0u);
}

TEST(AnimDecodeTest, ChunkPastTheEndEndsTheFrameAndEarlierChunksStay) {
    AnimFrameImage f = RandomFrame(6, 3, 0, 0, 4, false);
    for (auto& v : f.indexes) {
        v = 9;
    }
    auto block = mk::EncodeAnim(TestPalette(), {f});
    block.resize(block.size() - 4 - 3);  // drop the end marker and half of row 2's chunk
    GuardedSurface s(6, 3);
    ASSERT_TRUE(s.Draw([&](CSurfaceDC& dc, int o) {
        return CTileAnimType::DrawFrame(dc, block, o, o - 22 + 3, 0, 0, 4);
    }));
    const Picture inner = s.Inner();
    EXPECT_EQ(inner.At(5, 1), TestPalette()[9]);
    EXPECT_EQ(inner.At(0, 2), 0);
    EXPECT_TRUE(s.GuardIntact());
}

TEST(AnimDecodeTest, HueFlagsAreResetAfterDrawing) {
    const auto block = mk::EncodeAnim(TestPalette(), {RandomFrame(4, 4, 0, 0, 5, false)});
    GuardedSurface s(4, 4);
    s.Draw([&](CSurfaceDC& dc, int o) {
        const bool drawn = CTileAnimType::DrawFrame(dc, block, o, o - 22 + 4, 0xC005, 0, 4);
        EXPECT_EQ(CurrentSurface().m_nHue, 0);
        EXPECT_FALSE(CurrentSurface().m_bPartialHue);
        EXPECT_EQ(CurrentSurface().m_nDrawMode, kDrawModePlain);
        return drawn;
    });
    EXPECT_EQ(s.Inner().pixels, std::vector<std::uint16_t>(16, 0));
}

TEST(AnimIndexTest, ThreeBodyRangesAndDirectionTable) {
    EXPECT_EQ(GetAnimIndex(0, 0, 0), 3u);
    EXPECT_EQ(GetAnimIndex(1, 2, 7), 124u);
    EXPECT_EQ(GetAnimIndex(199, 21, 4), 199u * 110 + 105 + 1);
    EXPECT_EQ(GetAnimIndex(200, 12, 3), 22060u);
    EXPECT_EQ(GetAnimIndex(200, 13, 3), 22000u);
    EXPECT_EQ(GetAnimIndex(399, 0, 6), 22000u + 199 * 65 + 3);
    EXPECT_EQ(GetAnimIndex(400, 0, 4), 35001u);
    EXPECT_EQ(GetAnimIndex(400, 34, 3), 35000u + 170);
    EXPECT_EQ(GetAnimIndex(400, -1, 3), 35000u);
    EXPECT_EQ(GetAnimIndex(400, 0, 8), 35003u);
    EXPECT_EQ(GetAnimIndex(400, 0, -1), 35003u);
}

TEST(AnimDecodeTest, ChunkOffsetsAreMeasuredFromTheCentre) {
    // Frame 4 x 5 with centre (2, 3); one chunk of two pixels at column 1, row 2 of the box:
    // column offset 1 - 2 = -1, row offset 2 - 3 - 5 = -6, so the 32-bit chunk word is
    // 2 | (-6 & 0x3FF) << 12 | (-1 & 0x3FF) << 22 = 0xFFFFA002 (words A 0xA002, B 0xFFFF).
    ByteWriter w;
    for (int i = 0; i < 256; ++i) {
        w.u16(static_cast<std::uint16_t>(10 * i));
    }
    w.u32(1).u32(8);                        // one frame at byte 512 + 8
    w.i16(2).i16(3).u16(4).u16(5);          // centre x, centre y, width, height
    w.u16(0xA002).u16(0xFFFF).u8(1).u8(2);  // the chunk
    w.u16(0x7FFF).u16(0x7FFF);
    const auto block = w.take();
    for (int direction : {4, 1}) {
        GuardedSurface s(4, 5);
        ASSERT_TRUE(s.Draw([&](CSurfaceDC& dc, int o) {
            return CTileAnimType::DrawFrame(dc, block, o + 2, o + 3 + 5 - 22, 0, 0, direction);
        }));
        const Picture inner = s.Inner();
        EXPECT_EQ(inner.At(1, 2), direction < 3 ? 20 : 10);
        EXPECT_EQ(inner.At(2, 2), direction < 3 ? 10 : 20);
        EXPECT_EQ(std::count(inner.pixels.begin(), inner.pixels.end(), 0), 18);
    }
}
