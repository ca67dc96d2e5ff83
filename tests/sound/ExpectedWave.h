#pragma once
// The wave WriteWave makes of a sound of the client in use, written into a memory file of
// ample size: what the clipboard and exported files are compared with.

#include "MulSound.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace tessaly::test {

// WriteWave of a sound's first n sample bytes into a memory file of `capacity` bytes: the bytes
// written, or nothing when it fails.
inline std::optional<std::vector<std::uint8_t>> WaveInMemory(CMulSound& sound, std::uint32_t n,
                                                             std::size_t capacity) {
    std::vector<std::uint8_t> buffer(capacity);
    MMOpenInfo info{kFourCCMem, buffer.data(), static_cast<std::uint32_t>(buffer.size())};
    CMMFile f;
    if (!f.Open(nullptr, kMMIOCreate | kMMIOWrite | kMMIOAllocBuf, &info) ||
        !WriteWave(f, sound, n)) {
        return std::nullopt;
    }
    buffer.resize(f.GetPosition());
    return buffer;
}

inline std::vector<std::uint8_t> ExpectedWave(std::uint16_t id) {
    CMulSound sound(id);
    EXPECT_NE(sound.GetData(), nullptr);
    const auto wave = WaveInMemory(sound, sound.GetLength() - 32, sound.GetLength() + 100);
    EXPECT_TRUE(wave.has_value());
    return wave.value_or(std::vector<std::uint8_t>{});
}

}  // namespace tessaly::test
