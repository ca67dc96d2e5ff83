#include "CDataPageScript.h"

#include "CDataDef.h"
#include "DataTypeDef.h"

#include <QLabel>
#include <QListWidget>

namespace tessaly {

CDataPageScript::CDataPageScript() : CDataPage(155, QStringLiteral("Script")) {
    m_pList = new QListWidget(this);
    m_pList->setObjectName(QStringLiteral("4000"));
    m_pList->setSortingEnabled(false);
    m_pEmpty = new QLabel(
        QStringLiteral("Scripts that use this entry are listed here; no scripts are loaded."),
        m_pList->viewport());
    m_pEmpty->setObjectName(QStringLiteral("empty"));
    m_pEmpty->setAlignment(Qt::AlignCenter);
    m_pEmpty->setWordWrap(true);
    m_pEmpty->setEnabled(false);
}

void CDataPageScript::FitList() {
    m_pList->setGeometry(rect().adjusted(5, 5, -5, -5));
    m_pEmpty->setGeometry(m_pList->viewport()->rect().adjusted(5, 5, -5, -5));
    m_pEmpty->setVisible(m_pList->count() == 0);
}

void CDataPageScript::resizeEvent(QResizeEvent* event) {
    CDataPage::resizeEvent(event);
    FitList();
}

int CDataPageScript::LoadData() {
    CDataDef* entry = GetDataDef();
    if (entry == nullptr) {
        return 1;
    }
    FitList();
    m_pList->update();
    const DataTypeDef* def = GetTypeDef(entry->GetDataType());
    return def != nullptr && def->m_bScriptPage ? CDataPage::LoadData() : 1;
}

}  // namespace tessaly
