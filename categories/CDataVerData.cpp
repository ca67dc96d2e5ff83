#include "CDataVerData.h"

#include "ClientFiles.h"
#include "DataTypeDef.h"
#include "Text.h"

namespace tessaly {

CDataVerData::CDataVerData(const CUOVersionBlock& record, CVerDataSource* pSource)
    : CDataDef(record.GetKey()), m_Record(record), m_pSource(pSource) {}

CDataVerData::CDataVerData(std::uint32_t nKey, CDataDef* pTarget)
    : CDataDef(nKey), m_pTarget(pTarget) {}

CDataVerData::CDataVerData(const CUOVersionBlock& change, std::vector<std::uint8_t> bytes)
    : CDataDef(change.GetKey()), m_Change(change), m_ChangeBytes(std::move(bytes)) {
    m_Change->m_dwOffset = 0;
    m_Change->m_dwLength = static_cast<std::uint32_t>(m_ChangeBytes.size());
}

// The target goes first so that sheets showing it close while this record still exists.
CDataVerData::~CDataVerData() {
    m_pTarget.reset();
}

std::string CDataVerData::GetListText() {
    if (!m_Record) {
        return "Mem Change";
    }
    const CUOVersionBlock& r = *m_Record;
    std::string file = FileIdName(r.m_dwFileId);
    if (r.m_dwLength == 0) {
        return Format("%s\t0%lx\tdelete", file.c_str(), static_cast<unsigned long>(r.m_dwBlock));
    }
    // The length unsigned: a damaged record's of 2 GiB or more would read as negative.
    return Format("%s\t0%lx\t0%lx\t%u\t0%x,0%x", file.c_str(),
                  static_cast<unsigned long>(r.m_dwBlock), static_cast<unsigned long>(r.m_dwOffset),
                  static_cast<unsigned>(r.m_dwLength), r.m_wExtra1, r.m_wExtra2);
}

bool CDataVerData::CopyData(EntryClip& clip) {
    CDataDef* target = GetTarget();
    if (target == nullptr) {
        return false;
    }
    ActivatePatch();
    return target->CopyData(clip);
}

bool CDataVerData::WriteVerData(CQFile& file, CUOVersionBlock& record) {
    if (m_Change) {
        const std::uint32_t offset = record.m_dwOffset;
        record = *m_Change;
        record.m_dwOffset = offset;
        file.Write(m_ChangeBytes.data(), static_cast<std::uint32_t>(m_ChangeBytes.size()));
        return true;
    }
    // A record read from the patch file goes over unchanged, the record and its bytes as the
    // opened file holds them: written again by its entry, it would lose bytes the entry does
    // not read (past its rows, a row it cannot draw), its extra words, or its own bytes to
    // another record of the same key. Only a record whose bytes the file does not hold whole is
    // written by its entry, from the part the entry reads.
    const ReadStatus copied = m_Record ? CopySourceRecord(file, record) : ReadStatus::Failed;
    if (copied == ReadStatus::Ok) {
        return true;
    }
    CDataDef* target = GetTarget();
    if (target != nullptr && target->WriteVerData(file, record)) {
        return true;
    }
    if (copied != ReadStatus::Damaged) {
        return false;
    }
    // A record the file cuts short, of an entry that cannot write itself from what it reads:
    // it keeps its length and points where no file reaches, so that it reads as damaged, as
    // it did, never as bytes written after it; the other records are saved.
    record = *m_Record;
    record.m_dwOffset = IndexRecord::kNoData - 1;
    return true;
}

ReadStatus CDataVerData::CopySourceRecord(CQFile& file, CUOVersionBlock& record) const {
    const std::uint32_t offset = record.m_dwOffset;
    record = *m_Record;
    record.m_dwOffset = offset;
    // The length field is kept as it stands; its bytes are what readers take, without bit 31.
    const std::uint32_t length = IndexFromPatch(*m_Record).GetLength();
    if (length == 0) {
        return ReadStatus::Ok;
    }
    ActivatePatch();
    CClientFiles& files = Files();
    if (!files.OpenSlot(kSlotVerData)) {
        return ReadStatus::Failed;
    }
    CQFile& source = files.GetFile(kSlotVerData);
    if (!FitsIn(m_Record->m_dwOffset, length, source.GetLength())) {
        return ReadStatus::Damaged;  // the opened file does not hold the record's bytes
    }
    std::vector<std::uint8_t> bytes(length);
    source.Seek(m_Record->m_dwOffset, CQFile::begin);
    if (source.Read(bytes.data(), length) != length) {
        return ReadStatus::Failed;
    }
    file.Write(bytes.data(), length);
    return ReadStatus::Ok;
}

std::int32_t CDataVerData::GetTargetType() {
    if (m_pTarget) {
        return m_pTarget->GetDataType();
    }
    const CUOVersionBlock* replaced = GetReplaced();
    if (replaced == nullptr) {
        return 0;
    }
    return GetCategoryOfRecord(replaced->m_dwFileId, replaced->m_dwBlock);
}

const CUOVersionBlock* CDataVerData::GetReplaced() const {
    return m_Record ? &*m_Record : GetChange();
}

IndexRecord CDataVerData::GetChangeIndex() const {
    IndexRecord index;
    index.m_dwOffset = 0;
    index.m_dwLength = static_cast<std::uint32_t>(m_ChangeBytes.size());
    if (m_Change) {
        index.m_wExtra1 = m_Change->m_wExtra1;
        index.m_wExtra2 = m_Change->m_wExtra2;
    }
    return index;
}

void CDataVerData::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::VerData);
    if (CDataDef* target = GetTarget()) {
        target->AddPages(pages);
    }
}

bool CDataVerData::MakeTarget() {
    if (m_pTarget) {
        return true;
    }
    const CUOVersionBlock* replaced = GetReplaced();
    if (replaced == nullptr) {
        return false;
    }
    std::uint32_t index = 0;
    const DataTypeDef* def = FindRecordEntry(replaced->m_dwFileId, replaced->m_dwBlock, &index);
    m_pTarget.reset(CreateDataDef(def != nullptr ? def->m_nId : 0, index, Files()));
    if (!m_pTarget) {
        return false;
    }
    m_pTarget->SetVerData(this);
    return true;
}

CDataDef* CDataVerData::GetTarget() {
    return MakeTarget() ? m_pTarget.get() : nullptr;
}

void CDataVerData::ActivatePatch() const {
    if (m_pSource != nullptr) {
        m_pSource->ActivatePatch();
    }
}

std::string FileIdName(std::uint32_t nFileId) {
    const char* name = nFileId < kFileSlotCount
                           ? CClientFiles::GetFileName(static_cast<std::int32_t>(nFileId))
                           : nullptr;
    std::string text = name != nullptr ? std::string(name) : Format("?Unk0%x", nFileId);
    if (nFileId >= 17 && nFileId <= 29) {
        text = "?" + text;
    }
    return text;
}

std::string VerDataSizeText(std::uint32_t nFileId) {
    std::uint32_t max = 0;
    // Categories sharing a data file (terrain and items) hold consecutive ranges of it.
    for (const DataTypeDef& def : GetTypeDefs()) {
        if (static_cast<std::uint32_t>(def.m_nDataFile) == nFileId) {
            max = std::max(max, def.m_nFirstRecord + def.m_nMaxEntries);
        }
    }
    if (max == 1) {
        return "Variable Amount";
    }
    if (max == 0) {
        return "Not Valid";
    }
    return Format("Max Blocks %d", static_cast<int>(max));
}

}  // namespace tessaly
