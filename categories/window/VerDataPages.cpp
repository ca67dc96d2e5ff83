#include "VerDataPages.h"

#include "ClientFiles.h"
#include "DataTypeDef.h"
#include "Text.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace tessaly {

CDataPageVerData::CDataPageVerData() : CDataPage(131, QStringLiteral("VerData")) {
    m_pType = new QComboBox(this);
    m_pType->setObjectName(QStringLiteral("4010"));
    m_pIndex = new QLineEdit(this);
    m_pIndex->setObjectName(QStringLiteral("4009"));
    m_pSize = new QLabel(this);
    m_pSize->setObjectName(QStringLiteral("4014"));
    m_pPos = new QLabel(this);
    m_pPos->setObjectName(QStringLiteral("4005"));
    m_pLength = new QLabel(this);
    m_pLength->setObjectName(QStringLiteral("4006"));
    m_pMore1 = new QLineEdit(this);
    m_pMore1->setObjectName(QStringLiteral("4012"));
    m_pMore2 = new QLineEdit(this);
    m_pMore2->setObjectName(QStringLiteral("4013"));

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Type"), m_pType);
    auto* indexRow = new QHBoxLayout;
    indexRow->addWidget(m_pIndex);
    indexRow->addWidget(m_pSize);
    form->addRow(QStringLiteral("Index"), indexRow);
    form->addRow(QStringLiteral("File Position"), m_pPos);
    form->addRow(QStringLiteral("File Size"), m_pLength);
    form->addRow(QStringLiteral("More1"), m_pMore1);
    form->addRow(QStringLiteral("More2"), m_pMore2);

    // A record is shown as the patch file holds it; it is changed by replacing or deleting its
    // entry ("Paste Over", "Delete"), never here.
    for (QWidget* field : {static_cast<QWidget*>(m_pType), static_cast<QWidget*>(m_pIndex),
                           static_cast<QWidget*>(m_pMore1), static_cast<QWidget*>(m_pMore2)}) {
        ShowReadOnly(field, QStringLiteral("Shown only: a patch record is not edited here"));
    }
}

int CDataPageVerData::LoadData() {
    auto* entry = dynamic_cast<CDataVerData*>(m_pEntry);
    if (entry == nullptr || !entry->HasRecord()) {
        return 1;
    }
    const CUOVersionBlock& r = *entry->GetRecord();
    m_pType->clear();
    for (std::uint32_t id = 0; id < kFileSlotCount; ++id) {
        m_pType->addItem(QString::fromStdString(FileIdName(id)));
    }
    m_nType = static_cast<int>(r.m_dwFileId);
    m_pType->setCurrentIndex(m_nType < kFileSlotCount ? m_nType : -1);
    m_sSize = QString::fromStdString(VerDataSizeText(r.m_dwFileId));
    m_sIndex = QString::fromStdString(Format("0%lx", static_cast<unsigned long>(r.m_dwBlock)));
    m_sPos = QString::fromStdString(Format("0%lx", static_cast<unsigned long>(r.m_dwOffset)));
    m_sLength = QString::fromStdString(Format("%u", static_cast<unsigned>(r.m_dwLength)));
    m_sMore1 = QString::fromStdString(Format("0%x", r.m_wExtra1));
    m_sMore2 = QString::fromStdString(Format("0%x", r.m_wExtra2));
    return CDataPage::LoadData();
}

int CDataPageVerData::SaveData() {
    return dynamic_cast<CDataVerData*>(m_pEntry) ? 0 : 1;
}

void CDataPageVerData::MembersToControls() {
    m_pType->setCurrentIndex(m_nType < kFileSlotCount ? m_nType : -1);
    m_pIndex->setText(m_sIndex);
    m_pSize->setText(m_sSize);
    m_pPos->setText(m_sPos);
    m_pLength->setText(m_sLength);
    m_pMore1->setText(m_sMore1);
    m_pMore2->setText(m_sMore2);
}

void CDataPageVerData::ControlsToMembers() {
    m_nType = m_pType->currentIndex();
    m_sIndex = m_pIndex->text();
    m_sMore1 = m_pMore1->text();
    m_sMore2 = m_pMore2->text();
}

}  // namespace tessaly
