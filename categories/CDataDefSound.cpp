#include "CDataDefSound.h"

#include "CDataProps.h"
#include "EventLog.h"
#include "Text.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace tessaly {

std::string CDataDefSound::GetListText() {
    if (!IsValid()) {
        return "unused";
    }
    // The first 32 bytes of a sound hold its name.
    std::string name = "Unk";
    char head[32] = {};
    IndexRecord first = m_Index;
    first.m_dwLength = (m_Index.m_dwLength & IndexRecord::kPatchBit) |
                       std::min<std::uint32_t>(32, m_Index.GetLength());
    try {
        if (first.GetLength() == 32 &&
            TheClientFiles().ReadData(kSlotSound, first,
                                      std::span(reinterpret_cast<std::uint8_t*>(head), 32))) {
            name.assign(head, strnlen(head, 32));
        }
    } catch (...) {
        LogCaughtException("reading a sound name");
        name = "Unk";
    }
    std::uint32_t length = m_Index.GetLength();
    std::uint32_t tenths = length >= 32 ? ((length - 32) / 4) / 1102 : 0;
    return Format("%s\t%d.%d sec", name.c_str(), static_cast<int>(tenths / 10),
                  static_cast<int>(tenths % 10));
}

bool CDataDefSound::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefSound::ReadIndex() {
    return ReadBaseIndex(kSlotSoundIdx, GetIndex());
}

bool CDataDefSound::AddPages(CDataProps* /*pSheet*/) {
    return true;
}

}  // namespace tessaly
