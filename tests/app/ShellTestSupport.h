#pragma once
// Shared set-up of the application-shell tests: one QApplication on the offscreen platform, a
// sample client written once, a fresh profile and client file set per test, scripted dialogs and
// a watcher that fails the test when a modal dialog shows past them.

#include "CBrindleApp.h"
#include "ScriptedUi.h"
#include "core/TempDir.h"

#include <QCoreApplication>
#include <QObject>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
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

// One menu item as shown: its command id (0 for a separator), text, enabled and checked state.
struct ShownItem {
    int nId;
    QString text;
    bool bEnabled;
    bool bChecked;
};

class ShellTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Starts the program with these arguments (after its name); the result of InitInstance.
    bool Start(const QStringList& args = {});
    // Starts on this client directory, or on the sample client.
    bool StartOnClient(const std::string& dir);
    bool StartOnSample(const QStringList& more = {});
    void Stop();  // ExitInstance, then the application object destroyed

    // Carries a command out through the main frame, as a menu click does.
    bool Command(int nId);
    // The state of a command as its menu item would show it.
    CCmdUI State(int nId);
    // Expects each command enabled (or each disabled).
    void ExpectEnabled(std::initializer_list<int> ids, bool bEnabled);
    // The visible items of the menu with this title on the menu bar, states refreshed.
    std::vector<ShownItem> Menu(const QString& title);
    QStringList MenuTitles() const;
    std::size_t DocumentCount() const;

    // Writes bytes to a file below the test's folder; returns its path.
    std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        return m_Dir.Write(name, bytes);
    }
    std::string TestPath(const std::string& name) const { return m_Dir.File(name); }
    // A copy of the sample client without the named files.
    std::string ClientWithout(const std::vector<std::string>& missing);
    static const std::string& SampleDir();
    // The sample client's "verdata.mul", and a copy of it below the test's folder.
    static std::string SampleVerData();
    std::string CopyOfSampleVerData(const std::string& name);
    static std::uint32_t SampleRecordCount();
    static void SetLastView(const QString& path);
    static QString GetLastView();

    TempDir m_Dir;
    ScriptedUi m_Ui;
    std::unique_ptr<ModalCloser> m_pCloser;
    std::unique_ptr<CBrindleApp> m_pApp;
};

inline constexpr auto ReadBytes = &TempDir::ReadFile;

}  // namespace tessaly::test
