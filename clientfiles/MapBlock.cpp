#include "MapBlock.h"

#include "ClientFiles.h"
#include "TarnError.h"
#include "VerDataTable.h"

namespace tessaly {

namespace {
constexpr const char* kReadError = "CTarnMapBlock: Read fMap0";
}  // namespace

bool CMapCell::Read(ByteReader& in) {
    return in.u16(m_wTile) && in.i8(m_cZ);
}

void CMapBlock::LoadMapBlock(std::uint32_t block) {
    LoadMapBlock(block, TheClientFiles());
}

void CMapBlock::LoadMapBlock(std::uint32_t block, CClientFiles& files) {
    IndexRecord record;
    if (!files.GetVerDataTable().FindRecord(kSlotMap0, block, record)) {
        // Blocks so far on that their offset leaves 32 bits lie beyond any file.
        std::uint64_t offset = std::uint64_t{block} * kSize;
        if (offset >= IndexRecord::kNoData - kSize) {
            throw CTarnError(2, kE_FAIL, kReadError);
        }
        record.m_dwOffset = static_cast<std::uint32_t>(offset);
        record.m_dwLength = kSize;
    }
    LoadRecord(record, files);
}

void CMapBlock::LoadRecord(const IndexRecord& record, CClientFiles& files) {
    *this = CMapBlock();
    if (record.m_dwOffset == IndexRecord::kNoData || record.GetLength() == 0) {
        return;
    }
    // Only the block itself is read, whatever length a patch record claims.
    IndexRecord whole = record;
    if (record.GetLength() < kSize) {
        throw CTarnError(2, kE_FAIL, kReadError);
    }
    whole.m_dwLength = (record.m_dwLength & IndexRecord::kPatchBit) | kSize;
    std::array<std::uint8_t, kSize> bytes{};
    if (!files.DataFits(kSlotMap0, whole) || !files.ReadData(kSlotMap0, whole, bytes)) {
        throw CTarnError(2, kE_FAIL, kReadError);
    }
    Parse(bytes);
}

bool CMapBlock::Parse(ByteSpan bytes) {
    *this = CMapBlock();
    if (bytes.size() < kSize) {
        return false;
    }
    ByteReader in(bytes);
    in.u32(m_dwHeader);
    for (CMapCell& cell : m_Cells) {
        cell.Read(in);
    }
    m_bLoaded = true;
    return true;
}

}  // namespace tessaly
