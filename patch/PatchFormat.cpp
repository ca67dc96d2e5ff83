#include "PatchFormat.h"

#include "Text.h"

#include <algorithm>
#include <optional>

namespace tessaly {

namespace {

// The records of a well-formed file in ascending order of their pair, the later of two records
// of one pair kept; the buffer itself when it is so already (as every file this program writes).
std::vector<std::uint8_t> InAscendingOrder(std::vector<std::uint8_t> records,
                                           PatchFileContents& contents) {
    struct Place {
        std::uint64_t key;
        std::size_t offset;
        std::size_t size;
    };
    std::vector<Place> places;
    places.reserve(contents.nCount);
    bool ordered = true;
    ForEachPatchRecord(records, contents.nCount, [&](const PatchRecordView& r) {
        const std::uint64_t key = r.Key();
        ordered = ordered && (places.empty() || places.back().key < key);
        places.push_back({key, r.nOffset, r.Size()});
        return true;
    });
    if (ordered) {
        return records;
    }
    std::stable_sort(places.begin(), places.end(),
                     [](const Place& a, const Place& b) { return a.key < b.key; });
    contents.bReordered =
        !std::is_sorted(places.begin(), places.end(),
                        [&](const Place& a, const Place& b) { return a.offset < b.offset; });
    ByteWriter out;
    std::uint32_t kept = 0;
    for (std::size_t i = 0; i < places.size(); ++i) {
        if (i + 1 < places.size() && places[i + 1].key == places[i].key) {
            continue;  // a later record of the same pair replaces it
        }
        out.bytes(ByteSpan(records).subspan(places[i].offset, places[i].size));
        ++kept;
    }
    contents.nRepeated = contents.nCount - kept;
    contents.nCount = kept;
    return out.take();
}

}  // namespace

PatchFileContents ReadPatchFile(ByteSpan file) {
    PatchFileContents contents;
    ByteReader reader(file);
    if (!reader.u32(contents.nCount) || !reader.u16(contents.nMark)) {
        contents.nFault = PatchFileFault::ShortHeader;
        return contents;
    }
    if (contents.nMark != kPatchMarkCurrent && contents.nMark != kPatchMarkOld) {
        contents.nFault = PatchFileFault::BadMark;
        return contents;
    }
    // Every record takes at least its header, so the records cannot need more room than this;
    // checking it first keeps a huge count from walking or reserving anything.
    if (contents.nCount > reader.remaining() / PatchRecordHeader::kSize) {
        contents.nFault = PatchFileFault::CountPastSize;
    }
    ByteWriter records;
    for (std::uint32_t i = 0; i < contents.nCount && contents.IsValid(); ++i) {
        PatchRecordHeader header;
        if (!header.Read(reader)) {
            contents.nFault = PatchFileFault::RecordPastEnd;
            break;
        }
        std::uint64_t length = header.nLength;
        if (contents.IsOldFormat() && header.nType == kPatchTypeStatics) {
            length *= kOldStaticItemSize;
        }
        // An old statics count times 7 may not fit the 32-bit length field at all.
        std::optional<ByteSpan> data;
        if (length <= UINT32_MAX && length <= reader.remaining()) {
            data = reader.bytes(static_cast<std::size_t>(length));
        }
        if (!data) {
            contents.nFault = PatchFileFault::RecordPastEnd;
            break;
        }
        header.nLength = static_cast<std::uint32_t>(length);
        header.Write(records);
        records.bytes(*data);
        ++contents.nGoodRecords;
    }
    if (contents.IsValid() && reader.remaining() != 0) {
        contents.nFault = PatchFileFault::TrailingBytes;
    }
    if (contents.IsValid()) {
        contents.records = InAscendingOrder(records.take(), contents);
    }
    return contents;
}

std::string PatchFileContents::Describe() const {
    switch (nFault) {
        case PatchFileFault::None: {
            std::string text = Format("well formed: %u records, %s format", nCount + nRepeated,
                                      IsOldFormat() ? "old" : "current");
            if (bReordered) {
                text += "; not in ascending order (read in order)";
            }
            if (nRepeated != 0) {
                text += Format("; %u repeat the file and block of a later record (left out)",
                               nRepeated);
            }
            return text;
        }
        case PatchFileFault::ShortHeader:
            return "shorter than its 6-byte header";
        case PatchFileFault::BadMark:
            return Format("format mark 0x%04x is neither 0xbeef nor 0x001c", nMark);
        case PatchFileFault::RecordPastEnd:
            // Records before the faulty one were whole; it is the next, counted from one.
            return Format("record %u of %u runs past the end of the file", nGoodRecords + 1,
                          nCount);
        case PatchFileFault::CountPastSize:
            return Format("its header counts %u records, more than the file can hold", nCount);
        case PatchFileFault::TrailingBytes:
            return Format("bytes follow the last of its %u records", nCount);
    }
    return {};
}

std::vector<std::uint8_t> WritePatchFile(std::uint32_t count, ByteSpan records) {
    ByteWriter writer;
    writer.u32(count).u16(kPatchMarkCurrent).bytes(records);
    return writer.take();
}

}  // namespace tessaly
