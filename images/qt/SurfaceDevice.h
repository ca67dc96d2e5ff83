#pragma once
// Handing a surface buffer to Qt: painting it and copying it as a bitmap. The pixels are shown
// through a QImage in Format_RGB555 laid over the buffer's memory (pitch = bytes per line).

#include "Surface.h"

#include <QImage>

class QPainter;

namespace tessaly {

// A QImage over the buffer's memory, without copying; valid while the buffer's memory lives.
QImage SurfaceImage(const SurfaceBuffer& buffer);

// Paints the buffer with its top-left corner at (x, y). False when the buffer has no memory.
bool DrawToDevice(const SurfaceBuffer& buffer, QPainter& painter, int x, int y);

// A deep copy of the buffer as an image owned by the caller (null image when there is no memory).
QImage CreateDeviceBitmap(const SurfaceBuffer& buffer);

// A copy of the buffer whose cleared pixels (word 0: nothing drawn there) are transparent, so
// that what lies behind the picture shows through them (null image when there is no memory).
QImage TransparentImage(const SurfaceBuffer& buffer);

}  // namespace tessaly
