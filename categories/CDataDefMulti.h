#pragma once
// Multis ("multi.idx"/"multi.mul"): structures made of item pictures. The composition that
// places their items on screen, the "Image" page that draws and edits a multi's component list
// into the ".pat" patch, and its "Tile Item" dialog.

#include "ArtTypes.h"
#include "CDataDef.h"
#include "CDataProps.h"
#include "MultiType.h"
#include "QRect.h"
#include "Surface.h"

#include <QDialog>

#include <climits>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QPainter;
class QRect;
class QScrollBar;

namespace tessaly {

class CPatch;
class CPictureFrame;

class CDataDefMulti : public CDataDefIndex {
public:
    explicit CDataDefMulti(std::uint32_t nIndex) : CDataDefIndex(nIndex), m_Block(nIndex) {}

    std::string GetListText() override;
    bool CopyData() override {
        CDataDef::CopyData();
        return true;
    }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryMultis; }
    // Exports the structure drawn whole (DrawMultiPicture), with the components of the
    // application's ".pat" patch when it holds them, as the page shows it.
    ExportKind GetExportKind() override { return ExportKind::Picture; }
    bool ExportData(const ExportOptions& options, CExportData& out) override;
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;

    CMulMultiType& GetBlock() { return m_Block; }

private:
    CMulMultiType m_Block;
};

// The components of a multi placed for drawing in the client's isometric view. Components are
// grouped by cell (x, y); cells are drawn row by row, left to right, and within a cell by
// z + item height (list order for equal keys). Each placed item's top-left corner is given
// relative to the origin: ((x - y) * 22 - width / 2, (x + y) * 22 - height - z * 4).
class CMultiComposition {
public:
    struct Piece {
        MultiComponent m_Component;
        CTileItemType* m_pItem;  // owned by the composition; its picture loaded
        std::int32_t m_nX;       // top-left corner relative to the origin
        std::int32_t m_nY;
    };

    explicit CMultiComposition(const std::vector<MultiComponent>& components);

    // "MULTIREGION": the rectangle holding the origin and every component's cell, right and
    // bottom one past the largest offsets.
    const CQRect& GetRegion() const { return m_Region; }
    // The pieces in drawing order; components whose picture does not load are left out.
    const std::vector<Piece>& GetPieces() const { return m_Pieces; }
    // The rectangle the pieces cover, relative to the origin (empty without pieces).
    CQRect GetBounds() const;
    // Draws the pieces whose z lies in [low, high] with the origin at (x, y).
    void Draw(CSurfaceDCData& surface, std::int32_t x, std::int32_t y, std::int32_t low = INT_MIN,
              std::int32_t high = INT_MAX) const;

private:
    // The item's picture block (loaded once per item number), or null when it does not load.
    CTileItemType* GetItem(std::uint16_t item);
    // z + the item's tile data height, or false when the item or its record does not read.
    bool GetKey(const MultiComponent& component, std::int32_t& key);

    CQRect m_Region;
    std::map<std::uint16_t, std::unique_ptr<CTileItemType>> m_Items;
    std::vector<Piece> m_Pieces;
};

// Draws a whole multi into a picture just large enough for every drawn item, on black. False
// (buffer released) when nothing is drawn.
bool DrawMultiPicture(const std::vector<MultiComponent>& components, SurfaceBuffer& buffer);

// The components of multi `index`: the ".pat" record (type 14) when patch is not null and holds
// one, else the client's "multi.mul" entry.
//
// A ".pat" record holds components of the client's record size (12 or 16 bytes), as the page
// saves them; a record whose length only the other size divides is read with that one.
std::size_t PatchMultiRecordSize(std::size_t length);
std::vector<MultiComponent> LoadMultiComponents(CMulMultiType& block, const CPatch* pPatch);

// "Tile Item": the rectangle and altitude to fill and the items to fill it with.
class CMultiTileItem : public QDialog {
    Q_OBJECT

public:
    explicit CMultiTileItem(QWidget* pParent = nullptr);

    void accept() override;

    std::string m_sAltitude;  // 4069
    std::string m_sBottom;    // 4068
    std::string m_sItems;     // 4070
    std::string m_sLeft;      // 4065
    std::string m_sRight;     // 4066
    std::string m_sTop;       // 4067

    QLineEdit* GetEdit(int nId) const;
};

// The components that fill the rectangle of a "Tile Item" dialog, row by row, the items in
// repeating order. None, with the reason in error, without items or for more than
// kMaxImportComponents of them.
std::vector<MultiComponent> TileItems(const CMultiTileItem& dialog, std::string& error);

// "Image": the multi drawn, and its component list with the commands that edit it.
class CDataPageMultiDraw : public CDataPage {
    Q_OBJECT

public:
    CDataPageMultiDraw();

    int LoadData() override;
    int SaveData() override;
    void MembersToControls() override;
    void ControlsToMembers() override;

    // Command handlers, by control id.
    void OnAddNew();
    void OnChangeSelected();
    void OnRemoveSelected();
    void OnSelectAll();
    void OnMoveToTop();
    void OnSelectionChanged();
    void OnImport();
    void OnTileItem();
    // A click at p (page coordinates); false when it was not on a pad step.
    bool OnNudge(const QPoint& p);

    // The components in list order.
    std::vector<MultiComponent> GetComponents() const;
    QWidget* GetPicture() const;
    const SurfaceBuffer& GetBuffer() const { return m_Buffer; }
    QString GetObjectText() const;
    QString GetRegionText() const;

    std::string m_sTileId;
    std::string m_sX;
    std::string m_sY;
    std::string m_sZ;
    int m_bVisible = 0;

    QListWidget* m_pList;       // 4000
    QLineEdit* m_pZLow;         // 4063
    QLineEdit* m_pZHigh;        // 4064
    QLineEdit* m_pTileId;       // 4054
    QLineEdit* m_pXEdit;        // 4055
    QLineEdit* m_pYEdit;        // 4056
    QLineEdit* m_pZEdit;        // 4057
    QCheckBox* m_pVisible;      // 4053
    QLabel* m_pDirectionPad;    // 4071
    QLabel* m_pUpDownPad;       // 4072
    QScrollBar* m_pVertical;    // 4061
    QScrollBar* m_pHorizontal;  // 4062

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void AppendLine(const MultiComponent& component);
    void SetLine(QListWidgetItem* line, const MultiComponent& component);
    MultiComponent FromFields() const;
    void EnableFields(bool bEnable);
    void ClearFields();
    void PaintPicture(QPainter& painter, const QRect& area);
    void Changed();

    CPictureFrame* m_pPicture;  // 4050
    QLabel* m_pObjects;         // 4074
    QLabel* m_pRegion;          // 4076
    SurfaceBuffer m_Buffer;
    bool m_bQuiet = false;  // the list's selection changes by command, not by the user
};

// A component's list line: "0%04x \t(%d,%d,%d) \t%d \t(%s)", without the name part when its
// tile data record does not read; a client of 16-byte components has the fourth word (as an
// unsigned decimal) after the flags: "0%04x \t(%d,%d,%d) \t%d \t%u \t(%s)".
std::string MultiComponentLine(const MultiComponent& component,
                               std::size_t recordSize = MultiComponent::kSize);

}  // namespace tessaly
