// Fuzzes index records and entry loading: the input's two halves become an index file and its
// data file; every entry is looked up and loaded, with lengths and offsets as the file says.

#include "ClientFiles.h"
#include "TarnError.h"
#include "VerDataTable.h"
#include "clientfiles_scratch.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    std::size_t split = fuzz::SplitPoint(data, size);
    fuzz::WriteScratch("multi.idx", data + (size == 0 ? 0 : 1), split == 0 ? 0 : split - 1);
    fuzz::WriteScratch("multi.mul", data + split, size - split);

    CVerDataTable table;
    CClientFiles files(&table);
    files.SetChosenDir(fuzz::ScratchDir());
    std::uint32_t entries = static_cast<std::uint32_t>(split / IndexRecord::kSize) + 2;
    std::vector<std::uint8_t> block;
    for (std::uint32_t entry = 0; entry < entries; ++entry) {
        IndexRecord record;
        if (!files.ReadIndexRecord(kSlotMultiIdx, kFileSlotCount, entry, record)) {
            continue;
        }
        try {
            LoadMulData(files, kSlotMulti, record, block);
        } catch (const CTarnError&) {
            continue;
        }
        if (block.size() > size) {
            __builtin_trap();  // allocated more than the file holds
        }
    }
    return 0;
}
