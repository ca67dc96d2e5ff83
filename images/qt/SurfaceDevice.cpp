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

}  // namespace tessaly
