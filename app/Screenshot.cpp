#include "Screenshot.h"

#include "CBrindleView.h"
#include "CDataList.h"
#include "CMainFrame.h"
#include "CommandLine.h"
#include "DataTypeDef.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QPixmap>

#include <cstdio>

namespace tessaly {

QString DescribeActiveView(const CMainFrame* frame) {
    auto* view = frame != nullptr ? dynamic_cast<CBrindleView*>(frame->GetActiveView()) : nullptr;
    if (view == nullptr || view->m_pList == nullptr) {
        return QStringLiteral("no list");
    }
    const DataTypeDef* def = GetTypeDef(view->m_nCategory);
    QString name = def != nullptr ? QString::fromLatin1(def->m_pszName) : QStringLiteral("?");
    auto* items = qobject_cast<QAbstractItemView*>(view->m_pList->GetWindow());
    if (items == nullptr || items->model() == nullptr) {
        return QStringLiteral("%1 thumbnails").arg(name);
    }
    return QStringLiteral("%1 list, %2 rows").arg(name).arg(items->model()->rowCount());
}

bool SaveScreenshot(CMainFrame* frame, const QString& path) {
    if (frame == nullptr) {
        return false;
    }
    // Let the window settle: posted layout, resize and paint work runs first.
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    QPixmap picture = frame->grab();
    if (picture.isNull() || !picture.save(path, "PNG")) {
        std::fprintf(stderr, "tessaly: cannot write %s\n", path.toLocal8Bit().constData());
        return false;
    }
    std::printf("tessaly: saved %s (%dx%d) showing %s\n", path.toLocal8Bit().constData(),
                picture.width(), picture.height(),
                DescribeActiveView(frame).toLocal8Bit().constData());
    return true;
}

int RunScreenshot(CMainFrame* frame, const CCommandLineInfo& info) {
    if (!info.m_sCategory.isEmpty() && FindCategory(info.m_sCategory.toStdString()) == 0) {
        std::fprintf(stderr, "tessaly: unknown category %s\n",
                     info.m_sCategory.toLocal8Bit().constData());
        return 1;
    }
    return SaveScreenshot(frame, info.m_sScreenshot) ? 0 : 1;
}

}  // namespace tessaly
