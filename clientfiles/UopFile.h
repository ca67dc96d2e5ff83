#pragma once
// Containers of newer clients ("Mythic packages"), which replace the .mul pairs of art, gumps,
// sounds and the map. A container maps entry numbers (through the hash of a path name) to
// index records and data reads, so that the file set reads either kind the same way.
//
// Header (little-endian):
//    0 u32 magic 0x0050594D ("MYP\0")   4 u32 version (4 or 5)   8 u32 signature
//   12 u64 offset of the first table   20 u32 table capacity    24 u32 number of files
// Table: u32 entry count, u64 offset of the next table (0 ends the chain), then 34-byte entries:
//    0 u64 data offset (0 = unused)     8 u32 header length    12 u32 compressed length
//   16 u32 decompressed length         20 u64 name hash        28 u32 checksum
//   32 u16 compression (0 stored, 1 zlib; anything else cannot be read)

#include "Bytes.h"
#include "ClientFiles.h"

#include <cstdint>
#include <list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tessaly {

// lookup3's hashlittle2 over the bytes: c and b are the two seeds in and the two results out.
void HashLittle2(ByteSpan key, std::uint32_t& c, std::uint32_t& b);
// lookup3's hashlittle: the c result of HashLittle2 seeded with (initval, 0).
std::uint32_t HashLittle(ByteSpan key, std::uint32_t initval);
// The 64-bit hash a container stores for a path name: (b << 32) | c of hashlittle2 over the
// lower-case name with both seeds 0.
std::uint64_t HashUopName(std::string_view name);

inline constexpr std::uint32_t kUopMagic = 0x0050594D;
inline constexpr std::uint32_t kUopSignature = 0xFD23EC43;
inline constexpr std::size_t kUopHeaderSize = 28;
inline constexpr std::size_t kUopTableHeaderSize = 12;
inline constexpr std::size_t kUopEntrySize = 34;
// The most entries a container is read with, in one table or many: a real container holds
// tables of about a thousand and at most some ten thousands in all.
inline constexpr std::size_t kMaxUopEntries = 1 << 21;
inline constexpr std::uint16_t kUopStored = 0;
inline constexpr std::uint16_t kUopZlib = 1;
// Each map entry holds this much of the map file: 4,096 blocks of 196 bytes.
inline constexpr std::uint32_t kUopMapChunkBytes = 0xC4000;

struct UopEntry {
    std::uint64_t start = 0;  // data offset + header length: where the entry's bytes begin
    std::uint32_t compressedLength = 0;
    std::uint32_t decompressedLength = 0;
    std::uint16_t compression = 0;
    std::uint32_t checksum = 0;
};

// Whether an entry's length, less the header bytes that stand for the extra words, can be an
// index record's: an entry that cannot reads as damaged.
bool UopEntryHoldsRecord(const UopEntry& entry, std::uint32_t headerBytes);
// A gump entry's size words (width, height: u32 each) as an index record's extra words (width
// high, height low); none when either passes 16 bits: no gump is that large and no index record
// could say so, so the entry lies.
std::optional<std::uint32_t> UopSizeWordsExtra(const std::uint8_t* sizeWords);

// Which file slots a container stands for, and how its entries are named.
struct UopKind {
    std::int32_t indexSlot;  // -1: no index (the map)
    std::int32_t dataSlot;
    const char* fileName;       // e.g. "artLegacyMUL.uop"
    const char* namePattern;    // printf pattern of an entry's path name, %08u = the number
    std::uint32_t headerBytes;  // leading bytes that stand for the extra words (gumps: 8)
};

// The kind whose index or data slot is slot; null for slots no container replaces.
const UopKind* FindUopKind(std::int32_t slot);
std::string UopEntryName(const UopKind& kind, std::uint32_t number);

// Header and table chain of one container. A damaged header gives no entries; a damaged chain
// (a loop, a table past the end of the file, a count that cannot fit) keeps the entries read
// before the damage. Either way Error() says what was wrong in one line.
class CUopTable {
public:
    bool Read(CQFile& file);
    const UopEntry* Find(std::uint64_t hash) const;
    const std::string& Error() const { return m_sError; }
    const std::unordered_map<std::uint64_t, UopEntry>& Entries() const { return m_Entries; }
    // The table capacity a copy of the container is written with: the header's, when a table of
    // that many entries fits in the file; 0 (the writer's default) when none was read or the
    // header claims more than the file could ever have held.
    std::uint32_t Capacity() const;
    // The header is a container's (its magic and version known): a damage Error() names lies in
    // the table chain.
    bool HeaderRead() const { return m_bHeaderRead; }

private:
    std::unordered_map<std::uint64_t, UopEntry> m_Entries;
    std::uint32_t m_uCapacity = 0;
    bool m_bCapacityFits = false;
    bool m_bHeaderRead = false;
    std::string m_sError;
};

// True when the entry's stored bytes lie inside a file of fileLength bytes, its compression is
// known and its decompressed length is believable for its compressed length.
bool UopEntryReadable(const UopEntry& entry, std::uint64_t fileLength);
// Reads the first out.size() bytes of the entry once decompressed (the whole entry when out
// is decompressedLength long, which then must be exactly what the data decompresses to).
// Only the compressed bytes the prefix needs are read and inflated.
bool ReadUopEntry(CQFile& file, const UopEntry& entry, std::span<std::uint8_t> out);
// Reads a whole entry into out, which grows as the entry inflates (never sized to the claimed
// length up front); out is empty after a failure.
bool ReadWholeUopEntry(CQFile& file, const UopEntry& entry, std::vector<std::uint8_t>& out);

// A container as `tessaly-cli files` lists it: its name as the client ships it, its path and
// size, the used entries of its tables and what is wrong with its header or table chain.
struct UopFileInfo {
    std::string name;
    std::string path;
    std::uint64_t size = 0;
    std::uint64_t entries = 0;
    std::string error;
};
// The description of an open container whose table has been read.
UopFileInfo DescribeUopFile(const std::string& name, CQFile& file, const CUopTable& table);
// Finds a container of no file slot in the client's directories (by name, regardless of case)
// and describes it; none when the client has no such file.
std::optional<UopFileInfo> FindUopFile(CClientFiles& files, const char* name);

// Current clients keep their multis in this container instead of "multi.mul" and "multi.idx".
// Its entries are not read here: the Multis list reads the .mul pair only.
inline constexpr const char* kMultiCollectionFile = "MultiCollection.uop";
// Whether the client's directories hold it (in any case).
bool HasMultiCollection(CClientFiles& files);

// Where a written container's first table lies; zeros fill the bytes before it.
inline constexpr std::size_t kUopFirstTable = 0x200;

// The map's chunks make one file up to the first missing or short chunk: what is said of the
// chunks a map container holds past the `read` it begins with; empty when there are none.
std::string MapChunksNotReadNote(const CUopTable& table, const UopKind& kind, std::size_t read);

// A container opened in a file slot, read as the slot's .mul pair would be. Index records it
// makes carry the entry number as their offset; the length is the entry's (less the header
// bytes); a gump's width and height become extra 2 and extra 1. The map's entries, in number
// order, make one file; its records are plain offsets into that file.
class CUopContainer {
public:
    CUopContainer(const UopKind& kind, CQFile& file);

    std::uint64_t OpenSerial() const { return m_uOpenSerial; }
    // The map: the length of the file its chunks make.
    std::uint64_t MapLength() const { return m_uMapLength; }
    // What is wrong with its header or tables, or for the map, chunks it cannot reach.
    std::string Error() const { return m_Table.Error().empty() ? m_sMapNote : m_Table.Error(); }

    // One past the highest entry number present: what an index file of the pair would hold.
    // Entry numbers are found by probing names, up to kMaxProbedEntry.
    std::uint32_t EntryCount();
    static constexpr std::uint32_t kMaxProbedEntry = 1u << 20;

    bool ReadIndexRecord(CQFile& file, std::uint32_t entry, IndexRecord& record);
    // Whether the record's bytes can be read: for an indexed container, whether its entry
    // really inflates to its recorded length (the entry is then kept for ReadData).
    bool DataFits(CQFile& file, const IndexRecord& record);
    // A record shorter than its entry reads only that prefix.
    bool ReadData(CQFile& file, const IndexRecord& record, std::span<std::uint8_t> buffer);
    // The map: decompressed chunks are kept beside the one read last, the least recently read
    // going first, while they take at most `bytes` (0, the default: only the last is kept).
    void KeepMapChunks(std::uint64_t bytes) { m_uKeepBytes = bytes; }

private:
    // DataFits without reading the entry: the lengths agree with the table.
    bool Fits(const IndexRecord& record) const;
    const UopEntry* EntryFor(std::uint32_t number) const;
    // The decompressed bytes of an entry, kept while the next read asks for the same one.
    const std::vector<std::uint8_t>* Load(CQFile& file, const UopEntry& entry);
    // A chunk of the map through the kept chunks.
    const std::vector<std::uint8_t>* LoadMapChunk(CQFile& file, const UopEntry& entry);

    const UopKind& m_Kind;
    std::uint64_t m_uOpenSerial;
    std::uint64_t m_uFileLength = 0;
    CUopTable m_Table;
    std::optional<std::uint32_t> m_EntryCount;
    std::vector<UopEntry> m_MapChunks;  // map: the entries 0, 1, ... while they follow on
    std::uint64_t m_uMapLength = 0;
    std::string m_sMapNote;  // map chunks after a missing or short one, which are not read
    std::uint64_t m_uLastStart = 0;
    bool m_bLastValid = false;
    std::vector<std::uint8_t> m_Last;
    struct KeptChunk {
        std::uint64_t start = 0;
        std::vector<std::uint8_t> bytes;
    };
    std::list<KeptChunk> m_Kept;  // the most recently read first
    // Map chunks that did not decode (their starts): not tried again, as a run of blocks read
    // again block by block would inflate a damaged chunk once for each of its 4,096 blocks.
    std::unordered_set<std::uint64_t> m_UndecodedChunks;
    std::uint64_t m_uKeptBytes = 0;
    std::uint64_t m_uKeepBytes = 0;
};

}  // namespace tessaly
