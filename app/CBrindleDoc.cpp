#include "CBrindleDoc.h"

#include "CBrindleView.h"
#include "CDataAppState.h"
#include "ClientFiles.h"
#include "EventLog.h"
#include "ResourceIds.h"
#include "ShellUi.h"
#include "Text.h"
#include "VerDataTable.h"

#include <QSettings>

#include <algorithm>

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
        ids::ID_EDIT_UNDO, [this] { Undo(); },
        [this](CCmdUI& ui) { ui.Enable(CanUndo(), "Nothing to undo"); });
}

CBrindleDoc::~CBrindleDoc() {
    m_VerData.RemoveAll();
    if (g_pPatchOwner == this) {
        g_pPatchOwner = nullptr;
    }
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
    settings.setValue(QStringLiteral("MAIN/LastView"), path);
    return true;
}

bool CBrindleDoc::LoadEntries() {
    try {
        m_Edits.Clear();
        m_VerData.RemoveAll();
        g_pPatchOwner = this;
        m_sPatchPath.clear();
        CVerDataTable& table = TheVerDataTable();
        if (!table.IsEmpty()) {
            table.RemoveAll();
        }
        CClientFiles& files = TheClientFiles();
        if (files.OpenSlot(kSlotVerData)) {
            m_sPatchPath = files.GetFile(kSlotVerData).GetFilePath();
            table.Load(files.GetFile(kSlotVerData));
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
    if (m_sPatchPath.empty()) {
        return;
    }
    files.SetSlotPath(kSlotVerData, m_sPatchPath);
    try {
        if (files.OpenSlot(kSlotVerData)) {
            table.Load(files.GetFile(kSlotVerData));
        }
    } catch (...) {
        LogCaughtException("activating a patch file");
        // An unreadable patch file leaves the table empty: the base files answer alone.
    }
}

bool CBrindleDoc::OnSaveDocument(const QString& path) {
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
    if (!SaveVerDataEntries(path.toStdString(), m_VerData, m_pSaveOps, writing)) {
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

void CBrindleDoc::DetachViews() {
    UpdateAllViews(nullptr, CBrindleView::kHintBeforeReload);
}

void CBrindleDoc::ReattachViews() {
    UpdateAllViews(nullptr, CBrindleView::kHintAfterReload);
}

}  // namespace tessaly
