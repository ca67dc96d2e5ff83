// tessaly-cli render-map: a facet, or a region of it, drawn as the map view draws it.

#include "Cli.h"
#include "ClientFiles.h"
#include "DataExport.h"
#include "EntryPicture.h"
#include "Facet.h"
#include "MapPicture.h"
#include "PngFile.h"
#include "Text.h"

#include <QJsonObject>

#include <iostream>
#include <ostream>

namespace tessaly::cli {
namespace {

int ParseFacet(const std::string& text) {
    for (int f = 0; f < kFacetCount; ++f) {
        if (Latin1Lower(text) == Latin1Lower(FacetName(f)) || text == std::to_string(f)) {
            return f;
        }
    }
    throw UsageError("no facet '" + text +
                     "' (0 to 5, or Felucca, Trammel, Ilshenar, Malas, "
                     "Tokuno, Ter Mur)");
}

MapRegion ParseRegion(const std::string& text) {
    const auto refuse = [] {
        return UsageError("--region wants X,Y,W,H in tiles (W and H above 0)");
    };
    // Four numbers as every command takes them (decimal or 0x-hex, never negative).
    std::uint32_t v[4] = {};
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t end = i < 3 ? text.find(',', at) : text.size();
        if (end == std::string::npos) {
            throw refuse();
        }
        try {
            v[i] = ParseNumber(text.substr(at, end - at), "region", 0xFFFFFFFF);
        } catch (const UsageError&) {
            throw refuse();
        }
        at = end + 1;
    }
    if (v[2] == 0 || v[3] == 0) {
        throw refuse();
    }
    return {v[0], v[1], v[2], v[3]};
}

int RunRenderMap(Invocation& inv) {
    const int facetNumber = ParseFacet(inv.Arg(0, "facet"));
    const std::string& path = inv.OutputArg(1, "output file");
    CFacet facet;
    if (!facet.Open(TheClientFiles(), facetNumber)) {
        throw UsageError(FacetName(facetNumber) + ": " + facet.Warning());
    }
    if (!facet.Warning().empty()) {
        std::cerr << "tessaly-cli: " << FacetName(facetNumber) << ": " << facet.Warning() << '\n';
    }
    MapRegion region{0, 0, facet.Layout().Width(), facet.Layout().Height()};
    if (const std::string* text = inv.Value("--region")) {
        region = ParseRegion(*text);
    }
    const MapRegion clipped = ClipToFacet(facet, region);
    if (clipped.w == 0 || clipped.h == 0) {
        throw UsageError("the region lies outside " + FacetName(facetNumber) + " (" +
                         std::to_string(facet.Layout().Width()) + " x " +
                         std::to_string(facet.Layout().Height()) + " tiles)");
    }
    MapScale scale;
    if (const std::string* text = inv.Value("--scale");
        text != nullptr && !ParseMapScale(*text, scale)) {
        throw UsageError(
            "--scale wants N (pixels per tile) or 1/N (tiles per pixel), N from 1 "
            "to 64");
    }
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    MapPictureSize(clipped, scale, width, height);
    // The picture is held whole (4 bytes a pixel) while it is encoded: past the largest picture
    // made off screen it would take gigabytes.
    if (std::uint64_t{width} * height > kMaxPicturePixels) {
        throw UsageError("the picture would be " + std::to_string(width) + " x " +
                         std::to_string(height) +
                         " pixels, more than 8192 x 8192; choose a smaller region or scale");
    }
    CRadarTable colours;
    colours.Load(TheClientFiles());
    if (colours.Count() == 0) {
        throw UsageError(
            "the client has no radar colours (radarcol.mul is missing or empty): the map is "
            "drawn in them");
    }
    MapPicture picture = RenderMap(facet, colours, clipped, scale, !inv.HasFlag("--no-statics"));
    if (facet.UnreadBlocks() != 0) {
        std::cerr << "tessaly-cli: " << FacetName(facetNumber) << ": " << facet.UnreadBlocks()
                  << " map blocks cannot be read (damaged) and are drawn black\n";
    }
    if (facet.UnreadStatics() != 0) {
        std::cerr << "tessaly-cli: " << FacetName(facetNumber) << ": the statics of "
                  << facet.UnreadStatics()
                  << " blocks cannot be read (damaged) and are drawn without them\n";
    }
    const std::vector<std::uint8_t> png =
        EncodePng(picture.width, picture.height, [&picture](std::uint32_t y, std::uint8_t* rgb) {
            const std::uint32_t* p = picture.pixels.data() + std::size_t{y} * picture.width;
            for (std::uint32_t x = 0; x < picture.width; ++x, ++p) {
                *rgb++ = static_cast<std::uint8_t>(*p >> 16);
                *rgb++ = static_cast<std::uint8_t>(*p >> 8);
                *rgb++ = static_cast<std::uint8_t>(*p);
            }
        });
    if (png.empty()) {
        throw UsageError("cannot write '" + path + "'");
    }
    if (const std::string failed = WriteExport(
            path, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));
        !failed.empty()) {
        throw UsageError(failed);
    }
    if (inv.json) {
        QJsonObject o;
        o["facet"] = facetNumber;
        o["x"] = static_cast<qint64>(clipped.x);
        o["y"] = static_cast<qint64>(clipped.y);
        o["w"] = static_cast<qint64>(clipped.w);
        o["h"] = static_cast<qint64>(clipped.h);
        o["width"] = static_cast<qint64>(picture.width);
        o["height"] = static_cast<qint64>(picture.height);
        o["file"] = LocalString(path);
        inv.PrintJson(o);
    } else {
        *inv.out << FacetName(facetNumber) << " " << clipped.x << "," << clipped.y << " "
                 << clipped.w << " x " << clipped.h << " tiles: " << picture.width << " x "
                 << picture.height << " written to " << path << '\n';
    }
    return 0;
}

CommandRegistrar renderMap({"render-map",
                            "FACET OUT.png [--region X,Y,W,H] [--scale N] [--no-statics]",
                            "a facet (0-5 or its name) drawn from radar colours as a PNG file; "
                            "--region in tiles, --scale N pixels per tile or 1/N tiles per pixel",
                            true, RunRenderMap});

}  // namespace
}  // namespace tessaly::cli
