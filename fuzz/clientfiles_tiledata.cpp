// Fuzzes tile data records: the input is parsed as records of both layouts directly, then
// serves as "tiledata.mul" and as a patch file whose groups replace records of it.

#include "ClientFiles.h"
#include "TarnError.h"
#include "TileData.h"
#include "VerDataTable.h"
#include "clientfiles_scratch.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    CTileItemInfo item;
    CTileTerrainInfo terrain;
    for (TileDataLayout layout : {TileDataLayout::Newer, TileDataLayout::Old}) {
        item.Parse(ByteSpan(data, size), layout);
        item.GetName();
        terrain.Parse(ByteSpan(data, size), layout);
        terrain.GetName();
    }

    fuzz::WriteScratch("tiledata.mul", data, size);
    fuzz::WriteScratch("verdata.mul", data, size);
    CVerDataTable table;
    CClientFiles files(&table);
    fuzz::UseScratch(files, table);
    ByteReader ids(ByteSpan(data, size));
    std::uint16_t id = 0;
    for (int i = 0; i < 8 && ids.u16(id); ++i) {
        try {
            item.ReadInfo(id, files);
            item.GetName();
        } catch (const CTarnError&) {
        }
        try {
            terrain.ReadInfo(id, files);
            terrain.GetName();
        } catch (const CTarnError&) {
        }
    }
    return 0;
}
