#pragma once
// Test helpers: a sample client written once per test process and loaded into the
// process-wide file set and patch table, and a sound entry held in memory.

#include "ClientFiles.h"
#include "MulSound.h"
#include "SampleClient.h"
#include "VerDataTable.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tessaly::test {

// A fresh directory under the system's temporary directory, unique to this process.
inline std::filesystem::path MakeTempDir(const char* stem) {
    std::string pattern = (std::filesystem::temp_directory_path() / stem).string() + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* made = ::mkdtemp(buffer.data());
    return made != nullptr ? std::filesystem::path(made) : std::filesystem::path();
}

inline std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Writes the sample client (once per process) and points the file set and the patch table
// at it. Returns the client directory.
inline const std::filesystem::path& UseSampleClient() {
    static const std::filesystem::path dir = [] {
        std::filesystem::path d = MakeTempDir("tessaly-sound");
        mk::WriteSampleClient(d, false);
        return d;
    }();
    CClientFiles& files = TheClientFiles();
    files.CloseAll();
    files.SetChosenDir(dir.string());
    TheVerDataTable().RemoveAll();
    if (files.OpenSlot(kSlotVerData)) {
        TheVerDataTable().Load(files.GetFile(kSlotVerData));
    }
    return dir;
}

// A sound entry given as bytes instead of read from the client.
class MemorySound : public CMulSound {
public:
    explicit MemorySound(std::vector<std::uint8_t> entry)
        : CMulSound(1), m_Entry(std::move(entry)) {}
    bool Load() override {
        m_dwLength = static_cast<std::uint32_t>(m_Entry.size());
        AllocData(m_dwLength);
        std::copy(m_Entry.begin(), m_Entry.end(), m_Data.begin());
        return true;
    }

private:
    std::vector<std::uint8_t> m_Entry;
};

// An entry of the given name and sample bytes.
inline std::vector<std::uint8_t> SoundEntry(const std::string& name,
                                            const std::vector<std::uint8_t>& samples) {
    ByteWriter w;
    w.text(name, CMulSound::kNameSize).bytes(samples);
    return w.take();
}

}  // namespace tessaly::test
