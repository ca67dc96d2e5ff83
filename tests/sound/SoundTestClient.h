#pragma once
// A sound entry held in memory, and the sample client of the process.

#include "MulSound.h"
#include "SampleClient.h"
#include "WaveFile.h"
#include "clientfiles/SampleClientFiles.h"
#include "core/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace tessaly::test {

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
