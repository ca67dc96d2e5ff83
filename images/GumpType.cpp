#include "GumpType.h"

#include "EntryReader.h"

#include <algorithm>

namespace tessaly {

namespace {
// Reads a gump's bytes as its rows ask for them and keeps what the picture takes: the row
// table and every row's pairs up to the width. Every row is walked once first: a row reaching
// past the record or whose runs add up past the width does not hold together, and a table
// past the record or most rows not holding together make the entry damaged.
void ReadGump(CEntryReader& reader, const std::vector<std::uint8_t>& data, std::uint64_t width,
              std::uint64_t height) {
    if (reader.Length() == 0) {
        return;  // a patch record's deletion: no bytes
    }
    // Bytes without rows are no gump (and an empty block would save as a deletion).
    if (height == 0 || !reader.Need(4 * height)) {
        reader.Damaged();
    }
    // A row holds at most width pairs.
    std::uint64_t last = 0;
    for (std::uint64_t r = 0; r < height; ++r) {
        last = std::max<std::uint64_t>(last, LoadLE32(data.data() + 4 * r));
    }
    const auto walkRow = [&](std::uint64_t r) -> std::optional<std::uint64_t> {
        std::uint64_t pos = 4 * std::uint64_t{LoadLE32(data.data() + 4 * r)};
        // Runs of 0 add nothing: a row of more pairs than pixels is no row.
        std::uint64_t pairs = 0;
        for (std::uint64_t total = 0; total < width; pos += 4) {
            if (++pairs > width || !reader.TakeStep() || !reader.Need(pos + 4)) {
                return std::nullopt;
            }
            total += LoadLE16(data.data() + pos + 2);
            if (total > width) {
                return std::nullopt;
            }
        }
        return pos;
    };
    reader.KeepRows(height, 4 * height, 4 * last + 4 * width, walkRow);
}
}  // namespace

bool CTileGumpType::Load() {
    IndexRecord record;
    if (!ReadIndex(kSlotGumpIdx, kSlotGumpArt, m_nEntry, record)) {
        return false;
    }
    TakeRecord(record);
    CEntryReader reader(Files(), kSlotGumpArt, record, m_Data);
    ReadGump(reader, m_Data, m_nWidth, m_nHeight);
    return true;
}

void CTileGumpType::TakeRecord(const IndexRecord& record) {
    m_nWidth = record.m_wExtra2;
    m_nHeight = record.m_wExtra1;
}

bool CTileGumpType::Draw(CSurfaceDCData& surface, std::int32_t x, std::int32_t y,
                         std::uint16_t hue) {
    if (GetData() == nullptr) {
        return false;
    }
    return DrawData(surface, GetBytes(), m_nWidth, m_nHeight, x, y, hue);
}

namespace {
// Answers whether the row's pairs, until their runs reach the width, lie inside the block.
bool GumpRowFits(ByteSpan data, std::size_t pos, std::uint32_t width) {
    std::uint64_t total = 0;
    while (total < width) {
        if (!FitsIn(pos, 4, data.size())) {
            return false;
        }
        total += LoadLE16(data.data() + pos + 2);
        pos += 4;
    }
    return true;
}
}  // namespace

bool CTileGumpType::DrawData(CSurfaceDCData& surface, ByteSpan data, std::uint32_t width,
                             std::uint32_t height, std::int32_t x, std::int32_t y,
                             std::uint16_t hue) {
    if (width > 0xFFFF || height > 0xFFFF ||
        !surface.ClipImage(x, y, static_cast<std::int32_t>(width),
                           static_cast<std::int32_t>(height))) {
        return false;
    }
    surface.SetHue(hue);
    const CQRect visible = surface.m_rVisible;
    for (std::int32_t r = visible.top; r < visible.bottom; ++r) {
        const std::size_t tablePos = 4 * static_cast<std::size_t>(r);
        if (!FitsIn(tablePos, 4, data.size())) {
            break;
        }
        std::size_t pos = 4 * static_cast<std::size_t>(LoadLE32(data.data() + tablePos));
        if (!GumpRowFits(data, pos, width)) {
            continue;
        }
        std::uint8_t* row = surface.m_Buffer.GetRowPointer(y + r);
        std::uint64_t column = 0;
        while (column < width) {
            const std::uint16_t colour = LoadLE16(data.data() + pos);
            const std::uint16_t run = LoadLE16(data.data() + pos + 2);
            pos += 4;
            if (colour != 0) {
                FillSpan(x + static_cast<std::int64_t>(column), row, colour, run);
            }
            column += run;
        }
    }
    surface.SetHue(0);
    return true;
}

}  // namespace tessaly
