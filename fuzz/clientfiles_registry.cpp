// Fuzzes the Wine registry reader that finds the client's install directories.

#include "ClientDirs.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    RegistryValue exePath;
    RegistryValue cdPath;
    CWineRegistry::ParseSystemReg(std::string(reinterpret_cast<const char*>(data), size), exePath,
                                  cdPath);
    CWineRegistry registry("/prefix");
    return registry.MapPath(exePath.text).empty() && registry.MapPath(cdPath.text).empty() ? 0 : 0;
}
