#pragma once
// Shared by the benchmarks that drive the window's lists: the full-size sample clients (old and
// newer) written once into temporary folders, and a main that runs the benchmarks under a
// QApplication on the offscreen platform and removes the clients afterwards.

#include "SampleClient.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>

namespace tessaly::bench {

// The folders written so far, by kind (false: old, true: newer).
inline std::map<bool, std::filesystem::path>& ClientDirs() {
    static std::map<bool, std::filesystem::path> dirs;
    return dirs;
}

// The full-size sample client (the newer one with `modern`), written on the first call into a
// folder named after `name`.
inline const std::filesystem::path& FullClientDir(const char* name, bool modern = false) {
    auto& dirs = ClientDirs();
    if (auto found = dirs.find(modern); found != dirs.end()) {
        return found->second;
    }
    std::random_device random;
    auto d = std::filesystem::temp_directory_path() /
             (std::string("tessaly-bench-") + name + (modern ? "-modern-" : "-") +
              std::to_string(random()));
    if (modern) {
        mk::WriteModernClient(d, mk::ModernForm::Containers, true);
    } else {
        mk::WriteSampleClient(d, true);
    }
    return dirs.emplace(modern, d).first->second;
}

inline int RunQtBenchmarks(int argc, char** argv, const char* name) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    FullClientDir(name);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& [modern, dir] : ClientDirs()) {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    return 0;
}

}  // namespace tessaly::bench
