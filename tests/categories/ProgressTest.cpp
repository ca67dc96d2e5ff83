// The window's dialogs: the progress indication of long tasks (nothing for a short task, a
// dialog with the task's text once it has taken a tenth of a second, gone when the task is
// done) and message boxes.

#include "QtTestSupport.h"
#include "ShellUi.h"

#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>

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

TEST(ShellDialogsTest, ProgressShowsAfterATenthOfASecondAndMessagesShowTheirTextAsItStands) {
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
    // Each new value lets the window handle what waits, its painting among it.
    bool handled = false;
    QMetaObject::invokeMethod(
        shown, [&] { handled = true; }, Qt::QueuedConnection);
    progress(41, 100);
    EXPECT_TRUE(handled);
    progress(200, 100);  // past the end stays at the end
    EXPECT_EQ(shown->value(), shown->maximum());
    progress = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ShownProgress(), nullptr);

    // The console shows nothing.
    CConsoleUi console;
    EXPECT_FALSE(console.BeginProgress("Saving..."));

    // Messages hold names read from files: shown as plain text, never as markup; the answer is
    // the button pressed. A typed name gets the chosen type's suffix before the overwrite question.
    const std::string text = "The tile '<b>wall</b>' &amp; more";
    QString boxText;
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        boxText = box->text();
        format = box->textFormat();
        box->done(QMessageBox::No);
    });
    EXPECT_EQ(dialogs.AskYesNoCancel(text, std::string()), CShellUi::Answer::No);
    EXPECT_EQ(boxText.toStdString(), text);
    EXPECT_EQ(format, Qt::PlainText);

    // Save dialogs: the suffix follows the chosen type.
    QStringList suffixes;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        suffixes << box->defaultSuffix();
        auto* types = box->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        types->setCurrentIndex(1);
        emit types->textActivated(types->itemText(1));
        suffixes << box->defaultSuffix();
        box->reject();
    });
    EXPECT_FALSE(dialogs.ChooseExportFile("PNG (*.png)|*.png|Animated GIF (*.gif)|*.gif||", "a"));
    EXPECT_EQ(suffixes, (QStringList{QStringLiteral("png"), QStringLiteral("gif")}));
}

}  // namespace
}  // namespace tessaly
