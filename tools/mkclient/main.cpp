// tessaly-mkclient: writes a complete, deterministic sample client directory.

#include "CommandLine.h"
#include "SampleClient.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const QCommandLineOption full(QStringLiteral("full"),
                                  QStringLiteral("a full-size client, for benchmarks"));
    const QCommandLineOption modern(
        QStringLiteral("modern"),
        QStringLiteral("a newer client: containers, newer tile data and multis"));
    const QCommandLineOption damage(
        QStringLiteral("damage"), QStringLiteral("then damage it, the same way for the same seed"),
        QStringLiteral("SEED"));
    const QCommandLineOption hostile(
        QStringLiteral("hostile"),
        QStringLiteral("then lay one hostile case over it: special-files, planted-links, "
                       "sparse-files, anti-sort, huge-frames, overlapping, lying-container"),
        QStringLiteral("CASE"));
    const QList<QCommandLineOption> options{full, modern, damage, hostile};
    const std::string usage =
        "Usage: tessaly-mkclient " + tessaly::cli::Synopsis(options) + " DIR\n";
    tessaly::cli::CommandLine line(options);
    line.Parse(argc, argv);
    if (line.HelpWanted()) {
        std::cout << usage << "Writes a small, deterministic sample client into DIR.\n\nOptions:\n"
                  << tessaly::cli::OptionsHelp(options + QList{line.HelpOption()}, 18);
        return 0;
    }
    std::vector<std::string> unexpected = line.Rejected();
    const std::vector<std::string> positional = line.Positional();
    if (positional.size() > 1) {
        unexpected.push_back(positional[1]);  // one directory only
    }
    if (!unexpected.empty()) {
        std::cerr << "tessaly-mkclient: unexpected argument '" << unexpected.front() << "'\n";
        return 2;
    }
    if (positional.empty()) {
        std::cerr << usage;
        return 2;
    }
    std::uint32_t seed = 0;
    if (line.IsSet(damage)) {
        bool ok = false;
        seed = QString::fromStdString(line.Value(damage)).toUInt(&ok, 10);
        if (!ok) {
            std::cerr << "tessaly-mkclient: the seed must be a number from 0 to 4294967295\n";
            return 2;
        }
    }
    try {
        if (line.IsSet(modern)) {
            tessaly::mk::WriteModernClient(positional.front(), tessaly::mk::ModernForm::Containers,
                                           line.IsSet(full));
        } else {
            tessaly::mk::WriteSampleClient(positional.front(), line.IsSet(full));
        }
        if (line.IsSet(damage)) {
            tessaly::mk::DamageClient(positional.front(), seed);
        }
        if (line.IsSet(hostile) &&
            !tessaly::mk::MakeHostile(positional.front(), line.Value(hostile))) {
            std::cerr << "tessaly-mkclient: no hostile case '" << line.Value(hostile)
                      << "' for this client\n";
            return 2;
        }
    } catch (const std::exception& e) {
        std::cerr << "tessaly-mkclient: " << e.what() << '\n';
        return 2;
    }
    return 0;
}
