#pragma once
// The File menu's printing commands over one printer set-up. The view draws nothing, so the
// pages come out blank.

#include <QPrinter>

#include <memory>

class QWidget;

namespace tessaly {

class CShellUi;

class CPrinting {
public:
    CPrinting();
    ~CPrinting();

    // "Print...": the print dialog, then the pages.
    void OnFilePrint(CShellUi& ui, QWidget* owner);
    // "Print Preview".
    void OnFilePrintPreview(CShellUi& ui, QWidget* owner);
    // "Print Setup...".
    void OnFilePrintSetup(CShellUi& ui, QWidget* owner);

private:
    // Made at first use: looking for printers takes time.
    QPrinter& GetPrinter();

    std::unique_ptr<QPrinter> m_pPrinter;
};

}  // namespace tessaly
