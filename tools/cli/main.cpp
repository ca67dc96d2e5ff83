// tessaly-cli: command-line access to a client's data files.

#include "Cli.h"
#include "CommandLine.h"
#include "HelpText.h"
#include "TarnError.h"

#include <QCommandLineOption>
#include <QList>

#include <algorithm>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace tessaly::cli;

namespace {

// The options every command takes.
struct GlobalOptionList {
    QCommandLineOption clientDir{
        QStringLiteral("client-dir"),
        QStringLiteral("read the client's files from DIR (default: the client the Wine "
                       "registry names)"),
        QStringLiteral("DIR")};
    QCommandLineOption verdata{
        QStringLiteral("verdata"),
        QStringLiteral("read the patch records from FILE instead of the client's verdata.mul"),
        QStringLiteral("FILE")};
    QCommandLineOption json{QStringLiteral("json"),
                            QStringLiteral("print one JSON document instead of text")};
    QCommandLineOption version{QStringLiteral("version"),
                               QStringLiteral("print the version and exit")};
};

void PrintHelp(std::ostream& out, const GlobalOptionList& global, const CommandLine& line) {
    out << "Usage: tessaly-cli " << Synopsis({global.clientDir, global.verdata})
        << " COMMAND [ARGS] " << Synopsis({global.json})
        << "\nNumbers are decimal or 0x-hex.\n\nCommands:\n";
    std::vector<tessaly::HelpRow> rows;
    for (const Command& c : Commands()) {
        rows.push_back({std::string(c.name) + (*c.usage != '\0' ? " " : "") + c.usage, c.summary});
    }
    out << tessaly::FormatHelpRows(rows, 6) << "\nOptions:\n"
        << OptionsHelp(
               {global.clientDir, global.verdata, global.json, global.version, line.HelpOption()},
               20);
}

// The options a command's usage names ("[--name]", or "[--name VALUE]" for one that takes a
// value), the only ones it accepts.
QList<QCommandLineOption> UsageOptions(std::string_view usage) {
    QList<QCommandLineOption> options;
    for (std::size_t at = usage.find("[--"); at != std::string_view::npos;
         at = usage.find("[--", at + 1)) {
        const std::size_t end = usage.find(']', at);
        if (end == std::string_view::npos) {
            break;
        }
        const QString option = QString::fromLatin1(usage.substr(at + 3, end - at - 3));
        const QString value = option.section(QLatin1Char(' '), 1);
        options.append(
            QCommandLineOption(option.section(QLatin1Char(' '), 0, 0), QString(), value));
    }
    return options;
}

// The words a command takes when its usage has one form: its usage before the options.
std::string_view ArgWords(const Command& c) {
    const std::string_view usage = c.usage;
    const std::string_view words = usage.substr(0, usage.find('['));
    return words.substr(0, words.find_last_not_of(' ') + 1);
}

// How many words that is; none for a command of several forms or whose options take words,
// whose handler checks them.
std::optional<std::size_t> FixedArgCount(const Command& c) {
    if (c.optionWords || std::string_view(c.usage).find(" | ") != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view words = ArgWords(c);
    std::size_t count = 0;
    for (std::size_t at = words.find_first_not_of(' '); at != std::string_view::npos;
         at = words.find_first_not_of(' ', words.find(' ', at))) {
        ++count;
    }
    return count;
}

int Run(int argc, char** argv) {
    const GlobalOptionList global;
    const auto& [clientDir, verdata, json, version] = global;
    // Every command's own options are known to the parser; each command then takes only its own.
    QList<QCommandLineOption> commandOptions;
    for (const Command& c : Commands()) {
        for (const QCommandLineOption& option : UsageOptions(c.usage)) {
            if (std::none_of(commandOptions.begin(), commandOptions.end(),
                             [&](const auto& known) { return known.names() == option.names(); })) {
                commandOptions.append(option);
            }
        }
    }
    CommandLine line(QList{clientDir, verdata, json, version} + commandOptions);
    line.Parse(argc, argv);
    if (line.HelpWanted()) {
        PrintHelp(std::cout, global, line);
        return 0;
    }
    if (line.IsSet(version)) {
        std::cout << "tessaly-cli (Tessaly) " TESSALY_VERSION "\n";
        return 0;
    }
    if (std::string missing = line.MissingValue(); !missing.empty()) {
        throw UsageError(missing);
    }
    std::vector<std::string> positional = line.Positional();
    if (positional.empty()) {
        throw UsageError("missing command (see tessaly-cli --help)");
    }
    const std::string name = positional.front();
    Invocation inv;
    inv.out = &std::cout;
    inv.global.clientDir = line.Value(clientDir);
    inv.global.verdata = line.Value(verdata);
    inv.json = line.IsSet(json);
    inv.args.assign(positional.begin() + 1, positional.end());
    for (const Command& c : Commands()) {
        if (name == c.name && (c.kind == nullptr || (!inv.args.empty() && inv.args[0] == c.kind))) {
            // Options of other commands, then ones no command has, are mistakes here.
            std::vector<std::string> wrong = line.Found(commandOptions);
            const QList<QCommandLineOption> own = UsageOptions(c.usage);
            inv.flags = line.Found(own);
            for (const QCommandLineOption& option : own) {
                if (!option.valueName().isEmpty() && line.IsSet(option)) {
                    inv.values["--" + option.names().front().toStdString()] = line.Value(option);
                }
            }
            std::erase_if(wrong, [&](const std::string& flag) { return inv.HasFlag(flag); });
            for (std::string& flag : line.Rejected()) {
                wrong.push_back(std::move(flag));
            }
            if (!wrong.empty()) {
                throw UsageError("unknown option '" + wrong.front() + "' for '" + name + "'");
            }
            if (const auto count = FixedArgCount(c); count && inv.args.size() > *count) {
                const std::string_view words = ArgWords(c);
                throw UsageError("unexpected argument '" + inv.args[*count] + "' for '" + name +
                                 (words.empty() ? "" : " ") + std::string(words) + "'");
            }
            if (c.needsClient) {
                PrepareClientFiles(inv.global);
            }
            return c.run(inv);
        }
    }
    throw UsageError("unknown command '" + name + "' (see tessaly-cli --help)");
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const tessaly::CTarnError& e) {
        // A read that failed deep in the data layer: said as what it means to the user, with
        // the reader's own words for a report.
        std::cerr << "tessaly-cli: a damaged or cut file could not be read: " << e.m_pszDescription
                  << '\n';
    } catch (const std::exception& e) {
        std::cerr << "tessaly-cli: " << e.what() << '\n';
    } catch (...) {
        std::cerr << "tessaly-cli: the data could not be read\n";
    }
    return 2;
}
