#include "HelpText.h"

#include <algorithm>

namespace tessaly {

std::string OptionHelpName(const std::vector<std::string>& names, std::string_view valueName) {
    std::string written;
    for (const std::string& name : names) {
        if (!written.empty()) {
            written += ", ";
        }
        written += name.size() == 1 ? "-" : "--";
        written += name;
    }
    if (!valueName.empty()) {
        written += ' ';
        written += valueName;
    }
    return written;
}

std::string FormatHelpRows(std::span<const HelpRow> rows, std::size_t column, std::size_t width) {
    const std::size_t indent = 2;
    std::string out;
    for (const HelpRow& row : rows) {
        std::string line(indent, ' ');
        line += row.left;
        if (line.size() + 2 > column) {
            out += line + '\n';
            line.clear();
        }
        // The words of the text, wrapped; a word longer than a line stands on a line of its own.
        std::size_t at = 0;
        bool first = true;
        while (at < row.text.size()) {
            const std::size_t end = std::min(row.text.find(' ', at), row.text.size());
            const std::string_view word(row.text.data() + at, end - at);
            at = end + 1;
            if (word.empty()) {
                continue;
            }
            if (!first && line.size() + 1 + word.size() > width) {
                out += line + '\n';
                line.clear();
                first = true;
            }
            if (first) {
                line.resize(column, ' ');
                first = false;
            } else {
                line += ' ';
            }
            line += word;
        }
        if (!line.empty()) {
            out += line + '\n';
        }
    }
    return out;
}

}  // namespace tessaly
