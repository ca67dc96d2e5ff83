#include "CommandLine.h"

#include "DataTypeDef.h"
#include "HelpText.h"
#include "Text.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <string>
#include <utility>
#include <vector>

namespace tessaly {

namespace {

// The options the program knows, each with its description: --help and the man page are made
// from these.
struct Options {
    QCommandLineOption clientDir{QStringLiteral("client-dir"),
                                 QStringLiteral("look for the client's base files in DIR first"),
                                 QStringLiteral("DIR")};
    QCommandLineOption open{
        QStringLiteral("open"),
        QStringLiteral("open FILE (a verdata.mul-format patch file) as a document once the "
                       "program has started"),
        QStringLiteral("FILE")};
    QCommandLineOption screenshot{
        QStringLiteral("screenshot"),
        QStringLiteral("start up, save a picture of the main window (of the sheet, with "
                       "--properties) to FILE.png and exit"),
        QStringLiteral("FILE.png")};
    QCommandLineOption category{
        QStringLiteral("category"),
        QStringLiteral("show the category NAME (\"Items\", \"Animations\", \"%1\") in the "
                       "active view after start-up")
            .arg(kCategoryItems),
        QStringLiteral("NAME")};
    QCommandLineOption thumbnails{
        QStringLiteral("thumbnails"),
        QStringLiteral("show that category as thumbnails (\"Thumb Nail\")")};
    QCommandLineOption properties{
        QStringLiteral("properties"),
        QStringLiteral("open the property sheet of entry ENTRY (decimal or 0x-hex) of that "
                       "category"),
        QStringLiteral("ENTRY")};
    QCommandLineOption page{
        QStringLiteral("page"),
        QStringLiteral("show the sheet's page CAPTION (default: the first page)"),
        QStringLiteral("CAPTION")};
    QCommandLineOption action{QStringLiteral("action"),
                              QStringLiteral("on an animation page: show action N"),
                              QStringLiteral("N")};
    QCommandLineOption direction{
        QStringLiteral("direction"),
        QStringLiteral("on an animation page: show direction list position P (0 to 4)"),
        QStringLiteral("P")};
    QCommandLineOption frame{QStringLiteral("frame"),
                             QStringLiteral("on an animation page: show frame N"),
                             QStringLiteral("N")};
    QCommandLineOption hue{
        QStringLiteral("hue"),
        QStringLiteral("on an item, gump or animation page: draw in hue N (decimal or 0x-hex, "
                       "0 to 3000, as the Hues page's Hue Index)"),
        QStringLiteral("N")};
    QCommandLineOption language{
        QStringLiteral("lang"),
        QStringLiteral("the Cliloc list shows the language XXX (\"deu\") over English"),
        QStringLiteral("XXX")};
    QCommandLineOption facet{
        QStringLiteral("facet"),
        QStringLiteral("the map view and the Statics list show facet N (0 to 5: Felucca, "
                       "Trammel, Ilshenar, Malas, Tokuno, Ter Mur)"),
        QStringLiteral("N")};
    QCommandLineOption version{QStringLiteral("version"),
                               QStringLiteral("print the version and exit")};
    QCommandLineOption help{QStringList{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("print this text and exit")};

    // In the order --help lists them.
    QList<QCommandLineOption> All() const {
        return {clientDir, open,   screenshot, category, thumbnails, language, facet, properties,
                page,      action, direction,  frame,    hue,        version,  help};
    }
};

}  // namespace

CCommandLineInfo ParseCommandLine(const QStringList& args) {
    const Options options;
    const auto& [clientDir, open, screenshot, category, thumbnails, properties, page, action,
                 direction, frame, hue, language, facet, version, help] = options;
    QCommandLineParser parser;
    parser.addOptions(options.All());

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
    for (const QCommandLineOption* option :
         {&clientDir, &open, &screenshot, &category, &properties, &page, &action, &direction,
          &frame, &hue, &language, &facet}) {
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
    if (info.m_sError.isEmpty() && parser.isSet(facet)) {
        bool ok = false;
        info.m_nFacet = parser.value(facet).toInt(&ok, 10);
        if (!ok || info.m_nFacet < 0 || info.m_nFacet > 5) {
            info.m_sError = QStringLiteral("invalid facet '%1' (0 to 5)").arg(parser.value(facet));
        }
    }
    if (info.m_sError.isEmpty() && !info.m_sPage.isEmpty() && info.m_sProperties.isEmpty()) {
        info.m_sError = QStringLiteral("--page needs --properties");
    }
    return info;
}

QString GetUsageText() {
    std::vector<HelpRow> rows;
    for (const QCommandLineOption& option : Options().All()) {
        std::vector<std::string> names;
        for (const QString& name : option.names()) {
            names.push_back(name.toStdString());
        }
        rows.push_back({OptionHelpName(names, option.valueName().toStdString()),
                        option.description().toStdString()});
    }
    return QStringLiteral(
               "Usage: tessaly [options] [file]\n"
               "Viewer and patch editor for the client's data files.\n"
               "\n"
               "Options:\n") +
           QString::fromStdString(FormatHelpRows(rows, 22)) +
           QStringLiteral(
               "\n"
               "A file name alone does not decide what opens: the patch file opened last does,\n"
               "or else a new document made from the client's own verdata.mul.\n");
}

}  // namespace tessaly
