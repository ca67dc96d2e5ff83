#pragma once
// Editing a patch document: a change made in memory replaces, deletes or inserts the data of one
// item, gump or sound; each change can be taken back, down to the state last loaded or saved.
// The window and tessaly-cli make their changes here and save through SaveVerDataEntries.

#include "Bytes.h"
#include "CDataVerData.h"
#include "ImageEncoders.h"
#include "QArray.h"
#include "SafeSave.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
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
// Replaces a sound with the samples of RIFF/WAVE bytes under a name. Refused, saying why,
// unless the wave holds 16-bit PCM at the sound entry's rate (IsSoundEntryFormat).
EntryEdit ReplaceSound(std::uint32_t nIndex, const std::string& name, ByteSpan wave);
// Deletes an item, gump or sound: a record of length 0.
EntryEdit DeleteEntry(std::int32_t nCategory, std::uint32_t nIndex);

// What an edit of one tile data record sets; what is left empty keeps its value.
struct TileRecordChange {
    std::optional<std::string> name;     // its bytes, at most kTileNameBytes
    std::optional<std::uint64_t> flags;  // bits 32-63 only in the newer layout
    // An item's numeric fields, in the order of GetTileItemFields (terrain has none).
    std::array<std::optional<std::uint64_t>, 9> fields;
};
// Changes one record of tile data: terrain nId, or item nId when bItem. The change holds the
// record's whole group in the client's layout, its other records as the document shows them
// (records: the document's records; null: "tiledata.mul" alone). Refused with a message when a
// value does not fit its field or the client's file has no such record.
EntryEdit EditTileRecord(bool bItem, std::uint32_t nId, const TileRecordChange& change,
                         const CQObArray<CDataVerData*>* records);

// A patch document as the pages that edit see it: its records, whether an entry is one of its
// own (a record or an entry of its lists), and the change an edit makes (false, with nothing
// changed, when the user cancelled).
class CPatchDocument {
public:
    virtual ~CPatchDocument() = default;
    virtual const CQObArray<CDataVerData*>& GetRecords() const = 0;
    virtual bool HoldsEntry(const CDataDef* pEntry) const = 0;
    virtual bool ApplyChange(std::unique_ptr<CDataVerData> pChange) = 0;
};

// Messages of refused edits.
inline constexpr const char* kNoPictureMessage = "The picture cannot be read.";
inline constexpr const char* kItemTooLargeMessage =
    "The picture is too large to be stored as an item.";
inline constexpr const char* kGumpTooLargeMessage =
    "The picture is too large to be stored as a gump.";
inline constexpr const char* kTileNameTooLongMessage = "A tile data name holds at most 20 bytes.";
inline constexpr const char* kTileNameLatin1Message =
    "A tile data name takes Latin-1 characters only.";
inline constexpr const char* kTileFlagsTooWideMessage =
    "This client's tile data holds flag bits 0 to 31 only.";
inline constexpr const char* kTerrainFieldsMessage =
    "A terrain record holds a name and flags only.";

// Saves the entries as a patch file through the safe save: every entry writes itself; the
// target is replaced only when all of them did. ops: the file-system steps (null: the real
// ones); progress: told after each entry. pWhy (may be null) gets the record that could not be
// written and why (its data lies outside the patch file, say); it stays empty when the file
// itself could not be written.
bool SaveVerDataEntries(const std::string& path, CQObArray<CDataVerData*>& entries,
                        CSaveFileOps* ops = nullptr, const SaveProgress& progress = {},
                        std::string* pWhy = nullptr);

}  // namespace tessaly
