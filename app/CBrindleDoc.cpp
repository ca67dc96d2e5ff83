#include "CBrindleDoc.h"

#include "CBrindleView.h"
#include "CDataAppState.h"
#include "CDataDefMulti.h"
#include "ClientFiles.h"
#include "ClientMerge.h"
#include "EventLog.h"
#include "MultiType.h"
#include "OutputFolder.h"
#include "Patch.h"
#include "PatchFileIO.h"
#include "ResourceIds.h"
#include "ShellUi.h"
#include "Text.h"
#include "VerDataTable.h"

#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace tessaly {

namespace {
// The document whose patch file slot 22 and the patch table hold at the moment.
const CBrindleDoc* g_pPatchOwner = nullptr;
}  // namespace

CBrindleDoc::CBrindleDoc() {
    AddCommand(
        ids::ID_FILE_SAVE, [this] { DoFileSave(); },
        [this](CCmdUI& ui) { ui.Enable(IsModified()); });
    AddUpdate(ids::ID_FILE_SAVE_FAST,
              [](CCmdUI& ui) { ui.Enable(false, "Not available: \"Save\" saves the file"); });
    AddCommand(
        ids::ID_FILE_SAVE_AS, [this] { DoFileSaveAs(); }, [](CCmdUI& ui) { ui.Enable(true); });
    AddCommand(
        ids::ID_MERGE_CLIENT_FILES, [this] { DoMergeIntoClientFiles(); },
        [this](CCmdUI& ui) {
            const CPatch* patch = DataAppState().m_pPatch;
            ui.Enable(m_VerData.GetCount() != 0 || (patch != nullptr && patch->HasRecords()),
                      "Neither the file nor the opened patch holds records");
        });
    AddCommand(
        ids::ID_EDIT_UNDO, [this] { Undo(); },
        [this](CCmdUI& ui) { ui.Enable(CanUndo(), "Nothing to undo"); });
}

CBrindleDoc::~CBrindleDoc() {
    m_VerData.RemoveAll();
    if (g_pPatchOwner == this) {
        g_pPatchOwner = nullptr;
    }
    // Slot 22 goes on with a descriptor of its own where it shared this document's.
    CQFile& slot = TheClientFiles().GetFile(kSlotVerData);
    if (SlotSharesPatchFile() && !slot.Duplicate(m_PatchFile)) {
        slot.Close();
    }
}

bool CBrindleDoc::SlotSharesPatchFile() const {
    const CQFile& slot = TheClientFiles().GetFile(kSlotVerData);
    return m_PatchFile.IsOpen() && slot.IsOpen() &&
           (slot.m_uMode & CQFile::modeSharedHandle) != 0 &&
           slot.GetOpenSerial() == m_PatchFile.GetOpenSerial();
}

void CBrindleDoc::DeleteContents() {
    m_VerData.RemoveAll();
}

bool CBrindleDoc::OnNewDocument() {
    if (!CDocument::OnNewDocument()) {
        return false;
    }
    LoadEntries();
    return true;
}

bool CBrindleDoc::OnOpenDocument(const QString& path) {
    // A client data file (a double click on "art.mul", say) would list its bytes as records and
    // lay them over the client's entries.
    if (RefuseClientDataFile(path, "File > \"Open Base Muls...\" reads its folder as the client")) {
        return false;
    }
    // Nor is the program's own ".pat" patch, which has a format of its own (a file of the
    // client's format may carry the extension too: the bytes decide).
    if (IsPatFile(path.toStdString())) {
        DataAppState().Ui().ShowWarning("'" + QFileInfo(path).fileName().toStdString() +
                                        "' is a \".pat\" patch: File > \"Open Patch File...\" "
                                        "opens it.");
        return false;
    }
    if (!CDocument::OnOpenDocument(path)) {
        return false;
    }
    CClientFiles& files = TheClientFiles();
    files.GetFile(kSlotVerData).Close();
    files.SetSlotPath(kSlotVerData, path.toStdString());
    if (!LoadEntries()) {
        return false;
    }
    QSettings settings(QStringLiteral("Local AppWizard-Generated Applications"),
                       QStringLiteral("Tessaly"));
    // By its full path: the next start may be from another folder.
    settings.setValue(QStringLiteral("MAIN/LastView"), QFileInfo(path).absoluteFilePath());
    return true;
}

bool CBrindleDoc::LoadEntries() {
    try {
        m_Edits.Clear();
        m_VerData.RemoveAll();
        g_pPatchOwner = this;
        CVerDataTable& table = TheVerDataTable();
        if (!table.IsEmpty()) {
            table.RemoveAll();
        }
        CClientFiles& files = TheClientFiles();
        if (SlotSharesPatchFile()) {
            files.GetFile(kSlotVerData).Close();
        }
        m_PatchFile.Close();
        if (files.OpenSlot(kSlotVerData)) {
            CQFile& slot = files.GetFile(kSlotVerData);
            if (!m_PatchFile.Duplicate(slot)) {
                throw std::runtime_error("the patch file '" + slot.GetFilePath() +
                                         "' cannot be kept open");
            }
            table.Load(slot);
        }
        m_VerData.SetSize(table.GetCount());
        for (std::int32_t i = 0; i < table.GetCount(); ++i) {
            m_VerData[i] = new CDataVerData(table.ElementAt(i), this);
        }
        return true;
    } catch (...) {
        LogCaughtException("loading the patch table");
        return false;
    }
}

void CBrindleDoc::ActivatePatch() {
    if (g_pPatchOwner == this) {
        return;
    }
    g_pPatchOwner = this;
    CClientFiles& files = TheClientFiles();
    CVerDataTable& table = TheVerDataTable();
    files.GetFile(kSlotVerData).Close();
    table.RemoveAll();
    if (!m_PatchFile.IsOpen()) {
        return;
    }
    try {
        files.GetFile(kSlotVerData).OpenShared(m_PatchFile);
        table.Load(files.GetFile(kSlotVerData));
    } catch (...) {
        LogCaughtException("activating a patch file");
        // An unreadable patch file leaves the table empty: the base files answer alone.
    }
}

void CBrindleDoc::FollowClientFolder(const std::vector<CBrindleDoc*>& docs) {
    CBrindleDoc* active = nullptr;
    CClientFiles& files = TheClientFiles();
    for (CBrindleDoc* doc : docs) {
        if (doc == g_pPatchOwner) {
            active = doc;
        }
        if (doc->GetPathName().isEmpty() && !doc->IsModified()) {
            // Its file is looked for by name in the new folder.
            files.GetFile(kSlotVerData).Close();
            files.SetSlotPath(kSlotVerData, std::string());
            doc->LoadEntries();
        }
    }
    g_pPatchOwner = nullptr;
    if (active != nullptr) {
        active->ActivatePatch();
    }
}

bool CBrindleDoc::RefuseClientDataFile(const QString& path, const char* why) {
    const std::string refusal = CClientFiles::RefuseAsPatchFile(
        path.toStdString(), QFileInfo(path).fileName().toStdString());
    if (!refusal.empty()) {
        DataAppState().Ui().ShowWarning(refusal + ": " + why + ".");
    }
    return !refusal.empty();
}

bool CBrindleDoc::OnSaveDocument(const QString& path) {
    // Saved under a client data file's name, the patch would replace that file.
    if (RefuseClientDataFile(path, "the patch is not saved over it")) {
        return false;
    }
    ActivatePatch();
    // Shown through the reload that follows too, which takes a moment for a large document: the
    // entries make the first nine tenths, and the step to the end between the file's flush and
    // the reload lets the window paint between the two.
    const CShellUi::Progress progress = DataAppState().Ui().BeginProgress(
        Format("Saving the file '%s'...", path.toStdString().c_str()));
    SaveProgress writing;
    if (progress) {
        writing = [&progress](std::uint64_t done, std::uint64_t total) {
            progress(done * 9, total * 10);
        };
    }
    if (!SaveVerDataEntries(path.toStdString(), m_VerData, m_pSaveOps, writing, &m_sSaveFailure)) {
        return false;
    }
    if (progress) {
        progress(1, 1);
    }
    SetModifiedFlag(false);
    // The records' offsets now refer to the saved file: read the document again from it.
    DetachViews();
    CClientFiles& files = TheClientFiles();
    files.GetFile(kSlotVerData).Close();
    files.SetSlotPath(kSlotVerData, path.toStdString());
    LoadEntries();
    ReattachViews();
    return true;
}

bool CBrindleDoc::HoldsEntry(const CDataDef* pEntry) const {
    for (CView* view : GetViews()) {
        if (auto* shown = dynamic_cast<CBrindleView*>(view);
            shown != nullptr && shown->m_pList && shown->m_pList->Owns(pEntry)) {
            return true;
        }
    }
    return std::find(m_VerData.begin(), m_VerData.end(), pEntry) != m_VerData.end();
}

bool CBrindleDoc::AskSaveSheets() {
    return DataAppState().AskSaveSheets(
        [this](const CDataDef* entry) { return HoldsEntry(entry); });
}

bool CBrindleDoc::ApplyChange(std::unique_ptr<CDataVerData> pChange) {
    if (!AskSaveSheets()) {
        return false;
    }
    ActivatePatch();
    // The lists link their entries to the records: they are rebuilt around the change.
    DetachViews();
    m_Edits.Apply(std::move(pChange));
    SetModifiedFlag(true);
    ReattachViews();
    return true;
}

bool CBrindleDoc::Undo() {
    if (!m_Edits.CanUndo() || !AskSaveSheets()) {
        return false;
    }
    ActivatePatch();
    DetachViews();
    m_Edits.Undo();
    SetModifiedFlag(m_Edits.CanUndo());
    ReattachViews();
    return true;
}

bool CBrindleDoc::DoFileSaveAs() {
    std::optional<std::string> chosen =
        DataAppState().Ui().ChooseDocumentFile(true, GetTitle().toStdString());
    if (!chosen) {
        return false;
    }
    return DoSave(QString::fromStdString(*chosen));
}

bool CBrindleDoc::DoMergeIntoClientFiles() {
    namespace fs = std::filesystem;
    CShellUi& ui = DataAppState().Ui();
    CClientFiles& client = TheClientFiles();
    const std::optional<std::string> chosen = ui.ChooseFolder(
        "Choose the folder the merged client files are written into", client.GetBasePath(nullptr));
    if (!chosen) {
        return false;
    }
    std::error_code ec;
    const fs::path target = fs::weakly_canonical(*chosen, ec);
    const CPatch* pat = DataAppState().m_pPatch;
    // A replaced folder goes whole: never one that holds the client, the patch file or the
    // ".pat" patch.
    if (ec || target == target.root_path() || client.FolderHoldsClient(target.string()) ||
        FolderHoldsFile(target.string(), GetPatchPath()) ||
        (pat != nullptr && FolderHoldsFile(target.string(), pat->Path()))) {
        ui.ShowWarning(
            Format("The folder '%s' holds the client's files, the patch file or the \".pat\" "
                   "patch: choose "
                   "a new folder for the merged files.",
                   chosen->c_str()));
        return false;
    }
    // An existing folder is replaced as a whole: asked first unless it is empty.
    bool replace = false;
    if (fs::exists(target, ec)) {
        if (!fs::is_empty(target, ec) &&
            !ui.AskYesNo(Format("The folder '%s' already exists.\nReplace it and everything in "
                                "it with the merged files?",
                                target.c_str()))) {
            return false;
        }
        replace = true;
    }
    MergeResult result;
    const std::string failure = MergeInto(target.string(), replace, ui, result);
    if (!failure.empty()) {
        ui.ShowWarning(failure);
        return false;
    }
    std::string written;
    std::size_t damaged = 0;
    std::string tables;
    for (const MergeResult::Written& w : result.written) {
        for (const std::string& name : w.files) {
            written += name + ", ";
        }
        damaged += w.damaged.size();
        if (!w.damagedTable.empty()) {
            tables += Format(
                "\nThe table of the client's %s is damaged (%s): the entries before "
                "the damage were written.",
                w.kind.c_str(), w.damagedTable.c_str());
        }
        if (!w.note.empty()) {
            tables += "\nThe " + w.kind + ": " + w.note + ".";
        }
    }
    std::string message = Format("The merged client files are in the folder '%s': %s%s.",
                                 target.c_str(), written.c_str(), COutputFolder::kManifestName);
    if (damaged != 0) {
        message += Format(
            "\n%zu damaged entries of the client could not be read: they are left damaged, and "
            "%s lists them.",
            damaged, COutputFolder::kManifestName);
    }
    ui.ShowMessage(message + tables);
    return true;
}

std::string CBrindleDoc::MergeInto(const std::string& target, bool replace, CShellUi& ui,
                                   MergeResult& result) {
    // The progress shows while this runs, and is gone before the closing message.
    const CShellUi::Progress progress =
        ui.BeginProgress(Format("Merging into the folder '%s'...", target.c_str()));
    SaveProgress saving;
    MergeProgress merging;
    if (progress) {
        saving = [&progress](std::uint64_t done, std::uint64_t total) {
            progress(done, total * 10);
        };
        merging = [&progress](std::uint64_t done, std::uint64_t total) {
            progress(total + done * 9, total * 10);
        };
    }
    // The records, as saving would write them, go to a patch file of their own beside the
    // target (same volume), which the merge reads; the document's own file stays as it is.
    ActivatePatch();
    const std::filesystem::path place(target);
    QTemporaryDir scratch(QString::fromStdString(
        (place.parent_path() / ("." + place.filename().string() + ".patch-XXXXXX")).string()));
    if (!scratch.isValid()) {
        return Format("cannot write into the folder '%s': %s", place.parent_path().c_str(),
                      scratch.errorString().toStdString().c_str());
    }
    const std::string patchPath = scratch.filePath(QStringLiteral("verdata.mul")).toStdString();
    std::string why;
    if (!SaveVerDataEntries(patchPath, m_VerData, nullptr, saving, &why)) {
        return Format("cannot write the document's records into '%s'", patchPath.c_str()) +
               (why.empty() ? "" : ": " + why);
    }
    CClientFiles& client = TheClientFiles();
    CVerDataTable table;
    CClientFiles files(&table);
    files.m_sClientDir = client.m_sClientDir;
    files.m_sCDDir = client.m_sCDDir;
    files.SetChosenDir(client.m_sChosenDir);
    try {
        files.SetSlotPath(kSlotVerData, patchPath);
        if (files.OpenSlot(kSlotVerData)) {
            table.Load(files.GetFile(kSlotVerData));
        }
        // The opened ".pat" patch's hues and multis go in too, as the window shows them.
        PatchOverlay overlay;
        if (const CPatch* patch = DataAppState().m_pPatch) {
            overlay = MakePatchOverlay(patch->Records(), patch->Count());
            overlay.path = patch->Path();
        }
        overlay.multiComponentSize = GetMultiRecordSize(files);
        result =
            MergePatchRecords(files, target, replace, std::nullopt, nullptr, merging, &overlay);
    } catch (const COutputError& e) {
        return e.what();
    } catch (const CQFileException& e) {
        return DescribeFileError(e);
    } catch (const std::exception& e) {
        LogCaughtException("merging into client files");
        return Format("The merge failed: %s", e.what());
    }
    return {};
}

void CBrindleDoc::DetachViews() {
    UpdateAllViews(nullptr, CBrindleView::kHintBeforeReload);
}

void CBrindleDoc::ReattachViews() {
    UpdateAllViews(nullptr, CBrindleView::kHintAfterReload);
}

}  // namespace tessaly
