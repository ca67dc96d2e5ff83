#include "CVerDataEdits.h"

#include "CDataDefSound.h"
#include "CDataDefTileData.h"
#include "ClientFiles.h"
#include "EventLog.h"
#include "MulSound.h"
#include "TarnError.h"
#include "Text.h"

#include <algorithm>
#include <cstring>

namespace tessaly {

void CVerDataEdits::Apply(std::unique_ptr<CDataVerData> pChange) {
    // Of several records with the key, readers apply the last: that is the one replaced.
    const std::uint32_t key = pChange->GetIndex();
    for (std::int32_t i = m_Entries.GetCount() - 1; i >= 0; --i) {
        if (m_Entries[i]->GetReplaced() != nullptr && m_Entries[i]->GetIndex() == key) {
            // The displaced record moves to the step; the array no longer owns it.
            std::unique_ptr<CDataVerData> previous(m_Entries[i]);
            m_Entries[i] = pChange.release();
            m_Steps.push_back({i, std::move(previous)});
            return;
        }
    }
    const std::int32_t at = m_Entries.Add(pChange.release());
    m_Steps.push_back({at, nullptr});
}

bool CVerDataEdits::Undo(std::uint32_t* pKey) {
    if (m_Steps.empty()) {
        return false;
    }
    Step step = std::move(m_Steps.back());
    m_Steps.pop_back();
    if (pKey != nullptr) {
        *pKey = m_Entries[step.nIndex]->GetIndex();
    }
    if (step.pPrevious) {
        delete m_Entries[step.nIndex];
        m_Entries[step.nIndex] = step.pPrevious.release();
    } else {
        m_Entries.RemoveAt(step.nIndex);
    }
    return true;
}

bool IsEditableCategory(std::int32_t nCategory) {
    const DataTypeDef* def = GetTypeDef(nCategory);
    return def != nullptr && def->m_Edit != EditSource::None;
}

EntryEdit ReplacePicture(std::int32_t nCategory, std::uint32_t nIndex, const Picture& picture) {
    EntryEdit edit;
    if (picture.width == 0 || picture.height == 0) {
        edit.sMessage = kNoPictureMessage;
        return edit;
    }
    const DataTypeDef* def = GetTypeDef(nCategory);
    if (def == nullptr || def->m_Edit != EditSource::Picture) {
        return edit;
    }
    const std::unique_ptr<CDataDef> entry(CreateDataDef(nCategory, nIndex));
    edit.pChange = entry->MakePictureChange(picture, edit.sMessage);
    return edit;
}

EntryEdit ReplaceSound(std::uint32_t nIndex, const std::string& name, ByteSpan wave) {
    EntryEdit edit;
    std::vector<std::uint8_t> samples;
    edit.sMessage = ReadSoundWave(wave, samples);
    if (!edit.sMessage.empty()) {
        return edit;
    }
    edit.pChange = CDataDefSound::MakeChange(nIndex, name, samples);
    return edit;
}

EntryEdit DeleteEntry(std::int32_t nCategory, std::uint32_t nIndex) {
    EntryEdit edit;
    const DataTypeDef* def = GetTypeDef(nCategory);
    if (def == nullptr || !IsEditableCategory(nCategory)) {
        return edit;
    }
    CUOVersionBlock record{
        static_cast<std::uint32_t>(def->m_nDataFile), def->RecordOf(nIndex), 0, 0, 0, 0};
    edit.pChange = std::make_unique<CDataVerData>(record, std::vector<std::uint8_t>());
    return edit;
}

namespace {

// The name and flags an edit sets, in a terrain or item record.
template <typename Record>
void SetNameAndFlags(Record& info, const TileRecordChange& change) {
    if (change.name) {
        std::memset(info.m_szName, 0, sizeof info.m_szName);
        std::memcpy(info.m_szName, change.name->data(),
                    std::min(change.name->size(), sizeof info.m_szName));
    }
    if (change.flags) {
        info.m_dwFlags = static_cast<std::uint32_t>(*change.flags);
        info.m_dwFlagsHigh = static_cast<std::uint32_t>(*change.flags >> 32);
    }
}

}  // namespace

EntryEdit EditTileRecord(bool bItem, std::uint32_t nId, const TileRecordChange& change,
                         const CQObArray<CDataVerData*>* records) {
    EntryEdit edit;
    const char* kind = bItem ? "Item" : "Terrain";
    if (change.name && change.name->size() > kTileNameBytes) {
        edit.sMessage = kTileNameTooLongMessage;
        return edit;
    }
    const std::uint32_t limit =
        bItem ? static_cast<std::uint32_t>(GetTileDataShape(TheClientFiles()).FirstMultiItem())
              : kArtItemBase;
    if (nId >= limit) {
        edit.sMessage = Format("%s 0x%x has no record in this client's tile data.", kind, nId);
        return edit;
    }
    const std::uint32_t r = bItem ? nId + kArtItemBase : nId;
    const std::uint32_t p = r % kTileGroupSize;
    const std::unique_ptr<CDataDefTileData> group = ReadTileGroup(r / kTileGroupSize, records);
    if (!group) {
        edit.sMessage = Format("The tile data of %s 0x%x cannot be read.", kind, nId);
        return edit;
    }
    const TileDataLayout layout = group->GetLayout();
    if (change.flags && layout == TileDataLayout::Old && (*change.flags >> 32) != 0) {
        edit.sMessage = kTileFlagsTooWideMessage;
        return edit;
    }
    ByteWriter out;
    if (bItem) {
        CTileItemInfo info;
        group->GetItemRecord(p, info);
        const std::span<const TileItemField> fields = GetTileItemFields(layout);
        std::array<std::uint32_t, 9> values = info.GetFields(layout);
        for (std::size_t i = 0; i < change.fields.size(); ++i) {
            if (!change.fields[i]) {
                continue;
            }
            if (i >= fields.size() || *change.fields[i] > fields[i].max) {
                edit.sMessage = i < fields.size()
                                    ? Format("%s holds 0 to %u.", fields[i].label, fields[i].max)
                                    : "This client's item records have no such field.";
                return edit;
            }
            values[i] = static_cast<std::uint32_t>(*change.fields[i]);
        }
        info.SetFields(layout, values);
        SetNameAndFlags(info, change);
        info.Write(out, layout);
    } else {
        if (std::any_of(change.fields.begin(), change.fields.end(),
                        [](const auto& field) { return field.has_value(); })) {
            edit.sMessage = kTerrainFieldsMessage;
            return edit;
        }
        CTileTerrainInfo info;
        group->GetTerrainRecord(p, info);
        SetNameAndFlags(info, change);
        info.Write(out, layout);
    }
    edit.pChange = group->MakeRecordChange(p, out.data());
    return edit;
}

bool SaveVerDataEntries(const std::string& path, CQObArray<CDataVerData*>& entries,
                        CSaveFileOps* ops, const SaveProgress& progress, std::string* pWhy) {
    std::string why;
    // The record that failed, named as "verdata" lists it.
    const auto failed = [&entries, &why](std::int32_t i, const std::string& reason) {
        const CUOVersionBlock* r = entries[i]->GetRecord();
        why = (r != nullptr
                   ? Format("record %d (file id %u, block 0x%x) ", i, r->m_dwFileId, r->m_dwBlock)
                   : Format("record %d ", i)) +
              "cannot be written" + reason;
        return false;
    };
    bool saved = false;
    try {
        saved = SaveVerDataFile(
            path, entries.GetCount(),
            [&entries, &failed](std::int32_t i, CQFile& file, CUOVersionBlock& record) {
                try {
                    return entries[i]->WriteVerData(file, record) ||
                           failed(i, ": its data cannot be read");
                } catch (...) {
                    LogCaughtException("writing a patch record");
                    return failed(i, " (" + CaughtExceptionText(true) + ")");
                }
            },
            ops, progress);
    } catch (...) {
        LogCaughtException("saving a patch file");
    }
    if (pWhy != nullptr) {
        *pWhy = saved ? std::string() : why;
    }
    return saved;
}

}  // namespace tessaly
