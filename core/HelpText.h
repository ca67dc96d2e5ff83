#pragma once
// The --help texts of the programs: each option carries its description, and the lines that
// --help prints (and the man pages made from it) are laid out from those descriptions here.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// One row of a help text: what the user writes ("--client-dir DIR") and what it does.
struct HelpRow {
    std::string left;
    std::string text;
};

// How an option is written in a help text: its names with their dashes, joined by ", ", then
// its value name ("-h, --help", "--client-dir DIR").
std::string OptionHelpName(const std::vector<std::string>& names, std::string_view valueName);

// Rows as two columns: the left part indented by two spaces and padded to `column`, the text
// wrapped at word boundaries to lines of at most `width` characters and continued under itself;
// a left part too long for the column puts its text on the next line. Each row ends in a line
// break.
std::string FormatHelpRows(std::span<const HelpRow> rows, std::size_t column,
                           std::size_t width = 79);

}  // namespace tessaly
