// Fuzzes the skills: the input, after its first byte and split at the point that byte names,
// becomes "skills.idx" and "skills.mul"; every skill is read and its list text made, as the Skills
// list does.

#include "CDataDefSkill.h"
#include "ClientFiles.h"
#include "DataTypeDef.h"
#include "VerDataTable.h"
#include "clientfiles_scratch.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    const std::size_t split = fuzz::SplitPoint(data, size);
    fuzz::WriteScratch("skills.idx", data + (size == 0 ? 0 : 1), split == 0 ? 0 : split - 1);
    fuzz::WriteScratch("skills.mul", data + split, size - split);
    CClientFiles& files = TheClientFiles();
    files.CloseAll();
    TheVerDataTable().RemoveAll();
    files.SetChosenDir(fuzz::ScratchDir());
    for (std::uint32_t n = 0; n < GetTypeDef(kCategorySkills)->m_nMaxEntries; ++n) {
        CDataDefSkill skill(n);
        if (skill.ReadIndex() && skill.IsValid()) {
            skill.GetColumnText(1);
        }
    }
    CMulSkillDef direct;
    direct.Parse(ByteSpan(data, size));
    return 0;
}
