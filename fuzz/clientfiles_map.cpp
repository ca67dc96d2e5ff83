// Fuzzes map blocks: the input parsed as one block, then written as "map0.mul" and every block
// it can hold (and one past them) loaded.

#include "ClientFiles.h"
#include "MapBlock.h"
#include "TarnError.h"
#include "VerDataTable.h"
#include "clientfiles_scratch.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    CMapBlock direct;
    if (direct.Parse(ByteSpan(data, size)) != (size >= CMapBlock::kSize)) {
        __builtin_trap();
    }

    fuzz::WriteScratch("map0.mul", data, size);
    CVerDataTable table;
    CClientFiles files(&table);
    files.SetChosenDir(fuzz::ScratchDir());
    std::uint32_t blocks = static_cast<std::uint32_t>(size / CMapBlock::kSize) + 1;
    for (std::uint32_t b = 0; b < blocks; ++b) {
        CMapBlock block;
        try {
            block.LoadMapBlock(b, files);
        } catch (const CTarnError&) {
            if (b + 1 < blocks) {
                __builtin_trap();  // a whole block in the file must load
            }
        }
    }
    return 0;
}
