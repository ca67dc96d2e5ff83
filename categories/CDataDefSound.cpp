#include "CDataDefSound.h"

#include "CDataVerData.h"
#include "DataModel.h"
#include "EventLog.h"
#include "MulSound.h"
#include "TarnSounds.h"
#include "Text.h"

namespace tessaly {

std::string CDataDefSound::GetListText() {
    if (const char* absent = AbsentText()) {
        return absent;
    }
    return GetName() + "\t" + GetDurationText();
}

std::string CDataDefSound::GetDurationText() {
    // A damaged record's length is no measure of its sound.
    if (GetReadStatus() == ReadStatus::Damaged) {
        return "?";
    }
    const std::uint32_t length = GetShownIndex().GetLength();
    const std::uint64_t tenths = SoundTenths(length >= 32 ? length - 32 : 0);
    return Format("%d.%d sec", static_cast<int>(tenths / 10), static_cast<int>(tenths % 10));
}

std::string CDataDefSound::GetName() {
    if (!IsValid() || IsDeleted()) {
        return std::string();
    }
    IndexRecord change;
    if (GetLinkedChange(change)) {
        return CMulSound::ReadName(GetVerData()->GetChangeBytes());
    }
    // The first 32 bytes of a sound hold its name.
    std::string name = kUnknownSoundName;
    try {
        std::vector<std::uint8_t> head;
        if (ReadDataHead(Files(), kSlotSound, m_Index, CMulSound::kNameSize, head) &&
            head.size() == CMulSound::kNameSize) {
            name = CMulSound::ReadName(head);
        }
    } catch (...) {
        LogCaughtException("reading a sound name");
        name = kUnknownSoundName;
    }
    return name;
}

CUOVersionBlock CDataDefSound::PatchRecord(std::uint32_t nIndex) {
    // A sound's record has no extra words.
    return CUOVersionBlock{kSlotSound, nIndex & 0xFFFF, 0, 0, 0, 0};
}

std::unique_ptr<CDataVerData> CDataDefSound::MakeChange(std::uint32_t nIndex,
                                                        const std::string& name, ByteSpan samples) {
    return std::make_unique<CDataVerData>(PatchRecord(nIndex), MakeSoundEntry(name, samples));
}

bool CDataDefSound::WriteVerData(CQFile& file, CUOVersionBlock& record) {
    CMulSound sound(static_cast<std::uint16_t>(GetIndex()));
    if (!LoadEntryBlock(sound)) {
        return false;
    }
    return WriteBlock(file, record, PatchRecord(GetIndex()), sound.GetBytes());
}

bool CDataDefSound::ReadIndex() {
    return ReadBaseIndex(kSlotSoundIdx, GetIndex());
}

void CDataDefSound::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::Sound);
}

void CDataDefSound::Play() {
    if (!TheSounds().IsInit()) {
        DataModelState().TellOnce(kNoSoundDevice);
        return;
    }
    try {
        IndexRecord change;
        if (!GetLinkedChange(change)) {
            TheSounds().PlaySound(static_cast<std::uint16_t>(GetIndex()), CMapPoint(0, 0, 0, 0), 0,
                                  true);
            return;
        }
        // A change made in memory plays its own samples; a deletion plays nothing.
        CMulSound sound(static_cast<std::uint16_t>(GetIndex()));
        if (LoadEntryBlock(sound)) {
            TheSounds().PlaySound(sound, CMapPoint(0, 0, 0, 0), 0, true);
        }
    } catch (...) {
        LogCaughtException("playing a sound");
        // Nothing is heard; the command still counts as handled.
    }
}

std::vector<std::uint8_t> MakeClipWave(std::uint16_t nSoundId) {
    CMulSound sound(nSoundId);
    return MakeClipWave(sound);
}

std::vector<std::uint8_t> MakeClipWave(CMulSound& sound) {
    bool bWriteFailed = false;
    std::vector<std::uint8_t> wave = MakeWaveData(sound, &bWriteFailed);
    if (bWriteFailed) {
        g_pEventLog->LogError("Doc:GetMyClipWave FAIL");
    }
    return wave;
}

bool CDataDefSound::ExportData(const ExportOptions& /*options*/, CExportData& out) {
    // A change made in memory exports its own samples; a deletion exports nothing.
    CMulSound sound(static_cast<std::uint16_t>(GetIndex()));
    if (!LoadEntryBlock(sound)) {
        return false;
    }
    std::vector<std::uint8_t> wave = MakeWaveData(sound);
    if (wave.empty()) {
        return false;
    }
    out.AddBytes(std::move(wave));
    return true;
}

bool CDataDefSound::CopyData(EntryClip& clip) {
    CMulSound sound(static_cast<std::uint16_t>(GetIndex()));
    IndexRecord change;
    if (GetLinkedChange(change)) {
        // A change made in memory copies its own data; a deletion copies nothing.
        if (!LoadEntryBlock(sound)) {
            return false;
        }
    }
    clip.wave = MakeClipWave(sound);
    return !clip.wave.empty();
}

}  // namespace tessaly
