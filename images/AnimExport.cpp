#include "AnimExport.h"

#include "SafeSave.h"
#include "Text.h"

#include <gif_lib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <unordered_map>

namespace tessaly {

FrameBox BoundingBox(const std::vector<PlacedFrame>& frames) {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t right = 0;
    std::int64_t bottom = 0;
    bool any = false;
    for (const PlacedFrame& frame : frames) {
        if (frame.picture.GetData() == nullptr) {
            continue;
        }
        const std::int64_t r = std::int64_t{frame.left} + frame.picture.GetWidth();
        const std::int64_t b = std::int64_t{frame.top} + frame.picture.GetHeight();
        left = any ? std::min<std::int64_t>(left, frame.left) : frame.left;
        top = any ? std::min<std::int64_t>(top, frame.top) : frame.top;
        right = any ? std::max(right, r) : r;
        bottom = any ? std::max(bottom, b) : b;
        any = true;
    }
    if (!any) {
        return {};
    }
    return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
            static_cast<std::uint32_t>(right - left), static_cast<std::uint32_t>(bottom - top)};
}

void PlaceFrame(const PlacedFrame& frame, const FrameBox& box, SurfaceBuffer& target,
                std::uint32_t x, std::uint32_t y) {
    if (frame.picture.GetData() == nullptr) {
        return;
    }
    const std::uint32_t dx = x + static_cast<std::uint32_t>(frame.left - box.left);
    const std::uint32_t dy = y + static_cast<std::uint32_t>(frame.top - box.top);
    const std::size_t rowBytes = 2 * std::size_t{frame.picture.GetWidth()};
    for (std::uint32_t row = 0; row < frame.picture.GetHeight(); ++row) {
        std::memcpy(target.GetPixelPointer(static_cast<std::int32_t>(dx),
                                           static_cast<std::int32_t>(dy + row)),
                    frame.picture.GetRowPointer(static_cast<std::int32_t>(row)), rowBytes);
    }
}

bool ComposeSpriteSheet(const std::vector<SheetRow>& rows, std::uint64_t maxPixels,
                        SpriteSheet& sheet) {
    sheet = SpriteSheet();
    std::vector<PlacedFrame> all;
    std::size_t columns = 0;
    for (const SheetRow& row : rows) {
        all.insert(all.end(), row.frames.begin(), row.frames.end());
        columns = std::max(columns, row.frames.size());
    }
    const FrameBox box = BoundingBox(all);
    const std::uint64_t width = std::uint64_t{box.width} * columns;
    const std::uint64_t height = std::uint64_t{box.height} * rows.size();
    if (box.IsEmpty() || width * height > maxPixels || width > 0xFFFF || height > 0xFFFF ||
        !sheet.pixels.CreateBuffer(static_cast<std::uint32_t>(width),
                                   static_cast<std::uint32_t>(height), 4)) {
        sheet.pixels.Release();
        return false;
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].frames.size(); ++c) {
            PlaceFrame(rows[r].frames[c], box, sheet.pixels,
                       static_cast<std::uint32_t>(c * box.width),
                       static_cast<std::uint32_t>(r * box.height));
        }
    }
    sheet.cell = box;
    sheet.columns = static_cast<std::uint32_t>(columns);
    return true;
}

std::string SpriteSheetJson(const std::vector<SheetRow>& rows, const SpriteSheet& sheet,
                            const std::string& image, std::uint32_t body, std::int32_t action,
                            std::uint32_t frameDelayMs) {
    const FrameBox& cell = sheet.cell;
    std::string json = "{\n";
    json += "  \"image\": " + JsonString(image) + ",\n";
    json += Format("  \"body\": %u,\n  \"action\": %d,\n  \"frameDelayMs\": %u,\n", body, action,
                   frameDelayMs);
    json += Format("  \"width\": %u,\n  \"height\": %u,\n", sheet.pixels.GetWidth(),
                   sheet.pixels.GetHeight());
    json +=
        Format("  \"cell\": {\"width\": %u, \"height\": %u, \"anchorX\": %d, \"anchorY\": %d},\n",
               cell.width, cell.height, -cell.left, -cell.top);
    json += "  \"directionOrder\": [";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        json += Format(r == 0 ? "%d" : ", %d", rows[r].direction);
    }
    json += "],\n  \"directions\": [\n";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const SheetRow& row = rows[r];
        json += Format("    {\"direction\": %d, \"row\": %zu, \"mirrored\": %s", row.direction, r,
                       row.mirrorOf >= 0 ? "true" : "false");
        if (row.mirrorOf >= 0) {
            json += Format(", \"mirrorOf\": %d", row.mirrorOf);
        }
        json += ", \"frames\": [";
        for (std::size_t c = 0; c < row.frames.size(); ++c) {
            const PlacedFrame& frame = row.frames[c];
            const std::int64_t cellX = static_cast<std::int64_t>(c) * cell.width;
            const std::int64_t cellY = static_cast<std::int64_t>(r) * cell.height;
            json += c == 0 ? "\n" : ",\n";
            json += Format("      {\"frame\": %zu, \"centreX\": %lld, \"centreY\": %lld", c,
                           static_cast<long long>(cellX - cell.left),
                           static_cast<long long>(cellY - cell.top));
            if (frame.picture.GetData() != nullptr) {
                json += Format(", \"x\": %lld, \"y\": %lld, \"w\": %u, \"h\": %u",
                               static_cast<long long>(cellX + frame.left - cell.left),
                               static_cast<long long>(cellY + frame.top - cell.top),
                               frame.picture.GetWidth(), frame.picture.GetHeight());
            }
            json += "}";
        }
        json += row.frames.empty() ? "]}" : "\n    ]}";
        json += r + 1 < rows.size() ? ",\n" : "\n";
    }
    json += "  ]\n}\n";
    return json;
}

namespace {

int AppendBytes(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};

struct MapFree {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

// Index 0 is transparent; the frame's colours follow. Fills indexes (one per pixel) and the
// frame's colour map; false when giflib cannot make it.
bool IndexFrame(const SurfaceBuffer& frame, std::vector<GifByteType>& indexes,
                std::unique_ptr<ColorMapObject, MapFree>& map) {
    const std::uint32_t width = frame.GetWidth();
    const std::uint32_t height = frame.GetHeight();
    const std::size_t count = std::size_t{width} * height;
    indexes.assign(count, 0);
    std::unordered_map<std::uint16_t, GifByteType> colours;
    bool exact = true;
    for (std::uint32_t y = 0; y < height && exact; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint16_t pixel =
                frame.GetPixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
            if (pixel == 0) {
                continue;
            }
            auto [it, added] = colours.try_emplace(pixel, 0);
            if (added) {
                if (colours.size() > 255) {
                    exact = false;
                    break;
                }
                it->second = static_cast<GifByteType>(colours.size());
            }
            indexes[std::size_t{y} * width + x] = it->second;
        }
    }
    std::vector<GifColorType> palette(256, GifColorType{0, 0, 0});
    int used = 0;
    if (exact) {
        for (const auto& [pixel, index] : colours) {
            palette[index] = {Widen5(pixel >> 10), Widen5(pixel >> 5), Widen5(pixel)};
        }
        used = static_cast<int>(colours.size()) + 1;
    } else {
        // More colours than a frame holds: giflib reduces the opaque pixels to 255.
        std::vector<GifByteType> red(count);
        std::vector<GifByteType> green(count);
        std::vector<GifByteType> blue(count);
        for (std::uint32_t y = 0; y < height; ++y) {
            for (std::uint32_t x = 0; x < width; ++x) {
                const std::uint16_t pixel =
                    frame.GetPixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
                const std::size_t i = std::size_t{y} * width + x;
                red[i] = Widen5(pixel >> 10);
                green[i] = Widen5(pixel >> 5);
                blue[i] = Widen5(pixel);
            }
        }
        int size = 255;
        if (GifQuantizeBuffer(width, height, &size, red.data(), green.data(), blue.data(),
                              indexes.data(), palette.data() + 1) == GIF_ERROR) {
            return false;
        }
        for (std::uint32_t y = 0; y < height; ++y) {
            for (std::uint32_t x = 0; x < width; ++x) {
                const std::size_t i = std::size_t{y} * width + x;
                indexes[i] =
                    frame.GetPixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)) == 0
                        ? 0
                        : static_cast<GifByteType>(indexes[i] + 1);
            }
        }
        used = size + 1;
    }
    map.reset(GifMakeMapObject(1 << GifBitSize(used), palette.data()));
    return map != nullptr;
}

}  // namespace

std::vector<std::uint8_t> EncodeGif(const std::vector<SurfaceBuffer>& frames,
                                    std::uint32_t delayMs) {
    std::vector<std::uint8_t> out;
    if (frames.empty()) {
        return out;
    }
    const std::uint32_t width = frames.front().GetWidth();
    const std::uint32_t height = frames.front().GetHeight();
    if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF) {
        return out;
    }
    for (const SurfaceBuffer& frame : frames) {
        if (frame.GetData() == nullptr || frame.GetWidth() != width ||
            frame.GetHeight() != height) {
            return out;
        }
    }
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(EGifOpen(&out, AppendBytes, &error));
    if (!gif) {
        return {};
    }
    EGifSetGifVersion(gif.get(), true);
    bool ok = EGifPutScreenDesc(gif.get(), static_cast<int>(width), static_cast<int>(height), 8, 0,
                                nullptr) == GIF_OK;
    // Loops for ever (the application extension every viewer knows).
    static const GifByteType kLoopName[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType kLoopForever[] = {1, 0, 0};
    ok = ok && EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif.get(), sizeof kLoopName, kLoopName) == GIF_OK &&
         EGifPutExtensionBlock(gif.get(), sizeof kLoopForever, kLoopForever) == GIF_OK &&
         EGifPutExtensionTrailer(gif.get()) == GIF_OK;
    std::vector<GifByteType> indexes;
    for (std::size_t i = 0; ok && i < frames.size(); ++i) {
        std::unique_ptr<ColorMapObject, MapFree> map;
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_BACKGROUND;
        control.UserInputFlag = false;
        control.DelayTime = static_cast<int>(std::min<std::uint32_t>((delayMs + 5) / 10, 0xFFFF));
        control.TransparentColor = 0;
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&control, extension);
        ok = IndexFrame(frames[i], indexes, map) &&
             EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length),
                              extension) == GIF_OK &&
             EGifPutImageDesc(gif.get(), 0, 0, static_cast<int>(width), static_cast<int>(height),
                              false, map.get()) == GIF_OK;
        for (std::uint32_t y = 0; ok && y < height; ++y) {
            ok = EGifPutLine(gif.get(), indexes.data() + std::size_t{y} * width,
                             static_cast<int>(width)) == GIF_OK;
        }
    }
    GifFileType* raw = gif.release();
    ok = EGifCloseFile(raw, &error) == GIF_OK && ok;
    if (!ok) {
        out.clear();
    }
    return out;
}

namespace {

// The temporary files of exports, beside the file each is written for.
constexpr const char* kTempName = ".tessaly-export";

}  // namespace

bool WriteOutputFile(const std::string& path, ByteSpan bytes, bool flush) {
    const auto writeAll = [bytes](CQFile& file) {
        for (std::size_t done = 0; done < bytes.size();) {
            const auto piece =
                static_cast<std::uint32_t>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
            file.Write(bytes.data() + done, piece);
            done += piece;
        }
        return true;
    };
    if (SaveNew(path, kTempName, writeAll, nullptr, flush)) {
        return true;
    }
    // Only a file (or a link) in the way is replaced; a missing folder, a directory there and
    // the like fail as the new file did.
    struct stat there {};
    if (errno != EEXIST || ::lstat(path.c_str(), &there) != 0) {
        return false;
    }
    if (!(S_ISREG(there.st_mode) || S_ISLNK(there.st_mode))) {
        errno = S_ISDIR(there.st_mode) ? EISDIR : EEXIST;
        return false;
    }
    return SaveReplacing(path, kTempName, writeAll, nullptr, flush);
}

}  // namespace tessaly
