#include "MulBlock.h"

#include "EntryReader.h"
#include "EventLog.h"
#include "TarnError.h"

#include <string_view>

namespace tessaly {

const std::uint8_t* CMulBlockType::GetData() {
    if (!EnsureLoaded()) {
        return nullptr;
    }
    return m_Data.empty() ? nullptr : m_Data.data();
}

void CMulBlockType::AllocData(std::uint32_t length) {
    FreeData();
    m_Data.assign(length, 0);
}

void CMulBlockType::FreeData() {
    m_Data.clear();
    m_Data.shrink_to_fit();
}

void CMulBlockType::LoadMulData(std::int32_t dataFileId, const IndexRecord& record) {
    ::tessaly::LoadMulData(Files(), dataFileId, record, m_Data);
}

bool CMulBlockType::ReadIndex(std::int32_t indexSlot, std::int32_t dataSlot, std::uint32_t entry,
                              IndexRecord& record) const {
    return Files().ReadIndexRecord(indexSlot, dataSlot, entry, record);
}

void CMulBlockType::SetMemoryData(const IndexRecord& record, std::vector<std::uint8_t> bytes) {
    TakeRecord(record);
    m_Data = std::move(bytes);
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
