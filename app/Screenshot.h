#pragma once
// The --screenshot run: a picture of the main window once start-up is done, for people and
// scripts to look at, and one line saying what it shows.

#include <QString>

namespace tessaly {

class CDataProps;
class CMainFrame;
struct CCommandLineInfo;

// "VerData list, 6 rows": what the active view of the frame shows.
QString DescribeActiveView(const CMainFrame* frame);
// Lets pending layout and paint work finish, then saves a PNG picture of the frame and prints
// where it went and what it shows; false (with a message) when it could not be written.
bool SaveScreenshot(CMainFrame* frame, const QString& path);
// Opens the property sheet the command line asks for (--properties, --page) over the entries
// the active view lists. Null, with a one-line reason in error, when the list has no such
// entry or the sheet no such page.
CDataProps* OpenRequestedSheet(CMainFrame* frame, const CCommandLineInfo& info, QString& error);
// After start-up: the picture the command line asked for, of the main window or of the
// requested property sheet. The exit code (1 for an unknown
// --category or a picture that could not be written, 2 for a missing entry or page).
int RunScreenshot(CMainFrame* frame, const CCommandLineInfo& info);

}  // namespace tessaly
