// Damaging a written sample client, deterministically from a seed, so that every reader meets
// truncated files, records pointing anywhere and garbage inside the data.

#include "FileNames.h"
#include "SampleClient.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <numeric>
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
        StoreLE32(bytes.data() + at, value);
    }
}

void Put64(Bytes& bytes, std::size_t at, std::uint64_t value) {
    Put32(bytes, at, static_cast<std::uint32_t>(value));
    Put32(bytes, at + 4, static_cast<std::uint32_t>(value >> 32));
}

std::uint32_t Get32(const Bytes& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4 && at + i < bytes.size(); ++i) {
        value |= std::uint32_t{bytes[at + i]} << (8 * i);
    }
    return value;
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

    // Index records: some point past the end of their data file, have huge lengths, stretches
    // whose end wraps past 2^32, point into the patch file past its end or carry the largest
    // extra words; the file loses part of its last record, now and then all but a few bytes.
    void Index(const std::string& name, const std::string& dataName) {
        Bytes bytes = ReadWhole(m_dir / name);
        const std::size_t records = bytes.size() / 12;
        if (records == 0) {
            return;
        }
        const auto dataSize = static_cast<std::uint32_t>(
            fs::exists(m_dir / dataName) ? fs::file_size(m_dir / dataName) : 0);
        const bool patch = fs::exists(m_dir / "verdata.mul");
        for (int i = 0; i < 24; ++i) {
            const std::size_t at = Below(static_cast<std::uint32_t>(records)) * 12;
            switch (Below(6)) {
                case 0:
                    Put32(bytes, at, dataSize + Below(1000));
                    break;
                case 1:
                    Put32(bytes, at + 4, 0x7FFFFFF0u + Below(16));
                    break;
                case 2:
                    Put32(bytes, at, 0xFFFFFFF0u);
                    Put32(bytes, at + 4, 0x20);
                    break;
                case 3:
                    if (patch) {
                        Put32(bytes, at, 0x00FFFFF0u);
                        Put32(bytes, at + 4, 0x80001000u);
                    }
                    break;
                case 4:
                    Put32(bytes, at + 8, 0xFFFFFFFFu);
                    break;
                default:
                    Put32(bytes, at, dataSize - std::min(dataSize, Below(8)));
                    break;
            }
        }
        bytes.resize(Below(8) == 0 ? Below(12) : bytes.size() - 1 - Below(11));
        WriteWhole(m_dir / name, bytes);
    }

    // Garbage inside the data, and sometimes its tail cut off, now and then all but a few bytes.
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
        switch (Below(8)) {
            case 0:
                bytes.resize(Below(4));
                break;
            case 1:
            case 2:
            case 3:
                bytes.resize(bytes.size() -
                             Below(static_cast<std::uint32_t>(bytes.size() / 4 + 1)));
                break;
            default:
                break;
        }
        WriteWhole(m_dir / name, bytes);
    }

    // A count above the records that follow, records of file ids no reader knows and records
    // whose data lies past the end of the file.
    void VerData() {
        Bytes bytes = ReadWhole(m_dir / "verdata.mul");
        if (bytes.size() < 4) {
            return;
        }
        const std::uint32_t count = LoadLE32(bytes.data());
        const std::size_t records = std::min<std::size_t>(count, (bytes.size() - 4) / 20);
        for (int i = 0; i < 4 && records > 0; ++i) {
            // One draw per statement, so that a seed gives the same file whatever the compiler.
            const std::uint32_t fileId = 40 + Below(1000);
            Put32(bytes, 4 + Below(static_cast<std::uint32_t>(records)) * 20, fileId);
            const std::uint32_t offset = static_cast<std::uint32_t>(bytes.size()) + Below(1000);
            Put32(bytes, 4 + Below(static_cast<std::uint32_t>(records)) * 20 + 8, offset);
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

// Walks a container's table chain and calls visit(byte position of the entry) for every used
// entry, stopping at a loop or a table past the end.
template <typename Visit>
void ForEachContainerEntry(const Bytes& bytes, Visit&& visit) {
    std::uint64_t table = Get64(bytes, 12);
    for (int tables = 0; table != 0 && table + 12 <= bytes.size() && tables < 10000; ++tables) {
        const std::uint32_t count = static_cast<std::uint32_t>(Get64(bytes, table));
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t entry = table + 12 + std::size_t{i} * 34;
            if (entry + 34 > bytes.size()) {
                break;
            }
            if (Get64(bytes, entry) != 0) {
                visit(entry);
            }
        }
        table = Get64(bytes, table + 4);
    }
}

// An index file and the data file its records point into (its file id in the patch file).
struct IndexPair {
    const char* index;
    const char* data;
    std::uint32_t fileId;
};

constexpr IndexPair kPairs[] = {
    {"artidx.mul", "art.mul", 4},      {"gumpidx.mul", "gumpart.mul", 12},
    {"anim.idx", "anim.mul", 6},       {"soundidx.mul", "sound.mul", 8},
    {"multi.idx", "multi.mul", 14},    {"texidx.mul", "texmaps.mul", 10},
    {"lightidx.mul", "light.mul", 20}, {"staidx0.mul", "statics0.mul", 2},
    {"skills.idx", "skills.mul", 16},
};

bool Outside(std::uint32_t offset, std::uint32_t length, std::uint64_t fileSize) {
    return std::uint64_t{offset} + length > fileSize;
}

// The entries of each index file whose data, as the finished files give it, lies outside its
// file: the base record's, or that of the patch record replacing it (or adding it past the
// index's end).
std::map<std::string, std::vector<std::uint32_t>> DamagedEntries(const fs::path& dir) {
    const Bytes patch = fs::exists(dir / "verdata.mul") ? ReadWhole(dir / "verdata.mul") : Bytes();
    // The patch records the file holds whole, by file id and block: offset and length.
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::pair<std::uint32_t, std::uint32_t>>
        patched;
    const std::size_t records =
        patch.size() < 4 ? 0 : std::min<std::size_t>(Get32(patch, 0), (patch.size() - 4) / 20);
    for (std::size_t i = 0; i < records; ++i) {
        const std::size_t at = 4 + i * 20;
        patched[{Get32(patch, at), Get32(patch, at + 4)}] = {Get32(patch, at + 8),
                                                             Get32(patch, at + 12)};
    }
    std::map<std::string, std::vector<std::uint32_t>> damaged;
    for (const IndexPair& pair : kPairs) {
        const std::string indexPath = FindFileNoCase(dir.string(), pair.index);
        const std::string dataPath = FindFileNoCase(dir.string(), pair.data);
        if (indexPath.empty() || dataPath.empty()) {
            continue;
        }
        const Bytes index = ReadWhole(indexPath);
        const std::uint64_t dataSize = fs::file_size(dataPath);
        std::vector<std::uint32_t>& entries = damaged[pair.index];
        // The index's records, and past them the entries that only a patch record gives (in
        // entry order, as the map holds them).
        std::vector<std::uint32_t> numbers(index.size() / 12);
        std::iota(numbers.begin(), numbers.end(), 0u);
        for (auto p = patched.lower_bound({pair.fileId, 0});
             p != patched.end() && p->first.first == pair.fileId; ++p) {
            if (p->first.second >= index.size() / 12) {
                numbers.push_back(p->first.second);
            }
        }
        for (const std::uint32_t entry : numbers) {
            const bool indexed = std::size_t{entry} * 12 + 12 <= index.size();
            std::uint32_t offset = indexed ? Get32(index, std::size_t{entry} * 12) : 0xFFFFFFFFu;
            std::uint32_t length = indexed ? Get32(index, std::size_t{entry} * 12 + 4) : 0;
            std::uint64_t size = dataSize;
            if (auto p = patched.find({pair.fileId, entry}); p != patched.end()) {
                offset = p->second.first;
                length = p->second.second | 0x80000000u;
            }
            if ((length & 0x80000000u) != 0) {
                size = patch.size();
            }
            length &= 0x7FFFFFFFu;
            if (offset != 0xFFFFFFFFu && length != 0 && Outside(offset, length, size)) {
                entries.push_back(entry);
            }
        }
    }
    return damaged;
}

}  // namespace

std::vector<std::uint32_t> AntiSortOrder(std::uint32_t count) {
    // A partition sort that takes the middle element of a range as its pivot meets, at every
    // step, the smallest value left in the middle: the range shrinks by one element a step.
    // Playing the sort's exchanges on positions hands out the values in that order.
    std::vector<std::uint32_t> at(count);  // at[p]: the original position now at p
    for (std::uint32_t p = 0; p < count; ++p) {
        at[p] = p;
    }
    std::vector<std::uint32_t> value(count, 0);
    for (std::uint32_t left = 0; left + 1 < count; ++left) {
        const std::uint32_t middle = left + (count - 1 - left) / 2;
        value[at[middle]] = left;
        std::swap(at[left], at[middle]);
    }
    if (count > 0) {
        value[at[count - 1]] = count - 1;
    }
    return value;
}

const char* const kHostileCases[] = {"special-files",  "planted-links", "sparse-files",
                                     "anti-sort",      "huge-frames",   "overlapping",
                                     "lying-container"};

bool MakeHostile(const std::filesystem::path& dir, const std::string& name) {
    const auto has = [&](const char* file) { return fs::exists(dir / file); };
    const auto replace = [&](const char* file) {
        std::error_code ignored;
        fs::remove_all(dir / file, ignored);
        return (dir / file).string();
    };
    if (name == "special-files") {
        // A FIFO, a device node and a directory where client files belong, and a FIFO and a
        // device to be given as patch files.
        if (::mkfifo(replace("art.mul").c_str(), 0600) != 0 ||
            ::mkfifo(replace("fifo.mul").c_str(), 0600) != 0) {
            throw std::runtime_error("cannot make a FIFO in " + dir.string());
        }
        fs::create_symlink("/dev/zero", replace("gumpart.mul"));
        fs::create_symlink("/dev/null", replace("device.mul"));
        fs::create_directory(replace("texmaps.mul"));
    } else if (name == "planted-links") {
        // Links at the temporary names earlier saves used, pointing at a file to be kept.
        WriteWhole(dir / "victim.bin", {'k', 'e', 'e', 'p'});
        fs::create_symlink("victim.bin", replace("tmpversave.mul"));
        fs::create_hard_link(dir / "victim.bin", replace(".edits.pat.tmp"));
    } else if (name == "sparse-files") {
        // An 8 GiB patch file whose count claims 0xFFFFFFFF records, and a 1 GiB multi index,
        // both sparse: they cost no disk, only what a reader makes of them.
        WriteWhole(dir / "verdata.mul", {0xFF, 0xFF, 0xFF, 0xFF});
        fs::resize_file(dir / "verdata.mul", std::uint64_t{8} << 30);
        if (has("multi.idx")) {
            fs::resize_file(dir / "multi.idx", std::uint64_t{1} << 30);
        }
    } else if (name == "anti-sort") {
        // 400,000 deletions of items, in the key order that makes a middle-pivot partition
        // sort quadratic.
        const std::vector<std::uint32_t> order = AntiSortOrder(400000);
        std::vector<SamplePatch> patches(order.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            patches[i].fileId = 4;
            patches[i].block = order[i];
        }
        WriteWhole(dir / "verdata.mul", BuildVerData(patches));
    } else if (name == "huge-frames") {
        // Every frame of the first animation entries claims 16,000 x 30,000 pixels.
        Bytes index = ReadWhole(dir / "anim.idx");
        Bytes data = ReadWhole(dir / "anim.mul");
        int changed = 0;
        for (std::size_t at = 0; at + 12 <= index.size() && changed < 64; at += 12) {
            const auto offset = static_cast<std::uint32_t>(Get64(index, at));
            const auto length = static_cast<std::uint32_t>(Get64(index, at + 4));
            if (offset == 0xFFFFFFFFu || length < 516 ||
                std::uint64_t{offset} + length > data.size()) {
                continue;
            }
            const auto frames = static_cast<std::uint32_t>(Get64(data, offset + 512));
            for (std::uint32_t f = 0; f < frames && 516 + 4 * (f + 1) <= length; ++f) {
                const std::size_t header =
                    offset + 512 + static_cast<std::uint32_t>(Get64(data, offset + 516 + 4 * f));
                if (header + 8 <= std::uint64_t{offset} + length) {
                    Put32(data, header + 4, 16000u | (30000u << 16));
                }
            }
            ++changed;
        }
        WriteWhole(dir / "anim.mul", data);
    } else if (name == "overlapping") {
        // Every index record spans its whole data file.
        for (const auto& [indexName, dataName] :
             {std::pair{"artidx.mul", "art.mul"}, std::pair{"multi.idx", "multi.mul"},
              std::pair{"anim.idx", "anim.mul"}, std::pair{"gumpidx.mul", "gumpart.mul"}}) {
            if (!has(indexName) || !has(dataName)) {
                continue;
            }
            Bytes index = ReadWhole(dir / indexName);
            const auto size = static_cast<std::uint32_t>(fs::file_size(dir / dataName));
            for (std::size_t at = 0; at + 12 <= index.size(); at += 12) {
                Put32(index, at, 0);
                Put32(index, at + 4, size);
            }
            WriteWhole(dir / indexName, index);
        }
    } else if (name == "lying-container") {
        // Every compressed entry of the gump container claims 1,032 times its compressed size.
        const fs::path path = dir / "gumpartLegacyMUL.uop";
        if (!fs::exists(path)) {
            return false;
        }
        Bytes bytes = ReadWhole(path);
        ForEachContainerEntry(bytes, [&](std::size_t entry) {
            if (bytes[entry + 32] == 1) {
                const std::uint64_t packed = Get64(bytes, entry + 12) & 0xFFFFFFFFu;
                Put32(
                    bytes, entry + 16,
                    static_cast<std::uint32_t>(std::min<std::uint64_t>(packed * 1032, 255u << 20)));
            }
        });
        WriteWhole(path, bytes);
    } else {
        return false;
    }
    return true;
}

DamageReport DamageClient(const std::filesystem::path& dir, std::uint32_t seed) {
    Damager damage(dir, seed);
    const auto has = [&](const char* name) { return fs::exists(dir / name); };
    // The name a file carries in the directory, in whatever case ("Skills.idx"); empty if none.
    const auto found = [&](const char* name) {
        return fs::path(FindFileNoCase(dir.string(), name)).filename().string();
    };
    for (const IndexPair& pair : kPairs) {
        const std::string index = found(pair.index);
        const std::string data = found(pair.data);
        if (!index.empty() && !data.empty()) {
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
    return DamageReport{DamagedEntries(dir)};
}

}  // namespace tessaly::mk
