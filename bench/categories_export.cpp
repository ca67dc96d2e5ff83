// tessaly-cli export-all items over the full-size sample client (CCategoryExport, with one
// thread and with every hardware thread), against writing the same PNG files with Qt's image
// writer from pictures decoded beforehand (QImage::save to each file, and Qt's encoder into
// memory with one write per file as the export does). Reports items per second for each and
// the ratios to QImage::save. Everything goes below the temporary directory (TMPDIR): on a disk
// file system creating the 16,384 files costs more than encoding them, so TMPDIR=/dev/shm
// measures the encoding.

#include "AnimExport.h"
#include "CDataDef.h"
#include "CategoryExport.h"
#include "ClientFiles.h"
#include "DataTypeDef.h"
#include "RatioReporter.h"
#include "SampleClient.h"
#include "SurfaceDevice.h"
#include "VerDataTable.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QString>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace tessaly;

struct Fixture {
    std::filesystem::path client;
    std::filesystem::path out;
    // The item pictures export-all writes, decoded, with their file names.
    std::vector<std::pair<std::string, QImage>> pictures;
};

// The full-size client is written once and every item picture decoded before any timing.
Fixture& Items() {
    static Fixture* fixture = [] {
        auto* f = new Fixture;
        std::random_device random;
        const auto base = std::filesystem::temp_directory_path() /
                          ("tessaly-bench-export-" + std::to_string(random()));
        f->client = base / "client";
        f->out = base / "out";
        mk::WriteSampleClient(f->client, true);
        TheClientFiles().SetChosenDir(f->client.string());
        if (TheClientFiles().OpenSlot(kSlotVerData)) {
            TheVerDataTable().Load(TheClientFiles().GetFile(kSlotVerData));
        }
        const std::uint32_t count = GetEntryCount(*GetTypeDef(kCategoryItems), TheClientFiles());
        for (std::uint32_t n = 0; n < count; ++n) {
            std::unique_ptr<CDataDef> entry(CreateDataDef(kCategoryItems, n));
            SurfaceBuffer buffer;
            if (entry->GetImage(buffer)) {
                f->pictures.emplace_back(ExportFileName(*entry), CreateDeviceBitmap(buffer));
            }
        }
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(Items().client.parent_path(), ignored);
        });
        return f;
    }();
    return *fixture;
}

// A fresh, empty output directory.
const std::filesystem::path& EmptyOut(Fixture& f) {
    std::error_code ignored;
    std::filesystem::remove_all(f.out, ignored);
    std::filesystem::create_directories(f.out);
    return f.out;
}

// CPU time of the whole process, every thread's (the benchmark's own CPU column counts the
// calling thread only, and export-all works in threads of its own).
double ProcessSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// The counters both kinds of run report: files, items per second (wall clock) and process CPU
// milliseconds per item.
void SetCounters(benchmark::State& state, std::uint64_t files, double cpuSeconds) {
    const double items = static_cast<double>(files) * static_cast<double>(state.iterations());
    state.counters["files"] = static_cast<double>(files);
    state.counters["items/s"] = benchmark::Counter(items, benchmark::Counter::kIsRate);
    state.counters["cpu ms/item"] = items > 0 ? cpuSeconds * 1000 / items : 0;
}

void BM_ExportAllItems(benchmark::State& state) {
    Fixture& f = Items();
    const auto jobs = static_cast<unsigned>(state.range(0));
    std::uint64_t files = 0;
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string dir = EmptyOut(f).string();
        state.ResumeTiming();
        const double start = ProcessSeconds();
        CCategoryExport run(kCategoryItems, ExportOptions());
        if (!run.Run(dir, jobs)) {
            state.SkipWithError(run.GetError().c_str());
            return;
        }
        cpu += ProcessSeconds() - start;
        files = run.GetFileCount();
    }
    SetCounters(state, files, cpu);
}

// Writes every decoded picture into a fresh directory with `write` per iteration.
template <typename Write>
void WriteEveryPicture(benchmark::State& state, Write write) {
    Fixture& f = Items();
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::filesystem::path dir = EmptyOut(f);
        state.ResumeTiming();
        const double start = ProcessSeconds();
        for (const auto& [name, picture] : f.pictures) {
            if (!write(picture, (dir / name).string())) {
                state.SkipWithError("a PNG file was not written");
                return;
            }
        }
        cpu += ProcessSeconds() - start;
    }
    SetCounters(state, f.pictures.size(), cpu);
}

void BM_QtWriterSamePngs(benchmark::State& state) {
    WriteEveryPicture(state, [](const QImage& picture, const std::string& path) {
        return picture.save(QString::fromStdString(path), "PNG");
    });
}

// The same pictures encoded by Qt's writer into memory and each written with one write(2), as
// the export writes them: where the difference to the file writer lies.
void BM_QtWriterToMemoryThenFile(benchmark::State& state) {
    WriteEveryPicture(state, [](const QImage& picture, const std::string& path) {
        QByteArray png;
        QBuffer device(&png);
        return device.open(QIODevice::WriteOnly) && picture.save(&device, "PNG") &&
               WriteOutputFile(path,
                               ByteSpan(reinterpret_cast<const std::uint8_t*>(png.constData()),
                                        static_cast<std::size_t>(png.size())));
    });
}

// Wall-clock time: the export's work runs in threads of its own.
BENCHMARK(BM_ExportAllItems)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(static_cast<int>(std::max(std::thread::hardware_concurrency(), 1u)))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_QtWriterSamePngs)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QtWriterToMemoryThenFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    tessaly::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const std::string& name : reporter.Names()) {
        if (name.rfind("BM_ExportAllItems", 0) != 0) {
            continue;
        }
        if (auto ratio = reporter.Ratio(name, "BM_QtWriterSamePngs/real_time", true)) {
            std::printf("%s takes %.2f times as long as Qt's writer alone\n", name.c_str(), *ratio);
        }
    }
    benchmark::Shutdown();
    return 0;
}
