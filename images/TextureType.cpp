#include "TextureType.h"

#include "EntryReader.h"

namespace tessaly {

bool CTileTextureType::Load() {
    IndexRecord record;
    if (!ReadIndex(kSlotTexIdx, kSlotTexMaps, m_nEntry, record)) {
        return false;
    }
    const std::uint32_t edge = EdgeForLength(record.GetLength());
    if (edge != 0) {
        m_nEdge = edge;
    }
    // A texture is its square of pixels; a record of another length draws nothing, and
    // nothing of it is read.
    CEntryReader(Files(), kSlotTexMaps, record, m_Data).Keep(2 * std::uint64_t{edge} * edge);
    return true;
}

std::uint32_t CTileTextureType::EdgeForLength(std::size_t length) {
    switch (length) {
        case 64 * 64 * 2:
            return 64;
        case 128 * 128 * 2:
            return 128;
        default:
            return 0;
    }
}

bool CTileTextureType::Draw(CSurfaceDCData& surface, std::int32_t x, std::int32_t y) {
    return DrawData(surface, GetBytes(), m_nEdge, x, y);
}

bool CTileTextureType::DrawData(CSurfaceDCData& surface, ByteSpan data, std::uint32_t edge,
                                std::int32_t x, std::int32_t y) {
    const auto size = static_cast<std::int32_t>(edge);
    if (edge > 0x7FFF || !surface.ClipImage(x, y, size, size)) {
        return false;
    }
    const CQRect visible = surface.m_rVisible;
    const std::size_t count = static_cast<std::size_t>(visible.Width());
    for (std::int32_t r = visible.top; r < visible.bottom; ++r) {
        const std::size_t pos = 2 * (static_cast<std::size_t>(r) * edge + visible.left);
        if (!FitsIn(pos, 2 * count, data.size())) {
            break;
        }
        CopyPixels(surface.m_Buffer.GetPixelPointer(x + visible.left, y + r), data.data() + pos,
                   visible.Width());
    }
    return true;
}

}  // namespace tessaly
