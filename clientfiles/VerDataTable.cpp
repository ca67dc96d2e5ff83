#include "VerDataTable.h"

#include "ClientFiles.h"
#include "TarnError.h"

#include <algorithm>
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
    std::uint64_t n = std::min<std::uint64_t>(present, count);
    RemoveAll();
    if (count == 0) {
        return;
    }
    if (n == 0) {
        throw CTarnError(2, kE_FAIL, "VerData: Read");
    }
    // A (sparse) file with room for more records than the client files have entries is refused
    // before anything is allocated for it.
    if (n > kMaxRecords) {
        throw CTarnError(2, kE_FAIL, "VerData: Too many records");
    }
    SetSize(static_cast<std::int32_t>(n));
    // The records are read in pieces straight into the table, so that loading needs no second
    // copy of it; a short read leaves the remaining records zero-filled.
    constexpr std::size_t kPieceRecords = 1 << 16;
    std::vector<std::uint8_t> piece(std::min<std::size_t>(n, kPieceRecords) *
                                    CUOVersionBlock::kSize);
    std::size_t total = 0;
    for (std::int32_t i = 0; i < GetCount();) {
        const std::size_t want =
            std::min<std::size_t>(static_cast<std::size_t>(GetCount() - i), kPieceRecords);
        const std::size_t got = read(piece.data(), want * CUOVersionBlock::kSize);
        total += got;
        ByteReader in(ByteSpan(piece.data(), got));
        for (std::size_t k = 0; k < want && m_pData[i].Read(in); ++k) {
            ++i;
        }
        if (got < want * CUOVersionBlock::kSize) {
            break;
        }
    }
    if (total == 0) {
        throw CTarnError(2, kE_FAIL, "VerData: Read");
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
    // Of several records with the key, the one later in the file wins: the sort keeps file
    // order among equal keys, so that is the last of them.
    const std::uint32_t key = CUOVersionBlock::MakeKey(fileId, block);
    const CUOVersionBlock* const first = m_pData;
    const CUOVersionBlock* const last = m_pData + GetCount();
    const CUOVersionBlock* after = std::upper_bound(
        first, last, key, [](std::uint32_t k, const CUOVersionBlock& r) { return k < r.GetKey(); });
    if (after == first || after[-1].GetKey() != key) {
        return false;
    }
    const CUOVersionBlock& r = after[-1];
    // A malformed record whose block overflows its 26 bits only looks like a hit.
    if (r.m_dwFileId != fileId || r.m_dwBlock != block) {
        return false;
    }
    record = IndexFromPatch(r);
    return true;
}

IndexRecord IndexFromPatch(const CUOVersionBlock& record) {
    IndexRecord index;
    index.m_dwOffset = record.m_dwOffset;
    index.m_dwLength = record.m_dwLength | IndexRecord::kPatchBit;
    index.m_wExtra1 = record.m_wExtra1;
    index.m_wExtra2 = record.m_wExtra2;
    return index;
}

void CVerDataTable::QuickSort(std::int32_t left, std::int32_t right) {
    if (left < 0 || right >= GetCount() || left >= right) {
        return;
    }
    CUOVersionBlock* const first = m_pData + left;
    CUOVersionBlock* const last = m_pData + right + 1;
    const auto byKey = [](const CUOVersionBlock& a, const CUOVersionBlock& b) {
        return a.GetKey() < b.GetKey();
    };
    // Stable (records with equal keys keep their file order) and O(n log n) or better on any
    // order: a partition sort can be driven quadratic by a crafted key order.
    constexpr std::ptrdiff_t kSmall = 4096;
    if (last - first < kSmall) {
        std::stable_sort(first, last, byKey);
        return;
    }
    // A large table: two stable counting passes over the key's 16-bit halves, low half first,
    // cost the same on every order.
    std::vector<CUOVersionBlock> spare(static_cast<std::size_t>(last - first));
    CUOVersionBlock* from = first;
    CUOVersionBlock* to = spare.data();
    const std::size_t count = spare.size();
    std::vector<std::size_t> starts(std::size_t{1} << 16);
    for (int shift : {0, 16}) {
        std::fill(starts.begin(), starts.end(), 0);
        for (std::size_t i = 0; i < count; ++i) {
            ++starts[(from[i].GetKey() >> shift) & 0xFFFF];
        }
        std::size_t at = 0;
        for (std::size_t& start : starts) {
            at += std::exchange(start, at);
        }
        for (std::size_t i = 0; i < count; ++i) {
            to[starts[(from[i].GetKey() >> shift) & 0xFFFF]++] = from[i];
        }
        std::swap(from, to);
    }
    // Two passes leave the records back in place.
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
        SaveTargetOf(target), kVerDataTempName,
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
