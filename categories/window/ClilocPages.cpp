#include "ClilocPages.h"

#include "CDataAppState.h"
#include "ClientFiles.h"
#include "DataExport.h"
#include "ShellUi.h"
#include "Text.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace tessaly {

namespace {

QPlainTextEdit* ReadOnlyText(QWidget* parent, const char* name) {
    auto* text = new QPlainTextEdit(parent);
    text->setObjectName(QString::fromLatin1(name));
    text->setReadOnly(true);
    return text;
}

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "12 bytes, 10 characters" (characters: Unicode code points).
QString LengthText(std::string_view text) {
    const QString decoded = Utf8(text);
    const auto characters = decoded.toUcs4().size();
    return QStringLiteral("%1 bytes, %2 characters").arg(text.size()).arg(characters);
}

}  // namespace

CDataPageCliloc::CDataPageCliloc() : CDataPage(162, QStringLiteral("Message")) {
    m_pHeading = new QLabel(this);
    m_pHeading->setObjectName(QStringLiteral("heading"));
    m_pHeading->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pText = ReadOnlyText(this, "text");
    m_pEnglishLabel = new QLabel(QStringLiteral("English:"), this);
    m_pEnglish = ReadOnlyText(this, "english");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 7, 7, 7);
    layout->addWidget(m_pHeading);
    layout->addWidget(m_pText, 2);
    layout->addWidget(m_pEnglishLabel);
    layout->addWidget(m_pEnglish, 1);
}

int CDataPageCliloc::LoadData() {
    auto* entry = dynamic_cast<CDataDefCliloc*>(GetDataDef());
    if (entry == nullptr || entry->GetView() == nullptr) {
        return 1;
    }
    const ClilocView& view = *entry->GetView();
    const ClilocRow& row = entry->GetRow();
    QString heading = QStringLiteral("Message %1 (0x%2), Cliloc.%3")
                          .arg(row.number)
                          .arg(row.number, 0, 16)
                          .arg(QString::fromStdString(view.language));
    if (row.own == ClilocRow::kNone) {
        heading += QStringLiteral(": no translation");
        m_pText->clear();
    } else {
        const std::string_view text = view.OwnText(row);
        heading += QStringLiteral(", flag %1: %2")
                       .arg(view.own->Messages()[row.own].flag)
                       .arg(LengthText(text));
        m_pText->setPlainText(Utf8(text));
    }
    m_pHeading->setText(heading);
    const bool english = !view.IsEnglish();
    m_pEnglishLabel->setVisible(english);
    m_pEnglish->setVisible(english);
    if (english) {
        const std::string_view text = view.EnglishText(row);
        m_pEnglishLabel->setText(row.base == ClilocRow::kNone
                                     ? QStringLiteral("English: none")
                                     : QStringLiteral("English (%1):").arg(LengthText(text)));
        m_pEnglish->setPlainText(Utf8(text));
    }
    return CDataPage::LoadData();
}

void ExportClilocMessages() {
    const std::shared_ptr<const ClilocView> view = GetClilocView();
    CShellUi& ui = DataAppState().Ui();
    // A compressed file, or one of no messages read, would make a file of headers only.
    if (const std::string nothing = view->NothingShownReason(); !nothing.empty()) {
        ui.ShowWarning("Nothing to export: " + nothing);
        return;
    }
    const auto choice = ui.ChooseExportFile("CSV files|*.csv|JSON files|*.json||",
                                            "cliloc-" + view->language + ".csv");
    if (!choice) {
        return;
    }
    const std::string text = choice->nFilter == 1 ? ClilocJson(*view) : ClilocCsv(*view);
    if (const std::string error = WriteExport(choice->path, text); !error.empty()) {
        ui.ShowWarning(error);
    }
}

}  // namespace tessaly
