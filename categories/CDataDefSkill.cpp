#include "CDataDefSkill.h"

#include "CDataPageScript.h"
#include "CDataVerData.h"
#include "EventLog.h"
#include "Text.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>

#include <algorithm>

namespace tessaly {

bool CMulSkillDef::Parse(ByteSpan record) {
    if (record.empty()) {
        return false;
    }
    m_fHasButton = record[0] != 0;
    ByteSpan name = record.subspan(1);
    m_sName.assign(name.begin(), std::find(name.begin(), name.end(), std::uint8_t{0}));
    return true;
}

std::string CDataDefSkill::GetListText() {
    return Format("%c\t%s", m_fHasButton ? 'O' : ' ', m_sName.c_str());
}

bool CDataDefSkill::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefSkill::IsValid() {
    return !m_sName.empty();
}

bool CDataDefSkill::ReadIndex() {
    IndexRecord index;
    try {
        return TheClientFiles().ReadIndexRecord(kSlotSkillsIdx, kFileSlotCount, GetIndex(),
                                                index) &&
               ReadSkill(index);
    } catch (...) {
        LogCaughtException("reading a skill index record");
        return false;
    }
}

bool CDataDefSkill::AddPages(CDataProps* pSheet) {
    pSheet->AddPage(new CDataPageSkill);
    pSheet->AddPage(new CDataPageScript);
    return false;
}

bool CDataDefSkill::ReadSkill(const IndexRecord& index) {
    try {
        std::vector<std::uint8_t> record;
        return ReadDataHead(kSlotSkills, index, kMaxRecord, record) && Parse(record);
    } catch (...) {
        LogCaughtException("reading a skill");
        return false;
    }
}

void CDataDefSkill::SetVerData(CDataVerData* pVerData) {
    if (pVerData != nullptr && pVerData->HasRecord()) {
        ReadSkill(IndexFromPatch(*pVerData->GetRecord()));
    }
    CDataDef::SetVerData(pVerData);
}

CDataPageSkill::CDataPageSkill() : CDataPage(138, QStringLiteral("Skill")) {
    m_pName = new QLineEdit(this);
    m_pName->setObjectName(QStringLiteral("4002"));
    m_pHasButton = new QCheckBox(QStringLiteral("Skill Has Button"), this);
    m_pHasButton->setObjectName(QStringLiteral("4001"));
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Skill Name"), m_pName);
    form->addRow(m_pHasButton);
}

int CDataPageSkill::LoadData() {
    auto* skill = dynamic_cast<CDataDefSkill*>(GetDataDef());
    if (skill == nullptr) {
        return 1;
    }
    m_bHasButton = skill->m_fHasButton;
    m_sName =
        QString::fromLatin1(skill->m_sName.data(), static_cast<qsizetype>(skill->m_sName.size()));
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
