#pragma once
// A scratch client directory for the client-file fuzzers: each input is written as files
// there and read back through a fresh file set, the way the program reads a client.

#include "ClientFiles.h"
#include "VerDataTable.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace tessaly::fuzz {

inline const std::string& ScratchDir() {
    static const std::string dir = [] {
        char pattern[] = "/tmp/tessaly-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr) {
            std::abort();
        }
        return std::string(made);
    }();
    return dir;
}

inline void WriteScratch(const char* name, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(ScratchDir() + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// Splits an input in two at the position its first byte names (out of 256ths).
inline std::size_t SplitPoint(const std::uint8_t* data, std::size_t size) {
    return size == 0 ? 0 : 1 + (size - 1) * data[0] / 256;
}

}  // namespace tessaly::fuzz
