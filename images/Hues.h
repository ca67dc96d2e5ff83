#pragma once
// Hues of "hues.mul" and of "verdata.mul" hue-group records.
//
// Hue entry, 88 bytes:      0 u16[32] colours   64 u16 table start   66 u16 table end
//                           68 char[20] name, zero-padded
// Group in "hues.mul":      0 u32 header, 4 eight entries of 88 bytes (708 bytes in all);
//                           the file is a plain sequence of groups
// Group in a patch record:  0 u32 header, 4 eight slots of 152 bytes whose first 88 bytes are
//                           the entry (1220 bytes in all); block number = group number

#include "Bytes.h"

#include <array>
#include <cstdint>
#include <string>

namespace tessaly {

class CClientFiles;
class CSurfaceDCData;
class CVerDataTable;

struct HueEntry {
    static constexpr std::size_t kSize = 88;
    static constexpr std::size_t kNameLength = 20;

    std::array<std::uint16_t, 32> m_Colours{};
    std::uint16_t m_wTableStart = 0;
    std::uint16_t m_wTableEnd = 0;
    char m_szName[kNameLength] = {};

    bool Read(ByteReader& in);
    void Write(ByteWriter& out) const;
    // The name, at most 20 characters (a full-width name has no terminating zero).
    std::string GetName() const;
    void SetName(const std::string& name);
    bool operator==(const HueEntry&) const = default;
};

struct HueGroup {
    static constexpr std::size_t kEntryCount = 8;  // hue n is entry n & 7 of group n >> 3
    static constexpr std::size_t kFileSize = 4 + 8 * HueEntry::kSize;  // 708
    static constexpr std::size_t kPatchSlotSize = 152;
    static constexpr std::size_t kPatchSize = 4 + 8 * kPatchSlotSize;  // 1220

    std::uint32_t m_dwHeader = 0;
    std::array<HueEntry, kEntryCount> m_Entries{};

    // Reads a group in the "hues.mul" layout. False when fewer than 708 bytes are given; the
    // entries that lie wholly inside the bytes are filled, the rest stay all zero.
    bool ReadFile(ByteSpan bytes);
    // Reads a group in the patch-record layout, looking at no more than its first 1220 bytes.
    bool ReadPatch(ByteSpan bytes);
    void WriteFile(ByteWriter& out) const;
    void WritePatch(ByteWriter& out) const;
};

// Hue number n: entry n & 7 of group n >> 3, taken from a "verdata.mul" record of file id 32
// for that group when the patch table has one (reading at most 1220 bytes of it), otherwise
// from "hues.mul". False, with an all-zero entry, when the group cannot be read.
bool ReadHue(std::uint32_t hue, HueEntry& entry, std::uint32_t* groupHeader = nullptr);
bool ReadHue(CClientFiles& files, CVerDataTable& table, std::uint32_t hue, HueEntry& entry,
             std::uint32_t* groupHeader = nullptr);

// Sets a surface up to draw in the client's hue number `hue` (1-based, the number the hue page
// shows as "Hue Index"; 0 = none): the colours of hue table entry hue - 1, the partial-hue flag
// (only grey pixels take the hue) and the hue itself. Answers the hue number now set: 0, and
// the surface plain, for hue 0, a number past the surface's 3000 or a hue that cannot be read.
std::uint16_t UseHue(CSurfaceDCData& surface, std::uint16_t hue, bool partial);

}  // namespace tessaly
