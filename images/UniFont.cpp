#include "UniFont.h"

#include "TextFiles.h"

#include <algorithm>

namespace tessaly {

namespace {

std::size_t RowBytes(std::uint8_t width) {
    return (static_cast<std::size_t>(width) + 7) / 8;
}

}  // namespace

bool UniGlyph::Pixel(std::uint32_t px, std::uint32_t py) const {
    if (px >= width || py >= height) {
        return false;
    }
    const std::uint8_t byte = bits[py * RowBytes(width) + px / 8];
    return (byte & (0x80u >> (px % 8))) != 0;
}

std::int32_t UniGlyph::Advance() const {
    return std::max<std::int32_t>(x + width + 1, 1);
}

void CUniFont::Parse(std::vector<std::uint8_t> bytes) {
    m_Bytes = std::move(bytes);
}

std::optional<UniGlyph> CUniFont::Glyph(std::uint16_t code) const {
    const std::size_t entry = std::size_t{code} * 4;
    if (!FitsIn(entry, 4, m_Bytes.size())) {
        return std::nullopt;
    }
    const std::uint32_t offset = LoadLE32(m_Bytes.data() + entry);
    if (offset == 0) {
        return std::nullopt;
    }
    ByteReader in(m_Bytes);
    UniGlyph glyph;
    if (!in.seek(offset) || !in.i8(glyph.x) || !in.i8(glyph.y) || !in.u8(glyph.width) ||
        !in.u8(glyph.height)) {
        return std::nullopt;
    }
    const auto bits = in.bytes(RowBytes(glyph.width) * glyph.height);
    if (!bits) {
        return std::nullopt;
    }
    glyph.bits = *bits;
    return glyph;
}

std::vector<std::uint16_t> CUniFont::Codes() const {
    std::vector<std::uint16_t> codes;
    for (std::uint32_t code = 0; code < kCodes; ++code) {
        if (Glyph(static_cast<std::uint16_t>(code))) {
            codes.push_back(static_cast<std::uint16_t>(code));
        }
    }
    return codes;
}

std::uint32_t CUniFont::CountBrokenGlyphs() const {
    std::uint32_t broken = 0;
    for (std::uint32_t code = 0; code < kCodes; ++code) {
        const std::size_t entry = std::size_t{code} * 4;
        if (!FitsIn(entry, 4, m_Bytes.size())) {
            broken += kCodes - code;
            break;
        }
        // 0, or an offset outside the file, is a code unit without a glyph.
        const std::uint32_t offset = LoadLE32(m_Bytes.data() + entry);
        if (offset != 0 && offset < m_Bytes.size() && !Glyph(static_cast<std::uint16_t>(code))) {
            ++broken;
        }
    }
    return broken;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    while (!text.empty()) {
        std::size_t valid = ValidUtf8Prefix(text.substr(0, std::min<std::size_t>(text.size(), 4)));
        const auto* p = reinterpret_cast<const unsigned char*>(text.data());
        std::size_t n = p[0] < 0x80 ? 1 : p[0] < 0xE0 ? 2 : p[0] < 0xF0 ? 3 : 4;
        if (valid < n) {
            out.push_back(u'\uFFFD');
            text.remove_prefix(1);
            continue;
        }
        std::uint32_t code = n == 1 ? p[0] : p[0] & (0x7Fu >> n);
        for (std::size_t k = 1; k < n; ++k) {
            code = (code << 6) | (p[k] & 0x3Fu);
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        text.remove_prefix(n);
    }
    return out;
}

void DrawUniGlyph(SurfaceBuffer& buffer, const UniGlyph& glyph, std::int32_t x, std::int32_t y,
                  std::uint16_t colour) {
    const auto width = static_cast<std::int32_t>(buffer.GetWidth());
    const auto height = static_cast<std::int32_t>(buffer.GetHeight());
    for (std::uint32_t py = 0; py < glyph.height; ++py) {
        const std::int32_t ty = y + glyph.y + static_cast<std::int32_t>(py);
        if (ty < 0 || ty >= height) {
            continue;
        }
        for (std::uint32_t px = 0; px < glyph.width; ++px) {
            const std::int32_t tx = x + glyph.x + static_cast<std::int32_t>(px);
            if (tx >= 0 && tx < width && glyph.Pixel(px, py)) {
                StoreLE16(buffer.GetPixelPointer(tx, ty), colour);
            }
        }
    }
}

std::u16string UniFontSample(const CUniFont& font) {
    std::u16string sample = Utf8ToUtf16(kUniFontSample);
    if (std::any_of(sample.begin(), sample.end(), [&font](char16_t code) {
            const std::optional<UniGlyph> glyph = font.Glyph(code);
            return glyph && glyph->width > 0 && glyph->height > 0;
        })) {
        return sample;
    }
    constexpr std::size_t kGlyphs = 64;  // as many as the sample line has characters, and more
    std::vector<std::uint16_t> codes = font.Codes();
    codes.resize(std::min(codes.size(), kGlyphs));
    return {codes.begin(), codes.end()};
}

bool DrawUniText(const CUniFont& font, std::u16string_view text, SurfaceBuffer& buffer,
                 std::uint16_t colour, std::uint32_t maxWidth) {
    buffer.Release();
    std::int64_t pen = 0;
    std::int32_t top = 0;
    std::int32_t bottom = 0;
    std::int32_t left = 0;
    std::int64_t right = 0;
    for (char16_t code : text) {
        if (const auto glyph = font.Glyph(static_cast<std::uint16_t>(code))) {
            left = std::min<std::int32_t>(left, static_cast<std::int32_t>(pen) + glyph->x);
            right = std::max<std::int64_t>(right, pen + glyph->x + glyph->width);
            top = std::min<std::int32_t>(top, glyph->y);
            bottom = std::max<std::int32_t>(bottom, glyph->y + glyph->height);
            pen += glyph->Advance();
        } else {
            pen += CUniFont::kBlankAdvance;
        }
        if (pen - left > maxWidth) {
            return false;
        }
    }
    right = std::max<std::int64_t>(right, pen);
    if (right - left <= 0 || bottom - top <= 0 || right - left > maxWidth) {
        return false;
    }
    if (!buffer.CreateBuffer(static_cast<std::uint32_t>(right - left),
                             static_cast<std::uint32_t>(bottom - top))) {
        buffer.ClearBuffer();
    }
    std::int32_t x = -left;
    for (char16_t code : text) {
        if (const auto glyph = font.Glyph(static_cast<std::uint16_t>(code))) {
            DrawUniGlyph(buffer, *glyph, x, -top, colour);
            x += glyph->Advance();
        } else {
            x += CUniFont::kBlankAdvance;
        }
    }
    return true;
}

}  // namespace tessaly
