#include "GumpType.h"

namespace tessaly {

bool CTileGumpType::Load() {
    IndexRecord record;
    if (!ReadIndex(kSlotGumpIdx, kSlotGumpArt, m_nEntry, record)) {
        return false;
    }
    TakeRecord(record);
    LoadMulData(kSlotGumpArt, record);
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
