#pragma once
// The "Hue" page: a ramp's name and colours, edited into the ".pat" patch.

#include "CDataDefHue.h"
#include "CDataProps.h"

class QLabel;
class QLineEdit;
class QEvent;
class QMouseEvent;
class QPainter;
class QPoint;
class QRect;
class QScrollBar;

namespace tessaly {

// "Hue": the ramp drawn as 32 cells, its colour points and its name.
class cDataPageHue : public CDataPage {
    Q_OBJECT

public:
    cDataPageHue();

    int LoadData() override;
    int SaveData() override;
    void MembersToControls() override;
    void ControlsToMembers() override;

    // Clicks at p (page coordinates); false when p is not on the bar.
    bool OnLButtonDown(const QPoint& p);
    bool OnRButtonDown(const QPoint& p);
    // The scroll bar moved to nPos (group mode): shows that ramp of the group.
    void OnVScroll(int nPos);

    // The colours the bar shows (empty points when the entry is not a hue).
    HueColours GetDisplayedColours();
    bool IsGroupMode() const { return m_bGroupMode; }
    // The hue number shown (and saved).
    std::uint32_t GetHueNumber() const { return m_nHue; }
    CPictureFrame* GetBar() const { return m_pBar; }

    std::string m_sName;
    int m_nScrollPos = 0;
    std::string m_sIndex;
    std::string m_sRange;
    HueColours m_Points;
    HueEntry m_Hue;  // the hue shown: the patch's record, else the file's

    QLineEdit* m_pName;       // 4038
    QScrollBar* m_pScroll;    // 4039
    QLabel* m_pIndex;         // 4040
    QLabel* m_pRange;         // 4083
    QLabel* m_pRangeCaption;  // the "Range:" label beside it
    QLabel* m_pHelp;          // what the clicks on the bar do
    QLabel* m_pDamage;        // says "hues.mul" cannot give the hue, hidden otherwise

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PaintBar(QPainter& painter, const QRect& area);
    // The mark of a colour point on cell nCell of a bar drawn in area.
    static QRect PointMark(const QRect& area, int nCell);
    // The cell under p (page coordinates), or -1 off the bar.
    int CellAt(const QPoint& p) const;

    QWidget* m_pBarHolder;
    CPictureFrame* m_pBar;  // 4037
    bool m_bGroupMode = false;
    std::uint32_t m_nHue = 0;
};

}  // namespace tessaly
