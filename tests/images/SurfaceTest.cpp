// The drawing surface: buffers, clipping, hue modes and nesting.

#include "Surface.h"

#include "Bytes.h"
#include "Pixels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace tessaly;

namespace {

std::vector<std::uint8_t> Words(std::initializer_list<std::uint16_t> words) {
    ByteWriter w;
    for (std::uint16_t v : words) {
        w.u16(v);
    }
    return w.take();
}

std::vector<std::uint16_t> Row(const SurfaceBuffer& b, std::int32_t y) {
    std::vector<std::uint16_t> out;
    for (std::uint32_t x = 0; x < b.GetWidth(); ++x) {
        out.push_back(b.GetPixel(static_cast<std::int32_t>(x), y));
    }
    return out;
}

}  // namespace

// Creating reallocates only for another size and refuses pitches past 16 bits; aliases and moved
// buffers leave the memory to its owner.
TEST(SurfaceTest, BuffersKeepTheirMemoryDrawingIsClippedNestedAndHued) {
    SurfaceBuffer b;
    ASSERT_TRUE(b.CreateBuffer(5, 3, 4));
    EXPECT_EQ(b.GetPitch(), 12);
    b.GetData()[0] = 0x55;
    EXPECT_FALSE(b.CreateBuffer(5, 3, 4));
    EXPECT_EQ(b.GetData()[0], 0x55);
    ASSERT_TRUE(b.CreateBuffer(6, 3, 4));
    EXPECT_EQ(b.GetData()[0], 0);
    // A pitch past 16 bits: nothing is allocated.
    SurfaceBuffer wide;
    EXPECT_FALSE(wide.CreateBuffer(40000, 1, 4));
    EXPECT_EQ(wide.GetData(), nullptr);

    // An alias releases nothing, and buffers moved as a growing vector moves them keep their
    // memory (ASan would flag pixels released by the alias or freed with the buffer they were
    // moved from).
    std::vector<SurfaceBuffer> buffers;
    for (std::uint16_t i = 0; i < 20; ++i) {
        buffers.emplace_back().CreateBuffer(3, 2, 4);
        StoreLE16(buffers.back().GetPixelPointer(2, 1), i);
    }
    EXPECT_EQ(buffers[19].GetPixel(2, 1), 19);
    {
        SurfaceBuffer alias(buffers[2]);
        EXPECT_EQ(alias.GetData(), buffers[2].GetData());
    }
    buffers[2].GetData()[0] = 7;  // still owned and alive
    EXPECT_EQ(buffers[2].GetPixel(0, 0), 7);
    SurfaceBuffer taken = std::move(buffers[0]);
    EXPECT_EQ(buffers[0].GetData(), nullptr);
    buffers[1] = std::move(taken);
    EXPECT_EQ(buffers[1].GetPixel(2, 1), 0);

    // Runs, spans and images are clipped to the surface; a nested surface restores the outer one's
    // state, and the last one gone leaves the reset state.
    SurfaceBuffer buffer;
    buffer.CreateBuffer(10, 10, 4);
    const CQRect reset = CurrentSurface().m_rClip;
    {
        CSurfaceDC dc(buffer);
        const auto src = Words({1, 2, 3, 4, 5});
        // Runs on rows outside the clip write nothing.
        DrawRun(0, -1, src.data(), 2);
        DrawRun(0, 9, src.data(), 2);
        EXPECT_FALSE(IsRowVisible(10));
        EXPECT_EQ(buffer.GetPixel(1, 9), 2);

        // Spans are cut at both sides.
        DrawSpan(-3, buffer.GetRowPointer(0), src.data(), 5);
        EXPECT_EQ(Row(buffer, 0), (std::vector<std::uint16_t>{4, 5, 0, 0, 0, 0, 0, 0, 0, 0}));
        DrawSpan(8, buffer.GetRowPointer(1), src.data(), 5);
        EXPECT_EQ(Row(buffer, 1), (std::vector<std::uint16_t>{0, 0, 0, 0, 0, 0, 0, 0, 1, 2}));
        DrawSpan(-6, buffer.GetRowPointer(2), src.data(), 5);
        DrawSpan(10, buffer.GetRowPointer(2), src.data(), 5);
        DrawSpan(-5, buffer.GetRowPointer(2), src.data(), 5);  // ends exactly at the left edge
        EXPECT_EQ(Row(buffer, 2), std::vector<std::uint16_t>(10, 0));
        FillSpan(-2, buffer.GetRowPointer(3), 9, 14);
        EXPECT_EQ(Row(buffer, 3), std::vector<std::uint16_t>(10, 9));

        // A nested surface draws in its own clip and plain mode; the outer one's state comes back.
        dc.SetHue(5);
        {
            SurfaceBuffer small;
            small.CreateBuffer(3, 2, 4);
            CSurfaceDC inner(small);
            EXPECT_EQ(CurrentSurface().m_rClip, CQRect(0, 0, 3, 2));
            EXPECT_EQ(CurrentSurface().m_nDrawMode, kDrawModePlain);
        }
        EXPECT_EQ(CurrentSurface().m_nHue, 5);

        // ClipImage leaves the visible part (of the outer clip, restored).
        EXPECT_TRUE(dc.ClipImage(-5, 2, 20, 20));
        EXPECT_EQ(CurrentSurface().m_rVisible, CQRect(5, 0, 15, 8));
        EXPECT_FALSE(dc.ClipImage(10, 0, 4, 4));
        EXPECT_FALSE(dc.ClipImage(0, 0, 0, 4));
    }
    EXPECT_EQ(CurrentSurface().m_rClip, reset);
    EXPECT_EQ(CurrentSurface().m_Buffer.GetData(), nullptr);

    // Grey 11,11,11 (0x2D6B), pure red 31,0,0 (0x7C00) and black: their red values pick
    // colours 11, 31 and 0 of the ramp; the partial mode leaves the red pixel alone.
    HueRamp ramp;
    ramp.fill(0x7FFF);
    ramp[0] = 0x0042;
    ramp[11] = 0x1234;
    ramp[31] = 0x4321;
    const auto src = Words({0x2D6B, 0x7C00, 0x0000});
    SurfaceBuffer hued;
    hued.CreateBuffer(3, 6, 4);
    CSurfaceDC dc(hued);
    dc.SetHueRamp(ramp);
    dc.SetHue(0x1234);
    EXPECT_EQ(CurrentSurface().m_nHue, 0x234);
    DrawRun(0, 0, src.data(), 3);
    FillSpan(0, hued.GetRowPointer(1), 0x7C00, 2);
    dc.SetPartialHue(true);
    DrawRun(0, 2, src.data(), 3);
    dc.SetHue(3001);
    EXPECT_EQ(CurrentSurface().m_nHue, 0);
    DrawRun(0, 3, src.data(), 3);
    dc.SetDrawMode(kDrawModeForced);
    DrawRun(0, 4, src.data(), 3);
    dc.SetDrawMode(4);  // no such mode: nothing is written
    DrawRun(0, 5, src.data(), 3);
    EXPECT_EQ(test::Pixels(hued), (std::vector<std::uint16_t>{
                                      0x1234, 0x4321, 0x0042,  //
                                      0x4321, 0x4321, 0,       //
                                      0x1234, 0x7C00, 0x0042,  //
                                      0x2D6B, 0x7C00, 0,       //
                                      0x1234, 0x4321, 0x0042,  //
                                      0, 0, 0,                 //
                                  }));
}
