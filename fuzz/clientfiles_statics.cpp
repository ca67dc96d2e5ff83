// Fuzzes statics blocks: the input parsed as a block's records, then split into
// "staidx0.mul" and "statics0.mul" and every indexed block loaded.

#include "ClientFiles.h"
#include "Statics.h"
#include "TarnError.h"
#include "VerDataTable.h"
#include "clientfiles_scratch.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    CStaticsList direct;
    direct.Parse(ByteSpan(data, size));
    if (direct.GetCount() != size / CStaticItem::kSize) {
        __builtin_trap();
    }

    std::size_t split = fuzz::SplitPoint(data, size);
    fuzz::WriteScratch("staidx0.mul", data + (size == 0 ? 0 : 1), split == 0 ? 0 : split - 1);
    fuzz::WriteScratch("statics0.mul", data + split, size - split);
    CVerDataTable table;
    CClientFiles files(&table);
    files.SetChosenDir(fuzz::ScratchDir());
    std::uint32_t blocks = static_cast<std::uint32_t>(split / IndexRecord::kSize) + 1;
    for (std::uint32_t b = 0; b < blocks; ++b) {
        CStaticsList list;
        try {
            list.LoadStatics(b, files);
        } catch (const CTarnError&) {
            continue;
        }
        if (list.GetCount() > size / CStaticItem::kSize) {
            __builtin_trap();
        }
    }
    return 0;
}
