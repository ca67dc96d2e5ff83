#pragma once
// The client's text files, read whole: cliloc message files ("Cliloc.enu", "Cliloc.deu" ...) and
// the speech keywords of "speech.mul"; and finding such files by name, whatever their case.
//
// Cliloc file, plain form:
//   0  u32  2
//   4  u16  1
//   6  messages to the end of the file, each:
//        0 u32 number   4 u8 flag   5 u16 length   7 length bytes of UTF-8 text (no zero)
// Clients from 7.0.104 on store these files compressed; a file that does not start with the
// plain header is taken for such a file and reported, never decoded.
//
// "speech.mul": keywords to the end of the file, each:
//   0 u16 keyword id (big-endian)   2 u16 length (big-endian)   4 length bytes of UTF-8 text

#include "Bytes.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

class CClientFiles;

// A file of the client directory found by its name.
struct ClientTextFile {
    std::string name;  // as it is spelled on disk
    std::string path;
};

// The regular files of the chosen directory (the client directory while none is chosen) whose
// lower-case name starts with lowerPrefix and ends with lowerSuffix, sorted by lower-case name.
// With alsoSpecial, files that are not regular (a FIFO, a device) too, but no directories: a
// text file read through ReadWholeFile then says why it is refused instead of being passed over.
std::vector<ClientTextFile> FindClientFiles(const CClientFiles& files, std::string_view lowerPrefix,
                                            std::string_view lowerSuffix, bool alsoSpecial = false);

// What tells a file read earlier from the same file changed on disk: its path, size and
// modification time (all empty for a path that names nothing).
struct FileStamp {
    std::string path;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time{};
    bool operator==(const FileStamp&) const = default;
};
FileStamp GetFileStamp(const std::string& path);

// Reads a regular file whole, refusing anything else (a device, a pipe) without blocking and
// anything longer than maxBytes. False with a one-line reason in error.
bool ReadWholeFile(const std::string& path, std::uint64_t maxBytes,
                   std::vector<std::uint8_t>& bytes, std::string& error);
// The same for the first maxBytes of a longer file, which is read that far.
bool ReadFileHead(const std::string& path, std::uint64_t maxBytes, std::vector<std::uint8_t>& bytes,
                  std::string& error);

// The length of the valid UTF-8 prefix of text (all of it when the whole text is valid):
// shortest forms only, no surrogates, nothing past U+10FFFF.
std::size_t ValidUtf8Prefix(std::string_view text);
// Replaces each byte of text that does not belong to a valid UTF-8 sequence with '?', in place;
// how many it replaced.
std::size_t MendUtf8(std::uint8_t* text, std::size_t size);

struct ClilocMessage {
    std::uint32_t number = 0;
    std::uint32_t offset = 0;  // of the text in the file's bytes
    std::uint16_t length = 0;
    std::uint8_t flag = 0;
};

class CClilocFile {
public:
    // The real English file is about 4 MB; anything past this is refused.
    static constexpr std::uint64_t kMaxFileSize = 64u << 20;
    static constexpr std::string_view kCompressedMessage =
        "compressed cliloc files are not supported yet";

    // Reads the messages from a file's bytes (kept by the object). A file without the plain
    // header is compressed (IsCompressed, no messages); one too short for a header is named as
    // empty or cut short. Damage (an entry cut short, a length past the end) keeps the messages
    // before it and says where in GetError; text that is not UTF-8 is kept with '?' for each bad
    // byte and counted in GetError.
    void Parse(std::vector<std::uint8_t> bytes);
    // ReadWholeFile, then Parse; a file that cannot be read leaves its reason in GetError.
    void Load(const std::string& path);

    const std::vector<ClilocMessage>& Messages() const { return m_Messages; }
    std::string_view Text(const ClilocMessage& message) const;
    // The message with this number, or null. Numbers ascend in the client's files; a file
    // whose numbers do not is searched from the start.
    const ClilocMessage* Find(std::uint32_t number) const;
    bool IsCompressed() const { return m_bCompressed; }
    // Empty when the file was read whole and as it is; else why not (compressed, damaged, text
    // mended, unreadable).
    const std::string& GetError() const { return m_sError; }

private:
    std::vector<std::uint8_t> m_Bytes;
    std::vector<ClilocMessage> m_Messages;
    std::string m_sError;
    bool m_bCompressed = false;
    bool m_bAscending = true;
};

// One row of a language shown over the English file: a number either file holds, with the
// position of its message in each (kNone where the file lacks it), in ascending number order.
struct ClilocRow {
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    std::uint32_t number = 0;
    std::uint32_t own = kNone;   // in the language's file
    std::uint32_t base = kNone;  // in the English file
};
// The rows of language over base (the English file). With base == &language (English itself)
// every row has both positions equal.
std::vector<ClilocRow> OverlayCliloc(const CClilocFile& language, const CClilocFile& base);

struct SpeechKeyword {
    std::uint16_t id = 0;
    std::string text;
};
// Reads the keywords of a "speech.mul"; damage (an entry cut short) keeps those before it and
// says where in error (empty for a whole file); text that is not UTF-8 is kept with '?' for each
// bad byte and counted in error.
std::vector<SpeechKeyword> ParseSpeech(ByteSpan bytes, std::string& error);

}  // namespace tessaly
