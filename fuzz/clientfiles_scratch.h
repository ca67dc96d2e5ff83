#pragma once
// A scratch client directory for the client-file fuzzers: each input is written as files
// there and read back through a fresh file set, the way the program reads a client.

#include "ClientFiles.h"
#include "TarnError.h"
#include "VerDataTable.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace tessaly::fuzz {

inline const std::string& ScratchDir() {
    // The path is kept in a plain buffer as well, so that the removal at exit does not depend
    // on the string's destruction order.
    static char pattern[] = "/tmp/tessaly-fuzz-XXXXXX";
    static const std::string dir = [] {
        if (mkdtemp(pattern) == nullptr) {
            std::abort();
        }
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(pattern, ignored);
        });
        return std::string(pattern);
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

// Points files at the scratch directory and loads table from its "verdata.mul" (left empty when
// that does not load).
inline void UseScratch(CClientFiles& files, CVerDataTable& table) {
    files.SetChosenDir(ScratchDir());
    try {
        if (files.OpenSlot(kSlotVerData)) {
            table.Load(files.GetFile(kSlotVerData));
        }
    } catch (const CTarnError&) {
        table.RemoveAll();
    }
}

}  // namespace tessaly::fuzz
