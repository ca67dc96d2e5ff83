#include "ClientDirs.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tessaly {

namespace {
constexpr const char* kClientKey = "Software\\Origin Worlds Online\\Ultima Online\\1.0";

void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Reads an escaped text from `text` at `pos` up to the unescaped `close` character; pos ends
// after it. False when the text ends first.
bool Unescape(const std::string& text, std::size_t& pos, char close, std::string& out) {
    out.clear();
    while (pos < text.size()) {
        char c = text[pos++];
        if (c == close) {
            return true;
        }
        if (c != '\\' || pos >= text.size()) {
            out += c;
            continue;
        }
        char e = text[pos++];
        switch (e) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'x': {
                unsigned code = 0;
                int digits = 0;
                while (digits < 4 && pos < text.size() && HexDigit(text[pos]) >= 0) {
                    code = code * 16 + static_cast<unsigned>(HexDigit(text[pos++]));
                    ++digits;
                }
                AppendUtf8(out, code);
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    unsigned code = static_cast<unsigned>(e - '0');
                    for (int digits = 1;
                         digits < 3 && pos < text.size() && text[pos] >= '0' && text[pos] <= '7';
                         ++digits) {
                        code = code * 8 + static_cast<unsigned>(text[pos++] - '0');
                    }
                    AppendUtf8(out, code);
                } else {
                    out += e;  // \\ and \" and anything else stand for themselves
                }
                break;
        }
    }
    return false;
}

bool SameKey(const std::string& a, const char* b) {
    std::size_t n = std::char_traits<char>::length(b);
    if (a.size() != n) {
        return false;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool SameName(const std::string& a, const char* b) {
    return SameKey(a, b);
}
}  // namespace

std::optional<std::filesystem::path> CWineRegistry::DefaultPrefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix != nullptr && *prefix != '\0') {
        return std::filesystem::path(prefix);
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return std::filesystem::path(home) / ".wine";
    }
    return std::nullopt;
}

bool CWineRegistry::ParseSystemReg(const std::string& text, RegistryValue& exePath,
                                   RegistryValue& cdPath) {
    std::istringstream lines(text);
    std::string line;
    bool inKey = false;
    bool found = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line[0] == '[') {
            std::size_t pos = 1;
            std::string key;
            inKey = Unescape(line, pos, ']', key) && SameKey(key, kClientKey);
            found = found || inKey;
            continue;
        }
        if (!inKey || line.empty() || line[0] != '"') {
            continue;
        }
        std::size_t pos = 1;
        std::string name;
        if (!Unescape(line, pos, '"', name) || pos >= line.size() || line[pos] != '=') {
            continue;
        }
        ++pos;
        RegistryValue* value = SameName(name, "ExePath")      ? &exePath
                               : SameName(name, "InstCDPath") ? &cdPath
                                                              : nullptr;
        if (value == nullptr) {
            continue;
        }
        value->present = true;
        value->isString = false;
        value->text.clear();
        if (pos < line.size() && line[pos] == '"') {
            ++pos;
            value->isString = Unescape(line, pos, '"', value->text);
            if (!value->isString) {
                value->text.clear();
            }
        }
    }
    return found;
}

bool CWineRegistry::ReadClientKey(RegistryValue& exePath, RegistryValue& cdPath) {
    std::ifstream in(m_prefix / "system.reg", std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return ParseSystemReg(text.str(), exePath, cdPath);
}

std::string CWineRegistry::MapPath(const std::string& windowsPath) const {
    std::string rest = windowsPath;
    std::filesystem::path base;
    if (rest.size() >= 2 && std::isalpha(static_cast<unsigned char>(rest[0])) && rest[1] == ':') {
        char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0])));
        base = drive == 'c' ? m_prefix / "drive_c"
                            : m_prefix / "dosdevices" / (std::string(1, drive) + ":");
        rest.erase(0, 2);
    }
    for (char& c : rest) {
        if (c == '\\') {
            c = '/';
        }
    }
    if (base.empty()) {
        return rest;
    }
    std::string out = base.string();
    if (rest.empty() || rest[0] != '/') {
        out += '/';
    }
    return out + rest;
}

}  // namespace tessaly
