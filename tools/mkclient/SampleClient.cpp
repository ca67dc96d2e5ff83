#include "SampleClient.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace tessaly::mk {

namespace {
struct Registered {
    int order;
    const char* name;
    Generator generator;
};
std::vector<Registered>& Generators() {
    static std::vector<Registered> generators;
    return generators;
}
}  // namespace

GeneratorRegistrar::GeneratorRegistrar(int order, const char* name, Generator generator) {
    Generators().push_back({order, name, generator});
}

SampleClient::SampleClient(std::filesystem::path dir, bool fullSize)
    : m_dir(std::move(dir)), m_fullSize(fullSize) {}

void SampleClient::WriteFile(const std::string& name,
                             const std::vector<std::uint8_t>& bytes) const {
    if (m_bCapture) {
        m_files[name] = bytes;
        return;
    }
    std::ofstream out(m_dir / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + (m_dir / name).string());
    }
}

void SampleClient::AddPatch(SamplePatch patch) {
    m_patches.push_back(std::move(patch));
}

std::mt19937 SampleClient::Random(const std::string& stream) {
    std::seed_seq seed(stream.begin(), stream.end());
    return std::mt19937(seed);
}

IndexedFileBuilder::IndexedFileBuilder(std::uint32_t entryCount)
    : m_uCount(entryCount),
      m_Index(std::make_unique<CMemoryFile>()),
      m_Data(std::make_unique<CMemoryFile>()),
      m_Writer(std::make_unique<CMulPairWriter>(*m_Index, *m_Data)) {}

IndexedFileBuilder::~IndexedFileBuilder() = default;
// The writer refers to the files, which stay where they are when the pointers move.
IndexedFileBuilder::IndexedFileBuilder(IndexedFileBuilder&&) noexcept = default;
IndexedFileBuilder& IndexedFileBuilder::operator=(IndexedFileBuilder&&) noexcept = default;

void IndexedFileBuilder::Add(std::uint32_t entry, const std::vector<std::uint8_t>& data,
                             std::uint32_t extra) {
    if (entry >= m_uCount || m_bFinished) {
        throw std::out_of_range("IndexedFileBuilder::Add");
    }
    m_Writer->Add(entry, data, extra);
}

void IndexedFileBuilder::AddEmpty(std::uint32_t entry, std::uint32_t extra) {
    Add(entry, {}, extra);
}

void IndexedFileBuilder::Finish() {
    if (!m_bFinished) {
        m_Writer->Finish(m_uCount);
        m_bFinished = true;
    }
}

std::vector<std::uint8_t> IndexedFileBuilder::IndexBytes() {
    Finish();
    return m_Index->Bytes();
}

const std::vector<std::uint8_t>& IndexedFileBuilder::DataBytes() {
    Finish();
    return m_Data->Bytes();
}

void IndexedFileBuilder::Write(const SampleClient& client, const std::string& indexName,
                               const std::string& dataName) {
    Finish();
    client.WriteFile(indexName, m_Index->Bytes());
    client.WriteFile(dataName, m_Data->Bytes());
}

std::vector<std::uint8_t> BuildVerData(const std::vector<SamplePatch>& patches) {
    ByteWriter w;
    w.u32(static_cast<std::uint32_t>(patches.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(4 + 20 * patches.size());
    for (const SamplePatch& p : patches) {
        w.u32(p.fileId).u32(p.block).u32(offset).u32(static_cast<std::uint32_t>(p.data.size()));
        w.u16(p.extra1).u16(p.extra2);
        offset += static_cast<std::uint32_t>(p.data.size());
    }
    for (const SamplePatch& p : patches) {
        w.bytes(p.data);
    }
    return w.take();
}

void RunGenerators(SampleClient& client) {
    auto generators = Generators();
    std::stable_sort(generators.begin(), generators.end(),
                     [](const Registered& a, const Registered& b) { return a.order < b.order; });
    for (const Registered& g : generators) {
        g.generator(client);
    }
}

void WriteSampleClient(const std::filesystem::path& dir, bool fullSize) {
    std::filesystem::create_directories(dir);
    SampleClient client(dir, fullSize);
    RunGenerators(client);
    client.WriteFile("verdata.mul", BuildVerData(client.Patches()));
}

}  // namespace tessaly::mk
