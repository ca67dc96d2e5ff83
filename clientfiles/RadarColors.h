#pragma once
// Radar colours of "radarcol.mul" (slot 17): one 16-bit colour per tile id, terrain t at index
// t, item n at index n + 16384. Not looked up in the patch table. A current client's file holds
// colours of items past 0xBFFF, so an index is wider than 16 bits.

#include <cstdint>

namespace tessaly {

class CClientFiles;

// The colour of tile id i, or 0 when it cannot be read (file closed, id beyond the file).
std::uint16_t GetRadarColor(std::uint32_t id);
std::uint16_t GetRadarColor(std::uint32_t id, CClientFiles& files);
// The number of colours the file holds (0 when it does not open).
std::uint64_t GetRadarColorCount(CClientFiles& files);

}  // namespace tessaly
