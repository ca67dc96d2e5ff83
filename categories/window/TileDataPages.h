#pragma once
// The "TileData" page: one tile data record of a group, item, terrain or texture entry.

#include "CDataDefTileData.h"
#include "CDataProps.h"

#include <QColor>
#include <QFrame>

class QCheckBox;
class QLabel;
class QLineEdit;
class QScrollBar;

namespace tessaly {

// The frame beside the "Radar" label, filled with the tile's radar colour.
class CRadarFrame : public QFrame {
    Q_OBJECT

public:
    explicit CRadarFrame(QWidget* parent);
    void SetColor(const QColor& color);
    QColor GetColor() const { return m_Color; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_Color = Qt::black;
};

class CDataPageTileData : public CDataPage {
    Q_OBJECT

public:
    // Scroll bar actions, as the block's scroll bar reports them.
    enum ScrollCode { LineUp, LineDown, PageUp, PageDown, ThumbPosition, ThumbTrack, Top, Bottom };

    CDataPageTileData();

    int LoadData() override;
    // Stores the edited record in the entry's patch document as a change of its whole group.
    // Refused with a message when a value does not fit or no document is open.
    int SaveData() override;
    void MembersToControls() override;
    void ControlsToMembers() override;

    // Moves through the group's records (clamped to 0-31) and reloads on a change; not while
    // the shown record has an edit that is not applied, nor when the page shows no record.
    void OnScroll(ScrollCode code, int nThumb = 0);
    // A click on flag box 1014 or 1015: bits 14 ("a") and 15 ("an") exclude each other.
    void OnArticleBit(int bit);

    // The 24-bit colour of a 5-5-5 pixel word (each 5-bit value times 8).
    static QColor PixelToColor(std::uint16_t pixel);

    // The numeric fields of an item record. The old layout shows the first six (its 32-bit
    // lumps whole), the newer one all nine, each field of its own.
    static constexpr std::size_t kOldFieldCount = 6;
    static constexpr std::size_t kFieldCount = 9;

    // Controls, by their dialog ids.
    QLabel* m_pTitle;    // 4015
    QLabel* m_pArticle;  // 4003
    QLineEdit* m_pName;  // 1032
    // 1000 + bit for bits 0-31; the newer layout's upper bits 32-63 (1100 + bit) are labelled
    // by their number in hexadecimal and shown only for a client of that layout.
    std::array<QCheckBox*, 64> m_Flags;
    // 1034-1042. Old: weight, layer, height, val6, anim, val14. Newer: weight, quality,
    // height, misc, anim, quantity, hue, stacking offset, value.
    std::array<QLineEdit*, kFieldCount> m_Fields;
    std::array<QLabel*, kFieldCount> m_FieldLabels;
    QScrollBar* m_pScroll;  // 4016
    QLabel* m_pRadarLabel;  // 4100
    CRadarFrame* m_pRadar;
    QLabel* m_pNote;  // why a patch record was not read; hidden when there is nothing to say

    // Members.
    QString m_sTitle, m_sArticle, m_sName, m_sNote;
    std::uint64_t m_qwFlags = 0;
    std::array<qint64, kFieldCount> m_nFields{};
    bool m_bItem = false;
    std::uint32_t m_nRecord = 0;  // terrain t, or item n + 0x4000
    bool m_bNewer = false;        // the client's tile data has the newer layout
    int m_nPos = 0;               // record within the group
    std::uint16_t m_wRadar = 0;

private:
    // LoadData's reading of the record into the members; non-zero when there is none.
    int LoadRecord();
    void UpdateArticle();
    // A control edited: the page is modified and the scroll bar waits for the edit's end.
    void OnEdit();
    // The record as loaded: an edit changes only what differs from it.
    QString m_sLoadedName;
    std::uint64_t m_qwLoadedFlags = 0;
    std::array<qint64, kFieldCount> m_nLoadedFields{};
    void OnScrollAction(int action);
    bool m_bLoading = false;
};

}  // namespace tessaly
