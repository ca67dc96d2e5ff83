#pragma once
// RIFF/WAVE files for tests, written field by field.

#include "Bytes.h"

#include <cstdint>
#include <vector>

namespace tessaly::test {

// The wave file of sample bytes, built field by field: two channels at 11025 Hz in a format of
// `bits` per sample and format tag `tag` (16-bit PCM unless told otherwise).
inline std::vector<std::uint8_t> WaveFile(ByteSpan samples, std::uint16_t bits = 16,
                                          std::uint16_t tag = 1) {
    const std::uint32_t n = static_cast<std::uint32_t>(samples.size());
    ByteWriter w;
    w.text("RIFF", 4).u32(36 + n + (n & 1)).text("WAVE", 4);
    w.text("fmt ", 4).u32(16).u16(tag).u16(2).u32(11025).u32(44100).u16(4).u16(bits);
    w.text("data", 4).u32(n).bytes(samples);
    if (n & 1) {
        w.u8(0);
    }
    return w.take();
}

}  // namespace tessaly::test
