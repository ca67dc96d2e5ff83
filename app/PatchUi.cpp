#include "PatchUi.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include <cstdio>

namespace tessaly {

namespace {
const QString kTitle = QStringLiteral("Tessaly");
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
    QFileDialog box(m_pOwner, QString(), QString(), ToQtFileFilter(dialog.pFilter));
    box.setAcceptMode(dialog.bSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    box.setFileMode(dialog.bMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    box.setOption(QFileDialog::DontConfirmOverwrite, !dialog.bConfirmOverwrite);
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return box.selectedFiles().front().toStdString();
}

void CShellDialogs::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, kTitle, QString::fromStdString(text), QMessageBox::Ok,
                    m_pOwner);
    box.exec();
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

std::optional<std::string> CConsoleUi::ChooseFolder(const std::string& /*prompt*/,
                                                    const std::string& /*startDir*/) {
    return std::nullopt;
}

}  // namespace tessaly
