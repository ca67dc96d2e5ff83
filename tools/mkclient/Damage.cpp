// Damaging a written sample client, deterministically from a seed, so that every reader meets
// truncated files, records pointing anywhere and garbage inside the data.

#include "SampleClient.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tessaly::mk {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWhole(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

void Put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    if (at + 4 <= bytes.size()) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    }
}

void Put64(Bytes& bytes, std::size_t at, std::uint64_t value) {
    Put32(bytes, at, static_cast<std::uint32_t>(value));
    Put32(bytes, at + 4, static_cast<std::uint32_t>(value >> 32));
}

std::uint64_t Get64(const Bytes& bytes, std::size_t at) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8 && at + i < bytes.size(); ++i) {
        value |= std::uint64_t{bytes[at + i]} << (8 * i);
    }
    return value;
}

class Damager {
public:
    Damager(fs::path dir, std::uint32_t seed) : m_dir(std::move(dir)), m_random(seed) {}

    std::uint32_t Below(std::uint32_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<std::uint32_t>(0, n - 1)(m_random);
    }

    // Index records: some point past the end of their data file, some have huge lengths, and
    // the file loses part of its last record.
    void Index(const std::string& name, const std::string& dataName) {
        Bytes bytes = ReadWhole(m_dir / name);
        const std::size_t records = bytes.size() / 12;
        if (records == 0) {
            return;
        }
        const auto dataSize = static_cast<std::uint32_t>(
            fs::exists(m_dir / dataName) ? fs::file_size(m_dir / dataName) : 0);
        for (int i = 0; i < 24; ++i) {
            const std::size_t at = Below(static_cast<std::uint32_t>(records)) * 12;
            switch (Below(3)) {
                case 0:
                    Put32(bytes, at, dataSize + Below(1000));
                    break;
                case 1:
                    Put32(bytes, at + 4, 0x7FFFFFF0u + Below(16));
                    break;
                default:
                    Put32(bytes, at, dataSize - std::min(dataSize, Below(8)));
                    break;
            }
        }
        bytes.resize(bytes.size() - 1 - Below(11));
        WriteWhole(m_dir / name, bytes);
    }

    // Garbage inside the data, and sometimes its tail cut off.
    void Data(const std::string& name) {
        Bytes bytes = ReadWhole(m_dir / name);
        if (bytes.empty()) {
            return;
        }
        for (int i = 0; i < 64; ++i) {
            const std::size_t at = Below(static_cast<std::uint32_t>(bytes.size()));
            const std::size_t run = std::min<std::size_t>(1 + Below(48), bytes.size() - at);
            for (std::size_t k = 0; k < run; ++k) {
                bytes[at + k] = static_cast<std::uint8_t>(Below(256));
            }
        }
        if (Below(2) == 0) {
            bytes.resize(bytes.size() - Below(static_cast<std::uint32_t>(bytes.size() / 4 + 1)));
        }
        WriteWhole(m_dir / name, bytes);
    }

    // A count above the records that follow, and records of file ids no reader knows.
    void VerData() {
        Bytes bytes = ReadWhole(m_dir / "verdata.mul");
        if (bytes.size() < 4) {
            return;
        }
        const std::uint32_t count = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24;
        const std::size_t records = std::min<std::size_t>(count, (bytes.size() - 4) / 20);
        for (int i = 0; i < 4 && records > 0; ++i) {
            Put32(bytes, 4 + Below(static_cast<std::uint32_t>(records)) * 20, 40 + Below(1000));
        }
        Put32(bytes, 0, count + 1 + Below(100000));
        WriteWhole(m_dir / "verdata.mul", bytes);
    }

    // Cut in the middle of a group of 32 records.
    void TileData() {
        Bytes bytes = ReadWhole(m_dir / "tiledata.mul");
        const std::size_t cut = bytes.size() / 2 + 4 + Below(300);
        bytes.resize(std::min(bytes.size(), cut));
        WriteWhole(m_dir / "tiledata.mul", bytes);
    }

    // A container whose table chain is broken: it loops back on itself, claims a huge count,
    // or sends entries past the end of the file; the entry lengths lie.
    void Container(const std::string& name) {
        Bytes bytes = ReadWhole(m_dir / name);
        const std::uint64_t table = Get64(bytes, 12);
        if (table + 12 > bytes.size()) {
            return;
        }
        switch (Below(3)) {
            case 0:
                Put64(bytes, table + 4, table);
                break;
            case 1:
                Put32(bytes, table, 0xFFFFFFF0u + Below(16));
                break;
            default:
                Put64(bytes, table + 4, bytes.size() + Below(1000));
                break;
        }
        for (int i = 0; i < 16; ++i) {
            const std::size_t entry = table + 12 + std::size_t{Below(100)} * 34;
            switch (Below(3)) {
                case 0:
                    Put64(bytes, entry, bytes.size() + Below(1000));
                    break;
                case 1:
                    Put32(bytes, entry + 12, 0x7FFFFFF0u);
                    break;
                default:
                    Put32(bytes, entry + 16, Below(2) == 0 ? 1 : 0xFFFFFFF0u);
                    break;
            }
        }
        WriteWhole(m_dir / name, bytes);
    }

    const fs::path& Dir() const { return m_dir; }

private:
    fs::path m_dir;
    std::mt19937 m_random;
};

}  // namespace

void DamageClient(const std::filesystem::path& dir, std::uint32_t seed) {
    Damager damage(dir, seed);
    const auto has = [&](const char* name) { return fs::exists(dir / name); };
    const std::pair<const char*, const char*> pairs[] = {
        {"artidx.mul", "art.mul"},     {"gumpidx.mul", "gumpart.mul"},
        {"anim.idx", "anim.mul"},      {"soundidx.mul", "sound.mul"},
        {"multi.idx", "multi.mul"},    {"texidx.mul", "texmaps.mul"},
        {"lightidx.mul", "light.mul"}, {"staidx0.mul", "statics0.mul"},
        {"skills.idx", "skills.mul"},
    };
    for (const auto& [index, data] : pairs) {
        if (has(index) && has(data)) {
            damage.Index(index, data);
            damage.Data(data);
        }
    }
    for (const char* data : {"fonts.mul", "animdata.mul", "map0.mul", "Cliloc.enu", "Cliloc.deu",
                             "unifont.mul", "speech.mul"}) {
        if (has(data)) {
            damage.Data(data);
        }
    }
    for (const char* container :
         {"artLegacyMUL.uop", "gumpartLegacyMUL.uop", "soundLegacyMUL.uop", "map0LegacyMUL.uop"}) {
        if (has(container)) {
            damage.Container(container);
        }
    }
    if (has("verdata.mul")) {
        damage.VerData();
    }
    damage.TileData();
    WriteWhole(dir / "hues.mul", {});
}

}  // namespace tessaly::mk
