#include "TextFiles.h"

#include "ClientFiles.h"
#include "QFile.h"
#include "Text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace tessaly {

namespace {

// Stops a parse at the damage: the message names the entry and the byte it starts at.
std::string Damage(const std::string& entry, std::size_t at, const char* problem) {
    return Format("%s at byte %zu: ", entry.c_str(), at) + problem;
}

// An entry whose head is cut, named by the one before it (named as `last` names it).
std::string EntryAfter(const std::string& last) {
    return last.empty() ? "the first entry" : "the entry after " + last;
}

}  // namespace

std::vector<ClientTextFile> FindClientFiles(const CClientFiles& files, std::string_view lowerPrefix,
                                            std::string_view lowerSuffix, bool alsoSpecial) {
    std::vector<ClientTextFile> found;
    const std::string dir = files.GetBasePath(nullptr);
    if (dir.empty()) {
        return found;
    }
    std::error_code error;
    for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        const std::string lower = AsciiLower(name);
        std::error_code typeError;
        if (lower.size() >= lowerPrefix.size() + lowerSuffix.size() &&
            lower.starts_with(lowerPrefix) && lower.ends_with(lowerSuffix) &&
            (alsoSpecial ? !it->is_directory(typeError) : it->is_regular_file(typeError))) {
            found.push_back({name, it->path().string()});
        }
    }
    std::sort(found.begin(), found.end(), [](const ClientTextFile& a, const ClientTextFile& b) {
        return AsciiLower(a.name) < AsciiLower(b.name);
    });
    return found;
}

FileStamp GetFileStamp(const std::string& path) {
    FileStamp stamp{path, 0, {}};
    if (path.empty()) {
        return stamp;
    }
    std::error_code error;
    stamp.size = std::filesystem::file_size(path, error);
    stamp.time = std::filesystem::last_write_time(path, error);
    return stamp;
}

namespace {

// ReadWholeFile, or with head ReadFileHead.
bool ReadFile(const std::string& path, std::uint64_t maxBytes, bool head,
              std::vector<std::uint8_t>& bytes, std::string& error) {
    bytes.clear();
    // The checked open: a FIFO or device is refused without waiting on it.
    const int fd = OpenRegularFile(path.c_str(), O_RDONLY | O_NOCTTY);
    if (fd < 0) {
        error = errno == EINVAL ? Format("%s is not a regular file", path.c_str())
                                : Format("cannot open %s: %s", path.c_str(), std::strerror(errno));
        return false;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = Format("cannot read %s: %s", path.c_str(), std::strerror(errno));
        return false;
    }
    auto size = static_cast<std::uint64_t>(info.st_size);
    if (head) {
        size = std::min(size, maxBytes);
    } else if (size > maxBytes) {
        error = Format("%s is too large (%llu bytes)", path.c_str(),
                       static_cast<unsigned long long>(size));
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error = Format("cannot read %s: %s", path.c_str(),
                           n < 0 ? std::strerror(errno) : "the file became shorter");
            bytes.clear();
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::uint64_t maxBytes,
                   std::vector<std::uint8_t>& bytes, std::string& error) {
    return ReadFile(path, maxBytes, false, bytes, error);
}

bool ReadFileHead(const std::string& path, std::uint64_t maxBytes, std::vector<std::uint8_t>& bytes,
                  std::string& error) {
    return ReadFile(path, maxBytes, true, bytes, error);
}

std::size_t ValidUtf8Prefix(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t n = 0;
        std::uint32_t code = 0;
        std::uint32_t least = 0;
        if ((c & 0xE0) == 0xC0) {
            n = 2, code = c & 0x1Fu, least = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            n = 3, code = c & 0x0Fu, least = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            n = 4, code = c & 0x07u, least = 0x10000;
        } else {
            return i;
        }
        if (size - i < n) {
            return i;
        }
        for (std::size_t k = 1; k < n; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) {
                return i;
            }
            code = (code << 6) | (p[i + k] & 0x3Fu);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return i;
        }
        i += n;
    }
    return i;
}

std::size_t MendUtf8(std::uint8_t* text, std::size_t size) {
    std::size_t mended = 0;
    std::size_t at = 0;
    while (at < size) {
        at +=
            ValidUtf8Prefix(std::string_view(reinterpret_cast<const char*>(text + at), size - at));
        if (at < size) {
            text[at++] = '?';
            ++mended;
        }
    }
    return mended;
}

namespace {

// Why a text file's messages or keywords were not all read as they are: the first damaged
// entry, and how many texts had bytes that are not UTF-8 (read with '?' for each).
std::string MendedNote(const std::string& cut, const char* what, const std::string& firstMended,
                       std::size_t mended) {
    std::string note = cut;
    if (mended != 0) {
        note += (note.empty() ? "" : "; ") +
                Format("%zu %s%s not valid UTF-8 (the first is ", mended, what,
                       mended == 1 ? "'s text is" : "s' texts are") +
                firstMended + "; each bad byte is read as '?')";
    }
    return note;
}

}  // namespace

void CClilocFile::Parse(std::vector<std::uint8_t> bytes) {
    m_Bytes = std::move(bytes);
    m_Messages.clear();
    m_sError.clear();
    m_bCompressed = false;
    m_bAscending = true;
    ByteReader in(m_Bytes);
    std::uint32_t version = 0;
    std::uint16_t kind = 0;
    if (m_Bytes.size() < 6) {
        // Too short for the header of either form.
        m_sError = m_Bytes.empty() ? "the file is empty"
                                   : Format("the file is cut short (%zu bytes)", m_Bytes.size());
        return;
    }
    if (!in.u32(version) || !in.u16(kind) || version != 2 || kind != 1) {
        m_bCompressed = true;
        m_sError = kCompressedMessage;
        return;
    }
    // Entries are named by their message numbers, as the list shows them.
    const auto name = [](std::uint32_t number) { return Format("message %u", number); };
    std::size_t mended = 0;
    std::string firstMended;
    while (in.remaining() != 0) {
        const std::size_t at = in.pos();
        ClilocMessage message;
        if (!in.u32(message.number) || !in.u8(message.flag) || !in.u16(message.length)) {
            m_sError = Damage(
                EntryAfter(m_Messages.empty() ? std::string() : name(m_Messages.back().number)), at,
                "the entry is cut short");
            break;
        }
        message.offset = static_cast<std::uint32_t>(in.pos());
        const auto text = in.bytes(message.length);
        if (!text) {
            m_sError = Damage(name(message.number), at, "its text runs past the end");
            break;
        }
        // Text that is not UTF-8 is read with '?' for each bad byte, in place: the entry's
        // length still holds, so the messages after it read as they are.
        if (MendUtf8(m_Bytes.data() + message.offset, message.length) != 0 && mended++ == 0) {
            firstMended = name(message.number);
        }
        if (!m_Messages.empty() && message.number <= m_Messages.back().number) {
            m_bAscending = false;
        }
        m_Messages.push_back(message);
    }
    m_sError = MendedNote(m_sError, "message", firstMended, mended);
    m_Messages.shrink_to_fit();
}

void CClilocFile::Load(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(path, kMaxFileSize, bytes, error)) {
        m_Bytes.clear();
        m_Messages.clear();
        m_bCompressed = false;
        m_bAscending = true;
        m_sError = error;
        return;
    }
    Parse(std::move(bytes));
}

std::string_view CClilocFile::Text(const ClilocMessage& message) const {
    return {reinterpret_cast<const char*>(m_Bytes.data()) + message.offset, message.length};
}

const ClilocMessage* CClilocFile::Find(std::uint32_t number) const {
    if (m_bAscending) {
        auto it =
            std::lower_bound(m_Messages.begin(), m_Messages.end(), number,
                             [](const ClilocMessage& m, std::uint32_t n) { return m.number < n; });
        return it != m_Messages.end() && it->number == number ? &*it : nullptr;
    }
    auto it = std::find_if(m_Messages.begin(), m_Messages.end(),
                           [&](const ClilocMessage& m) { return m.number == number; });
    return it != m_Messages.end() ? &*it : nullptr;
}

std::vector<ClilocRow> OverlayCliloc(const CClilocFile& language, const CClilocFile& base) {
    auto ordered = [](const CClilocFile& file) {
        std::vector<std::uint32_t> order(file.Messages().size());
        for (std::uint32_t i = 0; i < order.size(); ++i) {
            order[i] = i;
        }
        const auto& messages = file.Messages();
        std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            return messages[a].number < messages[b].number;
        });
        return order;
    };
    const std::vector<std::uint32_t> own = ordered(language);
    std::vector<ClilocRow> rows;
    if (&language == &base) {
        rows.reserve(own.size());
        for (std::uint32_t i : own) {
            const std::uint32_t number = language.Messages()[i].number;
            // A number the file repeats is shown once, with its first message (as below).
            if (rows.empty() || rows.back().number != number) {
                rows.push_back({number, i, i});
            }
        }
        return rows;
    }
    const std::vector<std::uint32_t> english = ordered(base);
    rows.reserve(std::max(own.size(), english.size()));
    std::size_t a = 0;
    std::size_t b = 0;
    while (a < own.size() || b < english.size()) {
        const std::uint32_t na = a < own.size() ? language.Messages()[own[a]].number : 0;
        const std::uint32_t nb = b < english.size() ? base.Messages()[english[b]].number : 0;
        ClilocRow row;
        if (b == english.size() || (a < own.size() && na < nb)) {
            row = {na, own[a++], ClilocRow::kNone};
        } else if (a == own.size() || nb < na) {
            row = {nb, ClilocRow::kNone, english[b++]};
        } else {
            row = {na, own[a++], english[b++]};
        }
        // A number a file repeats is shown once, with its first message.
        if (rows.empty() || rows.back().number != row.number) {
            rows.push_back(row);
        }
    }
    return rows;
}

std::vector<SpeechKeyword> ParseSpeech(ByteSpan bytes, std::string& error) {
    error.clear();
    std::vector<SpeechKeyword> keywords;
    // Entries are named by their keyword ids, as the list shows them.
    const auto name = [](std::uint16_t id) { return Format("keyword 0%x", id); };
    std::size_t mended = 0;
    std::string firstMended;
    ByteReader in(bytes);
    while (in.remaining() != 0) {
        const std::size_t at = in.pos();
        const auto head = in.bytes(4);
        if (!head) {
            error = Damage(EntryAfter(keywords.empty() ? std::string() : name(keywords.back().id)),
                           at, "the entry is cut short");
            break;
        }
        const auto id = static_cast<std::uint16_t>(((*head)[0] << 8) | (*head)[1]);
        const auto length = static_cast<std::size_t>(((*head)[2] << 8) | (*head)[3]);
        const auto text = in.bytes(length);
        if (!text) {
            error = Damage(name(id), at, "its text runs past the end");
            break;
        }
        std::string keyword(reinterpret_cast<const char*>(text->data()), text->size());
        if (MendUtf8(reinterpret_cast<std::uint8_t*>(keyword.data()), keyword.size()) != 0 &&
            mended++ == 0) {
            firstMended = name(id);
        }
        keywords.push_back({id, std::move(keyword)});
    }
    error = MendedNote(error, "keyword", firstMended, mended);
    return keywords;
}

}  // namespace tessaly
