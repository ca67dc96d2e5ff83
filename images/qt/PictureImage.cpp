#include "PictureImage.h"

#include "QFile.h"

#include <QImageReader>

#include <cerrno>
#include <climits>

namespace tessaly {

Picture PictureFromImage(const QImage& image) {
    if (static_cast<std::uint64_t>(image.width()) * static_cast<std::uint64_t>(image.height()) >
        kMaxPicturePixels) {
        return Picture();
    }
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const bool alpha = image.hasAlphaChannel();
    Picture picture(static_cast<std::uint32_t>(argb.width()),
                    static_cast<std::uint32_t>(argb.height()));
    picture.opaque.assign(picture.pixels.size(), 1);
    std::size_t i = 0;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x, ++i) {
            const QRgb c = line[x];
            const bool transparent = alpha ? qAlpha(c) == 0 : (c & 0xFFFFFF) == 0;
            picture.opaque[i] = transparent ? 0 : 1;
            // Colour 0 draws nothing in the client's formats: an opaque pixel that reduces to it
            // (black in a picture with alpha, the darkest greys) keeps the darkest grey.
            const std::uint16_t colour = Rgb(qRed(c), qGreen(c), qBlue(c));
            picture.pixels[i] = colour == 0 && !transparent ? kDarkestGrey : colour;
        }
    }
    return picture;
}

std::optional<Picture> ReadPictureFile(const std::string& path) {
    // Qt takes at most INT_MAX bytes; a file past that is no picture the formats could hold.
    const std::optional<std::vector<std::uint8_t>> bytes = ReadRegularFile(path, INT_MAX);
    if (!bytes) {
        return errno == EFBIG ? std::optional<Picture>(Picture()) : std::nullopt;
    }
    // Qt's own limit (128 MB) would refuse pictures the program shows: allow the largest
    // picture at the four bytes a pixel Qt decodes to.
    QImageReader::setAllocationLimit(static_cast<int>(kMaxPicturePixels * 4 / (1024 * 1024)));
    return PictureFromImage(QImage::fromData(bytes->data(), static_cast<int>(bytes->size())));
}

}  // namespace tessaly
