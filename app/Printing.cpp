#include "Printing.h"

#include "ShellUi.h"

#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>

namespace tessaly {

void PaintPrintContent(QPainter& painter, const QRect& page, const PrintContent& content) {
    painter.save();
    QFont font = painter.font();
    font.setPointSize(12);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const int line = painter.fontMetrics().height();
    painter.drawText(QRect(page.left(), page.top(), page.width(), line),
                     Qt::AlignLeft | Qt::AlignVCenter, content.title);
    const QRect room(page.left(), page.top() + 2 * line, page.width(),
                     std::max(0, page.height() - 2 * line));
    if (!content.picture.isNull() && !room.isEmpty()) {
        // The picture's pixels are screen pixels: at the device's resolution a picture would
        // print tiny, so it is shown as large as it looks on a screen, scaled down to fit.
        const double perPixel = painter.device()->logicalDpiX() / 96.0;
        QSizeF size = QSizeF(content.picture.size()) * std::max(perPixel, 1.0);
        if (size.width() > room.width() || size.height() > room.height()) {
            size.scale(QSizeF(room.size()), Qt::KeepAspectRatio);
        }
        painter.drawImage(QRectF(QPointF(room.topLeft()), size), content.picture);
    }
    painter.restore();
}

CPrinting::CPrinting() = default;
CPrinting::~CPrinting() = default;

QPrinter& CPrinting::GetPrinter() {
    if (!m_pPrinter) {
        m_pPrinter = std::make_unique<QPrinter>();
    }
    return *m_pPrinter;
}

void CPrinting::Print(QPrinter& printer) const {
    const PrintContent content = m_GetContent ? m_GetContent() : PrintContent();
    QPainter painter(&printer);
    if (!painter.isActive()) {
        return;  // the printer could not start a page
    }
    PaintPrintContent(painter, printer.pageLayout().paintRectPixels(printer.resolution()), content);
}

void CPrinting::OnFilePrint(CShellUi& ui, QWidget* owner) {
    QPrintDialog dlg(&GetPrinter(), owner);
    if (!ui.RunDialog(dlg)) {
        return;
    }
    Print(GetPrinter());
}

void CPrinting::OnFilePrintPreview(CShellUi& ui, QWidget* owner) {
    QPrintPreviewDialog dlg(&GetPrinter(), owner);
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg,
                     [this](QPrinter* printer) { Print(*printer); });
    ui.RunDialog(dlg);
}

void CPrinting::OnFilePrintSetup(CShellUi& ui, QWidget* owner) {
    QPageSetupDialog dlg(&GetPrinter(), owner);
    ui.RunDialog(dlg);
}

}  // namespace tessaly
