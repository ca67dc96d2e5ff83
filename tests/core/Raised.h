#pragma once
// What a call raises as a CTarnError, to compare whole: priority, code and description.

#include "TarnError.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace tessaly::test {

struct Raised {
    std::int32_t nPriority = -1;  // -1: nothing raised
    std::int32_t nCode = 0;
    std::string sDescription;
    bool operator==(const Raised&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Raised& r) {
    return os << "priority " << r.nPriority << ", code " << r.nCode << ", '" << r.sDescription
              << "'";
}

template <typename Call>
Raised RaisedBy(Call&& call) {
    try {
        call();
    } catch (const CTarnError& e) {
        return {e.m_nPriority, e.m_nCode, e.m_pszDescription};
    }
    return {};
}

}  // namespace tessaly::test
