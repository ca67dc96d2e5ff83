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

}  // namespace tessaly

// Joins a directory and a file name with "/" unless the directory is empty or already ends in
// "/" or "\".
std::string MakeFilePath(std::string_view dir, std::string_view name);
