#include "Statics.h"

#include "ClientFiles.h"
#include "TarnError.h"

namespace tessaly {

bool CStaticItem::Read(ByteReader& in) {
    return in.u16(m_wTile) && in.u8(m_bX) && in.u8(m_bY) && in.i8(m_cZ) && in.u16(m_wHue);
}

void CStaticItem::Write(ByteWriter& out) const {
    out.u16(m_wTile).u8(m_bX).u8(m_bY).u8(static_cast<std::uint8_t>(m_cZ)).u16(m_wHue);
}

void CStaticsList::LoadStatics(std::uint32_t block) {
    LoadStatics(block, TheClientFiles());
}

void CStaticsList::LoadStatics(std::uint32_t block, CClientFiles& files) {
    IndexRecord record;
    if (files.ReadIndexRecord(kSlotStaIdx0, kSlotStatics0, block, record)) {
        LoadRecord(record, files);
    }
}

void CStaticsList::LoadRecord(const IndexRecord& record, CClientFiles& files) {
    // No data, or a block deleted by a patch record (length 0): an empty list.
    if (!record.HasData() || record.GetLength() == 0) {
        return;
    }
    // The length comes from the index: allocate it only once the data file is known to hold it.
    if (!files.DataFits(kSlotStatics0, record)) {
        throw CTarnError(2, kE_FAIL, "CTarnMapBlock: Read fStatics0");
    }
    std::vector<std::uint8_t> bytes(record.GetLength());
    if (!files.ReadData(kSlotStatics0, record, bytes)) {
        throw CTarnError(2, kE_FAIL, "CTarnMapBlock: Read fStatics0");
    }
    Parse(bytes);
}

void CStaticsList::Parse(ByteSpan bytes) {
    ParseStaticItems(bytes, m_Items);
    m_dwCount = static_cast<std::uint32_t>(m_Items.size());
}

void ParseStaticItems(ByteSpan bytes, std::vector<CStaticItem>& items) {
    items.clear();
    AppendStaticItems(bytes, items);
}

void AppendStaticItems(ByteSpan bytes, std::vector<CStaticItem>& items) {
    const std::size_t at = items.size();
    items.resize(at + bytes.size() / CStaticItem::kSize);
    ByteReader in(bytes);
    for (std::size_t i = at; i < items.size(); ++i) {
        items[i].Read(in);
    }
}

}  // namespace tessaly
