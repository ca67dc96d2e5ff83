#pragma once
// Writing the client's entry files: one streaming writer per form (a .mul/.idx pair, a
// container), and on top of them the writing of a whole file kind (art, gumps, sounds, the map
// of a facet) from the client's own files, entry by entry, with changes laid over it. Memory
// does not grow with the size of the files: an entry is read from its source, written and
// forgotten. The client's files are only ever opened for reading.

#include "Bytes.h"
#include "ClientFiles.h"
#include "UopFile.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

class COutputFolder;
class COutputFolderOps;
struct ManifestEntries;

// A file held in memory, for writers whose output is wanted as bytes (the sample generator,
// tests): reads, writes and seeks as a file on disk would, never fails.
class CMemoryFile : public CQFile {
public:
    CMemoryFile();
    std::uint64_t GetPosition() const override { return m_uPos; }
    std::int64_t Seek(std::int64_t offset, int origin) override;
    std::uint64_t GetLength() const override { return m_Bytes.size(); }
    std::uint32_t Read(void* buffer, std::uint32_t count) override;
    void Write(const void* buffer, std::uint32_t count) override;
    void Flush() override {}
    void StartWriteBack() override {}
    void Close() override {}
    bool IsOpen() const override { return true; }
    std::vector<std::uint8_t>& Bytes() { return m_Bytes; }

private:
    std::vector<std::uint8_t> m_Bytes;
    std::uint64_t m_uPos = 0;
};

// Writes a .mul/.idx pair: index records of 12 bytes (offset, length, extra), the data streamed
// out in the order entries are added (any order; adding a number again replaces its record).
// Numbers never added are absent records (0xFFFFFFFF in all three fields, as the client's files
// have them). The records are kept until Finish writes the index (12 bytes an entry; the data
// is not kept). Raises CQFileException.
class CMulPairWriter {
public:
    // Both files open for writing and empty (they are written through buffers of their own).
    CMulPairWriter(CQFile& index, CQFile& data);
    ~CMulPairWriter();
    CMulPairWriter(const CMulPairWriter&) = delete;
    CMulPairWriter& operator=(const CMulPairWriter&) = delete;

    // Entry `number` with its bytes and extra words (extra 1 in the low half, extra 2 in the
    // high half). Empty bytes make a record of length 0 that points at the data's end.
    void Add(std::uint32_t number, ByteSpan bytes, std::uint32_t extra);
    // A record written as it is (an absent record of the source kept byte for byte).
    void AddRecord(std::uint32_t number, const IndexRecord& record);
    // Writes the index of `count` records (no fewer than the highest number added plus one)
    // and hands everything on to the files. Nothing may be added after it.
    void Finish(std::uint32_t count = 0);
    std::uint32_t Count() const { return static_cast<std::uint32_t>(m_Records.size()); }

private:
    IndexRecord& Slot(std::uint32_t number);

    std::unique_ptr<CQBufferedFile> m_Index;
    std::unique_ptr<CQBufferedFile> m_Data;
    std::uint64_t m_uDataSize = 0;
    std::vector<IndexRecord> m_Records;
};

// Writes a container the way "readers of the layout" accept: version 5, the first table at
// 0x200 with zeros before it, tables of `capacity` entries each holding its count of used
// entries and the offset of the next, unused entries zeroed, entries in ascending number,
// header length 0; an entry's data follows its table. Raises CQFileException.
class CUopWriter {
public:
    static constexpr std::uint32_t kDefaultCapacity = 1000;

    CUopWriter(const UopKind& kind, CQFile& file, std::uint32_t capacity = kDefaultCapacity);
    // A container of no slot's kind: every entry is added with its path name.
    explicit CUopWriter(CQFile& file, std::uint32_t capacity = kDefaultCapacity);
    ~CUopWriter();
    CUopWriter(const CUopWriter&) = delete;
    CUopWriter& operator=(const CUopWriter&) = delete;

    // Entry `number` with its bytes as a reader hands them out (a gump's width and height in
    // front), stored or zlib-compressed; the checksum is the Adler-32 of the stored bytes.
    // The entry is found by the hash of name; empty: the kind's name of the number.
    void Add(std::uint32_t number, ByteSpan bytes, bool compress, std::string_view name = {});
    // Entry `number` copied unchanged from a source container: its stored bytes, compression,
    // lengths and checksum as they are, read from `source` in pieces.
    void AddStored(std::uint32_t number, CQFile& source, const UopEntry& entry);
    // An entry under a name of no number (its name's `hash`) copied the same way; it comes
    // after the numbered entries, which may not follow it.
    void AddStoredUnnumbered(std::uint64_t hash, CQFile& source, const UopEntry& entry);
    // Entry `number` as a damaged one: stored, claiming `claimed` bytes (at least 1) with none
    // stored, so that readers find it and refuse its bytes as a damaged source entry was.
    void AddDamaged(std::uint32_t number, std::uint32_t claimed);
    // Writes the last table and the header's count of files. Nothing may be added after it.
    void Finish();

private:
    struct Slot {
        std::uint64_t offset;
        std::uint32_t compressedLength;
        std::uint32_t decompressedLength;
        std::uint64_t hash;
        std::uint32_t checksum;
        std::uint16_t compression;
    };
    // Entry `number` (none: one under a name of no number) gets a slot of the open table.
    void StartEntry(std::optional<std::uint32_t> number);
    void CopyStored(std::uint64_t hash, CQFile& source, const UopEntry& entry);
    void OpenTable();
    void EndTable(std::uint64_t next);

    // The hash of entry number's name: name, else the kind's name of the number.
    std::uint64_t EntryHash(std::uint32_t number, std::string_view name) const;

    const UopKind* m_pKind;  // null: entries carry their names
    std::unique_ptr<CQBufferedFile> m_File;
    std::uint32_t m_uCapacity;
    std::uint64_t m_uSize = 0;   // bytes written so far
    std::uint64_t m_uTable = 0;  // where the current table starts
    std::vector<Slot> m_Slots;   // the current table's used entries
    std::uint32_t m_uFiles = 0;  // entries in all tables
    // After an unnumbered entry no number may follow.
    static constexpr std::int64_t kUnnumberedAdded = std::int64_t{1} << 32;
    std::int64_t m_nLast = -1;  // the last entry number added
    std::vector<std::uint8_t> m_Scratch;
};

// One entry for WriteUopContainer: its number, its bytes (as the reader hands them out, with a
// gump's width and height in front) and whether to store them zlib-compressed.
struct UopSourceEntry {
    std::uint32_t number = 0;
    std::vector<std::uint8_t> bytes;
    bool compress = false;
    std::string name = {};  // the entry's path name; empty: the kind's name of the number
};
// A whole container in memory, laid out by CUopWriter (entries sorted by number first).
std::vector<std::uint8_t> WriteUopContainer(const UopKind& kind,
                                            const std::vector<UopSourceEntry>& entries,
                                            std::uint32_t capacity = CUopWriter::kDefaultCapacity);
// The same for entries that all carry their path names (containers of no slot's kind), in the
// order given.
std::vector<std::uint8_t> WriteUopContainer(const std::vector<UopSourceEntry>& entries,
                                            std::uint32_t capacity = CUopWriter::kDefaultCapacity);

// ---- Writing a whole file kind ----

// The file kinds written entry by entry. Art, gumps, sounds and the map have a container form;
// the others are .mul pairs only (a container asked for them writes the pair).
enum class EntryFileKind {
    Art,
    Gumps,
    Sounds,
    Map,
    Textures,
    Lights,
    Animations,
    Multis,
    Skills,
    Statics
};
enum class ClientForm { MulPair, Container };

// A kind's file slots: its index (-1 for the map, which has none) and its data, whose slot is
// also the file id of its patch records.
struct KindSlots {
    std::int32_t indexSlot;
    std::int32_t dataSlot;
};
KindSlots SlotsOf(EntryFileKind kind);

// How a container's entries are stored: as the source had them (a .mul source: stored), or all
// stored, or all zlib-compressed.
enum class UopCompression { AsSource, Stored, Zlib };

// One kind as one source and one output: facet 0 to 5 for the map.
struct EntryFileSpec {
    EntryFileKind kind = EntryFileKind::Art;
    int facet = 0;
};

// The names of a kind's files: the .mul (and index, empty for the map) and the container.
std::string MulDataName(const EntryFileSpec& spec);
std::string MulIndexName(const EntryFileSpec& spec);
// The container kind of art, gumps, sounds and the map; null for the kinds without one.
const UopKind* ContainerKind(const EntryFileSpec& spec);

// A change to one entry. For art, gumps and sounds an entry is an entry number (art: terrain n,
// item kArtItemBase + n); `bytes` are those a .mul entry holds (no gump size in front) and
// `extra` the index record's extra words (extra 1 low, extra 2 high; a gump's height low and
// width high). For the map an entry is a block number and `bytes` its 196 bytes; `extra` is
// not used. `fetch`, when set, is called for the bytes (and may set extra) just before the
// entry is written, instead of `bytes` being held from the start; it answers false when they
// cannot be had, which fails the write. Damaged writes the entry so that it reads as damaged
// (a patch record whose data lies outside its patch file); not for the map.
struct EntryChange {
    enum class Action { Replace, Delete, Damaged };
    Action action = Action::Replace;
    std::vector<std::uint8_t> bytes;
    std::uint32_t extra = 0;
    std::function<bool(std::vector<std::uint8_t>& bytes, std::uint32_t& extra)> fetch;
};
// By entry number; entries not named are copied from the source unchanged.
using EntryChanges = std::map<std::uint32_t, EntryChange>;

struct EntryFileOptions {
    ClientForm form = ClientForm::MulPair;
    UopCompression compression = UopCompression::AsSource;
    // Tables of a written container: 0 takes the source container's capacity (1,000 for a .mul
    // source).
    std::uint32_t capacity = 0;
    // Called after each entry with the entries done and the entries in all (for progress);
    // answering false stops the write (raising COutputError "cancelled").
    std::function<bool(std::uint64_t done, std::uint64_t total)> progress;
};

// Where a kind's entries come from in the client's directories: its container when the client
// has one (that is what the client reads), else its .mul pair. Opened for reading only.
struct EntrySourceInfo {
    bool present = false;
    ClientForm form = ClientForm::MulPair;
    std::vector<std::string> paths;  // the files read
};
EntrySourceInfo FindEntrySource(CClientFiles& files, const EntryFileSpec& spec);

// What a write did: the files it created in the folder and the entries it changed.
struct EntryFileResult {
    std::vector<std::string> files;
    std::uint64_t entries = 0;  // entries (map: blocks) present in the output
    std::vector<std::uint32_t> replaced;
    std::vector<std::uint32_t> added;
    std::vector<std::uint32_t> deleted;
    // Entries (map: blocks) that could not be read: left so that they read as damaged in the
    // output as well (a map in the .mul form, which cannot hold a damaged block, gets zeros).
    std::vector<std::uint32_t> damaged;
    // Why the source container's table chain is damaged (the entries read before the damage,
    // all the client reads, are written); empty when it is whole.
    std::string damagedTable;
    // What else the user should know of the output: source container entries under other
    // names than the numbered ones that it cannot hold (the .mul form has no place for them).
    std::string note;
};

// Writes the kind from the client's files (found through files' directories, regardless of
// case; no patch record is applied) with `changes` laid over it into `out`, in options.form.
// Every entry not changed is copied: its bytes and extra words, its stored bytes unchanged
// when container goes to container in the same compression. A source entry whose record lies
// outside its data file, or whose container entry does not decode, is damaged: it is listed
// and written so that it reads as damaged again, never as other bytes. The manifest's entries
// are set. Raises COutputError when a file fails to open or read, and on any write failure.
EntryFileResult WriteEntryFile(CClientFiles& files, const EntryFileSpec& spec,
                               const EntryChanges& changes, const EntryFileOptions& options,
                               COutputFolder& out);

// Runs `write` into `out` and commits the folder; a failure of a file, or memory running out,
// becomes the one COutputError of the run (and the folder is abandoned).
void WriteAndCommit(COutputFolder& out, const std::function<void()>& write);

// Every kind convert writes: art, gumps, sounds, and the map of each facet 0 to 5.
std::vector<EntryFileSpec> ConvertibleKinds();
// "art", "gumps", "sounds", "map N".
std::string KindName(const EntryFileSpec& spec);

struct ConvertResult {
    struct Written {
        EntryFileSpec spec;
        std::vector<std::string> files;
        std::uint64_t entries = 0;
        std::vector<std::uint32_t> damaged;  // source entries that could not be read
        std::string damagedTable = {};       // see EntryFileResult
        std::string note = {};               // see EntryFileResult
    };
    std::vector<Written> written;
    // Kinds the client has in the asked form already (not written).
    std::vector<EntryFileSpec> alreadyInForm;
};

// Raises COutputError when target holds the client's files or its patch file
// (CClientFiles::FolderHoldsClient): the output folder is replaced whole when it exists.
void RefuseClientFolderAsOutput(CClientFiles& files, const std::string& target);

// Converts every kind the client has in the other form into `target` (a folder written as one
// transaction, see COutputFolder), with no patch applied; kinds already in the asked form and
// every other file are not written. Raises COutputError with the one message of a failure,
// "nothing to convert" included; the target is then as it was.
ConvertResult ConvertClientFiles(CClientFiles& files, const std::string& target, bool replace,
                                 const EntryFileOptions& options, COutputFolderOps* ops = nullptr);

}  // namespace tessaly
