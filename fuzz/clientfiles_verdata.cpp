// Fuzzes the patch table: load from a whole patch file, sort, and look every record up.

#include "ClientFiles.h"
#include "TarnError.h"
#include "VerDataTable.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    CVerDataTable table;
    try {
        table.LoadBytes(ByteSpan(data, size));
    } catch (const CTarnError&) {
        return 0;
    }
    if (table.GetCount() > static_cast<std::int32_t>(size / CUOVersionBlock::kSize)) {
        __builtin_trap();  // more records than the file has bytes for
    }
    for (std::int32_t i = 1; i < table.GetCount(); ++i) {
        if (table[i - 1].GetKey() > table[i].GetKey()) {
            __builtin_trap();
        }
    }
    IndexRecord record;
    for (const CUOVersionBlock& r : table) {
        table.FindRecord(r.m_dwFileId, r.m_dwBlock, record);
    }
    return 0;
}
