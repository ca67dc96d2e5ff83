#pragma once
// Editing a patch document: a change made in memory replaces, deletes or inserts the data of one
// item, gump or sound; each change can be taken back, down to the state last loaded or saved.
// The window and tessaly-cli make their changes here and save through SaveVerDataEntries.

#include "Bytes.h"
#include "CDataVerData.h"
#include "ImageEncoders.h"
#include "QArray.h"
#include "SafeSave.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tessaly {

class CVerDataEdits {
public:
    // The entries edited: a document's records in document order (not owned).
    explicit CVerDataEdits(CQObArray<CDataVerData*>& entries) : m_Entries(entries) {}
    CVerDataEdits(const CVerDataEdits&) = delete;
    CVerDataEdits& operator=(const CVerDataEdits&) = delete;

    // Puts the change in place of the record that replaces the same entry (one read from the
    // file or an earlier change), or after the last record when there is none.
    void Apply(std::unique_ptr<CDataVerData> pChange);
    bool CanUndo() const { return !m_Steps.empty(); }
    // Takes back the last change; false when there is none. Answers the key of the entry.
    bool Undo(std::uint32_t* pKey = nullptr);
    // Forgets every step: the entries are now the saved state.
    void Clear() { m_Steps.clear(); }

private:
    struct Step {
        std::int32_t nIndex;                      // where the change stands in the entries
        std::unique_ptr<CDataVerData> pPrevious;  // what it displaced; null: it was added
    };
    CQObArray<CDataVerData*>& m_Entries;
    std::vector<Step> m_Steps;
};

// The categories whose entries can be replaced, deleted and inserted.
bool IsEditableCategory(std::int32_t nCategory);

// The change an edit makes, or the message that refuses it (and then no change).
struct EntryEdit {
    std::unique_ptr<CDataVerData> pChange;
    std::string sMessage;
};

// Replaces an item or gump with a picture: colours reduced to 5-5-5, transparent pixels left
// out. Refused when the image is empty or too large for the format.
EntryEdit ReplacePicture(std::int32_t nCategory, std::uint32_t nIndex, const Picture& picture);
// Replaces a sound with the samples of RIFF/WAVE bytes under a name. Refused unless the wave
// holds 16-bit PCM.
EntryEdit ReplaceSound(std::uint32_t nIndex, const std::string& name, ByteSpan wave);
// Deletes an item, gump or sound: a record of length 0.
EntryEdit DeleteEntry(std::int32_t nCategory, std::uint32_t nIndex);

// Messages of refused edits.
inline constexpr const char* kNoPictureMessage = "The picture cannot be read.";
inline constexpr const char* kItemTooLargeMessage =
    "The picture is too large to be stored as an item.";
inline constexpr const char* kGumpTooLargeMessage =
    "The picture is too large to be stored as a gump.";
inline constexpr const char* kWaveFormatMessage =
    "Only wave files of 16-bit PCM samples can be stored as sounds.";

// Saves the entries as a patch file through the safe save: every entry writes itself; the
// target is replaced only when all of them did. ops: the file-system steps (null: the real
// ones); progress: told after each entry.
bool SaveVerDataEntries(const std::string& path, CQObArray<CDataVerData*>& entries,
                        CSaveFileOps* ops = nullptr, const SaveProgress& progress = {});

}  // namespace tessaly
