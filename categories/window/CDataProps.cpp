#include "CDataProps.h"

#include "CDataAppState.h"
#include "CDataDef.h"
#include "CDataVerData.h"
#include "ControlIds.h"
#include "EntryCommands.h"
#include "EventLog.h"
#include "ResourceIds.h"
#include "Resources.h"
#include "Text.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace tessaly {

namespace {
// Size of a new sheet; sheets of the same size opened at one place cascade.
constexpr QSize kSheetSize(480, 420);
}  // namespace

void ShowReadOnly(QWidget* field, const QString& why) {
    if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        edit->setReadOnly(true);
        edit->setFrame(false);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, Qt::transparent);
        edit->setPalette(palette);
    } else {
        field->setEnabled(false);
    }
    field->setToolTip(why);
}

QLabel* NewDamageLabel(QWidget* page) {
    auto* label = new QLabel(page);
    label->setWordWrap(true);
    label->hide();
    return label;
}

void SetDamageText(QLabel* label, const QString& text) {
    label->setText(text);
    label->setVisible(!text.isEmpty());
}

// ---------------------------------------------------------------------------------------------
// CDataPage

CDataPage::CDataPage(int nTemplate, const QString& title) : m_nTemplate(nTemplate) {
    setWindowTitle(title);
}

bool CDataPage::LoadEntry() {
    if (m_pEntry != nullptr) {
        return true;
    }
    if (m_pSheet == nullptr || m_pSheet->GetEntry() == nullptr) {
        return false;
    }
    m_pEntry = m_pSheet->GetEntry();
    int result = 1;
    try {
        ActivateEntryPatch();
        result = LoadData();
    } catch (...) {
        LogCaughtException("loading a property page");
        result = 1;
    }
    if (result != 0) {
        m_pEntry = nullptr;
        return false;
    }
    MembersToControls();
    return true;
}

void CDataPage::ActivateEntryPatch() {
    // The entry's bytes come from its own document's patch file.
    if (m_pEntry == nullptr) {
        return;
    }
    if (CDataVerData* link = m_pEntry->GetVerData()) {
        link->ActivatePatch();
    } else if (auto* record = dynamic_cast<CDataVerData*>(m_pEntry)) {
        record->ActivatePatch();
    }
}

CDataDef* CDataPage::GetDataDef() {
    if (auto* record = dynamic_cast<CDataVerData*>(m_pEntry)) {
        return record->GetTarget();
    }
    return m_pEntry;
}

void CDataPage::SetModified(bool bModified) {
    if (bModified && m_pSheet != nullptr) {
        m_pSheet->SetSheetModified(true);
    }
    m_bModified = bModified;
}

bool CDataPage::OnSetActive() {
    return LoadEntry();
}

// ---------------------------------------------------------------------------------------------
// CDataProps

CDataProps::CDataProps(CDataDef* pEntry, QWidget* pParent)
    : QDialog(pParent, Qt::Window), m_pEntry(pEntry) {
    m_TackOut = LoadResourceBitmap(ids::IDB_TACK);
    m_TackIn = LoadResourceBitmap(ids::IDB_TACK_CURRENT);
    m_HelpPicture = LoadResourceBitmap(ids::IDB_HELP);

    m_pTabs = new QTabWidget(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_pTabs);

    m_pOk = new QPushButton(QStringLiteral("OK"), this);
    ids::SetControlId(m_pOk, ids::ID_SHEET_OK);
    m_pHelp = new QPushButton(this);
    ids::SetControlId(m_pHelp, ids::ID_SHEET_HELP);
    m_pTack = new QPushButton(this);
    ids::SetControlId(m_pTack, ids::ID_SHEET_TACK);
    m_pTack->setAccessibleName(QStringLiteral("Tack"));
    m_pOk->setAutoDefault(false);
    m_pHelp->setAutoDefault(false);
    m_pTack->setAutoDefault(false);
    connect(m_pOk, &QPushButton::clicked, this, [this] { OnCommand(ids::ID_SHEET_OK); });
    connect(m_pTack, &QPushButton::clicked, this, [this] { OnCommand(ids::ID_SHEET_TACK); });
    connect(m_pTabs, &QTabWidget::currentChanged, this, [this](int i) { OnCurrentChanged(i); });

    SetTitleAndIcon(true);
    DataAppState().AddSheet(this);
    resize(kSheetSize);
}

CDataProps::~CDataProps() {
    // Gone with its parent window without being closed: off the list too.
    DataAppState().RemoveSheet(this);
    RemoveAllPages();
}

void CDataProps::ReleaseEntry() {
    m_pEntry = nullptr;
    SetSheetModified(false);
    for (int i = 0; i < GetPageCount(); ++i) {
        GetPage(i)->ForgetEntry();
    }
}

bool CDataProps::Create() {
    if (GetPageCount() == 0) {
        return false;
    }
    OnInitDialog();
    m_bCreated = true;
    show();
    SetActivePage(0);
    return true;
}

void CDataProps::OnInitDialog() {
    // The sheet takes the size its pages need now, not when shown, so that the sheets it steps
    // off below compare with its real rectangle.
    layout()->activate();
    // Start over the middle of the main window (or near the screen's corner), then step off
    // sheets that stand exactly there.
    QPoint at(40, 40);
    if (QWidget* main = parentWidget()) {
        QRect r = main->frameGeometry();
        at = r.center() - QPoint(width() / 2, height() / 2);
    }
    move(at);
    Cascade();
    PlaceButtons();
    m_pOk->setVisible(true);
    m_pOk->setEnabled(m_bModified);
    SetTackBitmap(ids::IDB_TACK);
    m_pHelp->setIcon(QIcon(m_HelpPicture));
    // No page has help to show: the button stays, greyed, and says so.
    m_pHelp->setEnabled(false);
    m_pHelp->setToolTip(QStringLiteral("Help: there is no help for these pages"));
}

void CDataProps::Cascade() {
    QRect r(pos(), size());
    bool moved = false;
    CDataAppState& state = DataAppState();
    for (std::size_t i = 0; CDataProps* other = state.GetSheet(i); ++i) {
        if (other != this && other->IsWindowCreated() && QRect(other->pos(), other->size()) == r) {
            r.translate(20, 20);
            moved = true;
            i = static_cast<std::size_t>(-1);
        }
    }
    if (moved) {
        move(r.topLeft());
    }
}

void CDataProps::PlaceButtons() {
    int w = width();
    m_pOk->setGeometry(QRect(QPoint(w - 25, 5), QPoint(w - 5, 25) - QPoint(1, 1)));
    m_pTack->setGeometry(QRect(QPoint(w - 50, 5), QPoint(w - 30, 25) - QPoint(1, 1)));
    m_pHelp->setGeometry(QRect(QPoint(w - 75, 5), QPoint(w - 55, 25) - QPoint(1, 1)));
    m_pOk->raise();
    m_pTack->raise();
    m_pHelp->raise();
}

void CDataProps::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceButtons();
}

void CDataProps::AddPage(CDataPage* page) {
    page->m_pSheet = this;
    m_bSwitching = true;
    m_pTabs->addTab(page, page->windowTitle());
    m_bSwitching = false;
}

int CDataProps::GetPageCount() const {
    return m_pTabs->count();
}

CDataPage* CDataProps::GetPage(int i) const {
    return qobject_cast<CDataPage*>(m_pTabs->widget(i));
}

CDataPage* CDataProps::GetActivePage() const {
    return qobject_cast<CDataPage*>(m_pTabs->currentWidget());
}

int CDataProps::GetActiveIndex() const {
    return m_pTabs->currentIndex();
}

void CDataProps::SetActivePage(int i) {
    if (i < 0 || i >= GetPageCount()) {
        return;
    }
    if (m_pTabs->currentIndex() == i) {
        OnCurrentChanged(i);
    } else {
        m_pTabs->setCurrentIndex(i);
    }
}

void CDataProps::OnCurrentChanged(int index) {
    if (m_bSwitching || index < 0) {
        return;
    }
    CDataPage* page = GetPage(index);
    if (page != nullptr && !page->OnSetActive() && m_nLastActive >= 0 && m_nLastActive != index &&
        m_nLastActive < GetPageCount()) {
        // A page whose entry does not load does not become active.
        m_bSwitching = true;
        m_pTabs->setCurrentIndex(m_nLastActive);
        m_bSwitching = false;
        return;
    }
    m_nLastActive = index;
}

void CDataProps::SetTitleAndIcon(bool bIcon) {
    if (m_pEntry != nullptr) {
        std::string title = Format("%s - 0%x", m_pEntry->GetTypeName(), m_pEntry->GetIndex());
        if (const std::string note = m_pEntry->GetTitleNote(); !note.empty()) {
            title += " (" + note + ")";
        }
        setWindowTitle(QString::fromStdString(title));
    } else {
        setWindowTitle(QStringLiteral("No Data"));
    }
    if (bIcon) {
        int id = m_pEntry != nullptr ? m_pEntry->GetDataType() : ids::IDR_MAINFRAME;
        const QIcon icon = LoadResourceIcon(id);
        setWindowIcon(icon.isNull() ? BlankIcon() : icon);
        setProperty("iconId", id);
    }
}

void CDataProps::SetTackBitmap(int id) {
    m_nTackBitmap = id;
    const bool current = id == ids::IDB_TACK_CURRENT;
    m_pTack->setIcon(QIcon(current ? m_TackIn : m_TackOut));
    m_pTack->setToolTip(current
                            ? QStringLiteral("Tacked: this sheet follows the list's selection "
                                             "and opens the next entry; press to release it")
                            : QStringLiteral("Tack: make this sheet follow the list's selection "
                                             "and open the next entry"));
    UpdateOkTip();
}

void CDataProps::UpdateOkTip() {
    if (!m_bModified) {
        m_pOk->setToolTip(QStringLiteral("OK: no page has edits to apply"));
    } else {
        m_pOk->setToolTip(IsCurrent() ? QStringLiteral("OK: apply the edits of the pages")
                                      : QStringLiteral("OK: apply the edits of the pages and "
                                                       "close the sheet"));
    }
}

bool CDataProps::IsCurrent() const {
    return DataAppState().m_pCurrentSheet == this;
}

QPushButton* CDataProps::GetButton(int id) const {
    switch (id) {
        case ids::ID_SHEET_OK:
            return m_pOk;
        case ids::ID_SHEET_HELP:
            return m_pHelp;
        case ids::ID_SHEET_TACK:
            return m_pTack;
        default:
            return nullptr;
    }
}

void CDataProps::SetSheetModified(bool bModified) {
    m_bModified = bModified;
    m_pOk->setEnabled(bModified);
    UpdateOkTip();
}

void CDataProps::OnCommand(int id) {
    switch (id) {
        case ids::ID_SHEET_TACK:
            ToggleCurrent();
            break;
        case ids::ID_SHEET_OK:
            if (ApplyPages() && !IsCurrent()) {
                QTimer::singleShot(0, this, [this] { close(); });
            } else {
                RefreshPages();
            }
            break;
        case ids::ID_SHEET_CANCEL:
            QTimer::singleShot(0, this, [this] { close(); });
            break;
        default:
            break;
    }
}

void CDataProps::reject() {
    OnCommand(ids::ID_SHEET_CANCEL);
}

void CDataProps::closeEvent(QCloseEvent* event) {
    if (!AskSave()) {
        event->ignore();
        return;
    }
    event->accept();
    DataAppState().CloseSheet(this);
}

void CDataProps::ToggleCurrent() {
    CDataAppState& state = DataAppState();
    if (state.m_pCurrentSheet == this) {
        state.m_pCurrentSheet = nullptr;
        SetTackBitmap(ids::IDB_TACK);
        return;
    }
    if (state.m_pCurrentSheet != nullptr) {
        state.m_pCurrentSheet->OnCommand(ids::ID_SHEET_TACK);
    }
    state.m_pCurrentSheet = this;
    SetTackBitmap(ids::IDB_TACK_CURRENT);
}

bool CDataProps::AskSave() {
    if (!m_bModified) {
        return true;
    }
    CShellUi::Answer answer =
        DataAppState().Ui().AskYesNoCancel("Save ?", windowTitle().toStdString());
    if (answer == CShellUi::Answer::Cancel) {
        return false;
    }
    if (answer == CShellUi::Answer::Yes && !ApplyPages()) {
        return false;
    }
    SetSheetModified(false);
    return true;
}

bool CDataProps::ApplyPages() {
    if (!m_bModified || m_pEntry == nullptr) {
        return true;
    }
    bool failed = false;
    bool applied = false;
    for (int i = 0; i < GetPageCount(); ++i) {
        CDataPage* page = GetPage(i);
        if (page == nullptr || page->GetEntry() == nullptr || !page->IsModified()) {
            continue;
        }
        try {
            page->ControlsToMembers();
        } catch (...) {
            LogCaughtException("reading a property page");
            failed = true;
            continue;
        }
        int result = 1;
        try {
            result = page->SaveData();
        } catch (...) {
            LogCaughtException("saving a property page");
            result = 1;
        }
        if (result != 0) {
            failed = true;
        } else {
            page->m_bModified = false;
            applied = true;
        }
    }
    // Saving may have closed the sheet (its entry reloaded away).
    if (applied && m_pEntry != nullptr) {
        m_pEntry->OnDataChanged(0);
        SetSheetModified(false);
    }
    return !failed;
}

CDataProps* CDataProps::SetEntry(CDataDef* pEntry) {
    if (!AskSave()) {
        return nullptr;
    }
    bool keep = m_pEntry != nullptr && pEntry != nullptr &&
                m_pEntry->GetTargetType() == pEntry->GetTargetType();
    if (!keep) {
        RemoveAllPages();
    }
    m_pEntry = pEntry;
    m_pOk->update();
    m_pHelp->update();
    m_pTack->update();
    SetTitleAndIcon(false);
    if (keep) {
        RefreshPages();
        return nullptr;
    }
    SetTitleAndIcon(true);
    return this;
}

void CDataProps::RefreshPages() {
    for (int i = 0; i < GetPageCount(); ++i) {
        GetPage(i)->ForgetEntry();
    }
    if (CDataPage* page = GetActivePage()) {
        page->LoadEntry();
    }
}

void CDataProps::RemoveAllPages() {
    m_pEntry = nullptr;
    m_bSwitching = true;
    while (m_pTabs->count() > 0) {
        QWidget* page = m_pTabs->widget(0);
        m_pTabs->removeTab(0);
        delete page;
    }
    m_bSwitching = false;
    m_nLastActive = -1;
}

void CDataProps::ShowEntry(CDataDef* pEntry) {
    if (!m_bCreated) {
        return;
    }
    if (pEntry != nullptr) {
        RunEntryCommand(*pEntry, nullptr, ids::ID_PROPERTIES);
    } else {
        m_pEntry = nullptr;
    }
}

}  // namespace tessaly
