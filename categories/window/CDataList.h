#pragma once
// The lists that show the entries of one category in a view: CDataListCtrl (a text list, one
// row per entry) and CDataListThumbs (a grid of pictures), behind the CDataList interface. Both
// show the rows a fill collects through the same text filter, and share their selection's
// commands, context menu and keys.
//
// A list owns the entry objects of its category (CDataEntries).

#include "CDataEntries.h"

#include <cstdint>
#include <memory>
#include <vector>

class QKeyEvent;
class QMenu;
class QPoint;
class QString;
class QWidget;

namespace tessaly {

class CDataListFilter;
class CDataVerData;
struct DataTypeDef;

// What a list needs of the view that shows it: the entries' source (the document's records and
// the view's four display options), and what the view does for the list's selection.
class CDataListHost : public CEntrySource {
public:
    // The list's selection changed (which commands are enabled may change with it).
    virtual void SelectionChanged() {}
    // Enables the edit commands of an entry's context menu that the document carries out and
    // adds the ones only it has; pEntry is null for the menu of no entry.
    virtual void UpdateEntryMenu(CDataDef* /*pEntry*/, QMenu* /*pMenu*/) {}
    // Carries out an edit command on an entry; false when it is not one the host carries out.
    virtual bool OnEntryCommand(CDataDef* /*pEntry*/, int /*nId*/) { return false; }
};

// Sorts rows by a column of the text list, stable, ascending or not: 0 the index, 1 the change
// mark, k + 2 field k of the list text (by hexadecimal value for a numeric column, else by text
// ignoring case).
void SortEntries(std::vector<CDataDef*>& rows, int column, bool ascending, const DataTypeDef& def);

// A field of an entry's list text as the lists show it: the client's texts (the rows without a
// file slot: cliloc messages, Unicode fonts, speech keywords) are UTF-8, other names Latin-1.
QString ListFieldText(CDataDef& entry, const char* text);

class CDataList : public CDataEntries {
public:
    explicit CDataList(std::int32_t nCategory);

    // Stores the owning view; the list kinds then lay their window over the parent's whole
    // client area (child id 150).
    virtual bool Create(CDataListHost* pView, QWidget* pParent);
    // The selected entry, or null.
    virtual CDataDef* GetSelected() = 0;
    // Deletes the entries, which closes the sheets that show them.
    virtual ~CDataList();
    // (Re)builds the entry array if needed and shows the entries.
    virtual void FillList() = 0;
    // The list's window.
    virtual QWidget* GetWindow() = 0;
    // The rows shown now, in the order shown (none in a list without a window).
    virtual const std::vector<CDataDef*>& GetShownRows() const;
    // Selects the row at a position of GetShownRows and scrolls it into sight.
    virtual void SelectPosition(int /*nPosition*/) {}

    CDataListHost* GetView() const { return m_pView; }
    // The list column the rows are sorted by (-1: none, the rows in index order) and its
    // direction; both list kinds show their rows in it, so switching kinds keeps the order.
    int GetSortedColumn() const { return m_nSortedColumn; }
    bool IsAscending() const { return m_bAscending; }
    // Sorts the rows shown by a column of the text list (see SortEntries), keeping the
    // selection.
    virtual void SetSortOrder(int nColumn, bool bAscending);

    // Selects the shown entry with that index; false when no shown row has it.
    bool SelectIndex(std::uint32_t nIndex);
    // Shows only the rows whose text contains `text`, ignoring case (empty: every row).
    void SetFilterText(const QString& text);
    CDataListFilter& GetFilter() { return *m_pFilter; }
    // Carries out a command on the selected entry; false when there is none or it declines.
    bool OnCommand(int nId);
    // Selects the entry under a point of the list's viewport and builds the context menu for
    // it, as a right click does; its actions carry their command ids and run them when
    // triggered. The caller owns the menu.
    std::unique_ptr<QMenu> CreateContextMenu(const QPoint& viewportPoint);

protected:
    // Selects the entry under a viewport point and returns it; null, selection unchanged, when
    // no entry is there.
    virtual CDataDef* SelectAt(const QPoint& /*viewportPoint*/) { return nullptr; }
    // Shows these rows (a fill's rows that pass the filter).
    virtual void ShowRows(std::vector<CDataDef*> /*rows*/) {}
    // Collects the rows and hands them to the filter, which shows them.
    void FillRows();
    // After the selection changed: the current sheet follows it, the status pane names it (or,
    // with nothing selected, no entry) and the view hears of it.
    void OnSelectionChanged(CDataDef* pEntry);
    // A right click: the context menu for the point, shown at the screen point until closed.
    void ShowContextMenu(const QPoint& viewportPoint, const QPoint& globalPoint);
    // Enter opens the selected entry as a double click does; true when the key was that.
    bool OnOpenKey(const QKeyEvent& event);

    CDataListHost* m_pView = nullptr;  // not owned; also the entries' source
    int m_nSortedColumn = -1;
    bool m_bAscending = true;

private:
    std::unique_ptr<CDataListFilter> m_pFilter;
};

}  // namespace tessaly
