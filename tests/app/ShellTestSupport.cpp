#include "ShellTestSupport.h"

#include "CDocTemplate.h"
#include "ClientFiles.h"
#include "VerDataTable.h"
#include "categories/QtTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tessaly::test {

namespace fs = std::filesystem;

namespace {

void ResetClientFiles() {
    CClientFiles& files = TheClientFiles();
    files.CloseAll();
    files.m_sChosenDir.clear();
    files.m_sClientDir.clear();
    files.m_sCDDir.clear();
    for (std::int32_t slot = 0; slot < kFileSlotCount; ++slot) {
        files.SetSlotPath(slot, std::string());
    }
    TheVerDataTable().RemoveAll();
}

void Settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

}  // namespace

void ShellTest::SetUpTestSuite() {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The sound output opens OpenAL Soft's silent device.
    ::setenv("ALSOFT_DRIVERS", "null", 1);
    TestApp().setQuitOnLastWindowClosed(false);
}

void ShellTest::SetUp() {
    const QString config = QString::fromStdString(TestPath("config"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
    // No Wine prefix: the client's registry key is not found.
    ::setenv("WINEPREFIX", TestPath("nowine").c_str(), 1);
    ResetClientFiles();
    m_pCloser = std::make_unique<ModalCloser>();
}

void ShellTest::TearDown() {
    Stop();
    ResetClientFiles();
    for (const ModalCloser::Seen& seen : m_pCloser->m_Seen) {
        ADD_FAILURE() << "a " << seen.className.toStdString() << " showed past the dialog route: "
                      << seen.texts.join(QLatin1Char('|')).toStdString();
    }
    m_pCloser.reset();
}

bool ShellTest::Start(const QStringList& args) {
    CCommandLineInfo info = ParseCommandLine(args);
    EXPECT_TRUE(info.m_sError.isEmpty()) << info.m_sError.toStdString();
    m_pApp = std::make_unique<CBrindleApp>();
    m_pApp->SetUi(&m_Ui);
    bool ok = m_pApp->InitInstance(info);
    Settle();
    return ok;
}

void ShellTest::Stop() {
    if (m_pApp) {
        m_pApp->ExitInstance();
        m_pApp.reset();
        Settle();
    }
}

bool ShellTest::Command(int nId) {
    bool done = m_pApp->GetMainFrame()->RouteCommand(nId);
    Settle();
    return done;
}

void ShellTest::ExpectEnabled(std::initializer_list<int> ids, bool bEnabled) {
    for (int nId : ids) {
        EXPECT_EQ(State(nId).m_bEnabled, bEnabled) << nId;
    }
}

std::vector<QAction*> ShellTest::Menu(const QString& title) {
    std::vector<QAction*> items;
    for (QAction* top : m_pApp->GetMainFrame()->menuBar()->actions()) {
        if (QMenu* menu = top->menu(); menu != nullptr && menu->title() == title) {
            // What happens before the menu drops down.
            emit menu->aboutToShow();
            for (QAction* action : menu->actions()) {
                if (action->isVisible()) {
                    items.push_back(action);
                }
            }
        }
    }
    return items;
}

QStringList ShellTest::MenuTitles() const {
    QStringList titles;
    for (QAction* top : m_pApp->GetMainFrame()->menuBar()->actions()) {
        titles << top->text();
    }
    return titles;
}

std::size_t ShellTest::DocumentCount() const {
    CDocTemplate* tmpl = m_pApp->GetDocTemplate(0);
    return tmpl != nullptr ? tmpl->GetDocuments().size() : 0;
}

std::string ShellTest::ClientWithout(const std::vector<std::string>& missing) {
    fs::path dir = TestPath("client");
    fs::copy(SampleDir(), dir, fs::copy_options::recursive);
    for (const std::string& name : missing) {
        fs::remove(dir / name);
    }
    return dir.string();
}

const std::string& ShellTest::SampleDir() {
    static const std::string s_path = [] {
        const fs::path path = SampleClientDir().Path();
        // Every named file must be there for a start-up without messages; an empty stand-in
        // takes the place of any the generator does not write.
        for (std::int32_t slot = 0; slot < kFileSlotCount; ++slot) {
            const char* name = CClientFiles::GetFileName(slot);
            if (name != nullptr && slot != kSlotVerData && !fs::exists(path / name)) {
                std::ofstream(path / name, std::ios::binary);
            }
        }
        return path.string();
    }();
    return s_path;
}

std::map<std::string, std::vector<std::uint8_t>> Snapshot(const fs::path& dir) {
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        files[entry.path().filename().string()] = ReadBytes(entry.path().string());
    }
    return files;
}

std::string ShellTest::CopyOfSampleVerData(const std::string& name) {
    fs::copy_file(SampleVerData(), TestPath(name));
    return TestPath(name);
}

}  // namespace tessaly::test
