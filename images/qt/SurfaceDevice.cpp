#include "SurfaceDevice.h"

#include <QPainter>

namespace tessaly {

QImage SurfaceImage(const SurfaceBuffer& buffer) {
    if (buffer.GetData() == nullptr || buffer.GetWidth() == 0 || buffer.GetHeight() == 0) {
        return QImage();
    }
    return QImage(buffer.GetData(), static_cast<int>(buffer.GetWidth()),
                  static_cast<int>(buffer.GetHeight()), buffer.GetPitch(), QImage::Format_RGB555);
}

bool DrawToDevice(const SurfaceBuffer& buffer, QPainter& painter, int x, int y) {
    const QImage image = SurfaceImage(buffer);
    if (image.isNull()) {
        return false;
    }
    painter.drawImage(x, y, image);
    return true;
}

QImage CreateDeviceBitmap(const SurfaceBuffer& buffer) {
    return SurfaceImage(buffer).copy();
}

QImage TransparentImage(const SurfaceBuffer& buffer) {
    QImage image = SurfaceImage(buffer).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (buffer.GetPixel(x, y) == 0) {
                line[x] = 0;
            }
        }
    }
    return image;
}

}  // namespace tessaly
