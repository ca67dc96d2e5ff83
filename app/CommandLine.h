#pragma once
// The program's command line: what it asks for, and the text --help prints.

#include <QString>
#include <QStringList>

#include <cstdint>

namespace tessaly {

// What the command line asked for.
struct CCommandLineInfo {
    QString m_strFileName;       // a file name; it does not decide what opens at start-up
    QString m_sClientDir;        // --client-dir: the folder of the base files
    QStringList m_OpenFiles;     // --open: the desktop's request to open these documents
    QString m_sScreenshot;       // --screenshot: save a picture of the main window, then exit
    QString m_sCategory;         // --category: the category the active view shows after start-up
    QString m_sLanguage;         // --lang: the cliloc language the Cliloc list shows
    int m_nFacet = -1;           // --facet: the facet the map view and Statics list show
    bool m_bThumbnails = false;  // --thumbnails: the active view shows its category as thumbnails
    QString m_sProperties;       // --properties: the entry whose property sheet opens (as given)
    std::uint32_t m_nProperties = 0;  // that entry's number
    QString m_sPage;                  // --page: the caption of the page the sheet shows
    int m_nAction = -1;       // --action: the animation action shown (-1: as the page loads)
    int m_nDirection = -1;    // --direction: the direction list position shown
    int m_nFrame = -1;        // --frame: the animation frame shown
    int m_nHue = -1;          // --hue: the hue the page's picture is drawn in (-1: as it loads)
    bool m_bHelp = false;     // --help
    bool m_bVersion = false;  // --version
    QString m_sError;         // why the command line is not understood; empty when it is

    // A request of the desktop shell (opening files), as opposed to a plain file name.
    bool IsShellCommand() const { return !m_OpenFiles.isEmpty(); }
};

// Parses the arguments that follow the program name.
CCommandLineInfo ParseCommandLine(const QStringList& args);
// The text --help prints.
QString GetUsageText();

}  // namespace tessaly
