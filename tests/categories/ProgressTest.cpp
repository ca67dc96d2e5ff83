// The window's progress indication of long tasks: nothing for a short task, a dialog with the
// task's text once it has taken a tenth of a second, gone when the task is done.

#include "QtTestSupport.h"
#include "ShellUi.h"

#include <QApplication>
#include <QLabel>
#include <QProgressDialog>

#include <gtest/gtest.h>

namespace tessaly {
namespace {

QProgressDialog* ShownProgress() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QProgressDialog*>(w); dialog && dialog->isVisible()) {
            return dialog;
        }
    }
    return nullptr;
}

TEST(ProgressTest, ShowsAfterATenthOfASecondAndGoesWithTheTask) {
    test::TestApp();
    CShellDialogs dialogs;
    std::chrono::steady_clock::time_point now{};
    dialogs.m_Now = [&] { return now; };
    CShellUi::Progress progress = dialogs.BeginProgress("Saving the file 'a.mul'...");
    ASSERT_TRUE(progress);
    now += CShellDialogs::kProgressDelay - std::chrono::milliseconds(1);
    progress(1, 100);
    EXPECT_EQ(ShownProgress(), nullptr);  // a quick task shows nothing
    now += std::chrono::milliseconds(1);
    progress(40, 100);
    QProgressDialog* shown = ShownProgress();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->labelText(), QStringLiteral("Saving the file 'a.mul'..."));
    EXPECT_EQ(shown->value() * 100 / shown->maximum(), 40);
    progress(100, 100);
    progress(200, 100);  // past the end stays at the end
    EXPECT_EQ(shown->value(), shown->maximum());
    progress = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ShownProgress(), nullptr);

    // The console shows nothing.
    CConsoleUi console;
    EXPECT_FALSE(console.BeginProgress("Saving..."));
}

}  // namespace
}  // namespace tessaly
