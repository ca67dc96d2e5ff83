#pragma once
// The sample-client generator. Each generator (one per family of files) registers itself with a
// GeneratorRegistrar and an order; WriteSampleClient runs them in order, then writes
// "verdata.mul" from the patch records they added. Output is deterministic: generators take
// their randomness only from SampleClient::Random, seeded per generator.

#include "Bytes.h"
#include "ClientWriter.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace tessaly::mk {

// One record of the generated "verdata.mul": which entry of which file slot it replaces.
struct SamplePatch {
    std::uint32_t fileId = 0;
    std::uint32_t block = 0;
    std::vector<std::uint8_t> data;
    std::uint16_t extra1 = 0;
    std::uint16_t extra2 = 0;
};

class SampleClient {
public:
    SampleClient(std::filesystem::path dir, bool fullSize);

    // Keeps the files the generators write in memory (Files()) instead of writing them to the
    // directory; the newer client is made from them.
    void CaptureFiles() { m_bCapture = true; }
    std::map<std::string, std::vector<std::uint8_t>>& Files() { return m_files; }

    const std::filesystem::path& Dir() const { return m_dir; }
    // True for the full-size data set used by benchmarks.
    bool FullSize() const { return m_fullSize; }
    // A current client's facets: Felucca of 896 block columns, Ter Mur, no difference files.
    void SetCurrentFacets() { m_bCurrentFacets = true; }
    bool CurrentFacets() const { return m_bCurrentFacets; }

    // Writes a file of the client directory (replacing any earlier one).
    void WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

    // Adds a record to the generated patch file; records are written in the order added.
    void AddPatch(SamplePatch patch);
    const std::vector<SamplePatch>& Patches() const { return m_patches; }

    // A deterministic generator for one named stream.
    static std::mt19937 Random(const std::string& stream);

private:
    std::filesystem::path m_dir;
    bool m_fullSize;
    std::vector<SamplePatch> m_patches;
    bool m_bCapture = false;
    bool m_bCurrentFacets = false;
    mutable std::map<std::string, std::vector<std::uint8_t>> m_files;  // filled by WriteFile
};

// Builds an index file of 12-byte records and its data file together, through the client
// files' own pair writer. Entries not added are absent (offset 0xFFFFFFFF). Entry data is laid
// out in the order added.
class IndexedFileBuilder {
public:
    explicit IndexedFileBuilder(std::uint32_t entryCount);
    ~IndexedFileBuilder();
    IndexedFileBuilder(IndexedFileBuilder&&) noexcept;
    IndexedFileBuilder& operator=(IndexedFileBuilder&&) noexcept;

    // Adds an entry's data with its extra word (low word first).
    void Add(std::uint32_t entry, const std::vector<std::uint8_t>& data, std::uint32_t extra = 0);
    // Adds an index record that points at data but has length 0.
    void AddEmpty(std::uint32_t entry, std::uint32_t extra = 0);

    void Write(const SampleClient& client, const std::string& indexName,
               const std::string& dataName);

    std::vector<std::uint8_t> IndexBytes();
    const std::vector<std::uint8_t>& DataBytes();

private:
    void Finish();

    std::uint32_t m_uCount;
    std::unique_ptr<CMemoryFile> m_Index;
    std::unique_ptr<CMemoryFile> m_Data;
    std::unique_ptr<CMulPairWriter> m_Writer;
    bool m_bFinished = false;
};

using Generator = void (*)(SampleClient& client);

struct GeneratorRegistrar {
    // Lower orders run first; the base files (tile data etc.) use order 0.
    GeneratorRegistrar(int order, const char* name, Generator generator);
};

// Runs every registered generator in order (without writing "verdata.mul").
void RunGenerators(SampleClient& client);
// Writes the whole sample client into dir (created when missing).
void WriteSampleClient(const std::filesystem::path& dir, bool fullSize);

// The newer client: the old sample's content with art, gumps, sounds and map0 in containers
// (stored and zlib-compressed entries), items past 16,384, tile data of the newer layout,
// 16-byte multi components with more than 5,120 index records, and no "verdata.mul".
// MulPairs writes the same content with .mul pairs instead of containers; fullSize starts from
// the full-size data set.
// The newer client's "mobtypes.txt": the type of each body of anim2.mul ... anim5.mul.
std::vector<std::uint8_t> SampleMobTypes();

enum class ModernForm { Containers, MulPairs };
void WriteModernClient(const std::filesystem::path& dir, ModernForm form = ModernForm::Containers,
                       bool fullSize = false);

// Damages the client written in dir, the same way for the same seed: truncated index and data
// files (now and then to a few bytes), index records past the end of their data, with huge
// lengths, with stretches wrapping past 2^32, pointing into the patch file past its end or with
// the largest extra words, garbage inside the data, a "verdata.mul" whose count exceeds its
// records and whose records carry unknown file ids or point past its end, a "tiledata.mul" cut
// in the middle of a group, an empty "hues.mul", containers with broken tables, garbage in the
// cliloc files, a Unicode font and "speech.mul". Returns what it left damaged.
struct DamageReport {
    // By index file name ("artidx.mul" ...): the entries, in order, whose data lies outside its
    // file (that of the base record, or of the patch record that replaces or adds it).
    // Containers are not listed.
    std::map<std::string, std::vector<std::uint32_t>> outside;
};
DamageReport DamageClient(const std::filesystem::path& dir, std::uint32_t seed);

// Hostile cases, each laid over a written client on its own (MakeHostile answers false for an
// unknown name): "special-files" (a FIFO as "art.mul", a device as "gumpart.mul", a directory
// as "texmaps.mul", and "fifo.mul" and "device.mul" to give as patch files), "planted-links"
// (links at "tmpversave.mul" and ".edits.pat.tmp" to "victim.bin"), "sparse-files" (an 8 GiB
// "verdata.mul" claiming 0xFFFFFFFF records, a 1 GiB "multi.idx"), "anti-sort" (400,000 patch
// records in AntiSortOrder), "huge-frames" (animation frames of 16,000 x 30,000), "overlapping"
// (index records that all span their data file) and "lying-container" (gump container entries
// that claim 1,032 times their compressed size; newer client only).
extern const char* const kHostileCases[7];
bool MakeHostile(const std::filesystem::path& dir, const std::string& name);

// The values 0 to count - 1 in the order that drives a middle-pivot partition sort to its
// quadratic worst case.
std::vector<std::uint32_t> AntiSortOrder(std::uint32_t count);

// Serialises patch records in the "verdata.mul" layout: count, 20-byte records, then the data.
std::vector<std::uint8_t> BuildVerData(const std::vector<SamplePatch>& patches);

}  // namespace tessaly::mk
