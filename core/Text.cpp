#include "Text.h"

#include <cstdarg>
#include <cstdio>

namespace tessaly {

std::uint32_t ReadHex(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\v' || text[i] == '\f')) {
        ++i;
    }
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        std::uint32_t digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        } else {
            break;
        }
        value = (value << 4) | digit;
    }
    return value;
}

std::string Format(const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0) {
        return std::string();
    }
    return std::string(buffer, static_cast<std::size_t>(n) < sizeof buffer
                                   ? static_cast<std::size_t>(n)
                                   : sizeof buffer - 1);
}

std::string Latin1ToUtf8(std::string_view text) {
    std::string utf8;
    utf8.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

}  // namespace tessaly

std::string MakeFilePath(std::string_view dir, std::string_view name) {
    std::string path(dir);
    if (!path.empty() && path.back() != '/' && path.back() != '\\') {
        path += '/';
    }
    path += name;
    return path;
}
