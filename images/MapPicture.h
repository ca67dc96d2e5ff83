#pragma once
// Pictures of a facet: each cell drawn in the radar colour of its highest static (the last in
// file order among equals), or of its terrain where it has none, with patch and difference
// records applied. A picture shows a region of tiles at a whole scale up (pixels per tile) or
// down (tiles per pixel; a pixel shows the top-left cell of its square).

#include "Facet.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaly {

class CClientFiles;

// The colours of "radarcol.mul": terrain t at t, item n at 16384 + n (past 16 bits on current
// clients); 0 for anything the file does not hold.
class CRadarTable {
public:
    // Reads the whole file (at most the colours of 16384 terrain tiles and 65536 items).
    void Load(CClientFiles& files);
    void Assign(std::vector<std::uint16_t> colours);
    // The colours read: 0 when the client has no radar colour file (every tile draws black).
    std::size_t Count() const { return m_Colours.size(); }
    std::uint16_t Terrain(std::uint16_t tile) const { return At(tile); }
    std::uint16_t Item(std::uint16_t item) const { return At(kItemBase + std::uint32_t{item}); }
    // The same as opaque 0xAARRGGBB (RadarToArgb), looked up rather than converted.
    std::uint32_t TerrainArgb(std::uint16_t tile) const { return m_Argb[tile]; }
    std::uint32_t ItemArgb(std::uint16_t item) const { return m_Argb[kItemBase + item]; }

    static constexpr std::uint32_t kItemBase = 16384;
    static constexpr std::uint32_t kMaxColours = kItemBase + 65536;

private:
    std::uint16_t At(std::uint32_t i) const { return i < m_Colours.size() ? m_Colours[i] : 0; }
    std::vector<std::uint16_t> m_Colours;
    // Every id's colour, those the file does not hold black: a 16-bit id needs no bound check.
    std::vector<std::uint32_t> m_Argb = std::vector<std::uint32_t>(kMaxColours, 0xFF000000u);
};

// A 16-bit colour (5-5-5) as opaque 0xAARRGGBB.
constexpr std::uint32_t RadarToArgb(std::uint16_t c) {
    const std::uint32_t r = (c >> 10) & 31;
    const std::uint32_t g = (c >> 5) & 31;
    const std::uint32_t b = c & 31;
    return 0xFF000000u | ((r << 3 | r >> 2) << 16) | ((g << 3 | g >> 2) << 8) | (b << 3 | b >> 2);
}

// Tiles x, y (left, top), w, h.
struct MapRegion {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t w = 0;
    std::uint32_t h = 0;
};

// One of the two is 1: zoom pixels per tile, or shrink tiles per pixel.
struct MapScale {
    std::uint32_t zoom = 1;
    std::uint32_t shrink = 1;
};
// "4" (zoom), "1/8" (shrink); false for anything else, 0 or above kMaxMapScale.
bool ParseMapScale(const std::string& text, MapScale& scale);
inline constexpr std::uint32_t kMaxMapScale = 64;

struct MapPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, row by row
};

// The region clipped to the facet (w or h 0 when nothing of it is inside).
MapRegion ClipToFacet(const CFacet& facet, MapRegion region);
// The picture's size in pixels for a (clipped) region.
void MapPictureSize(const MapRegion& region, const MapScale& scale, std::uint32_t& width,
                    std::uint32_t& height);

// Draws the region (clipped to the facet). `cancel` set while drawing stops it early (the
// picture then is incomplete).
MapPicture RenderMap(CFacet& facet, const CRadarTable& colours, MapRegion region, MapScale scale,
                     bool statics, const std::atomic<bool>* cancel = nullptr);

// The radar colour (16-bit) one cell shows: its highest static's, else its terrain's.
std::uint16_t CellColour(const CRadarTable& colours, std::uint16_t terrain,
                         const std::vector<CStaticItem>& blockStatics, std::uint32_t cx,
                         std::uint32_t cy, bool statics);

}  // namespace tessaly
