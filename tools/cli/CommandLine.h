#pragma once
// The command line of the tools, read with QCommandLineParser: options may stand anywhere on
// the line, "-name" is taken as "--name", "--" ends the options and -h/--help is always known.
// Arguments pass through the parser as Latin-1 text, one character a byte, so a path or name
// comes back byte for byte whatever its encoding.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QStringList>

#include <cstddef>
#include <string>
#include <vector>

namespace tessaly::cli {

// How the options stand on a usage line: "[--name]" or "[--name VALUE]", in order.
std::string Synopsis(const QList<QCommandLineOption>& options);
// The help rows of the options (names, value, description; see FormatHelpRows), the text
// starting at `column`.
std::string OptionsHelp(const QList<QCommandLineOption>& options, std::size_t column);

class CommandLine {
public:
    // The options the line may hold besides -h/--help.
    explicit CommandLine(const QList<QCommandLineOption>& options);

    // -h/--help, which every line knows.
    const QCommandLineOption& HelpOption() const { return m_help; }

    // Reads argv (program name first).
    void Parse(int argc, char** argv);

    bool HelpWanted() const;
    bool IsSet(const QCommandLineOption& option) const;
    // The last value given for an option; empty when it was not given.
    std::string Value(const QCommandLineOption& option) const;
    // The arguments that are not options, in order.
    std::vector<std::string> Positional() const;
    // Which of the given options stand on the line, in line order, as "--name" (once each time
    // they were given).
    std::vector<std::string> Found(const QList<QCommandLineOption>& options) const;
    // The options the parser turned down, as they were written: unknown ones ("--x", "-x",
    // "--x=1"), then options without a value that were given one ("--json=1").
    std::vector<std::string> Rejected() const;
    // An option at the end of the line that lacks its value ("--client-dir needs a value"), or
    // empty.
    std::string MissingValue() const;

private:
    // The first argument that gives the option `name` ("-name", "--name", either followed by
    // "=value" when `assigned`), or empty.
    QString WrittenAs(const QString& name, bool assigned) const;

    QList<QCommandLineOption> m_options;
    QCommandLineOption m_help;
    QCommandLineParser m_parser;
    QStringList m_args;
    bool m_ok = false;
};

}  // namespace tessaly::cli
