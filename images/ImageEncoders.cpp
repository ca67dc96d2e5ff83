#include "ImageEncoders.h"

#include "AnimContainer.h"
#include "AnimType.h"
#include "Bytes.h"
#include "TarnError.h"

#include <algorithm>
#include <cstdlib>

namespace tessaly {

std::uint16_t Picture::At(std::int32_t x, std::int32_t y) const {
    if (x < 0 || y < 0 || x >= static_cast<std::int32_t>(width) ||
        y >= static_cast<std::int32_t>(height)) {
        return 0;
    }
    return pixels[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)];
}

bool Picture::IsTransparent(std::int32_t x, std::int32_t y) const {
    if (x < 0 || y < 0 || x >= static_cast<std::int32_t>(width) ||
        y >= static_cast<std::int32_t>(height)) {
        return true;
    }
    const std::size_t i = static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x);
    return opaque.empty() ? pixels[i] == 0 : opaque[i] == 0;
}

void Picture::Set(std::int32_t x, std::int32_t y, std::uint16_t colour) {
    if (x < 0 || y < 0 || x >= static_cast<std::int32_t>(width) ||
        y >= static_cast<std::int32_t>(height)) {
        return;
    }
    pixels[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)] = colour;
}

void Picture::FillRect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                       std::uint16_t colour) {
    for (std::int32_t j = y; j < y + h; ++j) {
        for (std::int32_t i = x; i < x + w; ++i) {
            Set(i, j, colour);
        }
    }
}

void Picture::FillEllipse(std::int32_t cx, std::int32_t cy, std::int32_t rx, std::int32_t ry,
                          std::uint16_t colour) {
    if (rx <= 0 || ry <= 0) {
        return;
    }
    for (std::int32_t j = -ry; j <= ry; ++j) {
        for (std::int32_t i = -rx; i <= rx; ++i) {
            if (static_cast<double>(i) * i / (double(rx) * rx) +
                    static_cast<double>(j) * j / (double(ry) * ry) <=
                1.0) {
                Set(cx + i, cy + j, colour);
            }
        }
    }
}

void Picture::Line(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                   std::uint16_t colour) {
    const std::int32_t dx = std::abs(x1 - x0);
    const std::int32_t dy = -std::abs(y1 - y0);
    const std::int32_t sx = x0 < x1 ? 1 : -1;
    const std::int32_t sy = y0 < y1 ? 1 : -1;
    std::int32_t err = dx + dy;
    for (;;) {
        Set(x0, y0, colour);
        if (x0 == x1 && y0 == y1) {
            return;
        }
        const std::int32_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

std::vector<std::uint8_t> EncodeItem(const Picture& picture) {
    if (picture.width > kMaxItemSide || picture.height > kMaxItemSide) {
        throw CTarnError(2, kE_FAIL, "EncodeItem: Size");
    }
    ByteWriter rows;
    std::vector<std::uint16_t> table;
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        table.push_back(static_cast<std::uint16_t>(rows.size() / 2));
        std::int32_t column = 0;
        std::int32_t x = 0;
        const auto w = static_cast<std::int32_t>(picture.width);
        const auto yy = static_cast<std::int32_t>(y);
        while (x < w) {
            if (picture.IsTransparent(x, yy)) {
                ++x;
                continue;
            }
            std::int32_t end = x;
            while (end < w && !picture.IsTransparent(end, yy)) {
                ++end;
            }
            rows.u16(static_cast<std::uint16_t>(x - column))
                .u16(static_cast<std::uint16_t>(end - x));
            for (std::int32_t i = x; i < end; ++i) {
                rows.u16(picture.At(i, yy));
            }
            column = end;
            x = end;
        }
        rows.u16(0).u16(0);
        if (rows.size() / 2 > 0xFFFF) {
            throw CTarnError(2, kE_FAIL, "EncodeItem: Size");
        }
    }
    ByteWriter out;
    out.u32(0x1234);  // header word, not used by readers
    out.u16(static_cast<std::uint16_t>(picture.width))
        .u16(static_cast<std::uint16_t>(picture.height));
    for (std::uint16_t entry : table) {
        out.u16(entry);
    }
    out.bytes(rows.data());
    return out.take();
}

std::vector<std::uint8_t> EncodeTerrain(const Picture& picture) {
    ByteWriter out;
    for (std::int32_t k = 0; k < 44; ++k) {
        const std::int32_t half = k < 22 ? k : 43 - k;
        for (std::int32_t i = 0; i < 2 * (half + 1); ++i) {
            out.u16(picture.At(21 - half + i, k));
        }
    }
    return out.take();
}

std::vector<std::uint8_t> EncodeTexture(const Picture& picture) {
    if (picture.width != picture.height || (picture.width != 64 && picture.width != 128)) {
        throw CTarnError(2, kE_FAIL, "EncodeTexture: Size");  // 64 x 64 or 128 x 128 only
    }
    ByteWriter out;
    for (std::uint16_t p : picture.pixels) {
        out.u16(p);
    }
    return out.take();
}

std::vector<std::uint8_t> EncodeGump(const Picture& picture) {
    if (picture.width > kMaxGumpSide || picture.height > kMaxGumpSide) {
        throw CTarnError(2, kE_FAIL, "EncodeGump: Size");
    }
    ByteWriter rows;
    std::vector<std::uint32_t> table;
    const std::size_t tableBytes = 4 * std::size_t{picture.height};
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        if ((tableBytes + rows.size()) / 4 > 0xFFFFFFFFu) {
            throw CTarnError(2, kE_FAIL, "EncodeGump: Size");
        }
        table.push_back(static_cast<std::uint32_t>((tableBytes + rows.size()) / 4));
        std::uint32_t x = 0;
        const auto yy = static_cast<std::int32_t>(y);
        // A transparent pixel is a gap of colour 0.
        auto colourAt = [&](std::uint32_t column) -> std::uint16_t {
            const auto c = static_cast<std::int32_t>(column);
            return picture.IsTransparent(c, yy) ? 0 : picture.At(c, yy);
        };
        while (x < picture.width) {
            const std::uint16_t colour = colourAt(x);
            std::uint32_t end = x + 1;
            while (end < picture.width && end - x < 0xFFFF && colourAt(end) == colour) {
                ++end;
            }
            rows.u16(colour).u16(static_cast<std::uint16_t>(end - x));
            x = end;
        }
    }
    ByteWriter out;
    for (std::uint32_t entry : table) {
        out.u32(entry);
    }
    out.bytes(rows.data());
    return out.take();
}

std::uint32_t SizeExtra(std::uint32_t width, std::uint32_t height) {
    return (height & 0xFFFF) | (width & 0xFFFF) << 16;
}

std::vector<std::uint8_t> EncodeLight(std::uint32_t width, std::uint32_t height,
                                      const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() != std::size_t{width} * height) {
        throw CTarnError(2, kE_FAIL, "EncodeLight: Size");
    }
    return bytes;
}

std::int16_t AnimFrameImage::At(std::int32_t x, std::int32_t y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return -1;
    }
    return indexes[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)];
}

void AnimFrameImage::Set(std::int32_t x, std::int32_t y, std::int16_t index) {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return;
    }
    indexes[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)] = index;
}

namespace {
std::vector<std::uint8_t> EncodeFrame(const AnimFrameImage& f) {
    ByteWriter out;
    out.i16(f.centreX).i16(f.centreY).u16(f.width).u16(f.height);
    for (std::int32_t y = 0; y < f.height; ++y) {
        for (std::int32_t x = 0; x < f.width;) {
            if (f.At(x, y) < 0) {
                ++x;
                continue;
            }
            std::int32_t end = x;
            while (end < f.width && f.At(end, y) >= 0 && end - x < 0xFFF) {
                ++end;
            }
            const std::int32_t rowOffset = y - f.centreY - f.height;
            const std::int32_t columnOffset = x - f.centreX;
            if (rowOffset < -512 || rowOffset > 511 || columnOffset < -512 || columnOffset > 511) {
                throw CTarnError(2, kE_FAIL, "EncodeAnim: Size");
            }
            const std::uint32_t header = static_cast<std::uint32_t>(end - x) |
                                         (static_cast<std::uint32_t>(rowOffset) & 0x3FF) << 12 |
                                         (static_cast<std::uint32_t>(columnOffset) & 0x3FF) << 22;
            out.u32(header);
            for (std::int32_t i = x; i < end; ++i) {
                out.u8(static_cast<std::uint8_t>(f.At(i, y)));
            }
            x = end;
        }
    }
    out.u32(0x7FFF7FFF);
    return out.take();
}
}  // namespace

std::vector<std::uint8_t> EncodeAnim(const std::array<std::uint16_t, 256>& palette,
                                     const std::vector<AnimFrameImage>& frames) {
    ByteWriter out;
    for (std::uint16_t colour : palette) {
        out.u16(colour);
    }
    out.u32(static_cast<std::uint32_t>(frames.size()));
    const std::size_t offsetsAt = out.size();
    out.zeros(4 * frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        out.patch32(offsetsAt + 4 * i, static_cast<std::uint32_t>(out.size() - 512));
        out.bytes(EncodeFrame(frames[i]));
    }
    return out.take();
}

std::vector<AnimContainerFrame> AnimContainerFramesOf(const std::array<ByteSpan, 5>& blocks) {
    std::vector<AnimContainerFrame> frames;
    const std::uint32_t perDirection = CTileAnimType::FrameCount(blocks[0]);
    for (std::uint32_t d = 0; d < blocks.size(); ++d) {
        const ByteSpan block = blocks[d];
        const std::uint32_t count = std::min(perDirection, CTileAnimType::FrameCount(block));
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t start =
                kAnimPaletteBytes +
                std::size_t{LoadLE32(block.data() + kAnimPaletteBytes + 4 + 4 * i)};
            if (const std::optional<std::size_t> length = AnimFrameLength(block, start)) {
                frames.push_back({static_cast<std::uint16_t>(d * perDirection + i + 1),
                                  block.first(kAnimPaletteBytes), block.subspan(start, *length)});
            }
        }
    }
    return frames;
}

std::vector<std::uint8_t> EncodeAnimContainerEntry(const std::vector<AnimContainerFrame>& frames) {
    static constexpr std::uint8_t kMagic[4] = {'A', 'M', 'O', 'U'};
    ByteWriter w;
    w.bytes(ByteSpan(kMagic, 4)).u32(1).zeros(24);
    w.i32(static_cast<std::int32_t>(frames.size())).u32(kAnimContainerHeader);
    const std::size_t table = w.size();
    w.zeros(frames.size() * kAnimFrameRecord);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const std::size_t record = table + i * kAnimFrameRecord;
        w.patch16(record + 2, frames[i].number);
        w.patch32(record + 12, static_cast<std::uint32_t>(w.size() - record));
        w.bytes(frames[i].palette).bytes(frames[i].frame);
    }
    return w.take();
}

}  // namespace tessaly
