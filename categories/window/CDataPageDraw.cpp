#include "CDataPageDraw.h"

#include "CDataDef.h"
#include "ControlIds.h"
#include "EventLog.h"
#include "MulBlock.h"
#include "SurfaceDevice.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
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

void DrawPageNotice(QPainter& painter, const QRect& area, const QString& text) {
    if (text.isEmpty()) {
        return;
    }
    painter.save();
    painter.setPen(QApplication::palette().color(QPalette::Text));
    painter.drawText(area.adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, text);
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

CDataPageDraw::CDataPageDraw(int nTemplate, const QString& title, int nPictureId, int nSizeId)
    : CDataPage(nTemplate, title) {
    m_pLayout = new QVBoxLayout(this);
    m_pLayout->setContentsMargins(7, 7, 7, 7);
    if (nSizeId != 0) {
        m_pTop = new QHBoxLayout;
        m_pTop->addWidget(new QLabel(QStringLiteral("Size:"), this));
        m_pSize = new QLabel(this);
        ids::SetControlId(m_pSize, nSizeId);
        m_pSize->setMinimumWidth(80);
        m_pTop->addWidget(m_pSize);
        m_pTop->addStretch(1);
        m_pLayout->addLayout(m_pTop);
    }
    m_pPicture = new CPictureFrame(nPictureId, this);
    m_pPicture->m_Paint = [this](QPainter& painter, const QRect& area) { Paint(painter, area); };
    m_pLayout->addWidget(m_pPicture, 1);
}

void CDataPageDraw::AddHueField() {
    m_pHue = new CHueField(this);
    connect(m_pHue, &CHueField::HueChanged, m_pPicture, qOverload<>(&QWidget::update));
    auto* copy = new QPushButton(QStringLiteral("Copy"), this);
    connect(copy, &QPushButton::clicked, this, [this] { OnCopy(); });
    m_pTop->addWidget(m_pHue);
    m_pTop->addWidget(copy);
}

std::uint16_t CDataPageDraw::GetHue() const {
    return m_pHue != nullptr ? m_pHue->GetHue() : 0;
}

void CDataPageDraw::OnCopy() {
    SurfaceBuffer buffer;
    try {
        ActivateEntryPatch();
        if (GetDataDef() != nullptr && DrawPicture(buffer, kNoLimit, kNoLimit)) {
            PutPictureOnClipboard(buffer);
        }
    } catch (...) {
        LogCaughtException("copying a picture");
    }
}

int CDataPageDraw::LoadData() {
    CDataDef* entry = GetDataDef();
    if (entry == nullptr || !Accepts(entry)) {
        return 1;
    }
    update();
    m_pPicture->update();
    if (m_pSize != nullptr) {
        if (entry->IsDeleted()) {
            m_sSize = QStringLiteral("deleted");
        } else if (QString text = SizeText(); !text.isEmpty()) {
            m_sSize = text;
        }
    }
    return CDataPage::LoadData();
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
    if (shown) {
        DrawToDevice(m_Buffer, painter, area.left(), area.top());
    } else {
        DrawPageNotice(painter, area, NoPictureText());
    }
    Painted(shown);
}

QString CDataPageDraw::NoPictureText() {
    CDataDef* entry = GetDataDef();
    if (entry == nullptr) {
        return QString();
    }
    if (entry->IsDeleted()) {
        return QStringLiteral("Deleted by a patch record");
    }
    ReadStatus status = ReadStatus::Ok;
    try {
        status = entry->GetReadStatus();
    } catch (...) {
        LogCaughtException("asking why a picture is missing");
        status = ReadStatus::Failed;
    }
    switch (status) {
        case ReadStatus::Absent:
            return QStringLiteral("No data");
        case ReadStatus::Damaged:
            return QStringLiteral("The entry's data is damaged");
        case ReadStatus::Failed:
            return QStringLiteral("The entry's data could not be read");
        case ReadStatus::Ok:
            break;
    }
    return QStringLiteral("No picture to draw");
}

}  // namespace tessaly
