#include "SkillPages.h"

#include "CDataPageScript.h"
#include "CDataVerData.h"
#include "EventLog.h"
#include "Text.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

namespace tessaly {

CDataPageSkill::CDataPageSkill() : CDataPage(138, QStringLiteral("Skill")) {
    m_pName = new QLineEdit(this);
    m_pName->setObjectName(QStringLiteral("4002"));
    m_pHasButton = new QCheckBox(QStringLiteral("Skill Has Button"), this);
    m_pHasButton->setObjectName(QStringLiteral("4001"));
    m_pDamage = NewDamageLabel(this);
    auto* form = new QFormLayout(this);
    form->addRow(m_pDamage);
    form->addRow(QStringLiteral("Skill Name"), m_pName);
    form->addRow(m_pHasButton);
    // Tessaly writes no skills: the page shows them only.
    for (QWidget* field : {static_cast<QWidget*>(m_pName), static_cast<QWidget*>(m_pHasButton)}) {
        ShowReadOnly(field, QStringLiteral("Shown only: skills are not edited"));
    }
}

int CDataPageSkill::LoadData() {
    auto* skill = dynamic_cast<CDataDefSkill*>(GetDataDef());
    if (skill == nullptr) {
        return 1;
    }
    m_bHasButton = skill->m_fHasButton;
    m_sName =
        QString::fromLatin1(skill->m_sName.data(), static_cast<qsizetype>(skill->m_sName.size()));
    const bool damaged =
        skill->QueryReadStatus("asking whether a skill is damaged") == ReadStatus::Damaged;
    SetDamageText(m_pDamage, !damaged ? QString()
                             : m_sName.isEmpty()
                                 ? QStringLiteral("Damaged: the skill's record does not fit "
                                                  "\"skills.mul\"; no name could be read.")
                                 : QStringLiteral("Damaged: the skill's record does not fit "
                                                  "\"skills.mul\"; the name is read from its "
                                                  "first bytes."));
    return CDataPage::LoadData();
}

void CDataPageSkill::MembersToControls() {
    m_pHasButton->setChecked(m_bHasButton);
    m_pName->setText(m_sName);
}

void CDataPageSkill::ControlsToMembers() {
    m_bHasButton = m_pHasButton->isChecked();
    m_sName = m_pName->text();
}

}  // namespace tessaly
