#include "CDataDefSkill.h"

#include "CDataVerData.h"
#include "EventLog.h"
#include "Text.h"

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
        return Files().ReadIndexRecord(kSlotSkillsIdx, kFileSlotCount, GetIndex(), index) &&
               ReadSkill(index);
    } catch (...) {
        LogCaughtException("reading a skill index record");
        return false;
    }
}

void CDataDefSkill::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::Skill);
    pages.push_back(EntryPage::Script);
}

bool CDataDefSkill::ReadSkill(const IndexRecord& index) {
    try {
        std::vector<std::uint8_t> record;
        return ReadDataHead(Files(), kSlotSkills, index, kMaxRecord, record) && Parse(record);
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

}  // namespace tessaly
