#include "BodyDefs.h"

#include <charconv>

namespace tessaly {

const char* AnimClassName(AnimClass c) {
    switch (c) {
        case AnimClass::High:
            return "high";
        case AnimClass::Low:
            return "low";
        case AnimClass::People:
            return "people";
    }
    return "";
}

AnimClass ClassOfNumber(std::uint32_t number) {
    if (number < 200) {
        return AnimClass::High;
    }
    return number < 400 ? AnimClass::Low : AnimClass::People;
}

std::uint32_t ActionCount(AnimClass c) {
    switch (c) {
        case AnimClass::High:
            return 22;
        case AnimClass::Low:
            return 13;
        case AnimClass::People:
            return 35;
    }
    return 0;
}

bool FirstAnimRecord(AnimClass c, std::uint32_t slot, std::uint64_t& first) {
    switch (c) {
        case AnimClass::High:
            first = std::uint64_t{slot} * 110;
            return true;
        case AnimClass::Low:
            first = 9000 + std::uint64_t{slot} * 65;
            return true;
        case AnimClass::People:
            first = (std::uint64_t{slot} - 200) * 175;
            return slot >= 200;
    }
    return false;
}

std::uint32_t SlotOfAnimRecord(std::uint32_t record) {
    // High slots 0-199 take records 0-21,999, low slots 200-399 the next 13,000, people after.
    constexpr std::uint32_t kLowFirst = 200 * 110;
    constexpr std::uint32_t kPeopleFirst = kLowFirst + 200 * 65;
    if (record < kLowFirst) {
        return record / 110;
    }
    if (record < kPeopleFirst) {
        return 200 + (record - kLowFirst) / 65;
    }
    return 400 + (record - kPeopleFirst) / 175;
}

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

// Calls fn with each line's text before its comment; quoted comment lines are left out.
template <class Fn>
void ForEachLine(std::string_view text, Fn fn) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        line = line.substr(0, line.find('#'));
        const std::size_t first = line.find_first_not_of(kBlanks);
        if (first == std::string_view::npos || line[first] == '"') {
            continue;
        }
        fn(line.substr(first));
    }
}

// The fields of a line, split at any run of blanks and at the extra separators given.
std::vector<std::string_view> Fields(std::string_view line, std::string_view separators = {}) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const auto isSeparator = [&](char ch) {
            return kBlanks.find(ch) != std::string_view::npos ||
                   separators.find(ch) != std::string_view::npos;
        };
        while (pos < line.size() && isSeparator(line[pos])) {
            ++pos;
        }
        std::size_t end = pos;
        while (end < line.size() && !isSeparator(line[end])) {
            ++end;
        }
        if (end > pos) {
            fields.push_back(line.substr(pos, end - pos));
        }
        pos = end;
    }
    return fields;
}

// A whole field as a number of the given base; false for anything else (a sign, trailing text,
// a value that does not fit).
template <class T>
bool Number(std::string_view field, T& value, int base = 10) {
    if (base == 16 && (field.starts_with("0x") || field.starts_with("0X"))) {
        field.remove_prefix(2);
    }
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value, base);
    return !field.empty() && ec == std::errc() && ptr == end;
}

bool BodyNumber(std::string_view field, std::uint32_t& body) {
    return Number(field, body) && body < kMaxBodies;
}

}  // namespace

std::vector<BodyconvLine> ParseBodyconv(std::string_view text) {
    // A slot past this cannot lie in an index file (records are counted in 32 bits).
    constexpr std::int32_t kMaxSlot = 0xFFFF;
    std::vector<BodyconvLine> lines;
    ForEachLine(text, [&](std::string_view line) {
        const std::vector<std::string_view> fields = Fields(line);
        BodyconvLine out;
        if ((fields.size() != kBodyconvFiles && fields.size() != kBodyconvFiles + 1) ||
            !BodyNumber(fields[0], out.body)) {
            return;
        }
        for (std::size_t i = 1; i < fields.size(); ++i) {
            std::int32_t slot = -1;
            // A value that is no slot is left out; the others of the line still count.
            if (Number(fields[i], slot) && slot >= 0 && slot <= kMaxSlot) {
                out.columns[i - 1] = slot;
            } else if (fields[i] != "-1" && !Number(fields[i], slot)) {
                return;  // not a line of numbers at all
            }
        }
        lines.push_back(out);
    });
    return lines;
}

std::vector<BodyRedirect> ParseBodyDef(std::string_view text) {
    std::vector<BodyRedirect> lines;
    ForEachLine(text, [&](std::string_view line) {
        const std::size_t open = line.find('{');
        const std::size_t close = line.find('}', open == std::string_view::npos ? 0 : open);
        if (open == std::string_view::npos || close == std::string_view::npos) {
            return;
        }
        const std::vector<std::string_view> head = Fields(line.substr(0, open));
        const std::vector<std::string_view> list =
            Fields(line.substr(open + 1, close - open - 1), ",");
        const std::vector<std::string_view> tail = Fields(line.substr(close + 1));
        BodyRedirect out;
        if (head.size() != 1 || !BodyNumber(head[0], out.body) || list.empty() ||
            tail.size() != 1 || !Number(tail[0], out.hue)) {
            return;
        }
        for (std::string_view field : list) {
            std::uint32_t target = 0;
            if (!BodyNumber(field, target)) {
                return;
            }
            out.targets.push_back(target);
        }
        lines.push_back(std::move(out));
    });
    return lines;
}

std::map<std::uint32_t, MobType> ParseMobTypes(std::string_view text) {
    static constexpr std::pair<std::string_view, AnimClass> kTypes[] = {
        {"MONSTER", AnimClass::High},
        {"SEA_MONSTER", AnimClass::High},
        {"ANIMAL", AnimClass::Low},
        {"HUMAN", AnimClass::People},
        {"EQUIPMENT", AnimClass::People}};
    std::map<std::uint32_t, MobType> types;
    ForEachLine(text, [&](std::string_view line) {
        const std::vector<std::string_view> fields = Fields(line);
        std::uint32_t body = 0;
        MobType type;
        if (fields.size() < 2 || fields.size() > 3 || !BodyNumber(fields[0], body) ||
            (fields.size() == 3 && !Number(fields[2], type.flags, 16))) {
            return;
        }
        for (const auto& [name, cls] : kTypes) {
            if (fields[1] == name) {
                type.cls = cls;
                types[body] = type;
                return;
            }
        }
    });
    return types;
}

}  // namespace tessaly
