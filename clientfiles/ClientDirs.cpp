#include "ClientDirs.h"

#include "FileNames.h"
#include "QFile.h"
#include "Text.h"

#include <cstdlib>
#include <iterator>
#include <sstream>

namespace tessaly {

namespace {
// The keys the client's installers write, in the order they are taken. The client's own key
// comes first, then the same key as a 32-bit program sees it in a 64-bit prefix (the client and
// its installer are 32-bit programs, so a 64-bit Wine prefix, Wine's default, keeps it there).
// Current clients' installers write none of these; they record the install directory as
// "InstallDir" under a key of their own, read when no client key holds a value.
struct ClientKey {
    const char* name;
    bool installDir;  // "InstallDir" (a directory) instead of "ExePath" and "InstCDPath"
};
constexpr ClientKey kClientKeys[] = {
    {"Software\\Origin Worlds Online\\Ultima Online\\1.0", false},
    {"Software\\Wow6432Node\\Origin Worlds Online\\Ultima Online\\1.0", false},
    {"Software\\Electronic Arts\\EA Games\\Ultima Online Classic", true},
    {"Software\\Wow6432Node\\Electronic Arts\\EA Games\\Ultima Online Classic", true},
    {"Software\\Electronic Arts\\EA Games\\Ultima Online Stygian Abyss Classic", true},
    {"Software\\Wow6432Node\\Electronic Arts\\EA Games\\Ultima Online Stygian Abyss Classic", true},
};
constexpr std::size_t kClientKeyCount = std::size(kClientKeys);

bool IsHighSurrogate(unsigned code) {
    return code >= 0xD800 && code <= 0xDBFF;
}
bool IsLowSurrogate(unsigned code) {
    return code >= 0xDC00 && code <= 0xDFFF;
}

void AppendUtf8(std::string& out, unsigned code) {
    if (IsHighSurrogate(code) || IsLowSurrogate(code)) {
        code = 0xFFFD;  // half of a pair: not a character of its own
    }
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = AsciiLower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Up to four hex digits at pos: one UTF-16 code unit, as Wine writes its \x escapes.
unsigned HexUnit(const std::string& text, std::size_t& pos) {
    unsigned code = 0;
    for (int digits = 0; digits < 4 && pos < text.size() && HexDigit(text[pos]) >= 0; ++digits) {
        code = code * 16 + static_cast<unsigned>(HexDigit(text[pos++]));
    }
    return code;
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
                unsigned code = HexUnit(text, pos);
                // A character beyond the 16-bit plane comes as two escapes of a surrogate pair.
                if (IsHighSurrogate(code) && text.compare(pos, 2, "\\x") == 0) {
                    std::size_t next = pos + 2;
                    const unsigned low = HexUnit(text, next);
                    if (IsLowSurrogate(low)) {
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                        pos = next;
                    }
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

// Wine finds each component of a Windows path regardless of case (C:\PROGRAM FILES is
// "drive_c/Program Files"); so does this, for the components of path from `from` on. A component
// that is there as written, or that its directory holds in no case, stays as written.
std::string MatchCase(std::string path, std::size_t from) {
    std::size_t start = from;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        std::error_code ec;
        if (end > start && !std::filesystem::exists(path.substr(0, end), ec)) {
            const std::string found =
                CDirListing(path.substr(0, start)).Find(path.substr(start, end - start));
            if (found.size() == end - start) {
                path.replace(start, end - start, found);
            }
        }
        start = end + 1;
    }
    return path;
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
    // The values of each key found. The first key holding a value wins; a key without any
    // yields to a later one with.
    struct Key {
        bool found = false;
        RegistryValue exePath;
        RegistryValue cdPath;
    };
    Key keys[kClientKeyCount];
    Key* current = nullptr;  // the key of the section being read, if it is one of them
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line[0] == '[') {
            std::size_t pos = 1;
            std::string key;
            current = nullptr;
            if (Unescape(line, pos, ']', key)) {
                for (std::size_t k = 0; k < kClientKeyCount; ++k) {
                    if (EqualsNoCase(key, kClientKeys[k].name)) {
                        current = &keys[k];
                        current->found = true;
                    }
                }
            }
            continue;
        }
        if (current == nullptr || line.empty() || line[0] != '"') {
            continue;
        }
        std::size_t pos = 1;
        std::string name;
        if (!Unescape(line, pos, '"', name) || pos >= line.size() || line[pos] != '=') {
            continue;
        }
        ++pos;
        const bool installDir = kClientKeys[current - keys].installDir;
        RegistryValue* value =
            installDir ? (EqualsNoCase(name, "InstallDir") ? &current->exePath : nullptr)
            : EqualsNoCase(name, "ExePath")    ? &current->exePath
            : EqualsNoCase(name, "InstCDPath") ? &current->cdPath
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
        // A directory stands where the program's path would: the program's directory is what
        // comes before the last backslash.
        if (installDir && value->isString) {
            value->text += '\\';
        }
    }
    Key* chosen = nullptr;
    for (Key& key : keys) {
        if (key.found && (key.exePath.present || key.cdPath.present)) {
            chosen = &key;
            break;
        }
        if (key.found && chosen == nullptr) {
            chosen = &key;
        }
    }
    if (chosen == nullptr) {
        return false;
    }
    exePath = std::move(chosen->exePath);
    cdPath = std::move(chosen->cdPath);
    return true;
}

bool CWineRegistry::ReadClientKey(RegistryValue& exePath, RegistryValue& cdPath) {
    // Read only when it is a regular file: a FIFO in its place must not block the start. Wine's
    // own is a few megabytes; one past the bound is not read.
    constexpr std::uint64_t kMaxRegistryBytes = 256u << 20;
    const auto bytes = ReadRegularFile((m_prefix / "system.reg").string(), kMaxRegistryBytes);
    if (!bytes) {
        return false;
    }
    return ParseSystemReg(std::string(bytes->begin(), bytes->end()), exePath, cdPath);
}

std::string CWineRegistry::MapPath(const std::string& windowsPath) const {
    std::string rest = windowsPath;
    std::filesystem::path base;
    const char drive = AsciiLower(rest.empty() ? '\0' : rest[0]);
    if (rest.size() >= 2 && drive >= 'a' && drive <= 'z' && rest[1] == ':') {
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
    const std::size_t start = out.size();
    return MatchCase(out + rest, start);
}

}  // namespace tessaly
