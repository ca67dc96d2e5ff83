#pragma once
// Tile data groups of 32 records ("tiledata.mul"), and the page that shows one tile data
// record: of a group's entry, or of an item, terrain or texture entry's own tile.

#include "CDataDef.h"
#include "CDataProps.h"
#include "TileData.h"

#include <QColor>
#include <QFrame>

#include <array>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QScrollBar;

namespace tessaly {

class CDataDefTileData : public CDataDef {
public:
    explicit CDataDefTileData(std::uint32_t nIndex) : CDataDef(nIndex) {}

    std::string GetListText() override;
    bool CopyData() override { return true; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryTileData; }
    // A group that "tiledata.mul" holds, or one with a patch link.
    bool IsValid() override;
    bool ReadIndex() override;
    // Reads the group from the patch record's location (unless read), then links it.
    void SetVerData(CDataVerData* pVerData) override;
    bool AddPages(CDataProps* pSheet) override;

    // Reads the group once: from a linked record of a patch file, else from "tiledata.mul".
    // A patch record whose length does not fit the client's layout is not read: the base
    // file's group stands, and GetPatchNote says why. False when it cannot be read.
    bool ReadBlock();
    // Record p (0-31) of the read group, in the layout it was read in; false before the group
    // is read.
    bool GetTerrainRecord(std::uint32_t p, CTileTerrainInfo& info) const;
    bool GetItemRecord(std::uint32_t p, CTileItemInfo& info) const;
    bool IsItemBlock() const { return GetIndex() >= kTerrainGroupCount; }
    // Why the linked patch record was not read; empty when it was, or when there is none.
    const std::string& GetPatchNote() const { return m_sPatchNote; }

private:
    bool ReadFrom(const IndexRecord& record);
    // Reads the group from "tiledata.mul".
    bool ReadBase();

    // The group as read: a 4-byte header, then 32 records of the layout's size (the room fits
    // the largest group, of newer items).
    std::array<std::uint8_t, 4 + kTileGroupSize * CTileItemInfo::kNewerSize> m_Block{};
    TileDataShape m_Shape;
    std::string m_sPatchNote;
    bool m_bRead = false;
};

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
    int SaveData() override { return 0; }
    void MembersToControls() override;
    void ControlsToMembers() override;

    // Moves through the group's records (clamped to 0-31) and reloads on a change.
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
    bool m_bNewer = false;  // the client's tile data has the newer layout
    int m_nPos = 0;         // record within the group
    std::uint16_t m_wRadar = 0;

private:
    void UpdateArticle();
    void OnScrollAction(int action);
    bool m_bLoading = false;
};

}  // namespace tessaly
