#include "ClientWriter.h"

#include "Facet.h"
#include "MapBlock.h"
#include "OutputFolder.h"
#include "Text.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>
#include <tuple>
#include <unordered_set>

namespace tessaly {

namespace {

// Source bytes are read in pieces of this size (index records, stored container entries).
constexpr std::uint32_t kCopyPiece = 1u << 20;
constexpr std::uint32_t kIndexPiece = 4096 * IndexRecord::kSize;
// A map block's size, as the 32-bit count the records and messages use.
constexpr std::uint32_t kMapBlockBytes = CMapBlock::kSize;

IndexRecord AbsentRecord() {
    IndexRecord r;
    r.m_dwOffset = IndexRecord::kNoData;
    r.m_dwLength = 0xFFFFFFFFu;
    r.m_wExtra1 = 0xFFFF;
    r.m_wExtra2 = 0xFFFF;
    return r;
}

std::uint32_t Adler32(ByteSpan bytes) {
    return libdeflate_adler32(1, bytes.data(), bytes.size());
}

}  // namespace

// ---- CMemoryFile ----

CMemoryFile::CMemoryFile() {
    m_strFileName = "(memory)";
}

std::int64_t CMemoryFile::Seek(std::int64_t offset, int origin) {
    const std::int64_t base = origin == begin     ? 0
                              : origin == current ? static_cast<std::int64_t>(m_uPos)
                                                  : static_cast<std::int64_t>(m_Bytes.size());
    if (base + offset < 0) {
        throw CQFileException(CQFileException::kBadSeek, EINVAL, m_strFileName);
    }
    m_uPos = static_cast<std::uint64_t>(base + offset);
    return static_cast<std::int64_t>(m_uPos);
}

std::uint32_t CMemoryFile::Read(void* buffer, std::uint32_t count) {
    if (m_uPos >= m_Bytes.size()) {
        return 0;
    }
    const auto n =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(count, m_Bytes.size() - m_uPos));
    std::memcpy(buffer, m_Bytes.data() + m_uPos, n);
    m_uPos += n;
    return n;
}

void CMemoryFile::Write(const void* buffer, std::uint32_t count) {
    if (m_uPos + count > m_Bytes.size()) {
        m_Bytes.resize(static_cast<std::size_t>(m_uPos + count));
    }
    if (count != 0) {
        std::memcpy(m_Bytes.data() + m_uPos, buffer, count);
    }
    m_uPos += count;
}

// ---- CMulPairWriter ----

CMulPairWriter::CMulPairWriter(CQFile& index, CQFile& data)
    : m_Index(std::make_unique<CQBufferedFile>(index)),
      m_Data(std::make_unique<CQBufferedFile>(data)) {}

CMulPairWriter::~CMulPairWriter() = default;

IndexRecord& CMulPairWriter::Slot(std::uint32_t number) {
    if (number >= m_Records.size()) {
        m_Records.resize(std::size_t{number} + 1, AbsentRecord());
    }
    return m_Records[number];
}

void CMulPairWriter::Add(std::uint32_t number, ByteSpan bytes, std::uint32_t extra) {
    if (m_uDataSize + bytes.size() > IndexRecord::kNoData ||
        bytes.size() > ~IndexRecord::kPatchBit) {
        throw COutputError("the data file would pass 4 GiB, more than its index can address");
    }
    IndexRecord& r = Slot(number);
    r.m_dwOffset = static_cast<std::uint32_t>(m_uDataSize);
    r.m_dwLength = static_cast<std::uint32_t>(bytes.size());
    r.m_wExtra1 = static_cast<std::uint16_t>(extra);
    r.m_wExtra2 = static_cast<std::uint16_t>(extra >> 16);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto n =
            static_cast<std::uint32_t>(std::min<std::size_t>(bytes.size() - done, kCopyPiece));
        m_Data->Write(bytes.data() + done, n);
        done += n;
    }
    m_uDataSize += bytes.size();
}

void CMulPairWriter::AddRecord(std::uint32_t number, const IndexRecord& record) {
    Slot(number) = record;
}

void CMulPairWriter::Finish(std::uint32_t count) {
    if (count > m_Records.size()) {
        m_Records.resize(count, AbsentRecord());
    }
    ByteWriter w;
    for (std::size_t first = 0; first < m_Records.size();
         first += kIndexPiece / IndexRecord::kSize) {
        w = ByteWriter();
        const std::size_t end =
            std::min(m_Records.size(), first + kIndexPiece / IndexRecord::kSize);
        for (std::size_t i = first; i < end; ++i) {
            m_Records[i].Write(w);
        }
        m_Index->Write(w.data().data(), static_cast<std::uint32_t>(w.size()));
    }
    m_Index->FlushBuffer();
    m_Data->FlushBuffer();
}

// ---- CUopWriter ----

CUopWriter::CUopWriter(const UopKind& kind, CQFile& file, std::uint32_t capacity)
    : CUopWriter(file, capacity) {
    m_pKind = &kind;
}

CUopWriter::CUopWriter(CQFile& file, std::uint32_t capacity)
    : m_pKind(nullptr),
      m_File(std::make_unique<CQBufferedFile>(file)),
      m_uCapacity(std::clamp<std::uint32_t>(capacity, 1, 1u << 20)) {
    ByteWriter w;
    w.u32(kUopMagic).u32(5).u32(kUopSignature).u64(kUopFirstTable).u32(m_uCapacity).u32(0);
    w.zeros(kUopFirstTable - w.size());
    m_File->Write(w.data().data(), static_cast<std::uint32_t>(w.size()));
    m_uSize = kUopFirstTable;
}

CUopWriter::~CUopWriter() = default;

std::uint64_t CUopWriter::EntryHash(std::uint32_t number, std::string_view name) const {
    if (!name.empty()) {
        return HashUopName(name);
    }
    if (m_pKind == nullptr) {
        throw COutputError(Format("container entry %u has no name", number));
    }
    return HashUopName(UopEntryName(*m_pKind, number));
}

void CUopWriter::EndTable(std::uint64_t next) {
    ByteWriter w;
    w.u32(static_cast<std::uint32_t>(m_Slots.size())).u64(next);
    for (const Slot& s : m_Slots) {
        w.u64(s.offset).u32(0).u32(s.compressedLength).u32(s.decompressedLength);
        w.u64(s.hash).u32(s.checksum).u16(s.compression);
    }
    m_File->Seek(static_cast<std::int64_t>(m_uTable), CQFile::begin);
    m_File->Write(w.data().data(), static_cast<std::uint32_t>(w.size()));
    m_File->Seek(static_cast<std::int64_t>(m_uSize), CQFile::begin);
    m_Slots.clear();
}

void CUopWriter::StartEntry(std::optional<std::uint32_t> number) {
    if (!number) {
        m_nLast = kUnnumberedAdded;
    } else if (static_cast<std::int64_t>(*number) <= m_nLast) {
        throw COutputError(Format("container entries must come in ascending order (%u after %lld)",
                                  *number, static_cast<long long>(m_nLast)));
    } else {
        m_nLast = *number;
    }
    ++m_uFiles;
    const bool open = m_uTable != 0;
    if (open && m_Slots.size() < m_uCapacity) {
        return;
    }
    if (open) {
        EndTable(m_uSize);
    }
    OpenTable();
}

void CUopWriter::OpenTable() {
    // A new table: its place is held with zeros (which also stand for its unused entries).
    m_uTable = m_uSize;
    const std::size_t bytes = kUopTableHeaderSize + std::size_t{m_uCapacity} * kUopEntrySize;
    m_Scratch.assign(bytes, 0);
    m_File->Write(m_Scratch.data(), static_cast<std::uint32_t>(bytes));
    m_uSize += bytes;
}

void CUopWriter::Add(std::uint32_t number, ByteSpan bytes, bool compress, std::string_view name) {
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw COutputError("a container entry cannot hold 4 GiB or more");
    }
    StartEntry(number);
    ByteSpan stored = bytes;
    if (compress) {
        uLongf size = compressBound(static_cast<uLong>(bytes.size()));
        m_Scratch.resize(size);
        if (compress2(m_Scratch.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()),
                      Z_BEST_COMPRESSION) != Z_OK) {
            throw COutputError(Format("cannot compress entry %u", number));
        }
        stored = ByteSpan(m_Scratch.data(), size);
    }
    m_Slots.push_back({m_uSize, static_cast<std::uint32_t>(stored.size()),
                       static_cast<std::uint32_t>(bytes.size()), EntryHash(number, name),
                       Adler32(stored), compress ? kUopZlib : kUopStored});
    m_File->Write(stored.data(), static_cast<std::uint32_t>(stored.size()));
    m_uSize += stored.size();
}

void CUopWriter::AddStored(std::uint32_t number, CQFile& source, const UopEntry& entry) {
    StartEntry(number);
    CopyStored(EntryHash(number, {}), source, entry);
}

void CUopWriter::AddStoredUnnumbered(std::uint64_t hash, CQFile& source, const UopEntry& entry) {
    StartEntry(std::nullopt);
    CopyStored(hash, source, entry);
}

void CUopWriter::CopyStored(std::uint64_t hash, CQFile& source, const UopEntry& entry) {
    m_Slots.push_back({m_uSize, entry.compressedLength, entry.decompressedLength, hash,
                       entry.checksum, entry.compression});
    source.Seek(static_cast<std::int64_t>(entry.start), CQFile::begin);
    m_Scratch.resize(std::min(entry.compressedLength, kCopyPiece));
    std::uint32_t left = entry.compressedLength;
    while (left > 0) {
        const std::uint32_t n = std::min(left, kCopyPiece);
        if (source.Read(m_Scratch.data(), n) != n) {
            throw CQFileException(CQFileException::kReadFault, 0, source.GetFilePath());
        }
        m_File->Write(m_Scratch.data(), n);
        left -= n;
    }
    m_uSize += entry.compressedLength;
}

void CUopWriter::AddDamaged(std::uint32_t number, std::uint32_t claimed) {
    StartEntry(number);
    // Stored bytes of a length other than the entry's: no reader takes them.
    m_Slots.push_back(
        {m_uSize, 0, std::max<std::uint32_t>(claimed, 1), EntryHash(number, {}), 1, kUopStored});
}

void CUopWriter::Finish() {
    if (m_uTable == 0) {
        // No entries: one empty table all the same, so that the header points at a table.
        OpenTable();
    }
    EndTable(0);
    ByteWriter count;
    count.u32(m_uFiles);
    m_File->Seek(24, CQFile::begin);
    m_File->Write(count.data().data(), 4);
    m_File->Seek(static_cast<std::int64_t>(m_uSize), CQFile::begin);
    m_File->FlushBuffer();
}

std::vector<std::uint8_t> WriteUopContainer(const UopKind& kind,
                                            const std::vector<UopSourceEntry>& entries,
                                            std::uint32_t capacity) {
    std::vector<const UopSourceEntry*> order;
    for (const UopSourceEntry& e : entries) {
        order.push_back(&e);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto* a, const auto* b) { return a->number < b->number; });
    CMemoryFile file;
    {
        CUopWriter writer(kind, file, capacity);
        for (const UopSourceEntry* e : order) {
            writer.Add(e->number, e->bytes, e->compress, e->name);
        }
        writer.Finish();
    }
    return std::move(file.Bytes());
}

std::vector<std::uint8_t> WriteUopContainer(const std::vector<UopSourceEntry>& entries,
                                            std::uint32_t capacity) {
    CMemoryFile file;
    {
        // The numbers only order the entries; named entries keep the order given.
        CUopWriter writer(file, capacity);
        std::uint32_t number = 0;
        for (const UopSourceEntry& e : entries) {
            writer.Add(number++, e.bytes, e.compress, e.name);
        }
        writer.Finish();
    }
    return std::move(file.Bytes());
}

// ---- Whole kinds ----

namespace {

// Each kind's slots and name, in the order of EntryFileKind (the map's name carries its facet).
struct KindRow {
    EntryFileKind kind;
    KindSlots slots;
    const char* name;
};
constexpr KindRow kKindRows[] = {
    {EntryFileKind::Art, {kSlotArtIdx, kSlotArt}, "art"},
    {EntryFileKind::Gumps, {kSlotGumpIdx, kSlotGumpArt}, "gumps"},
    {EntryFileKind::Sounds, {kSlotSoundIdx, kSlotSound}, "sounds"},
    {EntryFileKind::Map, {-1, kSlotMap0}, nullptr},
    {EntryFileKind::Textures, {kSlotTexIdx, kSlotTexMaps}, "textures"},
    {EntryFileKind::Lights, {kSlotLightIdx, kSlotLight}, "lights"},
    {EntryFileKind::Animations, {kSlotAnimIdx, kSlotAnim}, "animations"},
    {EntryFileKind::Multis, {kSlotMultiIdx, kSlotMulti}, "multis"},
    {EntryFileKind::Skills, {kSlotSkillsIdx, kSlotSkills}, "skills"},
    {EntryFileKind::Statics, {kSlotStaIdx0, kSlotStatics0}, "statics"},
};
static_assert(std::size(kKindRows) == static_cast<std::size_t>(EntryFileKind::Statics) + 1);
static_assert([] {
    for (std::size_t i = 0; i < std::size(kKindRows); ++i) {
        if (static_cast<std::size_t>(kKindRows[i].kind) != i) {
            return false;
        }
    }
    return true;
}());

const KindRow& RowOf(EntryFileKind kind) {
    return kKindRows[static_cast<std::size_t>(kind)];
}

}  // namespace

KindSlots SlotsOf(EntryFileKind kind) {
    return RowOf(kind).slots;
}

namespace {

// The index record of an entry that cannot be read: its stretch starts where no data file of
// 4 GiB or less reaches, so that it reads as damaged, never as bytes written after it. The extra
// words are kept.
IndexRecord DamagedRecord(std::uint32_t length, std::uint32_t extra) {
    IndexRecord r;
    r.m_dwOffset = IndexRecord::kNoData - 1;
    r.m_dwLength =
        std::clamp<std::uint32_t>(length & ~IndexRecord::kPatchBit, 2, ~IndexRecord::kPatchBit);
    r.m_wExtra1 = static_cast<std::uint16_t>(extra);
    r.m_wExtra2 = static_cast<std::uint16_t>(extra >> 16);
    return r;
}

constexpr std::uint32_t kReadOnly = CQFile::modeRead | CQFile::shareDenyWrite;

[[noreturn]] void Unreadable(const std::string& path, std::uint32_t number, const char* why) {
    throw COutputError(Format("entry %u of '%s' cannot be read: %s", number, path.c_str(), why));
}

// The records of a source index, read in pieces as the entries go by.
class CIndexReader {
public:
    explicit CIndexReader(CQFile& file)
        : m_File(file), m_uCount(file.GetLength() / IndexRecord::kSize) {}
    std::uint64_t Count() const { return m_uCount; }
    IndexRecord Read(std::uint32_t number) {
        const std::uint64_t at = std::uint64_t{number} * IndexRecord::kSize;
        if (at < m_uFirst || at + IndexRecord::kSize > m_uFirst + m_Piece.size()) {
            m_uFirst = at;
            m_Piece.resize(static_cast<std::size_t>(
                std::min<std::uint64_t>(kIndexPiece, (m_uCount - number) * IndexRecord::kSize)));
            m_File.Seek(static_cast<std::int64_t>(at), CQFile::begin);
            if (m_File.Read(m_Piece.data(), static_cast<std::uint32_t>(m_Piece.size())) !=
                m_Piece.size()) {
                throw CQFileException(CQFileException::kReadFault, 0, m_File.GetFilePath());
            }
        }
        ByteReader in(ByteSpan(m_Piece).subspan(static_cast<std::size_t>(at - m_uFirst)));
        IndexRecord r;
        r.Read(in);
        return r;
    }

private:
    CQFile& m_File;
    std::uint64_t m_uCount;
    std::uint64_t m_uFirst = 0;
    std::vector<std::uint8_t> m_Piece;
};

// The entry numbers of a container, ascending, found by probing names (with `consecutive`, the
// chunks of a map: they stop at the first missing number or after the first short chunk).
std::vector<std::pair<std::uint32_t, UopEntry>> ContainerEntries(const CUopTable& table,
                                                                 const UopKind& kind,
                                                                 bool consecutive) {
    std::vector<std::pair<std::uint32_t, UopEntry>> found;
    const std::size_t total = table.Entries().size();
    for (std::uint32_t n = 0; n < CUopContainer::kMaxProbedEntry && found.size() < total; ++n) {
        const UopEntry* e = table.Find(HashUopName(UopEntryName(kind, n)));
        if (e != nullptr) {
            found.emplace_back(n, *e);
            if (consecutive && e->decompressedLength != kUopMapChunkBytes) {
                break;  // a short chunk ends the map, as the reader has it
            }
        } else if (consecutive) {
            break;
        }
    }
    return found;
}

// The entries of a container under names other than the kind's numbered ones (`numbered`, as
// ContainerEntries finds them), with their name hashes, in the order their bytes lie.
std::vector<std::pair<std::uint64_t, UopEntry>> UnnumberedEntries(
    const CUopTable& table, const UopKind& kind,
    const std::vector<std::pair<std::uint32_t, UopEntry>>& numbered) {
    std::unordered_set<std::uint64_t> named;
    for (const auto& [number, entry] : numbered) {
        named.insert(HashUopName(UopEntryName(kind, number)));
    }
    std::vector<std::pair<std::uint64_t, UopEntry>> others;
    for (const auto& [hash, entry] : table.Entries()) {
        if (!named.contains(hash)) {
            others.emplace_back(hash, entry);
        }
    }
    std::sort(others.begin(), others.end(), [](const auto& a, const auto& b) {
        return std::tie(a.second.start, a.first) < std::tie(b.second.start, b.first);
    });
    return others;
}

class CEntryFileWriter {
public:
    CEntryFileWriter(CClientFiles& files, const EntryFileSpec& spec, const EntryChanges& changes,
                     const EntryFileOptions& options, COutputFolder& out)
        : m_Files(files),
          m_Spec(spec),
          m_Changes(changes),
          m_Options(options),
          m_Out(out),
          m_pKind(ContainerKind(spec)) {}

    EntryFileResult Run() {
        const EntrySourceInfo source = FindEntrySource(m_Files, m_Spec);
        if (!source.present) {
            throw COutputError("the client has no " + MulDataName(m_Spec) +
                               (m_pKind ? std::string(" or ") + m_pKind->fileName : std::string()));
        }
        m_bFromContainer = source.form == ClientForm::Container;
        try {
            OpenSource();
            if (m_Spec.kind == EntryFileKind::Map) {
                WriteMap();
            } else {
                WriteIndexed();
            }
        } catch (const CQFileException& e) {
            throw COutputError(m_Out.DescribeError(e));
        }
        for (const std::string& name : m_Result.files) {
            m_Out.FileDone(name);
        }
        ManifestEntries entries{m_Result.replaced, m_Result.added, m_Result.deleted,
                                m_Result.damaged};
        m_Out.SetEntries(m_Result.files.front(), std::move(entries));
        return m_Result;
    }

private:
    void OpenSource() {
        auto open = [&](CQFile& file, const std::string& name) {
            if (!m_Files.OpenInDirs(file, name.c_str(), kReadOnly)) {
                throw COutputError("cannot open '" + name + "' of the client for reading");
            }
        };
        if (m_bFromContainer) {
            open(m_Source, m_pKind->fileName);
            if (!m_Table.Read(m_Source) || !m_Table.Error().empty()) {
                if (!m_Table.HeaderRead()) {
                    throw COutputError(m_Source.GetFilePath() + ": " + m_Table.Error());
                }
                // A broken table chain: the entries read before the break (maybe none) are those
                // the client reads, and those written.
                m_Result.damagedTable = m_Table.Error();
            }
        } else {
            open(m_Source, MulDataName(m_Spec));
            if (m_Spec.kind != EntryFileKind::Map) {
                open(m_Index, MulIndexName(m_Spec));
            }
        }
        m_uSourceLength = m_Source.GetLength();
    }

    bool Compress(std::uint16_t sourceCompression) const {
        switch (m_Options.compression) {
            case UopCompression::Stored:
                return false;
            case UopCompression::Zlib:
                return true;
            case UopCompression::AsSource:
                break;
        }
        return sourceCompression == kUopZlib;
    }

    std::uint32_t Capacity() const {
        if (m_Options.capacity != 0) {
            return m_Options.capacity;
        }
        return m_bFromContainer && m_Table.Capacity() != 0 ? m_Table.Capacity()
                                                           : CUopWriter::kDefaultCapacity;
    }

    void Progress(std::uint64_t done, std::uint64_t total) const {
        if (m_Options.progress && !m_Options.progress(done, total)) {
            throw COutputError("cancelled");
        }
    }

    // The bytes and extra words a change gives.
    static void ChangeBytes(const EntryChange& change, std::uint32_t number,
                            std::vector<std::uint8_t>& bytes, std::uint32_t& extra) {
        bytes = change.bytes;
        extra = change.extra;
        if (change.fetch && !change.fetch(bytes, extra)) {
            throw COutputError(Format("the new content of entry %u cannot be had", number));
        }
    }

    // A source entry's bytes as a .mul entry holds them, with its extra words. False for a
    // damaged entry: its record's stretch lies outside its file, its container entry does not
    // decode. A file that fails to read raises CQFileException (the run stops).
    bool ReadSourceEntry(std::uint32_t number, const IndexRecord* record, const UopEntry* entry,
                         std::vector<std::uint8_t>& bytes, std::uint32_t& extra) {
        extra = 0;
        if (entry != nullptr) {
            if (!UopEntryReadable(*entry, m_uSourceLength) ||
                !ReadWholeUopEntry(m_Source, *entry, bytes)) {
                return false;
            }
            if (m_pKind->headerBytes != 0) {
                // Size words that pass 16 bits no index record can hold: damaged, as read.
                const std::optional<std::uint32_t> size = bytes.size() < m_pKind->headerBytes
                                                              ? std::nullopt
                                                              : UopSizeWordsExtra(bytes.data());
                if (!size) {
                    return false;
                }
                extra = *size;
                bytes.erase(bytes.begin(), bytes.begin() + m_pKind->headerBytes);
            }
            return true;
        }
        extra = record->GetExtra();
        if (record->IsPatch()) {
            // A base record pointing into the patch file: read there, as the client reads it.
            const std::int32_t slot = SlotsOf(m_Spec.kind).dataSlot;
            if (m_Files.DataStatus(slot, *record) != ReadStatus::Ok) {
                return false;
            }
            bytes.resize(record->GetLength());
            if (m_Files.ReadDataStatus(slot, *record, bytes) != ReadStatus::Ok) {
                Unreadable(m_Index.GetFilePath(), number, "its patch file cannot be read");
            }
            return true;
        }
        if (!FitsIn(record->m_dwOffset, record->GetLength(), m_uSourceLength)) {
            return false;
        }
        bytes.resize(record->GetLength());
        m_Source.Seek(record->m_dwOffset, CQFile::begin);
        if (m_Source.Read(bytes.data(), record->GetLength()) != record->GetLength()) {
            Unreadable(m_Source.GetFilePath(), number, "the data file ends early");
        }
        return true;
    }

    // Writes entry `number` so that it reads as damaged, and lists it.
    void PutDamaged(CMulPairWriter* mul, CUopWriter* uop, std::uint32_t number,
                    std::uint32_t length, std::uint32_t extra) {
        m_Result.damaged.push_back(number);
        if (mul != nullptr) {
            mul->AddRecord(number, DamagedRecord(length, extra));
        } else {
            uop->AddDamaged(number, length + m_pKind->headerBytes);
        }
    }

    // Copies a container entry's stored bytes unchanged when the output is a container that
    // keeps its compression; false when the entry is to be decoded instead (a damaged one is:
    // it is decoded here first, so that one whose bytes do not inflate, or whose size words no
    // index record holds, is listed as damaged as it is in the .mul form).
    bool CopyStored(CUopWriter* uop, std::uint32_t number, const UopEntry* entry) {
        std::uint32_t extra = 0;
        if (uop == nullptr || entry == nullptr ||
            Compress(entry->compression) != (entry->compression == kUopZlib) ||
            !ReadSourceEntry(number, nullptr, entry, m_Decoded, extra)) {
            return false;
        }
        uop->AddStored(number, m_Source, *entry);
        return true;
    }

    // A container entry this program cannot decode (a compression it does not know, bytes
    // that do not inflate) goes into a container output as its stored bytes stand: a client
    // that can read it still does. False when the output is not a container or the file does
    // not hold those bytes; the caller then writes the entry as damaged.
    bool CopyUndecodable(CUopWriter* uop, std::uint32_t number, const UopEntry* entry) {
        if (uop == nullptr || entry == nullptr ||
            !FitsIn(entry->start, entry->compressedLength, m_uSourceLength)) {
            return false;
        }
        uop->AddStored(number, m_Source, *entry);
        return true;
    }

    // A source container's entries under other names than the numbered ones: nothing here
    // reads them, but a client or tool may, so a container output keeps them as they are
    // stored. The .mul form has no place for them; what is left out is said.
    // `numbered`: the source's numbered entries (ContainerEntries, not stopping at a gap).
    void KeepUnnumberedEntries(CUopWriter* uop,
                               const std::vector<std::pair<std::uint32_t, UopEntry>>& numbered) {
        if (!m_bFromContainer) {
            return;
        }
        std::size_t left = 0;
        for (const auto& [hash, entry] : UnnumberedEntries(m_Table, *m_pKind, numbered)) {
            if (uop != nullptr && FitsIn(entry.start, entry.compressedLength, m_uSourceLength)) {
                uop->AddStoredUnnumbered(hash, m_Source, entry);
            } else {
                ++left;
            }
        }
        if (left != 0) {
            m_Result.note = Format(
                "%zu of the container's entries, named otherwise than '%s', "
                "are left out",
                left, m_pKind->namePattern);
        }
    }

    void PutContainerEntry(CUopWriter& writer, std::uint32_t number, ByteSpan bytes,
                           std::uint32_t extra, bool compress) {
        if (m_pKind->headerBytes == 0) {
            writer.Add(number, bytes, compress);
            return;
        }
        // Gumps: width (extra 2) and height (extra 1) in front of the entry's bytes.
        m_Joined.resize(bytes.size() + 8);
        StoreLE32(m_Joined.data(), extra >> 16);
        StoreLE32(m_Joined.data() + 4, extra & 0xFFFF);
        std::copy(bytes.begin(), bytes.end(), m_Joined.begin() + 8);
        writer.Add(number, m_Joined, compress);
    }

    void WriteIndexed() {
        const bool toMul = m_Options.form == ClientForm::MulPair || m_pKind == nullptr;
        std::unique_ptr<CMulPairWriter> mul;
        std::unique_ptr<CUopWriter> uop;
        if (toMul) {
            CQFile& data = m_Out.Create(MulDataName(m_Spec));
            CQFile& index = m_Out.Create(MulIndexName(m_Spec));
            m_Result.files = {MulDataName(m_Spec), MulIndexName(m_Spec)};
            mul = std::make_unique<CMulPairWriter>(index, data);
        } else {
            uop =
                std::make_unique<CUopWriter>(*m_pKind, m_Out.Create(m_pKind->fileName), Capacity());
            m_Result.files = {m_pKind->fileName};
        }
        std::unique_ptr<CIndexReader> index;
        std::vector<std::pair<std::uint32_t, UopEntry>> entries;
        std::uint64_t sourceCount = 0;
        if (m_bFromContainer) {
            entries = ContainerEntries(m_Table, *m_pKind, false);
            sourceCount = entries.empty() ? 0 : entries.back().first + 1;
        } else {
            index = std::make_unique<CIndexReader>(m_Index);
            sourceCount = std::min<std::uint64_t>(index->Count(), std::uint64_t{1} << 32);
        }
        const std::uint64_t changedPast =
            m_Changes.empty() ? 0 : std::uint64_t{m_Changes.rbegin()->first} + 1;
        const std::uint64_t end = std::max(sourceCount, changedPast);
        const std::uint64_t total = m_bFromContainer ? entries.size() : sourceCount;
        auto nextEntry = entries.begin();
        auto nextChange = m_Changes.begin();
        std::vector<std::uint8_t> bytes;
        std::uint64_t done = 0;
        std::uint64_t n = 0;
        while (n < end) {
            // The next number anything happens at: every index record of a .mul source, the
            // container's entries, the changes.
            std::uint64_t at = end;
            if (!m_bFromContainer && n < sourceCount) {
                at = n;
            }
            if (nextEntry != entries.end()) {
                at = std::min<std::uint64_t>(at, nextEntry->first);
            }
            if (nextChange != m_Changes.end()) {
                at = std::min<std::uint64_t>(at, nextChange->first);
            }
            if (at >= end) {
                break;
            }
            const auto number = static_cast<std::uint32_t>(at);
            IndexRecord record;
            const UopEntry* entry = nullptr;
            bool present = false;
            bool inIndex = false;
            if (m_bFromContainer) {
                if (nextEntry != entries.end() && nextEntry->first == number) {
                    entry = &nextEntry->second;
                    present = true;
                    ++nextEntry;
                }
            } else if (number < sourceCount) {
                record = index->Read(number);
                inIndex = true;
                present = record.HasData();
            }
            const EntryChange* change = nullptr;
            if (nextChange != m_Changes.end() && nextChange->first == number) {
                change = &nextChange->second;
                ++nextChange;
            }
            std::uint32_t extra = 0;
            if (change != nullptr && change->action == EntryChange::Action::Replace) {
                ChangeBytes(*change, number, bytes, extra);
                (present ? m_Result.replaced : m_Result.added).push_back(number);
                if (toMul) {
                    mul->Add(number, bytes, extra);
                } else {
                    PutContainerEntry(*uop, number, bytes, extra,
                                      Compress(entry ? entry->compression : kUopStored));
                }
            } else if (change != nullptr && change->action == EntryChange::Action::Damaged) {
                PutDamaged(mul.get(), uop.get(), number, 2, change->extra);
            } else if (change != nullptr) {
                if (present) {
                    m_Result.deleted.push_back(number);
                }
                if (toMul && inIndex) {
                    mul->AddRecord(number, AbsentRecord());
                }
            } else if (present && !CopyStored(uop.get(), number, entry)) {
                if (!ReadSourceEntry(number, inIndex ? &record : nullptr, entry, bytes, extra)) {
                    const std::uint32_t header = m_pKind ? m_pKind->headerBytes : 0;
                    if (CopyUndecodable(uop.get(), number, entry)) {
                        m_Result.damaged.push_back(number);
                    } else {
                        PutDamaged(mul.get(), uop.get(), number,
                                   entry ? entry->decompressedLength -
                                               std::min(header, entry->decompressedLength)
                                         : record.GetLength(),
                                   extra);
                    }
                } else if (toMul) {
                    mul->Add(number, bytes, extra);
                } else {
                    PutContainerEntry(*uop, number, bytes, extra,
                                      Compress(entry ? entry->compression : kUopStored));
                }
            } else if (present) {
                // Copied as it was stored.
            } else if (toMul && inIndex) {
                // An absent record, or one of length 0: kept as it is, a length-0 record
                // pointing at where the data has got to, as it did in the source.
                if (record.m_dwOffset != IndexRecord::kNoData && record.m_dwLength == 0) {
                    mul->Add(number, {}, record.GetExtra());
                } else {
                    mul->AddRecord(number, record);
                }
            }
            if (change != nullptr ? change->action == EntryChange::Action::Replace : present) {
                ++m_Result.entries;
            }
            Progress(++done, std::max(total, done));
            n = std::uint64_t{number} + 1;
        }
        KeepUnnumberedEntries(uop.get(), entries);
        if (toMul) {
            mul->Finish(static_cast<std::uint32_t>(std::min<std::uint64_t>(end, 0xFFFFFFFFu)));
        } else {
            uop->Finish();
        }
    }

    // The bytes of a map chunk a reader sees: a chunk's own length, never more than a whole
    // chunk (a last chunk claiming more is read no further, and a damaged one is not believed).
    static std::uint64_t ChunkSize(const UopEntry& entry) {
        return std::min<std::uint64_t>(entry.decompressedLength, kUopMapChunkBytes);
    }

    // The map: 196-byte blocks, in chunks of 4,096 blocks.
    void WriteMap() {
        const bool toMul = m_Options.form == ClientForm::MulPair;
        std::vector<std::pair<std::uint32_t, UopEntry>> chunks;
        std::uint64_t length = 0;
        if (m_bFromContainer) {
            chunks = ContainerEntries(m_Table, *m_pKind, true);
            for (const auto& [number, entry] : chunks) {
                length += ChunkSize(entry);
            }
            // Chunks past a missing or short one are not the client's map: not written, and said.
            if (m_Result.damagedTable.empty()) {
                m_Result.damagedTable = MapChunksNotReadNote(m_Table, *m_pKind, chunks.size());
            }
        } else {
            length = m_uSourceLength;
        }
        for (const auto& [block, change] : m_Changes) {
            if (change.action != EntryChange::Action::Replace) {
                throw COutputError(Format("block %u of the map cannot be deleted", block));
            }
            if ((std::uint64_t{block} + 1) * kMapBlockBytes > length) {
                throw COutputError(Format("block %u lies past the end of the map", block));
            }
        }
        std::unique_ptr<CUopWriter> uop;
        CQFile* mulFile = nullptr;
        std::unique_ptr<CQBufferedFile> mulOut;
        if (toMul) {
            mulFile = &m_Out.Create(MulDataName(m_Spec));
            mulOut = std::make_unique<CQBufferedFile>(*mulFile);
            m_Result.files = {MulDataName(m_Spec)};
        } else {
            uop =
                std::make_unique<CUopWriter>(*m_pKind, m_Out.Create(m_pKind->fileName), Capacity());
            m_Result.files = {m_pKind->fileName};
        }
        const std::uint64_t count =
            m_bFromContainer ? chunks.size() : (length + kUopMapChunkBytes - 1) / kUopMapChunkBytes;
        std::vector<std::uint8_t> bytes;
        std::uint32_t extra = 0;
        std::uint64_t at = 0;
        auto change = m_Changes.begin();
        for (std::uint64_t c = 0; c < count; ++c) {
            const auto number = static_cast<std::uint32_t>(c);
            const UopEntry* entry = m_bFromContainer ? &chunks[c].second : nullptr;
            const std::uint64_t size =
                entry ? ChunkSize(*entry) : std::min<std::uint64_t>(kUopMapChunkBytes, length - at);
            const std::uint64_t endAt = at + size;
            const bool changed =
                change != m_Changes.end() && std::uint64_t{change->first} * kMapBlockBytes < endAt;
            if (changed || !CopyStored(uop.get(), number, entry)) {
                if (entry != nullptr && !ReadSourceEntry(number, nullptr, entry, bytes, extra)) {
                    // A chunk that does not decode: its blocks are damaged. A container keeps it
                    // so; the .mul form cannot, and gets zeros (changed blocks laid over them).
                    for (std::uint64_t b = at / kMapBlockBytes; b * kMapBlockBytes < endAt; ++b) {
                        m_Result.damaged.push_back(static_cast<std::uint32_t>(b));
                    }
                    if (!changed && uop) {
                        if (!CopyUndecodable(uop.get(), number, entry)) {
                            uop->AddDamaged(number, entry->decompressedLength);
                        }
                        at = endAt;
                        Progress(c + 1, count);
                        continue;
                    }
                    bytes.assign(static_cast<std::size_t>(size), 0);
                } else {
                    // A decoded chunk is cut to what a reader sees of it.
                    bytes.resize(static_cast<std::size_t>(size));
                }
                if (entry == nullptr) {
                    m_Source.Seek(static_cast<std::int64_t>(at), CQFile::begin);
                    if (m_Source.Read(bytes.data(), static_cast<std::uint32_t>(size)) != size) {
                        throw CQFileException(CQFileException::kReadFault, 0,
                                              m_Source.GetFilePath());
                    }
                }
                // The changed blocks of this chunk (a block may straddle two chunks).
                for (auto it = change; it != m_Changes.end(); ++it) {
                    const std::uint64_t first = std::uint64_t{it->first} * kMapBlockBytes;
                    if (first >= endAt) {
                        break;
                    }
                    std::vector<std::uint8_t> block;
                    ChangeBytes(it->second, it->first, block, extra);
                    if (block.size() != kMapBlockBytes) {
                        throw COutputError(Format("the new block %u is %zu bytes, not %u",
                                                  it->first, block.size(), kMapBlockBytes));
                    }
                    for (std::uint32_t i = 0; i < kMapBlockBytes; ++i) {
                        if (first + i >= at && first + i < endAt) {
                            bytes[static_cast<std::size_t>(first + i - at)] = block[i];
                        }
                    }
                }
                if (toMul) {
                    mulOut->Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
                } else {
                    uop->Add(number, bytes, Compress(entry ? entry->compression : kUopStored));
                }
            }
            while (change != m_Changes.end() &&
                   (std::uint64_t{change->first} + 1) * kMapBlockBytes <= endAt) {
                m_Result.replaced.push_back(change->first);
                ++change;
            }
            at = endAt;
            Progress(c + 1, count);
        }
        m_Result.entries = length / kMapBlockBytes;
        if (m_bFromContainer) {
            // The chunks past a gap are numbered too: said above, not copied.
            KeepUnnumberedEntries(uop.get(), ContainerEntries(m_Table, *m_pKind, false));
        }
        if (toMul) {
            mulOut->FlushBuffer();
        } else {
            uop->Finish();
        }
    }

    CClientFiles& m_Files;
    const EntryFileSpec& m_Spec;
    const EntryChanges& m_Changes;
    const EntryFileOptions& m_Options;
    COutputFolder& m_Out;
    const UopKind* m_pKind;  // null: the kind has no container form
    bool m_bFromContainer = false;
    CQFile m_Source;
    CQFile m_Index;
    CUopTable m_Table;
    std::uint64_t m_uSourceLength = 0;
    std::vector<std::uint8_t> m_Joined;
    std::vector<std::uint8_t> m_Decoded;  // an entry decoded to check it before a stored copy
    EntryFileResult m_Result;
};

}  // namespace

std::string MulDataName(const EntryFileSpec& spec) {
    if (spec.kind == EntryFileKind::Map) {
        return Format("map%d.mul", spec.facet);
    }
    return CClientFiles::GetFileName(SlotsOf(spec.kind).dataSlot);
}

std::string MulIndexName(const EntryFileSpec& spec) {
    if (spec.kind == EntryFileKind::Map) {
        return {};
    }
    return CClientFiles::GetFileName(SlotsOf(spec.kind).indexSlot);
}

const UopKind* ContainerKind(const EntryFileSpec& spec) {
    if (spec.kind == EntryFileKind::Map) {
        return &FacetMapKind(spec.facet);
    }
    return FindUopKind(SlotsOf(spec.kind).dataSlot);
}

EntrySourceInfo FindEntrySource(CClientFiles& files, const EntryFileSpec& spec) {
    EntrySourceInfo info;
    CQFile file;
    // A file that is there but does not open ends the run: passed over, the kind would be left
    // out of the output without a word.
    const auto open = [&](const char* name) {
        if (files.OpenInDirs(file, name, kReadOnly)) {
            return true;
        }
        if (const std::string why = files.DescribeUnopened({name}); !why.empty()) {
            throw COutputError(why);
        }
        return false;
    };
    const UopKind* container = ContainerKind(spec);
    if (container != nullptr && open(container->fileName)) {
        info.present = true;
        info.form = ClientForm::Container;
        info.paths = {file.GetFilePath()};
        return info;
    }
    if (!open(MulDataName(spec).c_str())) {
        return info;
    }
    info.paths = {file.GetFilePath()};
    if (spec.kind != EntryFileKind::Map) {
        if (!open(MulIndexName(spec).c_str())) {
            return info;
        }
        info.paths.push_back(file.GetFilePath());
    }
    info.present = true;
    info.form = ClientForm::MulPair;
    return info;
}

EntryFileResult WriteEntryFile(CClientFiles& files, const EntryFileSpec& spec,
                               const EntryChanges& changes, const EntryFileOptions& options,
                               COutputFolder& out) {
    return CEntryFileWriter(files, spec, changes, options, out).Run();
}

std::vector<EntryFileSpec> ConvertibleKinds() {
    std::vector<EntryFileSpec> kinds = {
        {EntryFileKind::Art, 0}, {EntryFileKind::Gumps, 0}, {EntryFileKind::Sounds, 0}};
    for (int facet = 0; facet < kFacetCount; ++facet) {
        kinds.push_back({EntryFileKind::Map, facet});
    }
    return kinds;
}

std::string KindName(const EntryFileSpec& spec) {
    const char* name = RowOf(spec.kind).name;
    return name != nullptr ? name : Format("map %d", spec.facet);
}

void RefuseClientFolderAsOutput(CClientFiles& files, const std::string& target) {
    if (files.FolderHoldsClient(target)) {
        throw COutputError("the folder '" + target +
                           "' holds the client's files or the patch file: choose a new folder");
    }
}

ConvertResult ConvertClientFiles(CClientFiles& files, const std::string& target, bool replace,
                                 const EntryFileOptions& options, COutputFolderOps* ops) {
    RefuseClientFolderAsOutput(files, target);
    ConvertResult result;
    std::vector<EntryFileSpec> todo;
    for (const EntryFileSpec& spec : ConvertibleKinds()) {
        const EntrySourceInfo source = FindEntrySource(files, spec);
        if (!source.present) {
            continue;
        }
        if (source.form == options.form) {
            result.alreadyInForm.push_back(spec);
        } else {
            todo.push_back(spec);
        }
    }
    if (todo.empty()) {
        throw COutputError(
            std::string("nothing to convert: the client has no art, gumps, sounds "
                        "or maps in the ") +
            (options.form == ClientForm::Container ? ".mul form" : "container form"));
    }
    COutputFolder out(target, replace, ops);
    WriteAndCommit(out, [&] {
        for (const EntryFileSpec& spec : todo) {
            EntryFileResult r = WriteEntryFile(files, spec, {}, options, out);
            result.written.push_back({spec, r.files, r.entries, std::move(r.damaged),
                                      std::move(r.damagedTable), std::move(r.note)});
        }
    });
    return result;
}

void WriteAndCommit(COutputFolder& out, const std::function<void()>& write) {
    try {
        write();
        out.Commit();
    } catch (const CQFileException& e) {
        throw COutputError(out.DescribeError(e));
    } catch (const std::bad_alloc&) {
        throw COutputError("out of memory while writing '" + out.Target() + "'");
    }
}

}  // namespace tessaly
