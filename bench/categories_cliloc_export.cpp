// tessaly-cli export-all Cliloc on the full-size sample client (a "Cliloc.enu" of 120,000
// messages written as CSV and JSON): the best wall time of three runs and the command's peak
// resident memory, from the system's account of the child process. The texts are made one after
// the other and the JSON message by message, so the peak stays within a few times the output.

#include "CopyBaseline.h"
#include "SampleClient.h"

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;
using namespace tessaly::bench;

int main() {
    std::printf("writing the full-size sample client ...\n");
    fs::path root;
    try {
        root = WriteInputs("cliloc-export", [](const fs::path& dir) {
            tessaly::mk::WriteSampleClient(dir / "old", true);
        });
        Run best = Run::Worst();
        for (int i = 0; i < 3; ++i) {
            fs::remove_all(root / "out");
            best.Keep(RunChild(TESSALY_CLI, {"--client-dir", (root / "old").string(), "export-all",
                                             "Cliloc", (root / "out").string()}));
        }
        const double inMB = static_cast<double>(fs::file_size(root / "old" / "Cliloc.enu")) / 1e6;
        const double outMB = FolderMB(root / "out");
        std::printf(
            "export-all Cliloc: %.0f ms, peak %.1f MB, Cliloc.enu %.1f MB, output %.1f MB%s\n",
            best.ms, best.peakMB, inMB, outMB, best.peakMB < 100 ? "" : "  over the goal");
        std::printf("goal: peak under 100 MB\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        if (!root.empty()) {
            fs::remove_all(root);
        }
        return 2;
    }
    fs::remove_all(root);
    return 0;
}
