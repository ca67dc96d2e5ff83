#include "MapPicture.h"

#include "ClientFiles.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <span>

namespace tessaly {

namespace {

bool ParseScaleNumber(std::string_view text, std::uint32_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value >= 1 &&
           value <= kMaxMapScale;
}

// The highest static of each of a block's 64 cells: its item id + 1, 0 for none.
void HighestStatics(std::span<const CStaticItem> items, std::array<std::uint32_t, 64>& top) {
    std::array<int, 64> z{};
    top.fill(0);
    for (const CStaticItem& item : items) {
        if (item.m_bX >= 8 || item.m_bY >= 8) {
            continue;
        }
        const std::size_t cell = std::size_t{item.m_bY} * 8 + item.m_bX;
        if (top[cell] == 0 || item.m_cZ >= z[cell]) {
            top[cell] = std::uint32_t{item.m_wTile} + 1;
            z[cell] = item.m_cZ;
        }
    }
}

}  // namespace

void CRadarTable::Assign(std::vector<std::uint16_t> colours) {
    m_Colours = std::move(colours);
    m_Colours.resize(std::min<std::size_t>(m_Colours.size(), kMaxColours));
    std::fill(m_Argb.begin(), m_Argb.end(), RadarToArgb(0));
    std::transform(m_Colours.begin(), m_Colours.end(), m_Argb.begin(), RadarToArgb);
}

void CRadarTable::Load(CClientFiles& files) {
    Assign({});
    if (!files.OpenSlot(kSlotRadarCol)) {
        return;
    }
    CQFile& file = files.GetFile(kSlotRadarCol);
    try {
        const std::uint64_t count = std::min<std::uint64_t>(file.GetLength() / 2, kMaxColours);
        std::vector<std::uint8_t> bytes(count * 2);
        file.SeekToBegin();
        const std::uint32_t got = file.Read(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        std::vector<std::uint16_t> colours(got / 2);
        for (std::size_t i = 0; i < colours.size(); ++i) {
            colours[i] = LoadLE16(bytes.data() + i * 2);
        }
        Assign(std::move(colours));
    } catch (const CQFileException&) {
        Assign({});
    }
}

bool ParseMapScale(const std::string& text, MapScale& scale) {
    std::string_view view(text);
    if (view.starts_with("1/")) {
        scale.zoom = 1;
        return ParseScaleNumber(view.substr(2), scale.shrink);
    }
    scale.shrink = 1;
    return ParseScaleNumber(view, scale.zoom);
}

MapRegion ClipToFacet(const CFacet& facet, MapRegion region) {
    const std::uint32_t width = facet.Layout().Width();
    const std::uint32_t height = facet.Layout().Height();
    region.x = std::min(region.x, width);
    region.y = std::min(region.y, height);
    region.w = std::min(region.w, width - region.x);
    region.h = std::min(region.h, height - region.y);
    return region;
}

void MapPictureSize(const MapRegion& region, const MapScale& scale, std::uint32_t& width,
                    std::uint32_t& height) {
    width = (region.w + scale.shrink - 1) / scale.shrink * scale.zoom;
    height = (region.h + scale.shrink - 1) / scale.shrink * scale.zoom;
}

std::uint16_t CellColour(const CRadarTable& colours, std::uint16_t terrain,
                         const std::vector<CStaticItem>& blockStatics, std::uint32_t cx,
                         std::uint32_t cy, bool statics) {
    if (statics) {
        std::array<std::uint32_t, 64> top{};
        HighestStatics(blockStatics, top);
        if (const std::uint32_t item = top[(cy % 8) * 8 + cx % 8]; item != 0) {
            return colours.Item(static_cast<std::uint16_t>(item - 1));
        }
    }
    return colours.Terrain(terrain);
}

MapPicture RenderMap(CFacet& facet, const CRadarTable& colours, MapRegion region, MapScale scale,
                     bool statics, const std::atomic<bool>* cancel) {
    region = ClipToFacet(facet, region);
    scale.zoom = std::clamp<std::uint32_t>(scale.zoom, 1, kMaxMapScale);
    scale.shrink = std::clamp<std::uint32_t>(scale.shrink, 1, kMaxMapScale);
    MapPicture picture;
    MapPictureSize(region, scale, picture.width, picture.height);
    picture.pixels.assign(std::size_t{picture.width} * picture.height, 0xFF000000u);
    if (picture.pixels.empty()) {
        return picture;
    }
    const std::uint32_t n = scale.shrink;
    const std::uint32_t zoom = scale.zoom;
    const std::uint32_t by0 = region.y / 8;
    const std::uint32_t by1 = (region.y + region.h - 1) / 8 + 1;
    // Block columns are read a group at a time and drawn row by row across the group, so the
    // picture is written in runs along its rows rather than in narrow strips down them.
    constexpr std::uint32_t kGroup = 16;
    struct Column {
        std::uint32_t bx = 0;
        std::uint32_t firstX = 0;  // the first sampled tile column inside it
        std::vector<std::uint8_t> map;
        std::vector<CStaticItem> statics;  // of block row by0 + i: from starts[i] on
        std::vector<std::uint32_t> starts;
    };
    std::vector<Column> group(kGroup);
    std::array<std::uint32_t, 64> top{};
    const std::uint32_t lastBx = (region.x + region.w - 1) / 8;
    for (std::uint32_t groupBx = region.x / 8; groupBx <= lastBx; groupBx += kGroup) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            break;
        }
        std::size_t used = 0;
        for (std::uint32_t bx = groupBx; bx <= std::min(lastBx, groupBx + kGroup - 1); ++bx) {
            const std::uint32_t left = std::max(region.x, bx * 8);
            const std::uint32_t firstX = region.x + (left - region.x + n - 1) / n * n;
            if (firstX >= std::min(region.x + region.w, bx * 8 + 8)) {
                continue;  // no sampled tile in this block column
            }
            Column& column = group[used++];
            column.bx = bx;
            column.firstX = firstX;
            const std::uint32_t first = facet.BlockOf(bx, by0);
            facet.ReadMapRun(first, by1 - by0, column.map);
            if (statics) {
                facet.ReadStaticsRun(first, by1 - by0, column.statics, column.starts);
            }
        }
        for (std::uint32_t by = by0; by < by1; ++by) {
            const std::uint32_t topY = std::max(region.y, by * 8);
            const std::uint32_t firstY = region.y + (topY - region.y + n - 1) / n * n;
            const std::uint32_t bottom = std::min(region.y + region.h, by * 8 + 8);
            if (firstY >= bottom) {
                continue;
            }
            for (std::size_t g = 0; g < used; ++g) {
                const Column& column = group[g];
                const std::uint8_t* block =
                    column.map.data() + std::size_t{by - by0} * CMapBlock::kSize + 4;
                if (statics) {
                    const std::uint32_t* start = column.starts.data() + (by - by0);
                    HighestStatics(std::span<const CStaticItem>(column.statics)
                                       .subspan(start[0], start[1] - start[0]),
                                   top);
                }
                // Only the sampled cells' colours are looked up (one a block at 1/8); without
                // statics `top` stays all 0.
                const auto argb = [&](std::uint32_t cell) {
                    return top[cell] != 0
                               ? colours.ItemArgb(static_cast<std::uint16_t>(top[cell] - 1))
                               : colours.TerrainArgb(LoadLE16(block + cell * CMapCell::kSize));
                };
                const std::uint32_t right = std::min(region.x + region.w, column.bx * 8 + 8);
                const std::uint32_t px0 = (column.firstX - region.x) / n * zoom;
                const std::uint32_t px1 = (right - 1 - region.x) / n * zoom + zoom;
                for (std::uint32_t cy = firstY; cy < bottom; cy += n) {
                    const std::uint32_t py = (cy - region.y) / n * zoom;
                    std::uint32_t* row = picture.pixels.data() + std::size_t{py} * picture.width;
                    const std::uint32_t cells = (cy % 8) * 8;
                    if (zoom == 1) {
                        // One pixel a sampled cell, side by side.
                        std::uint32_t* pixel = row + px0;
                        for (std::uint32_t cx = column.firstX; cx < right; cx += n) {
                            *pixel++ = argb(cells + cx % 8);
                        }
                    } else {
                        for (std::uint32_t cx = column.firstX; cx < right; cx += n) {
                            std::fill_n(row + (cx - region.x) / n * zoom, zoom,
                                        argb(cells + cx % 8));
                        }
                    }
                    // The other rows of a zoomed cell repeat the first.
                    for (std::uint32_t dy = 1; dy < zoom; ++dy) {
                        std::copy(row + px0, row + px1,
                                  row + std::size_t{dy} * picture.width + px0);
                    }
                }
            }
        }
    }
    return picture;
}

}  // namespace tessaly
