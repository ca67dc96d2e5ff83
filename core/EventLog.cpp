#include "EventLog.h"

#include <cstdio>
#include <cstring>

namespace tessaly {

namespace {
CEventLog s_EventLog;
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

}  // namespace tessaly
