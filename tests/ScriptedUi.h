#pragma once
// Answers the program's dialogs in place of the user, by script, and records what was asked and
// shown. Installed as the application's (or the default) CDataAppState's dialog route.

#include "ShellUi.h"

#include <QDialog>
#include <QLabel>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessaly::test {

class ScriptedUi : public CShellUi {
public:
    // A dialog window that was run: its title, class and the texts of its labels.
    struct ShownDialog {
        QString title;
        QString className;
        QStringList texts;
    };
    static ShownDialog Describe(const QDialog& dialog) {
        ShownDialog shown{
            dialog.windowTitle(), QString::fromLatin1(dialog.metaObject()->className()), {}};
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            shown.texts << label->text();
        }
        return shown;
    }
    // A Yes/No/Cancel question: its text and title.
    struct Question {
        std::string text;
        std::string title;
    };

    bool AskYesNo(const std::string& text) override {
        m_Questions.push_back(text);
        return Next(m_Answers, false);
    }
    std::optional<std::string> ChooseFile(const PatchFileDialog& dialog) override {
        m_Dialogs.push_back(dialog);
        return Next(m_Files, std::optional<std::string>());
    }
    void ShowMessage(const std::string& text) override {
        if (m_OnMessage) {
            m_OnMessage(text);
        }
        m_Messages.push_back(text);
    }
    Answer AskYesNoCancel(const std::string& text, const std::string& title) override {
        m_Choices.push_back({text, title});
        return Next(m_ChoiceAnswers, Answer::Cancel);
    }
    void ShowWarning(const std::string& text) override { m_Warnings.push_back(text); }
    std::optional<std::string> ChooseDocumentFile(bool bSave, const std::string& name) override {
        m_DocumentDialogs.push_back({bSave, name});
        return Next(m_DocumentFiles, std::optional<std::string>());
    }
    std::optional<FileChoice> ChooseExportFile(const char* filter,
                                               const std::string& name) override {
        m_ExportDialogs.push_back({filter, name});
        return Next(m_ExportFiles, std::optional<FileChoice>());
    }
    std::optional<std::string> ChooseFolder(const std::string& prompt,
                                            const std::string& startDir) override {
        m_sFolderPrompt = prompt;
        m_sFolderStart = startDir;
        return m_Folder;
    }
    std::optional<std::uint32_t> ChooseColor(std::uint32_t rgb) override {
        m_ColorStarts.push_back(rgb);
        return Next(m_Colors, std::optional<std::uint32_t>());
    }
    bool RunDialog(QDialog& dialog) override {
        if (m_OnDialog) {
            m_OnDialog(dialog);  // fills in the dialog, and may accept it
        }
        m_Shown.push_back(Describe(dialog));
        return m_bAcceptDialogs;
    }
    std::optional<std::string> AskText(const std::string& text, const std::string& title) override {
        m_TextQuestions.push_back({text, title});
        return Next(m_Texts, std::optional<std::string>());
    }
    Progress BeginProgress(const std::string& text) override {
        m_Progress.push_back({text, {}});
        return [this, n = m_Progress.size() - 1](std::uint64_t done, std::uint64_t total) {
            m_Progress[n].steps.emplace_back(done, total);
        };
    }
    // Each progress indication begun: its text and the steps it was told.
    struct ShownProgress {
        std::string text;
        std::vector<std::pair<std::uint64_t, std::uint64_t>> steps;
    };
    std::vector<ShownProgress> m_Progress;

    std::deque<bool> m_Answers;                              // AskYesNo; No when empty
    std::deque<std::optional<std::string>> m_Files;          // ChooseFile; cancel when empty
    std::deque<Answer> m_ChoiceAnswers;                      // AskYesNoCancel; Cancel when empty
    std::deque<std::optional<std::string>> m_DocumentFiles;  // ChooseDocumentFile
    std::deque<std::optional<std::uint32_t>> m_Colors;       // ChooseColor; cancel when empty
    std::deque<std::optional<FileChoice>> m_ExportFiles;     // ChooseExportFile; cancel when empty
    std::optional<std::string> m_Folder;                     // ChooseFolder
    bool m_bAcceptDialogs = false;                           // RunDialog
    std::deque<std::optional<std::string>> m_Texts;          // AskText; cancel when empty

    std::vector<std::string> m_Questions;
    std::vector<PatchFileDialog> m_Dialogs;
    std::vector<std::string> m_Messages;
    std::vector<Question> m_Choices;
    std::vector<std::string> m_Warnings;
    std::vector<std::pair<bool, std::string>> m_DocumentDialogs;  // save?, offered name
    std::vector<std::uint32_t> m_ColorStarts;
    std::vector<std::pair<std::string, std::string>> m_ExportDialogs;  // filter, offered name
    std::vector<ShownDialog> m_Shown;
    std::vector<Question> m_TextQuestions;
    std::string m_sFolderPrompt;
    std::string m_sFolderStart;
    // Runs at each dialog RunDialog shows, before it is answered.
    std::function<void(QDialog&)> m_OnDialog;
    // Runs at each message, before it is recorded (to look at the program's state then).
    std::function<void(const std::string&)> m_OnMessage;

private:
    template <typename T>
    static T Next(std::deque<T>& answers, T fallback) {
        if (answers.empty()) {
            return fallback;
        }
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace tessaly::test
