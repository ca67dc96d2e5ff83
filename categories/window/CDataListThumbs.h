#pragma once
// The thumbnail list: a grid of cells, one per row the list shows, each with the entry's picture
// (scaled down to fit the cell when larger, never up) above its number ("%04x", as the text
// list numbers it, with the list's change mark), in the text list's sort order. Hues show their
// 32-colour ramp, Unicode fonts the start of their sample line; entries without a picture show
// their list text (or "damaged"), cut with an ellipsis when too long. Only the cells in sight
// are drawn, and their pictures are kept in a
// bounded cache. One cell is selected at a time (click, arrows, Page Up/Down, Home, End); its
// entry takes the list commands as the text list's selected row does.

#include "CDataList.h"

#include <QAbstractScrollArea>
#include <QImage>

#include <cstddef>
#include <functional>
#include <list>
#include <unordered_map>
#include <vector>

namespace tessaly {

// The pictures of the cells drawn last, keyed by entry; when full, the picture used least
// recently goes first.
class CThumbCache {
public:
    explicit CThumbCache(std::size_t nCapacity) : m_nCapacity(nCapacity) {}

    // The entry's picture, made by `make` when not held (a null image: the entry has none).
    const QImage& Get(const CDataDef* pEntry, const std::function<QImage()>& make);
    bool Contains(const CDataDef* pEntry) const { return m_Where.count(pEntry) != 0; }
    std::size_t GetCount() const { return m_Order.size(); }
    std::size_t GetCapacity() const { return m_nCapacity; }

private:
    using Item = std::pair<const CDataDef*, QImage>;
    std::size_t m_nCapacity;
    std::list<Item> m_Order;  // most recently used first
    std::unordered_map<const CDataDef*, std::list<Item>::iterator> m_Where;
};

class CDataListThumbs : public QAbstractScrollArea, public CDataList {
    Q_OBJECT

public:
    // The picture box of a cell, the gap around it and the number of pictures kept.
    static constexpr int kPictureSize = 96;
    static constexpr int kPadding = 4;
    static constexpr std::size_t kCacheCells = 512;

    explicit CDataListThumbs(std::int32_t nCategory);

    CDataDef* GetSelected() override;
    void FillList() override;
    QWidget* GetWindow() override { return this; }
    const std::vector<CDataDef*>& GetShownRows() const override { return m_Rows; }
    void SelectPosition(int nPosition) override;
    void SetSortOrder(int nColumn, bool bAscending) override;

    // The selected cell's position in the shown rows, or -1.
    int GetSelectedPosition() const { return m_nSelected; }
    // Cells per grid row at the viewport's width (at least 1).
    int GetColumnCount() const;
    // A cell's rectangle in viewport coordinates (the viewport scrolled as it is now).
    QRect CellRect(int nPosition) const;
    // The position of the cell under a viewport point, or -1.
    int CellAt(const QPoint& viewportPoint) const;
    const CThumbCache& GetCache() const { return m_Cache; }
    // An entry's cell picture: its image (or a hue's ramp) scaled down to fit the picture box;
    // a null image when it has none.
    static QImage MakeCellPicture(CDataDef& entry);
    // What a cell without a picture shows: "damaged" for a damaged entry, else the fields of
    // its list text.
    static QString CellText(CDataDef& entry);
    // The line under a cell: the entry's number and its change mark ("*", "+" or "!").
    static QString CellLabel(CDataDef& entry);

protected:
    CDataDef* SelectAt(const QPoint& viewportPoint) override;
    void ShowRows(std::vector<CDataDef*> rows) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QSize CellSize() const;
    // Grid rows fully in sight (at least 1).
    int VisibleRowCount() const;
    void UpdateScrollBar();
    void EnsureVisible(int nPosition);
    void PaintCell(QPainter& painter, int nPosition, const QRect& cell);

    std::vector<CDataDef*> m_Rows;  // not owned
    int m_nSelected = -1;
    CThumbCache m_Cache{kCacheCells};
};

}  // namespace tessaly
