#include "Cli.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <charconv>
#include <iostream>
#include <ostream>
#include <stdexcept>

namespace tessaly::cli {

namespace {
std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}
}  // namespace

void RegisterCommand(const Command& command) {
    Registry().push_back(command);
}

const std::vector<Command>& Commands() {
    auto& commands = Registry();
    std::stable_sort(commands.begin(), commands.end(), [](const Command& a, const Command& b) {
        int order = std::string(a.name).compare(b.name);
        return order != 0 ? order < 0 : a.kind != nullptr && b.kind == nullptr;
    });
    return commands;
}

std::uint32_t ParseNumber(const std::string& text, const char* what, std::uint32_t max) {
    return static_cast<std::uint32_t>(ParseWideNumber(text, what, max));
}

std::uint64_t ParseWideNumber(const std::string& text, const char* what, std::uint64_t max) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        first += 2;
        base = 16;
    }
    std::uint64_t value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value, base);
    if (text.empty() || ec != std::errc() || ptr != last || value > max) {
        throw UsageError(std::string("invalid ") + what + " '" + text + "'" +
                         (value > max && ec == std::errc() && ptr == last
                              ? " (at most " + std::to_string(max) + ")"
                              : ""));
    }
    return value;
}

QString NameString(const std::string& name) {
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

QString LocalString(const std::string& text) {
    return QString::fromStdString(text);
}

QJsonArray FileNamesJson(const std::vector<std::string>& names) {
    QJsonArray list;
    for (const std::string& name : names) {
        list.append(QString::fromStdString(name));
    }
    return list;
}

void WarnNote(const std::string& note) {
    if (!note.empty()) {
        std::cerr << "tessaly-cli: " << note << '\n';
    }
}

std::string JoinFileNames(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

QJsonArray DamagedJson(const std::vector<std::uint32_t>& entries) {
    QJsonArray list;
    for (const std::uint32_t n : entries) {
        list.append(static_cast<qint64>(n));
    }
    return list;
}

std::string DamagedText(const std::vector<std::uint32_t>& entries, const std::string& table) {
    std::string text;
    if (!entries.empty()) {
        text = "; " + std::to_string(entries.size()) + " damaged entries left damaged:";
        for (const std::uint32_t n : entries) {
            text += ' ' + std::to_string(n);
        }
    }
    if (!table.empty()) {
        text += "; the source's table is damaged (" + table +
                "), the entries before the damage written";
    }
    return text;
}

const std::string* Invocation::Value(const std::string& flag) const {
    auto it = values.find(flag);
    return it != values.end() ? &it->second : nullptr;
}

bool Invocation::HasFlag(const std::string& flag) const {
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

const std::string& Invocation::Arg(std::size_t i, const char* what) const {
    if (i >= args.size()) {
        throw UsageError(std::string("missing ") + what);
    }
    return args[i];
}

const std::string& Invocation::OutputArg(std::size_t i, const char* what) const {
    const std::string& path = Arg(i, what);
    if (args.size() > i + 1) {
        throw UsageError("unexpected argument '" + args[i + 1] + "' after the " + what + " '" +
                         path + "'");
    }
    return path;
}

std::uint32_t Invocation::Number(std::size_t i, const char* what, std::uint32_t max) const {
    return ParseNumber(Arg(i, what), what, max);
}

void Invocation::PrintJson(const QJsonValue& value) const {
    QJsonDocument doc =
        value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    *out << doc.toJson(QJsonDocument::Compact).toStdString() << '\n';
}

JsonRows::JsonRows(const Invocation& inv, const QJsonObject& head, const char* key)
    : m_pOut(inv.out) {
    if (!head.isEmpty() && head.keys().back() >= QLatin1String(key)) {
        throw std::logic_error("JsonRows: the array must be the last member by name");
    }
    // The head's text without its closing brace, then the array's name.
    std::string text = QJsonDocument(head).toJson(QJsonDocument::Compact).toStdString();
    text.pop_back();
    *m_pOut << text << (head.isEmpty() ? "" : ",") << '"' << key << "\":[";
}

void JsonRows::Add(const QJsonObject& row) {
    *m_pOut << (m_bFirst ? "" : ",")
            << QJsonDocument(row).toJson(QJsonDocument::Compact).toStdString();
    m_bFirst = false;
}

void JsonRows::Finish() {
    *m_pOut << "]}\n";
}

}  // namespace tessaly::cli
