#pragma once
// The dialogs and message boxes of the application shell, behind one interface: the ".pat"
// commands' questions, file choices and messages, the start-up messages and the folder chooser of
// "Open Base Muls...". CShellDialogs shows the real ones; tests put scripted answers in its place.

#include "Patch.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>
#include <string>

namespace tessaly {

class CShellUi : public CPatchUi {
public:
    // A folder chooser titled `prompt`, opening at `startDir`; the chosen folder, or nullopt when
    // the user cancelled.
    virtual std::optional<std::string> ChooseFolder(const std::string& prompt,
                                                    const std::string& startDir) = 0;
};

class CShellDialogs : public CShellUi {
public:
    // The dialogs belong to `owner` (may be null; not owned).
    void SetOwner(QWidget* owner) { m_pOwner = owner; }

    bool AskYesNo(const std::string& text) override;
    std::optional<std::string> ChooseFile(const PatchFileDialog& dialog) override;
    void ShowMessage(const std::string& text) override;
    std::optional<std::string> ChooseFolder(const std::string& prompt,
                                            const std::string& startDir) override;

private:
    QPointer<QWidget> m_pOwner;
};

// For runs without a user (--screenshot): messages go to standard error, questions are answered
// No and dialogs are cancelled, so nothing waits for input.
class CConsoleUi : public CShellUi {
public:
    bool AskYesNo(const std::string& text) override;
    std::optional<std::string> ChooseFile(const PatchFileDialog& dialog) override;
    void ShowMessage(const std::string& text) override;
    std::optional<std::string> ChooseFolder(const std::string& prompt,
                                            const std::string& startDir) override;
};

// A filter of the form "Name|pattern;pattern|...||" in the form of Qt's file dialogs,
// "Name (pattern pattern);;...".
QString ToQtFileFilter(const char* filter);

}  // namespace tessaly
