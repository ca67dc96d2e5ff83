#include "CAboutDlg.h"

#include "ResourceIds.h"
#include "Resources.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tessaly {

QString FormatBuildStamp(const char* date, const char* time) {
    return QStringLiteral("%1  %2").arg(QString::fromLatin1(date), QString::fromLatin1(time));
}

QString GetBuildText() {
    return QStringLiteral("This Build completed on %1").arg(FormatBuildStamp(__DATE__, __TIME__));
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Tessaly"));
    auto* icon = new QLabel(this);
    icon->setPixmap(LoadResourceIcon(ids::IDR_MAINFRAME).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    m_pVersion = new QLabel(QString::fromLatin1(kVersionText), this);
    m_pVersion->setObjectName(QStringLiteral("version"));
    m_pBuild = new QLabel(GetBuildText(), this);
    m_pBuild->setObjectName(QStringLiteral("build"));
    auto* fixed =
        new QLabel(QStringLiteral("Viewer and patch editor for client data files."), this);

    auto* text = new QVBoxLayout;
    text->addWidget(m_pVersion);
    text->addWidget(m_pBuild);
    text->addWidget(fixed);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addLayout(text, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace tessaly
