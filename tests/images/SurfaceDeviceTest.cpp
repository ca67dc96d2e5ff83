// The Qt side of the surface: the buffer's 5-5-5 words seen as an image, row pitch included.

#include "PictureImage.h"
#include "SurfaceDevice.h"

#include "Bytes.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace tessaly;

TEST(SurfaceDeviceTest, BitmapsCopyWithThePitchDrawAtTheOffsetAndPicturesReduceColours) {
    SurfaceBuffer buffer;
    ASSERT_TRUE(buffer.CreateBuffer(3, 2, 4));  // pitch 8: two padding bytes per row
    StoreLE16(buffer.GetPixelPointer(0, 0), 0x7C00);
    StoreLE16(buffer.GetPixelPointer(2, 1), 0x001F | 0x8000);  // bit 15 is ignored
    const QImage image = CreateDeviceBitmap(buffer);
    buffer.ClearBuffer();  // the bitmap is a copy
    ASSERT_EQ(image.size(), QSize(3, 2));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(qBlue(image.pixel(2, 1)), 255);
    EXPECT_EQ(qRed(image.pixel(2, 1)), 0);

    // Drawn to a device, the buffer is painted at the offset.
    StoreLE16(buffer.GetPixelPointer(1, 1), 0x03E0);
    QImage target(5, 5, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        EXPECT_TRUE(DrawToDevice(buffer, painter, 2, 3));
    }
    EXPECT_EQ(qGreen(target.pixel(3, 4)), 255);
    EXPECT_EQ(target.pixel(1, 3), qRgb(255, 255, 255));

    SurfaceBuffer empty;
    QPainter painter(&target);
    EXPECT_FALSE(DrawToDevice(empty, painter, 0, 0));
    EXPECT_TRUE(CreateDeviceBitmap(empty).isNull());

    // A picture taken from Qt: 5-5-5 colours; transparent where alpha is 0, or, without an alpha
    // channel, where the pixel is pure black. An opaque pixel that reduces to colour 0, which the
    // client's formats draw as nothing, is kept as the darkest grey (1, 1, 1).
    QImage alpha(3, 1, QImage::Format_ARGB32);
    alpha.setPixel(0, 0, qRgba(255, 128, 7, 255));
    alpha.setPixel(1, 0, qRgba(255, 255, 255, 0));
    alpha.setPixel(2, 0, qRgba(0, 0, 0, 1));
    Picture picture = PictureFromImage(alpha);
    EXPECT_EQ(picture.pixels, (std::vector<std::uint16_t>{Rgb(255, 128, 7), 0x7FFF, 0x0421}));
    EXPECT_EQ(picture.opaque, (std::vector<std::uint8_t>{1, 0, 1}));

    QImage plain(3, 1, QImage::Format_RGB32);
    plain.setPixel(0, 0, qRgb(0, 0, 0));
    plain.setPixel(1, 0, qRgb(7, 7, 7));  // reduces to 0, yet is not pure black
    plain.setPixel(2, 0, qRgb(8, 16, 24));
    picture = PictureFromImage(plain);
    EXPECT_EQ(picture.pixels, (std::vector<std::uint16_t>{0, 0x0421, Rgb(8, 16, 24)}));
    EXPECT_EQ(picture.opaque, (std::vector<std::uint8_t>{0, 1, 1}));

    // An image past the largest picture (one pixel row more) is no picture, not gigabytes of
    // conversion; one bit a pixel keeps the test's own image small.
    const QImage huge(8192, 8193, QImage::Format_Mono);
    ASSERT_FALSE(huge.isNull());
    picture = PictureFromImage(huge);
    EXPECT_EQ(picture.width, 0u);
    EXPECT_TRUE(picture.pixels.empty());
}
