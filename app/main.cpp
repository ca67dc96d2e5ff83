// tessaly: the viewer and patch editor. Until the application object with its full start-up
// and command table exists, this brings up the main frame with the document template, the
// client's files and a new document, with the Data and View menus.

#include "CAppBase.h"
#include "CBrindleDoc.h"
#include "CBrindleView.h"
#include "CDocTemplate.h"
#include "CMainFrame.h"
#include "ClientFiles.h"
#include "DataTypeDef.h"
#include "ResourceIds.h"
#include "Resources.h"

#include <QApplication>
#include <QMenuBar>

#include <memory>

using namespace tessaly;

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    CAppBase app;
    app.AddDocTemplate(std::make_unique<CDocTemplate>(
        ids::IDR_BRINDLTYPE, QStringLiteral("mul"), [] { return new CBrindleDoc; },
        [] { return new CBrindleView; }));
    auto frame = std::make_unique<CMainFrame>();
    if (!frame->OnCreate()) {
        return 1;
    }
    frame->setWindowTitle(QStringLiteral("Tessaly"));
    frame->setWindowIcon(LoadResourceIcon(ids::IDR_MAINFRAME));
    CMainFrame* main = frame.get();
    app.SetMainFrame(std::move(frame));

    QMenu* data = main->menuBar()->addMenu(QStringLiteral("&Data"));
    for (int id = ids::ID_DATA_VERDATA; id <= ids::ID_DATA_FONTS; ++id) {
        QAction* action = main->GetAction(id);
        action->setText(QString::fromLatin1(GetTypeDef(id)->m_pszDisplayName));
        data->addAction(action);
    }
    main->WatchMenu(data);
    QMenu* view = main->menuBar()->addMenu(QStringLiteral("&View"));
    const std::pair<int, const char*> viewItems[] = {
        {ids::ID_VIEW_MULFILES, "Mul Files"}, {ids::ID_VIEW_VERDATA, "VerData"},
        {ids::ID_VIEW_CHANGES, "Changes"},    {ids::ID_VIEW_UNUSED, "Unused Slots"},
        {ids::ID_VIEW_TEXTLIST, "Text List"}, {ids::ID_VIEW_THUMBNAIL, "Thumb Nail"}};
    for (const auto& [id, text] : viewItems) {
        QAction* action = main->GetAction(id);
        action->setText(QString::fromLatin1(text));
        view->addAction(action);
    }
    main->WatchMenu(view);

    CClientFiles& files = TheClientFiles();
    if (argc > 1) {
        files.SetChosenDir(argv[1]);
    } else {
        files.FindClientDirs();
    }
    files.OpenAll(0xFFFFFFFFu);
    main->resize(900, 600);
    main->show();
    app.OnFileNew();
    return qapp.exec();
}
