// Fuzzes the reader of multi import text files.
#include "MultiType.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const tessaly::MultiImport import =
        tessaly::ParseMultiImport(std::string_view(reinterpret_cast<const char*>(data), size));
    // Either components or a reason, never both.
    if (!import.error.empty() && !import.components.empty()) {
        __builtin_trap();
    }
    return 0;
}
