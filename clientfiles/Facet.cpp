#include "Facet.h"

#include "EventLog.h"
#include "TarnError.h"
#include "UopFile.h"
#include "VerDataTable.h"

#include <algorithm>
#include <cstdio>

namespace tessaly {

namespace {

constexpr std::uint32_t kBlockBytes = CMapBlock::kSize;
// No facet holds more blocks than this (a custom one included): 3.2 GB of map.
constexpr std::uint64_t kMaxFacetBlocks = 1u << 24;
// A block's statics longer than this are not believed (150,000 items on 64 cells).
constexpr std::uint32_t kMaxBlockStatics = 1u << 20;
// Consecutive statics records are read in one stretch when it is at most this long.
constexpr std::uint64_t kMaxStaticsStretch = 8u << 20;
// The statics bytes one run reads at the least before its budget applies.
constexpr std::uint64_t kMinStaticsRunBudget = 16u << 20;

// Whether a statics record holds data lying inside its file of fileLength bytes and no longer
// than any block's statics are believed to be: the one rule for every statics read.
bool StaticsFit(const IndexRecord& record, std::uint64_t fileLength) {
    return record.HasData() && record.GetLength() <= kMaxBlockStatics &&
           FitsIn(record.m_dwOffset, record.GetLength(), fileLength);
}

constexpr const char* kNames[kFacetCount] = {"Felucca", "Trammel", "Ilshenar",
                                             "Malas",   "Tokuno",  "Ter Mur"};
constexpr std::uint32_t kRows[kFacetCount] = {512, 512, 200, 256, 181, 512};

// The map containers of the six facets; a container keeps a reference to its kind.
constexpr UopKind kMapKinds[kFacetCount] = {
    {-1, kSlotMap0, "map0LegacyMUL.uop", "build/map0legacymul/%08u.dat", 0},
    {-1, kSlotMap0, "map1LegacyMUL.uop", "build/map1legacymul/%08u.dat", 0},
    {-1, kSlotMap0, "map2LegacyMUL.uop", "build/map2legacymul/%08u.dat", 0},
    {-1, kSlotMap0, "map3LegacyMUL.uop", "build/map3legacymul/%08u.dat", 0},
    {-1, kSlotMap0, "map4LegacyMUL.uop", "build/map4legacymul/%08u.dat", 0},
    {-1, kSlotMap0, "map5LegacyMUL.uop", "build/map5legacymul/%08u.dat", 0},
};

bool KnownColumns(int facet, std::uint32_t columns) {
    switch (facet) {
        case 0:
        case 1:
            return columns == 768 || columns == 896;
        case 2:
            return columns == 288;
        case 3:
            return columns == 320;
        case 4:
            return columns == 181;
        case 5:
            return columns == 160;
        default:
            return false;
    }
}

std::string Numbered(const char* pattern, int facet) {
    char name[32];
    std::snprintf(name, sizeof name, pattern, facet);
    return name;
}

std::uint64_t LengthOf(const CQFile& file) {
    try {
        return file.IsOpen() ? file.GetLength() : 0;
    } catch (const CQFileException&) {
        return 0;
    }
}

// The whole of a small file, at most `limit` bytes of it.
std::vector<std::uint8_t> ReadSmallFile(CClientFiles& files, const std::string& name,
                                        std::uint64_t limit) {
    CQFile file;
    std::vector<std::uint8_t> bytes;
    if (!files.OpenInDirs(file, name.c_str(), CQFile::shareDenyWrite)) {
        return bytes;
    }
    try {
        bytes.resize(static_cast<std::size_t>(std::min(file.GetLength(), limit)));
        file.SeekToBegin();
        bytes.resize(file.Read(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
    } catch (const CQFileException&) {
        bytes.clear();
    }
    return bytes;
}

}  // namespace

std::string FacetName(int facet) {
    if (facet >= 0 && facet < kFacetCount) {
        return kNames[facet];
    }
    return "Facet " + std::to_string(facet);
}

const UopKind& FacetMapKind(int facet) {
    return kMapKinds[std::clamp(facet, 0, kFacetCount - 1)];
}

std::uint32_t FacetBlockRows(int facet) {
    return facet >= 0 && facet < kFacetCount ? kRows[facet] : kMapBlockRows;
}

FacetLayout DetectFacetLayout(int facet, std::uint64_t mapBytes, std::uint64_t staidxBytes) {
    FacetLayout layout;
    layout.rows = FacetBlockRows(facet);
    std::uint64_t blocks = std::min(mapBytes / kBlockBytes, kMaxFacetBlocks);
    const std::uint64_t indexBlocks = staidxBytes / IndexRecord::kSize;
    std::vector<std::string> notes;
    if (mapBytes / kBlockBytes > kMaxFacetBlocks) {
        notes.push_back("the map is larger than any facet; only its first " +
                        std::to_string(kMaxFacetBlocks) + " blocks are read");
    } else if (mapBytes % kBlockBytes != 0) {
        notes.push_back("the map ends " + std::to_string(mapBytes % kBlockBytes) +
                        " bytes into a block, which is not read");
    }
    std::uint64_t columns = (blocks + layout.rows - 1) / layout.rows;
    if (blocks % layout.rows != 0) {
        if (indexBlocks > blocks && indexBlocks % layout.rows == 0 &&
            indexBlocks <= kMaxFacetBlocks) {
            // The statics index gives the size the map falls short of.
            columns = indexBlocks / layout.rows;
        }
        notes.push_back("the map holds " + std::to_string(blocks) + " of " +
                        std::to_string(columns * layout.rows) + " blocks (" +
                        std::to_string(layout.rows) + " rows a column)");
    } else if (staidxBytes != 0 && indexBlocks != blocks) {
        notes.push_back("the statics index holds " + std::to_string(indexBlocks) +
                        " blocks, the map " + std::to_string(blocks));
    }
    if (staidxBytes % IndexRecord::kSize != 0) {
        notes.push_back("the statics index ends inside a record");
    }
    layout.columns = static_cast<std::uint32_t>(columns);
    layout.blocks = blocks;
    layout.custom = blocks != 0 && !KnownColumns(facet, layout.columns);
    if (blocks == 0) {
        notes.push_back("the map holds no whole block");
    }
    for (const std::string& note : notes) {
        layout.warning += (layout.warning.empty() ? "" : "; ") + note;
    }
    return layout;
}

std::unordered_map<std::uint32_t, std::uint32_t> ReadDifferenceList(ByteSpan list,
                                                                    std::uint64_t dataCount,
                                                                    std::uint64_t blockCount) {
    std::unordered_map<std::uint32_t, std::uint32_t> result;
    const std::uint64_t count = std::min<std::uint64_t>(list.size() / 4, dataCount);
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint32_t block = LoadLE32(list.data() + i * 4);
        if (block < blockCount) {
            result[block] = static_cast<std::uint32_t>(i);
        }
    }
    return result;
}

CFacet::CFacet() = default;
CFacet::~CFacet() = default;

void CFacet::AddWarning(const std::string& text) {
    m_sWarning += (m_sWarning.empty() ? "" : "; ") + text;
}

bool CFacet::Open(CClientFiles& files, int facet) {
    m_nFacet = facet;
    m_sWarning.clear();
    if (facet < 0 || facet >= kFacetCount) {
        AddWarning("there is no facet " + std::to_string(facet));
        return false;
    }
    // Older clients have no Trammel of its own: it reuses Felucca's files.
    int filesOf = facet;
    const auto hasMap = [&](int f) {
        CQFile probe;
        return files.OpenInDirs(probe, kMapKinds[f].fileName, CQFile::shareDenyWrite) ||
               files.OpenInDirs(probe, Numbered("map%d.mul", f).c_str(), CQFile::shareDenyWrite);
    };
    if (facet == 1 && !hasMap(1) && hasMap(0)) {
        filesOf = 0;
    }
    std::uint64_t mapLength = 0;
    if (files.OpenInDirs(m_Map, kMapKinds[filesOf].fileName, CQFile::shareDenyWrite)) {
        m_pContainer = std::make_unique<CUopContainer>(kMapKinds[filesOf], m_Map);
        mapLength = m_pContainer->MapLength();
        if (!m_pContainer->Error().empty()) {
            AddWarning(m_pContainer->Error());
        }
    } else if (files.OpenInDirs(m_Map, Numbered("map%d.mul", filesOf).c_str(),
                                CQFile::shareDenyWrite)) {
        mapLength = LengthOf(m_Map);
    } else {
        AddWarning("no map file for " + FacetName(facet));
        return false;
    }
    files.OpenInDirs(m_StaIdx, Numbered("staidx%d.mul", filesOf).c_str(), CQFile::shareDenyWrite);
    files.OpenInDirs(m_Statics, Numbered("statics%d.mul", filesOf).c_str(), CQFile::shareDenyWrite);
    m_uStaIdxLength = LengthOf(m_StaIdx);
    m_uStaticsLength = LengthOf(m_Statics);
    m_Layout = DetectFacetLayout(facet, mapLength, m_uStaIdxLength);
    if (!m_Layout.warning.empty()) {
        AddWarning(m_Layout.warning);
    }
    if (facet == 0) {
        ReadPatchRecords(files);
    }
    ReadDifferences(files);
    return m_Layout.blocks != 0;
}

void CFacet::ReadPatchRecords(CClientFiles& files) {
    const CVerDataTable& table = files.GetVerDataTable();
    for (std::int32_t i = 0; i < table.GetSize(); ++i) {
        const CUOVersionBlock& r = table[i];
        if ((r.m_dwFileId != kSlotMap0 && r.m_dwFileId != kSlotStatics0) ||
            r.m_dwBlock >= m_Layout.BlockCount()) {
            continue;
        }
        IndexRecord record;
        if (!table.FindRecord(r.m_dwFileId, r.m_dwBlock, record)) {
            continue;
        }
        try {
            if (r.m_dwFileId == kSlotMap0) {
                CMapBlock block;
                block.LoadRecord(record, files);
                std::vector<std::uint8_t>& bytes = m_PatchMap[r.m_dwBlock];
                bytes.assign(kBlockBytes, 0);
                if (block.IsLoaded()) {
                    ByteWriter out;
                    out.u32(block.GetHeader());
                    for (std::uint32_t c = 0; c < CMapBlock::kCells; ++c) {
                        const CMapCell& cell = block.GetCell(c % 8, c / 8);
                        out.u16(cell.m_wTile).u8(static_cast<std::uint8_t>(cell.m_cZ));
                    }
                    bytes = out.take();
                }
            } else {
                CStaticsList list;
                list.LoadRecord(record, files);
                m_PatchStatics[r.m_dwBlock] = list.Items();
            }
        } catch (const CTarnError&) {
            AddWarning("patch record of block " + std::to_string(r.m_dwBlock) + " cannot be read");
        }
    }
}

void CFacet::ReadDifferences(CClientFiles& files) {
    if (m_nFacet > 4) {
        return;
    }
    const std::uint64_t blocks = m_Layout.BlockCount();
    const std::uint64_t listLimit = std::min(blocks, kMaxFacetBlocks);
    if (files.OpenInDirs(m_MapDif, Numbered("mapdif%d.mul", m_nFacet).c_str(),
                         CQFile::shareDenyWrite)) {
        // A list names each block of the facet at most once but for the odd repeat: a sparse
        // file of gigabytes is read no further than the facet has blocks.
        const std::uint64_t count = std::min(LengthOf(m_MapDif) / kBlockBytes, listLimit);
        const std::vector<std::uint8_t> list =
            ReadSmallFile(files, Numbered("mapdifl%d.mul", m_nFacet), count * 4);
        m_DifMap = ReadDifferenceList(list, count, blocks);
        if (list.size() / 4 < count) {
            AddWarning("the map difference list names " + std::to_string(list.size() / 4) + " of " +
                       std::to_string(count) + " blocks");
        }
    }
    if (files.OpenInDirs(m_StaDif, Numbered("stadif%d.mul", m_nFacet).c_str(),
                         CQFile::shareDenyWrite)) {
        m_uStaDifLength = LengthOf(m_StaDif);
        // The list first: it says how much of the index is needed.
        const std::vector<std::uint8_t> list =
            ReadSmallFile(files, Numbered("stadifl%d.mul", m_nFacet), listLimit * 4);
        const std::vector<std::uint8_t> index =
            ReadSmallFile(files, Numbered("stadifi%d.mul", m_nFacet),
                          list.size() / 4 * std::uint64_t{IndexRecord::kSize});
        const std::uint64_t count = index.size() / IndexRecord::kSize;
        for (const auto& [block, entry] : ReadDifferenceList(list, count, blocks)) {
            ByteReader in(ByteSpan(index).subspan(std::size_t{entry} * IndexRecord::kSize));
            IndexRecord record;
            record.Read(in);
            m_DifStatics[block] = record;
        }
    }
}

void CFacet::KeepMapChunks(std::uint64_t bytes) {
    if (m_pContainer != nullptr) {
        m_pContainer->KeepMapChunks(bytes);
    }
}

bool CFacet::IsChanged(std::uint32_t block) const {
    return m_PatchMap.contains(block) || m_PatchStatics.contains(block) ||
           m_DifMap.contains(block) || m_DifStatics.contains(block);
}

bool CFacet::ReadAt(CQFile& file, std::uint64_t offset, std::span<std::uint8_t> out) {
    try {
        file.Seek(static_cast<std::int64_t>(offset), CQFile::begin);
        return file.Read(out.data(), static_cast<std::uint32_t>(out.size())) == out.size();
    } catch (const CQFileException&) {
        return false;
    }
}

void CFacet::ReadMapRun(std::uint32_t first, std::uint32_t count, std::vector<std::uint8_t>& out) {
    out.assign(std::size_t{count} * kBlockBytes, 0);
    // Only the blocks the map holds are read; the rest stay zero.
    const std::uint64_t held =
        first < m_Layout.blocks ? std::min<std::uint64_t>(count, m_Layout.blocks - first) : 0;
    const auto read = [&](std::uint64_t from, std::uint64_t blocks) {
        const std::uint64_t offset = from * kBlockBytes;
        std::span<std::uint8_t> bytes(out.data() + (from - first) * kBlockBytes,
                                      blocks * kBlockBytes);
        bool ok = false;
        if (m_pContainer != nullptr) {
            IndexRecord record;
            record.m_dwOffset = static_cast<std::uint32_t>(offset);
            record.m_dwLength = static_cast<std::uint32_t>(bytes.size());
            ok = offset + bytes.size() < IndexRecord::kPatchBit &&
                 m_pContainer->ReadData(m_Map, record, bytes);
        } else {
            ok = ReadAt(m_Map, offset, bytes);
        }
        if (!ok) {
            std::fill(bytes.begin(), bytes.end(), 0);
        }
        return ok;
    };
    // A run that fails is read again block by block: one damaged chunk does not blank the
    // blocks of its neighbour.
    if (held != 0 && !read(first, held)) {
        for (std::uint64_t i = 0; i < held; ++i) {
            if (!read(first + i, 1)) {
                ++m_uUnreadBlocks;
            }
        }
    }
    if (m_PatchMap.empty() && m_DifMap.empty()) {
        return;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t* block = out.data() + std::size_t{i} * kBlockBytes;
        if (auto p = m_PatchMap.find(first + i); p != m_PatchMap.end()) {
            std::copy(p->second.begin(), p->second.end(), block);
        } else if (auto d = m_DifMap.find(first + i); d != m_DifMap.end()) {
            ReadAt(m_MapDif, std::uint64_t{d->second} * kBlockBytes,
                   std::span<std::uint8_t>(block, kBlockBytes));
        }
    }
}

bool CFacet::ReadMapBlock(std::uint32_t block, CMapBlock& out) {
    std::vector<std::uint8_t> bytes;
    ReadMapRun(block, 1, bytes);
    const bool held =
        block < m_Layout.blocks || m_PatchMap.contains(block) || m_DifMap.contains(block);
    if (!held) {
        out = CMapBlock();
        return false;
    }
    return out.Parse(bytes);
}

void CFacet::AppendStaticsData(CQFile& file, std::uint64_t fileLength, const IndexRecord& record,
                               std::vector<CStaticItem>& out) {
    if (!StaticsFit(record, fileLength)) {
        m_uUnreadStatics += record.HasData() ? 1 : 0;
        return;
    }
    std::vector<std::uint8_t> bytes(record.GetLength());
    if (ReadAt(file, record.m_dwOffset, bytes)) {
        AppendStaticItems(bytes, out);
    } else {
        ++m_uUnreadStatics;
    }
}

void CFacet::ReadStaticsRun(std::uint32_t first, std::uint32_t count,
                            std::vector<std::vector<CStaticItem>>& out) {
    std::vector<CStaticItem> items;
    std::vector<std::uint32_t> starts;
    ReadStaticsRun(first, count, items, starts);
    out.assign(count, {});
    for (std::uint32_t i = 0; i < count; ++i) {
        out[i].assign(items.begin() + starts[i], items.begin() + starts[i + 1]);
    }
}

void CFacet::ReadStaticsRun(std::uint32_t first, std::uint32_t count,
                            std::vector<CStaticItem>& items, std::vector<std::uint32_t>& starts) {
    items.clear();
    starts.assign(1, 0);
    starts.reserve(std::size_t{count} + 1);
    // The index records of the run, in one read.
    const std::uint64_t indexed =
        first < m_uStaIdxLength / IndexRecord::kSize
            ? std::min<std::uint64_t>(count, m_uStaIdxLength / IndexRecord::kSize - first)
            : 0;
    std::vector<std::uint8_t> index(indexed * IndexRecord::kSize);
    if (indexed != 0 && !ReadAt(m_StaIdx, std::uint64_t{first} * IndexRecord::kSize, index)) {
        index.clear();
    }
    std::vector<IndexRecord> records(index.size() / IndexRecord::kSize);
    ByteReader in(index);
    std::uint64_t low = ~std::uint64_t{0};
    std::uint64_t high = 0;
    std::uint64_t total = 0;
    const auto readable = [&](const IndexRecord& r) { return StaticsFit(r, m_uStaticsLength); };
    for (IndexRecord& r : records) {
        r.Read(in);
        if (readable(r)) {
            low = std::min<std::uint64_t>(low, r.m_dwOffset);
            high = std::max<std::uint64_t>(high, std::uint64_t{r.m_dwOffset} + r.GetLength());
            total += r.GetLength();
        }
    }
    // Records may share bytes (several blocks naming one stretch), so what a run reads is
    // bounded by the files' size rather than by the number of blocks times the block limit.
    const std::uint64_t budget =
        std::max(kMinStaticsRunBudget, 2 * (m_uStaticsLength + m_uStaDifLength));
    std::uint64_t spent = 0;
    std::uint32_t firstOver = count;
    const auto afford = [&](std::uint32_t i, const IndexRecord& r) {
        if (spent + r.GetLength() > budget) {
            firstOver = std::min(firstOver, i);
            return false;
        }
        spent += r.GetLength();
        return true;
    };
    // Blocks usually lie one after another in the statics file: one read serves the run.
    std::vector<std::uint8_t> stretch;
    if (total != 0 && high - low <= kMaxStaticsStretch && high - low <= 4 * total) {
        stretch.resize(high - low);
        if (!ReadAt(m_Statics, low, stretch)) {
            stretch.clear();
        }
        items.reserve(std::min(total, budget) / CStaticItem::kSize);
    }
    const bool replaced = !m_PatchStatics.empty() || !m_DifStatics.empty();
    for (std::uint32_t i = 0; i < count; ++i) {
        if (auto p = replaced ? m_PatchStatics.find(first + i) : m_PatchStatics.end();
            p != m_PatchStatics.end()) {
            items.insert(items.end(), p->second.begin(), p->second.end());
        } else if (auto d = replaced ? m_DifStatics.find(first + i) : m_DifStatics.end();
                   d != m_DifStatics.end()) {
            const IndexRecord& r = d->second;
            if (!StaticsFit(r, m_uStaDifLength) || afford(i, r)) {
                AppendStaticsData(m_StaDif, m_uStaDifLength, r, items);
            }
        } else if (i < records.size() && !readable(records[i])) {
            m_uUnreadStatics += records[i].HasData() ? 1 : 0;
        } else if (i < records.size() && afford(i, records[i])) {
            const IndexRecord& r = records[i];
            if (!stretch.empty()) {
                AppendStaticItems(ByteSpan(stretch).subspan(r.m_dwOffset - low, r.GetLength()),
                                  items);
            } else {
                AppendStaticsData(m_Statics, m_uStaticsLength, r, items);
            }
        }
        starts.push_back(static_cast<std::uint32_t>(items.size()));
    }
    if (firstOver != count && !m_bStaticsBudgetLogged) {
        m_bStaticsBudgetLogged = true;
        g_pEventLog->LogError(
            "tessaly: %s statics: blocks from %u on name more statics than the "
            "files hold; past %llu bytes in a run they read as empty\n",
            FacetName(m_nFacet).c_str(), first + firstOver,
            static_cast<unsigned long long>(budget));
    }
}

bool CFacet::StaticsRecordFits(const IndexRecord& record) const {
    return StaticsFit(record, m_uStaticsLength);
}

bool CFacet::ReadStaticsDifference(std::uint32_t block, IndexRecord& out) const {
    const auto found = m_DifStatics.find(block);
    if (found == m_DifStatics.end()) {
        return false;
    }
    out = found->second;
    return true;
}

bool CFacet::StaticsDifferenceFits(const IndexRecord& record) const {
    return StaticsFit(record, m_uStaDifLength);
}

bool CFacet::ReadStaticsRecord(std::uint32_t block, IndexRecord& out) {
    if (!m_bStaIdxRead) {
        m_bStaIdxRead = true;
        // The file's real length, at most the index of the largest facet.
        m_StaIdxBytes.resize(static_cast<std::size_t>(
            std::min<std::uint64_t>(m_uStaIdxLength, kMaxFacetBlocks * IndexRecord::kSize)));
        if (!ReadAt(m_StaIdx, 0, m_StaIdxBytes)) {
            m_StaIdxBytes.clear();
        }
    }
    out = IndexRecord{};
    if (std::uint64_t{block} >= m_StaIdxBytes.size() / IndexRecord::kSize) {
        return false;
    }
    ByteReader in(ByteSpan(m_StaIdxBytes).subspan(std::size_t{block} * IndexRecord::kSize));
    out.Read(in);
    return out.HasData();
}

}  // namespace tessaly
