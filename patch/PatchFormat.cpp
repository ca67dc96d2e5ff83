#include "PatchFormat.h"

#include "Text.h"

#include <optional>

namespace tessaly {

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
        contents.nFault = PatchFileFault::RecordPastEnd;
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
        contents.records = records.take();
    }
    return contents;
}

std::string PatchFileContents::Describe() const {
    switch (nFault) {
        case PatchFileFault::None:
            return Format("well formed: %u records, %s format", nCount,
                          IsOldFormat() ? "old" : "current");
        case PatchFileFault::ShortHeader:
            return "shorter than its 6-byte header";
        case PatchFileFault::BadMark:
            return Format("format mark 0x%04x is neither 0xbeef nor 0x001c", nMark);
        case PatchFileFault::RecordPastEnd:
            return Format("record %u of %u runs past the end of the file", nGoodRecords, nCount);
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
