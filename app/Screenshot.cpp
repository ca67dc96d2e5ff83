#include "Screenshot.h"

#include "AnimPages.h"
#include "CBrindleView.h"
#include "CDataAppState.h"
#include "CDataDefAnim.h"
#include "CDataList.h"
#include "CDataPageDraw.h"
#include "CDataProps.h"
#include "CMainFrame.h"
#include "CommandLine.h"
#include "DataTypeDef.h"
#include "EntryCommands.h"
#include "MapView.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QPixmap>

#include <cstdio>

namespace tessaly {

QString DescribeActiveView(const CMainFrame* frame) {
    auto* view = frame != nullptr ? dynamic_cast<CBrindleView*>(frame->GetActiveView()) : nullptr;
    if (view != nullptr && view->GetMapView() != nullptr) {
        // The picture is taken once every tile of the screen is drawn.
        view->GetMapView()->FinishDrawing();
        return QStringLiteral("map view: ") + view->GetMapView()->StatusText();
    }
    if (view == nullptr || view->m_pList == nullptr) {
        return QStringLiteral("no list");
    }
    const DataTypeDef* def = GetTypeDef(view->m_nCategory);
    QString name = def != nullptr ? QString::fromLatin1(def->m_pszName) : QStringLiteral("?");
    const auto shown = static_cast<qsizetype>(view->m_pList->GetShownRows().size());
    if (qobject_cast<QAbstractItemView*>(view->m_pList->GetWindow()) == nullptr) {
        return QStringLiteral("%1 thumbnails, %2 cells").arg(name).arg(shown);
    }
    return QStringLiteral("%1 list, %2 rows").arg(name).arg(shown);
}

namespace {

// Lets a window settle (posted layout, resize and paint work runs first), then saves a PNG
// picture of it and prints where it went and what it shows.
bool SaveWindowPicture(QWidget* window, const QString& path, const QString& shows) {
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    QPixmap picture = window->grab();
    if (picture.isNull() || !picture.save(path, "PNG")) {
        std::fprintf(stderr, "tessaly: cannot write %s\n", path.toLocal8Bit().constData());
        return false;
    }
    std::printf("tessaly: saved %s (%dx%d) showing %s\n", path.toLocal8Bit().constData(),
                picture.width(), picture.height(), shows.toLocal8Bit().constData());
    return true;
}

// Shows the action, direction and frame the command line names on an animation page; the
// reason when one is out of range, else empty.
QString ChooseAnimFrame(CDataPageAnimDraw& page, const CCommandLineInfo& info) {
    const auto choose = [](QComboBox* list, int n, const char* what) {
        if (n < 0) {
            return QString();
        }
        if (n >= list->count()) {
            return QStringLiteral("%1 %2 is out of range (0 to %3)")
                .arg(QString::fromLatin1(what))
                .arg(n)
                .arg(list->count() - 1);
        }
        list->setCurrentIndex(n);
        return QString();
    };
    QString error = choose(page.m_pAction, info.m_nAction, "action");
    if (error.isEmpty()) {
        error = choose(page.m_pDir, info.m_nDirection, "direction");
    }
    if (error.isEmpty() && info.m_nFrame >= 0) {
        const int count = page.GetFrameCount();
        if (info.m_nFrame >= count) {
            error = count == 0
                        ? QStringLiteral("frame %1 is out of range (no frames)").arg(info.m_nFrame)
                        : QStringLiteral("frame %1 is out of range (0 to %2)")
                              .arg(info.m_nFrame)
                              .arg(count - 1);
        } else {
            page.SetFrame(info.m_nFrame);
        }
    }
    return error;
}

}  // namespace

bool SaveScreenshot(CMainFrame* frame, const QString& path) {
    return frame != nullptr && SaveWindowPicture(frame, path, DescribeActiveView(frame));
}

CDataProps* OpenRequestedSheet(CMainFrame* frame, const CCommandLineInfo& info, QString& error) {
    auto* view = frame != nullptr ? dynamic_cast<CBrindleView*>(frame->GetActiveView()) : nullptr;
    if (view == nullptr || view->m_pList == nullptr) {
        error = QStringLiteral("no list to take entry %1 from").arg(info.m_sProperties);
        return nullptr;
    }
    const DataTypeDef* def = GetTypeDef(view->m_nCategory);
    const QString name = def != nullptr ? QString::fromLatin1(def->m_pszName) : QString();
    CDataDef* entry = nullptr;
    for (CDataDef* row : view->m_pList->CollectRows()) {
        if (row->GetIndex() == info.m_nProperties) {
            entry = row;
            break;
        }
    }
    if (entry == nullptr) {
        error = QStringLiteral("%1 has no entry %2").arg(name, info.m_sProperties);
        return nullptr;
    }
    CDataProps* sheet = OpenProperties(*entry);
    if (sheet == nullptr) {
        // Already open: the sheet that shows it was brought forward.
        for (CDataProps* open : DataAppState().m_Sheets) {
            if (open->GetEntry() == entry) {
                sheet = open;
            }
        }
    }
    if (sheet == nullptr) {
        error = QStringLiteral("the property sheet of %1 entry %2 did not open")
                    .arg(name, info.m_sProperties);
        return nullptr;
    }
    if (!info.m_sPage.isEmpty()) {
        QStringList captions;
        int found = -1;
        for (int i = 0; i < sheet->GetPageCount(); ++i) {
            captions << sheet->GetPage(i)->windowTitle();
            if (captions.back() == info.m_sPage) {
                found = i;
            }
        }
        if (found < 0) {
            error = QStringLiteral("the sheet of %1 entry %2 has no page \"%3\" (it has: %4)")
                        .arg(name, info.m_sProperties, info.m_sPage, captions.join(", "));
            DataAppState().CloseSheet(sheet);
            return nullptr;
        }
        sheet->SetActivePage(found);
    }
    if (info.m_nAction >= 0 || info.m_nDirection >= 0 || info.m_nFrame >= 0) {
        auto* anim = dynamic_cast<CDataPageAnimDraw*>(sheet->GetActivePage());
        if (anim == nullptr) {
            error = QStringLiteral("--action, --direction and --frame need an \"Anim\" page");
        } else {
            error = ChooseAnimFrame(*anim, info);
        }
        if (!error.isEmpty()) {
            DataAppState().CloseSheet(sheet);
            return nullptr;
        }
    }
    if (info.m_nHue >= 0) {
        // The hue field of the item, gump or animation page.
        CDataPage* page = sheet->GetActivePage();
        CHueField* field = page != nullptr ? page->findChild<CHueField*>() : nullptr;
        if (field == nullptr) {
            error = QStringLiteral("--hue needs an \"Item\", \"Gump\" or \"Anim\" page");
            DataAppState().CloseSheet(sheet);
            return nullptr;
        }
        field->SetHue(static_cast<std::uint16_t>(info.m_nHue));
    }
    return sheet;
}

int RunScreenshot(CMainFrame* frame, const CCommandLineInfo& info) {
    if (!info.m_sCategory.isEmpty() && FindCategory(info.m_sCategory.toStdString()) == 0) {
        std::fprintf(stderr, "tessaly: unknown category %s\n",
                     info.m_sCategory.toLocal8Bit().constData());
        return 1;
    }
    if (info.m_sProperties.isEmpty()) {
        return SaveScreenshot(frame, info.m_sScreenshot) ? 0 : 1;
    }
    QString error;
    CDataProps* sheet = OpenRequestedSheet(frame, info, error);
    if (sheet == nullptr) {
        std::fprintf(stderr, "tessaly: %s\n", error.toLocal8Bit().constData());
        return 2;
    }
    const CDataPage* page = sheet->GetActivePage();
    const QString shows =
        QStringLiteral("the sheet \"%1\", page \"%2\"")
            .arg(sheet->windowTitle(), page != nullptr ? page->windowTitle() : QString());
    return SaveWindowPicture(sheet, info.m_sScreenshot, shows) ? 0 : 1;
}

}  // namespace tessaly
