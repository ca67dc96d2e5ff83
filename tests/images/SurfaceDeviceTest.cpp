// The Qt side of the surface: the buffer's 5-5-5 words seen as an image, row pitch included.

#include "SurfaceDevice.h"

#include "Bytes.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace tessaly;

TEST(SurfaceDeviceTest, BitmapCopiesPixelsWithThePitch) {
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
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 0));
}

TEST(SurfaceDeviceTest, DrawToDevicePaintsAtTheOffset) {
    SurfaceBuffer buffer;
    buffer.CreateBuffer(2, 2, 4);
    StoreLE16(buffer.GetPixelPointer(1, 1), 0x03E0);
    QImage target(5, 5, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        EXPECT_TRUE(DrawToDevice(buffer, painter, 2, 3));
    }
    EXPECT_EQ(qGreen(target.pixel(3, 4)), 255);
    EXPECT_EQ(target.pixel(2, 3), qRgb(0, 0, 0));
    EXPECT_EQ(target.pixel(1, 3), qRgb(255, 255, 255));

    SurfaceBuffer empty;
    QPainter painter(&target);
    EXPECT_FALSE(DrawToDevice(empty, painter, 0, 0));
    EXPECT_TRUE(CreateDeviceBitmap(empty).isNull());
}
