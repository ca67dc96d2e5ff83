#include "CDataDefSkill.h"

#include "CDataPageScript.h"
#include "CDataProps.h"
#include "CDataVerData.h"
#include "EventLog.h"
#include "Text.h"

namespace tessaly {

std::string CDataDefSkill::GetListText() {
    return Format("%c\t%s", m_bButton ? 'O' : ' ', m_sName.c_str());
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
    pSheet->AddPage(new CDataPageScript);
    return true;
}

// A skill record: u8 button flag, then the name up to the end of the record.
bool CDataDefSkill::ReadSkill(const IndexRecord& index) {
    try {
        CClientFiles& files = TheClientFiles();
        if (!files.OpenSlot(kSlotSkills) || !files.DataFits(kSlotSkills, index)) {
            return false;
        }
        std::vector<std::uint8_t> data(index.GetLength());
        if (data.empty() || !files.ReadData(kSlotSkills, index, data)) {
            return false;
        }
        m_bButton = data[0] != 0;
        std::string name(data.begin() + 1, data.end());
        m_sName = name.substr(0, name.find('\0'));
        return true;
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
