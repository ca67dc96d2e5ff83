// The newer sample client: made from the files the old sample's generators write, reshaped the
// way newer clients ship them.

#include "AnimContainer.h"
#include "AnimType.h"
#include "ClientFiles.h"
#include "ClientWriter.h"
#include "Facet.h"
#include "ImageEncoders.h"
#include "MultiType.h"
#include "SampleClient.h"
#include "Text.h"
#include "TileData.h"
#include "UopFile.h"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>

namespace tessaly::mk {

namespace {

using Files = std::map<std::string, std::vector<std::uint8_t>>;

struct MulEntry {
    std::uint32_t number = 0;
    std::vector<std::uint8_t> bytes;
    std::uint32_t extra = 0;
};

const std::vector<std::uint8_t>& Take(const Files& files, const std::string& name) {
    auto it = files.find(name);
    if (it == files.end()) {
        throw std::runtime_error("the sample generators wrote no " + name);
    }
    return it->second;
}

// The entries with data of an index pair the generators wrote.
std::vector<MulEntry> ReadPair(const Files& files, const std::string& index,
                               const std::string& data) {
    const std::vector<std::uint8_t>& idx = Take(files, index);
    const std::vector<std::uint8_t>& mul = Take(files, data);
    std::vector<MulEntry> entries;
    ByteReader in(idx);
    for (std::uint32_t n = 0; in.has(IndexRecord::kSize); ++n) {
        IndexRecord r;
        r.Read(in);
        if (r.HasData() && FitsIn(r.m_dwOffset, r.GetLength(), mul.size())) {
            auto first = mul.begin() + static_cast<std::ptrdiff_t>(r.m_dwOffset);
            entries.push_back({n, {first, first + r.GetLength()}, r.GetExtra()});
        }
    }
    return entries;
}

void WritePair(SampleClient& client, std::uint32_t count, const std::vector<MulEntry>& entries,
               const std::string& index, const std::string& data) {
    IndexedFileBuilder builder(count);
    for (const MulEntry& e : entries) {
        builder.Add(e.number, e.bytes, e.extra);
    }
    builder.Write(client, index, data);
}

// Odd entries are compressed, even ones stored, so that every kind holds both.
void WriteContainer(SampleClient& client, std::int32_t dataSlot,
                    const std::vector<UopSourceEntry>& entries) {
    const UopKind* kind = FindUopKind(dataSlot);
    client.WriteFile(kind->fileName, WriteUopContainer(*kind, entries));
}

std::vector<UopSourceEntry> Sources(const std::vector<MulEntry>& entries, bool sizeHeader) {
    std::vector<UopSourceEntry> sources;
    for (const MulEntry& e : entries) {
        ByteWriter w;
        if (sizeHeader) {
            // Gumps: width, height (extra 2 and extra 1 of the index record), then the data.
            w.u32(e.extra >> 16).u32(e.extra & 0xFFFF);
        }
        w.bytes(e.bytes);
        sources.push_back({e.number, w.take(), e.number % 2 == 1, {}});
    }
    return sources;
}

// Items past 16,384: plain coloured blocks of a few sizes.
constexpr std::uint16_t kHighItems[] = {0x4000, 0x4321, 0x5A5A, 0x7FFF};

void AddHighItems(std::vector<MulEntry>& art) {
    for (std::uint16_t id : kHighItems) {
        const std::uint32_t w = 20u + (id % 5) * 4;
        const std::uint32_t h = 24u + (id % 7) * 3;
        Picture p(w, h);
        p.FillRect(0, 0, static_cast<std::int32_t>(w), static_cast<std::int32_t>(h),
                   static_cast<std::uint16_t>(0x4210 | (id & 0x1F)));
        p.FillRect(2, 2, static_cast<std::int32_t>(w) - 4, 4, 0x7FFF);
        art.push_back({kArtItemBase + id, EncodeItem(p), 0});
    }
}

// The old tile data rewritten in the newer layout with 1,024 item groups.
std::vector<std::uint8_t> NewerTileData(const std::vector<std::uint8_t>& old) {
    constexpr std::uint32_t kItemGroups = 1024;
    const TileDataShape shape = DetectTileData(old.size());
    ByteReader in(old);
    ByteWriter out;
    for (std::uint32_t g = 0; g < kTerrainGroupCount; ++g) {
        std::uint32_t header = 0;
        in.u32(header);
        out.u32(header);
        for (std::uint32_t i = 0; i < kTileGroupSize; ++i) {
            CTileTerrainInfo t;
            if (auto bytes = in.bytes(CTileTerrainInfo::kSize)) {
                t.Parse(*bytes);
            }
            t.Write(out, TileDataLayout::Newer);
        }
    }
    for (std::uint32_t g = 0; g < kItemGroups; ++g) {
        std::uint32_t header = 0;
        if (g < shape.itemGroups) {
            in.u32(header);
        }
        out.u32(header);
        for (std::uint32_t i = 0; i < kTileGroupSize; ++i) {
            const std::int32_t id = static_cast<std::int32_t>(g * kTileGroupSize + i);
            CTileItemInfo t;
            if (g < shape.itemGroups) {
                if (auto bytes = in.bytes(CTileItemInfo::kSize)) {
                    t.Parse(*bytes);
                }
            }
            if (id == 0x0E75) {
                t.SetName("backpack");
                t.m_dwFlags = kTileContainer;
                t.m_bWeight = 3;
                t.m_bHeight = 1;
                t.m_dwAnim = 422;
            }
            for (std::uint16_t high : kHighItems) {
                if (id == high) {
                    t.SetName("tall crate");
                    t.m_dwFlagsHigh = 1;  // an upper flag bit, shown as a number
                    t.m_bWeight = 10;
                    t.m_bHeight = 8;
                    // Animation 0 beside an unknown byte of 2, as real items have it: read as
                    // the old record's 32-bit lump, the "animation" would be 131072.
                    t.m_dwAnim = 2u << 16;
                    t.m_dwVal6 = 3u << 24;  // quantity 3
                }
            }
            t.Write(out, TileDataLayout::Newer);
        }
    }
    return out.take();
}

// The radar colours of a current client: 16,384 terrain colours, then one per item up to item
// 65,499 (81,884 in all, so indexes pass 0xFFFF); the items past 16,384 take their picture's
// colour, the last item one of its own.
std::vector<std::uint8_t> NewerRadarColors(const std::vector<std::uint8_t>& old) {
    constexpr std::size_t kColors = 16384 + 65500;
    std::vector<std::uint8_t> colors(old);
    colors.resize(2 * kColors, 0);
    for (std::uint16_t id : kHighItems) {
        StoreLE16(&colors[2 * (16384u + id)], static_cast<std::uint16_t>(0x4210 | (id & 0x1F)));
    }
    StoreLE16(&colors[2 * (kColors - 1)], 0x7FFF);
    return colors;
}

// The multis with 16-byte components, 8,480 index records and two more structures past 5,120.
void WriteNewerMultis(SampleClient& client, const Files& files) {
    constexpr std::uint32_t kMultiRecords = 8480;
    std::vector<MulEntry> multis = ReadPair(files, "multi.idx", "multi.mul");
    const std::size_t old = multis.size();
    for (std::size_t i = 0; i < old; ++i) {
        std::vector<MultiComponent> parts = ParseMultiComponents(multis[i].bytes);
        for (MultiComponent& c : parts) {
            c.m_dwExtra = 1;
        }
        multis[i].bytes = WriteMultiComponents(parts, MultiComponent::kWideSize);
        multis.push_back({static_cast<std::uint32_t>(0x1450 + i * 0x600), multis[i].bytes, 0});
    }
    WritePair(client, kMultiRecords, multis, "multi.idx", "multi.mul");
}

// Bodies whose frames the animation containers hold: copies of the sample's anim.mul bodies
// under numbers of their own, flagged 0x10000 in "mobtypes.txt".
struct ContainerBody {
    std::uint32_t body;
    std::uint32_t from;  // the anim.mul body whose frames it takes
    const char* type;
    std::uint32_t file;  // AnimationFrame1.uop or 2
};
constexpr ContainerBody kContainerBodies[] = {
    {1500, 1, "MONSTER", 1},
    {1501, 201, "ANIMAL", 1},
    {1502, 400, "HUMAN", 2},
};

// "AnimationFrame1.uop" and "AnimationFrame2.uop" with one compressed entry per action of each
// container body and an "AnimationSequence.uop" beside them; the bodies' lines are added to
// mobTypes.
// The first action of the first body leaves frames 3 and 14 out, as packers do.
void WriteAnimationContainers(SampleClient& client, const Files& files,
                              std::vector<std::uint8_t>& mobTypes) {
    std::map<std::uint32_t, std::vector<std::uint8_t>> blocks;
    for (MulEntry& e : ReadPair(files, "anim.idx", "anim.mul")) {
        blocks[e.number] = std::move(e.bytes);
    }
    std::map<std::uint32_t, std::vector<UopSourceEntry>> containers;
    std::vector<UopSourceEntry> sequences;
    for (const ContainerBody& b : kContainerBodies) {
        for (std::int32_t action = 0; action < GetAnimActionCount(b.from); ++action) {
            std::array<ByteSpan, 5> directions;
            bool present = true;
            for (std::int32_t stored = 0; stored < 5; ++stored) {
                auto it = blocks.find(GetAnimIndex(b.from, action, 3 + stored));
                present = present && it != blocks.end();
                if (present) {
                    directions[static_cast<std::size_t>(stored)] = it->second;
                }
            }
            if (!present) {
                continue;
            }
            std::vector<AnimContainerFrame> frames = AnimContainerFramesOf(directions);
            if (&b == &kContainerBodies[0] && action == 0) {
                std::erase_if(frames, [](const AnimContainerFrame& f) {
                    return f.number == 3 || f.number == 14;
                });
            }
            containers[b.file].push_back(
                {0, EncodeAnimContainerEntry(frames), true,
                 AnimContainerEntryName(b.body, static_cast<std::uint32_t>(action))});
        }
        ByteWriter sequence;
        sequence.u32(b.body).u32(0);  // not interpreted: stands for a real file's remapping
        sequences.push_back(
            {0, sequence.take(), true, Format("build/animationsequence/%08u.bin", b.body)});
        const std::string line = Format("%u %s 10000\n", b.body, b.type);
        mobTypes.insert(mobTypes.end(), line.begin(), line.end());
    }
    for (auto& [file, entries] : containers) {
        client.WriteFile(AnimContainerFileName(file), WriteUopContainer(entries));
    }
    client.WriteFile("AnimationSequence.uop", WriteUopContainer(sequences));
}

}  // namespace

void WriteModernClient(const std::filesystem::path& dir, ModernForm form, bool fullSize) {
    std::filesystem::create_directories(dir);
    SampleClient made(dir, fullSize);
    made.CaptureFiles();
    made.SetCurrentFacets();
    RunGenerators(made);
    const Files& files = made.Files();

    SampleClient client(dir, fullSize);
    std::vector<MulEntry> art = ReadPair(files, "artidx.mul", "art.mul");
    AddHighItems(art);
    const std::vector<MulEntry> gumps = ReadPair(files, "gumpidx.mul", "gumpart.mul");
    const std::vector<MulEntry> sounds = ReadPair(files, "soundidx.mul", "sound.mul");
    const std::set<std::string> replaced = {
        "artidx.mul", "art.mul",      "gumpidx.mul", "gumpart.mul",  "soundidx.mul",
        "sound.mul",  "map0.mul",     "map2.mul",    "map4.mul",     "map5.mul",
        "multi.idx",  "tiledata.mul", "multi.mul",   "radarcol.mul", "skills.idx"};
    for (const auto& [name, bytes] : files) {
        if (replaced.count(name) == 0) {
            client.WriteFile(name, bytes);
        }
    }
    client.WriteFile("tiledata.mul", NewerTileData(Take(files, "tiledata.mul")));
    client.WriteFile("radarcol.mul", NewerRadarColors(Take(files, "radarcol.mul")));
    // Current clients ship this one name in mixed case.
    client.WriteFile("Skills.idx", Take(files, "skills.idx"));
    WriteNewerMultis(client, files);
    std::vector<std::uint8_t> mobTypes = SampleMobTypes();
    WriteAnimationContainers(client, files, mobTypes);
    client.WriteFile("mobtypes.txt", mobTypes);
    // Newer clients store their cliloc files compressed: a French file that does not start with
    // the plain header stands for one (its bytes are not a real compressed file).
    client.WriteFile("Cliloc.fra", {0x43, 0x4D, 0x50, 0x01, 0xE9, 0x00, 0x00, 0x00, 0x5A, 0x11});

    if (form == ModernForm::MulPairs) {
        WritePair(client, 3 * kArtItemBase, art, "artidx.mul", "art.mul");
        WritePair(
            client,
            static_cast<std::uint32_t>(Take(files, "gumpidx.mul").size() / IndexRecord::kSize),
            gumps, "gumpidx.mul", "gumpart.mul");
        WritePair(
            client,
            static_cast<std::uint32_t>(Take(files, "soundidx.mul").size() / IndexRecord::kSize),
            sounds, "soundidx.mul", "sound.mul");
        for (const char* name : {"map0.mul", "map2.mul", "map4.mul", "map5.mul"}) {
            client.WriteFile(name, Take(files, name));
        }
        return;
    }
    WriteContainer(client, kSlotArt, Sources(art, false));
    WriteContainer(client, kSlotGumpArt, Sources(gumps, true));
    WriteContainer(client, kSlotSound, Sources(sounds, false));
    // The maps of four facets: chunks of 4,096 blocks, compressed.
    for (int facet : {0, 2, 4, 5}) {
        const std::vector<std::uint8_t>& map = Take(files, "map" + std::to_string(facet) + ".mul");
        std::vector<UopSourceEntry> chunks;
        for (std::size_t at = 0; at < map.size(); at += kUopMapChunkBytes) {
            const std::size_t n = std::min<std::size_t>(kUopMapChunkBytes, map.size() - at);
            const auto first = map.begin() + static_cast<std::ptrdiff_t>(at);
            chunks.push_back({static_cast<std::uint32_t>(chunks.size()),
                              {first, first + static_cast<std::ptrdiff_t>(n)},
                              true,
                              {}});
        }
        const UopKind& kind = FacetMapKind(facet);
        client.WriteFile(kind.fileName, WriteUopContainer(kind, chunks));
    }
}

}  // namespace tessaly::mk
