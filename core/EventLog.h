#pragma once
// Diagnostic text sink. The process-wide log writes to standard error (the debugger output
// channel of this platform), text unchanged and without an added line break.

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace tessaly {

class CEventLog {
public:
    virtual ~CEventLog() = default;

    // Sends text unchanged to the diagnostic channel; the level is not used. Returns 0.
    virtual std::int32_t LogText(std::int32_t level, const char* text);
    // Formats into a 1024-character buffer; when that yields no characters the format itself
    // is logged. Passes the result to LogText through the virtual table.
    virtual std::int32_t LogTextV(std::int32_t level, const char* format, va_list args);

    // LogTextV with level 3.
    std::int32_t LogError(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Logs a line of an operation that may fail once per entry of a damaged file: a line equal
    // to the one before it is counted instead of written, and the count ("tessaly: OPERATION: N
    // more times, as above") is written before the next different line or by WriteRepeats.
    void LogRepeatable(const char* operation, const std::string& line);
    void WriteRepeats();

private:
    void WriteRepeatsLocked();

    std::mutex m_RepeatMutex;
    std::string m_sLastLine;
    std::string m_sLastOperation;
    std::size_t m_nRepeats = 0;
};

// The log in use; points at the process-wide instance for the whole run and is never reset.
extern CEventLog* g_pEventLog;

// For catch handlers that fall back without looking at what they caught: logs one line naming
// the operation and the exception in flight ("tessaly: reading a skill: <text>"), the text being
// a CTarnError's message or a standard exception's what(). Call it only inside a handler.
void LogCaughtException(const char* operation);
// The text of the exception in flight, as LogCaughtException logs it; with `brief`, a
// CTarnError's description alone (for a message to the user). Call it only inside a handler.
std::string CaughtExceptionText(bool brief = false);

}  // namespace tessaly
