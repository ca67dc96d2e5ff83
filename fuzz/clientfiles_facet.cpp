// Fuzzes a facet's difference files and statics: the input is cut into "mapdifl2.mul",
// "mapdif2.mul", "stadifl2.mul", "stadifi2.mul", "stadif2.mul" and "staidx2.mul" (its first
// six bytes name the cuts, in 256ths of what is left) beside a small intact "map2.mul"; the
// facet is opened, every block and statics index record read and the whole facet drawn.

#include "Facet.h"
#include "MapPicture.h"
#include "VerDataTable.h"
#include "clientfiles_scratch.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    static const bool mapWritten = [] {
        // 2 columns of Ilshenar's 200 block rows.
        std::vector<std::uint8_t> map(2 * 200 * CMapBlock::kSize);
        for (std::size_t i = 0; i < map.size(); ++i) {
            map[i] = static_cast<std::uint8_t>(i * 13);
        }
        fuzz::WriteScratch("map2.mul", map.data(), map.size());
        return true;
    }();
    (void)mapWritten;
    constexpr const char* kNames[] = {"mapdifl2.mul", "mapdif2.mul", "stadifl2.mul", "stadifi2.mul",
                                      "stadif2.mul",  "staidx2.mul", "statics2.mul"};
    constexpr std::size_t kCuts = 6;
    const std::size_t head = size < kCuts ? size : kCuts;
    const std::uint8_t* p = data + head;
    std::size_t left = size - head;
    for (std::size_t i = 0; i < 7; ++i) {
        const std::size_t n = i < head ? left * data[i] / 256 : left;
        fuzz::WriteScratch(kNames[i], p, n);
        p += n;
        left -= n;
    }
    CVerDataTable table;
    CClientFiles files(&table);
    files.SetChosenDir(fuzz::ScratchDir());
    CFacet facet;
    if (!facet.Open(files, 2)) {
        __builtin_trap();  // the map is intact
    }
    std::vector<std::uint8_t> map;
    std::vector<std::vector<CStaticItem>> statics;
    const std::uint32_t blocks = static_cast<std::uint32_t>(facet.Layout().BlockCount());
    facet.ReadMapRun(0, blocks + 1, map);
    facet.ReadStaticsRun(0, blocks + 1, statics);
    // The statics index as the Statics list reads it, record by record.
    IndexRecord record;
    for (std::uint32_t b = 0; b <= blocks; ++b) {
        if (facet.ReadStaticsRecord(b, record)) {
            static_cast<void>(facet.StaticsRecordFits(record));
        }
    }
    CRadarTable colours;
    RenderMap(facet, colours, {0, 0, 16, 1600}, {1, 2}, true);
    return 0;
}
