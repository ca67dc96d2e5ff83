#include "CDataDefAnim.h"

#include "CDataAppState.h"
#include "CDataPageDraw.h"
#include "CDataPageScript.h"
#include "EventLog.h"
#include "Hues.h"
#include "SurfaceDevice.h"
#include "Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTimerEvent>
#include <QVBoxLayout>

namespace tessaly {

namespace {

constexpr const char* kHumanActions[] = {"ANIM_WALK_UNARM",
                                         "ANIM_WALK_ARM",
                                         "ANIM_RUN_UNARM",
                                         "ANIM_RUN_ARMED",
                                         "ANIM_STAND",
                                         "ANIM_FIDGET1",
                                         "ANIM_FIDGET2",
                                         "ANIM_STAND_WAR_1H",
                                         "ANIM_STAND_WAR_2H",
                                         "ANIM_ATTACK_1H_WIDE",
                                         "ANIM_ATTACK_1H_JAB",
                                         "ANIM_ATTACK_1H_DOWN",
                                         "ANIM_ATTACK_2H_DOWN",
                                         "ANIM_ATTACK_2H_WIDE",
                                         "ANIM_ATTACK_2H_JAB",
                                         "ANIM_WALK_WAR",
                                         "ANIM_CAST_DIR",
                                         "ANIM_CAST_AREA",
                                         "ANIM_ATTACK_BOW",
                                         "ANIM_ATTACK_XBOW",
                                         "ANIM_GET_HIT",
                                         "ANIM_DIE_BACK",
                                         "ANIM_DIE_FORWARD",
                                         "ANIM_HORSE_RIDE_SLOW",
                                         "ANIM_HORSE_RIDE_FAST",
                                         "ANIM_HORSE_STAND",
                                         "ANIM_HORSE_ATTACK",
                                         "ANIM_HORSE_ATTACK_BOW",
                                         "ANIM_HORSE_ATTACK_XBOW",
                                         "ANIM_HORSE_SLAP",
                                         "ANIM_TURN",
                                         "ANIM_ATTACK_UNARM",
                                         "ANIM_BOW",
                                         "ANIM_SALUTE",
                                         "ANIM_EAT",
                                         nullptr};
constexpr const char* kMonsterActions[] = {"ANIM_MON_WALK",
                                           "ANIM_MON_STAND",
                                           "ANIM_MON_DIE1",
                                           "ANIM_MON_DIE2",
                                           "ANIM_MON_ATTACK1",
                                           "ANIM_MON_ATTACK2",
                                           "ANIM_MON_ATTACK3",
                                           "ANIM_MON_MISC1",
                                           "ANIM_MON_MISC_ROLL",
                                           "unused 09",
                                           "ANIM_MON_STUMBLE",
                                           "ANIM_MON_MISC_STOMP",
                                           "ANIM_MON_MISC_BREATH",
                                           "ANIM_MON_GETHIT1",
                                           "unused 0e",
                                           "ANIM_MON_GETHIT2",
                                           "ANIM_MON_GETHIT3",
                                           "ANIM_MON_FIDGET1",
                                           "ANIM_MON_FIDGET2",
                                           "ANIM_MON_FLY",
                                           "ANIM_MON_LAND",
                                           "ANIM_MON_DIE_FLIGHT",
                                           nullptr};
constexpr const char* kAnimalActions[] = {
    "ANIM_ANI_WALK",    "ANIM_ANI_RUN",     "ANIM_ANI_STAND",   "ANIM_ANI_EAT",  "unused 04",
    "ANIM_ANI_ATTACK1", "ANIM_ANI_ATTACK2", "ANIM_ANI_ATTACK3", "ANIM_ANI_DIE1", "ANIM_ANI_FIDGET1",
    "ANIM_ANI_FIDGET2", "ANIM_ANI_SLEEP",   "ANIM_ANI_DIE2",    nullptr};
constexpr const char* kDirections[] = {"Down-SE", "DownLeft-S", "Left-SW", "UpLeft-W", "Up-NW"};

constexpr int kPlayPeriod = 250;  // milliseconds between frames
constexpr int kFootRow = 22;      // the frame's foot point sits 22 rows below its anchor

}  // namespace

// ---- the entry ----

std::string CDataDefAnim::GetListText() {
    return LengthText();
}

bool CDataDefAnim::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefAnim::ReadIndex() {
    return ReadBaseIndex(kSlotAnimIdx, GetAnimIndex(GetIndex(), 0, 3));
}

bool CDataDefAnim::AddPages(CDataProps* pSheet) {
    pSheet->AddPage(new CDataPageAnimDraw);
    pSheet->AddPage(new CDataPageScript);
    return true;
}

CTileAnimType& CDataDefAnim::GetFrames(std::int32_t action, std::int32_t direction) {
    // A frame set's slot is its record's distance from the body's first record: action x 5
    // plus the stored direction, with actions outside the body's range counted as action 0.
    const std::uint32_t entry = GetAnimIndex(GetIndex(), action, direction);
    const std::size_t slot = entry - GetAnimIndex(GetIndex(), 0, 3);
    std::unique_ptr<CTileAnimType>& frames = m_FrameSets.at(slot);
    if (!frames) {
        frames = std::make_unique<CTileAnimType>(entry);
    }
    return *frames;
}

namespace {

// The frame's top-left corner relative to the anchor: mirrored frames run from the centre to
// the right.
QPoint FrameOrigin(const AnimFrame& header, std::int32_t direction) {
    const std::int32_t width = header.m_nWidth;
    const std::int32_t height = header.m_nHeight;
    return QPoint(direction < 3 ? header.m_nCentreX - width : -header.m_nCentreX,
                  -(height + header.m_nCentreY) + kFootRow);
}

// A cleared buffer of width x height; false when it gets no memory.
bool ClearedBuffer(SurfaceBuffer& buffer, std::uint32_t width, std::uint32_t height) {
    if (!buffer.CreateBuffer(width, height, 4)) {
        if (buffer.GetData() == nullptr) {
            return false;
        }
        buffer.ClearBuffer();
    }
    return true;
}

}  // namespace

bool DrawAnimFrame(CTileAnimType& frames, std::uint32_t frame, std::int32_t direction,
                   SurfaceBuffer& buffer, QPoint* pOrigin, std::uint16_t hue) {
    const std::optional<AnimFrame> header = frames.GetFrame(frame);
    // A frame gets the pixel cap of every other picture: its size comes from the file.
    if (!header || header->m_nWidth == 0 || header->m_nHeight == 0 ||
        std::uint64_t{header->m_nWidth} * header->m_nHeight > kMaxPicturePixels) {
        buffer.Release();
        return false;
    }
    const QPoint origin = FrameOrigin(*header, direction);
    if (!ClearedBuffer(buffer, header->m_nWidth, header->m_nHeight)) {
        return false;
    }
    {
        CSurfaceDC dc(buffer);
        // The frame sets the hue number itself; UseHue gives it the colours.
        frames.Draw(dc, -origin.x(), -origin.y(), UseHue(dc, hue, false), frame, direction);
    }
    if (pOrigin != nullptr) {
        *pOrigin = origin;
    }
    return true;
}

bool DrawAnimSheet(CTileAnimType& frames, std::int32_t direction, SurfaceBuffer& buffer,
                   std::uint16_t hue) {
    buffer.Release();
    const std::uint32_t count = frames.GetFrameCount();
    // The box around the anchor that holds every frame.
    QRect box;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::optional<AnimFrame> header = frames.GetFrame(i);
        if (header && header->m_nWidth != 0 && header->m_nHeight != 0) {
            box |=
                QRect(FrameOrigin(*header, direction), QSize(header->m_nWidth, header->m_nHeight));
        }
    }
    const std::uint64_t cell = static_cast<std::uint64_t>(box.width());
    if (box.isEmpty() ||
        cell * count * static_cast<std::uint64_t>(box.height()) > kMaxPicturePixels ||
        !ClearedBuffer(buffer, static_cast<std::uint32_t>(cell * count),
                       static_cast<std::uint32_t>(box.height()))) {
        buffer.Release();
        return false;
    }
    CSurfaceDC dc(buffer);
    const std::uint16_t hueNumber = UseHue(dc, hue, false);
    for (std::uint32_t i = 0; i < count; ++i) {
        // The anchor of cell i.
        frames.Draw(dc, static_cast<std::int32_t>(i * cell) - box.left(), -box.top(), hueNumber, i,
                    direction);
    }
    return true;
}

bool CDataDefAnim::ExportData(const ExportOptions& options, CExportData& out) {
    CTileAnimType& frames = GetFrames(options.nAction, options.nDirection);
    if (!frames.EnsureLoaded()) {
        return false;
    }
    SurfaceBuffer buffer;
    if (!options.bFrames) {
        return DrawAnimSheet(frames, options.nDirection, buffer, options.nHue) &&
               out.AddPicture(buffer);
    }
    for (std::uint32_t i = 0; i < frames.GetFrameCount(); ++i) {
        // A frame without pixels has no picture; the others keep their numbers.
        if (DrawAnimFrame(frames, i, options.nDirection, buffer, nullptr, options.nHue)) {
            out.AddPicture(buffer, Format("-%02u", i));
        }
    }
    return !out.IsEmpty();
}

void CDataDefAnim::GetShownExportOptions(ExportOptions& options) {
    for (CDataProps* sheet : DataAppState().m_Sheets) {
        if (sheet->GetEntry() != this) {
            continue;
        }
        for (int i = 0; i < sheet->GetPageCount(); ++i) {
            if (auto* page = dynamic_cast<CDataPageAnimDraw*>(sheet->GetPage(i))) {
                options.nAction = page->m_nAction;
                options.nDirection = page->PageDirection();
                return;
            }
        }
    }
}

// ---- the page ----

CDataPageAnimDraw::CDataPageAnimDraw() : CDataPage(147, QStringLiteral("Anim")) {
    auto named = [this](auto* widget, int id) {
        widget->setObjectName(QString::number(id));
        return widget;
    };
    m_pAction = named(new QComboBox(this), 4033);
    m_pDir = named(new QComboBox(this), 4031);
    for (const char* name : kDirections) {
        m_pDir->addItem(QString::fromLatin1(name));
    }
    m_pFlip = named(new QCheckBox(QStringLiteral("Dir Flip"), this), 4082);
    m_pFrames = named(new QSlider(Qt::Horizontal, this), 4030);
    m_pFrames->setTickPosition(QSlider::TicksBelow);
    m_pFrames->setTickInterval(1);
    m_pFrames->setRange(0, 0);
    m_pFrameText = named(new QLabel(m_sFrame, this), 4081);
    m_pFrameText->setMinimumWidth(48);
    m_pPlay = named(new QCheckBox(QStringLiteral("Play"), this), 4032);
    auto* paste = named(new QPushButton(QStringLiteral("Paste"), this), 4034);
    auto* del = named(new QPushButton(QStringLiteral("Del"), this), 4035);
    paste->setEnabled(false);
    del->setEnabled(false);
    m_pCopy = named(new QPushButton(QStringLiteral("Copy"), this), 4079);
    m_pSizeBox = named(new QCheckBox(QStringLiteral("Size"), this), 4095);
    m_pMiddle = named(new QCheckBox(QStringLiteral("Middle"), this), 4096);
    m_pZoom = named(new QCheckBox(QStringLiteral("Zoom"), this), 4097);
    m_pZoom->setEnabled(false);
    m_pSizeText = named(new QLabel(m_sSize, this), 4091);
    m_pCentreText = named(new QLabel(m_sCentre, this), 4092);
    m_pHue = new CHueField(this);
    m_pArea = named(new QWidget(this), 4029);
    m_pArea->setAttribute(Qt::WA_OpaquePaintEvent);  // painted whole, never erased
    m_pArea->setMinimumSize(210, 185);
    m_pArea->installEventFilter(this);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Action"), this), 0, 0);
    grid->addWidget(m_pAction, 0, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Dir"), this), 1, 0);
    grid->addWidget(m_pDir, 1, 1);
    grid->addWidget(m_pFlip, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Frames"), this), 2, 0);
    grid->addWidget(m_pFrames, 2, 1, 1, 2);
    grid->addWidget(m_pFrameText, 2, 3);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{m_pPlay, paste, del, m_pCopy, m_pHue}) {
        buttons->addWidget(w);
    }
    buttons->addStretch(1);
    auto* texts = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{m_pSizeBox, m_pMiddle, m_pZoom}) {
        texts->addWidget(w);
    }
    texts->addSpacing(16);
    texts->addWidget(new QLabel(QStringLiteral("Size:"), this));
    texts->addWidget(m_pSizeText);
    texts->addSpacing(16);
    texts->addWidget(new QLabel(QStringLiteral("Centre:"), this));
    texts->addWidget(m_pCentreText);
    texts->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 7, 7, 7);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addLayout(texts);
    layout->addWidget(m_pArea, 1);

    connect(m_pAction, &QComboBox::currentIndexChanged, this, [this] { OnOptionChanged(); });
    connect(m_pDir, &QComboBox::currentIndexChanged, this, [this] { OnOptionChanged(); });
    for (QCheckBox* box : {m_pFlip, m_pSizeBox, m_pMiddle, m_pZoom}) {
        connect(box, &QCheckBox::toggled, this, [this] { OnOptionChanged(); });
    }
    connect(m_pPlay, &QCheckBox::toggled, this, [this](bool on) { OnPlayToggled(on); });
    connect(m_pFrames, &QSlider::valueChanged, this, [this](int value) {
        if (!m_bUpdating) {
            SetFrame(value);
        }
    });
    connect(m_pCopy, &QPushButton::clicked, this, [this] { OnCopy(); });
    connect(m_pHue, &CHueField::HueChanged, m_pArea, qOverload<>(&QWidget::update));
}

CDataDefAnim* CDataPageAnimDraw::GetAnim() {
    return dynamic_cast<CDataDefAnim*>(GetDataDef());
}

CTileAnimType* CDataPageAnimDraw::GetShownFrames() {
    CDataDefAnim* anim = GetAnim();
    if (anim == nullptr) {
        return nullptr;
    }
    try {
        CTileAnimType& frames = anim->GetFrames(m_nAction, PageDirection());
        return frames.EnsureLoaded() ? &frames : nullptr;
    } catch (...) {
        LogCaughtException("loading an animation");
        return nullptr;
    }
}

std::int32_t CDataPageAnimDraw::PageDirection() const {
    const std::int32_t d = m_nDirection + 3;
    return m_bFlip ? (d + 4) % 8 : d;
}

int CDataPageAnimDraw::LoadData() {
    CDataDefAnim* anim = GetAnim();
    if (anim == nullptr) {
        return 1;
    }
    const std::uint32_t body = anim->GetIndex();
    const char* const* names = body < 200   ? kMonsterActions
                               : body < 400 ? kAnimalActions
                                            : kHumanActions;
    m_bUpdating = true;
    m_pAction->clear();
    for (; *names != nullptr; ++names) {
        m_pAction->addItem(QString::fromLatin1(*names));
    }
    m_bUpdating = false;
    if (m_nAction >= m_pAction->count()) {
        m_nAction = 0;
    }
    RefreshRange();
    m_nFrame = -1;
    SetFrame(0);
    return CDataPage::LoadData();
}

void CDataPageAnimDraw::MembersToControls() {
    m_bUpdating = true;
    m_pAction->setCurrentIndex(m_nAction);
    m_pDir->setCurrentIndex(m_nDirection);
    m_pFlip->setChecked(m_bFlip);
    m_pFrames->setValue(std::max(m_nFrame, 0));
    m_pFrameText->setText(m_sFrame);
    m_pPlay->setChecked(m_bPlay);
    m_pSizeBox->setChecked(m_bSize);
    m_pMiddle->setChecked(m_bMiddle);
    m_pZoom->setChecked(m_bZoom);
    m_pSizeText->setText(m_sSize);
    m_pCentreText->setText(m_sCentre);
    m_bUpdating = false;
}

void CDataPageAnimDraw::ControlsToMembers() {
    m_nAction = std::max(m_pAction->currentIndex(), 0);
    m_nDirection = std::max(m_pDir->currentIndex(), 0);
    m_bFlip = m_pFlip->isChecked();
    m_bPlay = m_pPlay->isChecked();
    m_bSize = m_pSizeBox->isChecked();
    m_bMiddle = m_pMiddle->isChecked();
    m_bZoom = m_pZoom->isChecked();
}

int CDataPageAnimDraw::GetFrameCount() {
    CTileAnimType* frames = GetShownFrames();
    return frames != nullptr ? static_cast<int>(frames->GetFrameCount()) : 0;
}

void CDataPageAnimDraw::RefreshRange() {
    const int count = GetFrameCount();
    m_bUpdating = true;
    m_pFrames->setRange(0, std::max(count - 1, 0));
    m_bUpdating = false;
    if (m_nFrame >= count) {
        m_nFrame = 0;
    }
    update();
    m_pArea->update();
}

void CDataPageAnimDraw::OnOptionChanged() {
    if (m_bUpdating) {
        return;
    }
    ControlsToMembers();
    RefreshRange();
}

void CDataPageAnimDraw::SetFrame(int n) {
    if (n == m_nFrame) {
        return;
    }
    m_sSize.clear();
    m_sCentre.clear();
    int count = 0;
    std::optional<AnimFrame> header;
    if (CTileAnimType* frames = GetShownFrames()) {
        count = static_cast<int>(frames->GetFrameCount());
        if (n >= count || n < 0) {
            n = 0;
        }
        header = frames->GetFrame(static_cast<std::uint32_t>(n));
    } else {
        n = 0;
    }
    if (header) {
        m_sSize = QString::asprintf("%d,%d", header->m_nWidth, header->m_nHeight);
        m_sCentre = QString::asprintf("%d,%d", header->m_nCentreX, header->m_nCentreY);
        m_pArea->update();
    }
    m_nFrame = n;
    m_sFrame = QString::asprintf("%d/%d", n, count);
    MembersToControls();
}

void CDataPageAnimDraw::OnPlayToggled(bool bPlay) {
    if (m_bUpdating) {
        return;
    }
    m_bPlay = bPlay;
    if (bPlay) {
        m_Timer.start(kPlayPeriod, this);
    } else {
        m_Timer.stop();
    }
}

void CDataPageAnimDraw::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_Timer.timerId()) {
        OnTimer();
    } else {
        CDataPage::timerEvent(event);
    }
}

void CDataPageAnimDraw::OnTimer() {
    SetFrame(m_nFrame + 1);
}

void CDataPageAnimDraw::OnCopy() {
    CTileAnimType* frames = GetShownFrames();
    SurfaceBuffer buffer;
    if (frames != nullptr && m_nFrame >= 0 &&
        DrawAnimFrame(*frames, static_cast<std::uint32_t>(m_nFrame), PageDirection(), buffer,
                      nullptr, m_pHue->GetHue())) {
        PutPictureOnClipboard(buffer);
    }
}

bool CDataPageAnimDraw::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pArea && event->type() == QEvent::Paint) {
        PaintArea();
        return true;
    }
    return CDataPage::eventFilter(watched, event);
}

void CDataPageAnimDraw::PaintArea() {
    QPainter painter(m_pArea);
    const QRect area = m_pArea->rect();
    painter.fillRect(area, Qt::black);
    m_Buffer.Release();
    CTileAnimType* frames = GetShownFrames();
    if (frames == nullptr || m_nFrame < 0) {
        return;
    }
    QPoint origin;
    try {
        if (!DrawAnimFrame(*frames, static_cast<std::uint32_t>(m_nFrame), PageDirection(), m_Buffer,
                           &origin, m_pHue->GetHue())) {
            return;
        }
    } catch (...) {
        LogCaughtException("drawing an animation frame");
        return;
    }
    const QPoint anchor(area.width() / 2, area.height() / 2);
    m_FramePos = anchor + origin;
    DrawToDevice(m_Buffer, painter, m_FramePos.x(), m_FramePos.y());
    // Outlines in a dotted white line, as focus rectangles show on black.
    painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    if (m_bSize) {
        painter.drawRect(QRect(m_FramePos, QSize(static_cast<int>(m_Buffer.GetWidth()),
                                                 static_cast<int>(m_Buffer.GetHeight())))
                             .adjusted(0, 0, -1, -1));
    }
    if (m_bMiddle) {
        painter.drawRect(QRect(QPoint(anchor.x() - 22, anchor.y() - 1),
                               QPoint(anchor.x() + 22, anchor.y() + 1)));
        painter.drawRect(QRect(QPoint(anchor.x() - 1, anchor.y() - 22),
                               QPoint(anchor.x() + 1, anchor.y() + 22)));
    }
}

}  // namespace tessaly
