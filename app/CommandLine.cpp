#include "CommandLine.h"

#include "DataTypeDef.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace tessaly {

CCommandLineInfo ParseCommandLine(const QStringList& args) {
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption clientDir(QStringLiteral("client-dir"), QString(),
                                       QStringLiteral("DIR"));
    const QCommandLineOption open(QStringLiteral("open"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), QString(),
                                        QStringLiteral("FILE"));
    const QCommandLineOption category(QStringLiteral("category"), QString(),
                                      QStringLiteral("NAME"));
    QCommandLineParser parser;
    parser.addOptions({help, version, clientDir, open, screenshot, category});

    CCommandLineInfo info;
    // The parser takes the program name first.
    if (!parser.parse(QStringList{QStringLiteral("tessaly")} + args)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            const QString& name = unknown.front();
            info.m_sError =
                QStringLiteral("unknown option %1%2")
                    .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
        } else {
            // The only other failure: a value option ends the line.
            info.m_sError = QStringLiteral("%1 needs a value").arg(args.back().section('=', 0, 0));
        }
    }
    info.m_bHelp = parser.isSet(help);
    info.m_bVersion = parser.isSet(version);
    info.m_OpenFiles = parser.values(open);
    info.m_sClientDir = parser.value(clientDir);
    info.m_sScreenshot = parser.value(screenshot);
    info.m_sCategory = parser.value(category);
    if (!parser.positionalArguments().isEmpty()) {
        info.m_strFileName = parser.positionalArguments().front();
    }
    // "--name=" gives no value either.
    for (const QCommandLineOption* option : {&clientDir, &open, &screenshot, &category}) {
        if (info.m_sError.isEmpty() && parser.isSet(*option) &&
            parser.values(*option).contains(QString())) {
            info.m_sError = QStringLiteral("--%1 needs a value").arg(option->names().front());
        }
    }
    return info;
}

QString GetUsageText() {
    return QStringLiteral(
               "Usage: tessaly [options] [file]\n"
               "Viewer and patch editor for the client's data files.\n"
               "\n"
               "  --client-dir DIR   look for the client's base files in DIR first\n"
               "  --open FILE        open FILE as a document once the program has started\n"
               "  --screenshot FILE  start up, save a PNG picture of the main window to FILE, "
               "exit\n"
               "  --category NAME    show the category NAME (\"Items\", \"Animations\", \"%1\")\n"
               "                     in the active view after start-up\n"
               "  --version          print the version and exit\n"
               "  --help             print this text and exit\n"
               "\n"
               "A file name alone does not decide what opens: the patch file opened last does, or\n"
               "else a new document made from the client's own verdata.mul.\n")
        .arg(kCategoryItems);
}

}  // namespace tessaly
