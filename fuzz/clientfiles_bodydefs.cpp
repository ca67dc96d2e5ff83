// Fuzzes the readers of the body definition files: "Bodyconv.def", "Body.def" and
// "mobtypes.txt" over the same bytes.

#include "BodyDefs.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t total = 0;
    for (const BodyconvLine& line : ParseBodyconv(text)) {
        total += line.body < kMaxBodies ? 0 : 1;  // never past the bodies the list holds
    }
    for (const BodyRedirect& line : ParseBodyDef(text)) {
        total += line.targets.empty() ? 1 : 0;
    }
    total += ParseMobTypes(text).size();
    return total == 0 ? 0 : 0;
}
