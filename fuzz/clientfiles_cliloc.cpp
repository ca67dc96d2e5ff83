// Fuzzes the cliloc reader: the input is read as a cliloc file, every message looked up by its
// number, and laid over itself and over an empty English file.

#include "TextFiles.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    CClilocFile file;
    file.Parse(std::vector<std::uint8_t>(data, data + size));
    std::size_t total = 0;
    for (const ClilocMessage& message : file.Messages()) {
        if (const ClilocMessage* found = file.Find(message.number)) {
            total += file.Text(*found).size();
        }
    }
    CClilocFile empty;
    empty.Parse({});
    for (const ClilocRow& row : OverlayCliloc(file, empty)) {
        total += row.own;
    }
    total += OverlayCliloc(empty, file).size() + OverlayCliloc(file, file).size();
    return total == 1 ? 0 : 0;
}
