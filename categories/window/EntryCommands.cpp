#include "EntryCommands.h"

#include "AnimPages.h"
#include "CDataAppState.h"
#include "CDataDef.h"
#include "CDataPageDraw.h"
#include "CDataPageScript.h"
#include "CDataProps.h"
#include "ClilocPages.h"
#include "EventLog.h"
#include "FontPages.h"
#include "HuePages.h"
#include "JunkPages.h"
#include "MapPages.h"
#include "MultiPages.h"
#include "ResourceIds.h"
#include "SkillPages.h"
#include "SoundPages.h"
#include "StaticsPages.h"
#include "Text.h"
#include "TileDataPages.h"
#include "UniFontPages.h"
#include "VerDataPages.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>

#include <filesystem>
#include <optional>
#include <vector>

namespace tessaly {

namespace {

void AddItem(QMenu* pMenu, const char* text, int nId, bool bEnabled) {
    QAction* action = pMenu->addAction(QString::fromLatin1(text));
    action->setData(nId);
    action->setEnabled(bEnabled);
}

}  // namespace

CDataPage* CreatePage(EntryPage page) {
    switch (page) {
        case EntryPage::AnimDraw:
            return new CDataPageAnimDraw;
        case EntryPage::Cliloc:
            return new CDataPageCliloc;
        case EntryPage::Font:
            return new CDataPageFont;
        case EntryPage::GumpDraw:
        case EntryPage::ItemDraw:
        case EntryPage::LightDraw:
        case EntryPage::TerrainDraw:
        case EntryPage::TextureDraw:
            return CreatePicturePage(page);
        case EntryPage::Hue:
            return new cDataPageHue;
        case EntryPage::Map:
            return new CDataPageMap;
        case EntryPage::MultiDraw:
            return new CDataPageMultiDraw;
        case EntryPage::Script:
            return new CDataPageScript;
        case EntryPage::Skill:
            return new CDataPageSkill;
        case EntryPage::Sound:
            return new CDataPageSound;
        case EntryPage::Statics:
            return new CDataPageStatics;
        case EntryPage::TileData:
            return new CDataPageTileData;
        case EntryPage::UniFont:
            return new CDataPageUniFont;
        case EntryPage::Unknown:
            return new CDataPageUnk;
        case EntryPage::VerData:
            return new CDataPageVerData;
    }
    return new CDataPageUnk;
}

void AddEntryPages(CDataDef& entry, CDataProps* pSheet) {
    std::vector<EntryPage> pages;
    entry.AddPages(pages);
    const CDataAppState& state = DataAppState();
    for (EntryPage page : pages) {
        pSheet->AddPage(state.m_MakePage ? state.m_MakePage(page) : CreatePage(page));
    }
}

CDataProps* OpenProperties(CDataDef& entry) {
    CDataAppState& state = DataAppState();
    for (CDataProps* sheet : state.m_Sheets) {
        if (sheet->GetEntry() == &entry) {
            sheet->raise();
            sheet->activateWindow();
            return nullptr;
        }
    }
    CDataProps* sheet = nullptr;
    if (state.m_pCurrentSheet != nullptr) {
        sheet = state.m_pCurrentSheet->SetEntry(&entry);
        if (sheet == nullptr) {
            return nullptr;
        }
    } else {
        sheet = new CDataProps(&entry, state.m_pMainWindow);
    }
    AddEntryPages(entry, sheet);
    if (sheet->IsWindowCreated()) {
        sheet->SetActivePage(0);
    } else if (!sheet->Create()) {
        state.CloseSheet(sheet);
        return nullptr;
    }
    return sheet;
}

void AddEntryMenuItems(CDataDef& entry, QMenu* pMenu) {
    AddItem(pMenu, "Properties...", ids::ID_PROPERTIES, true);
    AddItem(pMenu, "Copy", ids::ID_EDIT_COPY, entry.CanCopy());
    if (!entry.CanCopy()) {
        pMenu->actions().back()->setToolTip(QString::fromLatin1(kNothingToCopy));
    }
    AddItem(pMenu, "Delete", ids::ID_EDIT_DELETE, false);
    AddItem(pMenu, "Paste Over", ids::ID_EDIT_PASTE, false);
    if (const char* action = entry.GetActionText()) {
        pMenu->addAction(QString::fromLatin1(action))->setData(ids::ID_PLAY);
    }
}

bool RunEntryCommand(CDataDef& entry, QWidget* /*pWindow*/, int nId) {
    switch (nId) {
        case ids::ID_PLAY:
        case ids::ID_LIST_DBLCLK:
            if (entry.GetActionText() != nullptr) {
                entry.RunAction();
                return true;
            }
            if (nId == ids::ID_PLAY) {
                return false;
            }
            OpenProperties(entry);
            return true;
        case ids::ID_EDIT_PROPERTIES:
        case ids::ID_PROPERTIES:
            OpenProperties(entry);
            return true;
        case ids::ID_EDIT_COPY:
            return CopyEntry(entry);
        case ids::ID_EDIT_DELETE:
            return true;
        case ids::ID_EXPORT:
            ExportEntry(entry);
            return true;
        default:
            return false;
    }
}

bool CopyEntry(CDataDef& entry) {
    // Without a GUI application there is no clipboard to open.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr ||
        QGuiApplication::clipboard() == nullptr) {
        return false;
    }
    QGuiApplication::clipboard()->clear();
    EntryClip clip;
    try {
        if (!entry.CopyData(clip)) {
            return false;
        }
    } catch (...) {
        LogCaughtException("copying an entry");
        return false;
    }
    if (clip.picture.GetData() != nullptr) {
        return PutPictureOnClipboard(clip.picture);
    }
    if (!clip.text.empty()) {
        QGuiApplication::clipboard()->setText(QString::fromStdString(clip.text));
        return true;
    }
    if (!clip.wave.empty()) {
        // The clipboard owns the data from here on.
        auto* data = new QMimeData;
        const QByteArray bytes(reinterpret_cast<const char*>(clip.wave.data()),
                               static_cast<qsizetype>(clip.wave.size()));
        data->setData(QStringLiteral("audio/wav"), bytes);
        data->setData(QStringLiteral("audio/x-wav"), bytes);
        QGuiApplication::clipboard()->setMimeData(data);
    }
    return true;
}

void GetShownExportOptions(CDataDef& entry, ExportOptions& options) {
    for (CDataProps* sheet : DataAppState().m_Sheets) {
        if (sheet->GetEntry() != &entry) {
            continue;
        }
        for (int i = 0; i < sheet->GetPageCount(); ++i) {
            if (sheet->GetPage(i)->GetShownExportOptions(options)) {
                return;
            }
        }
    }
}

bool ExportEntry(CDataDef& source) {
    if (!source.CanExport()) {
        return false;
    }
    CDataDef& entry = *source.GetExportEntry();
    const ExportKind kind = entry.GetExportKind();
    CShellUi& ui = DataAppState().Ui();
    // Said before a file is chosen: a deleted entry has nothing to write.
    if (entry.IsDeleted()) {
        ui.ShowMessage(Format("%s 0%x is deleted by a patch record: it has nothing to export.",
                              entry.GetTypeName(), entry.GetIndex()));
        return false;
    }
    const std::optional<CShellUi::FileChoice> choice =
        ui.ChooseExportFile(ExportFilter(kind), ExportFileName(entry));
    if (!choice || choice->path.empty()) {
        return false;
    }
    std::string path = choice->path;
    if (std::filesystem::path(path).extension().empty()) {
        path += ExportChoiceExtension(kind, choice->nFilter);
    }
    ExportOptions options;
    GetShownExportOptions(entry, options);
    SetExportChoice(kind, choice->nFilter, options);
    CExportData data;
    if (options.bFrames || options.bAllActions) {
        data.WriteAsAdded(path);  // frames are written as they are decoded
    }
    bool bHasData = false;
    try {
        // The entry's bytes come from its own document's patch file.
        IndexRecord linked;
        entry.ActivateLinkedPatch(linked);
        bHasData = entry.ExportData(options, data) && !data.IsEmpty();
    } catch (...) {
        LogCaughtException("exporting an entry");
        // Frames written before the failure are on disk: they are reported as written.
        data.AddNote("the rest cannot be read (" + CaughtExceptionText(true) + ")");
        bHasData = !data.IsEmpty();
    }
    if (!bHasData) {
        const std::string what =
            Format("%s 0%x has nothing to export", entry.GetTypeName(), entry.GetIndex());
        ui.ShowWarning(data.GetNotes().empty() ? what : what + ":\n" + data.JoinNotes());
        return false;
    }
    std::vector<ExportedFile> files;
    std::string error;
    if (!data.Write(path, files, error)) {
        ui.ShowWarning(error);
        return false;
    }
    if (!data.GetNotes().empty()) {
        ui.ShowWarning(Format("Exported %zu file(s); parts were left out:\n", files.size()) +
                       data.JoinNotes());
    }
    DataAppState().SetMessageText(QString::fromStdString(
        files.size() == 1 ? "Exported " + files.front().path
                          : Format("Exported %zu files beside ", files.size()) + path));
    return true;
}

}  // namespace tessaly
