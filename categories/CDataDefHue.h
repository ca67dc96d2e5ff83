#pragma once
// Hues ("hues.mul"): the entry of one hue number, and the "Hue" page that edits a ramp's name
// and colours into the ".pat" patch.

#include "CDataDef.h"
#include "CDataProps.h"
#include "Hues.h"

#include <array>
#include <cstdint>
#include <string>

class QLabel;
class QLineEdit;
class QEvent;
class QMouseEvent;
class QPainter;
class QPoint;
class QRect;
class QScrollBar;

namespace tessaly {

class CPatch;
class CPictureFrame;

class CDataDefHue : public CDataDef {
public:
    // The index is the hue number, kept to 16 bits.
    explicit CDataDefHue(std::uint32_t nIndex) : CDataDef(nIndex & 0xFFFFu) {}

    // "0%x -> 0%x\t%s": table start, table end and name of the hue, read afresh.
    std::string GetListText() override;
    bool CopyData() override { return true; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryHues; }
    bool IsValid() override;
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;
    // The name keeps any tabs it holds.
    int GetListFieldLimit() const override { return 2; }

    // Reads hue n from the client (a "verdata.mul" group record first, else "hues.mul") into
    // the hue record; an unreadable group leaves it all zero. False when the group did not read.
    bool LoadHue(std::uint32_t n);
    HueEntry& GetHue() { return m_Hue; }

private:
    HueEntry m_Hue;
};

// The length of a hue record in the ".pat" patch; records of any other length are ignored.
inline constexpr std::uint32_t kPatchHueSize = HueEntry::kSize;
// Hue n from the ".pat" patch: false, with hue untouched, without a record of 88 bytes.
bool FindPatchHue(const CPatch* pPatch, std::uint32_t n, HueEntry& hue);

// Colour points of the hue page: a screen colour 0xRRGGBB per cell, or kHueNoPoint.
inline constexpr std::uint32_t kHueNoPoint = 0xFFFFFFFFu;
using HueColours = std::array<std::uint32_t, 32>;

// A 5-5-5 colour word as a screen colour 0xRRGGBB (each 5-bit value times 8), and back (each
// 8-bit value divided by 8).
std::uint32_t HueWordToRgb(std::uint16_t w);
std::uint16_t RgbToHueWord(std::uint32_t rgb);

// The 32 colours a ramp shows: its own colours without points; otherwise the points, with
// points 0 and 31 taken from the ramp when unset (and kept in points), the cells between two
// points blended linearly per channel, rounded to the nearest value.
HueColours HueDisplayColours(const HueEntry& hue, HueColours& points);

// The record the page saves: the colours as words, table start = colour 0, table end =
// colour 31 + 0x0421 (a plain 16-bit sum), the name cut to 19 characters.
HueEntry MakeEditedHue(const HueColours& colours, const std::string& name);

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

    QLineEdit* m_pName;       // 4038
    QScrollBar* m_pScroll;    // 4039
    QLabel* m_pIndex;         // 4040
    QLabel* m_pRange;         // 4083
    QLabel* m_pRangeCaption;  // the "Range:" label beside it

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PaintBar(QPainter& painter, const QRect& area);
    // The cell under p (page coordinates), or -1 off the bar.
    int CellAt(const QPoint& p) const;

    QWidget* m_pBarHolder;
    CPictureFrame* m_pBar;  // 4037
    bool m_bGroupMode = false;
    std::uint32_t m_nHue = 0;
};

}  // namespace tessaly
