#include "Resources.h"

#include <QFile>
#include <QString>

// Qt's resource initialiser must be named outside any namespace.
static void InitTessalyResources() {
    Q_INIT_RESOURCE(tessaly);
}

namespace tessaly {

namespace {
QString ResourcePath(int id) {
    return QStringLiteral(":/icons/%1.xpm").arg(id);
}
}  // namespace

void InitResources() {
    static const bool done = [] {
        InitTessalyResources();
        return true;
    }();
    (void)done;
}

QIcon LoadResourceIcon(int id) {
    InitResources();
    QString path = ResourcePath(id);
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

QIcon BlankIcon() {
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    return QIcon(blank);
}

QPixmap LoadResourceBitmap(int id) {
    InitResources();
    QString path = ResourcePath(id);
    return QFile::exists(path) ? QPixmap(path) : QPixmap();
}

}  // namespace tessaly
