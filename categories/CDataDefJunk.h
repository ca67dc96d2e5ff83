#pragma once
// Entries of client files that no category shows (for instance "animdata.mul"): made only as
// the target of a patch record, they carry the record's data block through a patch save
// unchanged and show the "Unknown" page.

#include "CDataDef.h"

#include <vector>

namespace tessaly {

class CDataDefJunk : public CDataDef {
public:
    explicit CDataDefJunk(std::uint32_t nIndex, CClientFiles& files = TheClientFiles())
        : CDataDef(nIndex, files) {}

    std::string GetListText() override { return "Junk"; }
    // Loads the block from the patch file when needed, then writes it with the record's file
    // id, block and extra words. Raises CTarnError "CDataDefJunk: Read" when the block cannot
    // be read.
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryVerData; }
    bool IsValid() override { return true; }
    bool ReadIndex() override { return false; }
    void AddPages(std::vector<EntryPage>& pages) override;

private:
    void LoadBlock();

    std::uint32_t m_nLength = 0;
    std::vector<std::uint8_t> m_Data;
    bool m_bLoaded = false;
};

}  // namespace tessaly
