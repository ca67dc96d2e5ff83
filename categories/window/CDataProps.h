#pragma once
// The modeless property sheet that shows one entry, and the base of its pages.
//
// A sheet is a top-level QDialog holding a QTabWidget of CDataPage widgets and three small
// buttons at its top right: button 1 (apply, enabled while the sheet is modified), the help
// button 9 and the "Tack" button 151 that makes the sheet the current property sheet. Pages load
// their entry when they become active and write edits back when the sheet applies them. The
// application's sheet list (CDataAppState) owns every sheet and is the only one to delete it.

#include <QDialog>
#include <QPixmap>
#include <QWidget>

#include <cstdint>

class QLabel;
class QPushButton;
class QTabWidget;

namespace tessaly {

class CDataDef;
class CDataProps;
struct ExportOptions;

// Makes a page's field show its value without looking editable, for pages whose edits would
// never be stored: a text field becomes read-only and flat on the page's background (its text
// can still be selected and copied), any other control is disabled. `why` is its tool tip.
void ShowReadOnly(QWidget* field, const QString& why);
// The line a page shows above its fields when its entry is damaged: word-wrapped, hidden until
// SetDamageText gives it a text (an empty text hides it again).
QLabel* NewDamageLabel(QWidget* page);
void SetDamageText(QLabel* label, const QString& text);

class CDataPage : public QWidget {
    Q_OBJECT

public:
    // nTemplate is the page's dialog id; title is its tab text.
    CDataPage(int nTemplate, const QString& title);
    ~CDataPage() override = default;

    // Fills the page's members from GetDataDef; 0 is success.
    virtual int LoadData() { return 0; }
    // Writes the page's edited members back to the entry; 0 is success.
    virtual int SaveData() { return 0; }
    // Data exchange: members into the controls, and controls into the members (which may
    // throw when a control holds text the member cannot take).
    virtual void MembersToControls() {}
    virtual void ControlsToMembers() {}
    // Takes into options what the page shows of its entry for "Export..." (an animation's
    // action and direction); false when the page shows nothing that shapes an export.
    virtual bool GetShownExportOptions(ExportOptions& /*options*/) { return false; }

    // Loads the sheet's entry unless the page already has one; false when there is none or
    // LoadData fails.
    bool LoadEntry();
    // The page's entry, or for a patch record the entry the record replaces.
    CDataDef* GetDataDef();
    // Marks the page (and, when true, the sheet) modified.
    void SetModified(bool bModified = true);
    // Change notification of the page's editable controls.
    void OnChange() { SetModified(true); }
    // Set-active notification: the page becomes active only when its entry loads.
    virtual bool OnSetActive();

    bool IsModified() const { return m_bModified; }
    CDataDef* GetEntry() const { return m_pEntry; }
    void ForgetEntry() { m_pEntry = nullptr; }
    int GetTemplateId() const { return m_nTemplate; }
    CDataProps* GetSheet() const { return m_pSheet; }

protected:
    // Points the patch slot at the patch file the entry's bytes come from.
    void ActivateEntryPatch();

    bool m_bModified = false;
    CDataDef* m_pEntry = nullptr;  // not owned

private:
    friend class CDataProps;
    int m_nTemplate;
    CDataProps* m_pSheet = nullptr;
};

class CDataProps : public QDialog {
    Q_OBJECT

public:
    // Title "%s - 0%x" from the entry (or "No Data"), icon of the entry's category (or 128);
    // joins the application's list of open sheets. The window is shown by Create.
    CDataProps(CDataDef* pEntry, QWidget* pParent);
    ~CDataProps() override;

    // Shows the sheet as a modeless window: places the buttons, cascades it off sheets at the
    // same place, then shows it. False when the sheet has no page.
    bool Create();
    bool IsWindowCreated() const { return m_bCreated; }
    // Lets go of the entry: the sheet and its pages show nothing from here on (the sheet is
    // being closed, perhaps because the entry is going away).
    void ReleaseEntry();

    // Adds a page (the sheet owns it) and removes or lists them.
    void AddPage(CDataPage* page);
    int GetPageCount() const;
    CDataPage* GetPage(int i) const;
    CDataPage* GetActivePage() const;
    int GetActiveIndex() const;
    void SetActivePage(int i);

    CDataDef* GetEntry() const { return m_pEntry; }
    // Shows another entry; null when the pages were kept and reloaded or the user cancelled
    // the save question, else this sheet, whose pages the caller adds.
    CDataProps* SetEntry(CDataDef* pEntry);
    bool ApplyPages();
    bool AskSave();
    void RefreshPages();
    void RemoveAllPages();
    void ToggleCurrent();
    // The list selection changed: follow it when the window exists.
    void ShowEntry(CDataDef* pEntry);

    // Carries out a sheet command: 151 tack, 1 apply, 2 close.
    void OnCommand(int id);
    void SetSheetModified(bool bModified);
    bool IsSheetModified() const { return m_bModified; }
    bool IsCurrent() const;

    // The buttons, by command id (1, 9, 151); null for other ids.
    QPushButton* GetButton(int id) const;
    // The resource id of the picture the tack button shows (133 or 135).
    int GetTackBitmap() const { return m_nTackBitmap; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnInitDialog();
    void PlaceButtons();
    void Cascade();
    void SetTitleAndIcon(bool bIcon);
    // Shows the tack's picture (133 or 135) and its tool tip.
    void SetTackBitmap(int id);
    // The OK button's tool tip says what a press does now.
    void UpdateOkTip();
    void OnCurrentChanged(int index);

    QTabWidget* m_pTabs;
    QPushButton* m_pOk;
    QPushButton* m_pHelp;
    QPushButton* m_pTack;
    QPixmap m_TackOut;      // 135
    QPixmap m_TackIn;       // 133
    QPixmap m_HelpPicture;  // 134
    CDataDef* m_pEntry;     // not owned
    bool m_bModified = false;
    bool m_bCreated = false;
    int m_nTackBitmap = 135;
    int m_nLastActive = -1;
    bool m_bSwitching = false;
};

}  // namespace tessaly
