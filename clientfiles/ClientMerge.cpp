#include "ClientMerge.h"

#include "OutputFolder.h"
#include "Text.h"
#include "TileData.h"
#include "VerDataTable.h"

#include <algorithm>
#include <map>
#include <set>

namespace tessaly {

namespace {

// The kinds whose entries are written with the patch's records laid over them.
struct MergedKind {
    std::uint32_t fileId;  // the patch file id, which is also the data slot
    EntryFileSpec spec;
    const char* name;
};
const MergedKind kMergedKinds[] = {{kSlotArt, {EntryFileKind::Art}, "art"},
                                   {kSlotGumpArt, {EntryFileKind::Gumps}, "gumps"},
                                   {kSlotSound, {EntryFileKind::Sounds}, "sounds"}};

// The bytes of a patch record, read through the table's patch file.
std::vector<std::uint8_t> ReadPatchBytes(CClientFiles& files, std::int32_t slot,
                                         const IndexRecord& record) {
    std::vector<std::uint8_t> bytes(record.GetLength());
    if (!files.ReadData(slot, record, bytes)) {
        throw COutputError("a patch record of '" + std::string(CClientFiles::GetFileName(slot)) +
                           "' cannot be read from the patch file");
    }
    return bytes;
}

// Writes "tiledata.mul": the client's file group by group, a patched group (one of the client's
// layout) in place of its own; bytes past the last whole group are copied as they are.
std::vector<std::uint32_t> WriteTileData(CClientFiles& files, const std::set<std::uint32_t>& blocks,
                                         COutputFolder& out) {
    if (!files.OpenSlot(kSlotTileData)) {
        throw COutputError("the client has no tiledata.mul to merge the patch's tile data into");
    }
    CQFile& source = files.GetFile(kSlotTileData);
    const std::uint64_t size = source.GetLength();
    const TileDataShape shape = DetectTileData(size);
    const CVerDataTable& table = files.GetVerDataTable();
    CQBufferedFile target(out.Create("tiledata.mul"));
    ManifestEntries entries;
    std::vector<std::uint8_t> bytes;
    std::uint64_t pos = 0;
    const auto copy = [&](std::uint64_t length) {
        bytes.resize(static_cast<std::size_t>(length));
        source.Seek(static_cast<std::int64_t>(pos), CQFile::begin);
        if (source.Read(bytes.data(), static_cast<std::uint32_t>(length)) != length) {
            throw COutputError("'tiledata.mul' of the client cannot be read");
        }
    };
    for (std::uint32_t b = 0; b < kTerrainGroupCount + shape.itemGroups; ++b) {
        const std::uint32_t length = TileGroupBytes(b, shape);
        if (pos + length > size) {
            break;
        }
        IndexRecord patch;
        if (blocks.count(b) != 0 && table.FindRecord(kSlotTileData, b, patch) &&
            TilePatchMismatch(patch.GetLength(), b, shape).empty()) {
            bytes = ReadPatchBytes(files, kSlotTileData, patch);
            entries.replaced.push_back(b);
        } else {
            copy(length);
        }
        target.Write(bytes.data(), length);
        pos += length;
    }
    while (pos < size) {
        const std::uint64_t length = std::min<std::uint64_t>(size - pos, 1 << 20);
        copy(length);
        target.Write(bytes.data(), static_cast<std::uint32_t>(length));
        pos += length;
    }
    target.FlushBuffer();
    std::vector<std::uint32_t> merged = entries.replaced;
    out.SetEntries("tiledata.mul", std::move(entries));
    return merged;
}

// Writes "hues.mul": the client's file with each hue of the overlay, whose place lies wholly
// inside it, in place of its own (groups of a 4-byte header and eight 88-byte hues). Answers the
// hues written.
std::vector<std::uint32_t> WriteHues(CClientFiles& files,
                                     const std::map<std::uint32_t, std::vector<std::uint8_t>>& hues,
                                     COutputFolder& out) {
    constexpr std::uint64_t kHueBytes = 88;
    constexpr std::uint64_t kGroupBytes = 4 + 8 * kHueBytes;
    if (!files.OpenSlot(kSlotHues)) {
        throw COutputError("the client has no hues.mul to merge the patch's hues into");
    }
    CQFile& source = files.GetFile(kSlotHues);
    const std::uint64_t size = source.GetLength();
    CQBufferedFile target(out.Create("hues.mul"));
    ManifestEntries entries;
    std::vector<std::uint8_t> bytes;
    auto hue = hues.begin();
    for (std::uint64_t pos = 0; pos < size;) {
        const std::uint64_t length = std::min<std::uint64_t>(size - pos, 4096 * kGroupBytes);
        bytes.resize(static_cast<std::size_t>(length));
        source.Seek(static_cast<std::int64_t>(pos), CQFile::begin);
        if (source.Read(bytes.data(), static_cast<std::uint32_t>(length)) != length) {
            throw COutputError("'hues.mul' of the client cannot be read");
        }
        for (; hue != hues.end(); ++hue) {
            const std::uint64_t at = hue->first / 8 * kGroupBytes + 4 + hue->first % 8 * kHueBytes;
            if (at + kHueBytes > pos + length || hue->second.size() != kHueBytes) {
                if (at >= pos + length) {
                    break;
                }
                continue;  // not a whole hue, or one whose place is past the file
            }
            std::copy(hue->second.begin(), hue->second.end(),
                      bytes.begin() + static_cast<std::ptrdiff_t>(at - pos));
            entries.replaced.push_back(hue->first);
        }
        target.Write(bytes.data(), static_cast<std::uint32_t>(length));
        pos += length;
    }
    target.FlushBuffer();
    std::vector<std::uint32_t> merged = entries.replaced;
    out.SetEntries("hues.mul", std::move(entries));
    return merged;
}

// Writes "multi.mul" and "multi.idx": the client's multis with those of the overlay in place of
// their own (or added), every other record kept as it is. Answers the multis written.
std::vector<std::uint32_t> WriteMultis(CClientFiles& files, const PatchOverlay& overlay,
                                       COutputFolder& out) {
    if (!files.OpenSlot(kSlotMultiIdx) || !files.OpenSlot(kSlotMulti)) {
        throw COutputError(
            "the client has no multi.idx and multi.mul to merge the patch's "
            "multis into");
    }
    CQFile& index = files.GetFile(kSlotMultiIdx);
    CQFile& data = files.GetFile(kSlotMulti);
    const std::uint64_t dataSize = data.GetLength();
    const std::uint64_t count =
        std::min<std::uint64_t>(index.GetLength() / IndexRecord::kSize, 0xFFFFFFFFu);
    CMulPairWriter writer(out.Create("multi.idx"), out.Create("multi.mul"));
    ManifestEntries entries;
    std::vector<std::uint8_t> piece;
    std::vector<std::uint8_t> bytes;
    auto multi = overlay.multis.begin();
    constexpr std::uint64_t kPiece = 4096;
    for (std::uint64_t first = 0; first < count; first += kPiece) {
        const std::uint64_t n = std::min(kPiece, count - first);
        piece.resize(static_cast<std::size_t>(n * IndexRecord::kSize));
        index.Seek(static_cast<std::int64_t>(first * IndexRecord::kSize), CQFile::begin);
        if (index.Read(piece.data(), static_cast<std::uint32_t>(piece.size())) != piece.size()) {
            throw COutputError("'multi.idx' of the client cannot be read");
        }
        ByteReader in(piece);
        for (std::uint64_t i = first; i < first + n; ++i) {
            const auto number = static_cast<std::uint32_t>(i);
            IndexRecord record;
            record.Read(in);
            if (multi != overlay.multis.end() && multi->first == number) {
                writer.Add(number, multi->second, record.HasData() ? record.GetExtra() : 0);
                (record.HasData() ? entries.replaced : entries.added).push_back(number);
                ++multi;
            } else if (record.HasData()) {
                if (!FitsIn(record.m_dwOffset, record.GetLength(), dataSize)) {
                    throw COutputError(
                        Format("entry %u of 'multi.idx' cannot be read: its data "
                               "lies outside the data file",
                               number));
                }
                bytes.resize(record.GetLength());
                data.Seek(record.m_dwOffset, CQFile::begin);
                if (data.Read(bytes.data(), record.GetLength()) != record.GetLength()) {
                    throw COutputError("'multi.mul' of the client cannot be read");
                }
                writer.Add(number, bytes, record.GetExtra());
            } else if (record.m_dwOffset != IndexRecord::kNoData && record.m_dwLength == 0) {
                writer.Add(number, {}, record.GetExtra());
            } else {
                writer.AddRecord(number, record);
            }
        }
    }
    for (; multi != overlay.multis.end(); ++multi) {
        writer.Add(multi->first, multi->second, 0);
        entries.added.push_back(multi->first);
    }
    writer.Finish(static_cast<std::uint32_t>(count));
    std::vector<std::uint32_t> merged = entries.replaced;
    merged.insert(merged.end(), entries.added.begin(), entries.added.end());
    out.SetEntries("multi.mul", std::move(entries));
    return merged;
}

// Writes the output's "verdata.mul" with the records of `kept` (indexes into the table), their
// data copied from the patch file.
void WriteKeptRecords(CClientFiles& files, const std::vector<std::int32_t>& kept,
                      COutputFolder& out) {
    CQBufferedFile target(out.Create("verdata.mul"));
    if (kept.empty()) {
        return;
    }
    const CVerDataTable& table = files.GetVerDataTable();
    ByteWriter head;
    head.u32(static_cast<std::uint32_t>(kept.size()));
    std::uint64_t offset = 4 + std::uint64_t{CUOVersionBlock::kSize} * kept.size();
    for (const std::int32_t i : kept) {
        const CUOVersionBlock& r = table.ElementAt(i);
        if (offset + r.m_dwLength > 0xFFFFFFFFu) {
            throw COutputError("the patch records left in 'verdata.mul' pass 4 GiB");
        }
        head.u32(r.m_dwFileId).u32(r.m_dwBlock).u32(static_cast<std::uint32_t>(offset));
        head.u32(r.m_dwLength).u16(r.m_wExtra1).u16(r.m_wExtra2);
        offset += r.m_dwLength;
    }
    target.Write(head.data().data(), static_cast<std::uint32_t>(head.size()));
    for (const std::int32_t i : kept) {
        const CUOVersionBlock& r = table.ElementAt(i);
        if (r.m_dwLength != 0) {
            const std::vector<std::uint8_t> bytes =
                ReadPatchBytes(files, kSlotVerData, IndexFromPatch(r));
            target.Write(bytes.data(), r.m_dwLength);
        }
    }
    target.FlushBuffer();
}

}  // namespace

MergeResult MergePatchRecords(CClientFiles& files, const std::string& target, bool replace,
                              std::optional<ClientForm> form, COutputFolderOps* ops,
                              const MergeProgress& progress, const PatchOverlay* overlay) {
    const CVerDataTable& table = files.GetVerDataTable();
    // The blocks each file id's records replace; the client reads one record of each.
    std::map<std::uint32_t, std::set<std::uint32_t>> blocks;
    for (std::int32_t i = 0; i < table.GetCount(); ++i) {
        blocks[table.ElementAt(i).m_dwFileId].insert(table.ElementAt(i).m_dwBlock);
    }
    const bool overlaid = overlay != nullptr && !overlay->Empty();
    if (blocks.empty() && !overlaid) {
        throw COutputError("nothing to merge: the patch file holds no records");
    }
    // Each kind written is one step of the progress, told in thousandths of a step.
    constexpr std::uint64_t kStep = 1000;
    std::uint64_t steps = 1;  // the output's own "verdata.mul"
    if (overlaid) {
        steps += !overlay->hues.empty() + !overlay->multis.empty();
    }
    for (const auto& [fileId, unused] : blocks) {
        steps += std::any_of(std::begin(kMergedKinds), std::end(kMergedKinds),
                             [id = fileId](const MergedKind& k) { return k.fileId == id; }) ||
                 fileId == kSlotTileData;
    }
    std::uint64_t step = 0;
    const auto tell = [&](std::uint64_t done, std::uint64_t total) {
        if (progress) {
            progress(step * kStep + (total == 0 ? kStep : done * kStep / total), steps * kStep);
        }
        return true;
    };
    MergeResult result;
    COutputFolder out(target, replace, ops);
    WriteAndCommit(out, [&] {
        std::set<std::uint32_t> merged;
        for (const MergedKind& kind : kMergedKinds) {
            const auto found = blocks.find(kind.fileId);
            if (found == blocks.end()) {
                continue;
            }
            EntryChanges changes;
            for (const std::uint32_t block : found->second) {
                IndexRecord record;
                if (!table.FindRecord(kind.fileId, block, record)) {
                    continue;
                }
                EntryChange& change = changes[block];
                if (record.GetLength() == 0) {
                    change.action = EntryChange::Action::Delete;
                    continue;
                }
                const auto slot = static_cast<std::int32_t>(kind.fileId);
                change.fetch = [&files, slot, record](std::vector<std::uint8_t>& bytes,
                                                      std::uint32_t& extra) {
                    bytes = ReadPatchBytes(files, slot, record);
                    extra = record.m_wExtra1 | (std::uint32_t{record.m_wExtra2} << 16);
                    return true;
                };
            }
            EntryFileOptions options;
            options.form = form ? *form : FindEntrySource(files, kind.spec).form;
            options.progress = tell;
            const EntryFileResult written = WriteEntryFile(files, kind.spec, changes, options, out);
            ++step;
            result.written.push_back(
                {kind.name, written.files, static_cast<std::uint32_t>(changes.size())});
            merged.insert(kind.fileId);
        }
        // Tile data groups that do not fit the client's layout (or its file) are not merged:
        // their records are kept.
        std::set<std::uint32_t> tileGroups;
        if (const auto tiles = blocks.find(kSlotTileData); tiles != blocks.end()) {
            const std::vector<std::uint32_t> written = WriteTileData(files, tiles->second, out);
            tileGroups.insert(written.begin(), written.end());
            result.written.push_back(
                {"tile data", {"tiledata.mul"}, static_cast<std::uint32_t>(written.size())});
            ++step;
            tell(0, 1);
        }
        if (overlaid && !overlay->hues.empty()) {
            const std::vector<std::uint32_t> written = WriteHues(files, overlay->hues, out);
            result.written.push_back(
                {"hues", {"hues.mul"}, static_cast<std::uint32_t>(written.size())});
            ++step;
            tell(0, 1);
        }
        if (overlaid && !overlay->multis.empty()) {
            const std::vector<std::uint32_t> written = WriteMultis(files, *overlay, out);
            result.written.push_back(
                {"multis", {"multi.mul", "multi.idx"}, static_cast<std::uint32_t>(written.size())});
            ++step;
            tell(0, 1);
        }
        if (blocks.empty()) {
            return;  // only a ".pat" patch: the client's own "verdata.mul" is none of ours
        }
        std::vector<std::int32_t> kept;
        for (std::int32_t i = 0; i < table.GetCount(); ++i) {
            const CUOVersionBlock& r = table.ElementAt(i);
            if (r.m_dwFileId == kSlotTileData ? tileGroups.count(r.m_dwBlock) == 0
                                              : merged.count(r.m_dwFileId) == 0) {
                kept.push_back(i);
            }
        }
        WriteKeptRecords(files, kept, out);
        result.written.push_back(
            {"patch", {"verdata.mul"}, static_cast<std::uint32_t>(kept.size())});
        step = steps;
        tell(0, 1);
    });
    return result;
}

}  // namespace tessaly
