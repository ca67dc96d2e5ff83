#include "PngFile.h"

#include "AnimExport.h"
#include "Bytes.h"

#include <png.h>

#include <csetjmp>

namespace tessaly {

namespace {

// libpng's failures end in png_error, which returns here through the jump buffer: nothing
// goes to the standard error, the caller sees an empty result.
[[noreturn]] void Fail(png_structp png, png_const_charp /*message*/) {
    png_longjmp(png, 1);
}

void Ignore(png_structp /*png*/, png_const_charp /*message*/) {}

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        out->insert(out->end(), data, data + length);
    } catch (...) {
        failed = true;
    }
    // Outside the handler: the jump must not leave a C++ frame with live objects behind.
    if (failed) {
        png_error(png, "out of memory");
    }
}

void Flush(png_structp /*png*/) {}

// The part of the encoding libpng may jump out of. Only plain values live in this frame, and
// what the rows need is made by the caller, so a jump skips no destructor.
bool WriteRows(png_structp png, png_infop info, std::uint32_t width, std::uint32_t height,
               const std::function<void(std::uint32_t, std::uint8_t*)>& row, std::uint8_t* line) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::uint32_t y = 0; y < height; ++y) {
        row(y, line);
        png_write_row(png, line);
    }
    png_write_end(png, info);
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(std::uint32_t width, std::uint32_t height,
                                    const std::function<void(std::uint32_t, std::uint8_t*)>& row) {
    std::vector<std::uint8_t> out;
    if (width == 0 || height == 0 || width > PNG_UINT_31_MAX || height > PNG_UINT_31_MAX) {
        return out;
    }
    std::vector<std::uint8_t> line(3 * std::size_t{width});
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Ignore);
    if (png == nullptr) {
        return out;
    }
    png_infop info = png_create_info_struct(png);
    bool ok = false;
    if (info != nullptr) {
        png_set_write_fn(png, &out, Append, Flush);
        ok = WriteRows(png, info, width, height, row, line.data());
    }
    png_destroy_write_struct(&png, &info);
    if (!ok) {
        out.clear();
    }
    return out;
}

std::vector<std::uint8_t> EncodePng(const SurfaceBuffer& picture) {
    if (picture.GetData() == nullptr) {
        return {};
    }
    return EncodePng(
        picture.GetWidth(), picture.GetHeight(), [&picture](std::uint32_t y, std::uint8_t* rgb) {
            const std::uint8_t* p = picture.GetRowPointer(static_cast<std::int32_t>(y));
            for (std::uint32_t x = 0; x < picture.GetWidth(); ++x, p += 2) {
                const std::uint16_t pixel = LoadLE16(p);
                *rgb++ = Widen5(pixel >> 10);
                *rgb++ = Widen5(pixel >> 5);
                *rgb++ = Widen5(pixel);
            }
        });
}

}  // namespace tessaly
