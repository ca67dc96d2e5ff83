#pragma once
// Points the process-wide file set and patch table at a client directory for block tests.

#include "ClientFiles.h"
#include "VerDataTable.h"

#include <cstdint>
#include <filesystem>
#include <span>

namespace tessaly::test {

inline void UseClientDir(const std::filesystem::path& dir) {
    CClientFiles& files = TheClientFiles();
    files.CloseAll();
    files.SetChosenDir(dir.string());
    TheVerDataTable().RemoveAll();
    if (files.OpenSlot(kSlotVerData)) {
        TheVerDataTable().Load(files.GetFile(kSlotVerData));
    }
}

// FNV-1a over the picture's pixel words (width x height, row padding left out).
class PixelHash {
public:
    void Add(std::uint16_t word) {
        for (int i = 0; i < 2; ++i) {
            m_value = (m_value ^ ((word >> (8 * i)) & 0xFF)) * 0x100000001B3ull;
        }
    }
    std::uint64_t Value() const { return m_value; }

private:
    std::uint64_t m_value = 0xCBF29CE484222325ull;
};

}  // namespace tessaly::test
