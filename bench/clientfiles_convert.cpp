// tessaly-cli convert on the full-size sample clients: the old one into containers, the newer
// one into .mul pairs. Each run is timed against copying the bytes it wrote (every file read and
// written anew, flushed to the device, then the folder flushed, as cp followed by a sync would),
// in the same run on the same disk; the command's peak resident memory comes from the system's
// account of the child process. The best of three runs of each is reported.

#include "CopyBaseline.h"
#include "SampleClient.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace tessaly::bench;

int main() {
    std::printf("writing the full-size sample clients ...\n");
    fs::path root;
    try {
        root = WriteInputs("convert", [](const fs::path& dir) {
            tessaly::mk::WriteSampleClient(dir / "old", true);
            tessaly::mk::WriteModernClient(dir / "newer", tessaly::mk::ModernForm::Containers,
                                           true);
        });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    PrintHeader("convert");
    for (const auto& [client, form] : {std::pair{"old", "uop"}, std::pair{"newer", "mul"}}) {
        TimeAgainstCopy(std::string(client) + " to " + form, root, TESSALY_CLI,
                        {"--client-dir", (root / client).string(), "convert",
                         (root / "out").string(), "--to", form});
    }
    PrintFooter();
    fs::remove_all(root);
    return 0;
}
