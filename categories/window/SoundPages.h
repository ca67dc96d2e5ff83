#pragma once
// The "Sound" page of the Sounds category: the sound's name, duration and sample format, its
// waveform, and "Play"/"Stop".

#include "CDataDefSound.h"
#include "CDataProps.h"
#include "MulSound.h"

#include <vector>

class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;
class QRect;

namespace tessaly {

class CPictureFrame;

class CDataPageSound : public CDataPage {
    Q_OBJECT

public:
    CDataPageSound();

    // Reads the sound's name, duration and samples; 1 when the entry is no sound.
    int LoadData() override;
    // "Play" plays the sound as the list's "Play" does; "Stop" stops what is playing.
    void OnPlay();
    void OnStop();

    // The waveform of the last paint, one peak per column of the picture.
    const std::vector<SamplePeak>& GetPeaks() const { return m_Peaks; }
    // The sample bytes read by the last load.
    const std::vector<std::uint8_t>& GetSamples() const { return m_Samples; }
    // What the waveform area says when there are no samples ("No samples", or why: deleted,
    // damaged, unreadable).
    const QString& GetNoSamplesText() const { return m_sNoSamples; }

    QLineEdit* m_pName;      // 1034, read-only
    QLabel* m_pDuration;     // IDC_SOUND_DURATION
    QLabel* m_pFormat;       // IDC_SOUND_FORMAT
    CPictureFrame* m_pWave;  // IDC_SOUND_WAVE
    QPushButton* m_pPlay;    // IDC_SOUND_PLAY
    QPushButton* m_pStop;    // IDC_SOUND_STOP

private:
    void PaintWave(QPainter& painter, const QRect& area);

    std::vector<std::uint8_t> m_Samples;
    std::vector<SamplePeak> m_Peaks;
    QString m_sNoSamples;  // why there are no samples, shown in the waveform's place
};

}  // namespace tessaly
