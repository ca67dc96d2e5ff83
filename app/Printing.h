#pragma once
// The File menu's printing commands over one printer set-up. A print shows what the active view
// shows: the selected entry's picture when it has one, else the list (or map) as it stands in
// its window, under a title line, scaled down to fit one page.

#include <QImage>
#include <QPrinter>
#include <QString>

#include <functional>
#include <memory>

class QPainter;
class QWidget;

namespace tessaly {

class CShellUi;

// What one printed page shows.
struct PrintContent {
    QString title;   // the line above the picture
    QImage picture;  // null: the page has the title alone
};

// Paints the content into the page rectangle: the title on top, the picture below it at its
// own size, or scaled down (keeping its proportions) to fit.
void PaintPrintContent(QPainter& painter, const QRect& page, const PrintContent& content);

class CPrinting {
public:
    CPrinting();
    ~CPrinting();

    // The content of a print, asked for when one is made (the active view's).
    std::function<PrintContent()> m_GetContent;

    // "Print...": the print dialog, then the page.
    void OnFilePrint(CShellUi& ui, QWidget* owner);
    // "Print Preview".
    void OnFilePrintPreview(CShellUi& ui, QWidget* owner);
    // "Print Setup...".
    void OnFilePrintSetup(CShellUi& ui, QWidget* owner);

    // The printer the commands print on; made at first use (looking for printers takes time).
    QPrinter& GetPrinter();

private:
    // Prints the content on the printer's page.
    void Print(QPrinter& printer) const;

    std::unique_ptr<QPrinter> m_pPrinter;
};

}  // namespace tessaly
