#pragma once
// The "Image" page of the Multis category (the multi drawn, its component list and the commands
// that edit it into the ".pat" patch) and its "Tile Item" dialog.

#include "CDataDefMulti.h"
#include "CDataProps.h"

#include <QDialog>

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

class CPictureFrame;

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

}  // namespace tessaly
