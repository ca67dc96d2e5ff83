#pragma once
// The wave WriteWave makes of a sound of the client in use, written into a memory file of
// ample size: what the clipboard and exported files are compared with.

#include "MulSound.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace tessaly::test {

inline std::vector<std::uint8_t> ExpectedWave(std::uint16_t id) {
    CMulSound sound(id);
    EXPECT_NE(sound.GetData(), nullptr);
    std::vector<std::uint8_t> buffer(sound.GetLength() + 100);
    MMOpenInfo info{kFourCCMem, buffer.data(), static_cast<std::uint32_t>(buffer.size())};
    CMMFile f;
    EXPECT_TRUE(f.Open(nullptr, kMMIOCreate | kMMIOWrite, &info));
    EXPECT_TRUE(WriteWave(f, sound, sound.GetLength() - 32));
    buffer.resize(static_cast<std::size_t>(f.GetLength()));
    return buffer;
}

}  // namespace tessaly::test
