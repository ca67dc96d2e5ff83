#include "HuePages.h"

#include "CDataAppState.h"
#include "CDataPageDraw.h"
#include "CDataVerData.h"
#include "ControlIds.h"
#include "EventLog.h"
#include "Patch.h"
#include "PatchFormat.h"
#include "Text.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

namespace tessaly {

namespace {

constexpr int kCells = 32;

}  // namespace

// ---- the page ----

cDataPageHue::cDataPageHue() : CDataPage(149, QStringLiteral("Hue")) {
    m_Points.fill(kHueNoPoint);
    using ids::SetControlId;
    // The bar sits in a holder that sizes it to whole cells, so no column is left unpainted.
    m_pBarHolder = new QWidget(this);
    m_pBarHolder->setMinimumSize(kCells * 8 + 4, 48);
    m_pBarHolder->installEventFilter(this);
    m_pBar = new CPictureFrame(ids::IDC_HUE_BAR, m_pBarHolder);
    m_pBar->m_Paint = [this](QPainter& painter, const QRect& area) { PaintBar(painter, area); };
    m_pName = SetControlId(new QLineEdit(this), ids::IDC_HUE_NAME);
    m_pName->setMaxLength(static_cast<int>(HueEntry::kNameLength));
    // The file keeps a name as Latin-1 bytes: other characters are refused as they are typed
    // rather than written as '?'.
    m_pName->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x{1}-\\x{ff}]*")), m_pName));
    // Only the user's typing marks the page; filling the edit from the entry does not.
    connect(m_pName, &QLineEdit::textEdited, this, [this] { OnChange(); });
    m_pScroll = SetControlId(new QScrollBar(Qt::Vertical, this), ids::IDC_HUE_SCROLL);
    m_pScroll->setRange(0, 7);
    m_pScroll->setSingleStep(1);
    m_pScroll->setPageStep(4);
    m_pScroll->hide();
    connect(m_pScroll, &QScrollBar::valueChanged, this, [this](int pos) { OnVScroll(pos); });
    m_pIndex = SetControlId(new QLabel(this), ids::IDC_HUE_INDEX);
    m_pRange = SetControlId(new QLabel(this), ids::IDC_HUE_RANGE);
    m_pRangeCaption = new QLabel(QStringLiteral("Range:"), this);
    m_pHelp = new QLabel(QStringLiteral("Left click a cell to set its colour as a colour point "
                                        "(dotted); the cells between points are blended. Right "
                                        "click a cell to remove its point."),
                         this);
    m_pHelp->setObjectName(QStringLiteral("help"));
    m_pHelp->setWordWrap(true);

    m_pDamage = NewDamageLabel(this);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Hue Name"), this), 0, 0);
    fields->addWidget(m_pName, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("Hue Index"), this), 1, 0);
    fields->addWidget(m_pIndex, 1, 1);
    fields->addWidget(m_pRangeCaption, 2, 0);
    fields->addWidget(m_pRange, 2, 1);
    fields->setColumnStretch(1, 1);
    auto* left = new QVBoxLayout;
    left->addWidget(m_pDamage);
    left->addWidget(m_pBarHolder);
    left->addWidget(m_pHelp);
    left->addLayout(fields);
    left->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(7, 7, 7, 7);
    layout->addLayout(left, 1);
    layout->addWidget(m_pScroll);
}

void cDataPageHue::MembersToControls() {
    m_pName->setText(QString::fromLatin1(m_sName));
    m_pIndex->setText(QString::fromLatin1(m_sIndex));
    m_pRange->setText(QString::fromLatin1(m_sRange));
    m_pRange->setVisible(m_bGroupMode);
    m_pRangeCaption->setVisible(m_bGroupMode);
    const QSignalBlocker quiet(m_pScroll);
    m_pScroll->setValue(m_nScrollPos);
}

void cDataPageHue::ControlsToMembers() {
    m_sName = m_pName->text().toLatin1().toStdString();
}

int cDataPageHue::LoadData() {
    auto* hue = dynamic_cast<CDataDefHue*>(GetDataDef());
    if (hue == nullptr) {
        return 1;
    }
    // A "verdata.mul" hue record replaces a whole group: its target is the group's first hue.
    m_bGroupMode = dynamic_cast<CDataVerData*>(GetEntry()) != nullptr;
    const std::uint32_t group = hue->GetIndex() >> 3;
    std::uint32_t k = hue->GetIndex() & 7;
    if (m_bGroupMode) {
        m_pScroll->show();
        const QSignalBlocker quiet(m_pScroll);
        m_pScroll->setRange(0, 7);
        k = static_cast<std::uint32_t>(m_nScrollPos);
        m_sRange = Format("0%x to 0%x", group * 8 + 1, group * 8 + 8);
    } else {
        m_pScroll->hide();
        m_sRange.clear();
    }
    m_nHue = group * 8 + k;
    m_Points.fill(kHueNoPoint);
    // The page keeps its own copy: the entry reloads its hue from the file whenever its list
    // row is drawn, which would put the file's colours under a patched hue's edit.
    bool read = true;
    if (!FindPatchHue(DataAppState().m_pPatch, m_nHue, m_Hue)) {
        read = hue->LoadHue(m_nHue);
        m_Hue = hue->GetHue();
    }
    // A hue the file cannot give shows black: said so, as an edit of it still goes to the patch.
    SetDamageText(
        m_pDamage,
        read ? QString()
             : QStringLiteral("Damaged: \"hues.mul\" is missing or cannot give hue %1; its colours "
                              "show as black.")
                   .arg(m_nHue + 1, 4, 16, QLatin1Char('0')));
    m_sIndex = Format("%04x", m_nHue + 1);
    m_sName = m_Hue.GetName();
    MembersToControls();
    update();
    m_pBar->update();
    return CDataPage::LoadData();
}

int cDataPageHue::SaveData() {
    auto* hue = dynamic_cast<CDataDefHue*>(GetDataDef());
    CPatch* patch = DataAppState().m_pPatch;
    if (hue == nullptr || patch == nullptr) {
        return -1;
    }
    const HueEntry saved =
        MakeEditedHue(HueDisplayColours(m_Hue, m_Points), m_pName->text().toLatin1().toStdString());
    ByteWriter out;
    saved.Write(out);
    patch->InsertPatchRecord(out.take(), kPatchTypeHues, m_nHue);
    return CDataPage::SaveData();
}

HueColours cDataPageHue::GetDisplayedColours() {
    auto* hue = dynamic_cast<CDataDefHue*>(GetDataDef());
    if (hue == nullptr) {
        HueColours none;
        none.fill(kHueNoPoint);
        return none;
    }
    return HueDisplayColours(m_Hue, m_Points);
}

void cDataPageHue::PaintBar(QPainter& painter, const QRect& area) {
    if (GetEntry() == nullptr || dynamic_cast<CDataDefHue*>(GetDataDef()) == nullptr) {
        return;
    }
    const HueColours colours = GetDisplayedColours();
    const int cell = area.width() / kCells;
    for (int i = 0; i < kCells; ++i) {
        painter.fillRect(QRect(area.left() + i * cell, area.top(), cell, area.height()),
                         QColor::fromRgb(colours[static_cast<std::size_t>(i)]));
    }
    // A set colour point is marked with a white dot ringed in black.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    for (int i = 0; i < kCells; ++i) {
        if (m_Points[static_cast<std::size_t>(i)] != kHueNoPoint) {
            painter.drawEllipse(PointMark(area, i));
        }
    }
}

QRect cDataPageHue::PointMark(const QRect& area, int nCell) {
    const int cell = area.width() / kCells;
    const int dot = std::clamp(cell - 2, 3, 8);
    return {area.left() + nCell * cell + (cell - dot) / 2, area.bottom() - dot - 2, dot, dot};
}

int cDataPageHue::CellAt(const QPoint& p) const {
    const QRect area = m_pBar->contentsRect().translated(m_pBar->mapTo(this, QPoint(0, 0)));
    if (!area.contains(p) || area.width() <= 0) {
        return -1;
    }
    const int c = (p.x() - area.left()) * kCells / area.width();
    return c >= 0 && c < kCells ? c : -1;
}

bool cDataPageHue::OnLButtonDown(const QPoint& p) {
    const int c = CellAt(p);
    if (c < 0) {
        return false;
    }
    auto* hue = dynamic_cast<CDataDefHue*>(GetDataDef());
    if (hue == nullptr) {
        return true;
    }
    const auto cell = static_cast<std::size_t>(c);
    const std::uint32_t start =
        m_Points[cell] != kHueNoPoint ? m_Points[cell] : HueWordToRgb(m_Hue.m_Colours[cell]);
    if (const std::optional<std::uint32_t> chosen = DataAppState().Ui().ChooseColor(start)) {
        m_Points[cell] = *chosen & 0xFFFFFFu;
        SetModified(true);
        update();
        m_pBar->update();
    }
    return true;
}

bool cDataPageHue::OnRButtonDown(const QPoint& p) {
    const int c = CellAt(p);
    if (c < 0) {
        return false;
    }
    m_Points[static_cast<std::size_t>(c)] = kHueNoPoint;
    SetModified(true);
    update();
    m_pBar->update();
    return true;
}

void cDataPageHue::OnVScroll(int nPos) {
    nPos = std::clamp(nPos, 0, 7);
    if (nPos == m_nScrollPos) {
        return;
    }
    if (IsModified()) {
        // The points and name belong to the ramp being left: store them before they are
        // cleared, as applying the sheet would.
        try {
            ControlsToMembers();
            if (SaveData() == 0) {
                SetModified(false);
                CDataProps* sheet = GetSheet();
                bool pending = false;
                for (int i = 0; sheet != nullptr && i < sheet->GetPageCount(); ++i) {
                    pending = pending || sheet->GetPage(i)->IsModified();
                }
                if (sheet != nullptr && !pending) {
                    sheet->SetSheetModified(false);
                }
            }
        } catch (...) {
            LogCaughtException("storing a hue before scrolling");
        }
    }
    m_nScrollPos = nPos;
    {
        const QSignalBlocker quiet(m_pScroll);
        m_pScroll->setValue(nPos);
    }
    if (LoadData() != 0) {
        ForgetEntry();
    }
}

bool cDataPageHue::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pBarHolder && event->type() == QEvent::Resize) {
        const int frame = 2 * m_pBar->frameWidth();
        const int inner = std::max(0, m_pBarHolder->width() - frame) / kCells * kCells;
        const int width = inner + frame;
        m_pBar->setGeometry((m_pBarHolder->width() - width) / 2, 0, width, m_pBarHolder->height());
    }
    return CDataPage::eventFilter(watched, event);
}

void cDataPageHue::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    bool handled = false;
    if (event->button() == Qt::LeftButton) {
        handled = OnLButtonDown(p);
    } else if (event->button() == Qt::RightButton) {
        handled = OnRButtonDown(p);
    }
    if (!handled) {
        CDataPage::mousePressEvent(event);
    }
}

}  // namespace tessaly
