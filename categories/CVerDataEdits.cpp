#include "CVerDataEdits.h"

#include "CDataDefSound.h"
#include "EventLog.h"
#include "MulSound.h"
#include "TarnError.h"

namespace tessaly {

void CVerDataEdits::Apply(std::unique_ptr<CDataVerData> pChange) {
    const std::uint32_t key = pChange->GetIndex();
    for (std::int32_t i = 0; i < m_Entries.GetCount(); ++i) {
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
    if (!ReadPcm16Wave(wave, samples)) {
        edit.sMessage = kWaveFormatMessage;
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

bool SaveVerDataEntries(const std::string& path, CQObArray<CDataVerData*>& entries,
                        CSaveFileOps* ops, const SaveProgress& progress) {
    try {
        return SaveVerDataFile(
            path, entries.GetCount(),
            [&entries](std::int32_t i, CQFile& file, CUOVersionBlock& record) {
                try {
                    return entries[i]->WriteVerData(file, record);
                } catch (...) {
                    LogCaughtException("writing a patch record");
                    return false;
                }
            },
            ops, progress);
    } catch (...) {
        LogCaughtException("saving a patch file");
        return false;
    }
}

}  // namespace tessaly
