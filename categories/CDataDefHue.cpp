#include "CDataDefHue.h"

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
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace tessaly {

namespace {

constexpr int kCells = 32;
constexpr std::size_t kSavedNameLength = HueEntry::kNameLength - 1;  // room for a zero
constexpr std::uint16_t kTableEndStep = 0x0421;

int Channel(std::uint32_t rgb, int shift) {
    return static_cast<int>((rgb >> shift) & 0xFFu);
}

// a / b rounded to the nearest integer, halves away from zero (b > 0).
int RoundedQuotient(int a, int b) {
    return a >= 0 ? (2 * a + b) / (2 * b) : -((-2 * a + b) / (2 * b));
}

}  // namespace

// ---- the entry ----

std::string CDataDefHue::GetListText() {
    LoadHue(GetIndex());
    return Format("0%x -> 0%x\t%s", m_Hue.m_wTableStart, m_Hue.m_wTableEnd,
                  m_Hue.GetName().c_str());
}

bool CDataDefHue::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;  // hues are edited into the ".pat" patch, never into "verdata.mul"
}

bool CDataDefHue::IsValid() {
    return true;
}

bool CDataDefHue::ReadIndex() {
    return true;  // "hues.mul" has no index file
}

bool CDataDefHue::AddPages(CDataProps* pSheet) {
    pSheet->AddPage(new cDataPageHue);
    return true;
}

bool CDataDefHue::LoadHue(std::uint32_t n) {
    return ReadHue(n, m_Hue);
}

bool FindPatchHue(const CPatch* pPatch, std::uint32_t n, HueEntry& hue) {
    if (pPatch == nullptr) {
        return false;
    }
    const std::optional<std::vector<std::uint8_t>> data =
        pPatch->FindPatchRecord(kPatchTypeHues, n);
    if (!data || data->size() != kPatchHueSize) {
        return false;
    }
    ByteReader in(*data);
    return hue.Read(in);
}

// ---- colours ----

std::uint32_t HueWordToRgb(std::uint16_t w) {
    const std::uint32_t red = ((w >> 10) & 31u) * 8;
    const std::uint32_t green = ((w >> 5) & 31u) * 8;
    const std::uint32_t blue = (w & 31u) * 8;
    return (red << 16) | (green << 8) | blue;
}

std::uint16_t RgbToHueWord(std::uint32_t rgb) {
    const auto red = static_cast<std::uint32_t>(Channel(rgb, 16) / 8);
    const auto green = static_cast<std::uint32_t>(Channel(rgb, 8) / 8);
    const auto blue = static_cast<std::uint32_t>(Channel(rgb, 0) / 8);
    return static_cast<std::uint16_t>((red << 10) | (green << 5) | blue);
}

HueColours HueDisplayColours(const HueEntry& hue, HueColours& points) {
    HueColours colours{};
    const bool anySet =
        std::any_of(points.begin(), points.end(), [](std::uint32_t p) { return p != kHueNoPoint; });
    if (!anySet) {
        for (int i = 0; i < kCells; ++i) {
            colours[static_cast<std::size_t>(i)] = HueWordToRgb(hue.m_Colours[i]);
        }
        return colours;
    }
    if (points[0] == kHueNoPoint) {
        points[0] = HueWordToRgb(hue.m_Colours[0]);
    }
    if (points[kCells - 1] == kHueNoPoint) {
        points[kCells - 1] = HueWordToRgb(hue.m_Colours[kCells - 1]);
    }
    std::size_t last = 0;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        if (points[i] == kHueNoPoint) {
            continue;
        }
        colours[i] = points[i];
        const int span = static_cast<int>(i - last);
        for (std::size_t j = last + 1; j < i; ++j) {
            const int step = static_cast<int>(j - last);
            std::uint32_t blended = 0;
            for (int shift : {16, 8, 0}) {
                const int from = Channel(points[last], shift);
                const int to = Channel(points[i], shift);
                const int value = from + RoundedQuotient(step * (to - from), span);
                blended |= static_cast<std::uint32_t>(value) << shift;
            }
            colours[j] = blended;
        }
        last = i;
    }
    return colours;
}

HueEntry MakeEditedHue(const HueColours& colours, const std::string& name) {
    HueEntry hue;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        hue.m_Colours[i] = RgbToHueWord(colours[i]);
    }
    hue.m_wTableStart = hue.m_Colours[0];
    hue.m_wTableEnd = static_cast<std::uint16_t>(hue.m_Colours[kCells - 1] + kTableEndStep);
    hue.SetName(name.substr(0, std::min(name.size(), kSavedNameLength)));
    return hue;
}

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
    m_pName = SetControlId(new QLineEdit(this), 4038);
    m_pName->setMaxLength(static_cast<int>(HueEntry::kNameLength));
    // Only the user's typing marks the page; filling the edit from the entry does not.
    connect(m_pName, &QLineEdit::textEdited, this, [this] { OnChange(); });
    m_pScroll = SetControlId(new QScrollBar(Qt::Vertical, this), 4039);
    m_pScroll->setRange(0, 7);
    m_pScroll->setSingleStep(1);
    m_pScroll->setPageStep(4);
    m_pScroll->hide();
    connect(m_pScroll, &QScrollBar::valueChanged, this, [this](int pos) { OnVScroll(pos); });
    m_pIndex = SetControlId(new QLabel(this), 4040);
    m_pRange = SetControlId(new QLabel(this), 4083);
    m_pRangeCaption = new QLabel(QStringLiteral("Range:"), this);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Hue Name"), this), 0, 0);
    fields->addWidget(m_pName, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("Hue Index"), this), 1, 0);
    fields->addWidget(m_pIndex, 1, 1);
    fields->addWidget(m_pRangeCaption, 2, 0);
    fields->addWidget(m_pRange, 2, 1);
    fields->setColumnStretch(1, 1);
    auto* left = new QVBoxLayout;
    left->addWidget(m_pBarHolder);
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
    // A "verdata.mul" hue record replaces a whole group: its target's index is a group number.
    m_bGroupMode = dynamic_cast<CDataVerData*>(GetEntry()) != nullptr;
    std::uint32_t group = hue->GetIndex() >> 3;
    std::uint32_t k = hue->GetIndex() & 7;
    if (m_bGroupMode) {
        m_pScroll->show();
        const QSignalBlocker quiet(m_pScroll);
        m_pScroll->setRange(0, 7);
        group = hue->GetIndex();
        k = static_cast<std::uint32_t>(m_nScrollPos);
        m_sRange = Format("0%x to 0%x", group * 8 + 1, group * 8 + 8);
    } else {
        m_pScroll->hide();
        m_sRange.clear();
    }
    m_nHue = group * 8 + k;
    m_Points.fill(kHueNoPoint);
    if (!FindPatchHue(DataAppState().m_pPatch, m_nHue, hue->GetHue())) {
        hue->LoadHue(m_nHue);
    }
    m_sIndex = Format("%04x", m_nHue + 1);
    m_sName = hue->GetHue().GetName();
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
    const HueEntry saved = MakeEditedHue(HueDisplayColours(hue->GetHue(), m_Points),
                                         m_pName->text().toLatin1().toStdString());
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
    return HueDisplayColours(hue->GetHue(), m_Points);
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
    const std::uint32_t start = m_Points[cell] != kHueNoPoint
                                    ? m_Points[cell]
                                    : HueWordToRgb(hue->GetHue().m_Colours[cell]);
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
