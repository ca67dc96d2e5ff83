#include "ShellUi.h"

#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStringList>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>

namespace tessaly {

namespace {

const QString kTitle = QStringLiteral("Tessaly");

std::optional<CShellUi::FileChoice> RunFileDialog(QWidget* owner, const char* filter, bool bSave,
                                                  bool bMustExist, bool bConfirmOverwrite,
                                                  const std::string& name) {
    const QString filters = ToQtFileFilter(filter);
    QFileDialog box(owner, QString(), QString(), filters);
    box.setAcceptMode(bSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    box.setFileMode(bMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    box.setOption(QFileDialog::DontConfirmOverwrite, !bConfirmOverwrite);
    if (!name.empty()) {
        box.selectFile(QString::fromStdString(name));
    }
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return CShellUi::FileChoice{
        box.selectedFiles().front().toStdString(),
        static_cast<int>(filters.split(QStringLiteral(";;")).indexOf(box.selectedNameFilter()))};
}

}  // namespace

QString ToQtFileFilter(const char* filter) {
    const QStringList parts = QString::fromLatin1(filter).split(QLatin1Char('|'));
    QStringList filters;
    // Name and pattern alternate; an empty name ends the list.
    for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

bool CShellDialogs::AskYesNo(const std::string& text) {
    QMessageBox box(QMessageBox::Question, kTitle, QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No, m_pOwner);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> CShellDialogs::ChooseFile(const PatchFileDialog& dialog) {
    auto choice = RunFileDialog(m_pOwner, dialog.pFilter, dialog.bSave, dialog.bMustExist,
                                dialog.bConfirmOverwrite, std::string());
    return choice ? std::optional(choice->path) : std::nullopt;
}

void CShellDialogs::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, kTitle, QString::fromStdString(text), QMessageBox::Ok,
                    m_pOwner);
    box.exec();
}

CShellUi::Answer CShellDialogs::AskYesNoCancel(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::Question, title.empty() ? kTitle : QString::fromStdString(title),
                    QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_pOwner);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

void CShellDialogs::ShowWarning(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, kTitle, QString::fromStdString(text), QMessageBox::Ok,
                    m_pOwner);
    box.exec();
}

std::optional<std::string> CShellDialogs::ChooseDocumentFile(bool bSave, const std::string& name) {
    auto choice = RunFileDialog(m_pOwner, kDocumentFileFilter, bSave, !bSave, bSave, name);
    return choice ? std::optional(choice->path) : std::nullopt;
}

std::optional<CShellUi::FileChoice> CShellDialogs::ChooseExportFile(const char* filter,
                                                                    const std::string& name) {
    return RunFileDialog(m_pOwner, filter, true, false, true, name);
}

std::optional<std::string> CShellDialogs::ChooseFolder(const std::string& prompt,
                                                       const std::string& startDir) {
    QString dir = QFileDialog::getExistingDirectory(m_pOwner, QString::fromStdString(prompt),
                                                    QString::fromStdString(startDir));
    if (dir.isEmpty()) {
        return std::nullopt;
    }
    return dir.toStdString();
}

std::optional<std::uint32_t> CShellDialogs::ChooseColor(std::uint32_t rgb) {
    QColor color = QColorDialog::getColor(QColor::fromRgb(rgb & 0xFFFFFFu), m_pOwner);
    if (!color.isValid()) {
        return std::nullopt;
    }
    return color.rgb() & 0xFFFFFFu;
}

bool CShellDialogs::RunDialog(QDialog& dialog) {
    return dialog.exec() == QDialog::Accepted;
}

CShellUi::Progress CShellUi::BeginProgress(const std::string& /*text*/) {
    return {};
}

CShellUi::Progress CShellDialogs::BeginProgress(const std::string& text) {
    constexpr int kSteps = 1000;
    // A modal progress dialog without a cancel button: it appears once the task has taken a
    // tenth of a second, and each change of its value lets the window paint. The value moves
    // in thousandths, so the window is not asked to paint after every entry.
    auto dialog = std::shared_ptr<QProgressDialog>(
        new QProgressDialog(QString::fromStdString(text), QString(), 0, kSteps, m_pOwner),
        [](QProgressDialog* d) {
            d->hide();
            d->deleteLater();
        });
    dialog->setWindowTitle(kTitle);
    dialog->setWindowModality(Qt::ApplicationModal);
    // The dialog shows when the task's own progress calls find the delay past (on m_Now), not
    // on a timer of its own.
    dialog->setMinimumDuration(INT_MAX);
    dialog->setAutoReset(false);
    dialog->setValue(0);
    const std::function<std::chrono::steady_clock::time_point()> now = m_Now;
    const std::chrono::steady_clock::time_point start = now();
    return [dialog, now, start](std::uint64_t done, std::uint64_t total) {
        if (!dialog->isVisible() && now() - start >= kProgressDelay) {
            dialog->show();
        }
        const int step =
            total == 0 ? kSteps
                       : static_cast<int>(std::min<std::uint64_t>(done, total) * kSteps / total);
        if (step != dialog->value()) {
            dialog->setValue(step);
        }
    };
}

std::optional<std::string> CShellDialogs::AskText(const std::string& text,
                                                  const std::string& title) {
    bool ok = false;
    QString typed =
        QInputDialog::getText(m_pOwner, title.empty() ? kTitle : QString::fromStdString(title),
                              QString::fromStdString(text), QLineEdit::Normal, QString(), &ok);
    if (!ok) {
        return std::nullopt;
    }
    return typed.toStdString();
}

bool CConsoleUi::AskYesNo(const std::string& text) {
    std::fprintf(stderr, "tessaly: %s (answered No)\n", text.c_str());
    return false;
}

std::optional<std::string> CConsoleUi::ChooseFile(const PatchFileDialog& /*dialog*/) {
    return std::nullopt;
}

void CConsoleUi::ShowMessage(const std::string& text) {
    std::fprintf(stderr, "tessaly: %s\n", text.c_str());
}

CShellUi::Answer CConsoleUi::AskYesNoCancel(const std::string& text, const std::string& /*title*/) {
    std::fprintf(stderr, "tessaly: %s (answered No)\n", text.c_str());
    return Answer::No;
}

void CConsoleUi::ShowWarning(const std::string& text) {
    ShowMessage(text);
}

std::optional<std::string> CConsoleUi::ChooseDocumentFile(bool /*bSave*/,
                                                          const std::string& /*name*/) {
    return std::nullopt;
}

std::optional<CShellUi::FileChoice> CConsoleUi::ChooseExportFile(const char* /*filter*/,
                                                                 const std::string& /*name*/) {
    return std::nullopt;
}

std::optional<std::string> CConsoleUi::ChooseFolder(const std::string& /*prompt*/,
                                                    const std::string& /*startDir*/) {
    return std::nullopt;
}

std::optional<std::uint32_t> CConsoleUi::ChooseColor(std::uint32_t /*rgb*/) {
    return std::nullopt;
}

bool CConsoleUi::RunDialog(QDialog& /*dialog*/) {
    return false;
}

std::optional<std::string> CConsoleUi::AskText(const std::string& text,
                                               const std::string& /*title*/) {
    std::fprintf(stderr, "tessaly: %s (not answered)\n", text.c_str());
    return std::nullopt;
}

}  // namespace tessaly
