#include "FontType.h"

#include "Surface.h"

#include <algorithm>

namespace tessaly {

const FontCharacter* MulFont::Find(std::uint32_t code) const {
    if (code < kFirstCode || code - kFirstCode >= kCharacters) {
        return nullptr;
    }
    return &m_Characters[code - kFirstCode];
}

std::uint32_t MulFont::GetHeight() const {
    std::uint32_t height = 0;
    for (const FontCharacter& c : m_Characters) {
        height = std::max<std::uint32_t>(height, c.m_nHeight);
    }
    return height;
}

std::uint32_t MulFont::GetTextWidth(std::string_view text) const {
    std::uint32_t width = 0;
    for (char ch : text) {
        if (const FontCharacter* c = Find(static_cast<std::uint8_t>(ch))) {
            width += c->m_nWidth;
        }
    }
    return width;
}

std::vector<MulFont> ReadFonts(ByteSpan bytes, std::size_t maxFonts) {
    std::vector<MulFont> fonts;
    ByteReader in(bytes);
    while (fonts.size() < maxFonts) {
        MulFont font;
        if (!in.u8(font.m_nHeader)) {
            break;
        }
        for (FontCharacter& c : font.m_Characters) {
            std::uint8_t unused = 0;
            if (!in.has(3)) {
                break;
            }
            in.u8(c.m_nWidth);
            in.u8(c.m_nHeight);
            in.u8(unused);
            const std::optional<ByteSpan> pixels =
                in.bytes(2 * std::size_t{c.m_nWidth} * c.m_nHeight);
            if (!pixels) {
                c = FontCharacter{};  // its pixels are cut off: nothing of it is drawn
                break;
            }
            c.m_Pixels = *pixels;
            ++font.m_nComplete;
        }
        const bool whole = font.m_nComplete == MulFont::kCharacters;
        fonts.push_back(font);
        if (!whole) {
            break;
        }
    }
    return fonts;
}

bool DrawFontCharacter(CSurfaceDCData& surface, const FontCharacter& character, std::int32_t x,
                       std::int32_t y) {
    const std::size_t width = character.m_nWidth;
    if (character.m_Pixels.size() < 2 * width * character.m_nHeight ||
        !surface.ClipImage(x, y, character.m_nWidth, character.m_nHeight)) {
        return false;
    }
    const CQRect visible = surface.m_rVisible;
    for (std::int32_t r = visible.top; r < visible.bottom; ++r) {
        const std::uint8_t* row =
            character.m_Pixels.data() + 2 * width * static_cast<std::size_t>(r);
        // Runs of opaque pixels, each drawn as one span.
        std::size_t start = 0;
        while (start < width) {
            if (LoadLE16(row + 2 * start) == 0) {
                ++start;
                continue;
            }
            std::size_t end = start;
            while (end < width && LoadLE16(row + 2 * end) != 0) {
                ++end;
            }
            DrawRun(x + static_cast<std::int64_t>(start), y + r, row + 2 * start,
                    static_cast<std::int64_t>(end - start));
            start = end;
        }
    }
    return true;
}

void DrawFontText(CSurfaceDCData& surface, const MulFont& font, std::string_view text,
                  std::int32_t x, std::int32_t y) {
    std::int64_t column = x;
    for (char ch : text) {
        const FontCharacter* c = font.Find(static_cast<std::uint8_t>(ch));
        if (c == nullptr) {
            continue;
        }
        if (column > 0x7FFF) {
            break;  // past every surface
        }
        DrawFontCharacter(surface, *c, static_cast<std::int32_t>(column), y);
        column += c->m_nWidth;
    }
}

bool CMulFontType::Load() {
    m_Font.reset();
    CClientFiles& files = Files();
    if (!files.OpenSlot(kSlotFonts)) {
        return false;
    }
    const std::uint64_t length = files.GetFile(kSlotFonts).GetLength();
    if (length == 0 || length > kMaxFileSize) {
        return false;
    }
    IndexRecord record;
    record.m_dwOffset = 0;
    record.m_dwLength = static_cast<std::uint32_t>(length);
    LoadMulData(kSlotFonts, record);
    return IsLoaded();
}

const MulFont* CMulFontType::GetFont() {
    if (!m_Font) {
        if (!EnsureLoaded()) {
            return nullptr;
        }
        std::vector<MulFont> fonts = ReadFonts(GetBytes(), std::size_t{m_nEntry} + 1);
        if (fonts.size() <= m_nEntry) {
            return nullptr;
        }
        m_Font = fonts.back();
    }
    return &*m_Font;
}

}  // namespace tessaly
