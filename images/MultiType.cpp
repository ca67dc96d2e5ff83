#include "MultiType.h"

namespace tessaly {

bool MultiComponent::Read(ByteReader& in) {
    return in.has(kSize) && in.u16(m_wItem) && in.i16(m_nX) && in.i16(m_nY) && in.i16(m_nZ) &&
           in.u32(m_dwFlags);
}

void MultiComponent::Write(ByteWriter& out) const {
    out.u16(m_wItem).i16(m_nX).i16(m_nY).i16(m_nZ).u32(m_dwFlags);
}

bool CMulMultiType::Load() {
    IndexRecord record;
    if (!ReadIndex(kSlotMultiIdx, kSlotMulti, m_nEntry, record)) {
        return false;
    }
    LoadMulData(kSlotMulti, record);
    m_nComponents = GetDataLength() / MultiComponent::kSize;
    return true;
}

const std::uint8_t* CMulMultiType::GetComponent(std::uint32_t index) {
    if (GetData() == nullptr || index >= m_nComponents) {
        return nullptr;
    }
    return m_Data.data() + std::size_t{index} * MultiComponent::kSize;
}

bool CMulMultiType::GetComponent(std::uint32_t index, MultiComponent& component) {
    const std::uint8_t* p = GetComponent(index);
    if (p == nullptr) {
        return false;
    }
    ByteReader in(ByteSpan(p, MultiComponent::kSize));
    return component.Read(in);
}

}  // namespace tessaly
