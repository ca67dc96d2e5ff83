#include "ClientMerge.h"

#include "AnimData.h"
#include "MapBlock.h"
#include "OutputFolder.h"
#include "Text.h"
#include "TileData.h"
#include "UopFile.h"
#include "VerDataTable.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

namespace tessaly {

namespace {

// The kinds whose entries are written entry by entry with the patch's records laid over them;
// a kind's data slot is the file id of its records.
const EntryFileSpec kMergedKinds[] = {
    {EntryFileKind::Art},      {EntryFileKind::Gumps},  {EntryFileKind::Sounds},
    {EntryFileKind::Textures}, {EntryFileKind::Lights}, {EntryFileKind::Animations},
    {EntryFileKind::Multis},   {EntryFileKind::Skills}, {EntryFileKind::Map, 0},
    {EntryFileKind::Statics},
};

constexpr std::uint32_t kMapBlockBytes = CMapBlock::kSize;
constexpr std::uint64_t kHueBytes = 88;
constexpr std::uint64_t kHueGroupBytes = 4 + 8 * kHueBytes;
constexpr std::uint64_t kHuePatchSlotBytes = 152;
constexpr std::uint64_t kHuePatchBytes = 4 + 8 * kHuePatchSlotBytes;

// A limit of ReadPatchBytes that reads the whole record.
constexpr std::uint32_t kWholeRecord = IndexRecord::kPatchBit - 1;
// How far an index may grow to take an entry added past its end: beyond every entry number the
// kinds use (art's 81,920 among them). A record numbered further is kept rather than met with
// an index of gigabytes (a 36-byte patch file could ask for 48 GB).
constexpr std::uint32_t kMaxGrownEntries = 0x40000;

// A patch record cut to its first `limit` bytes, which is all its kind reads: the rest of a
// longer record is never read, so whether it lies inside the patch file does not matter.
IndexRecord UsedPart(const IndexRecord& record, std::uint32_t limit) {
    IndexRecord used = record;
    used.m_dwLength =
        (record.m_dwLength & IndexRecord::kPatchBit) | std::min(record.GetLength(), limit);
    return used;
}

// The bytes of a patch record, read through the table's patch file: its UsedPart.
std::vector<std::uint8_t> ReadPatchBytes(CClientFiles& files, std::int32_t slot,
                                         const IndexRecord& record,
                                         std::uint32_t limit = kWholeRecord) {
    const IndexRecord used = UsedPart(record, limit);
    std::vector<std::uint8_t> bytes(used.GetLength());
    if (!files.ReadData(slot, used, bytes)) {
        throw COutputError("a patch record of '" + std::string(CClientFiles::GetFileName(slot)) +
                           "' cannot be read from the patch file");
    }
    return bytes;
}

// Names the entries of a ".pat" patch a merge leaves out: the patch is not written out, so they
// would be lost without a word.
std::string UnplacedNote(const std::vector<std::uint32_t>& numbers, const char* what,
                         const char* why) {
    std::string list;
    for (std::size_t i = 0; i < numbers.size() && i < 8; ++i) {
        list += Format("%s%u", i == 0 ? "" : ", ", numbers[i]);
    }
    return Format("%zu %s of the \".pat\" patch not merged, %s: %s%s", numbers.size(), what, why,
                  list.c_str(), numbers.size() > 8 ? ", ..." : "");
}

// Bytes laid over a file of fixed places (tile data, animdata, hues): `at` is their place.
struct FlatPatch {
    std::uint64_t at;
    std::vector<std::uint8_t> bytes;
};

// Writes the slot's file `name`: the client's file piece by piece, each patch (all lying wholly
// inside it) laid over it in the order given, so that a later one wins where two overlap.
void WriteFlatFile(CClientFiles& files, std::int32_t slot, const std::vector<FlatPatch>& patches,
                   ManifestEntries entries, COutputFolder& out) {
    const std::string name = CClientFiles::GetFileName(slot);
    CQFile& source = files.GetFile(slot);
    const std::uint64_t size = source.GetLength();
    CQBufferedFile target(out.Create(name));
    std::vector<std::uint8_t> bytes;
    for (std::uint64_t pos = 0; pos < size;) {
        const std::uint64_t length = std::min<std::uint64_t>(size - pos, 1 << 20);
        bytes.resize(static_cast<std::size_t>(length));
        source.Seek(static_cast<std::int64_t>(pos), CQFile::begin);
        if (source.Read(bytes.data(), static_cast<std::uint32_t>(length)) != length) {
            throw COutputError("'" + name + "' of the client cannot be read");
        }
        for (const FlatPatch& p : patches) {
            const std::uint64_t from = std::max(p.at, pos);
            const std::uint64_t to = std::min(p.at + p.bytes.size(), pos + length);
            for (std::uint64_t i = from; i < to; ++i) {
                bytes[static_cast<std::size_t>(i - pos)] =
                    p.bytes[static_cast<std::size_t>(i - p.at)];
            }
        }
        target.Write(bytes.data(), static_cast<std::uint32_t>(length));
        pos += length;
    }
    target.FlushBuffer();
    out.SetEntries(name, std::move(entries));
}

// Where tile data group b starts in a file of the shape's layout.
std::uint64_t TileGroupAt(std::uint32_t b, const TileDataShape& shape) {
    const std::uint64_t terrain = std::min(b, kTerrainGroupCount);
    return terrain * TileGroupBytes(0, shape) +
           std::uint64_t{b - static_cast<std::uint32_t>(terrain)} *
               TileGroupBytes(kTerrainGroupCount, shape);
}

// What one flat file gets: its patches and the manifest's entries (first the blocks of the patch
// records merged).
struct FlatPlan {
    std::vector<FlatPatch> patches;
    ManifestEntries entries;
    std::uint32_t merged = 0;  // records and ".pat" hues merged
};

// Plans a flat file's patches from the patch records of `fileId`: a record is merged when the
// reader applies it whole (`where` answers the place of a record of that length, or nothing)
// and `layout` of its first `used` bytes lies wholly inside the client's file.
FlatPlan PlanFlat(
    CClientFiles& files, std::uint32_t fileId, const std::set<std::uint32_t>& blocks,
    std::uint64_t size,
    const std::function<std::optional<std::uint64_t>(std::uint32_t, std::uint32_t)>& where,
    const std::function<std::vector<std::uint8_t>(std::vector<std::uint8_t>)>& layout,
    std::uint32_t used) {
    FlatPlan plan;
    const CVerDataTable& table = files.GetVerDataTable();
    for (const std::uint32_t block : blocks) {
        IndexRecord record;
        if (!table.FindRecord(fileId, block, record) || record.GetLength() == 0 ||
            files.DataStatus(kSlotVerData, UsedPart(record, used)) != ReadStatus::Ok) {
            continue;
        }
        const std::optional<std::uint64_t> at = where(block, record.GetLength());
        if (!at || *at >= size) {
            continue;
        }
        FlatPatch patch{
            *at, layout(ReadPatchBytes(files, static_cast<std::int32_t>(fileId), record, used))};
        if (patch.at + patch.bytes.size() > size) {
            continue;
        }
        plan.patches.push_back(std::move(patch));
        plan.entries.replaced.push_back(block);
        ++plan.merged;
    }
    return plan;
}

// Writes the output's "verdata.mul" with the records of `kept` (indexes into the table), their
// data copied from the patch file. A record whose data lies outside the patch file keeps its
// length but points where no file reaches: it reads as damaged, as it did. With nothing kept the
// file is a count of 0: a patch of no records, which every reader of the count accepts.
void WriteKeptRecords(CClientFiles& files, const std::vector<std::int32_t>& kept,
                      COutputFolder& out) {
    CQBufferedFile target(out.Create("verdata.mul"));
    const CVerDataTable& table = files.GetVerDataTable();
    std::vector<bool> readable;
    ByteWriter head;
    head.u32(static_cast<std::uint32_t>(kept.size()));
    std::uint64_t offset = 4 + std::uint64_t{CUOVersionBlock::kSize} * kept.size();
    for (const std::int32_t i : kept) {
        const CUOVersionBlock& r = table.ElementAt(i);
        // The length field is kept as it stands (its top bit too); the bytes are what every
        // reader takes, the length without that bit.
        const std::uint32_t length = IndexFromPatch(r).GetLength();
        readable.push_back(length == 0 ||
                           files.DataStatus(kSlotVerData, IndexFromPatch(r)) == ReadStatus::Ok);
        if (readable.back() && offset + length > 0xFFFFFFFFu) {
            throw COutputError("the patch records left in 'verdata.mul' pass 4 GiB");
        }
        head.u32(r.m_dwFileId).u32(r.m_dwBlock);
        head.u32(readable.back() ? static_cast<std::uint32_t>(offset) : IndexRecord::kNoData - 1);
        head.u32(r.m_dwLength).u16(r.m_wExtra1).u16(r.m_wExtra2);
        offset += readable.back() ? length : 0;
    }
    target.Write(head.data().data(), static_cast<std::uint32_t>(head.size()));
    for (std::size_t k = 0; k < kept.size(); ++k) {
        const CUOVersionBlock& r = table.ElementAt(kept[k]);
        if (readable[k] && IndexFromPatch(r).GetLength() != 0) {
            const std::vector<std::uint8_t> bytes =
                ReadPatchBytes(files, kSlotVerData, IndexFromPatch(r));
            target.Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        }
    }
    target.FlushBuffer();
}

}  // namespace

MergeResult MergePatchRecords(CClientFiles& files, const std::string& target, bool replace,
                              std::optional<ClientForm> form, COutputFolderOps* ops,
                              const MergeProgress& progress, const PatchOverlay* overlay) {
    RefuseClientFolderAsOutput(files, target);
    if (overlay != nullptr && FolderHoldsFile(target, overlay->path)) {
        throw COutputError("the folder '" + target + "' holds the \".pat\" patch '" +
                           overlay->path + "': choose a new folder");
    }
    const CVerDataTable& table = files.GetVerDataTable();
    // The blocks each file id's records replace; the client reads one record of each.
    std::map<std::uint32_t, std::set<std::uint32_t>> blocks;
    for (std::int32_t i = 0; i < table.GetCount(); ++i) {
        blocks[table.ElementAt(i).m_dwFileId].insert(table.ElementAt(i).m_dwBlock);
    }
    const bool overlaid = overlay != nullptr && !overlay->Empty();
    if (blocks.empty() && !overlaid) {
        throw COutputError(overlay != nullptr && overlay->nOtherRecords != 0
                               ? Format("nothing to merge: the patch file holds no records, and "
                                        "the \".pat\" patch %u of files other than hues and "
                                        "multis, the only ones merged from it",
                                        overlay->nOtherRecords)
                               : std::string("nothing to merge: the patch file holds no records"));
    }
    const auto has = [&](std::uint32_t fileId) { return blocks.count(fileId) != 0; };
    const bool hues = has(kSlotHues) || (overlaid && !overlay->hues.empty());
    const bool multis = has(kSlotMulti) || (overlaid && !overlay->multis.empty());
    // Each kind written is one step of the progress, told in thousandths of a step.
    constexpr std::uint64_t kStep = 1000;
    std::uint64_t steps = 1 + has(kSlotTileData) + has(kSlotAnimData) + hues;
    for (const EntryFileSpec& kind : kMergedKinds) {
        const auto fileId = static_cast<std::uint32_t>(SlotsOf(kind.kind).dataSlot);
        steps += has(fileId) || (fileId == kSlotMulti && multis);
    }
    std::uint64_t step = 0;
    const auto tell = [&](std::uint64_t done, std::uint64_t total) {
        if (progress) {
            progress(step * kStep + (total == 0 ? kStep : done * kStep / total), steps * kStep);
        }
        return true;
    };
    // The patch records merged, by file id and block; every other one is kept.
    std::set<std::pair<std::uint32_t, std::uint32_t>> merged;
    MergeResult result;
    COutputFolder out(target, replace, ops);
    WriteAndCommit(out, [&] {
        for (const EntryFileSpec& kind : kMergedKinds) {
            const KindSlots slots = SlotsOf(kind.kind);
            const auto fileId = static_cast<std::uint32_t>(slots.dataSlot);
            const bool overlays = fileId == kSlotMulti && overlaid && !overlay->multis.empty();
            const auto found = blocks.find(fileId);
            if (found == blocks.end() && !overlays) {
                continue;
            }
            const EntrySourceInfo source = FindEntrySource(files, kind);
            if (!source.present && !overlays) {
                continue;  // no file to merge into: the records are kept, and read as they were
            }
            const std::int32_t slot = slots.dataSlot;
            const bool map = kind.kind == EntryFileKind::Map;
            // Multis go in the client's component size: bytes past its last whole component,
            // which the client does not read, would make it take the file for the other size.
            const std::size_t component = kind.kind == EntryFileKind::Multis &&
                                                  overlay != nullptr &&
                                                  overlay->multiComponentSize != 0
                                              ? overlay->multiComponentSize
                                              : 1;
            EntryChanges changes;
            std::uint32_t records = 0;
            const std::uint64_t sourceEntries = map ? 0 : files.GetIndexCount(slots.indexSlot);
            for (const std::uint32_t block :
                 found != blocks.end() ? found->second : std::set<std::uint32_t>{}) {
                IndexRecord record;
                if (!table.FindRecord(fileId, block, record)) {
                    continue;
                }
                const ReadStatus status =
                    files.DataStatus(slot, UsedPart(record, map ? kMapBlockBytes : kWholeRecord));
                if (map) {
                    // The map reads a block's first 196 bytes; a shorter record, a deletion, a
                    // damaged one or a block past the map's end is kept.
                    const IndexRecord place{block * kMapBlockBytes, kMapBlockBytes, 0, 0};
                    if (record.GetLength() < kMapBlockBytes || status != ReadStatus::Ok ||
                        block >= IndexRecord::kNoData / kMapBlockBytes - 1 ||
                        !files.DataFits(kSlotMap0, place)) {
                        continue;
                    }
                } else if (block >= sourceEntries &&
                           ((status != ReadStatus::Ok && record.GetLength() != 0) ||
                            block >= kMaxGrownEntries)) {
                    continue;  // kept as it is rather than an index grown to reach it
                }
                merged.insert({fileId, block});
                ++records;
                EntryChange& change = changes[block];
                change.extra = record.GetExtra();
                if (record.GetLength() == 0) {
                    change.action = EntryChange::Action::Delete;
                    continue;
                }
                if (status != ReadStatus::Ok) {
                    change.action = EntryChange::Action::Damaged;
                    continue;
                }
                change.fetch = [&files, slot, record, map, component](
                                   std::vector<std::uint8_t>& bytes, std::uint32_t& extra) {
                    bytes =
                        ReadPatchBytes(files, slot, record, map ? kMapBlockBytes : kWholeRecord);
                    bytes.resize(bytes.size() - bytes.size() % component);
                    extra = record.GetExtra();
                    return true;
                };
            }
            std::vector<std::uint32_t> unplaced;
            if (overlays) {
                // The ".pat" patch's multis win over the records, as the window shows them.
                for (const auto& [number, bytes] : overlay->multis) {
                    if (number >= sourceEntries && number >= kMaxGrownEntries) {
                        unplaced.push_back(number);
                        continue;
                    }
                    records += changes.count(number) == 0;
                    EntryChange& change = changes[number];
                    change = EntryChange{};
                    change.bytes = bytes;
                }
            }
            std::string unplacedNote =
                unplaced.empty() ? std::string()
                                 : UnplacedNote(unplaced, "multi(s)", "numbered past any client's");
            if (overlays && !overlay->damagedMultis.empty()) {
                unplacedNote += (unplacedNote.empty() ? "" : "; ") +
                                UnplacedNote(overlay->damagedMultis, "multi(s)",
                                             "holding more components than a multi may (damaged)");
            }
            if (changes.empty()) {
                if (!unplacedNote.empty()) {
                    // Nothing written, but the multis left out are still named.
                    result.written.push_back({KindName(kind), {}, 0, {}, {}, unplacedNote});
                }
                continue;
            }
            EntryFileOptions options;
            options.form = form ? *form : source.form;
            options.progress = tell;
            EntryFileResult written = WriteEntryFile(files, kind, changes, options, out);
            ++step;
            result.written.push_back({KindName(kind), written.files, records,
                                      std::move(written.damaged), std::move(written.damagedTable)});
            std::string& note = result.written.back().note;
            if (kind.kind == EntryFileKind::Multis && HasMultiCollection(files)) {
                note = Format("the client keeps its multis in '%s', which is not written",
                              kMultiCollectionFile);
            }
            if (!unplacedNote.empty()) {
                note += (note.empty() ? "" : "; ") + unplacedNote;
            }
            if (!written.note.empty()) {
                note += (note.empty() ? "" : "; ") + written.note;
            }
        }

        // Tile data: a group of the client's layout in place of its own.
        if (const auto found = blocks.find(kSlotTileData); found != blocks.end()) {
            if (!files.OpenSlot(kSlotTileData)) {
                throw COutputError(
                    "the client has no tiledata.mul to merge the patch's tile data into");
            }
            const std::uint64_t size = files.GetFile(kSlotTileData).GetLength();
            const TileDataShape shape = GetTileDataShape(files);
            FlatPlan plan = PlanFlat(
                files, kSlotTileData, found->second, size,
                [&shape](std::uint32_t b, std::uint32_t length) -> std::optional<std::uint64_t> {
                    if (b >= kTerrainGroupCount + shape.itemGroups ||
                        !TilePatchMismatch(length, b, shape).empty()) {
                        return std::nullopt;
                    }
                    return TileGroupAt(b, shape);
                },
                [](std::vector<std::uint8_t> bytes) { return bytes; }, kWholeRecord);
            for (const std::uint32_t b : plan.entries.replaced) {
                merged.insert({kSlotTileData, b});
            }
            WriteFlatFile(files, kSlotTileData, plan.patches, std::move(plan.entries), out);
            result.written.push_back({"tile data", {"tiledata.mul"}, plan.merged, {}});
            ++step;
            tell(0, 1);
        }

        // Animdata: a record holds a whole block of eight entries.
        if (const auto found = blocks.find(kSlotAnimData); found != blocks.end()) {
            if (!files.OpenSlot(kSlotAnimData)) {
                throw COutputError(
                    "the client has no animdata.mul to merge the patch's animdata into");
            }
            const std::uint64_t size = files.GetFile(kSlotAnimData).GetLength();
            FlatPlan plan = PlanFlat(
                files, kSlotAnimData, found->second, size,
                [](std::uint32_t b, std::uint32_t length) -> std::optional<std::uint64_t> {
                    if (length < kAnimDataBlockSize) {
                        return std::nullopt;  // entries past its end would read as none
                    }
                    return std::uint64_t{b} * kAnimDataBlockSize;
                },
                [](std::vector<std::uint8_t> bytes) {
                    bytes.resize(kAnimDataBlockSize);
                    return bytes;
                },
                kAnimDataBlockSize);
            for (const std::uint32_t b : plan.entries.replaced) {
                merged.insert({kSlotAnimData, b});
            }
            WriteFlatFile(files, kSlotAnimData, plan.patches, std::move(plan.entries), out);
            result.written.push_back({"animdata", {"animdata.mul"}, plan.merged, {}});
            ++step;
            tell(0, 1);
        }

        // Hues: a record holds a group in the patch layout (its entries 152 bytes apart); the
        // ".pat" patch's hues, 88 bytes each, name bytes and all, are laid over them.
        if (hues) {
            if (!files.OpenSlot(kSlotHues)) {
                throw COutputError("the client has no hues.mul to merge the patch's hues into");
            }
            const std::uint64_t size = files.GetFile(kSlotHues).GetLength();
            const auto found = blocks.find(kSlotHues);
            FlatPlan plan = PlanFlat(
                files, kSlotHues, found != blocks.end() ? found->second : std::set<std::uint32_t>{},
                size,
                [](std::uint32_t g, std::uint32_t length) -> std::optional<std::uint64_t> {
                    if (length < kHuePatchBytes) {
                        return std::nullopt;  // the client reads no part of a short group
                    }
                    return g * kHueGroupBytes;
                },
                [](std::vector<std::uint8_t> bytes) {
                    std::vector<std::uint8_t> group(bytes.begin(), bytes.begin() + 4);
                    for (std::uint64_t i = 0; i < 8; ++i) {
                        const auto from =
                            bytes.begin() + static_cast<std::ptrdiff_t>(4 + i * kHuePatchSlotBytes);
                        group.insert(group.end(), from,
                                     from + static_cast<std::ptrdiff_t>(kHueBytes));
                    }
                    return group;
                },
                kHuePatchBytes);
            std::set<std::uint32_t> replaced;
            for (const std::uint32_t g : plan.entries.replaced) {
                merged.insert({kSlotHues, g});
                for (std::uint32_t i = 0; i < 8; ++i) {
                    replaced.insert(g * 8 + i);
                }
            }
            // A ".pat" hue with no place in the client's file, or not a whole hue, is named:
            // the ".pat" patch is not written out, so it would be lost without a word.
            std::vector<std::uint32_t> unplaced;
            if (overlaid) {
                for (const auto& [hue, bytes] : overlay->hues) {
                    const std::uint64_t at = hue / 8 * kHueGroupBytes + 4 + hue % 8 * kHueBytes;
                    if (bytes.size() == kHueBytes && at + kHueBytes <= size) {
                        plan.patches.push_back({at, bytes});
                        replaced.insert(hue);
                        ++plan.merged;
                    } else {
                        unplaced.push_back(hue);
                    }
                }
            }
            plan.entries.replaced.assign(replaced.begin(), replaced.end());
            WriteFlatFile(files, kSlotHues, plan.patches, std::move(plan.entries), out);
            result.written.push_back({"hues", {"hues.mul"}, plan.merged, {}});
            if (!unplaced.empty()) {
                result.written.back().note =
                    UnplacedNote(unplaced, "hue(s)", "past the end of hues.mul or not 88 bytes");
            }
            ++step;
            tell(0, 1);
        }

        if (blocks.empty()) {
            return;  // only a ".pat" patch: the client's own "verdata.mul" is none of ours
        }
        std::vector<std::int32_t> kept;
        for (std::int32_t i = 0; i < table.GetCount(); ++i) {
            const CUOVersionBlock& r = table.ElementAt(i);
            if (merged.count({r.m_dwFileId, r.m_dwBlock}) == 0) {
                kept.push_back(i);
            }
        }
        WriteKeptRecords(files, kept, out);
        result.written.push_back(
            {"patch", {"verdata.mul"}, static_cast<std::uint32_t>(kept.size()), {}});
        step = steps;
        tell(0, 1);
    });
    return result;
}

}  // namespace tessaly
