#pragma once
// Test helpers: a sample client written once per test process and loaded into the
// process-wide file set and patch table, and a sound entry held in memory.

#include "MulSound.h"
#include "SampleClient.h"
#include "WaveFile.h"
#include "core/TempDir.h"
#include "images/BlockClient.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace tessaly::test {

// Writes the sample client (once per process, removed at exit) and points the file set and
// the patch table at it. Returns the client directory.
inline const std::filesystem::path& UseSampleClient() {
    static const TempDir dir;
    static const bool written = (mk::WriteSampleClient(dir.Path(), false), true);
    (void)written;
    UseClientDir(dir.Path());
    return dir.Path();
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

}  // namespace tessaly::test
