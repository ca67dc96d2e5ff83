#pragma once
// The facets of the world map: map and statics of facets 0 to 5, read from "mapN.mul" or the
// map container "mapNLegacyMUL.uop", "staidxN.mul" and "staticsN.mul". A facet's size follows
// from its map's block count and the block rows of the facet; patch records (facet 0, file ids
// 0 and 2) and the difference files of older clients ("mapdiflN.mul" naming the blocks of
// "mapdifN.mul"; "stadiflN.mul" naming the index records of "stadifiN.mul" into "stadifN.mul")
// replace blocks, which then carry the change mark.
//
// A facet opens its own files, so a reader on another thread holds its own CFacet.

#include "Bytes.h"
#include "ClientFiles.h"
#include "MapBlock.h"
#include "QFile.h"
#include "Statics.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace tessaly {

class CUopContainer;
struct UopKind;

inline constexpr int kFacetCount = 6;

// "Felucca", "Trammel", ... for facets 0 to 5; "Facet N" past them.
std::string FacetName(int facet);
// Block rows of facet 0 to 5 (512, 512, 200, 256, 181, 512).
std::uint32_t FacetBlockRows(int facet);

// The map container of facet 0 to 5 ("map2LegacyMUL.uop", entries "build/map2legacymul/...").
const UopKind& FacetMapKind(int facet);

// What a facet's map and statics index sizes say about it.
struct FacetLayout {
    std::uint32_t rows = 0;     // block rows (from the facet)
    std::uint32_t columns = 0;  // block columns (the last may be partly held)
    std::uint64_t blocks = 0;   // whole blocks the map holds (at most rows * columns)
    bool custom = false;        // a size no facet table row names
    std::string warning;        // one line when the files are damaged or disagree, else empty

    std::uint32_t Width() const { return columns * 8; }  // in tiles
    std::uint32_t Height() const { return rows * 8; }
    std::uint64_t BlockCount() const { return std::uint64_t{rows} * columns; }
};
// mapBytes: the map's length; staidxBytes: the statics index's length (0 when absent).
FacetLayout DetectFacetLayout(int facet, std::uint64_t mapBytes, std::uint64_t staidxBytes);

// The replacements a difference list pair names: block -> entry of the difference data, the
// last entry naming a block winning. Entries past dataCount, or naming blocks at or past
// blockCount, are ignored.
std::unordered_map<std::uint32_t, std::uint32_t> ReadDifferenceList(ByteSpan list,
                                                                    std::uint64_t dataCount,
                                                                    std::uint64_t blockCount);

class CFacet {
public:
    CFacet();
    ~CFacet();
    CFacet(const CFacet&) = delete;
    CFacet& operator=(const CFacet&) = delete;

    // Opens facet 0 to 5 in the file set's directories and reads its patch records (facet 0)
    // and difference lists. False when the facet has no map; Warning() then says why.
    bool Open(CClientFiles& files, int facet);

    int Facet() const { return m_nFacet; }
    const FacetLayout& Layout() const { return m_Layout; }
    // Damage found while opening (size, difference files), one line each; empty when none.
    const std::string& Warning() const { return m_sWarning; }
    bool FromContainer() const { return m_pContainer != nullptr; }
    // A map container keeps up to `bytes` of decompressed chunks for reads that come back to
    // them (a view drawing tile after tile); by default only the chunk read last.
    void KeepMapChunks(std::uint64_t bytes);

    // Block number of block column bx, row by.
    std::uint32_t BlockOf(std::uint32_t bx, std::uint32_t by) const {
        return bx * m_Layout.rows + by;
    }
    // True when a patch record or a difference file replaces the block's map or statics.
    bool IsChanged(std::uint32_t block) const;
    // True when a difference file (not a patch record) replaces the block's map / statics.
    bool HasMapDifference(std::uint32_t block) const { return m_DifMap.contains(block); }
    bool HasStaticsDifference(std::uint32_t block) const { return m_DifStatics.contains(block); }

    // The 196 bytes of `count` blocks from `first` on, replacements applied, into out (resized);
    // blocks the map does not hold are zero. Blocks past the facet count as not held. A block
    // the map holds but that cannot be read (a damaged container chunk) is zero too, and counted
    // (UnreadBlocks); the others of the run are read all the same.
    void ReadMapRun(std::uint32_t first, std::uint32_t count, std::vector<std::uint8_t>& out);
    // The blocks ReadMapRun has found unreadable so far (a block read twice counts twice).
    std::uint64_t UnreadBlocks() const { return m_uUnreadBlocks; }
    // The blocks ReadStaticsRun has found with statics it cannot read (a record past the end
    // of its file, a failed read), read as having none; a block read twice counts twice.
    std::uint64_t UnreadStatics() const { return m_uUnreadStatics; }
    // One block; false (block empty) when the map does not hold it.
    bool ReadMapBlock(std::uint32_t block, CMapBlock& out);
    // The statics of `count` blocks from `first` on, replacements applied: out[i] holds block
    // first + i. A record whose stretch is not inside its file gives an empty list. Records
    // that share their bytes read them again for each block, up to a budget per run (twice
    // the statics files, at least 16 MiB); blocks past it read empty, logged once per facet.
    void ReadStaticsRun(std::uint32_t first, std::uint32_t count,
                        std::vector<std::vector<CStaticItem>>& out);
    // The same in one list (no allocation per block): block first + i holds the items from
    // items[starts[i]] up to items[starts[i + 1]]; starts holds count + 1 values.
    void ReadStaticsRun(std::uint32_t first, std::uint32_t count, std::vector<CStaticItem>& items,
                        std::vector<std::uint32_t>& starts);
    // The facet's own statics index record of a block (not a difference file's); false when
    // the index does not hold it. The whole index is read once, on first use.
    bool ReadStaticsRecord(std::uint32_t block, IndexRecord& out);
    // Whether a record of the facet's statics index holds data lying inside "staticsN.mul" (and
    // is no longer than any block's statics are believed to be).
    bool StaticsRecordFits(const IndexRecord& record) const;
    // The difference files' record of a block's statics (into "stadifN.mul"); false when they
    // do not replace the block. StaticsDifferenceFits: whether its data lies inside that file.
    bool ReadStaticsDifference(std::uint32_t block, IndexRecord& out) const;
    bool StaticsDifferenceFits(const IndexRecord& record) const;

private:
    bool ReadAt(CQFile& file, std::uint64_t offset, std::span<std::uint8_t> out);
    // Adds the items of a record of the file to out (none when its stretch is not inside).
    // Counts the record in UnreadStatics when it has data that cannot be read.
    void AppendStaticsData(CQFile& file, std::uint64_t fileLength, const IndexRecord& record,
                           std::vector<CStaticItem>& out);
    void AddWarning(const std::string& text);
    void ReadPatchRecords(CClientFiles& files);
    void ReadDifferences(CClientFiles& files);

    int m_nFacet = -1;
    FacetLayout m_Layout;
    std::string m_sWarning;
    CQFile m_Map;
    CQFile m_StaIdx;
    CQFile m_Statics;
    CQFile m_MapDif;
    CQFile m_StaDif;
    std::uint64_t m_uUnreadBlocks = 0;
    std::uint64_t m_uUnreadStatics = 0;
    std::uint64_t m_uStaIdxLength = 0;
    std::uint64_t m_uStaticsLength = 0;
    std::uint64_t m_uStaDifLength = 0;
    std::vector<std::uint8_t> m_StaIdxBytes;  // ReadStaticsRecord's copy of the index
    bool m_bStaIdxRead = false;
    bool m_bStaticsBudgetLogged = false;
    std::unique_ptr<CUopContainer> m_pContainer;
    // Replacements: map blocks held in memory (patch records) or at an entry of "mapdifN.mul";
    // statics lists held in memory (patch records) or at an index record into "stadifN.mul".
    std::unordered_map<std::uint32_t, std::vector<std::uint8_t>> m_PatchMap;
    std::unordered_map<std::uint32_t, std::vector<CStaticItem>> m_PatchStatics;
    std::unordered_map<std::uint32_t, std::uint32_t> m_DifMap;
    std::unordered_map<std::uint32_t, IndexRecord> m_DifStatics;
};

}  // namespace tessaly
