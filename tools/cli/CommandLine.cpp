#include "CommandLine.h"

#include "HelpText.h"

namespace tessaly::cli {

namespace {

std::string Bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

// "--name VALUE" as a help text writes it.
std::string HelpName(const QCommandLineOption& option) {
    std::vector<std::string> names;
    for (const QString& name : option.names()) {
        names.push_back(Bytes(name));
    }
    return OptionHelpName(names, Bytes(option.valueName()));
}

}  // namespace

std::string Synopsis(const QList<QCommandLineOption>& options) {
    std::string line;
    for (const QCommandLineOption& option : options) {
        line += (line.empty() ? "[" : " [") + HelpName(option) + "]";
    }
    return line;
}

std::string OptionsHelp(const QList<QCommandLineOption>& options, std::size_t column) {
    std::vector<HelpRow> rows;
    for (const QCommandLineOption& option : options) {
        rows.push_back({HelpName(option), Bytes(option.description())});
    }
    return FormatHelpRows(rows, column);
}

CommandLine::CommandLine(const QList<QCommandLineOption>& options)
    : m_options(options),
      m_help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
             QStringLiteral("print this text and exit")) {
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addOption(m_help);
    m_parser.addOptions(m_options);
}

void CommandLine::Parse(int argc, char** argv) {
    m_args.clear();
    for (int i = 0; i < argc; ++i) {
        m_args.append(QString::fromLatin1(argv[i]));
    }
    if (m_args.isEmpty()) {
        m_args.append(QString());  // the parser wants a program name first
    }
    m_ok = m_parser.parse(m_args);
}

bool CommandLine::HelpWanted() const {
    return m_parser.isSet(m_help);
}

bool CommandLine::IsSet(const QCommandLineOption& option) const {
    return m_parser.isSet(option);
}

std::string CommandLine::Value(const QCommandLineOption& option) const {
    return Bytes(m_parser.value(option));
}

std::vector<std::string> CommandLine::Positional() const {
    std::vector<std::string> args;
    for (const QString& a : m_parser.positionalArguments()) {
        args.push_back(Bytes(a));
    }
    return args;
}

std::vector<std::string> CommandLine::Found(const QList<QCommandLineOption>& options) const {
    std::vector<std::string> found;
    for (const QString& name : m_parser.optionNames()) {
        for (const QCommandLineOption& option : options) {
            if (option.names().contains(name)) {
                found.push_back("--" + Bytes(name));
                break;
            }
        }
    }
    return found;
}

std::vector<std::string> CommandLine::Rejected() const {
    std::vector<std::string> rejected;
    if (m_ok) {
        return rejected;
    }
    for (const QString& name : m_parser.unknownOptionNames()) {
        const QString written = WrittenAs(name, false);
        rejected.push_back(written.isEmpty() ? "--" + Bytes(name) : Bytes(written));
    }
    for (const QCommandLineOption& option : m_options + QList{m_help}) {
        if (!option.valueName().isEmpty() || !m_parser.isSet(option)) {
            continue;
        }
        for (const QString& name : option.names()) {
            if (const QString written = WrittenAs(name, true); !written.isEmpty()) {
                rejected.push_back(Bytes(written));
            }
        }
    }
    return rejected;
}

std::string CommandLine::MissingValue() const {
    if (m_ok) {
        return std::string();
    }
    // The parser counts the option as given but holds no value for that last time.
    for (const QCommandLineOption& option : m_options) {
        if (option.valueName().isEmpty()) {
            continue;
        }
        qsizetype given = 0;
        for (const QString& name : option.names()) {
            given += m_parser.optionNames().count(name);
        }
        if (given > m_parser.values(option).size()) {
            return "--" + Bytes(option.names().constFirst()) + " needs a value";
        }
    }
    return std::string();
}

QString CommandLine::WrittenAs(const QString& name, bool assigned) const {
    for (qsizetype i = 1; i < m_args.size() && m_args[i] != QLatin1String("--"); ++i) {
        const QString& a = m_args[i];
        const QString option = a.section(QLatin1Char('='), 0, 0);
        if ((option == QLatin1String("--") + name || option == QLatin1Char('-') + name) &&
            (!assigned || option.size() < a.size())) {
            return a;
        }
    }
    return QString();
}

}  // namespace tessaly::cli
