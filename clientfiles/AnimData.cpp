#include "AnimData.h"

#include "ClientFiles.h"
#include "VerDataTable.h"

#include <algorithm>
#include <array>

namespace tessaly {

std::uint64_t AnimDataPosition(std::uint32_t item) {
    return std::uint64_t{item >> 3} * kAnimDataBlockSize + 4 + (item & 7u) * kAnimDataEntrySize;
}

std::optional<AnimDataEntry> ParseAnimDataEntry(std::uint32_t item, ByteSpan entry) {
    if (entry.size() < kAnimDataEntrySize) {
        return std::nullopt;
    }
    const std::size_t count = std::min<std::size_t>(entry[65], kAnimDataMaxFrames);
    AnimDataEntry result;
    result.frameInterval = entry[66];
    result.startInterval = entry[67];
    result.frames.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::int64_t frame = std::int64_t{item} + static_cast<std::int8_t>(entry[i]);
        if (frame >= 0) {
            result.frames.push_back(static_cast<std::uint32_t>(frame));
        }
    }
    if (result.frames.empty()) {
        return std::nullopt;
    }
    return result;
}

std::optional<AnimDataEntry> ReadAnimData(CClientFiles& files, std::uint32_t item) {
    std::int32_t slot = kSlotAnimData;
    std::uint64_t pos = AnimDataPosition(item);
    std::uint64_t end = 0;  // where the entry's stretch must end by
    IndexRecord patch;
    const bool patched = files.GetVerDataTable().FindRecord(kSlotAnimData, item >> 3, patch);
    if (patched) {
        // The record holds the block: the entry lies at its place in it, inside the record.
        slot = kSlotVerData;
        pos =
            std::uint64_t{patch.m_dwOffset} + (pos - std::uint64_t{item >> 3} * kAnimDataBlockSize);
        end = std::uint64_t{patch.m_dwOffset} + patch.GetLength();
    }
    if (!files.OpenSlot(slot)) {
        return std::nullopt;
    }
    CQFile& file = files.GetFile(slot);
    std::array<std::uint8_t, kAnimDataEntrySize> bytes{};
    try {
        const std::uint64_t length = file.GetLength();
        end = patched ? std::min(end, length) : length;
        if (pos + kAnimDataEntrySize > end) {
            return std::nullopt;
        }
        file.Seek(static_cast<std::int64_t>(pos), CQFile::begin);
        if (file.Read(bytes.data(), kAnimDataEntrySize) != kAnimDataEntrySize) {
            return std::nullopt;
        }
    } catch (const CQFileException&) {
        return std::nullopt;
    }
    return ParseAnimDataEntry(item, bytes);
}

}  // namespace tessaly
