#include "TarnError.h"

#include "Text.h"

#include <algorithm>
#include <cstring>

namespace tessaly {

std::string GetSystemErrorText(std::int32_t code) {
    // The platform message table, reduced to the codes the program raises. Texts end in a
    // line break, as the platform's do; GetErrorMessage removes it.
    switch (static_cast<std::uint32_t>(code)) {
        case 0x80004005u:
            return "Unspecified error\r\n";
        case 0x8007000Eu:
            return "Not enough storage is available to complete this operation.\r\n";
        case 0x80070057u:
            return "The parameter is incorrect.\r\n";
        default:
            return std::string();
    }
}

bool CTarnError::GetErrorMessage(char* buffer, std::uint32_t maxLength,
                                 std::uint32_t* /*helpContext*/) const {
    std::string message = GetErrorMessage();
    if (buffer != nullptr && maxLength > 0) {
        std::size_t n = std::min<std::size_t>(message.size(), maxLength - 1);
        std::memcpy(buffer, message.data(), n);
        buffer[n] = '\0';
    }
    return true;
}

std::string CTarnError::GetErrorMessage() const {
    const char* description = m_pszDescription != nullptr ? m_pszDescription : "";
    std::string text;
    if (m_nCode != 0) {
        text = GetSystemErrorText(m_nCode);
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
            text.pop_back();
        }
    }
    if (!text.empty()) {
        return Format("Error Pri=%d, Code=%d(%s), Desc='%s'", m_nPriority, m_nCode, text.c_str(),
                      description);
    }
    return Format("Error Pri=%d, Code=%d, Desc='%s'", m_nPriority, m_nCode, description);
}

}  // namespace tessaly
