#pragma once
// An event log that keeps every text written to it and stands in for the process's log while it
// lives.

#include "EventLog.h"

#include <string>
#include <vector>

namespace tessaly::test {

class CapturedLog : public CEventLog {
public:
    CapturedLog() : m_pPrevious(g_pEventLog) { g_pEventLog = this; }
    ~CapturedLog() override { g_pEventLog = m_pPrevious; }
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    std::int32_t LogText(std::int32_t level, const char* text) override {
        m_nLevel = level;
        m_Lines.emplace_back(text);
        return 42;
    }

    std::int32_t m_nLevel = 0;
    std::vector<std::string> m_Lines;

private:
    CEventLog* m_pPrevious;
};

}  // namespace tessaly::test
