#include "CDataDef.h"

#include "CDataVerData.h"
#include "DataModel.h"
#include "DataTypeDef.h"
#include "EntryPicture.h"
#include "EventLog.h"
#include "MulBlock.h"
#include "Surface.h"
#include "Text.h"

#include <algorithm>
#include <cstring>

namespace tessaly {

CDataDef::~CDataDef() {
    DataModelState().OnEntryDestroyed(this);
}

bool CDataDef::GetImage(SurfaceBuffer& /*buffer*/) {
    return false;
}

bool CDataDef::ActivateLinkedPatch(IndexRecord& record) const {
    if (m_pVerData == nullptr || !m_pVerData->HasRecord()) {
        return false;
    }
    m_pVerData->ActivatePatch();
    record = IndexFromPatch(*m_pVerData->GetRecord());
    return true;
}

bool CDataDef::GetLinkedChange(IndexRecord& record) const {
    if (m_pVerData == nullptr || m_pVerData->GetChange() == nullptr) {
        return false;
    }
    record = m_pVerData->GetChangeIndex();
    return true;
}

bool CDataDef::LoadEntryBlock(CMulBlockType& block) const {
    // A deletion, made in memory or read from a patch file, leaves nothing to load.
    if (IsDeleted()) {
        block.FreeData();
        return false;
    }
    IndexRecord change;
    if (!GetLinkedChange(change)) {
        if (block.IsLoaded()) {
            return true;
        }
        const ReadStatus status = LoadBlockLogged(block);
        m_bDataDamaged = status == ReadStatus::Damaged;
        return status == ReadStatus::Ok;
    }
    if (!block.IsLoaded()) {
        block.SetMemoryData(change, m_pVerData->GetChangeBytes());
    }
    return true;
}

ReadStatus CDataDef::QueryReadStatus(const char* operation) {
    try {
        return GetReadStatus();
    } catch (...) {
        LogCaughtException(operation);
        return ReadStatus::Failed;
    }
}

int CDataDef::GetChangeState() const {
    if (m_pVerData == nullptr) {
        return 0;
    }
    return m_pVerData->HasRecord() ? 2 : 1;
}

const char* CDataDef::GetColumnText(int column) {
    if (column == -1) {
        static const char* const kMarks[] = {" ", "+", "*"};
        if (QueryReadStatus("asking whether an entry is damaged") == ReadStatus::Damaged) {
            return "!";
        }
        return kMarks[GetChangeState()];
    }
    if (!m_pListText) {
        std::string text;
        try {
            text = GetListText();
        } catch (...) {
            LogCaughtException("making a list row");
            text.clear();
        }
        if (text.empty()) {
            return nullptr;
        }
        // Byte 0 holds the field count; the fields follow, each ended by a zero.
        const int limit = GetListFieldLimit();
        m_pListText = std::make_unique<char[]>(text.size() + 2);
        char* fields = m_pListText.get() + 1;
        std::memcpy(fields, text.c_str(), text.size() + 1);
        char count = 1;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (fields[i] == '\t') {
                if (count == limit) {
                    break;  // the entry's last field keeps the tabs it holds
                }
                fields[i] = '\0';
                // Fields past the seventh have no column and are dropped.
                if (count == kMaxColumns) {
                    break;
                }
                ++count;
            }
        }
        m_pListText[0] = count;
    }
    if (column < 0 || column >= m_pListText[0]) {
        return nullptr;
    }
    const char* p = m_pListText.get() + 1;
    for (int i = 0; i < column; ++i) {
        p += std::strlen(p) + 1;
    }
    return p;
}

const DataTypeDef* CDataDef::GetRow() {
    return GetTypeDef(GetDataType());
}

const char* CDataDef::GetTypeName() {
    const DataTypeDef* def = GetTypeDef(GetDataType());
    return def != nullptr ? def->m_pszName : "";
}

std::unique_ptr<CDataVerData> CDataDef::MakePictureChange(const Picture& /*picture*/,
                                                          std::string& /*message*/) {
    return nullptr;
}

bool CDataDef::ExportData(const ExportOptions& /*options*/, CExportData& out) {
    if (GetExportKind() != ExportKind::Picture && GetExportKind() != ExportKind::ItemPicture) {
        return false;
    }
    SurfaceBuffer buffer;
    return GetImage(buffer) && out.AddPicture(buffer);
}

bool CDataDef::CanExport() {
    try {
        CDataDef* entry = GetExportEntry();
        return entry != nullptr && entry->GetExportKind() != ExportKind::None && entry->IsValid();
    } catch (...) {
        LogCaughtException("asking whether an entry exports");
        return false;
    }
}

bool CDataDefIndex::IsValid() {
    if (GetVerData() != nullptr) {
        return true;
    }
    return m_Index.HasData();
}

bool CDataDef::ReadIndexLogged(const char* operation) {
    try {
        return ReadIndex();
    } catch (...) {
        LogCaughtException(operation);
        return false;
    }
}

ReadStatus CDataDefIndex::GetReadStatus() {
    IndexRecord change;
    if (GetLinkedChange(change)) {
        return ReadStatus::Ok;
    }
    if (DataFoundDamaged()) {
        return ReadStatus::Damaged;
    }
    if (m_nIndexSlot < 0) {
        return CDataDef::GetReadStatus();
    }
    return Files().DataStatus(CClientFiles::DataSlotOf(m_nIndexSlot), GetEffectiveIndex());
}

void CDataDefIndex::SetVerData(CDataVerData* pVerData) {
    if (pVerData != nullptr && pVerData->HasRecord()) {
        m_Index = IndexFromPatch(*pVerData->GetRecord());
    } else if (pVerData != nullptr && pVerData->GetChange() != nullptr) {
        m_Index = pVerData->GetChangeIndex();
    }
    CDataDef::SetVerData(pVerData);
}

bool CDataDef::IsDeleted() const {
    if (m_pVerData == nullptr) {
        return false;
    }
    if (const CUOVersionBlock* record = m_pVerData->GetRecord()) {
        return record->m_dwLength == 0;
    }
    IndexRecord change;
    return GetLinkedChange(change) && change.m_dwLength == 0;
}

const char* CDataDefIndex::AbsentText() {
    if (!IsValid()) {
        return "unused";
    }
    return IsDeleted() ? "delete" : nullptr;
}

IndexRecord CDataDefIndex::GetShownIndex() const {
    IndexRecord change;
    return GetLinkedChange(change) ? change : GetEffectiveIndex();
}

IndexRecord CDataDefIndex::GetEffectiveIndex() const {
    CDataVerData* link = GetVerData();
    if (link != nullptr && link->HasRecord()) {
        return IndexFromPatch(*link->GetRecord());
    }
    IndexRecord patched;
    if (link == nullptr && m_bFollowPatchTable && m_nIndexSlot >= 0 &&
        Files().GetVerDataTable().FindRecord(
            static_cast<std::uint32_t>(CClientFiles::DataSlotOf(m_nIndexSlot)), m_nIndexEntry,
            patched)) {
        return patched;
    }
    return m_Index;
}

bool CDataDefIndex::IsDeleted() const {
    if (GetVerData() != nullptr || !m_bFollowPatchTable) {
        return CDataDef::IsDeleted();
    }
    const IndexRecord shown = GetEffectiveIndex();
    return shown.IsPatch() && shown.GetLength() == 0;
}

bool ReadDataHead(CClientFiles& files, std::int32_t nDataSlot, const IndexRecord& record,
                  std::uint32_t nMax, std::vector<std::uint8_t>& out) {
    IndexRecord head = record;
    head.m_dwLength =
        (record.m_dwLength & IndexRecord::kPatchBit) | std::min(nMax, record.GetLength());
    if (record.m_dwOffset == IndexRecord::kNoData || head.GetLength() == 0) {
        return false;
    }
    out.assign(head.GetLength(), 0);
    return files.ReadData(nDataSlot, head, out);
}

std::string CDataDefIndex::LengthText() {
    if (const char* absent = AbsentText()) {
        return absent;
    }
    // The length of the data the entry resolves to: a linked record's, else the index record's.
    return Format("%d", static_cast<int>(GetEffectiveIndex().GetLength()));
}

bool CDataDefIndex::WriteBlock(CQFile& file, CUOVersionBlock& record, const CUOVersionBlock& layout,
                               ByteSpan bytes) {
    record.m_dwFileId = layout.m_dwFileId;
    record.m_dwBlock = layout.m_dwBlock;
    record.m_dwLength = static_cast<std::uint32_t>(bytes.size());
    record.m_wExtra1 = layout.m_wExtra1;
    record.m_wExtra2 = layout.m_wExtra2;
    file.Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return true;
}

bool CDataDefIndex::ReadBaseIndex(std::int32_t nIndexFile, std::uint32_t nEntry) {
    m_nIndexSlot = static_cast<std::int8_t>(nIndexFile);
    m_nIndexEntry = nEntry;
    try {
        return Files().ReadIndexRecord(nIndexFile, kFileSlotCount, nEntry, m_Index);
    } catch (...) {
        LogCaughtException("reading an index record");
        return false;
    }
}

}  // namespace tessaly
