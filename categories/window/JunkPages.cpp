#include "JunkPages.h"

#include "CDataVerData.h"
#include "TarnError.h"

#include <QLineEdit>
#include <QVBoxLayout>

namespace tessaly {

CDataPageUnk::CDataPageUnk() : CDataPage(161, QStringLiteral("Unknown")) {
    m_pEdit = new QLineEdit(this);
    m_pEdit->setObjectName(QStringLiteral("1034"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pEdit);
    layout->addStretch();
}

}  // namespace tessaly
