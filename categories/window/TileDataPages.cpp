#include "TileDataPages.h"

#include "CDataDefItem.h"
#include "CDataDefTerrain.h"
#include "CDataDefTexture.h"
#include "CDataVerData.h"
#include "EventLog.h"
#include "RadarColors.h"
#include "Text.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace tessaly {

namespace {

constexpr int kLastPosition = static_cast<int>(kTileGroupSize) - 1;

constexpr std::uint32_t kBitA = 14;   // "E=A"
constexpr std::uint32_t kBitAn = 15;  // "F=AN"

const char* const kFieldLabels[6] = {"Weight", "Layer", "Height", "Val6", "Anim", "Val14"};

const char* ArticleOf(std::uint32_t flags) {
    if ((flags & (1u << kBitA)) != 0) {
        return "a";
    }
    return (flags & (1u << kBitAn)) != 0 ? "an" : "";
}

}  // namespace

CRadarFrame::CRadarFrame(QWidget* parent) : QFrame(parent) {
    setFixedSize(32, 16);
}

void CRadarFrame::SetColor(const QColor& color) {
    m_Color = color;
    update();
}

void CRadarFrame::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), m_Color);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

CDataPageTileData::CDataPageTileData() : CDataPage(112, QStringLiteral("TileData")) {
    m_pTitle = new QLabel(QStringLiteral("Name"), this);
    m_pTitle->setObjectName(QStringLiteral("4015"));
    m_pArticle = new QLabel(QStringLiteral("a"), this);
    m_pArticle->setObjectName(QStringLiteral("4003"));
    m_pName = new QLineEdit(this);
    m_pName->setObjectName(QStringLiteral("1032"));
    connect(m_pName, &QLineEdit::textEdited, this, [this] { OnChange(); });

    auto* flags = new QGridLayout;
    for (int bit = 0; bit < 32; ++bit) {
        auto* box = new QCheckBox(QString::fromLatin1(GetTileFlagLabel(bit)), this);
        box->setObjectName(QString::number(1000 + bit));
        flags->addWidget(box, bit % 16, bit / 16);
        if (bit == static_cast<int>(kBitA) || bit == static_cast<int>(kBitAn)) {
            connect(box, &QCheckBox::clicked, this, [this, bit] { OnArticleBit(bit); });
        } else {
            connect(box, &QCheckBox::clicked, this, [this] { OnChange(); });
        }
        m_Flags[static_cast<std::size_t>(bit)] = box;
    }

    auto* fields = new QGridLayout;
    for (std::size_t i = 0; i < m_Fields.size(); ++i) {
        m_FieldLabels[i] = new QLabel(QString::fromLatin1(kFieldLabels[i]), this);
        m_Fields[i] = new QLineEdit(this);
        m_Fields[i]->setObjectName(QString::number(1034 + static_cast<int>(i)));
        connect(m_Fields[i], &QLineEdit::textEdited, this, [this] { OnChange(); });
        fields->addWidget(m_FieldLabels[i], static_cast<int>(i), 0);
        fields->addWidget(m_Fields[i], static_cast<int>(i), 1);
    }
    m_pRadarLabel = new QLabel(QStringLiteral("Radar"), this);
    m_pRadarLabel->setObjectName(QStringLiteral("4100"));
    m_pRadar = new CRadarFrame(this);
    auto* radar = new QHBoxLayout;
    radar->addWidget(m_pRadarLabel);
    radar->addWidget(m_pRadar);
    radar->addStretch();
    fields->addLayout(radar, static_cast<int>(m_Fields.size()), 0, 1, 2);
    fields->setRowStretch(static_cast<int>(m_Fields.size()) + 1, 1);

    m_pScroll = new QScrollBar(Qt::Vertical, this);
    m_pScroll->setObjectName(QStringLiteral("4016"));
    m_pScroll->setRange(0, kLastPosition);
    m_pScroll->setSingleStep(1);
    m_pScroll->setPageStep(4);
    connect(m_pScroll, &QScrollBar::actionTriggered, this,
            [this](int action) { OnScrollAction(action); });

    auto* name = new QHBoxLayout;
    name->addWidget(m_pTitle);
    name->addWidget(m_pArticle);
    name->addWidget(m_pName, 1);
    auto* body = new QHBoxLayout;
    body->addLayout(flags, 2);
    body->addLayout(fields, 1);
    auto* left = new QVBoxLayout;
    left->addLayout(name);
    left->addLayout(body, 1);
    auto* page = new QHBoxLayout(this);
    page->addLayout(left, 1);
    page->addWidget(m_pScroll);
}

QColor CDataPageTileData::PixelToColor(std::uint16_t pixel) {
    return QColor(((pixel >> 10) & 0x1F) * 8, ((pixel >> 5) & 0x1F) * 8, (pixel & 0x1F) * 8);
}

int CDataPageTileData::LoadData() {
    CDataDef* entry = GetDataDef();
    std::uint32_t r = 0;
    bool bScroll = false;
    CTileItemInfo item;
    CTileTerrainInfo terrain;
    try {
        if (auto* group = dynamic_cast<CDataDefTileData*>(entry)) {
            r = group->GetIndex() * kTileGroupSize + static_cast<std::uint32_t>(m_nPos);
            const auto p = static_cast<std::uint32_t>(m_nPos);
            if (!group->ReadBlock() || r >= 2 * kArtItemBase ||
                !(r >= kArtItemBase ? group->GetItemRecord(p, item)
                                    : group->GetTerrainRecord(p, terrain))) {
                return 1;
            }
            bScroll = true;
        } else if (dynamic_cast<CDataDefItem*>(entry) != nullptr) {
            if (entry->GetIndex() >= kArtItemBase) {
                return 1;
            }
            r = entry->GetIndex() + kArtItemBase;
            item.ReadInfo(static_cast<std::int32_t>(entry->GetIndex()));
        } else if (dynamic_cast<CDataDefTerrain*>(entry) != nullptr ||
                   dynamic_cast<CDataDefTexture*>(entry) != nullptr) {
            if (entry->GetIndex() >= kArtItemBase) {
                return 1;
            }
            r = entry->GetIndex();
            terrain.ReadInfo(static_cast<std::uint16_t>(r));
        } else {
            return 1;
        }
    } catch (...) {
        LogCaughtException("reading a tile data record");
        return 1;
    }

    m_bItem = r >= kArtItemBase;
    m_wRadar = GetRadarColor(static_cast<std::uint16_t>(r));
    m_sTitle = QString::fromStdString(
        Format("%s 0%x", m_bItem ? "Item" : "Terrain", m_bItem ? r - kArtItemBase : r));
    if (m_bItem) {
        m_sName = QString::fromLatin1(item.GetName().c_str());
        m_dwFlags = item.m_dwFlags;
        m_nFields = {item.m_bWeight, item.m_bLayer, item.m_bHeight,
                     item.m_dwVal6,  item.m_dwAnim, item.m_wVal14};
    } else {
        m_sName = QString::fromLatin1(terrain.GetName().c_str());
        m_dwFlags = terrain.m_dwFlags;
        m_nFields = {};
    }
    for (std::size_t i = 0; i < m_Fields.size(); ++i) {
        m_Fields[i]->setVisible(m_bItem);
        m_FieldLabels[i]->setVisible(m_bItem);
    }
    m_pScroll->setVisible(bScroll);
    m_sArticle = QString::fromLatin1(ArticleOf(m_dwFlags));
    return CDataPage::LoadData();
}

void CDataPageTileData::MembersToControls() {
    m_pTitle->setText(m_sTitle);
    m_pArticle->setText(m_sArticle);
    m_pName->setText(m_sName);
    for (int bit = 0; bit < 32; ++bit) {
        m_Flags[static_cast<std::size_t>(bit)]->setChecked((m_dwFlags & (1u << bit)) != 0);
    }
    for (std::size_t i = 0; i < m_Fields.size(); ++i) {
        m_Fields[i]->setText(QString::number(m_nFields[i]));
    }
    m_pRadar->SetColor(PixelToColor(m_wRadar));
    m_bLoading = true;
    m_pScroll->setValue(m_nPos);
    m_bLoading = false;
}

void CDataPageTileData::ControlsToMembers() {
    m_sName = m_pName->text();
    m_dwFlags = 0;
    for (int bit = 0; bit < 32; ++bit) {
        if (m_Flags[static_cast<std::size_t>(bit)]->isChecked()) {
            m_dwFlags |= 1u << bit;
        }
    }
    for (std::size_t i = 0; i < m_Fields.size(); ++i) {
        bool ok = false;
        qint64 value = m_Fields[i]->text().trimmed().toLongLong(&ok);
        if (ok) {
            m_nFields[i] = value;
        }
    }
}

void CDataPageTileData::UpdateArticle() {
    m_sArticle = QString::fromLatin1(ArticleOf(m_dwFlags));
    MembersToControls();
}

void CDataPageTileData::OnArticleBit(int bit) {
    const std::uint32_t before = m_dwFlags;
    ControlsToMembers();
    const std::uint32_t mask = 1u << bit;
    const std::uint32_t other = 1u << (bit == static_cast<int>(kBitA) ? kBitAn : kBitA);
    // The bit toggles from its state before the click; the other article bit goes off.
    m_dwFlags = (m_dwFlags & ~(mask | other)) | ((before ^ mask) & mask);
    UpdateArticle();
    OnChange();
}

void CDataPageTileData::OnScroll(ScrollCode code, int nThumb) {
    int pos = m_nPos;
    switch (code) {
        case LineUp:
            pos -= 1;
            break;
        case LineDown:
            pos += 1;
            break;
        case PageUp:
            pos -= 4;
            break;
        case PageDown:
            pos += 4;
            break;
        case ThumbPosition:
        case ThumbTrack:
            pos = nThumb;
            break;
        case Top:
            pos = 0;
            break;
        case Bottom:
            break;
    }
    pos = std::clamp(pos, 0, kLastPosition);
    if (pos == m_nPos) {
        return;
    }
    m_nPos = pos;
    m_bLoading = true;
    m_pScroll->setValue(pos);
    m_bLoading = false;
    if (LoadData() == 0) {
        MembersToControls();
    }
}

void CDataPageTileData::OnScrollAction(int action) {
    if (m_bLoading) {
        return;
    }
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            OnScroll(LineUp);
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            OnScroll(LineDown);
            break;
        case QAbstractSlider::SliderPageStepSub:
            OnScroll(PageUp);
            break;
        case QAbstractSlider::SliderPageStepAdd:
            OnScroll(PageDown);
            break;
        case QAbstractSlider::SliderMove:
            OnScroll(ThumbTrack, m_pScroll->sliderPosition());
            break;
        case QAbstractSlider::SliderToMinimum:
            OnScroll(Top);
            break;
        default:
            OnScroll(Bottom);
            break;
    }
    // The slider's own move is replaced by the page's position (which reports a move again).
    m_bLoading = true;
    m_pScroll->setSliderPosition(m_nPos);
    m_bLoading = false;
}

}  // namespace tessaly
