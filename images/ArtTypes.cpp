#include "ArtTypes.h"

#include "EntryReader.h"
#include "TileData.h"

#include <algorithm>

namespace tessaly {

// ---- items ----

CTileItemType::CTileItemType(std::uint32_t entry, CClientFiles& files)
    : CMulImageType(entry, files) {}
CTileItemType::~CTileItemType() = default;

namespace {
// Reads an item's bytes as its rows ask for them and keeps what the picture takes: the header,
// the row table and every row up to its closing pair. Every row is walked once first: a row
// reaching past the record or past the picture's width does not hold together, and a table
// past the record or most rows not holding together make the entry damaged, found before any
// picture is made for it (a record of garbage would otherwise decode to a picture of hundreds
// of megabytes).
void ReadItem(CEntryReader& reader, const std::vector<std::uint8_t>& data) {
    if (reader.Length() == 0) {
        return;  // a patch record's deletion: no bytes
    }
    if (!reader.Need(8)) {
        reader.Damaged();
    }
    const std::uint64_t width = LoadLE16(data.data() + 4);
    const std::uint64_t height = LoadLE16(data.data() + 6);
    const std::uint64_t rowData = 8 + 2 * height;
    if (!reader.Need(rowData)) {
        reader.Damaged();
    }
    // A row within the width holds at most width + 1 pairs and width pixels.
    std::uint64_t last = 0;
    for (std::uint64_t r = 0; r < height; ++r) {
        last = std::max<std::uint64_t>(last, LoadLE16(data.data() + 8 + 2 * r));
    }
    const std::uint64_t reach = rowData + 2 * last + 4 * (width + 1) + 2 * width;
    const auto walkRow = [&](std::uint64_t r) -> std::optional<std::uint64_t> {
        std::uint64_t pos = rowData + 2 * std::uint64_t{LoadLE16(data.data() + 8 + 2 * r)};
        std::uint64_t column = 0;
        for (;;) {
            if (!reader.TakeStep() || !reader.Need(pos + 4)) {
                return std::nullopt;
            }
            const std::uint16_t step = LoadLE16(data.data() + pos);
            const std::uint16_t run = LoadLE16(data.data() + pos + 2);
            pos += 4;
            if (run == 0) {
                return pos;
            }
            column += std::uint64_t{step} + run;
            pos += 2 * std::uint64_t{run};
            if (column > width || !reader.Need(pos)) {
                return std::nullopt;
            }
        }
    };
    reader.KeepRows(height, rowData, reach, walkRow);
}
}  // namespace

bool CTileItemType::Load() {
    IndexRecord record;
    if (!ReadIndex(kSlotArtIdx, kSlotArt, m_nEntry + kIndexBase, record)) {
        return false;
    }
    CEntryReader reader(Files(), kSlotArt, record, m_Data);
    ReadItem(reader, m_Data);
    return true;
}

std::uint32_t CTileItemType::GetWidth() const {
    return m_Data.size() >= 6 ? LoadLE16(m_Data.data() + 4) : 0;
}

std::uint32_t CTileItemType::GetHeight() const {
    return m_Data.size() >= 8 ? LoadLE16(m_Data.data() + 6) : 0;
}

bool CTileItemType::Draw(CSurfaceDCData& surface, std::int32_t x, std::int32_t y) {
    if (GetData() == nullptr) {
        return false;
    }
    return DrawData(surface, GetBytes(), x, y);
}

CTileItemInfo* CTileItemType::GetTileData() {
    if (!m_pTileData) {
        auto info = std::make_unique<CTileItemInfo>();
        info->ReadInfo(static_cast<std::int32_t>(m_nEntry), Files());
        m_pTileData = std::move(info);
    }
    return m_pTileData.get();
}

namespace {
// Walks one item row from byte position pos and answers whether all its pairs and pixels,
// up to and including the closing pair, lie inside the block.
bool ItemRowFits(ByteSpan data, std::size_t pos) {
    for (;;) {
        if (!FitsIn(pos, 4, data.size())) {
            return false;
        }
        const std::size_t run = LoadLE16(data.data() + pos + 2);
        pos += 4;
        if (run == 0) {
            return true;
        }
        if (!FitsIn(pos, 2 * run, data.size())) {
            return false;
        }
        pos += 2 * run;
    }
}
}  // namespace

bool CTileItemType::DrawData(CSurfaceDCData& surface, ByteSpan data, std::int32_t x,
                             std::int32_t y) {
    if (data.size() < 8) {
        return false;
    }
    const std::int32_t width = LoadLE16(data.data() + 4);
    const std::int32_t height = LoadLE16(data.data() + 6);
    if (!surface.ClipImage(x, y, width, height)) {
        return false;
    }
    const CQRect visible = surface.m_rVisible;
    const std::size_t rowData = 8 + 2 * static_cast<std::size_t>(height);
    for (std::int32_t r = visible.top; r < visible.bottom; ++r) {
        const std::size_t tablePos = 8 + 2 * static_cast<std::size_t>(r);
        if (!FitsIn(tablePos, 2, data.size())) {
            break;  // the table itself is cut off: no later row has an entry either
        }
        std::size_t pos = rowData + 2 * static_cast<std::size_t>(LoadLE16(data.data() + tablePos));
        if (!ItemRowFits(data, pos)) {
            continue;
        }
        std::uint8_t* row = surface.m_Buffer.GetRowPointer(y + r);
        std::int64_t column = x;
        for (;;) {
            const std::uint16_t step = LoadLE16(data.data() + pos);
            const std::uint16_t run = LoadLE16(data.data() + pos + 2);
            pos += 4;
            if (run == 0) {
                break;
            }
            column += step;
            DrawSpan(column, row, data.data() + pos, run);
            column += run;
            pos += 2 * static_cast<std::size_t>(run);
        }
    }
    return true;
}

// ---- terrain ----

CTileTerrainType::CTileTerrainType(std::uint32_t entry, CClientFiles& files)
    : CMulImageType(entry & 0xFFFF, files) {}
CTileTerrainType::~CTileTerrainType() = default;

bool CTileTerrainType::Load() {
    // The art records from kArtItemBase on are items': a terrain number there names no tile.
    IndexRecord record;
    if (m_nEntry >= kArtItemBase || !ReadIndex(kSlotArtIdx, kSlotArt, m_nEntry, record)) {
        return false;
    }
    // The diamond's pixels and nothing past them (a shorter record draws the rows it holds).
    CEntryReader(Files(), kSlotArt, record, m_Data).Keep(2 * kPixelCount);
    return true;
}

bool CTileTerrainType::Draw(CSurfaceDCData& surface, std::int32_t x, std::int32_t y) {
    if (m_nEntry == kNoDrawTile) {
        return false;
    }
    if (!surface.ClipImage(x - 22, y, kSize, kSize)) {
        return false;
    }
    if (GetData() == nullptr) {
        return false;
    }
    return DrawData(surface, GetBytes(), x, y);
}

CTileTerrainInfo* CTileTerrainType::GetTileData() {
    if (!m_pTileData) {
        auto info = std::make_unique<CTileTerrainInfo>();
        info->ReadInfo(static_cast<std::uint16_t>(m_nEntry), Files());
        m_pTileData = std::move(info);
    }
    return m_pTileData.get();
}

bool CTileTerrainType::DrawData(CSurfaceDCData& surface, ByteSpan data, std::int32_t x,
                                std::int32_t y) {
    if (!surface.ClipImage(x - 22, y, kSize, kSize)) {
        return false;
    }
    std::size_t pos = 0;
    for (std::int32_t k = 0; k < kSize; ++k) {
        const std::int32_t half = k < 22 ? k : 43 - k;
        const std::int32_t count = 2 * (half + 1);
        if (!FitsIn(pos, 2 * static_cast<std::size_t>(count), data.size())) {
            break;
        }
        DrawRun(x - half, y + k, data.data() + pos, count);
        pos += 2 * static_cast<std::size_t>(count);
    }
    return true;
}

}  // namespace tessaly
