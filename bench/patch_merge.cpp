// "Merge in Patch File": a patch file of N hue records merged into a patch of N others (half of
// them the same hues). Reports records merged per second; the time should grow with N, not N^2.

#include "Patch.h"
#include "PatchFileIO.h"
#include "PatchFormat.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

using namespace tessaly;

// Answers the merge dialog with one file and every question with No.
class FixedUi : public CPatchUi {
public:
    explicit FixedUi(std::string path) : m_sPath(std::move(path)) {}
    bool AskYesNo(const std::string&) override { return false; }
    std::optional<std::string> ChooseFile(const PatchFileDialog&) override { return m_sPath; }
    void ShowMessage(const std::string&) override {}

private:
    std::string m_sPath;
};

// A patch file of `count` 88-byte hue records, numbered from `first` in steps of 2.
std::vector<std::uint8_t> HueRecords(std::uint32_t count, std::uint32_t first) {
    ByteWriter records;
    for (std::uint32_t i = 0; i < count; ++i) {
        PatchRecordHeader{kPatchTypeHues, first + 2 * i, 88}.Write(records);
        records.bytes(std::vector<std::uint8_t>(88, static_cast<std::uint8_t>(i)));
    }
    return WritePatchFile(count, records.data());
}

void BM_MergePatchFile(benchmark::State& state) {
    const auto count = static_cast<std::uint32_t>(state.range(0));
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    const std::string mine = (dir / "tessaly-bench-mine.pat").string();
    const std::string theirs = (dir / "tessaly-bench-theirs.pat").string();
    CPatchFileIO io;
    io.ReplaceFile(mine, HueRecords(count, 0));
    io.ReplaceFile(theirs, HueRecords(count, count));
    for (auto _ : state) {
        CPatch patch;
        FixedUi openUi(mine);
        patch.OpenPatch(openUi);
        FixedUi mergeUi(theirs);
        patch.MergePatch(mergeUi);
        benchmark::DoNotOptimize(patch.Count());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * count);
    std::filesystem::remove(mine);
    std::filesystem::remove(theirs);
}
BENCHMARK(BM_MergePatchFile)->Arg(5000)->Arg(40000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
