#include "CommandLine.h"

#include "DataTypeDef.h"
#include "Text.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <utility>

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
    const QCommandLineOption properties(QStringLiteral("properties"), QString(),
                                        QStringLiteral("ENTRY"));
    const QCommandLineOption page(QStringLiteral("page"), QString(), QStringLiteral("CAPTION"));
    const QCommandLineOption action(QStringLiteral("action"), QString(), QStringLiteral("N"));
    const QCommandLineOption direction(QStringLiteral("direction"), QString(), QStringLiteral("P"));
    const QCommandLineOption frame(QStringLiteral("frame"), QString(), QStringLiteral("N"));
    const QCommandLineOption hue(QStringLiteral("hue"), QString(), QStringLiteral("N"));
    const QCommandLineOption thumbnails(QStringLiteral("thumbnails"));
    const QCommandLineOption language(QStringLiteral("lang"), QString(), QStringLiteral("XXX"));
    QCommandLineParser parser;
    parser.addOptions({help, version, clientDir, open, screenshot, category, properties, page,
                       action, direction, frame, hue, thumbnails, language});

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
    info.m_sLanguage = parser.value(language);
    info.m_bThumbnails = parser.isSet(thumbnails);
    info.m_sProperties = parser.value(properties);
    info.m_sPage = parser.value(page);
    if (!parser.positionalArguments().isEmpty()) {
        info.m_strFileName = parser.positionalArguments().front();
    }
    // "--name=" gives no value either.
    for (const QCommandLineOption* option : {&clientDir, &open, &screenshot, &category, &properties,
                                             &page, &action, &direction, &frame, &hue, &language}) {
        if (info.m_sError.isEmpty() && parser.isSet(*option) &&
            parser.values(*option).contains(QString())) {
            info.m_sError = QStringLiteral("--%1 needs a value").arg(option->names().front());
        }
    }
    if (info.m_sError.isEmpty() && !info.m_sProperties.isEmpty()) {
        // Decimal or 0x-hex, as the lists number their entries.
        const QString& text = info.m_sProperties;
        if (!ParseEntryNumber(text.toStdString(), info.m_nProperties)) {
            info.m_sError = QStringLiteral("invalid entry number '%1'").arg(text);
        }
    }
    if (info.m_sError.isEmpty() && parser.isSet(hue)) {
        std::uint32_t n = 0;
        const bool ok = ParseEntryNumber(parser.value(hue).toStdString(), n);
        if (!ok || n > 3000) {
            info.m_sError =
                QStringLiteral("invalid hue number '%1' (0 to 3000)").arg(parser.value(hue));
        } else if (info.m_sProperties.isEmpty()) {
            info.m_sError = QStringLiteral("--hue needs --properties");
        }
        info.m_nHue = static_cast<int>(n);
    }
    // The animation choices: numbers from 0, for a sheet that --properties opens.
    for (auto [option, member] :
         {std::pair(&action, &info.m_nAction), std::pair(&direction, &info.m_nDirection),
          std::pair(&frame, &info.m_nFrame)}) {
        if (!info.m_sError.isEmpty() || !parser.isSet(*option)) {
            continue;
        }
        const QString name = QStringLiteral("--") + option->names().front();
        bool ok = false;
        *member = parser.value(*option).toInt(&ok, 10);
        if (!ok || *member < 0) {
            info.m_sError =
                QStringLiteral("invalid %1 value '%2'").arg(name, parser.value(*option));
        } else if (info.m_sProperties.isEmpty()) {
            info.m_sError = QStringLiteral("%1 needs --properties").arg(name);
        }
    }
    if (info.m_sError.isEmpty() && !info.m_sPage.isEmpty() && info.m_sProperties.isEmpty()) {
        info.m_sError = QStringLiteral("--page needs --properties");
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
               "  --thumbnails       show that category as thumbnails (\"Thumb Nail\")\n"
               "  --lang XXX         the Cliloc list shows the language XXX (\"deu\") over "
               "English\n"
               "  --properties ENTRY open the property sheet of entry ENTRY (decimal or 0x-hex)\n"
               "                     of that category; with --screenshot, save the sheet\n"
               "  --page CAPTION     show the sheet's page CAPTION (default: the first page)\n"
               "  --action N, --direction P, --frame N\n"
               "                     on an animation page: show action N, direction list\n"
               "                     position P (0-4) and frame N\n"
               "  --hue N            on an item, gump or animation page: draw in hue N (decimal\n"
               "                     or 0x-hex, the Hues page's Hue Index)\n"
               "  --version          print the version and exit\n"
               "  --help             print this text and exit\n"
               "\n"
               "A file name alone does not decide what opens: the patch file opened last does, or\n"
               "else a new document made from the client's own verdata.mul.\n")
        .arg(kCategoryItems);
}

}  // namespace tessaly
