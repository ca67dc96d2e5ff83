#include "CDataPageDraw.h"

#include "CDataAppState.h"
#include "CDataDef.h"
#include "CDataDefItem.h"
#include "ControlIds.h"
#include "EventLog.h"
#include "MulBlock.h"
#include "SurfaceDevice.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimerEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace tessaly {

bool PutPictureOnClipboard(const SurfaceBuffer& buffer) {
    if (buffer.GetData() == nullptr ||
        qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return false;
    }
    QImage image = CreateDeviceBitmap(buffer);
    if (image.isNull()) {
        return false;
    }
    QGuiApplication::clipboard()->setImage(image);
    return true;
}

void DrawPageNotice(QPainter& painter, const QRect& area, const QString& text,
                    const QColor& colour) {
    if (text.isEmpty()) {
        return;
    }
    painter.save();
    painter.setPen(colour.isValid() ? colour : QApplication::palette().color(QPalette::Text));
    painter.drawText(area.adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, text);
    painter.restore();
}

void PaintPictureBackground(QPainter& painter, const QRect& area) {
    if (!DataAppState().m_bCheckerboard) {
        return;
    }
    constexpr int kSquare = 8;
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    painter.fillRect(area, QColor(255, 255, 255));
    for (int y = area.top(); y <= area.bottom(); y += kSquare) {
        const int row = (y - area.top()) / kSquare;
        for (int x = area.left() + (row % 2) * kSquare; x <= area.right(); x += 2 * kSquare) {
            painter.fillRect(x, y, kSquare, kSquare, QColor(214, 214, 214));
        }
    }
    painter.restore();
}

CHueField::CHueField(QWidget* pParent) : QWidget(pParent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Hue"), this));
    m_pNumber = new QSpinBox(this);
    m_pNumber->setObjectName(QStringLiteral("Hue"));
    m_pNumber->setDisplayIntegerBase(16);
    m_pNumber->setRange(0, 3000);  // the surface takes no higher hue number
    m_pNumber->setToolTip(
        QStringLiteral("Hue number (hexadecimal, as the Hues page's Hue Index "
                       "shows it); 0 draws the picture as it is"));
    layout->addWidget(m_pNumber);
    connect(m_pNumber, &QSpinBox::valueChanged, this, [this] { emit HueChanged(); });
}

std::uint16_t CHueField::GetHue() const {
    return static_cast<std::uint16_t>(m_pNumber->value());
}

void CHueField::SetHue(std::uint16_t hue) {
    m_pNumber->setValue(hue);
}

CPictureFrame::CPictureFrame(int nId, QWidget* pParent) : QFrame(pParent) {
    ids::SetControlId(this, nId);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
}

void CPictureFrame::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (m_Paint) {
        QPainter painter(this);
        m_Paint(painter, contentsRect());
    }
}

namespace {

// The picture pages: template, caption, control ids and what each offers.
constexpr PicturePageKind kPicturePages[] = {
    {EntryPage::ItemDraw, 130, "Item", ids::IDC_ITEM_PICTURE, ids::IDC_ITEM_SIZE, true, true, true,
     false, true},
    {EntryPage::TerrainDraw, 148, "Terrain", ids::IDC_TERRAIN_PICTURE, ids::IDC_TERRAIN_SIZE, false,
     true, false, true},
    {EntryPage::TextureDraw, 141, "Texture", ids::IDC_TEXTURE_PICTURE, ids::IDC_TEXTURE_SIZE, false,
     true, false, true},
    {EntryPage::GumpDraw, 146, "Gump", ids::IDC_GUMP_PICTURE, ids::IDC_GUMP_SIZE, true, true, false,
     false},
    {EntryPage::LightDraw, 145, "Light", ids::IDC_LIGHT_PICTURE, ids::IDC_LIGHT_SIZE, false, true,
     false, false},
};

}  // namespace

CDataPageDraw* CreatePicturePage(EntryPage page) {
    for (const PicturePageKind& kind : kPicturePages) {
        if (kind.page == page) {
            return new CDataPageDraw(kind);
        }
    }
    return nullptr;
}

CDataPageDraw::CDataPageDraw(const PicturePageKind& kind)
    : CDataPage(kind.nTemplate, QString::fromLatin1(kind.pszTitle)), m_Kind(kind) {
    m_pLayout = new QVBoxLayout(this);
    m_pLayout->setContentsMargins(7, 7, 7, 7);
    if (kind.nSizeId != 0) {
        auto* top = new QHBoxLayout;
        top->addWidget(new QLabel(QStringLiteral("Size:"), this));
        m_pSize = new QLabel(this);
        ids::SetControlId(m_pSize, kind.nSizeId);
        m_pSize->setMinimumWidth(80);
        top->addWidget(m_pSize);
        top->addStretch(1);
        if (kind.bArtButtons) {
            // Buttons towards the item's gump and animation, not wired to anything.
            for (auto [id, text] : {std::pair(4098, "Gump..."), std::pair(4099, "Anim...")}) {
                auto* button = new QPushButton(QString::fromLatin1(text), this);
                button->setObjectName(QString::number(id));
                button->setEnabled(false);
                button->setToolTip(QStringLiteral(
                    "Not available: the item's gump and animation are not looked up"));
                top->addWidget(button);
            }
        }
        if (kind.bPlay) {
            m_pPlay = new QCheckBox(QStringLiteral("Play"), this);
            m_pPlay->setObjectName(QStringLiteral("Play"));
            connect(m_pPlay, &QCheckBox::toggled, this, [this](bool on) { OnPlayToggled(on); });
            top->addWidget(m_pPlay);
        }
        if (kind.bHue) {
            m_pHue = new CHueField(this);
            top->addWidget(m_pHue);
        }
        if (kind.bCopy) {
            m_pCopy = new QPushButton(QStringLiteral("Copy"), this);
            connect(m_pCopy, &QPushButton::clicked, this, [this] { OnCopy(); });
            top->addWidget(m_pCopy);
        }
        m_pLayout->addLayout(top);
    }
    m_pPicture = new CPictureFrame(kind.nPictureId, this);
    m_pPicture->m_Paint = [this](QPainter& painter, const QRect& area) { Paint(painter, area); };
    m_pLayout->addWidget(m_pPicture, 1);
    if (m_pHue != nullptr) {
        connect(m_pHue, &CHueField::HueChanged, m_pPicture, qOverload<>(&QWidget::update));
    }
}

std::uint16_t CDataPageDraw::GetHue() const {
    return m_pHue != nullptr ? m_pHue->GetHue() : 0;
}

CDataDefPicture* CDataPageDraw::GetPictureEntry() {
    if (m_pFrame) {
        return m_pFrame.get();
    }
    auto* entry = dynamic_cast<CDataDefPicture*>(GetDataDef());
    return entry != nullptr ? entry->GetPicture(m_Kind.page) : nullptr;
}

bool CDataPageDraw::DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                                std::uint32_t maxHeight) {
    CDataDefPicture* picture = GetPictureEntry();
    return picture != nullptr &&
           picture->DrawPicture(buffer, maxWidth, maxHeight, GetHue(), picture->IsPartialHue());
}

void CDataPageDraw::OnCopy() {
    SurfaceBuffer buffer;
    try {
        ActivateEntryPatch();
        if (DrawPicture(buffer, kNoLimit, kNoLimit)) {
            PutPictureOnClipboard(buffer);
        }
    } catch (...) {
        LogCaughtException("copying a picture");
    }
}

int CDataPageDraw::LoadData() {
    if (m_pPlay != nullptr) {
        // Another entry, or the same one reloaded: its own picture, and Play if it is animated.
        StopPlaying();
        auto* item = dynamic_cast<CDataDefItem*>(GetDataDef());
        m_Animation = item != nullptr ? item->GetAnimation() : std::nullopt;
        m_pPlay->setEnabled(m_Animation.has_value());
        m_pPlay->setToolTip(m_Animation ? QStringLiteral("Plays the item's %1 frames, %2 ms each")
                                              .arg(m_Animation->frames.size())
                                              .arg(m_Animation->FrameDelayMs())
                                        : QStringLiteral("The item is not animated"));
    }
    CDataDefPicture* picture = GetPictureEntry();
    if (picture == nullptr) {
        return 1;
    }
    update();
    m_pPicture->update();
    if (m_pSize != nullptr) {
        if (GetDataDef()->IsDeleted()) {
            m_sSize = QStringLiteral("deleted");
        } else if (std::string text = picture->SizeText(); !text.empty()) {
            m_sSize = QString::fromStdString(text);
        }
    }
    return CDataPage::LoadData();
}

bool CDataPageDraw::GetShownExportOptions(ExportOptions& options) {
    auto* entry = dynamic_cast<CDataDefPicture*>(GetDataDef());
    if (m_pHue == nullptr || entry == nullptr) {
        return false;
    }
    options.nHue = GetHue();
    options.bPartial = entry->IsPartialHue();
    return true;
}

void CDataPageDraw::StopPlaying() {
    m_Timer.stop();
    m_pFrame.reset();
    m_nPlayFrame = -1;
    m_nPlayInterval = 0;
    if (m_pPlay != nullptr && m_pPlay->isChecked()) {
        const QSignalBlocker quiet(m_pPlay);
        m_pPlay->setChecked(false);
    }
}

void CDataPageDraw::OnPlayToggled(bool bPlay) {
    StopPlaying();
    if (bPlay && m_Animation) {
        const QSignalBlocker quiet(m_pPlay);
        m_pPlay->setChecked(true);
        // The start delay first (at least a tick), then the frames.
        m_nPlayInterval = static_cast<int>(std::max(m_Animation->StartDelayMs(), kAnimDataTickMs));
        m_Timer.start(m_nPlayInterval, this);
    }
    m_pPicture->update();
}

void CDataPageDraw::OnTimer() {
    if (!m_Animation || m_Animation->frames.empty()) {
        StopPlaying();
        return;
    }
    m_nPlayFrame = (m_nPlayFrame + 1) % static_cast<int>(m_Animation->frames.size());
    m_pFrame =
        std::make_unique<CDataDefItem>(m_Animation->frames[static_cast<std::size_t>(m_nPlayFrame)]);
    m_pFrame->ReadIndexLogged("reading an item's frame");
    const int interval = static_cast<int>(m_Animation->FrameDelayMs());
    if (interval != m_nPlayInterval || !m_Timer.isActive()) {
        m_nPlayInterval = interval;
        m_Timer.start(m_nPlayInterval, this);
    }
    m_pPicture->update();
}

void CDataPageDraw::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_Timer.timerId()) {
        OnTimer();
    } else {
        CDataPage::timerEvent(event);
    }
}

void CDataPageDraw::MembersToControls() {
    if (m_pSize != nullptr) {
        m_pSize->setText(m_sSize);
    }
}

void CDataPageDraw::Paint(QPainter& painter, const QRect& area) {
    // A fresh buffer each time: the picture of whatever block the entry now resolves to.
    m_Buffer.Release();
    if (GetDataDef() != nullptr && area.width() > 0 && area.height() > 0) {
        try {
            ActivateEntryPatch();
            DrawPicture(m_Buffer, static_cast<std::uint32_t>(area.width()),
                        static_cast<std::uint32_t>(area.height()));
        } catch (...) {
            LogCaughtException("drawing a picture");
        }
    }
    // A loaded block shows its buffer whatever the draw itself answered.
    const bool shown = m_Buffer.GetData() != nullptr;
    // A picture larger than one may be shows the part the page holds; it cannot be copied.
    QString tooLarge;
    if (shown) {
        if (CDataDefPicture* picture = GetPictureEntry()) {
            if (const auto size = picture->LoadedSize();
                size && !IsShowableSize(size->first, size->second)) {
                tooLarge = QStringLiteral(
                               "The picture is %1 x %2 pixels, larger than a picture "
                               "may be: the page shows its top-left part")
                               .arg(size->first)
                               .arg(size->second);
            }
        }
        PaintPictureBackground(
            painter, QRect(area.topLeft(), QSize(static_cast<int>(m_Buffer.GetWidth()),
                                                 static_cast<int>(m_Buffer.GetHeight()))));
        painter.drawImage(area.topLeft(), TransparentImage(m_Buffer));
        DrawPageNotice(painter, area, tooLarge);
    } else {
        DrawPageNotice(painter, area, NoPictureText());
    }
    if (m_pCopy != nullptr) {
        const bool copies = shown && tooLarge.isEmpty();
        m_pCopy->setEnabled(copies);
        m_pCopy->setToolTip(copies ? QStringLiteral("Puts the picture, in the hue shown, on the "
                                                    "clipboard")
                                   : QStringLiteral("There is no picture to copy"));
    }
    if (m_Kind.bEnabledWhenDrawn) {
        setEnabled(shown);
    }
}

QString CDataPageDraw::NoPictureText() {
    CDataDef* entry = GetDataDef();
    if (entry == nullptr) {
        return QString();
    }
    if (entry->IsDeleted()) {
        return NoDataText(*entry);
    }
    CDataDefPicture* picture = GetPictureEntry();
    if (picture != nullptr) {
        if (const std::string why = picture->InvalidText(); !why.empty()) {
            return QString::fromStdString(why);
        }
    }
    if (picture != entry && m_Kind.page == EntryPage::TextureDraw) {
        return QStringLiteral("This terrain tile has no texture");
    }
    const QString why = NoDataText(*entry);
    return why.isEmpty() ? QStringLiteral("No picture to draw") : why;
}

QString NoDataText(CDataDef& entry) {
    if (entry.IsDeleted()) {
        return QStringLiteral("Deleted by a patch record");
    }
    switch (entry.QueryReadStatus("asking why an entry shows no data")) {
        case ReadStatus::Absent:
            return QStringLiteral("No data");
        case ReadStatus::Damaged:
            return QStringLiteral("The entry's data is damaged");
        case ReadStatus::Failed:
            return QStringLiteral("The entry's data could not be read");
        case ReadStatus::Ok:
            break;
    }
    return QString();
}

}  // namespace tessaly
