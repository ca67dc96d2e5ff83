#include "Hues.h"

#include "ClientFiles.h"
#include "EventLog.h"
#include "Surface.h"
#include "VerDataTable.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tessaly {

bool HueEntry::Read(ByteReader& in) {
    if (!in.has(kSize)) {
        return false;
    }
    for (std::uint16_t& colour : m_Colours) {
        in.u16(colour);
    }
    in.u16(m_wTableStart);
    in.u16(m_wTableEnd);
    return in.copy(m_szName, kNameLength);
}

void HueEntry::Write(ByteWriter& out) const {
    for (std::uint16_t colour : m_Colours) {
        out.u16(colour);
    }
    out.u16(m_wTableStart).u16(m_wTableEnd);
    out.text(std::string_view(m_szName, strnlen(m_szName, kNameLength)), kNameLength);
}

std::string HueEntry::GetName() const {
    return std::string(m_szName, strnlen(m_szName, kNameLength));
}

void HueEntry::SetName(const std::string& name) {
    std::memset(m_szName, 0, kNameLength);
    std::memcpy(m_szName, name.data(), std::min(name.size(), kNameLength));
}

namespace {
// Reads the header and the eight entries spaced `stride` bytes apart.
bool ReadGroup(HueGroup& group, ByteSpan bytes, std::size_t stride, std::size_t size) {
    group = HueGroup{};
    bytes = bytes.first(std::min(bytes.size(), size));
    ByteReader in(bytes);
    if (!in.u32(group.m_dwHeader)) {
        return false;
    }
    for (std::size_t i = 0; i < group.m_Entries.size(); ++i) {
        ByteReader slot(bytes, 4 + i * stride);
        if (!group.m_Entries[i].Read(slot)) {
            group.m_Entries[i] = HueEntry{};
        }
    }
    return bytes.size() == size;
}
}  // namespace

bool HueGroup::ReadFile(ByteSpan bytes) {
    return ReadGroup(*this, bytes, HueEntry::kSize, kFileSize);
}

bool HueGroup::ReadPatch(ByteSpan bytes) {
    return ReadGroup(*this, bytes, kPatchSlotSize, kPatchSize);
}

void HueGroup::WriteFile(ByteWriter& out) const {
    out.u32(m_dwHeader);
    for (const HueEntry& e : m_Entries) {
        e.Write(out);
    }
}

void HueGroup::WritePatch(ByteWriter& out) const {
    out.u32(m_dwHeader);
    for (const HueEntry& e : m_Entries) {
        e.Write(out);
        out.zeros(kPatchSlotSize - HueEntry::kSize);
    }
}

bool ReadHue(std::uint32_t hue, HueEntry& entry, std::uint32_t* groupHeader) {
    return ReadHue(TheClientFiles(), TheVerDataTable(), hue, entry, groupHeader);
}

bool ReadHue(CClientFiles& files, CVerDataTable& table, std::uint32_t hue, HueEntry& entry,
             std::uint32_t* groupHeader) {
    const std::uint32_t group = hue >> 3;
    entry = HueEntry{};
    if (groupHeader != nullptr) {
        *groupHeader = 0;
    }
    HueGroup decoded;
    IndexRecord record;
    bool ok = false;
    try {
        if (table.FindRecord(kSlotHues, group, record)) {
            // Only the defined 1220 bytes are read, however long the record says it is.
            const std::uint32_t length =
                std::min<std::uint32_t>(record.GetLength(), HueGroup::kPatchSize);
            record.m_dwLength = length | IndexRecord::kPatchBit;
            std::vector<std::uint8_t> bytes(length);
            ok = files.ReadData(kSlotHues, record, bytes) && decoded.ReadPatch(bytes);
        } else {
            // The group's header and its entries up to this hue: a file cut inside a group
            // still gives the hues it holds whole.
            const auto need = static_cast<std::uint32_t>(4 + ((hue & 7) + 1) * HueEntry::kSize);
            record.m_dwOffset = group * static_cast<std::uint32_t>(HueGroup::kFileSize);
            record.m_dwLength = need;
            std::vector<std::uint8_t> bytes(need);
            ok = static_cast<std::uint64_t>(group) * HueGroup::kFileSize <= 0xFFFFFFFFu &&
                 files.ReadData(kSlotHues, record, bytes);
            if (ok) {
                decoded.ReadFile(bytes);  // false for a part of a group: its entries are read
            }
        }
    } catch (...) {
        LogCaughtException("reading a hue group");
        ok = false;  // a read error leaves the hue empty, as an unreadable group does
    }
    if (!ok) {
        return false;
    }
    entry = decoded.m_Entries[hue & 7];
    if (groupHeader != nullptr) {
        *groupHeader = decoded.m_dwHeader;
    }
    return true;
}

std::uint16_t UseHue(CSurfaceDCData& surface, std::uint16_t hue, bool partial) {
    HueEntry entry;
    if (hue == 0 || hue > 3000 || !ReadHue(hue - 1u, entry)) {
        hue = 0;
    }
    surface.SetHueRamp(entry.m_Colours);
    surface.SetPartialHue(partial && hue != 0);
    surface.SetHue(hue);
    return hue;
}

}  // namespace tessaly
