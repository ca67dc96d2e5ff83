#include "CDataListFilter.h"

#include "CDataDef.h"
#include "Text.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace tessaly {

CDataListFilter::CDataListFilter(std::function<void(std::vector<CDataDef*>)> show, QObject* parent)
    : QObject(parent), m_Show(std::move(show)) {
    m_Debounce.setSingleShot(true);
    // A coarse timer may fire a few milliseconds early; the pause is meant as stated.
    m_Debounce.setTimerType(Qt::PreciseTimer);
    m_Debounce.setInterval(kDebounceMs);
    connect(&m_Debounce, &QTimer::timeout, this, [this] { Start(); });
    m_Chunk.setInterval(0);
    connect(&m_Chunk, &QTimer::timeout, this, [this] { RunChunk(kChunkMs); });
}

void CDataListFilter::SetRows(std::vector<CDataDef*> rows) {
    m_All = std::move(rows);
    m_Debounce.stop();
    Start();
}

void CDataListFilter::SetText(const QString& text) {
    if (text == m_sText) {
        return;
    }
    m_sText = text;
    m_sLower = Latin1Lower(text.toLatin1().toStdString());
    m_sLowerUtf8 = Latin1Lower(text.toUtf8().toStdString());
    m_Chunk.stop();
    if (m_sLower.empty()) {
        m_Debounce.stop();
        Start();
    } else {
        m_Debounce.start();
    }
}

void CDataListFilter::Start() {
    m_Chunk.stop();
    m_Matched.clear();
    m_nNext = 0;
    if (m_sLower.empty()) {
        m_Show(m_All);
        return;
    }
    m_Chunk.start();
}

void CDataListFilter::Finish() {
    if (m_Debounce.isActive()) {
        m_Debounce.stop();
        Start();
    }
    if (m_Chunk.isActive()) {
        RunChunk(std::numeric_limits<qint64>::max());
    }
}

bool CDataListFilter::Step() {
    if (m_Debounce.isActive()) {
        m_Debounce.stop();
        Start();
    } else if (m_Chunk.isActive()) {
        RunChunk(kChunkMs);
    }
    return IsBusy();
}

void CDataListFilter::RunChunk(qint64 budgetMs) {
    QElapsedTimer clock;
    clock.start();
    // The clock is read every few hundred rows; a row takes well under a microsecond.
    constexpr std::size_t kRowsPerLook = 256;
    while (m_nNext < m_All.size()) {
        const std::size_t end = std::min(m_All.size(), m_nNext + kRowsPerLook);
        for (; m_nNext < end; ++m_nNext) {
            // The client's texts (the rows without a file slot) are UTF-8: their bytes are
            // compared with the typed text's UTF-8 bytes, lowered as the rows' bytes are.
            const DataTypeDef* row = m_All[m_nNext]->GetRow();
            const bool utf8 = row != nullptr && row->m_nDataFile == kNoFile;
            if (Matches(m_All[m_nNext], utf8 ? m_sLowerUtf8 : m_sLower)) {
                m_Matched.push_back(m_All[m_nNext]);
            }
        }
        if (clock.elapsed() >= budgetMs) {
            return;  // the timer runs the next chunk
        }
    }
    m_Chunk.stop();
    m_Show(std::move(m_Matched));
    m_Matched.clear();
}

bool CDataListFilter::Matches(CDataDef* entry, const std::string& lowerText) {
    char index[16];
    std::snprintf(index, sizeof index, "%04x", entry->GetIndex());
    if (ContainsLatin1NoCase(index, lowerText) ||
        ContainsLatin1NoCase(entry->GetColumnText(-1), lowerText)) {
        return true;
    }
    for (int column = 0; column < CDataDef::kMaxColumns; ++column) {
        const char* text = entry->GetColumnText(column);
        if (text == nullptr) {
            return false;
        }
        if (ContainsLatin1NoCase(text, lowerText)) {
            return true;
        }
    }
    return false;
}

}  // namespace tessaly
