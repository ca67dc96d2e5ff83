#pragma once
// The document: one patch file ("verdata.mul" or a file of its format), holding one CDataVerData
// entry per record.
//
// Each document copies its records into its own entries and reads their data from its own
// patch file, which it keeps open: before anything reads patch bytes for a document,
// ActivatePatch points the process-wide file slot 22 and patch table at that document's file.
// Saving writes the entries through the patch table's safe save and then reloads the document from
// the saved file.

#include "CDataVerData.h"
#include "CDocument.h"
#include "CVerDataEdits.h"
#include "QArray.h"
#include "QFile.h"

#include <memory>
#include <string>
#include <vector>

namespace tessaly {

class CShellUi;
struct MergeResult;

class CBrindleDoc : public CDocument, public CVerDataSource, public CPatchDocument {
public:
    CBrindleDoc();
    ~CBrindleDoc() override;

    bool OnNewDocument() override;
    bool OnOpenDocument(const QString& path) override;
    bool OnSaveDocument(const QString& path) override;
    void DeleteContents() override;

    // Empties and reloads the patch table from slot 22, then makes one entry per record.
    bool LoadEntries();
    void ActivatePatch() override;

    // After the client's files moved to another folder (all closed, the new folder chosen):
    // the documents that stand for the client's own "verdata.mul" (untitled and unchanged, as
    // start-up and New make them) are built again from the new client's; the others keep their
    // patch files. The patch of the document active before is active again.
    static void FollowClientFolder(const std::vector<CBrindleDoc*>& docs);

    // The patch file whose records this document holds (empty when there was none).
    std::string GetPatchPath() const { return m_PatchFile.GetFilePath(); }

    // Puts a change made in memory into the document, marks it modified and shows it in every
    // view. The lists are made again around it: false, with nothing changed, when the user
    // cancelled the "Save ?" question of a sheet whose entry that would destroy.
    bool ApplyChange(std::unique_ptr<CDataVerData> pChange) override;
    const CQObArray<CDataVerData*>& GetRecords() const override { return m_VerData; }
    // Edit > "Undo": takes back the last change; the document stays modified while changes
    // since the last load or save remain. False when there is none (or the user cancelled as
    // ApplyChange says).
    bool Undo();
    // Asks "Save ?" on the sheets with unapplied edits whose entries a reload or close of the
    // document destroys: those of its views' lists and its own records. False when the user
    // cancelled.
    bool AskSaveSheets() override;
    // Whether the entry is one of the document's records or of its views' lists.
    bool HoldsEntry(const CDataDef* pEntry) const override;
    bool CanUndo() const { return m_Edits.CanUndo(); }
    // "Save As...": saves to a chosen file, which the document then stands for.
    bool DoFileSaveAs();
    // "Merge into Client Files...": the document's records, unsaved changes included, merged into
    // new copies of the client files in a chosen folder; the patch file and the client's files
    // are only read. True when the folder was written.
    bool DoMergeIntoClientFiles();

    // The views let go of their lists before what they show changes under them (the sheets of
    // their entries asked about first), and come back with their category and selection.
    void DetachViews();
    void ReattachViews();

    CQObArray<CDataVerData*> m_VerData;
    // The file-system steps of saves (not owned; null: the real ones).
    CSaveFileOps* m_pSaveOps = nullptr;

private:
    // Writes the records to a patch file beside `target` and merges that into it, telling
    // `result` what was written; the message of a failure, else empty.
    std::string MergeInto(const std::string& target, bool replace, CShellUi& ui,
                          MergeResult& result);

    // Warns and answers true when path names a client data file ("art.mul"), which is never a
    // patch file; why ends the warning.
    static bool RefuseClientDataFile(const QString& path, const char* why);
    // Whether slot 22 is open on m_PatchFile's descriptor.
    bool SlotSharesPatchFile() const;

    // The patch file the records were read from, open for the document's life: their offsets
    // hold in it even after another file is saved over its name. While the document is
    // active, slot 22 shares this descriptor.
    CQFile m_PatchFile;
    CVerDataEdits m_Edits{m_VerData};
};

}  // namespace tessaly
