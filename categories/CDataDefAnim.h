#pragma once
// Animation bodies ("anim.idx"/"anim.mul"): one entry per body, with the frame sets it has
// shown, and the "Anim" page that steps through and plays a body's frames.

#include "AnimType.h"
#include "CDataDef.h"
#include "CDataProps.h"
#include "Surface.h"

#include <QBasicTimer>
#include <QPoint>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace tessaly {
class CHueField;
}

namespace tessaly {

class CDataDefAnim : public CDataDefIndex {
public:
    // Frame sets a body can have: 35 actions x 5 stored directions.
    static constexpr std::size_t kFrameSets = 175;

    explicit CDataDefAnim(std::uint32_t nIndex) : CDataDefIndex(nIndex) {}

    std::string GetListText() override;
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryAnims; }
    // The record of action 0, direction 3: the first of the body.
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;
    // Exports the frames of one action and direction: one sprite sheet, or one PNG per frame
    // (suffix "-NN", the frame number).
    ExportKind GetExportKind() override { return ExportKind::Animation; }
    bool ExportData(const ExportOptions& options, CExportData& out) override;
    // The action and direction of an open sheet's "Anim" page showing this body, if any.
    void GetShownExportOptions(ExportOptions& options) override;

    // The frame set of an action and a direction (0-7), made on first use and kept.
    CTileAnimType& GetFrames(std::int32_t action, std::int32_t direction);

private:
    std::array<std::unique_ptr<CTileAnimType>, kFrameSets> m_FrameSets;
};

// Draws frame `frame` of a frame set for direction d into buffer, sized to the frame, in the
// client's hue number `hue` (0 = none; UseHue), and gives the offset of the frame's top-left
// corner from the body's anchor point. False when the frame does not exist.
bool DrawAnimFrame(CTileAnimType& frames, std::uint32_t frame, std::int32_t direction,
                   SurfaceBuffer& buffer, QPoint* pOrigin = nullptr, std::uint16_t hue = 0);

// Draws every frame of a frame set for direction d side by side into buffer: equal cells, the
// size of the box that holds every frame around the common anchor point, so that the anchor
// lies at the same place in each cell and the frames line up as the page plays them. False
// when the set has no frame with pixels or the sheet would be too large. `hue` as for
// DrawAnimFrame.
bool DrawAnimSheet(CTileAnimType& frames, std::int32_t direction, SurfaceBuffer& buffer,
                   std::uint16_t hue = 0);

// "Anim": one frame of a body at a time, chosen by action, direction and frame, played on a
// timer, with the frame's size and anchor marked on request.
class CDataPageAnimDraw : public CDataPage {
    Q_OBJECT

public:
    CDataPageAnimDraw();

    int LoadData() override;
    void MembersToControls() override;
    void ControlsToMembers() override;

    // The direction drawn: list position + 3, or its opposite with "Dir Flip".
    std::int32_t PageDirection() const;
    // Shows frame n (0 past the last frame) when it is not the one shown.
    void SetFrame(int n);
    // Tick of the play timer.
    void OnTimer();
    void OnCopy();
    bool IsPlaying() const { return m_Timer.isActive(); }
    // Frames of the action and direction on show (0 when they did not load).
    int GetFrameCount();

    // The last frame painted and where its top-left corner went in the drawing area.
    const SurfaceBuffer& GetBuffer() const { return m_Buffer; }
    QPoint GetFramePosition() const { return m_FramePos; }
    QWidget* GetDrawingArea() const { return m_pArea; }

    int m_nAction = 0;
    int m_nDirection = 0;  // list position, 0 to 4
    bool m_bFlip = false;
    int m_nFrame = -1;
    bool m_bPlay = false;
    bool m_bSize = false;
    bool m_bMiddle = false;
    bool m_bZoom = false;
    QString m_sFrame = QStringLiteral("0/0");
    QString m_sSize = QStringLiteral("0");
    QString m_sCentre = QStringLiteral("0");

    QComboBox* m_pAction;   // 4033
    QComboBox* m_pDir;      // 4031
    QCheckBox* m_pFlip;     // 4082
    QSlider* m_pFrames;     // 4030
    QLabel* m_pFrameText;   // 4081
    QCheckBox* m_pPlay;     // 4032
    QPushButton* m_pCopy;   // 4079
    QCheckBox* m_pSizeBox;  // 4095
    QCheckBox* m_pMiddle;   // 4096
    QCheckBox* m_pZoom;     // 4097
    QLabel* m_pSizeText;    // 4091
    QLabel* m_pCentreText;  // 4092
    CHueField* m_pHue;      // the hue the frame is drawn in

protected:
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CDataDefAnim* GetAnim();
    // The frame set on show, or null without an entry or when it did not load.
    CTileAnimType* GetShownFrames();
    void RefreshRange();
    void OnOptionChanged();
    void OnPlayToggled(bool bPlay);
    void PaintArea();

    QWidget* m_pArea;  // 4029
    QBasicTimer m_Timer;
    SurfaceBuffer m_Buffer;
    QPoint m_FramePos;
    bool m_bUpdating = false;  // members going into the controls: no change notifications
};

}  // namespace tessaly
