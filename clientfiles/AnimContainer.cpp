#include "AnimContainer.h"

#include "AnimBlock.h"
#include "EventLog.h"
#include "Text.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_map>

namespace tessaly {

namespace {

constexpr std::uint8_t kMagic[4] = {'A', 'M', 'O', 'U'};

struct FrameSpan {
    std::size_t palette = 0;  // where in the entry its palette starts
    std::size_t start = 0;    // its frame header
    std::size_t length = 0;   // 0: the number has no frame
};

// Calls f(first, count) for the palette indexes of each chunk of a frame known to end inside
// its bytes.
template <typename F>
void ForEachRun(std::uint8_t* frame, F&& f) {
    std::size_t pos = kAnimFrameHeader;
    for (;;) {
        const std::uint32_t header = LoadLE32(frame + pos);
        pos += 4;
        if (EndsAnimFrame(header)) {
            return;
        }
        f(frame + pos, std::size_t{header & kAnimRunMask});
        pos += header & kAnimRunMask;
    }
}

// Points the pixels of frames drawn with a palette of their own at the block's palette: the
// block's colours that its other frames use stay, the rest of its indexes take the new colours.
// False when they do not fit in 256.
bool SharePalette(std::vector<std::uint8_t>& block, ByteSpan entry,
                  const std::vector<std::pair<std::size_t, std::size_t>>& foreign,
                  const std::vector<std::size_t>& own) {
    std::array<bool, 256> used{};
    for (std::size_t at : own) {
        ForEachRun(block.data() + at, [&](const std::uint8_t* p, std::size_t n) {
            std::for_each(p, p + n, [&](std::uint8_t i) { used[i] = true; });
        });
    }
    std::unordered_map<std::uint16_t, std::uint8_t> slotOf;
    for (std::size_t i = 0; i < used.size(); ++i) {
        if (used[i]) {
            slotOf.emplace(LoadLE16(block.data() + 2 * i), static_cast<std::uint8_t>(i));
        }
    }
    std::size_t next = 1;  // index 0 stays the transparent one
    bool fits = true;
    for (const std::pair<std::size_t, std::size_t>& frame : foreign) {
        const std::size_t palette = frame.second;
        ForEachRun(block.data() + frame.first, [&](std::uint8_t* p, std::size_t n) {
            for (std::uint8_t* i = p; i != p + n && fits; ++i) {
                if (*i == 0) {
                    continue;  // transparent in every frame's palette
                }
                const std::uint16_t colour = LoadLE16(entry.data() + palette + 2 * std::size_t{*i});
                auto it = slotOf.find(colour);
                if (it == slotOf.end()) {
                    while (next < used.size() && used[next]) {
                        ++next;
                    }
                    if (next == used.size()) {
                        fits = false;
                        return;
                    }
                    used[next] = true;
                    StoreLE16(block.data() + 2 * next, colour);
                    it = slotOf.emplace(colour, static_cast<std::uint8_t>(next)).first;
                }
                *i = it->second;
            }
        });
    }
    return fits;
}

// An "anim.mul" block of the frames of one direction, headed by the first present frame's
// palette.
bool MakeBlock(ByteSpan entry, const std::vector<FrameSpan>& frames,
               std::vector<std::uint8_t>& block) {
    const auto first = std::find_if(frames.begin(), frames.end(),
                                    [](const FrameSpan& f) { return f.length != 0; });
    const ByteSpan head =
        first != frames.end() ? entry.subspan(first->palette, kAnimPaletteBytes) : ByteSpan();
    ByteWriter w;
    if (first != frames.end()) {
        w.bytes(head);
    } else {
        w.zeros(kAnimPaletteBytes);
    }
    w.u32(static_cast<std::uint32_t>(frames.size()));
    const std::size_t offsets = w.size();
    w.zeros(4 * frames.size());
    std::vector<std::pair<std::size_t, std::size_t>> foreign;  // (frame in block, its palette)
    std::vector<std::size_t> own;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        w.patch32(offsets + 4 * i, static_cast<std::uint32_t>(w.size() - kAnimPaletteBytes));
        if (frames[i].length == 0) {
            w.zeros(kAnimFrameHeader).u32(kAnimEndChunk);  // an empty frame: no size, no pixels
            continue;
        }
        const ByteSpan palette = entry.subspan(frames[i].palette, kAnimPaletteBytes);
        if (std::equal(palette.begin(), palette.end(), head.begin(), head.end())) {
            own.push_back(w.size());
        } else {
            foreign.emplace_back(w.size(), frames[i].palette);
        }
        w.bytes(entry.subspan(frames[i].start, frames[i].length));
    }
    block = w.take();
    // Index 0 is transparent in a container's palettes, whatever colour they give it: the block
    // draws it as the colour 0.
    StoreLE16(block.data(), 0);
    return foreign.empty() || SharePalette(block, entry, foreign, own);
}

}  // namespace

std::optional<std::size_t> AnimFrameLength(ByteSpan bytes, std::size_t start) {
    if (!FitsIn(start, kAnimFrameHeader, bytes.size())) {
        return std::nullopt;
    }
    std::size_t pos = start + kAnimFrameHeader;
    while (FitsIn(pos, 4, bytes.size())) {
        const std::uint32_t header = LoadLE32(bytes.data() + pos);
        pos += 4;
        if (EndsAnimFrame(header)) {
            return pos - start;
        }
        const std::size_t run = header & kAnimRunMask;
        if (!FitsIn(pos, run, bytes.size())) {
            return std::nullopt;
        }
        pos += run;
    }
    return std::nullopt;
}

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
        if (!FitsIn(palette, kAnimPaletteBytes, entry.size())) {
            error = Format("frame %u's data lies outside the entry", number);
            return false;
        }
        const std::size_t start = palette + kAnimPaletteBytes;
        const std::optional<std::size_t> length = AnimFrameLength(entry, start);
        if (!length) {
            error = Format("frame %u does not end inside the entry", number);
            return false;
        }
        frameBytes += kAnimPaletteBytes + *length;
        if (frameBytes > entry.size()) {
            error = Format("frame %u overlaps other frames", number);
            return false;
        }
        frame = {palette, start, *length};
    }
    for (std::size_t d = 0; d < kAnimStoredDirections; ++d) {
        const auto first = frames.begin() + static_cast<std::ptrdiff_t>(d * perDirection);
        if (!MakeBlock(
                entry,
                std::vector<FrameSpan>(first, first + static_cast<std::ptrdiff_t>(perDirection)),
                out[d])) {
            error =
                Format("the frames of direction %zu use more colours than one palette holds", d);
            return false;
        }
    }
    return true;
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
            try {
                opened->length = opened->file.GetLength();
            } catch (const CQFileException&) {
                LogCaughtException("measuring an animation container");
            }
            c = std::move(opened);
        }
    }
}

bool CAnimContainers::HasFrameFiles() {
    Refresh();
    return std::any_of(m_Containers.begin(), m_Containers.end(),
                       [](const std::unique_ptr<Container>& c) { return c != nullptr; });
}

std::vector<CAnimContainers::FileInfo> CAnimContainers::ListFiles() {
    Refresh();
    std::vector<FileInfo> list;
    for (std::uint32_t n = 0; n < kAnimContainerFiles; ++n) {
        if (m_Containers[n]) {
            list.push_back(DescribeUopFile(AnimContainerFileName(n + 1), m_Containers[n]->file,
                                           m_Containers[n]->table));
        }
    }
    // Listed with its entry count only: what its entries hold is not known well enough to read.
    if (std::optional<FileInfo> sequence = FindUopFile(m_Files, "AnimationSequence.uop")) {
        list.push_back(std::move(*sequence));
    }
    return list;
}

std::uint32_t CAnimContainers::FindEntry(std::uint32_t body, std::uint32_t action, bool* readable) {
    Refresh();
    const std::uint64_t hash = HashUopName(AnimContainerEntryName(body, action));
    for (std::uint32_t n = 0; n < kAnimContainerFiles; ++n) {
        const UopEntry* entry = m_Containers[n] ? m_Containers[n]->table.Find(hash) : nullptr;
        if (entry != nullptr) {
            if (readable != nullptr) {
                *readable = UopEntryReadable(*entry, m_Containers[n]->length);
            }
            return n + 1;
        }
    }
    return 0;
}

ReadStatus CAnimContainers::ReadDirection(std::uint32_t body, std::uint32_t action,
                                          std::uint32_t direction,
                                          std::vector<std::uint8_t>& block) {
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
        block = m_Last[direction];
    }
    return m_LastStatus;
}

namespace {

class CAnimContainerSource : public CAnimSourceProvider {
public:
    explicit CAnimContainerSource(CClientFiles& files) : m_Containers(files) {}

    std::string Name(const BodySource& source) const override {
        auto it = m_FileOf.find(source.slot);
        return it != m_FileOf.end() ? AnimContainerFileName(it->second)
                                    : std::string("AnimationFrame*.uop");
    }

    void AddBodies(CAnimSources& sources, std::uint32_t sourceId) override {
        for (std::uint32_t body = 0; body < kMaxBodies; ++body) {
            const MobType* type = sources.TypeOf(body);
            BodyInfo* info = sources.MutableBody(body);
            if (type == nullptr || (type->flags & kMobTypeContainerFlag) == 0 || info == nullptr) {
                continue;
            }
            BodySource source;
            source.source = sourceId;
            source.slot = body;
            source.cls = type->cls;
            source.basis = ClassBasis::MobTypes;
            // Every action's table entry is looked at, so that a body whose entry cannot be
            // read is marked before its frames are asked for; no entry is read.
            for (std::uint32_t action = 0; action < ActionCount(type->cls); ++action) {
                bool readable = true;
                if (const std::uint32_t n = m_Containers.FindEntry(body, action, &readable)) {
                    m_FileOf.emplace(body, n);
                    source.present = true;
                    source.damaged = source.damaged || !readable;
                }
            }
            info->sources.push_back(source);
        }
    }

    CAnimContainers& Containers() { return m_Containers; }

    ReadStatus ReadBlock(const BodySource& source, std::uint32_t action,
                         std::uint32_t storedDirection, std::vector<std::uint8_t>& block) override {
        if (action >= ActionCount(source.cls)) {
            return ReadStatus::Absent;
        }
        // The model is shared: the containers' files and the entry kept are read by one caller
        // at a time.
        const std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Containers.ReadDirection(source.slot, action, storedDirection, block);
    }

private:
    std::mutex m_Mutex;
    CAnimContainers m_Containers;
    std::map<std::uint32_t, std::uint32_t> m_FileOf;  // body -> the container of its first action
};

}  // namespace

std::unique_ptr<CAnimSourceProvider> MakeAnimContainerSource(CClientFiles& files) {
    auto source = std::make_unique<CAnimContainerSource>(files);
    return source->Containers().HasFrameFiles() ? std::move(source) : nullptr;
}

}  // namespace tessaly
