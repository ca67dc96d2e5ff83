#pragma once
// Shared by the benchmarks that drive the window's lists: the full-size sample client written
// once into a temporary folder, and a main that runs the benchmarks under a QApplication on the
// offscreen platform and removes the client afterwards.

#include "SampleClient.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

namespace tessaly::bench {

// The full-size sample client, written on the first call into a folder named after `name`.
inline const std::filesystem::path& FullClientDir(const char* name) {
    static const std::filesystem::path dir = [name] {
        std::random_device random;
        auto d = std::filesystem::temp_directory_path() /
                 (std::string("tessaly-bench-") + name + "-" + std::to_string(random()));
        mk::WriteSampleClient(d, true);
        return d;
    }();
    return dir;
}

inline int RunQtBenchmarks(int argc, char** argv, const char* name) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    FullClientDir(name);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(FullClientDir(name), ignored);
    return 0;
}

}  // namespace tessaly::bench
