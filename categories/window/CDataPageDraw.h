#pragma once
// The picture pages of the image categories; they draw as the entries do (EntryPicture.h).

#include "CDataProps.h"
#include "EntryPicture.h"
#include "Surface.h"

#include <QFrame>

#include <cstdint>
#include <functional>
#include <limits>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QSpinBox;
class QVBoxLayout;

namespace tessaly {

// Puts a drawn picture on the clipboard as a bitmap. False without a picture or a clipboard.
bool PutPictureOnClipboard(const SurfaceBuffer& buffer);
// Writes a notice (why a page shows no picture) across the middle of a page's picture area.
void DrawPageNotice(QPainter& painter, const QRect& area, const QString& text);

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

class CDataPageDraw : public CDataPage {
    Q_OBJECT

public:
    // nPictureId is the picture control's id; nSizeId that of the size text (0: none).
    CDataPageDraw(int nTemplate, const QString& title, int nPictureId, int nSizeId = 0);

    // Invalidates the page and, with a size text, sets it from SizeText; 0 when the entry is
    // one the page shows.
    int LoadData() override;
    void MembersToControls() override;

    // Draws the picture of the page's entry into buffer, each side at most the limit. False
    // when the entry has no picture this page shows.
    virtual bool DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                             std::uint32_t maxHeight) = 0;

    CPictureFrame* GetPicture() const { return m_pPicture; }
    // The hue field (null on pages without one) and the hue the picture is drawn in.
    CHueField* GetHueField() const { return m_pHue; }
    std::uint16_t GetHue() const;
    // Puts the page's picture, hued as shown and not cut, on the clipboard.
    void OnCopy();
    // The pixels of the last paint (empty when nothing was drawn).
    const SurfaceBuffer& GetBuffer() const { return m_Buffer; }
    QString m_sSize;

protected:
    // Whether the page's entry is of the class it shows; other entries fail LoadData.
    virtual bool Accepts(CDataDef* pEntry) = 0;
    // The size text of the loaded picture, or empty (and the text stays as it was).
    virtual QString SizeText() { return QString(); }
    // After a paint: whether a picture was found and drawn.
    virtual void Painted(bool /*bDrawn*/) {}
    // Why the page draws no picture of its entry (it is deleted, its data is missing or
    // damaged), shown in the picture's place.
    virtual QString NoPictureText();
    // Adds the "Hue" field, which redraws the picture, and a "Copy" button to the size row.
    void AddHueField();

    QVBoxLayout* m_pLayout;
    QHBoxLayout* m_pTop = nullptr;  // the size text row, with a size text

private:
    void Paint(QPainter& painter, const QRect& area);

    CPictureFrame* m_pPicture;
    QLabel* m_pSize = nullptr;
    CHueField* m_pHue = nullptr;
    SurfaceBuffer m_Buffer;
};

}  // namespace tessaly
