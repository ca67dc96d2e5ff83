#include "AnimContainer.h"

#include "EventLog.h"
#include "Text.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace tessaly {

namespace {

constexpr std::uint8_t kMagic[4] = {'A', 'M', 'O', 'U'};
constexpr std::uint32_t kEndChunk = 0x7FFF7FFF;
constexpr std::size_t kFrameHeader = 8;

// The length of the frame (header, chunks, end chunk) at `start`; none when it does not end
// inside the entry.
std::optional<std::size_t> FrameLength(ByteSpan entry, std::size_t start) {
    if (!FitsIn(start, kFrameHeader, entry.size())) {
        return std::nullopt;
    }
    std::size_t pos = start + kFrameHeader;
    while (FitsIn(pos, 4, entry.size())) {
        const std::uint32_t header = LoadLE32(entry.data() + pos);
        pos += 4;
        if ((header & 0xFFFF) == 0x7FFF || (header >> 16) == 0x7FFF) {
            return pos - start;
        }
        const std::size_t run = header & 0x0FFF;
        if (!FitsIn(pos, run, entry.size())) {
            return std::nullopt;
        }
        pos += run;
    }
    return std::nullopt;
}

struct FrameSpan {
    std::size_t palette = 0;  // where in the entry its palette starts
    std::size_t start = 0;    // its frame header
    std::size_t length = 0;   // 0: the number has no frame
};

// An "anim.mul" block of the frames: the first present frame's palette heads it, frames with
// another palette get theirs appended after the frames.
AnimDirectionBlock MakeBlock(ByteSpan entry, const std::vector<FrameSpan>& frames) {
    AnimDirectionBlock out;
    const auto first = std::find_if(frames.begin(), frames.end(),
                                    [](const FrameSpan& f) { return f.length != 0; });
    ByteWriter w;
    if (first != frames.end()) {
        w.bytes(entry.subspan(first->palette, CTileAnimType::kPaletteBytes));
    } else {
        w.zeros(CTileAnimType::kPaletteBytes);
    }
    w.u32(static_cast<std::uint32_t>(frames.size()));
    const std::size_t offsets = w.size();
    w.zeros(4 * frames.size());
    ByteSpan head = first != frames.end()
                        ? entry.subspan(first->palette, CTileAnimType::kPaletteBytes)
                        : ByteSpan();
    std::vector<std::size_t> foreign;  // frames whose palette differs from the block's
    for (std::size_t i = 0; i < frames.size(); ++i) {
        w.patch32(offsets + 4 * i,
                  static_cast<std::uint32_t>(w.size() - CTileAnimType::kPaletteBytes));
        if (frames[i].length == 0) {
            w.zeros(kFrameHeader).u32(kEndChunk);  // an empty frame: no size, no pixels
            continue;
        }
        w.bytes(entry.subspan(frames[i].start, frames[i].length));
        const ByteSpan palette = entry.subspan(frames[i].palette, CTileAnimType::kPaletteBytes);
        if (!std::equal(palette.begin(), palette.end(), head.begin(), head.end())) {
            foreign.push_back(i);
        }
    }
    if (!foreign.empty()) {
        out.palettes.assign(frames.size(), 0);
        for (std::size_t i : foreign) {
            out.palettes[i] = static_cast<std::uint32_t>(w.size());
            w.bytes(entry.subspan(frames[i].palette, CTileAnimType::kPaletteBytes));
        }
    }
    out.block = w.take();
    return out;
}

}  // namespace

std::string AnimContainerFileName(std::uint32_t n) {
    return Format("AnimationFrame%u.uop", n);
}

std::string AnimContainerEntryName(std::uint32_t body, std::uint32_t action) {
    return Format("build/animationlegacyframe/%06u/%02u.bin", body, action);
}

bool ParseAnimContainerEntry(ByteSpan entry, AnimContainerDirections& out, std::string& error) {
    if (entry.size() < kAnimContainerHeader || std::memcmp(entry.data(), kMagic, 4) != 0) {
        error = "no \"AMOU\" header";
        return false;
    }
    const auto count = static_cast<std::int32_t>(LoadLE32(entry.data() + 32));
    const std::size_t table = LoadLE32(entry.data() + 36);
    if (count < 0) {
        error = Format("a frame count of %d", count);
        return false;
    }
    // The table lies after the header and inside the entry: that bounds the count by the
    // entry's size before anything is allocated for it.
    if (table < kAnimContainerHeader ||
        !FitsIn(table, std::size_t(count) * kAnimFrameRecord, entry.size())) {
        error = Format("a frame table of %d frames at %zu does not fit in %zu bytes", count, table,
                       entry.size());
        return false;
    }
    const std::size_t perDirection =
        (std::size_t(count) + kAnimStoredDirections / 2) / kAnimStoredDirections;
    const std::size_t numbers = perDirection * kAnimStoredDirections;
    std::vector<FrameSpan> frames(numbers);
    // Frames of an honest entry each take bytes of their own: more frame bytes than the entry
    // holds means records share data, which would multiply what the blocks cost.
    std::size_t frameBytes = 0;
    for (std::size_t i = 0; i < std::size_t(count); ++i) {
        const std::size_t record = table + i * kAnimFrameRecord;
        const std::uint16_t number = LoadLE16(entry.data() + record + 2);
        const std::size_t palette = record + std::size_t{LoadLE32(entry.data() + record + 12)};
        if (number == 0 || number > numbers) {
            error = Format("frame number %u out of range 1-%zu", number, numbers);
            return false;
        }
        FrameSpan& frame = frames[number - 1u];
        if (frame.length != 0) {
            error = Format("frame number %u given twice", number);
            return false;
        }
        if (!FitsIn(palette, CTileAnimType::kPaletteBytes, entry.size())) {
            error = Format("frame %u's data lies outside the entry", number);
            return false;
        }
        const std::size_t start = palette + CTileAnimType::kPaletteBytes;
        const std::optional<std::size_t> length = FrameLength(entry, start);
        if (!length) {
            error = Format("frame %u does not end inside the entry", number);
            return false;
        }
        frameBytes += CTileAnimType::kPaletteBytes + *length;
        if (frameBytes > entry.size()) {
            error = Format("frame %u overlaps other frames", number);
            return false;
        }
        frame = {palette, start, *length};
    }
    for (std::size_t d = 0; d < kAnimStoredDirections; ++d) {
        const auto first = frames.begin() + static_cast<std::ptrdiff_t>(d * perDirection);
        out[d] = MakeBlock(entry, std::vector<FrameSpan>(
                                      first, first + static_cast<std::ptrdiff_t>(perDirection)));
    }
    return true;
}

std::vector<AnimContainerFrame> AnimContainerFramesOf(const std::array<ByteSpan, 5>& blocks) {
    std::vector<AnimContainerFrame> frames;
    const std::uint32_t perDirection = CTileAnimType::FrameCount(blocks[0]);
    for (std::uint32_t d = 0; d < blocks.size(); ++d) {
        const ByteSpan block = blocks[d];
        const std::uint32_t count = std::min(perDirection, CTileAnimType::FrameCount(block));
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t start =
                CTileAnimType::kPaletteBytes +
                std::size_t{LoadLE32(block.data() + CTileAnimType::kPaletteBytes + 4 + 4 * i)};
            if (const std::optional<std::size_t> length = FrameLength(block, start)) {
                frames.push_back({static_cast<std::uint16_t>(d * perDirection + i + 1),
                                  block.first(CTileAnimType::kPaletteBytes),
                                  block.subspan(start, *length)});
            }
        }
    }
    return frames;
}

std::vector<std::uint8_t> EncodeAnimContainerEntry(const std::vector<AnimContainerFrame>& frames) {
    ByteWriter w;
    w.bytes(ByteSpan(kMagic, 4)).u32(1).zeros(24);
    w.i32(static_cast<std::int32_t>(frames.size())).u32(kAnimContainerHeader);
    const std::size_t table = w.size();
    w.zeros(frames.size() * kAnimFrameRecord);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const std::size_t record = table + i * kAnimFrameRecord;
        w.patch16(record + 2, frames[i].number);
        w.patch32(record + 12, static_cast<std::uint32_t>(w.size() - record));
        w.bytes(frames[i].palette).bytes(frames[i].frame);
    }
    return w.take();
}

// ---- the containers of the client ----

void CAnimContainers::Refresh() {
    const std::uint64_t serial = m_Files.GetDirsSerial();
    if (m_bOpened && serial == m_uDirsSerial) {
        return;
    }
    m_bOpened = true;
    m_uDirsSerial = serial;
    m_uLastHash = 0;
    m_LastStatus = ReadStatus::Absent;
    for (std::uint32_t n = 0; n < kAnimContainerFiles; ++n) {
        std::unique_ptr<Container>& c = m_Containers[n];
        c.reset();
        auto opened = std::make_unique<Container>();
        if (m_Files.OpenInDirs(opened->file, AnimContainerFileName(n + 1).c_str(),
                               CQFile::shareDenyWrite)) {
            if (!opened->table.Read(opened->file)) {
                g_pEventLog->LogError("tessaly: %s: %s\n", AnimContainerFileName(n + 1).c_str(),
                                      opened->table.Error().c_str());
            }
            c = std::move(opened);
        }
    }
}

std::vector<CAnimContainers::FileInfo> CAnimContainers::ListFiles() {
    Refresh();
    std::vector<FileInfo> list;
    auto add = [&](const std::string& name, CQFile& file, const CUopTable& table) {
        std::uint64_t size = 0;
        try {
            size = file.GetLength();
        } catch (const CQFileException&) {
            LogCaughtException("measuring an animation container");
        }
        list.push_back({name, file.GetFilePath(), size, table.Entries().size(), table.Error()});
    };
    for (std::uint32_t n = 0; n < kAnimContainerFiles; ++n) {
        if (m_Containers[n]) {
            add(AnimContainerFileName(n + 1), m_Containers[n]->file, m_Containers[n]->table);
        }
    }
    // Listed with its entry count only: what its entries hold is not known well enough to read.
    Container sequence;
    if (m_Files.OpenInDirs(sequence.file, "AnimationSequence.uop", CQFile::shareDenyWrite)) {
        sequence.table.Read(sequence.file);
        add("AnimationSequence.uop", sequence.file, sequence.table);
    }
    return list;
}

std::uint32_t CAnimContainers::FindEntry(std::uint32_t body, std::uint32_t action) {
    Refresh();
    const std::uint64_t hash = HashUopName(AnimContainerEntryName(body, action));
    for (std::uint32_t n = 0; n < kAnimContainerFiles; ++n) {
        if (m_Containers[n] && m_Containers[n]->table.Find(hash) != nullptr) {
            return n + 1;
        }
    }
    return 0;
}

ReadStatus CAnimContainers::ReadDirection(std::uint32_t body, std::uint32_t action,
                                          std::uint32_t direction, AnimDirectionBlock& out) {
    const std::uint32_t n = FindEntry(body, action);
    if (n == 0 || direction >= kAnimStoredDirections) {
        return ReadStatus::Absent;
    }
    const std::uint64_t hash = HashUopName(AnimContainerEntryName(body, action));
    if (hash != m_uLastHash) {
        Container& c = *m_Containers[n - 1];
        const UopEntry& entry = *c.table.Find(hash);
        std::vector<std::uint8_t> bytes;
        std::string error;
        m_uLastHash = hash;
        if (!c.file.IsOpen()) {
            m_LastStatus = ReadStatus::Failed;
        } else if (!ReadWholeUopEntry(c.file, entry, bytes)) {
            error = "the entry does not decompress to its recorded length";
        } else if (ParseAnimContainerEntry(bytes, m_Last, error)) {
            m_LastStatus = ReadStatus::Ok;
        }
        if (!error.empty()) {
            m_LastStatus = ReadStatus::Damaged;
            g_pEventLog->LogError("tessaly: %s: body %u action %u is damaged: %s\n",
                                  AnimContainerFileName(n).c_str(), body, action, error.c_str());
        }
    }
    if (m_LastStatus == ReadStatus::Ok) {
        out = m_Last[direction];
    }
    return m_LastStatus;
}

CAnimContainers& TheAnimContainers() {
    static CAnimContainers containers(TheClientFiles());
    return containers;
}

bool CContainerAnimType::Load() {
    AnimDirectionBlock frames;
    if (TheAnimContainers().ReadDirection(m_nBody, m_nAction, m_nDirection, frames) !=
        ReadStatus::Ok) {
        return false;
    }
    TakeFrames(std::move(frames.block), std::move(frames.palettes));
    return true;
}

}  // namespace tessaly
