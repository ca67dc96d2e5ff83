#pragma once
// The "Message" page of the Cliloc category: one message whole.

#include "CDataDefCliloc.h"
#include "CDataProps.h"

class QLabel;
class QPlainTextEdit;

namespace tessaly {

// "Message": the number (decimal and hexadecimal), the flag and the length of the text in
// bytes and characters, the text whole, and for another language the English text below it.
class CDataPageCliloc : public CDataPage {
    Q_OBJECT

public:
    CDataPageCliloc();
    int LoadData() override;

    QLabel* m_pHeading;
    QPlainTextEdit* m_pText;
    QLabel* m_pEnglishLabel;
    QPlainTextEdit* m_pEnglish;
};

// The Cliloc list's "Export All...": the messages of the chosen language as CSV or JSON (the
// save dialog's file type), as `tessaly-cli export-all Cliloc` writes them; a file that cannot
// be written is a warning.
void ExportClilocMessages();

}  // namespace tessaly
