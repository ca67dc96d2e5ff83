#include "EntryPicture.h"

#include "EntryReader.h"
#include "EventLog.h"
#include "MulBlock.h"
#include "TarnError.h"

#include <algorithm>
#include <string_view>

namespace tessaly {

bool MakePicture(SurfaceBuffer& buffer, std::uint32_t width, std::uint32_t height,
                 std::uint32_t maxWidth, std::uint32_t maxHeight,
                 const std::function<bool(CSurfaceDC&)>& draw) {
    width = std::min(width, maxWidth);
    height = std::min(height, maxHeight);
    if (!IsShowableSize(width, height)) {
        buffer.Release();
        return false;
    }
    if (!buffer.CreateBuffer(width, height, 4)) {
        if (buffer.GetData() == nullptr) {
            return false;  // no memory
        }
        buffer.ClearBuffer();  // the same size again: reuse the memory
    }
    CSurfaceDC dc(buffer);
    return draw(dc);
}

ReadStatus LoadBlockLogged(CMulBlockType& block) {
    try {
        return block.EnsureLoaded() ? ReadStatus::Ok : ReadStatus::Absent;
    } catch (const CTarnError& e) {
        // Damage is the entry's state, which its read status says: not logged.
        if (std::string_view(e.m_pszDescription) == kDamagedEntry) {
            return ReadStatus::Damaged;
        }
        LogCaughtException("loading an entry's data");
    } catch (...) {
        LogCaughtException("loading an entry's data");
    }
    return ReadStatus::Failed;
}

}  // namespace tessaly
