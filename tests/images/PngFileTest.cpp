// PNG files of pictures: read back through Qt's own reader, pixel for pixel.

#include "PngFile.h"

#include "AnimExport.h"
#include "Bytes.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

using namespace tessaly;

namespace {

QImage Decode(const std::vector<std::uint8_t>& png) {
    return QImage::fromData(png.data(), static_cast<int>(png.size()), "PNG");
}

}  // namespace

// Every 5-5-5 value of each channel widens as the window shows it; the row pitch's padding and
// bit 15 stay out of the file; threads encoding at once make the same file.
TEST(PngFileTest, PicturesReadBackWidenedAndThreadsEncodeAlike) {
    SurfaceBuffer buffer;
    ASSERT_TRUE(buffer.CreateBuffer(33, 3, 4));  // pitch 68: two padding bytes a row
    for (std::uint32_t y = 0; y < 3; ++y) {
        std::memset(buffer.GetRowPointer(static_cast<std::int32_t>(y)), 0xFF, buffer.GetPitch());
        for (std::uint16_t v = 0; v < 33; ++v) {
            const std::uint16_t channel = v % 32;
            StoreLE16(buffer.GetPixelPointer(v, static_cast<std::int32_t>(y)),
                      static_cast<std::uint16_t>(0x8000 | channel << (5 * (2 - y))));
        }
    }
    const std::vector<std::uint8_t> png = EncodePng(buffer);
    const QImage image = Decode(png);
    ASSERT_EQ(image.size(), QSize(33, 3));
    for (int x = 0; x < 33; ++x) {
        const int w = Widen5(static_cast<std::uint32_t>(x % 32));
        EXPECT_EQ(image.pixel(x, 0), qRgb(w, 0, 0)) << x;
        EXPECT_EQ(image.pixel(x, 1), qRgb(0, w, 0)) << x;
        EXPECT_EQ(image.pixel(x, 2), qRgb(0, 0, w)) << x;
    }

    std::vector<std::vector<std::uint8_t>> files(4);
    std::vector<std::thread> threads;
    for (auto& file : files) {
        threads.emplace_back([&file, &buffer] { file = EncodePng(buffer); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const auto& file : files) {
        EXPECT_EQ(file, png);
    }

    EXPECT_TRUE(EncodePng(SurfaceBuffer()).empty());
    const auto none = [](std::uint32_t, std::uint8_t*) {};
    EXPECT_TRUE(EncodePng(0, 1, none).empty());
    EXPECT_TRUE(EncodePng(0x80000000u, 1, none).empty());
}
