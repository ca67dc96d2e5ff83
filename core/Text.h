#pragma once
// Small text helpers shared by every layer.

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly {

// Reads a hexadecimal number: skips leading white space, then takes hexadecimal digits (either
// case) up to the first other character. A "0x" prefix is not skipped ("0x1A" reads as 0);
// no digits give 0. Digits past 32 bits shift out at the top.
std::uint32_t ReadHex(std::string_view text);

// printf-style formatting into a std::string, bounded at 1024 characters like the
// platform formatter the program's messages were written for.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Names in the client files are single-byte Latin-1 text: bytes 0x00-0x7F stay as they are,
// each byte from 0x80 becomes the two-byte UTF-8 sequence of the character it stands for.
std::string Latin1ToUtf8(std::string_view text);
// Latin1ToUtf8 for a terminal: control bytes (0x00-0x1F, 0x7F and 0x80-0x9F, which terminals
// may take as commands) become the escapes "\t", "\n", "\r" and "\xNN" instead of being sent.
std::string Latin1ToTerminal(std::string_view text);
// The same for UTF-8 text: its C0 controls and 0x7F escaped, every other byte kept.
std::string Utf8ToTerminal(std::string_view text);

// Reads an entry number as the program's users write it: decimal, or hexadecimal after "0x"
// (either case), with white space around it allowed. False for anything else, and for numbers
// past 32 bits.
bool ParseEntryNumber(std::string_view text, std::uint32_t& number);
// Reads an entry number as the lists show it: hexadecimal, bare or after "0x" ("000c", "e3c",
// "0xE3C"; so "12" is 0x12), or decimal after "#" ("#3644"); white space around it allowed.
// False for anything else, and for numbers past 32 bits.
bool ParseListNumber(std::string_view text, std::uint32_t& number);

// A text as a JSON string in quotes: quotes and backslashes escaped, control bytes as \u00XX;
// other bytes pass unchanged (UTF-8 stays UTF-8).
std::string JsonString(std::string_view text);

// A text as one field of a list row: tabs, line breaks and NUL bytes become spaces, since a row
// splits its fields at tabs and ends each at a NUL byte.
std::string AsListField(std::string_view text);

// ASCII case, the same in every locale: the C library's tolower follows the locale the window
// sets, and in a Turkish one leaves 'I' as it is (its lower case is a dotless i), so names
// such as "ITEMS" or "ARTIDX.MUL" would no longer match.
char AsciiLower(char c);
std::string AsciiLower(std::string_view text);
// Whether a and b are equal when compared without regard to ASCII case.
bool EqualsNoCase(std::string_view a, std::string_view b);

// A Latin-1 text in lower case (ASCII letters and the accented capitals 0xC0-0xDE but 0xD7).
std::string Latin1Lower(std::string_view text);
// Whether a Latin-1 text contains lowerNeedle (already lower case, see Latin1Lower), ignoring
// case. An empty needle is in every text.
bool ContainsLatin1NoCase(std::string_view text, std::string_view lowerNeedle);

}  // namespace tessaly

// Joins a directory and a file name with "/" unless the directory is empty or already ends in
// "/" or "\".
std::string MakeFilePath(std::string_view dir, std::string_view name);
