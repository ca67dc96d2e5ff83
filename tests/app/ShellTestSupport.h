#pragma once
// Shared set-up of the application-shell tests: one QApplication on the offscreen platform, a
// sample client written once, a fresh profile and client file set per test, scripted dialogs and
// a watcher that fails the test when a modal dialog shows past them.

#include "CBrindleApp.h"
#include "CBrindleView.h"
#include "CMainFrame.h"
#include "ScriptedUi.h"
#include "core/TempDir.h"

#include <QCoreApplication>
#include <QObject>
#include <QSettings>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;

namespace tessaly::test {

// Every dialog goes through the scripted route; this catches any modal dialog that shows
// past it, closes it and records its title and texts (the test then fails).
class ModalCloser : public QObject {
public:
    using Seen = ScriptedUi::ShownDialog;
    ModalCloser() { qApp->installEventFilter(this); }
    ~ModalCloser() override { qApp->removeEventFilter(this); }
    std::vector<Seen> m_Seen;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() == QEvent::Show && dialog != nullptr && dialog->isModal()) {
            m_Seen.push_back(ScriptedUi::Describe(*dialog));
            QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
        }
        return false;
    }
};

class ShellTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Starts the program with these arguments (after its name); the result of InitInstance.
    bool Start(const QStringList& args = {});
    // Starts on this client directory, or on the sample client.
    bool StartOnClient(const std::string& dir, const QStringList& more = {}) {
        return Start(QStringList{QStringLiteral("--client-dir"), QString::fromStdString(dir)} +
                     more);
    }
    bool StartOnSample(const QStringList& more = {}) { return StartOnClient(SampleDir(), more); }
    void Stop();  // ExitInstance, then the application object destroyed

    // Carries a command out through the main frame, as a menu click does.
    bool Command(int nId);
    CBrindleView* ActiveView() const {
        return dynamic_cast<CBrindleView*>(m_pApp->GetMainFrame()->GetActiveView());
    }
    // The state of a command as its menu item would show it.
    CCmdUI State(int nId) { return m_pApp->GetMainFrame()->QueryCommand(nId); }
    // Expects each command enabled (or each disabled).
    void ExpectEnabled(std::initializer_list<int> ids, bool bEnabled);
    // The visible items of the menu with this title on the menu bar, states refreshed.
    // (A separator's command id, its data, is 0.)
    std::vector<QAction*> Menu(const QString& title);
    QStringList MenuTitles() const;
    std::size_t DocumentCount() const;

    std::string TestPath(const std::string& name) const { return m_Dir.File(name); }
    // A copy of the sample client without the named files.
    std::string ClientWithout(const std::vector<std::string>& missing);
    static const std::string& SampleDir();
    // The sample client's "verdata.mul", and a copy of it below the test's folder.
    static std::string SampleVerData() { return SampleDir() + "/verdata.mul"; }
    std::string CopyOfSampleVerData(const std::string& name);
    static void SetLastView(const QString& path) {
        OpenProfile()->setValue(QStringLiteral("MAIN/LastView"), path);
    }
    static QString GetLastView() {
        return OpenProfile()->value(QStringLiteral("MAIN/LastView")).toString();
    }

    TempDir m_Dir;
    ScriptedUi m_Ui;
    std::unique_ptr<ModalCloser> m_pCloser;
    std::unique_ptr<CBrindleApp> m_pApp;
};

inline constexpr auto ReadBytes = &TempDir::ReadFile;
// The file bytes of a directory, by file name.
std::map<std::string, std::vector<std::uint8_t>> Snapshot(const std::filesystem::path& dir);

}  // namespace tessaly::test
