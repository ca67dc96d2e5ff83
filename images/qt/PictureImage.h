#pragma once
// Taking a picture from Qt (a PNG file, the clipboard) for the picture encoders.

#include "ImageEncoders.h"

#include <QImage>

namespace tessaly {

// The image's colours reduced to 5-5-5 pixel words. Transparent: pixels of alpha 0 in an image
// with an alpha channel, pure black pixels (0, 0, 0) in an image without one.
Picture PictureFromImage(const QImage& image);

}  // namespace tessaly
