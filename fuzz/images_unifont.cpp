// Fuzzes the Unicode font reader: the input is read as a font, its code points listed, and a
// line of text and every glyph of the first code units drawn.

#include "UniFont.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    CUniFont font;
    font.Parse(std::vector<std::uint8_t>(data, data + size));
    const std::vector<std::uint16_t> codes = font.Codes();
    SurfaceBuffer line;
    DrawUniText(font, Utf8ToUtf16("The quick \xC3\xA9 fox \xE4\xB8\x80"), line, 0x7FFF, 512);
    std::u16string first;
    for (std::size_t i = 0; i < codes.size() && i < 64; ++i) {
        first.push_back(static_cast<char16_t>(codes[i]));
    }
    DrawUniText(font, first, line, 0x7FFF);
    return 0;
}
