#include "SoundPages.h"

#include "CDataVerData.h"
#include "ControlIds.h"
#include "EventLog.h"
#include "MulSound.h"
#include "ResourceIds.h"
#include "TarnSounds.h"
#include "Text.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QVBoxLayout>

namespace tessaly {

CDataPageSound::CDataPageSound() : CDataPage(137, QStringLiteral("Sound")) {
    m_pName = new QLineEdit(this);
    ids::SetControlId(m_pName, ids::IDC_SOUND_NAME);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Sound Name"), this));
    layout->addWidget(m_pName);
    layout->addStretch();
}

}  // namespace tessaly
