// Fuzzes hue groups in both layouts: the input is read as a "hues.mul" group and as a patch
// record's group, and each entry is written back and read again.
#include "Hues.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    const ByteSpan bytes(data, size);
    HueGroup group;
    for (bool patch : {false, true}) {
        if (patch ? group.ReadPatch(bytes) : group.ReadFile(bytes)) {
            ByteWriter out;
            patch ? group.WritePatch(out) : group.WriteFile(out);
            HueGroup again;
            const bool read = patch ? again.ReadPatch(out.data()) : again.ReadFile(out.data());
            if (!read || again.m_dwHeader != group.m_dwHeader) {
                std::abort();
            }
            for (std::size_t i = 0; i < 8; ++i) {
                if (again.m_Entries[i].GetName() != group.m_Entries[i].GetName()) {
                    std::abort();
                }
            }
        }
    }
    return 0;
}
