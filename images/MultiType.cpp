#include "MultiType.h"

#include "ClientFiles.h"
#include "EntryReader.h"
#include "EventLog.h"
#include "TarnError.h"
#include "TileData.h"

#include <algorithm>

namespace tessaly {

bool MultiComponent::Read(ByteReader& in, std::size_t recordSize) {
    m_dwExtra = 0;
    return in.has(recordSize) && in.u16(m_wItem) && in.i16(m_nX) && in.i16(m_nY) && in.i16(m_nZ) &&
           in.u32(m_dwFlags) && (recordSize == kSize || in.u32(m_dwExtra));
}

void MultiComponent::Write(ByteWriter& out, std::size_t recordSize) const {
    out.u16(m_wItem).i16(m_nX).i16(m_nY).i16(m_nZ).u32(m_dwFlags);
    if (recordSize == kWideSize) {
        out.u32(m_dwExtra);
    }
}

std::vector<MultiComponent> ParseMultiComponents(ByteSpan bytes, std::size_t recordSize) {
    std::vector<MultiComponent> components(bytes.size() / recordSize);
    ByteReader in(bytes);
    for (MultiComponent& c : components) {
        c.Read(in, recordSize);
    }
    return components;
}

std::vector<std::uint8_t> WriteMultiComponents(const std::vector<MultiComponent>& components,
                                               std::size_t recordSize) {
    ByteWriter out;
    for (const MultiComponent& c : components) {
        c.Write(out, recordSize);
    }
    return out.take();
}

std::size_t MultiRecordSizeOf(std::span<const IndexRecord> records, std::uint64_t dataSize) {
    // Records whose length only one of the sizes divides vote; a damaged record that fits
    // neither (or one that fits the other size among many) does not turn the whole file.
    std::size_t narrowOnly = 0;
    std::size_t wideOnly = 0;
    for (const IndexRecord& r : records) {
        if (!r.HasData() || !FitsIn(r.m_dwOffset, r.GetLength(), dataSize)) {
            continue;
        }
        const bool narrow = r.GetLength() % MultiComponent::kSize == 0;
        const bool wide = r.GetLength() % MultiComponent::kWideSize == 0;
        narrowOnly += narrow && !wide ? 1 : 0;
        wideOnly += wide && !narrow ? 1 : 0;
    }
    return wideOnly > 0 && wideOnly >= narrowOnly ? MultiComponent::kWideSize
                                                  : MultiComponent::kSize;
}

std::size_t GetMultiRecordSize(CClientFiles& files) {
    // Keyed by the openings of the three files it looks at.
    struct Known {
        const CClientFiles* files = nullptr;
        std::uint64_t index = 0;
        std::uint64_t data = 0;
        std::uint64_t tiledata = 0;
        std::size_t size = MultiComponent::kSize;
    };
    static Known known;
    auto serial = [&files](std::int32_t slot) {
        return files.OpenSlot(slot) ? files.GetFile(slot).GetOpenSerial() : 0;
    };
    const std::uint64_t index = serial(kSlotMultiIdx);
    const std::uint64_t data = serial(kSlotMulti);
    const std::uint64_t tiledata = serial(kSlotTileData);
    if (known.files == &files && known.index == index && known.data == data &&
        known.tiledata == tiledata) {
        return known.size;
    }
    std::size_t size = MultiComponent::kSize;
    if (GetTileDataShape(files).layout == TileDataLayout::Newer) {
        size = MultiComponent::kWideSize;
    } else if (index != 0 && data != 0) {
        // The first kRecordSizeProbe base records, read in one piece, decide: a real index
        // holds fewer, and a huge (or sparse) one must not be walked record by record.
        std::vector<std::uint8_t> bytes(kRecordSizeProbe * IndexRecord::kSize);
        try {
            CQFile& indexFile = files.GetFile(kSlotMultiIdx);
            indexFile.Seek(0, CQFile::begin);
            bytes.resize(indexFile.Read(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
        } catch (const CQFileException&) {
            LogCaughtException("reading multi.idx to decide the component size");
            bytes.clear();
        }
        ByteReader in(bytes);
        std::vector<IndexRecord> records;
        IndexRecord record;
        while (record.Read(in)) {
            records.push_back(record);
        }
        size = MultiRecordSizeOf(records, files.GetFile(kSlotMulti).GetLength());
    }
    known = {&files, index, data, tiledata, size};
    return size;
}

std::vector<MultiComponent> CMulMultiType::GetComponents() const {
    return ParseMultiComponents(GetBytes().first(std::size_t{m_nComponents} * m_nRecordSize),
                                m_nRecordSize);
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Cuts the text up to the first blank off `text`, and the blanks behind it, and reads it as a
// decimal number the way the C library does (a sign, digits; anything else ends it; nothing
// gives 0), wrapping like the 16-bit truncation that follows.
std::int32_t TakeDecimal(std::string_view& text) {
    std::size_t end = 0;
    while (end < text.size() && !IsBlank(text[end])) {
        ++end;
    }
    const std::string_view token = text.substr(0, end);
    while (end < text.size() && IsBlank(text[end])) {
        ++end;
    }
    text.remove_prefix(end);
    std::size_t i = 0;
    const bool negative = !token.empty() && token[0] == '-';
    if (!token.empty() && (token[0] == '-' || token[0] == '+')) {
        i = 1;
    }
    std::uint32_t value = 0;
    for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i) {
        value = value * 10 + static_cast<std::uint32_t>(token[i] - '0');
    }
    return static_cast<std::int32_t>(negative ? 0u - value : value);
}

}  // namespace

MultiImport ParseMultiImport(std::string_view text) {
    MultiImport result;
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at <= text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (end == text.size() && line.empty() && !lines.empty()) {
            break;  // the newline that ends the last line
        }
        lines.push_back(line);
        at = end + 1;
        if (lines.size() > kMaxImportComponents + 4) {
            result.error =
                "The file holds more than " + std::to_string(kMaxImportComponents) + " components.";
            return result;
        }
    }
    if (lines.empty() || lines[0] != "6 version") {
        result.error = "The file is not a multi import file: its first line is not \"6 version\".";
        return result;
    }
    for (std::size_t i = 4; i < lines.size(); ++i) {
        std::string_view rest = lines[i];
        MultiComponent c;
        c.m_wItem = static_cast<std::uint16_t>(TakeDecimal(rest));
        c.m_nX = static_cast<std::int16_t>(TakeDecimal(rest));
        c.m_nY = static_cast<std::int16_t>(TakeDecimal(rest));
        c.m_nZ = static_cast<std::int16_t>(TakeDecimal(rest));
        c.m_dwFlags = 1;
        result.components.push_back(c);
    }
    return result;
}

bool CMulMultiType::Load() {
    IndexRecord record;
    if (!ReadIndex(kSlotMultiIdx, kSlotMulti, m_nEntry, record)) {
        return false;
    }
    m_nRecordSize = GetMultiRecordSize(Files());
    // Refused as damaged before anything is read: no real multi comes near the bound.
    if (HoldsTooManyComponents(record.GetLength(), m_nRecordSize)) {
        throw CTarnError(2, kE_FAIL, kDamagedEntry);
    }
    LoadMulData(kSlotMulti, record);
    m_nComponents = static_cast<std::uint32_t>(GetDataLength() / m_nRecordSize);
    return true;
}

const std::uint8_t* CMulMultiType::GetComponent(std::uint32_t index) {
    if (GetData() == nullptr || index >= m_nComponents) {
        return nullptr;
    }
    return m_Data.data() + std::size_t{index} * m_nRecordSize;
}

bool CMulMultiType::GetComponent(std::uint32_t index, MultiComponent& component) {
    const std::uint8_t* p = GetComponent(index);
    if (p == nullptr) {
        return false;
    }
    ByteReader in(ByteSpan(p, m_nRecordSize));
    return component.Read(in, m_nRecordSize);
}

}  // namespace tessaly
