#pragma once
// The application's ".pat" patch: replacement data blocks kept sorted by (type & 63, block index)
// in one buffer, with the File-menu operations that open, merge, save and close it.
//
// The operations talk to the user only through CPatchUi, which the application shell implements
// with its dialogs and message boxes (tests implement it with scripted answers).

#include "Bytes.h"
#include "PatchFileIO.h"
#include "PatchFormat.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

// Texts the patch operations show.
inline constexpr const char* kPatchSaveQuestion =
    "Would you like to save your current patch information?";
inline constexpr const char* kPatchUnableToOpen = "Unable to open file";
inline constexpr const char* kPatchInvalidFormat =
    "Patch file format is invalid.  The file will not be loaded.";
inline constexpr const char* kPatchUnableToOpenForOutput = "Unable to open file for output";
inline constexpr const char* kPatchFileFilter = "Patch files|*.pat||";

// A file dialog the patch operations need; the filter is always kPatchFileFilter and there is
// no default extension.
struct PatchFileDialog {
    enum Kind { Open, Merge, SaveAs };
    Kind nKind = Open;
    bool bSave = false;              // a save dialog, else an open dialog
    bool bMustExist = false;         // the chosen file must exist
    bool bHideReadOnly = false;      // no read-only check box
    bool bConfirmOverwrite = false;  // ask before choosing an existing file
    const char* pFilter = kPatchFileFilter;

    static PatchFileDialog For(Kind kind);
};

// What the patch operations need from the user interface.
class CPatchUi {
public:
    virtual ~CPatchUi() = default;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // The chosen path, or nullopt when the dialog was cancelled.
    virtual std::optional<std::string> ChooseFile(const PatchFileDialog& dialog) = 0;
    // An OK message box.
    virtual void ShowMessage(const std::string& text) = 0;
    // False, once the user is told why, when the patch must not be written over the file at
    // path (one of the client's data files).
    virtual bool MaySaveOver(const std::string& /*path*/) { return true; }
};

class CPatch {
public:
    // io (not owned) does the file access; null uses the real file system.
    explicit CPatch(CPatchFileIO* io = nullptr);

    // Looks a record up by (type & 63, block index). On a hit stores its data length in nLength,
    // copies the data into pOut when it is not null (the caller gives room for nLength bytes)
    // and answers true; otherwise nLength = 0.
    bool FindPatchRecord(std::uint8_t* pOut, std::uint8_t nType, std::uint32_t& nLength,
                         std::uint32_t nIndex) const;
    // The data of the record for (type, index), or nullopt.
    std::optional<std::vector<std::uint8_t>> FindPatchRecord(std::uint8_t nType,
                                                             std::uint32_t nIndex) const;
    // Stores `data` as the record for (type, index), in order, replacing a record for the same
    // pair; marks the patch modified. Throws std::length_error for data of 4 GiB or more.
    void InsertPatchRecord(std::vector<std::uint8_t> data, std::uint8_t nType,
                           std::uint32_t nIndex);

    // File-menu operations.
    // Offers to save and discards the patch. False when the user wanted it saved and that
    // failed or was cancelled: the patch then stays loaded and modified, and whatever asked to
    // close it (opening another patch, exiting) must not go ahead.
    // Asks whether to save a modified patch and saves it on Yes; false when that save failed.
    // The patch stays open either way.
    bool OfferToSave(CPatchUi& ui);
    bool ClosePatch(CPatchUi& ui);
    void OpenPatch(CPatchUi& ui);
    // OpenPatch without its dialog: the file at path (a ".pat" dropped on the window).
    void OpenPatchFile(CPatchUi& ui, const std::string& path);
    void MergePatch(CPatchUi& ui);
    // True when the patch is saved (or had nothing to save); false when the save failed or its
    // dialog was cancelled, the patch then still modified.
    bool SavePatch(CPatchUi& ui);
    bool SavePatchAs(CPatchUi& ui);

    // Enable state of the commands: close and merge need a path, the saves a record.
    bool HasPath() const { return !m_sPatchPath.empty(); }
    bool HasRecords() const { return m_nPatchCount != 0; }

    ByteSpan Records() const { return m_PatchData; }
    std::uint32_t Count() const { return m_nPatchCount; }
    const std::string& Path() const { return m_sPatchPath; }
    bool IsModified() const { return m_bPatchModified; }
    // Discards the records and the path without a question.
    void Clear();

private:
    struct Position {
        std::size_t nOffset = 0;  // of the first record not ordered before the pair
        bool bFound = false;      // that record is the pair's
        std::uint32_t nLength = 0;
    };
    // Where (type, index) stands among the records.
    Position Locate(std::uint8_t nType, std::uint32_t nIndex) const;
    // Reads a chosen file; shows the message and answers nullopt when it cannot be used.
    std::optional<PatchFileContents> ReadChosen(CPatchUi& ui, const std::string& path);
    // Makes the file at path the patch, its records replacing the patch's (which the caller
    // closed); a file that does not read or is not a patch is told and leaves the patch empty.
    void LoadChosen(CPatchUi& ui, const std::string& path);

    CPatchFileIO m_DefaultIO;
    CPatchFileIO* m_pIO;
    std::vector<std::uint8_t> m_PatchData;  // all records, lengths in bytes
    std::uint32_t m_nPatchCount = 0;
    std::string m_sPatchPath;
    // The path names a file that was refused: its bytes are none of the patch's, so a save
    // asks for the file to write rather than replace it unasked.
    bool m_bPathRefused = false;
    bool m_bPatchModified = false;
};

}  // namespace tessaly
