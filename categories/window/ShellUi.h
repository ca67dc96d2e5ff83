#pragma once
// Every message box, question and dialog of the program goes through one CShellUi: the ".pat"
// commands' questions and file choices, the documents' open and save dialogs, the sheets' "Save ?"
// question, folder and colour choosers, and the program's own dialog windows (About, printing).
// CShellDialogs shows the real ones, CConsoleUi answers for runs without a user, and tests put
// scripted answers in their place.

#include "Patch.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QDialog;

namespace tessaly {

class CShellUi : public CPatchUi {
public:
    enum class Answer { Yes, No, Cancel };
    // A file chosen in a dialog with several filters: its path and the position of the filter
    // the user had chosen.
    struct FileChoice {
        std::string path;
        int nFilter = 0;
    };

    // A Yes/No/Cancel question titled `title` (empty: the program's name).
    virtual Answer AskYesNoCancel(const std::string& text, const std::string& title) = 0;
    // An OK message box with a warning icon.
    virtual void ShowWarning(const std::string& text) = 0;
    // The open (or save) dialog of documents, offering `name` in a save dialog; the chosen path,
    // or nullopt when the user cancelled.
    virtual std::optional<std::string> ChooseDocumentFile(bool bSave, const std::string& name) = 0;
    // The save dialog of "Export...", with the filters of `filter` ("Name|pattern|...||"),
    // offering `name`; nullopt when the user cancelled.
    virtual std::optional<FileChoice> ChooseExportFile(const char* filter,
                                                       const std::string& name) = 0;
    // A folder chooser titled `prompt`, opening at `startDir`; the chosen folder, or nullopt when
    // the user cancelled.
    virtual std::optional<std::string> ChooseFolder(const std::string& prompt,
                                                    const std::string& startDir) = 0;
    // A colour chooser opening at `rgb` (0xRRGGBB); the chosen colour, or nullopt.
    virtual std::optional<std::uint32_t> ChooseColor(std::uint32_t rgb) = 0;
    // Shows one of the program's dialog windows modally; true when it was accepted.
    virtual bool RunDialog(QDialog& dialog) = 0;
    // A one-line text question titled `title` with the prompt `text`; what was typed, or nullopt
    // when the user cancelled.
    virtual std::optional<std::string> AskText(const std::string& text,
                                               const std::string& title) = 0;

    // Told how far a long task has come (done of total); it shows while the callback lives.
    using Progress = std::function<void(std::uint64_t done, std::uint64_t total)>;
    // The progress indication of a long task described by `text`, to be called as the task goes
    // on. The window shows it once the task has taken a tenth of a second, and keeps painting
    // meanwhile; here, nothing is shown.
    virtual Progress BeginProgress(const std::string& text);
};

// The real dialogs.
class CShellDialogs : public CShellUi {
public:
    // The dialogs belong to `owner` (may be null; not owned).
    void SetOwner(QWidget* owner) { m_pOwner = owner; }

    bool AskYesNo(const std::string& text) override;
    std::optional<std::string> ChooseFile(const PatchFileDialog& dialog) override;
    void ShowMessage(const std::string& text) override;
    Answer AskYesNoCancel(const std::string& text, const std::string& title) override;
    void ShowWarning(const std::string& text) override;
    std::optional<std::string> ChooseDocumentFile(bool bSave, const std::string& name) override;
    std::optional<FileChoice> ChooseExportFile(const char* filter,
                                               const std::string& name) override;
    std::optional<std::string> ChooseFolder(const std::string& prompt,
                                            const std::string& startDir) override;
    std::optional<std::uint32_t> ChooseColor(std::uint32_t rgb) override;
    bool RunDialog(QDialog& dialog) override;
    std::optional<std::string> AskText(const std::string& text, const std::string& title) override;
    Progress BeginProgress(const std::string& text) override;

    // How long a task runs before its progress dialog shows.
    static constexpr std::chrono::milliseconds kProgressDelay{100};
    // The clock the progress dialog's delay is measured on (tests set a clock of their own).
    std::function<std::chrono::steady_clock::time_point()> m_Now = std::chrono::steady_clock::now;

private:
    QPointer<QWidget> m_pOwner;
};

// For runs without a user (--screenshot): messages go to standard error, questions are answered
// No and dialogs and text questions are cancelled, so nothing waits for input.
class CConsoleUi : public CShellUi {
public:
    bool AskYesNo(const std::string& text) override;
    std::optional<std::string> ChooseFile(const PatchFileDialog& dialog) override;
    void ShowMessage(const std::string& text) override;
    Answer AskYesNoCancel(const std::string& text, const std::string& title) override;
    void ShowWarning(const std::string& text) override;
    std::optional<std::string> ChooseDocumentFile(bool bSave, const std::string& name) override;
    std::optional<FileChoice> ChooseExportFile(const char* filter,
                                               const std::string& name) override;
    std::optional<std::string> ChooseFolder(const std::string& prompt,
                                            const std::string& startDir) override;
    std::optional<std::uint32_t> ChooseColor(std::uint32_t rgb) override;
    bool RunDialog(QDialog& dialog) override;
    std::optional<std::string> AskText(const std::string& text, const std::string& title) override;
};

// The filter of document dialogs.
inline constexpr const char* kDocumentFileFilter = "mul Files|*.mul||";

// A filter of the form "Name|pattern;pattern|...||" in the form of Qt's file dialogs,
// "Name (pattern pattern);;...".
QString ToQtFileFilter(const char* filter);

}  // namespace tessaly
