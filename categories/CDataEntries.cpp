#include "CDataEntries.h"

#include "CDataDefMap.h"
#include "CDataVerData.h"
#include "DataTypeDef.h"

#include <algorithm>

namespace tessaly {

std::vector<CDataDef*> CDataEntries::CollectRows() {
    std::vector<CDataDef*> rows;
    CQObArray<CDataVerData*>* document =
        m_pSource != nullptr ? m_pSource->GetDocumentEntries() : nullptr;
    if (GetTypeDef() != nullptr && GetTypeDef()->m_bDocumentRows) {
        if (document != nullptr) {
            rows.reserve(static_cast<std::size_t>(document->GetCount()));
            for (CDataVerData* record : *document) {
                rows.push_back(record);
            }
        }
    } else {
        BuildEntries(document);
        const bool unused = m_pSource != nullptr && m_pSource->m_bShowUnused;
        rows.reserve(static_cast<std::size_t>(m_Entries.GetCount()));
        for (CDataDef* entry : m_Entries) {
            if (entry != nullptr && (unused || entry->IsValid())) {
                rows.push_back(entry);
            }
        }
    }
    // Rows stand in index order (records with equal keys keep document order).
    std::stable_sort(rows.begin(), rows.end(),
                     [](CDataDef* a, CDataDef* b) { return a->GetIndex() < b->GetIndex(); });
    return rows;
}

bool CDataEntries::Owns(const CDataDef* pEntry) const {
    if (pEntry == nullptr ||
        pEntry->GetIndex() >= static_cast<std::uint32_t>(m_Entries.GetCount())) {
        return false;
    }
    return m_Entries[static_cast<std::int32_t>(pEntry->GetIndex())] == pEntry;
}

const DataTypeDef* CDataEntries::GetTypeDef() const {
    return tessaly::GetTypeDef(m_nCategory);
}

void CDataEntries::BuildEntries(CQObArray<CDataVerData*>* pDocument) {
    const DataTypeDef* def = GetTypeDef();
    if (def == nullptr || !m_Entries.IsEmpty()) {
        return;
    }
    if (m_pSource != nullptr) {
        m_pSource->ActivateDocument();
    }
    const std::int32_t max = static_cast<std::int32_t>(GetEntryCount(*def, *m_pFiles));
    m_Entries.SetSize(max);
    auto makeEntry = [&](std::int32_t n) {
        CDataDef* entry = CreateDataDef(m_nCategory, static_cast<std::uint32_t>(n), *m_pFiles);
        entry->ReadIndexLogged();  // an unreadable index leaves the entry without data
        m_Entries[n] = entry;
    };
    const bool mulFiles = m_pSource == nullptr || m_pSource->m_bShowMulFiles;
    const bool verData = m_pSource == nullptr || m_pSource->m_bShowVerData;
    const bool changes = m_pSource == nullptr || m_pSource->m_bShowChanges;
    if (mulFiles) {
        for (std::int32_t n = 0; n < max; ++n) {
            if (m_Entries[n] == nullptr) {
                makeEntry(n);
            }
        }
    }
    // Patch records and changes name Felucca's blocks only.
    if ((!verData && !changes) || pDocument == nullptr ||
        (HoldsFacetBlocks(*def) && ChosenFacet() != 0)) {
        return;
    }
    for (CDataVerData* record : *pDocument) {
        std::uint32_t target = 0;
        if (const CUOVersionBlock* r = record->GetRecord()) {
            if (!verData || r->m_dwFileId != static_cast<std::uint32_t>(def->m_nDataFile)) {
                continue;
            }
            if (FindRecordEntry(r->m_dwFileId, r->m_dwBlock, &target) != def) {
                continue;
            }
        } else {
            CDataDef* changed = record->GetTarget();
            if (!changes || changed == nullptr || changed->GetDataType() != m_nCategory) {
                continue;
            }
            target = changed->GetIndex();
        }
        // A record of the file stands for RecordEntryCount entries (a hue group for eight
        // hues), a change for its one entry. A record beyond the category's limit has no slot;
        // a slot without an entry (with "Mul Files" off) gets one made for the record.
        const auto size = static_cast<std::uint32_t>(max);
        if (target >= size) {
            continue;
        }
        const std::uint32_t count =
            std::min(record->GetRecord() != nullptr ? RecordEntryCount(*def) : 1, size - target);
        for (std::uint32_t k = 0; k < count; ++k) {
            const auto n = static_cast<std::int32_t>(target + k);
            if (m_Entries[n] == nullptr) {
                makeEntry(n);
            }
            m_Entries[n]->LinkVerData(record);
        }
    }
}

}  // namespace tessaly
