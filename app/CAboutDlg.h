#pragma once
// The About box (dialog 100): the program's icon, the version line, the build line, one fixed
// line of text and an "OK" button.

#include <QDialog>

class QLabel;

namespace tessaly {

inline constexpr const char* kVersionText = "Tessaly Version 0.54v";

// "This Build completed on %s" with the compiler's date and time of the build
// ("Jan 12 2001  03:29:26").
QString GetBuildText();
// The date and time as the build line shows them: the date, two spaces, the time.
QString FormatBuildStamp(const char* date, const char* time);

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QLabel* m_pVersion;  // first text field
    QLabel* m_pBuild;    // second text field
};

}  // namespace tessaly
