#include "AnimPages.h"

#include "CDataAppState.h"
#include "CDataPageDraw.h"
#include "CDataPageScript.h"
#include "ControlIds.h"
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

constexpr int kPlayPeriod = static_cast<int>(kAnimFramePeriodMs);  // milliseconds between frames

}  // namespace

// ---- the page ----

CDataPageAnimDraw::CDataPageAnimDraw() : CDataPage(147, QStringLiteral("Anim")) {
    using ids::SetControlId;
    m_pAction = SetControlId(new QComboBox(this), ids::IDC_ANIM_ACTION);
    m_pDir = SetControlId(new QComboBox(this), ids::IDC_ANIM_DIRECTION);
    for (const char* name : kDirections) {
        m_pDir->addItem(QString::fromLatin1(name));
    }
    m_pFlip = SetControlId(new QCheckBox(QStringLiteral("Dir Flip"), this), ids::IDC_ANIM_FLIP);
    m_pFrames = SetControlId(new QSlider(Qt::Horizontal, this), ids::IDC_ANIM_FRAMES);
    m_pFrames->setTickPosition(QSlider::TicksBelow);
    m_pFrames->setTickInterval(1);
    m_pFrames->setRange(0, 0);
    m_pFrameText = SetControlId(new QLabel(m_sFrame, this), ids::IDC_ANIM_FRAME_TEXT);
    m_pFrameText->setMinimumWidth(48);
    m_pPlay = SetControlId(new QCheckBox(QStringLiteral("Play"), this), ids::IDC_ANIM_PLAY);
    auto* paste = SetControlId(new QPushButton(QStringLiteral("Paste"), this), ids::IDC_ANIM_PASTE);
    auto* del = SetControlId(new QPushButton(QStringLiteral("Del"), this), ids::IDC_ANIM_DELETE);
    // Greyed, saying why: the frames of an animation are shown, not edited.
    paste->setEnabled(false);
    paste->setToolTip(QStringLiteral("Not available: animation frames are not replaced"));
    del->setEnabled(false);
    del->setToolTip(QStringLiteral("Not available: animation frames are not deleted"));
    m_pCopy = SetControlId(new QPushButton(QStringLiteral("Copy"), this), ids::IDC_ANIM_COPY);
    m_pSizeBox = SetControlId(new QCheckBox(QStringLiteral("Size"), this), ids::IDC_ANIM_SIZE);
    m_pMiddle = SetControlId(new QCheckBox(QStringLiteral("Middle"), this), ids::IDC_ANIM_MIDDLE);
    m_pZoom = SetControlId(new QCheckBox(QStringLiteral("Zoom"), this), ids::IDC_ANIM_ZOOM);
    m_pZoom->setEnabled(false);
    m_pZoom->setToolTip(QStringLiteral("Not available: frames are drawn at their own size"));
    m_pSizeText = SetControlId(new QLabel(m_sSize, this), ids::IDC_ANIM_SIZE_TEXT);
    m_pCentreText = SetControlId(new QLabel(m_sCentre, this), ids::IDC_ANIM_CENTRE_TEXT);
    m_pHue = new CHueField(this);
    m_pArea = SetControlId(new QWidget(this), ids::IDC_ANIM_AREA);
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

CTileAnimType* CDataPageAnimDraw::GetShownFrames(ReadStatus* status) {
    CDataDefAnim* anim = GetAnim();
    ReadStatus read = ReadStatus::Absent;
    if (anim != nullptr) {
        try {
            read = anim->LoadFrames(m_nAction, PageDirection());
        } catch (...) {
            LogCaughtException("loading an animation");
            read = ReadStatus::Failed;
        }
    }
    if (status != nullptr) {
        *status = read;
    }
    return read == ReadStatus::Ok ? &anim->GetFrames(m_nAction, PageDirection()) : nullptr;
}

QString CDataPageAnimDraw::NoFrameText() {
    ReadStatus status = ReadStatus::Absent;
    CTileAnimType* frames = GetShownFrames(&status);
    return NoFrameText(frames, status);
}

QString CDataPageAnimDraw::NoFrameText(CTileAnimType* frames, ReadStatus status) {
    switch (status) {
        case ReadStatus::Damaged:
            return QStringLiteral("The frames of this action are damaged");
        case ReadStatus::Failed:
            return QStringLiteral("The frames of this action could not be read");
        case ReadStatus::Absent:
            return QStringLiteral("This action has no frames");
        case ReadStatus::Ok:
            break;
    }
    const std::optional<AnimFrame> header =
        m_nFrame >= 0 ? frames->GetFrame(static_cast<std::uint32_t>(m_nFrame)) : std::nullopt;
    if (!header || header->m_nWidth == 0 || header->m_nHeight == 0) {
        return QStringLiteral("This frame has no pixels");
    }
    if (!IsShowableSize(header->m_nWidth, header->m_nHeight)) {
        return QStringLiteral("This frame is %1 x %2 pixels, larger than a picture may be")
            .arg(header->m_nWidth)
            .arg(header->m_nHeight);
    }
    return QString();
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
    // The action names of the block's shape: a slot's class need not follow its body number.
    const AnimClass cls = anim->GetClass();
    const char* const* names = cls == AnimClass::High  ? kMonsterActions
                               : cls == AnimClass::Low ? kAnimalActions
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
    // The texts follow the frames now shown (and are cleared for an action without frames).
    const int frame = m_nFrame >= 0 && m_nFrame < count ? m_nFrame : 0;
    m_nFrame = -1;
    SetFrame(frame);
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
    // Copy takes the frame shown: none without one.
    m_pCopy->setEnabled(header && header->m_nWidth != 0 && header->m_nHeight != 0 &&
                        IsShowableSize(header->m_nWidth, header->m_nHeight));
    MembersToControls();
}

bool CDataPageAnimDraw::GetShownExportOptions(ExportOptions& options) {
    options.nAction = m_nAction;
    options.nDirection = PageDirection();
    options.nHue = m_pHue->GetHue();
    return true;
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
    ReadStatus status = ReadStatus::Absent;
    CTileAnimType* frames = GetShownFrames(&status);
    QPoint origin;
    try {
        if (frames == nullptr || m_nFrame < 0 ||
            !DrawAnimFrame(*frames, static_cast<std::uint32_t>(m_nFrame), PageDirection(), m_Buffer,
                           &origin, m_pHue->GetHue())) {
            DrawPageNotice(painter, area, NoFrameText(frames, status),
                           Qt::white);  // on the black area
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
