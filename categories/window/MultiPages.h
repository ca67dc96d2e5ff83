#pragma once
// The "Image" page of the Multis category: the multi drawn, its component list and the commands
// that edit it into the ".pat" patch.

#include "CDataDefMulti.h"
#include "CDataProps.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QPainter;
class QRect;
class QScrollBar;

namespace tessaly {

class CMultiComponentModel;
class CPictureFrame;

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

    QListView* m_pList;              // 4000
    CMultiComponentModel* m_pModel;  // the components behind m_pList
    QLineEdit* m_pZLow;              // 4063
    QLineEdit* m_pZHigh;             // 4064
    QLineEdit* m_pTileId;            // 4054
    QLineEdit* m_pXEdit;             // 4055
    QLineEdit* m_pYEdit;             // 4056
    QLineEdit* m_pZEdit;             // 4057
    QCheckBox* m_pVisible;           // 4053
    QLabel* m_pDirectionPad;         // 4071
    QLabel* m_pUpDownPad;            // 4072
    QScrollBar* m_pVertical;         // 4061
    QScrollBar* m_pHorizontal;       // 4062

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    // The rows selected, in list order.
    std::vector<int> SelectedRows() const;
    void SelectRow(int row);
    MultiComponent FromFields() const;
    void EnableFields(bool bEnable);
    void ClearFields();
    void PaintPicture(QPainter& painter, const QRect& area);
    void Changed();

    CPictureFrame* m_pPicture;  // 4050
    QLabel* m_pObjects;         // 4074
    QLabel* m_pRegion;          // 4076
    SurfaceBuffer m_Buffer;
    bool m_bQuiet = false;    // the list's selection changes by command, not by the user
    bool m_bDamaged = false;  // the client's multi does not read: the page starts empty
};

}  // namespace tessaly
