#include "TileDataPages.h"

#include "CDataAppState.h"
#include "CDataDefItem.h"
#include "CDataDefTerrain.h"
#include "CDataDefTexture.h"
#include "CDataVerData.h"
#include "CVerDataEdits.h"
#include "ControlIds.h"
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

// The label of field i as the layout names it.
QString FieldLabel(TileDataLayout layout, std::size_t i) {
    return QString::fromLatin1(GetTileItemFields(layout)[i].label);
}

const char* ArticleOf(std::uint64_t flags) {
    if ((flags & (1ull << kBitA)) != 0) {
        return "a";
    }
    return (flags & (1ull << kBitAn)) != 0 ? "an" : "";
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
    ids::SetControlId(m_pTitle, ids::IDC_TILE_TITLE);
    m_pArticle = new QLabel(QStringLiteral("a"), this);
    ids::SetControlId(m_pArticle, ids::IDC_TILE_ARTICLE);
    m_pName = new QLineEdit(this);
    ids::SetControlId(m_pName, ids::IDC_TILE_NAME);
    connect(m_pName, &QLineEdit::textEdited, this, [this] { OnEdit(); });

    auto* flags = new QGridLayout;
    for (int bit = 0; bit < 64; ++bit) {
        // The upper 32 bits have no names: their number in hexadecimal.
        auto* box = new QCheckBox(bit < 32 ? QString::fromLatin1(GetTileFlagLabel(bit))
                                           : QString::number(bit, 16).toUpper(),
                                  this);
        ids::SetControlId(
            box, bit < 32 ? ids::IDC_TILE_FLAG_FIRST + bit : ids::IDC_TILE_FLAG_UPPER + bit);
        box->setVisible(bit < 32);
        flags->addWidget(box, bit % 16, bit / 16);
        if (bit == static_cast<int>(kBitA) || bit == static_cast<int>(kBitAn)) {
            connect(box, &QCheckBox::clicked, this, [this, bit] { OnArticleBit(bit); });
        } else {
            connect(box, &QCheckBox::clicked, this, [this] { OnEdit(); });
        }
        m_Flags[static_cast<std::size_t>(bit)] = box;
    }

    auto* fields = new QGridLayout;
    for (std::size_t i = 0; i < m_Fields.size(); ++i) {
        m_FieldLabels[i] = new QLabel(
            FieldLabel(i < kOldFieldCount ? TileDataLayout::Old : TileDataLayout::Newer, i), this);
        m_Fields[i] = new QLineEdit(this);
        ids::SetControlId(m_Fields[i], ids::IDC_TILE_FIELD_FIRST + static_cast<int>(i));
        connect(m_Fields[i], &QLineEdit::textEdited, this, [this] { OnEdit(); });
        fields->addWidget(m_FieldLabels[i], static_cast<int>(i), 0);
        fields->addWidget(m_Fields[i], static_cast<int>(i), 1);
    }
    m_pRadarLabel = new QLabel(QStringLiteral("Radar"), this);
    ids::SetControlId(m_pRadarLabel, ids::IDC_TILE_RADAR);
    m_pRadar = new CRadarFrame(this);
    auto* radar = new QHBoxLayout;
    radar->addWidget(m_pRadarLabel);
    radar->addWidget(m_pRadar);
    radar->addStretch();
    fields->addLayout(radar, static_cast<int>(m_Fields.size()), 0, 1, 2);
    fields->setRowStretch(static_cast<int>(m_Fields.size()) + 1, 1);

    m_pScroll = new QScrollBar(Qt::Vertical, this);
    ids::SetControlId(m_pScroll, ids::IDC_TILE_SCROLL);
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
    m_pNote = new QLabel(this);
    m_pNote->setWordWrap(true);
    m_pNote->hide();
    auto* left = new QVBoxLayout;
    left->addLayout(name);
    left->addLayout(body, 1);
    left->addWidget(m_pNote);
    auto* page = new QHBoxLayout(this);
    page->addLayout(left, 1);
    page->addWidget(m_pScroll);
}

QColor CDataPageTileData::PixelToColor(std::uint16_t pixel) {
    return QColor(((pixel >> 10) & 0x1F) * 8, ((pixel >> 5) & 0x1F) * 8, (pixel & 0x1F) * 8);
}

int CDataPageTileData::LoadData() {
    const int result = LoadRecord();
    // Without a record the page says so, rather than showing empty fields that look like one.
    const bool shown = result == 0;
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_pArticle, m_pName, m_pRadarLabel, m_pRadar}) {
        w->setVisible(shown);
    }
    for (std::size_t bit = 0; bit < m_Flags.size(); ++bit) {
        m_Flags[bit]->setVisible(shown && (bit < 32 || m_bNewer));
    }
    if (!shown) {
        for (std::size_t i = 0; i < m_Fields.size(); ++i) {
            m_Fields[i]->hide();
            m_FieldLabels[i]->hide();
        }
        m_pScroll->hide();
        m_pTitle->setText(QStringLiteral("No record"));
        m_pNote->setText(QStringLiteral("This entry has no tile data record that can be read."));
        m_pNote->show();
    }
    return result;
}

int CDataPageTileData::LoadRecord() {
    CDataDef* entry = GetDataDef();
    std::uint32_t r = 0;
    bool bScroll = false;
    CTileItemInfo item;
    CTileTerrainInfo terrain;
    std::string note;
    TileDataShape shape;
    try {
        shape = GetTileDataShape(entry->Files());
        const auto firstMulti = static_cast<std::uint32_t>(shape.FirstMultiItem());
        auto* group = dynamic_cast<CDataDefTileData*>(entry);
        std::unique_ptr<CDataDefTileData> read;
        if (group != nullptr) {
            r = group->GetIndex() * kTileGroupSize + static_cast<std::uint32_t>(m_nPos);
            bScroll = true;
        } else if (dynamic_cast<CDataDefItem*>(entry) != nullptr) {
            if (entry->GetIndex() >= firstMulti) {
                return 1;
            }
            r = entry->GetIndex() + kArtItemBase;
        } else if (dynamic_cast<CDataDefTerrain*>(entry) != nullptr ||
                   dynamic_cast<CDataDefTexture*>(entry) != nullptr) {
            if (entry->GetIndex() >= kArtItemBase) {
                return 1;
            }
            r = entry->GetIndex();
        } else {
            return 1;
        }
        // An item or terrain shows its group as the document does, changes made in memory too.
        if (group == nullptr) {
            if (CPatchDocument* doc = DataAppState().FindDocument(m_pEntry)) {
                read = ReadTileGroup(r / kTileGroupSize, &doc->GetRecords());
                if (!read) {
                    return 1;
                }
                group = read.get();
            }
        }
        const std::uint32_t p = r % kTileGroupSize;
        if (group == nullptr) {
            // No document: the base files and the patch table answer.
            if (r >= kArtItemBase) {
                item.ReadInfo(static_cast<std::int32_t>(r - kArtItemBase));
            } else {
                terrain.ReadInfo(static_cast<std::uint16_t>(r));
            }
        } else {
            if (!group->ReadBlock() || r >= kArtItemBase + firstMulti ||
                !(r >= kArtItemBase ? group->GetItemRecord(p, item)
                                    : group->GetTerrainRecord(p, terrain))) {
                return 1;
            }
            note = group->GetPatchNote();
        }
    } catch (...) {
        LogCaughtException("reading a tile data record");
        return 1;
    }

    m_nRecord = r;
    m_bItem = r >= kArtItemBase;
    m_bNewer = shape.layout == TileDataLayout::Newer;
    m_wRadar = GetRadarColor(r);
    m_sTitle = QString::fromStdString(
        Format("%s 0%x", m_bItem ? "Item" : "Terrain", m_bItem ? r - kArtItemBase : r));
    m_sNote = QString::fromStdString(note);
    if (m_bItem) {
        m_sName = QString::fromLatin1(item.GetName().c_str());
        m_qwFlags = item.m_dwFlags | (std::uint64_t{item.m_dwFlagsHigh} << 32);
        const std::array<std::uint32_t, kFieldCount> values = item.GetFields(shape.layout);
        std::copy(values.begin(), values.end(), m_nFields.begin());
    } else {
        m_sName = QString::fromLatin1(terrain.GetName().c_str());
        m_qwFlags = terrain.m_dwFlags | (std::uint64_t{terrain.m_dwFlagsHigh} << 32);
        m_nFields = {};
    }
    for (std::size_t i = 0; i < m_Fields.size(); ++i) {
        const bool shown = m_bItem && (m_bNewer || i < kOldFieldCount);
        m_Fields[i]->setVisible(shown);
        m_FieldLabels[i]->setVisible(shown);
        if (i < kOldFieldCount) {
            m_FieldLabels[i]->setText(FieldLabel(shape.layout, i));
        }
    }
    m_pNote->setVisible(!note.empty());
    m_pScroll->setVisible(bScroll);
    m_pScroll->setEnabled(true);
    m_sArticle = QString::fromLatin1(ArticleOf(m_qwFlags));
    m_sLoadedName = m_sName;
    m_qwLoadedFlags = m_qwFlags;
    m_nLoadedFields = m_nFields;
    return CDataPage::LoadData();
}

int CDataPageTileData::SaveData() {
    CShellUi& ui = DataAppState().Ui();
    CPatchDocument* doc = DataAppState().FindDocument(m_pEntry);
    if (doc == nullptr) {
        ui.ShowMessage("No patch document is open to keep the edit.");
        return 1;
    }
    TileRecordChange change;
    if (m_sName != m_sLoadedName) {
        const QByteArray name = m_sName.toLatin1();
        if (QString::fromLatin1(name) != m_sName) {
            ui.ShowMessage(kTileNameLatin1Message);
            return 1;
        }
        change.name = name.toStdString();
    }
    if (m_qwFlags != m_qwLoadedFlags) {
        change.flags = m_qwFlags;
    }
    const TileDataLayout layout = m_bNewer ? TileDataLayout::Newer : TileDataLayout::Old;
    const std::span<const TileItemField> fields = GetTileItemFields(layout);
    for (std::size_t i = 0; m_bItem && i < fields.size(); ++i) {
        const QString text = m_Fields[i]->text().trimmed();
        bool ok = false;
        const qulonglong value = text.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)
                                     ? text.mid(2).toULongLong(&ok, 16)
                                     : text.toULongLong(&ok, 10);
        if (!ok) {
            ui.ShowMessage(
                Format("%s: '%s' is not a number.", fields[i].label, text.toStdString().c_str()));
            return 1;
        }
        if (static_cast<qint64>(value) != m_nLoadedFields[i]) {
            change.fields[i] = value;
        }
    }
    EntryEdit edit = EditTileRecord(m_bItem, m_bItem ? m_nRecord - kArtItemBase : m_nRecord, change,
                                    &doc->GetRecords());
    if (!edit.pChange) {
        ui.ShowMessage(edit.sMessage);
        return 1;
    }
    // The change makes the document's lists again, which first asks "Save ?" on modified
    // sheets: this one's edit is being kept.
    SetModified(false);
    if (GetSheet() != nullptr) {
        GetSheet()->SetSheetModified(false);
    }
    if (!doc->ApplyChange(std::move(edit.pChange))) {
        SetModified(true);
        return 1;
    }
    return 0;
}

void CDataPageTileData::MembersToControls() {
    m_pTitle->setText(m_sTitle);
    m_pArticle->setText(m_sArticle);
    m_pName->setText(m_sName);
    m_pNote->setText(m_sNote);
    for (std::size_t bit = 0; bit < m_Flags.size(); ++bit) {
        m_Flags[bit]->setChecked((m_qwFlags & (std::uint64_t{1} << bit)) != 0);
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
    m_qwFlags = 0;
    for (std::size_t bit = 0; bit < m_Flags.size(); ++bit) {
        if (m_Flags[bit]->isChecked()) {
            m_qwFlags |= std::uint64_t{1} << bit;
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
    m_sArticle = QString::fromLatin1(ArticleOf(m_qwFlags));
    MembersToControls();
}

void CDataPageTileData::OnArticleBit(int bit) {
    const std::uint64_t before = m_qwFlags;
    ControlsToMembers();
    const std::uint64_t mask = std::uint64_t{1} << bit;
    const std::uint64_t other = std::uint64_t{1}
                                << (bit == static_cast<int>(kBitA) ? kBitAn : kBitA);
    // The bit toggles from its state before the click; the other article bit goes off.
    m_qwFlags = (m_qwFlags & ~(mask | other)) | ((before ^ mask) & mask);
    UpdateArticle();
    OnEdit();
}

void CDataPageTileData::OnEdit() {
    OnChange();
    // The page holds one record's edit: it is applied or cancelled before another is shown.
    m_pScroll->setEnabled(false);
}

void CDataPageTileData::OnScroll(ScrollCode code, int nThumb) {
    // No record shown (a group past the file's end), or one with an edit pending, which a move
    // would drop.
    if (GetDataDef() == nullptr || IsModified()) {
        return;
    }
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
