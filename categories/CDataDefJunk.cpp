#include "CDataDefJunk.h"

#include "CDataVerData.h"
#include "TarnError.h"

namespace tessaly {

void CDataDefJunk::LoadBlock() {
    CDataVerData* link = GetVerData();
    if (link == nullptr || !link->HasRecord()) {
        return;
    }
    const CUOVersionBlock& r = *link->GetRecord();
    IndexRecord index = IndexFromPatch(r);
    link->ActivatePatch();
    CClientFiles& files = Files();
    std::uint32_t length = index.GetLength();
    // The record's stretch must lie inside the patch file before anything is allocated.
    if (length != 0 && (!files.OpenSlot(kSlotVerData) || !files.DataFits(kSlotVerData, index))) {
        throw CTarnError(2, kE_FAIL, "CDataDefJunk: Read");
    }
    std::vector<std::uint8_t> data(length);
    if (length != 0 && !files.ReadData(kSlotVerData, index, data)) {
        throw CTarnError(2, kE_FAIL, "CDataDefJunk: Read");
    }
    m_nLength = length;
    m_Data = std::move(data);
    m_bLoaded = true;
}

bool CDataDefJunk::WriteVerData(CQFile& file, CUOVersionBlock& record) {
    if (!m_bLoaded) {
        try {
            LoadBlock();
        } catch (const CTarnError&) {
            // Bytes the patch file does not hold: none to write (the save keeps such a record
            // as damaged).
            return false;
        }
    }
    if (!m_bLoaded) {
        return false;
    }
    const CUOVersionBlock& own = *GetVerData()->GetRecord();
    record.m_dwFileId = own.m_dwFileId;
    record.m_dwBlock = own.m_dwBlock;
    record.m_dwLength = m_nLength;
    record.m_wExtra1 = own.m_wExtra1;
    record.m_wExtra2 = own.m_wExtra2;
    if (m_nLength != 0) {
        file.Write(m_Data.data(), m_nLength);
    }
    return true;
}

void CDataDefJunk::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::Unknown);
}

}  // namespace tessaly
