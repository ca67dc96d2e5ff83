#pragma once
// RIFF/WAVE files for tests, written field by field.

#include "Bytes.h"

#include <cstdint>
#include <vector>

namespace tessaly::test {

// The wave file of sample bytes, built field by field: two channels at 11025 Hz in a format of
// `bits` per sample and format tag `tag` (16-bit PCM unless told otherwise).
inline std::vector<std::uint8_t> WaveFile(ByteSpan samples, std::uint16_t bits = 16,
                                          std::uint16_t tag = 1, std::uint16_t channels = 2,
                                          std::uint32_t rate = 11025) {
    const std::uint32_t n = static_cast<std::uint32_t>(samples.size());
    const std::uint16_t align = static_cast<std::uint16_t>(channels * bits / 8);
    ByteWriter w;
    w.text("RIFF", 4).u32(36 + n + (n & 1)).text("WAVE", 4);
    w.text("fmt ", 4).u32(16).u16(tag).u16(channels).u32(rate).u32(rate * align).u16(align);
    w.u16(bits).text("data", 4).u32(n).bytes(samples);
    if (n & 1) {
        w.u8(0);
    }
    return w.take();
}

}  // namespace tessaly::test
