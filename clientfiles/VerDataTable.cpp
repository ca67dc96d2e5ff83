#include "VerDataTable.h"

#include "ClientFiles.h"
#include "TarnError.h"

#include <utility>
#include <vector>

namespace tessaly {

static_assert(sizeof(std::uint32_t) * 4 + sizeof(std::uint16_t) * 2 == CUOVersionBlock::kSize);

bool CUOVersionBlock::Read(ByteReader& in) {
    return in.u32(m_dwFileId) && in.u32(m_dwBlock) && in.u32(m_dwOffset) && in.u32(m_dwLength) &&
           in.u16(m_wExtra1) && in.u16(m_wExtra2);
}

void CUOVersionBlock::Write(ByteWriter& out) const {
    out.u32(m_dwFileId).u32(m_dwBlock).u32(m_dwOffset).u32(m_dwLength);
    out.u16(m_wExtra1).u16(m_wExtra2);
}

// Shared by Load and LoadBytes. `read(dst, n)` delivers up to n bytes of the records and
// returns how many arrived.
template <typename ReadFn>
void CVerDataTable::LoadRecords(std::uint32_t count, std::uint64_t bytesAfterCount, ReadFn&& read) {
    // Never more records than the file has bytes for: a count of 0xFFFFFFFF in a small file
    // must not size the table to billions of records.
    std::uint64_t present = bytesAfterCount / CUOVersionBlock::kSize;
    std::uint32_t n = present < count ? static_cast<std::uint32_t>(present) : count;
    if (n > static_cast<std::uint32_t>(INT32_MAX)) {
        n = static_cast<std::uint32_t>(INT32_MAX);
    }
    RemoveAll();
    if (count == 0) {
        return;
    }
    if (n == 0) {
        throw CTarnError(2, kE_FAIL, "VerData: Read");
    }
    SetSize(static_cast<std::int32_t>(n));
    std::vector<std::uint8_t> bytes(std::size_t{n} * CUOVersionBlock::kSize);
    std::size_t got = read(bytes.data(), bytes.size());
    if (got == 0) {
        throw CTarnError(2, kE_FAIL, "VerData: Read");
    }
    ByteReader in(ByteSpan(bytes.data(), got));
    for (std::int32_t i = 0; i < GetCount(); ++i) {
        if (!m_pData[i].Read(in)) {
            break;  // a short read leaves the remaining records zero-filled
        }
    }
    QuickSort(0, GetCount() - 1);
}

void CVerDataTable::Load(CQFile& file) {
    if (GetCount() != 0 || !file.IsOpen()) {
        return;
    }
    file.SeekToBegin();
    std::uint8_t countBytes[4] = {};
    if (file.Read(countBytes, 4) == 0) {
        throw CTarnError(2, -1, "VerData: Read Qty");
    }
    // A count cut short reads as its bytes present (the rest zero), as a short read would.
    std::uint32_t count = LoadLE32(countBytes);
    std::uint64_t length = file.GetLength();
    std::uint64_t after = length > 4 ? length - 4 : 0;
    LoadRecords(count, after, [&](std::uint8_t* dst, std::size_t n) -> std::size_t {
        std::size_t done = 0;
        while (done < n) {
            std::uint32_t chunk =
                static_cast<std::uint32_t>(std::min<std::size_t>(n - done, 1u << 30));
            std::uint32_t got = file.Read(dst + done, chunk);
            done += got;
            if (got < chunk) {
                break;
            }
        }
        return done;
    });
}

void CVerDataTable::LoadBytes(ByteSpan file) {
    if (GetCount() != 0) {
        return;
    }
    if (file.empty()) {
        throw CTarnError(2, -1, "VerData: Read Qty");
    }
    std::uint8_t countBytes[4] = {};
    std::copy_n(file.begin(), std::min<std::size_t>(4, file.size()), countBytes);
    ByteSpan rest = file.size() > 4 ? file.subspan(4) : ByteSpan();
    LoadRecords(LoadLE32(countBytes), rest.size(), [&](std::uint8_t* dst, std::size_t n) {
        std::size_t got = std::min(n, rest.size());
        std::copy_n(rest.begin(), got, dst);
        return got;
    });
}

bool CVerDataTable::FindRecord(std::uint32_t fileId, std::uint32_t block,
                               IndexRecord& record) const {
    // Ids and blocks beyond the key's 6 + 26 bits would alias other files' keys.
    if (GetCount() == 0 || fileId > CUOVersionBlock::kMaxFileId ||
        block >= CUOVersionBlock::kBlockLimit) {
        return false;
    }
    std::uint32_t key = CUOVersionBlock::MakeKey(fileId, block);
    std::int32_t lo = 0;
    std::int32_t hi = GetCount() - 1;
    while (lo <= hi) {
        std::int32_t mid = lo + (hi - lo) / 2;
        const CUOVersionBlock& r = m_pData[mid];
        std::uint32_t midKey = r.GetKey();
        if (key == midKey) {
            // A malformed record whose block overflows its 26 bits only looks like a hit.
            if (r.m_dwFileId != fileId || r.m_dwBlock != block) {
                return false;
            }
            record.m_dwOffset = r.m_dwOffset;
            record.m_dwLength = r.m_dwLength | IndexRecord::kPatchBit;
            record.m_wExtra1 = r.m_wExtra1;
            record.m_wExtra2 = r.m_wExtra2;
            return true;
        }
        if (key > midKey) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    return false;
}

void CVerDataTable::QuickSort(std::int32_t left, std::int32_t right) {
    if (left < 0 || right >= GetCount()) {
        return;
    }
    // Partition around the middle key; recurse into the smaller side and loop on the larger
    // one, so that crafted input cannot drive the recursion deeper than log2(count).
    while (left < right) {
        std::int32_t i = left;
        std::int32_t j = right;
        std::uint32_t pivot = m_pData[left + (right - left) / 2].GetKey();
        while (i <= j) {
            while (m_pData[i].GetKey() < pivot) {
                ++i;
            }
            while (m_pData[j].GetKey() > pivot) {
                --j;
            }
            if (i <= j) {
                if (i != j) {
                    std::swap(m_pData[i], m_pData[j]);
                }
                ++i;
                --j;
            }
        }
        if (j - left < right - i) {
            if (left < j) {
                QuickSort(left, j);
            }
            left = i;
        } else {
            if (i < right) {
                QuickSort(i, right);
            }
            right = j;
        }
    }
}

CVerDataTable& TheVerDataTable() {
    static CVerDataTable table;
    return table;
}

bool SaveVerDataFile(const std::string& target, std::int32_t count,
                     const VerDataEntryWriter& writeEntry, CSaveFileOps* ops,
                     const SaveProgress& progress) {
    if (count < 0) {
        return false;
    }
    return SaveReplacing(
        target, kVerDataTempName,
        [&](CQFile& out) {
            // The entries write through a buffer, and the record table is written once the data
            // is: a few large writes instead of several small ones per entry.
            CQBufferedFile file(out);
            const std::size_t tableBytes = CUOVersionBlock::kSize * static_cast<std::size_t>(count);
            if (4 + tableBytes > 0xFFFFFFFFull) {
                return false;  // offsets are 32 bits
            }
            ByteWriter table;
            table.u32(static_cast<std::uint32_t>(count));
            file.Seek(static_cast<std::int64_t>(4 + tableBytes), CQFile::begin);
            std::int64_t dataPos = static_cast<std::int64_t>(4 + tableBytes);
            for (std::int32_t i = 0; i < count; ++i) {
                CUOVersionBlock record{};
                if (dataPos > 0xFFFFFFFFll) {
                    return false;  // offsets are 32 bits
                }
                record.m_dwOffset = static_cast<std::uint32_t>(dataPos);
                if (!writeEntry(i, file, record)) {
                    return false;
                }
                record.Write(table);
                dataPos = static_cast<std::int64_t>(file.GetPosition());
                if (progress) {
                    progress(static_cast<std::uint64_t>(i) + 1, static_cast<std::uint64_t>(count));
                }
            }
            file.Seek(0, CQFile::begin);
            file.Write(table.data().data(), static_cast<std::uint32_t>(table.size()));
            file.FlushBuffer();
            return true;
        },
        ops);
}

}  // namespace tessaly
