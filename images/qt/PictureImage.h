#pragma once
// Taking a picture from Qt (a PNG file, the clipboard) for the picture encoders.

#include "ImageEncoders.h"
#include "Surface.h"

#include <QImage>

#include <optional>
#include <string>

namespace tessaly {

// The darkest visible colour, (1, 1, 1) in 5-5-5: what an opaque pixel of colour 0 is kept as.
inline constexpr std::uint16_t kDarkestGrey = 0x0421;

// The image's colours reduced to 5-5-5 pixel words. Transparent: pixels of alpha 0 in an image
// with an alpha channel, pure black pixels (0, 0, 0) in an image without one. An opaque pixel
// that reduces to 0 (which would draw nothing) becomes kDarkestGrey. An image of more than
// kMaxPicturePixels (a huge one pasted) gives an empty picture without being converted.
Picture PictureFromImage(const QImage& image);

// The picture of an image file (PNG and the other formats Qt reads), taken as PictureFromImage
// takes it; an empty picture when the bytes are no image. Nothing when the file cannot be read
// or is not a regular file (a FIFO is refused, not waited on).
std::optional<Picture> ReadPictureFile(const std::string& path);

}  // namespace tessaly
