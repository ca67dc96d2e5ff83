#include "LightType.h"

#include "EntryReader.h"

#include <algorithm>

namespace tessaly {

std::uint16_t LightPixel(std::uint8_t intensity) {
    const auto grey = static_cast<std::uint16_t>(std::min<unsigned>(intensity, 31));
    return static_cast<std::uint16_t>(grey << 10 | grey << 5 | grey);
}

bool CTileLightType::Load() {
    IndexRecord record;
    if (!ReadIndex(kSlotLightIdx, kSlotLight, m_nEntry, record)) {
        return false;
    }
    m_nWidth = record.m_wExtra2;
    m_nHeight = record.m_wExtra1;
    CEntryReader reader(Files(), kSlotLight, record, m_Data);
    // One byte a pixel and nothing past them. A shorter record draws the rows it holds, as a
    // picture with rows cut off does; bytes without a size, or holding fewer than half the rows,
    // are no light.
    const std::uint64_t size = std::uint64_t{m_nWidth} * m_nHeight;
    if (reader.Length() != 0 && (size == 0 || 2 * (reader.Length() / m_nWidth) < m_nHeight)) {
        reader.Damaged();
    }
    reader.Keep(size);
    return true;
}

bool CTileLightType::Draw(CSurfaceDCData& surface, std::int32_t x, std::int32_t y) {
    return DrawData(surface, GetBytes(), m_nWidth, m_nHeight, x, y);
}

bool CTileLightType::DrawData(CSurfaceDCData& surface, ByteSpan data, std::uint32_t width,
                              std::uint32_t height, std::int32_t x, std::int32_t y) {
    if (width > 0xFFFF || height > 0xFFFF ||
        !surface.ClipImage(x, y, static_cast<std::int32_t>(width),
                           static_cast<std::int32_t>(height))) {
        return false;
    }
    const CQRect visible = surface.m_rVisible;
    const std::size_t count = static_cast<std::size_t>(visible.Width());
    // Bytes become words in a small stack buffer, a piece of the row at a time.
    constexpr std::size_t kPiece = 256;
    std::uint8_t words[2 * kPiece];
    for (std::int32_t r = visible.top; r < visible.bottom; ++r) {
        const std::size_t pos = static_cast<std::size_t>(r) * width + visible.left;
        if (!FitsIn(pos, count, data.size())) {
            break;
        }
        std::uint8_t* destination = surface.m_Buffer.GetPixelPointer(x + visible.left, y + r);
        for (std::size_t done = 0; done < count;) {
            const std::size_t n = std::min(kPiece, count - done);
            for (std::size_t i = 0; i < n; ++i) {
                const std::uint16_t word = LightPixel(data[pos + done + i]);
                words[2 * i] = static_cast<std::uint8_t>(word & 0xFF);
                words[2 * i + 1] = static_cast<std::uint8_t>(word >> 8);
            }
            CopyPixels(destination + 2 * done, words, static_cast<std::int32_t>(n));
            done += n;
        }
    }
    return true;
}

}  // namespace tessaly
