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
    return !m_sName.empty() || m_eStatus == ReadStatus::Damaged;
}

bool CDataDefSkill::ReadIndex() {
    IndexRecord index;
    try {
        const ReadStatus status =
            Files().ReadIndexStatus(kSlotSkillsIdx, kFileSlotCount, GetIndex(), index);
        if (status == ReadStatus::Absent || status == ReadStatus::Failed) {
            m_eStatus = status;
            return false;
        }
        return ReadSkill(index);
    } catch (...) {
        LogCaughtException("reading a skill index record");
        m_eStatus = ReadStatus::Failed;
        return false;
    }
}

void CDataDefSkill::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::Skill);
    pages.push_back(EntryPage::Script);
}

bool CDataDefSkill::ReadSkill(const IndexRecord& index) {
    try {
        m_eStatus = Files().DataStatus(kSlotSkills, index);
        std::vector<std::uint8_t> record;
        const bool read = m_eStatus != ReadStatus::Absent &&
                          ReadDataHead(Files(), kSlotSkills, index, kMaxRecord, record) &&
                          Parse(record);
        if (!read && m_eStatus == ReadStatus::Ok && index.GetLength() != 0) {
            m_eStatus = ReadStatus::Failed;
        }
        return read;
    } catch (...) {
        LogCaughtException("reading a skill");
        if (m_eStatus != ReadStatus::Damaged) {
            m_eStatus = ReadStatus::Failed;
        }
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
