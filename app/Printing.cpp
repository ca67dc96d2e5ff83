#include "Printing.h"

#include "ShellUi.h"

#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>

namespace tessaly {

CPrinting::CPrinting() = default;
CPrinting::~CPrinting() = default;

QPrinter& CPrinting::GetPrinter() {
    if (!m_pPrinter) {
        m_pPrinter = std::make_unique<QPrinter>();
    }
    return *m_pPrinter;
}

void CPrinting::OnFilePrint(CShellUi& ui, QWidget* owner) {
    QPrintDialog dlg(&GetPrinter(), owner);
    if (!ui.RunDialog(dlg)) {
        return;
    }
    QPainter painter(&GetPrinter());
}

void CPrinting::OnFilePrintPreview(CShellUi& ui, QWidget* owner) {
    QPrintPreviewDialog dlg(&GetPrinter(), owner);
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg,
                     [](QPrinter* printer) { QPainter painter(printer); });
    ui.RunDialog(dlg);
}

void CPrinting::OnFilePrintSetup(CShellUi& ui, QWidget* owner) {
    QPageSetupDialog dlg(&GetPrinter(), owner);
    ui.RunDialog(dlg);
}

}  // namespace tessaly
