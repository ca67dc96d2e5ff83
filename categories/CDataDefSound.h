#pragma once
// Sounds ("soundidx.mul"/"sound.mul"): listed with name and duration, played on double click
// or "Play", copied to the clipboard as RIFF/WAVE data.

#include "CDataDef.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tessaly {

class CMulSound;

// The name a sound is listed under when its name cannot be read.
inline constexpr const char* kUnknownSoundName = "Unk";

class CDataDefSound : public CDataDefIndex {
public:
    // The entry index is the sound id, taken as 16-bit.
    explicit CDataDefSound(std::uint32_t nIndex, CClientFiles& files = TheClientFiles())
        : CDataDefIndex(nIndex & 0xFFFF, files) {}

    // "name\t%d.%d sec", or "unused" without data.
    std::string GetListText() override;
    // The sound as a wave file (audio/wav); false when it has no data or the wave cannot be
    // made.
    bool CopyData(EntryClip& clip) override;
    // Writes the sound's entry (name and samples) as its patch record's data.
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategorySounds; }
    // Exports the wave the clipboard gets (MakeWaveData).
    ExportKind GetExportKind() override { return ExportKind::Wave; }
    bool ExportData(const ExportOptions& options, CExportData& out) override;
    bool ReadIndex() override;
    // A record of the patch file also gives the entry its location, so that the list shows
    // the name and duration of the sound that plays and copies.
    void LinkVerData(CDataVerData* pVerData) override { SetVerData(pVerData); }
    void AddPages(std::vector<EntryPage>& pages) override;
    // "Play" and double click play the sound.
    const char* GetActionText() override { return "Play"; }
    void RunAction() override { Play(); }

    // Plays the sound once through the process-wide sound output. Without a sound device
    // nothing is heard, and the user is told so once (kNoSoundDevice).
    void Play();
    // The sound's name as the list shows it; empty without data.
    std::string GetName();
    // The sound's duration as the list shows it ("%d.%d sec").
    std::string GetDurationText();

    // The record of sound nIndex's patch data; the save and the edits both write it.
    static CUOVersionBlock PatchRecord(std::uint32_t nIndex);
    // The change that replaces sound nIndex with sample bytes under a name. Raises CTarnError
    // "SoundEntry: Size" past the largest entry.
    static std::unique_ptr<CDataVerData> MakeChange(std::uint32_t nIndex, const std::string& name,
                                                    ByteSpan samples);
};

// What playing a sound without a sound device tells the user (once).
inline constexpr const char* kNoSoundDevice = "No sound device: sounds cannot be played.";

// The RIFF/WAVE bytes of a sound as the clipboard gets them; empty when the sound has no
// data or holds fewer than 32 bytes (the failure of a wave write is logged).
std::vector<std::uint8_t> MakeClipWave(std::uint16_t nSoundId);
// The same for a sound block (loaded on demand).
std::vector<std::uint8_t> MakeClipWave(CMulSound& sound);

}  // namespace tessaly
