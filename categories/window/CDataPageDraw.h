#pragma once
// The picture pages of the image categories; they draw as the entries do (EntryPicture.h).

#include "AnimData.h"
#include "CDataDefPicture.h"
#include "CDataProps.h"
#include "EntryPicture.h"
#include "Surface.h"

#include <QBasicTimer>
#include <QFrame>

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

class QCheckBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QSpinBox;
class QVBoxLayout;

namespace tessaly {

// Puts a drawn picture on the clipboard as a bitmap. False without a picture or a clipboard.
bool PutPictureOnClipboard(const SurfaceBuffer& buffer);
// Writes a notice (why a page shows no picture) across the middle of a page's picture area, in
// colour (the palette's text colour without one).
void DrawPageNotice(QPainter& painter, const QRect& area, const QString& text,
                    const QColor& colour = QColor());

// Why an entry has no data to show: deleted by a patch record, absent, damaged or unreadable;
// empty when its data reads.
QString NoDataText(CDataDef& entry);

// Paints the area a picture is about to cover with a light checkerboard when the user chose one
// (CDataAppState::m_bCheckerboard); otherwise leaves the background there, which then shows
// through the picture's transparent pixels (TransparentImage).
void PaintPictureBackground(QPainter& painter, const QRect& area);

// The "Hue" number field of the picture pages: the client's hue number the picture is drawn in
// (0 = none), entered in hexadecimal as the hue page shows it ("Hue Index"), up to 3000.
class CHueField : public QWidget {
    Q_OBJECT

public:
    explicit CHueField(QWidget* pParent);

    std::uint16_t GetHue() const;
    void SetHue(std::uint16_t hue);
    QSpinBox* GetSpinBox() const { return m_pNumber; }

signals:
    void HueChanged();

private:
    QSpinBox* m_pNumber;
};

// The frame control a picture page paints its picture into.
class CPictureFrame : public QFrame {
    Q_OBJECT

public:
    CPictureFrame(int nId, QWidget* pParent);
    std::function<void(QPainter&, const QRect&)> m_Paint;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// What one picture page is: the page it stands for, its template, caption and control ids, and
// what it offers besides the picture.
struct PicturePageKind {
    EntryPage page;
    int nTemplate;
    const char* pszTitle;
    int nPictureId;
    int nSizeId;             // the size text's id; 0: no size text
    bool bHue;               // the "Hue" field
    bool bCopy;              // the "Copy" button
    bool bArtButtons;        // "Gump..." and "Anim..." (without action)
    bool bEnabledWhenDrawn;  // enabled only while it has a picture to show (the companions)
    bool bPlay = false;      // "Play": an animated item's frames ("animdata.mul")
};

// The picture page of the five picture categories ("Item", "Terrain", "Texture", "Gump",
// "Light"): it draws the picture the entry names for its page (CDataDefPicture::GetPicture),
// cut to the control, never scaled.
class CDataPageDraw : public CDataPage {
    Q_OBJECT

public:
    explicit CDataPageDraw(const PicturePageKind& kind);

    // Invalidates the page and, with a size text, sets it from the picture; 0 when the entry
    // has a picture this page shows.
    int LoadData() override;
    void MembersToControls() override;
    // The hue the page draws in, for pages with a "Hue" field.
    bool GetShownExportOptions(ExportOptions& options) override;

    // Draws the picture of the page's entry into buffer, each side at most the limit, in the
    // page's hue. False when the entry has no picture this page shows.
    bool DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth, std::uint32_t maxHeight);

    CPictureFrame* GetPicture() const { return m_pPicture; }
    // The hue field (null on pages without one) and the hue the picture is drawn in.
    CHueField* GetHueField() const { return m_pHue; }
    std::uint16_t GetHue() const;
    // Puts the page's picture, hued as shown and not cut, on the clipboard.
    void OnCopy();
    // The pixels of the last paint (empty when nothing was drawn).
    const SurfaceBuffer& GetBuffer() const { return m_Buffer; }
    QString m_sSize;

    // "Play" of an animated item: after the start delay the page shows the item's frames in
    // turn at the frame interval, until Play is cleared (the item's own picture again).
    QCheckBox* GetPlay() const { return m_pPlay; }
    bool IsPlaying() const { return m_Timer.isActive(); }
    // Tick of the play timer: the first frame after the start delay, then the next one.
    void OnTimer();
    // The frame shown (-1: the item's own picture) and the milliseconds until the next tick.
    int GetPlayFrame() const { return m_nPlayFrame; }
    int GetPlayInterval() const { return m_nPlayInterval; }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    // The entry whose picture the page shows, or null.
    CDataDefPicture* GetPictureEntry();
    void Paint(QPainter& painter, const QRect& area);
    // Why the page draws no picture of its entry (it is deleted, its data is missing, damaged
    // or of no picture's length), shown in the picture's place.
    QString NoPictureText();

    PicturePageKind m_Kind;
    QVBoxLayout* m_pLayout;
    CPictureFrame* m_pPicture;
    QLabel* m_pSize = nullptr;
    CHueField* m_pHue = nullptr;
    QPushButton* m_pCopy = nullptr;
    SurfaceBuffer m_Buffer;

    void OnPlayToggled(bool bPlay);
    void StopPlaying();
    QCheckBox* m_pPlay = nullptr;
    std::optional<AnimDataEntry> m_Animation;   // the shown item's, read by LoadData
    std::unique_ptr<CDataDefPicture> m_pFrame;  // the frame shown while playing
    int m_nPlayFrame = -1;
    int m_nPlayInterval = 0;
    QBasicTimer m_Timer;
};

// The picture page of that kind; null for a page that is not a picture page.
CDataPageDraw* CreatePicturePage(EntryPage page);

}  // namespace tessaly
