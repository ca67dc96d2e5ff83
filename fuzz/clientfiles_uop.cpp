// Fuzzes the container reader: the input is written as the art, gump and map containers; the
// table is read, every table entry is read directly, and entries are looked up and loaded
// through the file set by number, as the program reads them.

#include "ClientFiles.h"
#include "TarnError.h"
#include "UopFile.h"
#include "VerDataTable.h"
#include "clientfiles_scratch.h"

#include <algorithm>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    for (std::int32_t slot : {kSlotArt, kSlotGumpArt, kSlotMap0}) {
        fuzz::WriteScratch(FindUopKind(slot)->fileName, data, size);
    }
    // Nothing may take more memory than the input could inflate to.
    const std::size_t bound = size * 1032 + 1024;
    CVerDataTable table;
    CClientFiles files(&table);
    files.SetChosenDir(fuzz::ScratchDir());
    if (files.OpenSlot(kSlotArt)) {
        CUopTable uop;
        uop.Read(files.GetFile(kSlotArt));
        std::vector<std::uint8_t> bytes;
        for (const auto& [hash, entry] : uop.Entries()) {
            if (UopEntryReadable(entry, size)) {
                std::uint8_t prefix[8] = {};
                ReadUopEntry(files.GetFile(kSlotArt), entry,
                             std::span(prefix, std::min<std::size_t>(8, entry.decompressedLength)));
                ReadWholeUopEntry(files.GetFile(kSlotArt), entry, bytes);
            }
        }
    }
    std::vector<std::uint8_t> block;
    for (auto [indexSlot, dataSlot] :
         {std::pair{kSlotArtIdx, kSlotArt}, {kSlotGumpIdx, kSlotGumpArt}}) {
        for (std::uint32_t entry = 0; entry < 8; ++entry) {
            IndexRecord record;
            if (!files.ReadIndexRecord(indexSlot, dataSlot, entry, record)) {
                continue;
            }
            try {
                LoadMulData(files, dataSlot, record, block);
            } catch (const CTarnError&) {
            }
            if (block.size() > bound) {
                __builtin_trap();
            }
        }
    }
    std::vector<std::uint8_t> cell(196);
    for (std::uint32_t offset : {0u, kUopMapChunkBytes - 98, kUopMapChunkBytes}) {
        files.ReadData(kSlotMap0, IndexRecord{offset, 196, 0, 0}, cell);
    }
    return 0;
}
