#pragma once
// Skills ("skills.idx"/"skills.mul"): listed with their has-button mark and name, shown on
// the "Skill" page.

#include "Bytes.h"
#include "CDataDef.h"

#include <string>

namespace tessaly {

// A skill record in memory.
//
// Skill record (the bytes a skills index record addresses):
//   0  u8    has-button flag: 0 no, anything else yes
//   1  rest  the name, up to the first zero byte (or the end of the record)
struct CMulSkillDef {
    // Records are read up to this many bytes; a longer one is cut.
    static constexpr std::uint32_t kMaxRecord = 128;

    // Takes the flag and name from a record's bytes; false (skill unchanged) when empty.
    bool Parse(ByteSpan record);

    bool m_fHasButton = false;
    std::string m_sName;
};

class CDataDefSkill : public CDataDef, public CMulSkillDef {
public:
    explicit CDataDefSkill(std::uint32_t nIndex, CClientFiles& files = TheClientFiles())
        : CDataDef(nIndex, files) {}

    // "%c\t%s": 'O' for a skill with a button, else a blank, and the name.
    std::string GetListText() override;
    bool CopyData(EntryClip& /*clip*/) override { return true; }
    bool CanCopy() override { return false; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategorySkills; }
    // A skill with a name, or one whose record is damaged (listed, and marked so).
    bool IsValid() override;
    // What the last read of its record found: Ok once a name was read, Damaged when the record
    // does not fit its file (a name may still have been read from its first bytes).
    ReadStatus GetReadStatus() override { return m_eStatus; }
    // The last field is the name, which keeps any tab it holds.
    int GetListFieldLimit() const override { return 2; }
    bool ReadIndex() override;
    // Reads the patched skill from the patch file, then links the record.
    void SetVerData(CDataVerData* pVerData) override;
    // A list attaching a record of the patch file reads the patched skill too: a skill that
    // only a patch record provides has no base record to give it a name.
    void LinkVerData(CDataVerData* pVerData) override { SetVerData(pVerData); }
    void AddPages(std::vector<EntryPage>& pages) override;

    // Reads the skill record the index record points at (the patch file for a patch record).
    bool ReadSkill(const IndexRecord& index);

private:
    ReadStatus m_eStatus = ReadStatus::Absent;
};

}  // namespace tessaly
