#include "JunkPages.h"

#include "CDataVerData.h"
#include "Text.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tessaly {

CDataPageUnk::CDataPageUnk() : CDataPage(161, QStringLiteral("Unknown")) {
    m_pEdit = new QLineEdit(this);
    m_pEdit->setObjectName(QStringLiteral("1034"));
    m_pEdit->setReadOnly(true);
    m_pHolds = new QLabel(this);
    m_pHolds->setObjectName(QStringLiteral("holds"));
    m_pHolds->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pHolds);
    layout->addWidget(m_pEdit);
    layout->addStretch();
}

int CDataPageUnk::LoadData() {
    if (m_pEntry == nullptr) {
        return 1;
    }
    CDataDef* entry = GetDataDef();
    m_pHolds->setText(
        QString::fromStdString(DescribeUnknownEntry(entry != nullptr ? *entry : *m_pEntry)));
    return 0;
}

std::string DescribeUnknownEntry(CDataDef& entry) {
    const CDataVerData* link = entry.GetVerData();
    if (link == nullptr || !link->HasRecord()) {
        return "This page shows patch records of client files that no category lists; this "
               "entry holds none.";
    }
    const CUOVersionBlock& record = *link->GetRecord();
    return Format(
        "A patch record of %s, block 0%x, %u bytes. No category lists this file; the "
        "record's bytes are kept unchanged when the patch file is saved.",
        FileIdName(record.m_dwFileId).c_str(), record.m_dwBlock, record.m_dwLength & 0x7FFFFFFFu);
}

}  // namespace tessaly
