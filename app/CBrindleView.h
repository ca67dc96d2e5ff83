#pragma once
// The view: one data category of its document at a time, as a text list or as thumbnails,
// with the four display filters and, above the list, a text filter field.

#include "CDataList.h"
#include "CView.h"

#include <memory>

class QLineEdit;

namespace tessaly {

class CBrindleDoc;

class CBrindleView : public CView, public CDataListHost {
    Q_OBJECT

public:
    CBrindleView();
    ~CBrindleView() override;

    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, int nHint) override;
    void OnActivateView(bool bActivate) override;

    // Shows a category (kCategoryVerData to kCategoryTileData); -1 removes what is shown.
    void SetCategory(std::int32_t id);
    // Fills the shown list again.
    void Refresh();

    CQObArray<CDataVerData*>* GetDocumentEntries() override;
    void ActivateDocument() override;
    void SelectionChanged() override;
    // "Go to...": asks for an entry number and selects that entry in the list.
    void OnGoTo();
    QLineEdit* GetFilterField() const { return m_pFilter; }
    CBrindleDoc* GetBrindleDoc() const;

    // Hints of OnUpdate around a reload of the document's entries.
    static constexpr int kHintBeforeReload = 1;
    static constexpr int kHintAfterReload = 2;

    std::int32_t m_nCategory = -1;
    std::unique_ptr<QWidget> m_pListWnd;  // the CDataListCtrl or CDataListThumbs shown
    CDataList* m_pList = nullptr;         // its list interface
    std::int32_t m_nListMode = 0;         // 0 text list, 1 thumbnails

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetFrameCaption();
    void SetListMode(std::int32_t mode);
    // The filter field across the top, the list below it.
    void LayoutChildren();
    void ToggleFilter(std::uint8_t& flag);
    void ToSelected(int nId);
    bool HasSelection() const;

    std::int32_t m_nReloadCategory = -1;
    QLineEdit* m_pFilter;  // child of the view
};

}  // namespace tessaly
