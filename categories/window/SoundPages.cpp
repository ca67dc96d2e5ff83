#include "SoundPages.h"

#include "CDataPageDraw.h"
#include "ControlIds.h"
#include "EventLog.h"
#include "TarnSounds.h"
#include "Text.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

CDataPageSound::CDataPageSound() : CDataPage(137, QStringLiteral("Sound")) {
    using ids::SetControlId;
    m_pName = SetControlId(new QLineEdit(this), ids::IDC_SOUND_NAME);
    m_pName->setReadOnly(true);
    m_pDuration = SetControlId(new QLabel(this), ids::IDC_SOUND_DURATION);
    m_pFormat = SetControlId(new QLabel(this), ids::IDC_SOUND_FORMAT);
    m_pWave = new CPictureFrame(ids::IDC_SOUND_WAVE, this);
    m_pWave->setMinimumSize(200, 80);
    m_pWave->m_Paint = [this](QPainter& painter, const QRect& area) { PaintWave(painter, area); };
    m_pPlay = SetControlId(new QPushButton(QStringLiteral("Play"), this), ids::IDC_SOUND_PLAY);
    m_pStop = SetControlId(new QPushButton(QStringLiteral("Stop"), this), ids::IDC_SOUND_STOP);
    connect(m_pPlay, &QPushButton::clicked, this, [this] { OnPlay(); });
    connect(m_pStop, &QPushButton::clicked, this, [this] { OnStop(); });

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Sound Name"), this), 0, 0);
    fields->addWidget(m_pName, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("Duration"), this), 1, 0);
    fields->addWidget(m_pDuration, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("Format"), this), 2, 0);
    fields->addWidget(m_pFormat, 2, 1);
    fields->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pPlay);
    buttons->addWidget(m_pStop);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_pWave, 1);
    layout->addLayout(buttons);
}

int CDataPageSound::LoadData() {
    auto* sound = dynamic_cast<CDataDefSound*>(GetDataDef());
    if (sound == nullptr) {
        return 1;
    }
    m_Samples.clear();
    m_Peaks.clear();
    // The samples that play: a change made in memory has its own, a deletion none.
    CMulSound block(static_cast<std::uint16_t>(sound->GetIndex()));
    try {
        if (sound->IsValid() && !sound->IsDeleted() && sound->LoadEntryBlock(block)) {
            const ByteSpan samples = block.GetSamples();
            m_Samples.assign(samples.begin(), samples.end());
        }
    } catch (...) {
        LogCaughtException("reading a sound's samples");
    }
    m_pName->setText(QString::fromLatin1(sound->GetName()));
    m_sNoSamples = NoDataText(*sound);
    if (m_sNoSamples.isEmpty()) {
        m_sNoSamples = QStringLiteral("No samples");
    }
    if (!sound->IsValid() || sound->IsDeleted()) {
        m_pDuration->setText(QStringLiteral("No data"));
    } else if (sound->QueryReadStatus("asking whether a sound is damaged") == ReadStatus::Damaged) {
        m_pDuration->setText(QStringLiteral("? (the sound's data is damaged)"));
    } else {
        m_pDuration->setText(QString::fromStdString(Format(
            "%s (%zu bytes of samples)", sound->GetDurationText().c_str(), m_Samples.size())));
    }
    const WaveFormat format;
    m_pFormat->setText(QString::fromStdString(Format(
        "PCM, %u bits, %u channels, %u Hz", static_cast<unsigned>(format.wBitsPerSample),
        static_cast<unsigned>(format.nChannels), static_cast<unsigned>(format.nSamplesPerSec))));
    m_pPlay->setEnabled(!m_Samples.empty());
    m_pWave->update();
    return CDataPage::LoadData();
}

void CDataPageSound::OnPlay() {
    if (auto* sound = dynamic_cast<CDataDefSound*>(GetDataDef())) {
        ActivateEntryPatch();
        sound->Play();
    }
}

void CDataPageSound::OnStop() {
    TheSounds().StopAll();
}

void CDataPageSound::PaintWave(QPainter& painter, const QRect& area) {
    painter.fillRect(area, palette().base());
    if (m_Samples.empty()) {
        m_Peaks.clear();
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(area, Qt::AlignCenter, m_sNoSamples);
        return;
    }
    // One peak per column: the work follows the picture's width, not the sound's length.
    const auto columns = static_cast<std::size_t>(std::max(0, area.width()));
    if (m_Peaks.size() != columns) {
        m_Peaks = SamplePeaks(m_Samples, columns);
    }
    const int middle = area.top() + area.height() / 2;
    const double scale = (area.height() - 1) / 65536.0;
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(area.left(), middle, area.right(), middle);
    painter.setPen(palette().color(QPalette::Highlight));
    for (std::size_t x = 0; x < m_Peaks.size(); ++x) {
        const int px = area.left() + static_cast<int>(x);
        painter.drawLine(px, middle - static_cast<int>(m_Peaks[x].nHigh * scale), px,
                         middle - static_cast<int>(m_Peaks[x].nLow * scale));
    }
}

}  // namespace tessaly
