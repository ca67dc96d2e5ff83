#pragma once
// The client's file set: 33 numbered file slots, the install directories, index records and
// entry reads with patch records taking precedence.

#include "Bytes.h"
#include "FileNames.h"
#include "QFile.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tessaly {

class CVerDataTable;
class CClientDirSource;
class CUopContainer;

// File slots (the file ids of patch records are slot numbers).
enum : std::int32_t {
    kSlotMap0 = 0,
    kSlotStaIdx0 = 1,
    kSlotStatics0 = 2,
    kSlotArtIdx = 3,
    kSlotArt = 4,
    kSlotAnimIdx = 5,
    kSlotAnim = 6,
    kSlotSoundIdx = 7,
    kSlotSound = 8,
    kSlotTexIdx = 9,
    kSlotTexMaps = 10,
    kSlotGumpIdx = 11,
    kSlotGumpArt = 12,
    kSlotMultiIdx = 13,
    kSlotMulti = 14,
    kSlotSkillsIdx = 15,
    kSlotSkills = 16,
    kSlotRadarCol = 17,
    kSlotFonts = 18,
    kSlotPalette = 19,
    kSlotLight = 20,
    kSlotLightIdx = 21,
    kSlotVerData = 22,
    kSlotTileData = 30,
    kSlotAnimData = 31,
    kSlotHues = 32,
    kFileSlotCount = 33,  // also the patch id meaning "base file only"
};

// "art.mul" holds terrain tiles at entries below this and item pictures from it on (item n is
// entry n + kArtItemBase).
inline constexpr std::uint32_t kArtItemBase = 16384;

// The 12-byte record of the index files; entry n lies at byte n * 12.
//   0  u32 offset   0xFFFFFFFF = no data
//   4  u32 length   bits 0-30 byte length; bit 31 = offset points into the patch file
//   8  u16 extra 1, u16 extra 2   kind-specific
struct IndexRecord {
    static constexpr std::size_t kSize = 12;
    static constexpr std::uint32_t kNoData = 0xFFFFFFFFu;
    static constexpr std::uint32_t kPatchBit = 0x80000000u;

    std::uint32_t m_dwOffset = kNoData;
    std::uint32_t m_dwLength = 0;
    std::uint16_t m_wExtra1 = 0;
    std::uint16_t m_wExtra2 = 0;

    // Offset is not 0xFFFFFFFF and the whole length field is not 0.
    bool HasData() const { return m_dwOffset != kNoData && m_dwLength != 0; }
    // Byte length (bits 0-30).
    std::uint32_t GetLength() const { return m_dwLength & ~kPatchBit; }
    bool IsPatch() const { return (m_dwLength & kPatchBit) != 0; }
    std::uint32_t GetExtra() const { return m_wExtra1 | (std::uint32_t{m_wExtra2} << 16); }

    bool Read(ByteReader& in);
    void Write(ByteWriter& out) const;
    bool operator==(const IndexRecord&) const = default;
};

// What a read found. Ok: the record or bytes asked for. Absent: no entry (an empty index
// record, an entry past the index's end, no container entry). Damaged: an entry whose record
// or bytes do not hold together (a stretch outside its file, a container entry that does not
// decode). Failed: the file would not open, seek or read.
enum class ReadStatus { Ok, Absent, Damaged, Failed };

class CClientFiles {
public:
    // table: the patch table entry reads consult; null = the process-wide one.
    explicit CClientFiles(CVerDataTable* table = nullptr);
    ~CClientFiles();
    CClientFiles(const CClientFiles&) = delete;
    CClientFiles& operator=(const CClientFiles&) = delete;

    // Reads the client's registry key (here: through the Wine prefix) into the client and CD
    // directories. False when there is no prefix, no key or no registry file; the directories
    // then stay as they were.
    bool FindClientDirs();
    bool FindClientDirs(CClientDirSource& source);

    // Whether folder is (or holds) the chosen, client or CD directory, or the patch file's
    // folder: an output folder replaced whole must not be one of them.
    bool FolderHoldsClient(const std::string& folder);
    // File name of a slot; null for the empty slots 23-29 and numbers outside 0-32.
    static const char* GetFileName(std::int32_t slot);
    // Whether folder is the chosen, client or CD directory itself (through any link).
    bool IsClientFolder(const std::string& folder) const;
    // Whether a file name (without its folder, any case) is that of one of the client's data
    // files, which are never patch files: the slots' names but "verdata.mul", the numbered
    // facet, difference, animation and Unicode font files, "speech.mul", the containers, and
    // the text files the client reads ("Cliloc.*", "*.def", "mobtypes.txt").
    static bool IsClientDataFileName(const std::string& name);
    // When path's file name is a client data file's: "'SHOWN' is one of the client's data
    // files, not a patch file", the refusal of every place that reads or writes a patch file
    // (for a link to one: "'SHOWN' leads to 'NAME', one of ..."); empty otherwise.
    static std::string RefuseAsPatchFile(const std::string& path, const std::string& shown);
    // When an export to path would write over what the program reads or the client holds: a
    // file of a client data file's name, a file that is there in the chosen, client or CD
    // directory, or (under any name) the file of an open slot, the patch file among them. The
    // refusal names path; empty otherwise.
    std::string RefuseAsOutputFile(const std::string& path) const;
    // The slot's file; std::out_of_range outside 0-32.
    CQFile& GetFile(std::int32_t slot);

    void SetChosenDir(const std::string& dir) {
        m_sChosenDir = dir;
        m_Finder.Clear();
        ++m_uDirsSerial;
    }
    // Whether the directory the files are read from (the chosen one, else the client's) holds a
    // file of a slot's name or a container (".uop"), in any case. Its listing is kept for the
    // opens that follow.
    bool BaseDirHoldsClientFiles();
    // Changes whenever the chosen directory changes or the files close: files opened through
    // OpenInDirs outside the slots are opened again when it differs from theirs.
    std::uint64_t GetDirsSerial() const { return m_uDirsSerial; }
    // MakeFilePath of the chosen directory (or the client directory while none is chosen) and
    // name; a null name gives the directory with its closing separator.
    std::string GetBasePath(const char* name) const;
    // Stores path as the slot file's path without opening it. False for an invalid slot.
    bool SetSlotPath(std::int32_t slot, const std::string& path);
    // Opens name in the chosen, client and CD directories in turn; in each, the file of that
    // name first, else the one whose name matches regardless of case (see CDirListing::Find).
    // The directories are listed once until CloseAll.
    bool OpenInDirs(CQFile& file, const char* name, std::uint32_t mode);
    // Makes sure the slot's file is open (stored path first, then the directories).
    bool OpenSlot(std::int32_t slot);
    // Why a slot's file that is there did not open ("'PATH' cannot be opened: Permission
    // denied"); empty when the directories hold no file of its names.
    std::string DescribeUnopenedSlot(std::int32_t slot);
    // The same for a file of one of these names (null ones passed over).
    std::string DescribeUnopened(std::initializer_list<const char*> names);
    // Opens the slots selected by mask (slot s uses bit s mod 32) that have file names; returns
    // the first slot that failed (slot 22 excepted) or 33.
    std::int32_t OpenAll(std::uint32_t mask);
    void CloseAll();

    // The entry's effective index record: a patch record for (dataSlot, entry) first, else the
    // base record of the index file. dataSlot 33 reads the base index alone. A base record
    // answers true only when it has data; a patch record always does.
    bool ReadIndexRecord(std::int32_t indexSlot, std::int32_t dataSlot, std::uint32_t entry,
                         IndexRecord& record);
    // ReadIndexRecord, telling apart why there is no readable entry: Absent where it answers
    // false with a readable index, Failed when the index file does not open, Damaged when the
    // record's stretch does not lie inside its data file (DataStatus); else Ok.
    ReadStatus ReadIndexStatus(std::int32_t indexSlot, std::int32_t dataSlot, std::uint32_t entry,
                               IndexRecord& record);
    // Whether a record's data can be read, without reading it: Absent without data (a patch
    // record of length 0, a deletion, is Ok), Failed when its file does not open or cannot be
    // measured, Damaged when the stretch lies outside the file or the container entry, or the
    // record points into a patch file the client does not have.
    ReadStatus DataStatus(std::int32_t dataSlot, const IndexRecord& record);
    // ReadData, telling apart why nothing was read: Absent for the offset of no data, Damaged for a
    // stretch outside its file, a buffer shorter than the record says, a container entry that
    // does not decode or a patch record without a patch file, Failed when the file does not
    // open, seek or read.
    ReadStatus ReadDataStatus(std::int32_t dataSlot, const IndexRecord& record,
                              std::span<std::uint8_t> buffer);
    // The data slot an index slot's records point into (art for artidx, light for lightidx);
    // -1 for a slot that is no index.
    static std::int32_t DataSlotOf(std::int32_t indexSlot);
    // Reads the record's GetLength() bytes into buffer, from the patch file when the record
    // is a patch record. False when the slot does not open, the seek fails, the buffer is too
    // small or fewer bytes arrive.
    bool ReadData(std::int32_t dataSlot, const IndexRecord& record, std::span<std::uint8_t> buffer);
    // The number of records the index file of a slot holds (0 when it does not open).
    std::uint64_t GetIndexCount(std::int32_t indexSlot);
    // True when the record's whole stretch lies inside its (open) file. Checked before a
    // length read from a file is allocated.
    bool DataFits(std::int32_t dataSlot, const IndexRecord& record);

    // True when the slot's file is open on a container (art, gumps, sounds, map0) rather than
    // on its .mul file.
    bool IsContainerSlot(std::int32_t slot);
    // The one-line complaint about a damaged container in the slot; empty when there is none.
    std::string GetContainerError(std::int32_t slot);

    CVerDataTable& GetVerDataTable();

    std::string m_sChosenDir;
    std::string m_sClientDir;
    std::string m_sCDDir;
    std::array<CQFile, kFileSlotCount> m_File;

private:
    CQFile* FileFor(std::int32_t dataSlot, const IndexRecord& record);
    const std::vector<std::uint8_t>* CachedIndex(std::int32_t indexSlot);
    // The container read from slot's pair (its table read once per opening of the data slot);
    // null when the slot does not hold a container.
    CUopContainer* ContainerFor(std::int32_t slot);

    // Index files are read once into memory: a list of 65,536 entries then costs one read, not
    // 65,536 seeks and reads. A copy is valid while its slot's file stays open.
    struct IndexCache {
        std::uint64_t openSerial = 0;
        std::vector<std::uint8_t> bytes;
        bool loaded = false;
    };

    // File lengths for DataStatus, which lists ask row by row: measured once per opening.
    struct LengthCache {
        std::uint64_t openSerial = 0;
        std::uint64_t length = 0;
    };

    CVerDataTable* m_pVerData;
    CFileFinder m_Finder;
    std::uint64_t m_uDirsSerial = 0;
    std::array<IndexCache, kFileSlotCount> m_IndexCache;
    std::array<LengthCache, kFileSlotCount> m_LengthCache;
    std::array<std::unique_ptr<CUopContainer>, kFileSlotCount> m_Container;  // by data slot
};

// The process-wide file set (constructed on first use, lives until exit).
CClientFiles& TheClientFiles();

// Minimal form of the data block's load: replaces block with the record's bytes. A stretch
// that does not fit inside its file is refused before anything is allocated, as damaged
// (kDamagedEntry); any failed read raises CTarnError(2, E_FAIL, "LoadMulData: Read"). After a
// refused stretch the block is empty; after a short read it keeps the recorded length, zero where
// nothing arrived.
void LoadMulData(CClientFiles& files, std::int32_t dataSlot, const IndexRecord& record,
                 std::vector<std::uint8_t>& block);

}  // namespace tessaly
