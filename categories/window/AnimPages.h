#pragma once
// The "Anim" page: one frame of a body at a time, played on a timer.

#include "CDataDefAnim.h"
#include "CDataProps.h"

#include <QBasicTimer>
#include <QPoint>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace tessaly {

// "Anim": one frame of a body at a time, chosen by action, direction and frame, played on a
// timer, with the frame's size and anchor marked on request.
class CDataPageAnimDraw : public CDataPage {
    Q_OBJECT

public:
    CDataPageAnimDraw();

    int LoadData() override;
    void MembersToControls() override;
    void ControlsToMembers() override;
    // The action, direction and hue shown.
    bool GetShownExportOptions(ExportOptions& options) override;

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

    // Why the area shows no frame, as it says so (empty when it shows one).
    QString NoFrameText();

protected:
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CDataDefAnim* GetAnim();
    // The frame set on show, or null without an entry or when it did not load; status, when
    // given, says why (Absent without an entry or frames).
    CTileAnimType* GetShownFrames(ReadStatus* status = nullptr);
    // NoFrameText for the frame set GetShownFrames gave, with its status.
    QString NoFrameText(CTileAnimType* frames, ReadStatus status);

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
