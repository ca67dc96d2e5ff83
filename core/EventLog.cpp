#include "EventLog.h"

#include "TarnError.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace tessaly {

namespace {
CEventLog s_EventLog;

// Writes the process log's last count when the process ends; declared after s_EventLog, so it
// is destroyed first.
struct RepeatsAtExit {
    ~RepeatsAtExit() { s_EventLog.WriteRepeats(); }
} s_RepeatsAtExit;
}  // namespace

CEventLog* g_pEventLog = &s_EventLog;

std::int32_t CEventLog::LogText(std::int32_t /*level*/, const char* text) {
    std::fputs(text != nullptr ? text : "", stderr);
    return 0;
}

std::int32_t CEventLog::LogTextV(std::int32_t level, const char* format, va_list args) {
    char buffer[1024];
    int n = std::vsnprintf(buffer, sizeof buffer, format != nullptr ? format : "", args);
    if (n <= 0) {
        // Nothing formatted (or the format was rejected): log the format itself.
        std::snprintf(buffer, sizeof buffer, "%s", format != nullptr ? format : "");
    }
    return LogText(level, buffer);
}

std::int32_t CEventLog::LogError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::int32_t result = LogTextV(3, format, args);
    va_end(args);
    return result;
}

void CEventLog::LogRepeatable(const char* operation, const std::string& line) {
    std::lock_guard<std::mutex> lock(m_RepeatMutex);
    if (line == m_sLastLine) {
        ++m_nRepeats;
        return;
    }
    WriteRepeatsLocked();
    m_sLastLine = line;
    m_sLastOperation = operation;
    LogText(3, line.c_str());
}

void CEventLog::WriteRepeats() {
    std::lock_guard<std::mutex> lock(m_RepeatMutex);
    WriteRepeatsLocked();
}

void CEventLog::WriteRepeatsLocked() {
    if (m_nRepeats > 0) {
        LogError("tessaly: %s: %zu more time%s, as above\n", m_sLastOperation.c_str(), m_nRepeats,
                 m_nRepeats == 1 ? "" : "s");
    }
    m_nRepeats = 0;
}

std::string CaughtExceptionText(bool brief) {
    std::string what = "no exception";
    if (std::exception_ptr caught = std::current_exception()) {
        try {
            std::rethrow_exception(caught);
        } catch (const CTarnError& e) {
            what =
                brief && e.m_pszDescription != nullptr ? e.m_pszDescription : e.GetErrorMessage();
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {
            what = "an exception of unknown type";
        }
    }
    return what;
}

void LogCaughtException(const char* operation) {
    g_pEventLog->LogRepeatable(
        operation, "tessaly: " + std::string(operation) + ": " + CaughtExceptionText() + "\n");
}

}  // namespace tessaly
