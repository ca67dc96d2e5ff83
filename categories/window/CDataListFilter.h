#pragma once
// The text filter of a list: of all the rows a fill collects, keeps those whose text (the index
// as "%04x", the change mark or any field of the list text) contains the typed text, ignoring
// case. Typing waits a moment for the next key, then the rows are matched in short chunks from
// the event loop, so that even a list of 393,216 rows never blocks the window for long; the
// rows are shown once all are matched. Each entry makes its list text once and keeps it, so
// later filters only compare.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

namespace tessaly {

class CDataDef;

class CDataListFilter : public QObject {
    Q_OBJECT

public:
    // How long typing may pause before matching starts, and how long one chunk may run.
    static constexpr int kDebounceMs = 150;
    static constexpr int kChunkMs = 10;

    // `show` receives the rows to show, in the order of the rows given.
    explicit CDataListFilter(std::function<void(std::vector<CDataDef*>)> show,
                             QObject* parent = nullptr);

    // All the rows the list has; shows them (or, with a text, matches them at once, without
    // waiting for keys).
    void SetRows(std::vector<CDataDef*> rows);
    // The typed text; an empty one shows every row at once.
    void SetText(const QString& text);
    const QString& GetText() const { return m_sText; }
    // Matching is under way or due.
    bool IsBusy() const { return m_Debounce.isActive() || m_Chunk.isActive(); }
    // Matches what is left now, without returning to the event loop.
    void Finish();
    // Does at once what the next timer would: starts matching after the pause, or matches one
    // chunk. True while matching remains.
    bool Step();
    // Whether an entry's text contains the text (already in lower case).
    static bool Matches(CDataDef* entry, const std::string& lowerText);

private:
    void Start();
    // Matches rows until the chunk's time is up; shows the result after the last row.
    void RunChunk(qint64 budgetMs);

    std::function<void(std::vector<CDataDef*>)> m_Show;
    std::vector<CDataDef*> m_All;  // not owned
    std::vector<CDataDef*> m_Matched;
    std::size_t m_nNext = 0;
    QString m_sText;
    std::string m_sLower;      // the text in Latin-1 lower case
    std::string m_sLowerUtf8;  // the text in UTF-8, its ASCII letters lower case (client texts)
    QTimer m_Debounce;
    QTimer m_Chunk;
};

}  // namespace tessaly
