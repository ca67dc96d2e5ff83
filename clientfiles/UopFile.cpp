#include "UopFile.h"

#include "EventLog.h"
#include "Text.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <unordered_set>

namespace tessaly {

namespace {

std::uint32_t Rot(std::uint32_t x, int k) {
    return (x << k) | (x >> (32 - k));
}

void Mix(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c) {
    a -= c, a ^= Rot(c, 4), c += b;
    b -= a, b ^= Rot(a, 6), a += c;
    c -= b, c ^= Rot(b, 8), b += a;
    a -= c, a ^= Rot(c, 16), c += b;
    b -= a, b ^= Rot(a, 19), a += c;
    c -= b, c ^= Rot(b, 4), b += a;
}

void Final(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c) {
    c ^= b, c -= Rot(b, 14);
    a ^= c, a -= Rot(c, 11);
    b ^= a, b -= Rot(a, 25);
    c ^= b, c -= Rot(b, 16);
    a ^= c, a -= Rot(c, 4);
    b ^= a, b -= Rot(a, 14);
    c ^= b, c -= Rot(b, 24);
}

// zlib's largest expansion is about 1032 to 1; a decompressed length beyond that (or beyond
// what any client entry needs) is a lie and is refused before anything is allocated.
constexpr std::uint64_t kMaxInflateRatio = 1032;
constexpr std::uint64_t kMaxEntryBytes = 256u << 20;
// The map file of the largest facet holds fewer chunks than this.
constexpr std::uint32_t kMaxMapChunks = 4096;

constexpr UopKind kKinds[] = {
    {kSlotArtIdx, kSlotArt, "artLegacyMUL.uop", "build/artlegacymul/%08u.tga", 0},
    {kSlotSoundIdx, kSlotSound, "soundLegacyMUL.uop", "build/soundlegacymul/%08u.dat", 0},
    {kSlotGumpIdx, kSlotGumpArt, "gumpartLegacyMUL.uop", "build/gumpartlegacymul/%08u.tga", 8},
    {-1, kSlotMap0, "map0LegacyMUL.uop", "build/map0legacymul/%08u.dat", 0},
};

}  // namespace

void HashLittle2(ByteSpan key, std::uint32_t& c, std::uint32_t& b) {
    std::uint32_t a = 0xDEADBEEFu + static_cast<std::uint32_t>(key.size()) + c;
    std::uint32_t bb = a;
    std::uint32_t cc = a + b;
    std::size_t length = key.size();
    const std::uint8_t* k = key.data();
    while (length > 12) {
        a += LoadLE32(k);
        bb += LoadLE32(k + 4);
        cc += LoadLE32(k + 8);
        Mix(a, bb, cc);
        length -= 12;
        k += 12;
    }
    if (length == 0) {
        // Only an empty key gets here: it skips the final mix.
        c = cc;
        b = bb;
        return;
    }
    std::uint8_t tail[12] = {};
    std::copy(k, k + length, tail);
    a += LoadLE32(tail);
    bb += LoadLE32(tail + 4);
    cc += LoadLE32(tail + 8);
    Final(a, bb, cc);
    c = cc;
    b = bb;
}

std::uint32_t HashLittle(ByteSpan key, std::uint32_t initval) {
    std::uint32_t c = initval;
    std::uint32_t b = 0;
    HashLittle2(key, c, b);
    return c;
}

std::uint64_t HashUopName(std::string_view name) {
    const std::string lower = AsciiLower(name);
    std::uint32_t c = 0;
    std::uint32_t b = 0;
    HashLittle2(ByteSpan(reinterpret_cast<const std::uint8_t*>(lower.data()), lower.size()), c, b);
    return (std::uint64_t{b} << 32) | c;
}

const UopKind* FindUopKind(std::int32_t slot) {
    for (const UopKind& kind : kKinds) {
        if (slot == kind.dataSlot || (kind.indexSlot >= 0 && slot == kind.indexSlot)) {
            return &kind;
        }
    }
    return nullptr;
}

std::string UopEntryName(const UopKind& kind, std::uint32_t number) {
    return Format(kind.namePattern, number);
}

bool CUopTable::Read(CQFile& file) {
    m_Entries.clear();
    m_sError.clear();
    m_uCapacity = 0;
    m_bCapacityFits = false;
    m_bHeaderRead = false;
    std::uint64_t fileLength = 0;
    std::uint8_t header[kUopHeaderSize];
    try {
        fileLength = file.GetLength();
        file.Seek(0, CQFile::begin);
        if (file.Read(header, sizeof header) != sizeof header) {
            m_sError = "container: shorter than its header";
            return false;
        }
    } catch (const CQFileException&) {
        LogCaughtException("reading a container's header");
        m_sError = "container: cannot read the header";
        return false;
    }
    ByteReader in(header);
    std::uint32_t magic = 0;
    std::uint32_t version = 0;
    std::uint32_t signature = 0;
    std::uint64_t next = 0;
    in.u32(magic);
    in.u32(version);
    in.u32(signature);
    in.u64(next);
    std::uint32_t capacity = 0;
    in.u32(capacity);
    if (magic != kUopMagic) {
        m_sError = "container: not a container (bad magic)";
        return false;
    }
    if (version != 4 && version != 5) {
        m_sError = Format("container: unknown version %u", version);
        return false;
    }
    m_uCapacity = capacity;
    m_bCapacityFits = kUopTableHeaderSize + std::uint64_t{capacity} * kUopEntrySize <= fileLength;
    m_bHeaderRead = true;
    // Tables never overlap, so together they cannot take more bytes than the file has: that
    // bound keeps a chain of overlapping tables from costing more than one pass over the file.
    std::unordered_set<std::uint64_t> seen;
    std::uint64_t tableBytes = 0;
    std::uint64_t listed = 0;  // table entries, used or not
    std::vector<std::uint8_t> bytes;
    while (next != 0) {
        if (!seen.insert(next).second) {
            m_sError = Format("container: the table chain loops at 0x%llx",
                              static_cast<unsigned long long>(next));
            return false;
        }
        if (!FitsIn(next, kUopTableHeaderSize, fileLength)) {
            m_sError = Format("container: a table at 0x%llx lies past the end of the file",
                              static_cast<unsigned long long>(next));
            return false;
        }
        std::uint8_t head[kUopTableHeaderSize];
        bool damagedCount = false;
        std::uint32_t count = 0;
        std::uint64_t following = 0;
        try {
            file.Seek(static_cast<std::int64_t>(next), CQFile::begin);
            if (file.Read(head, sizeof head) != sizeof head) {
                m_sError = "container: a short table";
                return false;
            }
            ByteReader h(head);
            h.u32(count);
            h.u64(following);
            if (!FitsIn(next + kUopTableHeaderSize, std::uint64_t{count} * kUopEntrySize,
                        fileLength)) {
                // A damaged count: the whole entries the file holds are still read (those that
                // could be read: past the real entries lie other bytes), and the chain ends.
                damagedCount = true;
                m_sError =
                    Format("container: a table of %u entries does not fit in the file", count);
                // No more than a table holds (the header's capacity, when it fits the file)
                // nor than the entries left to read: bytes past the real entries are data.
                std::uint64_t whole = (fileLength - next - kUopTableHeaderSize) / kUopEntrySize;
                if (m_bCapacityFits && capacity != 0) {
                    whole = std::min<std::uint64_t>(whole, capacity);
                }
                whole = std::min<std::uint64_t>(whole, kMaxUopEntries - listed);
                count = static_cast<std::uint32_t>(whole);
                following = 0;
            }
            const std::uint64_t size = std::uint64_t{count} * kUopEntrySize;
            tableBytes += kUopTableHeaderSize + size;
            if (tableBytes > fileLength) {
                m_sError =
                    Format("container: a table of %u entries does not fit in the file", count);
                return false;
            }
            // Real tables hold about a thousand entries and a container tens of thousands; the
            // file's length alone would let a sparse file of gigabytes ask for as much memory.
            listed += count;
            if (listed > kMaxUopEntries) {
                m_sError = Format("container: more than %zu entries", kMaxUopEntries);
                return false;
            }
            bytes.resize(static_cast<std::size_t>(size));
            if (file.Read(bytes.data(), static_cast<std::uint32_t>(size)) != size) {
                m_sError = "container: a short table";
                return false;
            }
        } catch (const CQFileException&) {
            LogCaughtException("reading a container's table");
            m_sError = "container: cannot read a table";
            return false;
        }
        ByteReader r(bytes);
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint64_t offset = 0;
            std::uint32_t headerLength = 0;
            std::uint64_t hash = 0;
            UopEntry e;
            r.u64(offset);
            r.u32(headerLength);
            r.u32(e.compressedLength);
            r.u32(e.decompressedLength);
            r.u64(hash);
            r.u32(e.checksum);
            r.u16(e.compression);
            if (offset == 0) {
                continue;  // unused
            }
            // An overflowing start can never fit in the file: the entry stays unreadable.
            e.start = offset > std::numeric_limits<std::uint64_t>::max() - headerLength
                          ? std::numeric_limits<std::uint64_t>::max()
                          : offset + headerLength;
            if (damagedCount && !UopEntryReadable(e, fileLength)) {
                continue;
            }
            m_Entries.emplace(hash, e);  // the first of equal hashes wins
        }
        next = following;
    }
    return m_sError.empty();
}

std::uint32_t CUopTable::Capacity() const {
    return m_bCapacityFits ? m_uCapacity : 0;
}

const UopEntry* CUopTable::Find(std::uint64_t hash) const {
    auto it = m_Entries.find(hash);
    return it == m_Entries.end() ? nullptr : &it->second;
}

bool UopEntryReadable(const UopEntry& entry, std::uint64_t fileLength) {
    if (!FitsIn(entry.start, entry.compressedLength, fileLength)) {
        return false;
    }
    switch (entry.compression) {
        case kUopStored:
            return entry.compressedLength == entry.decompressedLength;
        case kUopZlib:
            return entry.decompressedLength <= kMaxEntryBytes &&
                   entry.decompressedLength <= entry.compressedLength * kMaxInflateRatio;
        default:
            return false;
    }
}

namespace {

// Compressed bytes are read and inflated in pieces of this size, and a growing output grows by
// at most this much at a time.
constexpr std::size_t kInflatePiece = 64u << 10;
constexpr std::size_t kFirstInflatePiece = 4u << 10;

// Inflates the first `want` bytes of a zlib entry, reading its compressed bytes in pieces, so
// that a prefix costs only the input it needs. window(produced) gives the room for the bytes
// from `produced` on (never empty while produced < want). With `whole`, the stream must also
// end right there, or the recorded length is short of the real one. Raises CQFileException.
template <typename Window>
bool InflateEntry(CQFile& file, const UopEntry& entry, std::size_t want, bool whole,
                  Window&& window) {
    file.Seek(static_cast<std::int64_t>(entry.start), CQFile::begin);
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) {
        return false;
    }
    struct Ender {
        z_stream& zs;
        ~Ender() { inflateEnd(&zs); }
    } ender{zs};
    // The first piece is small, as a prefix needs little; later ones grow to kInflatePiece.
    std::vector<std::uint8_t> in(std::min<std::size_t>(entry.compressedLength, kInflatePiece));
    std::size_t piece = std::min<std::size_t>(in.size(), kFirstInflatePiece);
    std::uint64_t inLeft = entry.compressedLength;
    std::size_t produced = 0;
    std::uint8_t probe = 0;
    int result = Z_OK;
    // Past `want` only the probe for the end remains, one byte of room that must stay empty.
    while (result != Z_STREAM_END && (produced < want || (whole && produced == want))) {
        if (zs.avail_in == 0) {
            if (inLeft == 0) {
                return false;  // the stream stops short
            }
            const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(inLeft, piece));
            piece = std::min(piece * 2, in.size());
            if (file.Read(in.data(), n) != n) {
                return false;
            }
            inLeft -= n;
            zs.next_in = in.data();
            zs.avail_in = n;
        }
        const std::span<std::uint8_t> room =
            produced < want ? window(produced) : std::span<std::uint8_t>(&probe, 1);
        zs.next_out = room.data();
        zs.avail_out = static_cast<uInt>(room.size());
        result = inflate(&zs, Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
            return false;
        }
        produced += room.size() - zs.avail_out;
        if (produced > want) {
            return false;  // the stream holds more than the recorded length
        }
    }
    return produced == want;
}

// A whole entry up to this size (beyond any art, gump or sound entry, and a map chunk) is
// inflated in one call into a buffer of its recorded length, its compressed bytes read at once;
// a larger one streams, so that a length that lies costs no more than what the stream holds.
constexpr std::uint64_t kOneCallInflateBytes = 16u << 20;

bool InflatesInOneCall(const UopEntry& entry) {
    return entry.compression == kUopZlib && entry.decompressedLength <= kOneCallInflateBytes &&
           entry.compressedLength <= kOneCallInflateBytes;
}

// Inflates a whole zlib entry with libdeflate: `out` has the entry's recorded length, and the
// stream must fill it exactly. Raises CQFileException.
bool InflateInOneCall(CQFile& file, const UopEntry& entry, std::span<std::uint8_t> out) {
    struct Freer {
        void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
    };
    // One decompressor per thread, reused for every entry that thread reads.
    thread_local const std::unique_ptr<libdeflate_decompressor, Freer> decompressor(
        libdeflate_alloc_decompressor());
    if (decompressor == nullptr) {
        return false;
    }
    std::vector<std::uint8_t> in(static_cast<std::size_t>(entry.compressedLength));
    file.Seek(static_cast<std::int64_t>(entry.start), CQFile::begin);
    const auto n = static_cast<std::uint32_t>(in.size());
    if (file.Read(in.data(), n) != n) {
        return false;
    }
    std::size_t produced = 0;
    return libdeflate_zlib_decompress(decompressor.get(), in.data(), in.size(), out.data(),
                                      out.size(), &produced) == LIBDEFLATE_SUCCESS &&
           produced == out.size();
}

}  // namespace

UopFileInfo DescribeUopFile(const std::string& name, CQFile& file, const CUopTable& table) {
    std::uint64_t size = 0;
    try {
        size = file.GetLength();
    } catch (const CQFileException&) {
        LogCaughtException("measuring a container");
    }
    return {name, file.GetFilePath(), size, table.Entries().size(), table.Error()};
}

std::optional<UopFileInfo> FindUopFile(CClientFiles& files, const char* name) {
    CQFile file;
    if (!files.OpenInDirs(file, name, CQFile::shareDenyWrite)) {
        return std::nullopt;
    }
    CUopTable table;
    table.Read(file);
    return DescribeUopFile(name, file, table);
}

bool HasMultiCollection(CClientFiles& files) {
    CQFile collection;
    return files.OpenInDirs(collection, kMultiCollectionFile, CQFile::shareDenyWrite);
}

bool ReadUopEntry(CQFile& file, const UopEntry& entry, std::span<std::uint8_t> out) {
    try {
        if (out.size() > entry.decompressedLength || !UopEntryReadable(entry, file.GetLength())) {
            return false;
        }
        if (entry.compression == kUopStored) {
            file.Seek(static_cast<std::int64_t>(entry.start), CQFile::begin);
            const auto n = static_cast<std::uint32_t>(out.size());
            return file.Read(out.data(), n) == n;
        }
        if (out.empty()) {
            return true;
        }
        const bool whole = out.size() == entry.decompressedLength;
        if (whole && InflatesInOneCall(entry)) {
            return InflateInOneCall(file, entry, out);
        }
        return InflateEntry(file, entry, out.size(), whole,
                            [&](std::size_t produced) { return out.subspan(produced); });
    } catch (const CQFileException&) {
        LogCaughtException("reading a container entry");
        return false;
    }
}

bool ReadWholeUopEntry(CQFile& file, const UopEntry& entry, std::vector<std::uint8_t>& out) {
    out.clear();
    try {
        if (!UopEntryReadable(entry, file.GetLength())) {
            return false;
        }
        if (entry.compression == kUopStored || InflatesInOneCall(entry)) {
            out.resize(entry.decompressedLength);
            if (!ReadUopEntry(file, entry, out)) {
                out.clear();
                return false;
            }
            return true;
        }
        // The output grows as the stream inflates: a length that claims far more than the
        // stream holds costs no more than what it really holds.
        const std::size_t want = entry.decompressedLength;
        const bool ok = InflateEntry(file, entry, want, true, [&](std::size_t produced) {
            out.resize(std::min(want, produced + std::max(kInflatePiece, produced)));
            return std::span<std::uint8_t>(out).subspan(produced);
        });
        if (!ok) {
            out.clear();
        }
        return ok;
    } catch (const CQFileException&) {
        LogCaughtException("reading a container entry");
        out.clear();
        return false;
    }
}

CUopContainer::CUopContainer(const UopKind& kind, CQFile& file)
    : m_Kind(kind), m_uOpenSerial(file.GetOpenSerial()) {
    try {
        m_uFileLength = file.GetLength();
    } catch (const CQFileException&) {
        LogCaughtException("measuring a container");
        m_uFileLength = 0;
    }
    m_Table.Read(file);
    if (kind.indexSlot >= 0) {
        return;
    }
    // The map: chunks 0, 1, ... make the file; all but the last are whole chunks.
    for (std::uint32_t n = 0; n < kMaxMapChunks; ++n) {
        const UopEntry* e = EntryFor(n);
        if (e == nullptr) {
            break;
        }
        m_MapChunks.push_back(*e);
        // No chunk is longer than a whole one: a chunk claiming more (a damaged one) does not
        // make the map larger than any facet; its blocks read as damaged.
        m_uMapLength += std::min<std::uint64_t>(e->decompressedLength, kUopMapChunkBytes);
        if (e->decompressedLength != kUopMapChunkBytes) {
            break;
        }
    }
    m_sMapNote = MapChunksNotReadNote(m_Table, kind, m_MapChunks.size());
}

std::string MapChunksNotReadNote(const CUopTable& table, const UopKind& kind, std::size_t read) {
    const auto find = [&](std::uint64_t n) {
        return table.Find(HashUopName(UopEntryName(kind, static_cast<std::uint32_t>(n))));
    };
    // Only entries the chunks read did not take can stand beyond them: the names are probed
    // until those are found, none at all on a whole map.
    const std::size_t others = table.Entries().size() - std::min(read, table.Entries().size());
    std::size_t beyond = 0;
    for (std::uint64_t n = read; n < kMaxMapChunks && beyond < others; ++n) {
        beyond += find(n) != nullptr ? 1 : 0;
    }
    if (beyond == 0) {
        return std::string();
    }
    // The chunks stopped at a short one, or at a missing one after whole ones.
    const UopEntry* last = read != 0 ? find(read - 1) : nullptr;
    const bool missing = last == nullptr || last->decompressedLength == kUopMapChunkBytes;
    return Format("container: %zu map chunks are not read, as chunk %zu is %s", beyond,
                  missing ? read : read - 1, missing ? "missing" : "short");
}

const UopEntry* CUopContainer::EntryFor(std::uint32_t number) const {
    return m_Table.Find(HashUopName(UopEntryName(m_Kind, number)));
}

std::uint32_t CUopContainer::EntryCount() {
    if (!m_EntryCount) {
        // Names hash one way only, so numbers are tried in turn until every entry of the
        // table is accounted for (entries under other names end the search at the bound).
        const std::size_t total = m_Table.Entries().size();
        std::size_t found = 0;
        std::uint32_t count = 0;
        for (std::uint32_t n = 0; n < kMaxProbedEntry && found < total; ++n) {
            if (EntryFor(n) != nullptr) {
                ++found;
                count = n + 1;
            }
        }
        m_EntryCount = count;
    }
    return *m_EntryCount;
}

const std::vector<std::uint8_t>* CUopContainer::Load(CQFile& file, const UopEntry& entry) {
    if (m_bLastValid && m_uLastStart == entry.start && m_Last.size() == entry.decompressedLength) {
        return &m_Last;
    }
    m_bLastValid = false;
    if (!UopEntryReadable(entry, m_uFileLength)) {
        return nullptr;
    }
    if (!ReadWholeUopEntry(file, entry, m_Last)) {
        return nullptr;
    }
    m_uLastStart = entry.start;
    m_bLastValid = true;
    return &m_Last;
}

const std::vector<std::uint8_t>* CUopContainer::LoadMapChunk(CQFile& file, const UopEntry& entry) {
    if (m_UndecodedChunks.contains(entry.start)) {
        return nullptr;
    }
    if (m_uKeepBytes == 0) {
        const std::vector<std::uint8_t>* bytes = Load(file, entry);
        if (bytes == nullptr) {
            m_UndecodedChunks.insert(entry.start);
        }
        return bytes;
    }
    for (auto it = m_Kept.begin(); it != m_Kept.end(); ++it) {
        if (it->start == entry.start) {
            m_Kept.splice(m_Kept.begin(), m_Kept, it);
            return &m_Kept.front().bytes;
        }
    }
    if (Load(file, entry) == nullptr) {
        m_UndecodedChunks.insert(entry.start);
        return nullptr;
    }
    m_bLastValid = false;
    m_uKeptBytes += m_Last.size();
    m_Kept.push_front({entry.start, std::move(m_Last)});
    m_Last = {};
    while (m_uKeptBytes > m_uKeepBytes && m_Kept.size() > 1) {
        m_uKeptBytes -= m_Kept.back().bytes.size();
        m_Kept.pop_back();
    }
    return &m_Kept.front().bytes;
}

bool UopEntryHoldsRecord(const UopEntry& entry, std::uint32_t headerBytes) {
    return entry.decompressedLength >= headerBytes &&
           entry.decompressedLength - headerBytes <= ~IndexRecord::kPatchBit;
}

std::optional<std::uint32_t> UopSizeWordsExtra(const std::uint8_t* sizeWords) {
    const std::uint32_t width = LoadLE32(sizeWords);
    const std::uint32_t height = LoadLE32(sizeWords + 4);
    if (width > 0xFFFF || height > 0xFFFF) {
        return std::nullopt;
    }
    return width << 16 | height;
}

bool CUopContainer::ReadIndexRecord(CQFile& file, std::uint32_t entry, IndexRecord& record) {
    if (m_Kind.indexSlot < 0) {
        return false;
    }
    const UopEntry* e = EntryFor(entry);
    if (e == nullptr) {
        return false;
    }
    record = IndexRecord{};
    record.m_dwOffset = entry;
    if (!UopEntryHoldsRecord(*e, m_Kind.headerBytes)) {
        // A length no record can hold (2 GiB or more, or shorter than the gump's size words):
        // the entry is there but lies about its length, so it reads as damaged, never as absent.
        record.m_dwLength = ~IndexRecord::kPatchBit;
        return true;
    }
    record.m_dwLength = e->decompressedLength - m_Kind.headerBytes;
    if (m_Kind.headerBytes != 0) {
        // Gumps: width and height (u32 each) play the part of extra 2 and extra 1.
        std::uint8_t head[8] = {};
        if (!ReadUopEntry(file, *e, head)) {
            return false;
        }
        const std::optional<std::uint32_t> extra = UopSizeWordsExtra(head);
        if (!extra) {
            record.m_dwLength = ~IndexRecord::kPatchBit;  // reads as damaged
            return true;
        }
        record.m_wExtra2 = static_cast<std::uint16_t>(*extra >> 16);
        record.m_wExtra1 = static_cast<std::uint16_t>(*extra);
    }
    return record.HasData();
}

bool CUopContainer::Fits(const IndexRecord& record) const {
    if (m_Kind.indexSlot < 0) {
        return FitsIn(record.m_dwOffset, record.GetLength(), m_uMapLength);
    }
    const UopEntry* e = EntryFor(record.m_dwOffset);
    return e != nullptr && UopEntryReadable(*e, m_uFileLength) &&
           std::uint64_t{record.GetLength()} + m_Kind.headerBytes <= e->decompressedLength;
}

bool CUopContainer::DataFits(CQFile& file, const IndexRecord& record) {
    if (!Fits(record)) {
        return false;
    }
    // An entry's recorded length is believed once the entry has inflated to it (the bytes are
    // kept for the read that follows): a block sized to it is never larger than the entry.
    return m_Kind.indexSlot < 0 || Load(file, *EntryFor(record.m_dwOffset)) != nullptr;
}

bool CUopContainer::ReadData(CQFile& file, const IndexRecord& record,
                             std::span<std::uint8_t> buffer) {
    const std::uint32_t length = record.GetLength();
    if (buffer.size() < length || !Fits(record)) {
        return false;
    }
    if (m_Kind.indexSlot >= 0) {
        const UopEntry& entry = *EntryFor(record.m_dwOffset);
        const std::size_t needed = std::size_t{m_Kind.headerBytes} + length;
        const bool loaded = m_bLastValid && m_uLastStart == entry.start &&
                            m_Last.size() == entry.decompressedLength;
        if (needed < entry.decompressedLength && !loaded) {
            // A prefix: only the compressed bytes it needs are read and inflated.
            std::vector<std::uint8_t> prefix(needed);
            if (!ReadUopEntry(file, entry, prefix)) {
                return false;
            }
            std::copy_n(prefix.begin() + m_Kind.headerBytes, length, buffer.begin());
            return true;
        }
        const std::vector<std::uint8_t>* bytes = Load(file, entry);
        if (bytes == nullptr) {
            return false;
        }
        std::copy_n(bytes->begin() + m_Kind.headerBytes, length, buffer.begin());
        return true;
    }
    std::uint64_t pos = record.m_dwOffset;
    std::size_t done = 0;
    while (done < length) {
        const std::uint64_t chunk = pos / kUopMapChunkBytes;
        const std::uint64_t within = pos % kUopMapChunkBytes;
        const std::vector<std::uint8_t>* bytes =
            chunk < m_MapChunks.size() ? LoadMapChunk(file, m_MapChunks[chunk]) : nullptr;
        if (bytes == nullptr || within >= bytes->size()) {
            return false;
        }
        const std::size_t n =
            std::min<std::size_t>(length - done, bytes->size() - static_cast<std::size_t>(within));
        std::copy_n(bytes->begin() + static_cast<std::ptrdiff_t>(within), n,
                    buffer.begin() + static_cast<std::ptrdiff_t>(done));
        done += n;
        pos += n;
    }
    return true;
}

}  // namespace tessaly
