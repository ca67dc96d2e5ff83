#pragma once
// The view: one data category of its document at a time, as a text list or as thumbnails,
// with the four display filters and, above the list, a text filter field.

#include "CDataList.h"
#include "CVerDataEdits.h"
#include "CView.h"
#include "Printing.h"

#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace tessaly {

class CBrindleDoc;
class CMapView;

class CBrindleView : public CView, public CDataListHost {
    Q_OBJECT

public:
    CBrindleView();
    ~CBrindleView() override;

    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, int nHint) override;
    void OnActivateView(bool bActivate) override;

    // Shows a category (kCategoryVerData to kCategoryTileData); -1 removes what is shown. A list
    // that goes asks first about the sheets with unapplied edits of its entries; false, with
    // everything as it was, when the user cancelled.
    bool SetCategory(std::int32_t id);
    // Asks "Save ?" on the sheets with unapplied edits that showing another category would
    // destroy: those of the list's entries. False when the user cancelled.
    bool AskSaveSheets();
    // The same for closing the view: with its document's records too when it is the
    // document's last view.
    bool AskSaveSheetsOnClose() override;
    // The map view shown for the Map category, else null.
    CMapView* GetMapView() const;
    // Fills the shown list again.
    void Refresh();

    CQObArray<CDataVerData*>* GetDocumentEntries() override;
    void ActivateDocument() override;
    void SelectionChanged() override;
    // "Go to...": asks for an entry number and selects that entry in the list.
    void OnGoTo();
    QLineEdit* GetFilterField() const { return m_pFilter; }
    // "Paste Over", "Replace from File...", "Delete" and "Insert New %s" on items, gumps and
    // sounds go to the document as changes made in memory.
    void UpdateEntryMenu(CDataDef* pEntry, QMenu* pMenu) override;
    bool OnEntryCommand(CDataDef* pEntry, int nId) override;
    CBrindleDoc* GetBrindleDoc() const;
    // What "Print..." prints: the selected entry's picture when it has one, else the list (or
    // map) as its window shows it, under a line naming the document, category and entry.
    PrintContent GetPrintContent();

    // Hints of OnUpdate around a reload of the document's entries.
    static constexpr int kHintBeforeReload = 1;
    static constexpr int kHintAfterReload = 2;

    std::int32_t m_nCategory = -1;
    std::unique_ptr<QWidget> m_pListWnd;  // the CDataListCtrl or CDataListThumbs shown
    CDataList* m_pList = nullptr;         // its list interface
    std::int32_t m_nListMode = 0;         // 0 text list, 1 thumbnails
    bool m_bSwitchingMode = false;        // the same list made again in the other kind

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // The list shows numbered messages in a chosen language (Cliloc).
    bool ShowsMessages() const;
    void SetFrameCaption();
    void SetListMode(std::int32_t mode);
    // Destroys the list shown, asking nothing (the view is going, or its document reloads
    // after asking).
    void ReleaseList();
    // The filter field across the top, the list below it.
    void LayoutChildren();
    void ToggleFilter(std::uint8_t& flag);
    void ToSelected(int nId);
    bool HasSelection() const;
    // The category shown lists the document's own records (VerData).
    bool ShowsDocumentRows() const;
    // Whether the document carries out an edit command on the entry, and if not, why.
    bool CanEdit(CDataDef* pEntry, int nId) const;
    std::string WhyNotEdited(CDataDef* pEntry, int nId) const;
    // The edit a command makes from the clipboard or a chosen file (no change when the user
    // cancelled or the input was refused, with its message).
    EntryEdit EditFromClipboard(CDataDef* pEntry);
    EntryEdit EditFromFile(CDataDef* pEntry);
    void SelectIndex(std::int64_t nIndex);

    std::int32_t m_nReloadCategory = -1;
    QLineEdit* m_pFilter;  // child of the view
    // The cliloc language chooser beside the filter, shown with the Cliloc category.
    QComboBox* m_pLanguage;
    QPushButton* m_pExportTexts;  // "Export All..." beside it
    void FillLanguages();
    // The facet chooser beside the filter, shown with the lists of facet blocks (Statics).
    QComboBox* m_pFacet;
    void FillFacets();
    std::int64_t m_nReloadIndex = -1;  // the entry selected before a reload
};

}  // namespace tessaly
