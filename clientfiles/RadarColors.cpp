#include "RadarColors.h"

#include "ClientFiles.h"
#include "EventLog.h"

namespace tessaly {

std::uint16_t GetRadarColor(std::uint32_t id) {
    return GetRadarColor(id, TheClientFiles());
}

std::uint16_t GetRadarColor(std::uint32_t id, CClientFiles& files) {
    if (!files.OpenSlot(kSlotRadarCol)) {
        return 0;
    }
    CQFile& file = files.GetFile(kSlotRadarCol);
    try {
        file.Seek(std::int64_t{id} * 2, CQFile::begin);
        std::uint8_t bytes[2];
        if (file.Read(bytes, 2) != 2) {
            return 0;
        }
        return LoadLE16(bytes);
    } catch (const CQFileException&) {
        LogCaughtException("reading a radar colour");
        return 0;
    }
}

std::uint64_t GetRadarColorCount(CClientFiles& files) {
    try {
        return files.OpenSlot(kSlotRadarCol) ? files.GetFile(kSlotRadarCol).GetLength() / 2 : 0;
    } catch (const CQFileException&) {
        return 0;
    }
}

}  // namespace tessaly
