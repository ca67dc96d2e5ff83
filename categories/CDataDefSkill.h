#pragma once
// Skills ("skills.idx"/"skills.mul").

#include "CDataDef.h"

namespace tessaly {

class CDataDefSkill : public CDataDef {
public:
    explicit CDataDefSkill(std::uint32_t nIndex) : CDataDef(nIndex) {}

    std::string GetListText() override;
    bool CopyData() override { return true; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategorySkills; }
    bool IsValid() override;
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;

    // Reads the skill record the index record points at (patch file for patch records).
    bool ReadSkill(const IndexRecord& index);
    void SetVerData(CDataVerData* pVerData) override;

private:
    bool m_bButton = false;
    std::string m_sName;
};

}  // namespace tessaly
