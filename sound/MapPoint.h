#pragma once
// A position on the game map, as used by the sound output's distance rule.

#include <algorithm>
#include <cstdint>
#include <cstdlib>

class CMapPoint {
public:
    CMapPoint() = default;
    CMapPoint(std::int16_t x, std::int16_t y, std::int8_t z = 0, std::uint8_t map = 0)
        : m_x(x), m_y(y), m_z(z), m_map(map) {}

    // Inside the map: 0 <= x < 6144, 0 <= y < 4096 and -127 < z < 127.
    bool IsValid() const {
        return m_x >= 0 && m_x < 6144 && m_y >= 0 && m_y < 4096 && m_z > -127 && m_z < 127;
    }
    // The larger of the column and row distances; altitude and map do not count.
    int GetDist(const CMapPoint& other) const {
        return std::max(std::abs(m_x - other.m_x), std::abs(m_y - other.m_y));
    }
    bool operator==(const CMapPoint& other) const = default;

    std::int16_t m_x = -1;
    std::int16_t m_y = -1;
    std::int8_t m_z = 0;
    std::uint8_t m_map = 0;
};
