#include "ShellUi.h"

#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QRegularExpression>
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
    if (bSave) {
        // A name typed without a suffix gets the chosen type's, before the overwrite question,
        // so that the question is asked of the file that is written.
        const auto suffix = [&box](const QString& filter) {
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
            box.setDefaultSuffix(m.hasMatch() ? m.captured(1) : QString());
        };
        suffix(box.selectedNameFilter());
        QObject::connect(&box, &QFileDialog::filterSelected, &box, suffix);
    }
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

// A message box's answer. Its text is plain: names read from files or typed by the user
// (a "<b>" in a tile name, say) are shown as they are, never as markup.
int RunMessageBox(QWidget* owner, QMessageBox::Icon icon, const QString& title,
                  const std::string& text, QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, title, QString::fromStdString(text), buttons, owner);
    box.setTextFormat(Qt::PlainText);
    return box.exec();
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
    return RunMessageBox(m_pOwner, QMessageBox::Question, kTitle, text,
                         QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::string> CShellDialogs::ChooseFile(const PatchFileDialog& dialog) {
    auto choice = RunFileDialog(m_pOwner, dialog.pFilter, dialog.bSave, dialog.bMustExist,
                                dialog.bConfirmOverwrite, std::string());
    return choice ? std::optional(choice->path) : std::nullopt;
}

void CShellDialogs::ShowMessage(const std::string& text) {
    RunMessageBox(m_pOwner, QMessageBox::NoIcon, kTitle, text, QMessageBox::Ok);
}

CShellUi::Answer CShellDialogs::AskYesNoCancel(const std::string& text, const std::string& title) {
    switch (RunMessageBox(m_pOwner, QMessageBox::Question,
                          title.empty() ? kTitle : QString::fromStdString(title), text,
                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

void CShellDialogs::ShowWarning(const std::string& text) {
    RunMessageBox(m_pOwner, QMessageBox::Warning, kTitle, text, QMessageBox::Ok);
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
            // Shown the dialog's own way: only then does each new value process the pending
            // events (a plain show() would leave the window unpainted until the task ends).
            QMetaObject::invokeMethod(dialog.get(), "forceShow", Qt::DirectConnection);
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
