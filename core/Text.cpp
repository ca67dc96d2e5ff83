#include "Text.h"

#include <algorithm>
#include <charconv>
#include <cstdarg>
#include <cstdio>

namespace tessaly {

namespace {

// White space as the C library's isspace sees it in the "C" locale.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

std::uint32_t ReadHex(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
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

namespace {

// The escape a terminal is shown instead of control byte `byte`; empty for any other byte.
std::string ControlEscape(unsigned char byte, bool latin1) {
    switch (byte) {
        case '\t':
            return "\\t";
        case '\n':
            return "\\n";
        case '\r':
            return "\\r";
        default:
            break;
    }
    // In UTF-8 the bytes from 0x80 on are parts of characters; in Latin-1, 0x80-0x9F are the
    // C1 controls.
    if (byte < 0x20 || byte == 0x7F || (latin1 && byte >= 0x80 && byte < 0xA0)) {
        return Format("\\x%02x", byte);
    }
    return {};
}

std::string ToTerminal(std::string_view text, bool latin1) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        std::string escape = ControlEscape(static_cast<unsigned char>(c), latin1);
        if (!escape.empty()) {
            out += escape;
        } else if (latin1) {
            out += Latin1ToUtf8(std::string_view(&c, 1));
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string Latin1ToTerminal(std::string_view text) {
    return ToTerminal(text, true);
}

std::string Utf8ToTerminal(std::string_view text) {
    return ToTerminal(text, false);
}

std::string AsListField(std::string_view text) {
    std::string field(text);
    for (char& c : field) {
        if (c == '\t' || c == '\n' || c == '\r' || c == '\0') {
            c = ' ';
        }
    }
    return field;
}

namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Removes a "0x" prefix (either case) that has digits after it; true when there was one.
bool Take0x(std::string_view& text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        return true;
    }
    return false;
}

// The whole text as digits of the base, without a sign.
bool ParseDigits(std::string_view text, int base, std::uint32_t& number) {
    // from_chars takes a sign; an entry number has none.
    if (text.empty() || text.front() == '-' || text.front() == '+') {
        return false;
    }
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size()) {
        return false;
    }
    number = value;
    return true;
}

}  // namespace

bool ParseEntryNumber(std::string_view text, std::uint32_t& number) {
    text = TrimBlanks(text);
    const bool hex = Take0x(text);
    return ParseDigits(text, hex ? 16 : 10, number);
}

bool ParseListNumber(std::string_view text, std::uint32_t& number) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '#') {
        return ParseDigits(text.substr(1), 10, number);
    }
    Take0x(text);
    return ParseDigits(text, 16, number);
}

namespace {

char Latin1LowerChar(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7)) {
        return static_cast<char>(byte + 0x20);
    }
    return c;
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += Format("\\u%04x", static_cast<unsigned>(c));
        } else {
            out += c;
        }
    }
    return out + "\"";
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = AsciiLower(c);
    }
    return lower;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

std::string Latin1Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), Latin1LowerChar);
    return lower;
}

bool ContainsLatin1NoCase(std::string_view text, std::string_view lowerNeedle) {
    if (lowerNeedle.empty()) {
        return true;
    }
    return std::search(text.begin(), text.end(), lowerNeedle.begin(), lowerNeedle.end(),
                       [](char a, char b) { return Latin1LowerChar(a) == b; }) != text.end();
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
