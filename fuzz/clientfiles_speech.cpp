// Fuzzes the "speech.mul" reader.

#include "TextFiles.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    std::string error;
    const std::vector<SpeechKeyword> keywords = ParseSpeech(tessaly::ByteSpan(data, size), error);
    std::size_t total = error.size();
    for (const SpeechKeyword& keyword : keywords) {
        total += keyword.text.size();
    }
    return total == 1 ? 0 : 0;
}
