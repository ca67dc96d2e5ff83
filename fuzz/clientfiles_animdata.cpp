// Fuzzes the "animdata.mul" reader: the input is parsed as an entry directly, then serves as
// "animdata.mul" and as a patch file whose blocks replace parts of it.

#include "AnimData.h"
#include "ClientFiles.h"
#include "VerDataTable.h"
#include "clientfiles_scratch.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    std::size_t frames = 0;
    if (const auto entry = ParseAnimDataEntry(0x8000, ByteSpan(data, size))) {
        frames += entry->frames.size();
    }

    fuzz::WriteScratch("animdata.mul", data, size);
    fuzz::WriteScratch("verdata.mul", data, size);
    CVerDataTable table;
    CClientFiles files(&table);
    fuzz::UseScratch(files, table);
    ByteReader ids(ByteSpan(data, size));
    std::uint32_t id = 0;
    for (int i = 0; i < 8 && ids.u32(id); ++i) {
        if (const auto entry = ReadAnimData(files, id)) {
            frames += entry->frames.size() + entry->FrameDelayMs() + entry->StartDelayMs();
        }
    }
    return frames == 1 ? 0 : 0;
}
