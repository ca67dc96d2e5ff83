#include "CBrindleView.h"

#include "CBrindleDoc.h"
#include "CChildFrame.h"
#include "CDataAppState.h"
#include "CDataDef.h"
#include "CDataDefCliloc.h"
#include "CDataDefMap.h"
#include "CDataDefSound.h"
#include "CDataListCtrl.h"
#include "CDataListFilter.h"
#include "CDataListThumbs.h"
#include "CMainFrame.h"
#include "ClilocPages.h"
#include "DataTypeDef.h"
#include "EntryCommands.h"
#include "EventLog.h"
#include "MapView.h"
#include "MulSound.h"
#include "PictureImage.h"
#include "QFile.h"
#include "ResourceIds.h"
#include "Resources.h"
#include "SurfaceDevice.h"
#include "Text.h"

#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScopedValueRollback>

#include <algorithm>

namespace tessaly {

namespace {
constexpr const char* kNoClipboardPicture = "The clipboard holds no picture.";
constexpr const char* kNoClipboardWave = "The clipboard holds no wave sound.";
constexpr const char* kSelectFirst = "Select an entry first";
}  // namespace

CBrindleView::CBrindleView()
    : m_pFilter(new QLineEdit(this)),
      m_pLanguage(new QComboBox(this)),
      m_pExportTexts(new QPushButton(QStringLiteral("Export All..."), this)),
      m_pFacet(new QComboBox(this)) {
    m_pFacet->setObjectName(QStringLiteral("facet"));
    m_pFacet->setToolTip(QStringLiteral("The facet whose blocks are listed"));
    m_pFacet->hide();
    connect(m_pFacet, &QComboBox::activated, this, [this](int index) {
        SetChosenFacet(m_pFacet->itemData(index).toInt());
        // The entries hold the facet they were read from: the list is made again.
        const std::int32_t category = m_nCategory;
        m_nCategory = 0;
        SetCategory(category);
    });
    m_pExportTexts->setObjectName(QStringLiteral("exportTexts"));
    m_pExportTexts->hide();
    connect(m_pExportTexts, &QPushButton::clicked, this, [] { ExportClilocMessages(); });
    m_pLanguage->setObjectName(QStringLiteral("language"));
    m_pLanguage->setToolTip(QStringLiteral("The language shown, with the English text beside it"));
    m_pLanguage->hide();
    connect(m_pLanguage, &QComboBox::activated, this, [this](int index) {
        SetClilocLanguage(m_pLanguage->itemData(index).toString().toStdString());
        // The entries hold the language they were read in: the list is made again.
        if (const std::int32_t shown = m_nCategory; ShowsMessages() && SetCategory(-1)) {
            SetCategory(shown);
        }
    });
    m_pFilter->setObjectName(QStringLiteral("filter"));
    m_pFilter->setPlaceholderText(QStringLiteral("Filter"));
    m_pFilter->setClearButtonEnabled(true);
    m_pFilter->hide();
    connect(m_pFilter, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_pList != nullptr) {
            m_pList->SetFilterText(text);
        }
    });
    // The Data menu's commands: one per category the table lists there.
    for (const DataTypeDef& def : GetTypeDefs()) {
        if (!def.m_bDataMenu) {
            continue;
        }
        const int id = def.m_nId;
        AddCommand(
            id, [this, id] { SetCategory(id); },
            [this, id](CCmdUI& ui) {
                ui.Enable(true);
                ui.SetCheck(id == m_nCategory);
            });
    }
    auto filter = [this](int id, std::uint8_t& flag, bool always) {
        AddCommand(
            id, [this, &flag] { ToggleFilter(flag); },
            [this, &flag, always](CCmdUI& ui) {
                ui.Enable(always || (m_pList != nullptr && !ShowsDocumentRows()));
                ui.SetCheck(flag != 0);
            });
    };
    filter(ids::ID_VIEW_CHANGES, m_bShowChanges, true);
    filter(ids::ID_VIEW_MULFILES, m_bShowMulFiles, true);
    filter(ids::ID_VIEW_VERDATA, m_bShowVerData, true);
    filter(ids::ID_VIEW_UNUSED, m_bShowUnused, false);
    auto mode = [this](int id, std::int32_t value) {
        AddCommand(
            id, [this, value] { SetListMode(value); },
            [this, value](CCmdUI& ui) {
                ui.Enable(m_pList != nullptr && !ShowsDocumentRows());
                ui.SetCheck(m_nListMode == value);
            });
    };
    mode(ids::ID_VIEW_TEXTLIST, 0);
    mode(ids::ID_VIEW_THUMBNAIL, 1);
    AddCommand(
        ids::ID_EDIT_PROPERTIES, [this] { ToSelected(ids::ID_EDIT_PROPERTIES); },
        [this](CCmdUI& ui) { ui.Enable(HasSelection(), kSelectFirst); });
    // Commands on the selected entry that only some entries carry out.
    auto onSelected = [this](int id, bool (CDataDef::*can)(), const char* whyNot) {
        AddCommand(
            id, [this, id] { ToSelected(id); },
            [this, can, whyNot](CCmdUI& ui) {
                if (!HasSelection()) {
                    ui.Enable(false, kSelectFirst);
                } else {
                    ui.Enable((m_pList->GetSelected()->*can)(), whyNot);
                }
            });
    };
    onSelected(ids::ID_EDIT_COPY, &CDataDef::CanCopy, kNothingToCopy);
    onSelected(ids::ID_EXPORT, &CDataDef::CanExport, "The selected entry has nothing to export");
    // No entry is cut: it is copied, and deleted where the document edits its category.
    AddUpdate(ids::ID_EDIT_CUT, [](CCmdUI& ui) {
        ui.Enable(false, "Entries are not cut: \"Copy\" copies one, \"Delete\" deletes one");
    });
    // "Delete" and "Paste Over" act on the selected entry when it is one the document edits.
    for (int id : {ids::ID_EDIT_DELETE, ids::ID_EDIT_PASTE}) {
        AddCommand(
            id,
            [this, id] {
                if (m_pList != nullptr) {
                    OnEntryCommand(m_pList->GetSelected(), id);
                }
            },
            [this, id](CCmdUI& ui) {
                CDataDef* selected = m_pList != nullptr ? m_pList->GetSelected() : nullptr;
                ui.Enable(CanEdit(selected, id), WhyNotEdited(selected, id));
            });
    }
    AddCommand(
        ids::ID_EDIT_GOTO, [this] { OnGoTo(); },
        [this](CCmdUI& ui) { ui.Enable(m_pList != nullptr || GetMapView() != nullptr); });
}

bool CBrindleView::ShowsDocumentRows() const {
    const DataTypeDef* def = GetTypeDef(m_nCategory);
    return def != nullptr && def->m_bDocumentRows;
}

CBrindleView::~CBrindleView() {
    ReleaseList();
}

void CBrindleView::ReleaseList() {
    m_pList = nullptr;
    m_pListWnd.reset();
}

bool CBrindleView::AskSaveSheets() {
    CDataList* list = m_pList;
    if (list == nullptr) {
        return true;
    }
    return DataAppState().AskSaveSheets(
        [list](const CDataDef* entry) { return list->Owns(entry); });
}

bool CBrindleView::AskSaveSheetsOnClose() {
    CBrindleDoc* doc = GetBrindleDoc();
    if (doc != nullptr && doc->GetViews().size() == 1) {
        return doc->AskSaveSheets();
    }
    return AskSaveSheets();
}

CBrindleDoc* CBrindleView::GetBrindleDoc() const {
    return dynamic_cast<CBrindleDoc*>(GetDocument());
}

void CBrindleView::OnInitialUpdate() {
    CView::OnInitialUpdate();
    // The table's first row: the document's own records.
    SetCategory(GetTypeDefAt(0).m_nId);
}

void CBrindleView::OnUpdate(CView* /*pSender*/, int nHint) {
    if (nHint == kHintBeforeReload) {
        m_nReloadCategory = m_nCategory;
        CDataDef* selected = m_pList != nullptr ? m_pList->GetSelected() : nullptr;
        m_nReloadIndex = selected != nullptr ? std::int64_t{selected->GetIndex()} : -1;
        // The document asked about the sheets of every view before it reloads.
        ReleaseList();
        SetCategory(-1);
    } else if (nHint == kHintAfterReload) {
        SetCategory(m_nReloadCategory);
        SelectIndex(m_nReloadIndex);
    }
}

void CBrindleView::OnActivateView(bool bActivate) {
    if (bActivate) {
        ActivateDocument();
    }
}

CQObArray<CDataVerData*>* CBrindleView::GetDocumentEntries() {
    CBrindleDoc* doc = GetBrindleDoc();
    return doc != nullptr ? &doc->m_VerData : nullptr;
}

void CBrindleView::ActivateDocument() {
    if (CBrindleDoc* doc = GetBrindleDoc()) {
        doc->ActivatePatch();
    }
}

void CBrindleView::SelectIndex(std::int64_t nIndex) {
    if (m_pList != nullptr && nIndex >= 0) {
        m_pList->SelectIndex(static_cast<std::uint32_t>(nIndex));
    }
}

bool CBrindleView::CanEdit(CDataDef* pEntry, int nId) const {
    if (pEntry == nullptr || GetBrindleDoc() == nullptr ||
        !IsEditableCategory(pEntry->GetDataType())) {
        return false;
    }
    // An empty slot takes "Insert New"; an entry with data the other commands.
    return (nId == ids::ID_INSERT_NEW) != pEntry->IsValid();
}

std::string CBrindleView::WhyNotEdited(CDataDef* pEntry, int nId) const {
    if (pEntry == nullptr) {
        return kSelectFirst;
    }
    if (!IsEditableCategory(pEntry->GetDataType())) {
        // Named from the table: the categories whose entries are replaced and deleted.
        std::string editable;
        for (const DataTypeDef& def : GetTypeDefs()) {
            if (IsEditableCategory(def.m_nId)) {
                editable += (editable.empty() ? "" : ", ") + std::string(def.m_pszName);
            }
        }
        return Format("%s are shown, not edited (edited are: %s)", pEntry->GetTypeName(),
                      editable.c_str());
    }
    if (nId == ids::ID_INSERT_NEW) {
        return "The slot holds an entry: \"Paste Over\" replaces it";
    }
    return "The slot is empty: \"Insert New\" fills it";
}

void CBrindleView::UpdateEntryMenu(CDataDef* pEntry, QMenu* pMenu) {
    const QList<QAction*> actions = pMenu->actions();
    for (qsizetype i = 0; i < actions.size(); ++i) {
        const int id = actions[i]->data().toInt();
        if (id != ids::ID_EDIT_DELETE && id != ids::ID_EDIT_PASTE && id != ids::ID_INSERT_NEW) {
            continue;
        }
        const bool enabled = CanEdit(pEntry, id);
        actions[i]->setEnabled(enabled);
        if (!enabled) {
            actions[i]->setToolTip(QString::fromStdString(WhyNotEdited(pEntry, id)));
        }
        if (id == ids::ID_EDIT_PASTE && CanEdit(pEntry, ids::ID_EDIT_REPLACE_FILE)) {
            auto* replace = new QAction(QStringLiteral("Replace from File..."), pMenu);
            replace->setData(ids::ID_EDIT_REPLACE_FILE);
            pMenu->insertAction(i + 1 < actions.size() ? actions[i + 1] : nullptr, replace);
        }
    }
}

bool CBrindleView::OnEntryCommand(CDataDef* pEntry, int nId) {
    if (nId != ids::ID_EDIT_DELETE && nId != ids::ID_EDIT_PASTE &&
        nId != ids::ID_EDIT_REPLACE_FILE && nId != ids::ID_INSERT_NEW) {
        return false;
    }
    if (!CanEdit(pEntry, nId)) {
        return false;
    }
    EntryEdit edit;
    if (nId == ids::ID_EDIT_DELETE) {
        edit = DeleteEntry(pEntry->GetDataType(), pEntry->GetIndex());
    } else if (nId == ids::ID_EDIT_PASTE) {
        edit = EditFromClipboard(pEntry);
    } else {
        edit = EditFromFile(pEntry);
    }
    if (!edit.pChange) {
        if (!edit.sMessage.empty()) {
            DataAppState().Ui().ShowMessage(edit.sMessage);
        }
        return true;
    }
    GetBrindleDoc()->ApplyChange(std::move(edit.pChange));
    return true;
}

EntryEdit CBrindleView::EditFromClipboard(CDataDef* pEntry) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const std::uint32_t index = pEntry->GetIndex();
    if (GetTypeDef(pEntry->GetDataType())->m_Edit != EditSource::Wave) {
        if (data == nullptr || !data->hasImage()) {
            return {nullptr, kNoClipboardPicture};
        }
        return ReplacePicture(pEntry->GetDataType(), index,
                              PictureFromImage(qvariant_cast<QImage>(data->imageData())));
    }
    QByteArray wave;
    if (data != nullptr) {
        wave = data->data(QStringLiteral("audio/wav"));
        if (wave.isEmpty()) {
            wave = data->data(QStringLiteral("audio/x-wav"));
        }
    }
    if (wave.isEmpty()) {
        return {nullptr, kNoClipboardWave};
    }
    const std::string name = static_cast<CDataDefSound*>(pEntry)->GetName();
    return ReplaceSound(index, name,
                        ByteSpan(reinterpret_cast<const std::uint8_t*>(wave.constData()),
                                 static_cast<std::size_t>(wave.size())));
}

EntryEdit CBrindleView::EditFromFile(CDataDef* pEntry) {
    const bool sound = GetTypeDef(pEntry->GetDataType())->m_Edit == EditSource::Wave;
    PatchFileDialog dialog;
    dialog.bMustExist = true;
    dialog.bHideReadOnly = true;
    dialog.pFilter = sound ? "Wave Files (*.wav)|*.wav||" : "PNG Pictures (*.png)|*.png||";
    std::optional<std::string> path = DataAppState().Ui().ChooseFile(dialog);
    if (!path) {
        return {};
    }
    if (!sound) {
        // A FIFO or device is refused rather than waited on; what cannot be read is no picture.
        return ReplacePicture(pEntry->GetDataType(), pEntry->GetIndex(),
                              ReadPictureFile(*path).value_or(Picture()));
    }
    // A FIFO or device is refused rather than waited on; what cannot be read is no wave.
    const std::vector<std::uint8_t> wave =
        ReadRegularFile(*path, kMaxSoundEntry).value_or(std::vector<std::uint8_t>());
    // A replaced sound keeps its name; a new one is named after its file.
    std::string name = static_cast<CDataDefSound*>(pEntry)->GetName();
    if (name.empty()) {
        // Sound names are Latin-1, as the list reads them ('?' for a character outside it).
        name = QFileInfo(QString::fromStdString(*path)).fileName().toLatin1().toStdString();
    }
    return ReplaceSound(pEntry->GetIndex(), name, wave);
}

bool CBrindleView::SetCategory(std::int32_t id) {
    if (m_pListWnd) {
        if (id == m_nCategory) {
            SetFrameCaption();
            return true;
        }
        if (!AskSaveSheets()) {
            return false;
        }
        ReleaseList();
    }
    m_nCategory = id;
    if (const DataTypeDef* def = GetTypeDef(id); def != nullptr && def->m_bWholeView) {
        // The map is looked at whole, not as a list of blocks.
        auto* map = new CMapView(this);
        m_pListWnd.reset(map);
        map->SetStatusSink([this](const QString& text) {
            if (auto* frame = qobject_cast<CMainFrame*>(window())) {
                frame->SetMessageText(text);
            }
        });
        map->show();
        LayoutChildren();
        // The facet chosen last (in a map view or a list); Felucca when the client lacks it.
        map->SetFacetOrFelucca(ChosenFacet());
        map->Canvas()->setFocus(Qt::OtherFocusReason);
    } else if (GetTypeDef(id) != nullptr) {
        if (m_nListMode == 0) {
            auto* ctrl = new CDataListCtrl(id);
            m_pListWnd.reset(ctrl);
            m_pList = ctrl;
        } else {
            auto* thumbs = new CDataListThumbs(id);
            m_pListWnd.reset(thumbs);
            m_pList = thumbs;
        }
        m_pList->Create(this, this);
        m_pList->SetFilterText(m_pFilter->text());
        // The keys go to the list (arrows, Enter), not to the filter field above it.
        m_pList->GetWindow()->setFocus(Qt::OtherFocusReason);
    }
    m_pFilter->setVisible(m_pList != nullptr);
    FillLanguages();
    FillFacets();
    LayoutChildren();
    SetFrameCaption();
    Refresh();
    // The list's note once per opening of the category, not again for the other kind of list.
    if (const DataTypeDef* def = m_bSwitchingMode ? nullptr : GetTypeDef(m_nCategory)) {
        if (const std::string note = GetListNote(*def, TheClientFiles()); !note.empty()) {
            DataAppState().Ui().ShowMessage(note);
        }
    }
    return true;
}

bool CBrindleView::ShowsMessages() const {
    const DataTypeDef* def = GetTypeDef(m_nCategory);
    return def != nullptr && def->m_bMessages;
}

CMapView* CBrindleView::GetMapView() const {
    return qobject_cast<CMapView*>(m_pListWnd.get());
}

void CBrindleView::Refresh() {
    if (m_pList != nullptr) {
        m_pList->FillList();
    }
}

void CBrindleView::resizeEvent(QResizeEvent* event) {
    CView::resizeEvent(event);
    LayoutChildren();
}

void CBrindleView::FillLanguages() {
    m_pLanguage->clear();
    if (!ShowsMessages() || m_pList == nullptr) {
        m_pLanguage->hide();
        m_pExportTexts->hide();
        return;
    }
    const std::string chosen = GetClilocLanguage();
    for (const std::string& language : GetClilocLanguages()) {
        m_pLanguage->addItem(QStringLiteral("Cliloc.%1").arg(QString::fromStdString(language)),
                             QString::fromStdString(language));
        if (language == chosen) {
            m_pLanguage->setCurrentIndex(m_pLanguage->count() - 1);
        }
    }
    m_pLanguage->show();
    m_pExportTexts->show();
}

void CBrindleView::FillFacets() {
    const DataTypeDef* def = GetTypeDef(m_nCategory);
    if (def == nullptr || !HoldsFacetBlocks(*def) || m_pList == nullptr) {
        m_pFacet->hide();
        return;
    }
    FillFacetChooser(*m_pFacet, ChosenFacet());
    m_pFacet->show();
}

void CBrindleView::LayoutChildren() {
    const int top = m_pFilter->isVisibleTo(this) ? m_pFilter->sizeHint().height() : 0;
    const bool texts = m_pLanguage->isVisibleTo(this);
    const int chooser = texts ? m_pLanguage->sizeHint().width() : 0;
    const int button = texts ? m_pExportTexts->sizeHint().width() : 0;
    const int facets = m_pFacet->isVisibleTo(this) ? m_pFacet->sizeHint().width() : 0;
    const int right = width() - facets;
    m_pFilter->setGeometry(0, 0, right - chooser - button, top);
    m_pLanguage->setGeometry(right - chooser - button, 0, chooser, top);
    m_pExportTexts->setGeometry(right - button, 0, button, top);
    m_pFacet->setGeometry(right, 0, facets, top);
    if (m_pListWnd) {
        m_pListWnd->setGeometry(0, top, width(), std::max(0, height() - top));
        m_pListWnd->update();
    }
}

void CBrindleView::SelectionChanged() {
    if (auto* frame = qobject_cast<CMainFrame*>(window())) {
        frame->UpdateCommandUI();
    }
}

void CBrindleView::OnGoTo() {
    if (auto* map = GetMapView()) {
        map->OnGoTo();
        return;
    }
    const DataTypeDef* def = GetTypeDef(m_nCategory);
    if (m_pList == nullptr || def == nullptr) {
        return;
    }
    CShellUi& ui = DataAppState().Ui();
    // The lists number their entries in hexadecimal ("000c"), so a bare number is read as the
    // list shows it; cliloc messages are known by their decimal numbers.
    const bool messages = def->m_bMessages;
    const std::optional<std::string> answer =
        ui.AskText(messages ? "Message number (decimal, or hexadecimal after 0x):"
                            : "Entry number as the list shows it (hexadecimal, such as 000c), or "
                              "decimal after #:",
                   "Go To");
    if (!answer) {
        return;
    }
    std::uint32_t number = 0;
    if (!(messages ? ParseEntryNumber(*answer, number) : ParseListNumber(*answer, number))) {
        ui.ShowMessage(Format("'%s' is not an entry number.", answer->c_str()));
        return;
    }
    // Cliloc messages are found by their message number, as the client's scripts name them.
    if (messages) {
        std::uint32_t row = 0;
        if (GetClilocView()->FindNumber(number, &row) == nullptr) {
            ui.ShowMessage(Format("The Cliloc list has no message %u.", number));
            return;
        }
        number = row;
    }
    // Rows still being filtered are settled first, so that the selection stays.
    m_pList->GetFilter().Finish();
    if (!m_pList->SelectIndex(number)) {
        ui.ShowMessage(
            m_pFilter->text().isEmpty()
                ? Format("The %s list has no entry %04x (%u).", def->m_pszName, number, number)
                : Format("The %s list shows no entry %04x (%u) under the filter.", def->m_pszName,
                         number, number));
        return;
    }
    m_pList->GetWindow()->setFocus(Qt::OtherFocusReason);
}

PrintContent CBrindleView::GetPrintContent() {
    PrintContent content;
    const DataTypeDef* def = GetTypeDef(m_nCategory);
    CBrindleDoc* doc = GetBrindleDoc();
    content.title =
        QStringLiteral("%1 - %2").arg(doc != nullptr ? doc->GetTitle() : QString(),
                                      QString::fromLatin1(def != nullptr ? def->m_pszName : ""));
    if (CDataDef* entry = m_pList != nullptr ? m_pList->GetSelected() : nullptr) {
        SurfaceBuffer buffer;
        try {
            // The entry's bytes come from its own document's patch file.
            ActivateDocument();
            IndexRecord linked;
            entry->ActivateLinkedPatch(linked);
            if (entry->GetImage(buffer)) {
                // A copy: the image over the buffer would outlive the buffer.
                content.picture = SurfaceImage(buffer).copy();
            }
        } catch (...) {
            LogCaughtException("drawing an entry to print");
            content.picture = QImage();
        }
        if (!content.picture.isNull()) {
            content.title += QString::fromStdString(
                Format(" - %s 0%x", entry->GetTypeName(), entry->GetIndex()));
            return content;
        }
    }
    if (m_pListWnd) {
        content.picture = m_pListWnd->grab().toImage();
    }
    return content;
}

void CBrindleView::SetFrameCaption() {
    const DataTypeDef* def = GetTypeDef(m_nCategory);
    CChildFrame* frame = GetParentFrame();
    if (def == nullptr || frame == nullptr) {
        return;
    }
    frame->setWindowTitle(QString::fromLatin1(def->m_pszName));
    const QIcon icon = LoadResourceIcon(m_nCategory);
    frame->setWindowIcon(icon.isNull() ? BlankIcon() : icon);
}

void CBrindleView::SetListMode(std::int32_t mode) {
    // The other kind of list shows the same rows in the same order with the same selection.
    std::int32_t category = m_nCategory;
    int column = -1;
    bool ascending = true;
    std::int64_t selected = -1;
    if (m_pList != nullptr) {
        column = m_pList->GetSortedColumn();
        ascending = m_pList->IsAscending();
        if (CDataDef* entry = m_pList->GetSelected()) {
            selected = entry->GetIndex();
        }
    }
    if (!SetCategory(-1)) {
        return;
    }
    m_nListMode = mode;
    {
        const QScopedValueRollback switching(m_bSwitchingMode, true);
        SetCategory(category);
    }
    if (m_pList != nullptr) {
        m_pList->GetFilter().Finish();
        if (column >= 0) {
            m_pList->SetSortOrder(column, ascending);
        }
    }
    SelectIndex(selected);
}

void CBrindleView::ToggleFilter(std::uint8_t& flag) {
    flag = flag != 0 ? 0 : 1;
    Refresh();
}

bool CBrindleView::HasSelection() const {
    return m_pList != nullptr && m_pList->GetSelected() != nullptr;
}

void CBrindleView::ToSelected(int nId) {
    if (m_pList == nullptr) {
        return;
    }
    if (CDataDef* entry = m_pList->GetSelected()) {
        try {
            RunEntryCommand(*entry, this, nId);
        } catch (...) {
            LogCaughtException("an entry command");
            // A failing command changes nothing.
        }
    }
}

}  // namespace tessaly
