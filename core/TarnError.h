#pragma once
// The one error value the data layer raises: priority, code and a fixed description.

#include <cstdint>
#include <string>

namespace tessaly {

// The generic failure result code used by data-file errors.
inline constexpr std::int32_t kE_FAIL = static_cast<std::int32_t>(0x80004005u);

// Thrown by value. The description always points at a string literal of the raising code, so
// copies share it and nothing frees it.
class CTarnError {
public:
    CTarnError(std::int32_t priority, std::int32_t code, const char* description)
        : m_nPriority(priority), m_nCode(code), m_pszDescription(description) {}
    virtual ~CTarnError() = default;

    // Writes the one-line message into buffer (cut to maxLength including the terminating zero;
    // nothing is written when maxLength is 0) and returns true. helpContext is not touched.
    //   with a system text for the code: "Error Pri=%d, Code=%d(%s), Desc='%s'"
    //   otherwise:                       "Error Pri=%d, Code=%d, Desc='%s'"
    virtual bool GetErrorMessage(char* buffer, std::uint32_t maxLength,
                                 std::uint32_t* helpContext = nullptr) const;

    // The same message as a string.
    std::string GetErrorMessage() const;

    std::int32_t m_nPriority;
    std::int32_t m_nCode;
    const char* m_pszDescription;
};

// The system's text for a result code, or an empty string when the code has none. Only codes
// the program raises are known (E_FAIL is "Unspecified error").
std::string GetSystemErrorText(std::int32_t code);

}  // namespace tessaly
