#include "AnimSources.h"

#include "AnimContainer.h"
#include "EntryReader.h"
#include "EventLog.h"
#include "TarnError.h"
#include "Text.h"
#include "TextFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <mutex>
#include <span>

namespace tessaly {

namespace {

// The records an index is read to: those of every slot up to `slot` in any class (the most a
// slot can reach grows with its number). Slot 65535 reaches about 137 MB; real indexes are
// under 2 MB, and a larger (or sparse) one is read no further than the slots asked for.
std::uint64_t RecordsThrough(std::uint32_t slot) {
    std::uint64_t most = 0;
    for (AnimClass c : {AnimClass::High, AnimClass::Low, AnimClass::People}) {
        if (std::uint64_t first = 0; FirstAnimRecord(c, slot, first)) {
            most = std::max(most, first + std::uint64_t{ActionCount(c)} * 5);
        }
    }
    return most;
}
// The definition files are a few kilobytes.
constexpr std::uint64_t kMaxDefBytes = 4u << 20;

constexpr const char* kBodyconv = "bodyconv.def";
constexpr const char* kBodyDef = "body.def";
constexpr const char* kMobTypes = "mobtypes.txt";

// The regular files of the client directory by lower-case name; of two names that differ only
// by case, the one spelled as asked (lower case) wins.
std::map<std::string, std::string> ListClientDir(const CClientFiles& files) {
    std::map<std::string, std::string> byName;
    for (const ClientTextFile& file : FindClientFiles(files, "", "")) {
        const std::string lower = Latin1Lower(file.name);
        if (!byName.contains(lower) || file.name == lower) {
            byName[lower] = file.path;
        }
    }
    return byName;
}

std::string PathOf(const std::map<std::string, std::string>& dir, const std::string& lower) {
    const auto it = dir.find(lower);
    return it != dir.end() ? it->second : std::string();
}

std::string ReadText(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (path.empty()) {
        return {};
    }
    if (!ReadWholeFile(path, kMaxDefBytes, bytes, error)) {
        g_pEventLog->LogError("tessaly: body definitions: %s\n", error.c_str());
        return {};
    }
    return std::string(bytes.begin(), bytes.end());
}

// Whether a record of an index-backed source can be read from its .mul of fileSize bytes: one
// rule for the read and for the damage mark the list shows before any read.
bool StretchInside(const IndexRecord& record, std::uint64_t fileSize) {
    return !record.IsPatch() && FitsIn(record.m_dwOffset, record.GetLength(), fileSize);
}

std::vector<CAnimSources::ProviderMaker>& ProviderMakers() {
    static std::vector<CAnimSources::ProviderMaker> makers{MakeAnimContainerSource};
    return makers;
}

}  // namespace

std::string CAnimSources::IndexName(std::uint32_t source) {
    return source == 0 ? "anim.idx" : Format("anim%u.idx", source + 1);
}

std::string CAnimSources::DataName(std::uint32_t source) {
    return source == 0 ? "anim.mul" : Format("anim%u.mul", source + 1);
}

void CAnimSources::AddProviderMaker(ProviderMaker maker) {
    ProviderMakers().push_back(std::move(maker));
}

void CAnimSources::Load(CClientFiles& files) {
    m_pFiles = &files;
    const std::map<std::string, std::string> dir = ListClientDir(files);
    // A later line for the same body replaces an earlier one.
    std::map<std::uint32_t, BodyconvLine> conv;
    for (const BodyconvLine& line : ParseBodyconv(ReadText(PathOf(dir, kBodyconv)))) {
        conv[line.body] = line;
    }
    for (std::uint32_t s = 0; s < kFirstProviderSource; ++s) {
        IndexFile& file = m_Files[s];
        file = IndexFile();
        const std::string indexPath = PathOf(dir, IndexName(s));
        file.dataPath = PathOf(dir, DataName(s));
        // Every body number's slot, and the slots "Bodyconv.def" names in this file.
        std::uint32_t top = kMaxBodies - 1;
        for (const auto& [body, line] : conv) {
            if (s != 0 && s <= kBodyconvFiles && line.columns[s - 1] >= 0) {
                top = std::max(top, static_cast<std::uint32_t>(line.columns[s - 1]));
            }
        }
        std::string error;
        // An index without its .mul still names its bodies, whose frames then cannot be read.
        if (!indexPath.empty()) {
            file.present = ReadFileHead(indexPath, RecordsThrough(top) * IndexRecord::kSize,
                                        file.index, error);
            if (!file.present) {
                g_pEventLog->LogError("tessaly: animations: %s\n", error.c_str());
            }
        }
        if (file.present) {
            // A size that cannot be had (or no .mul) marks nothing: the read then says what is
            // wrong.
            std::error_code sizeError;
            const std::uintmax_t size =
                file.dataPath.empty() ? 0 : std::filesystem::file_size(file.dataPath, sizeError);
            file.dataSize = sizeError || file.dataPath.empty()
                                ? std::numeric_limits<std::uint64_t>::max()
                                : size;
        }
        m_Used[s].assign(file.present ? kMaxBodies : 0, false);
    }
    const std::string mobPath = PathOf(dir, kMobTypes);
    m_bMobTypes = !mobPath.empty();
    m_MobTypes = ParseMobTypes(ReadText(mobPath));

    m_Bodies.assign(kMaxBodies, BodyInfo());
    if (m_Files[0].present) {
        for (std::uint32_t body = 0; body < kMaxBodies; ++body) {
            AddIndexSource(body, 0, body);
        }
    }
    for (const auto& [body, line] : conv) {
        for (std::size_t i = 0; i < kBodyconvFiles; ++i) {
            const std::uint32_t source = static_cast<std::uint32_t>(i) + 1;
            if (line.columns[i] >= 0 && m_Files[source].present) {
                AddIndexSource(body, source, static_cast<std::uint32_t>(line.columns[i]));
            }
        }
    }
    for (const BodyRedirect& line : ParseBodyDef(ReadText(PathOf(dir, kBodyDef)))) {
        m_Bodies[line.body].redirect = line.targets;
        m_Bodies[line.body].redirectHue = line.hue;
    }

    m_Providers.clear();
    for (const ProviderMaker& maker : ProviderMakers()) {
        if (std::unique_ptr<CAnimSourceProvider> provider = maker(files)) {
            m_Providers.push_back(std::move(provider));
            m_Providers.back()->AddBodies(
                *this, kFirstProviderSource + static_cast<std::uint32_t>(m_Providers.size() - 1));
        }
    }
    for (BodyInfo& body : m_Bodies) {
        std::stable_partition(body.sources.begin(), body.sources.end(),
                              [](const BodySource& s) { return s.present; });
    }
}

void CAnimSources::AddIndexSource(std::uint32_t body, std::uint32_t source, std::uint32_t slot) {
    BodySource out;
    out.source = source;
    out.slot = slot;
    out.cls = ClassOfNumber(slot);
    if (source != 0) {
        // The slot's class: the body's type where mobtypes.txt has it; else the number's, unless
        // the number's block is empty and another class's block holds records.
        if (const MobType* type = TypeOf(body)) {
            out.cls = type->cls;
            out.basis = ClassBasis::MobTypes;
        } else if (!BlockHasRecords(source, out.cls, slot)) {
            for (AnimClass other : {AnimClass::High, AnimClass::Low, AnimClass::People}) {
                if (other != out.cls && BlockHasRecords(source, other, slot)) {
                    out.cls = other;
                    out.basis = ClassBasis::Records;
                    break;
                }
            }
        }
    }
    if (!FirstAnimRecord(out.cls, slot, out.firstRecord)) {
        return;  // a people slot below 200 has no block
    }
    out.present = BlockHasRecords(source, out.cls, slot);
    out.dataMissing = m_Files[source].dataPath.empty();
    out.damaged = source != 0 && out.present && BlockDamaged(source, out.cls, slot);
    if (slot < m_Used[source].size() && (source != 0 || out.present)) {
        m_Used[source][slot] = true;
    }
    if (source == 0 && !out.present) {
        return;  // anim.mul offers every body number; only those with records are its bodies
    }
    m_Bodies[body].sources.push_back(out);
}

bool CAnimSources::Record(std::uint32_t source, std::uint64_t record, IndexRecord& out) const {
    if (source >= kFirstProviderSource) {
        return false;
    }
    const std::vector<std::uint8_t>& index = m_Files[source].index;
    if (record >= index.size() / IndexRecord::kSize) {
        return false;
    }
    ByteReader in(ByteSpan(index), static_cast<std::size_t>(record * IndexRecord::kSize));
    return out.Read(in) && out.HasData();
}

namespace {

// Whether a non-empty record of the block of a slot under a class matches.
template <typename Match>
bool AnyRecordOfBlock(const CAnimSources& sources, std::uint32_t source, AnimClass cls,
                      std::uint32_t slot, Match&& match) {
    std::uint64_t first = 0;
    if (!FirstAnimRecord(cls, slot, first)) {
        return false;
    }
    IndexRecord record;
    for (std::uint64_t r = 0; r < std::uint64_t{ActionCount(cls)} * 5; ++r) {
        if (sources.Record(source, first + r, record) && match(record)) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool CAnimSources::BlockHasRecords(std::uint32_t source, AnimClass cls, std::uint32_t slot) const {
    return AnyRecordOfBlock(*this, source, cls, slot, [](const IndexRecord&) { return true; });
}

bool CAnimSources::BlockDamaged(std::uint32_t source, AnimClass cls, std::uint32_t slot) const {
    const std::uint64_t size = m_Files[source].dataSize;
    return AnyRecordOfBlock(*this, source, cls, slot, [size](const IndexRecord& record) {
        return !StretchInside(record, size);
    });
}

const BodyInfo* CAnimSources::Body(std::uint32_t body) const {
    return body < m_Bodies.size() ? &m_Bodies[body] : nullptr;
}

BodyInfo* CAnimSources::MutableBody(std::uint32_t body) {
    return body < m_Bodies.size() ? &m_Bodies[body] : nullptr;
}

std::string CAnimSources::SourceName(const BodySource& source) const {
    if (source.source < kFirstProviderSource) {
        return DataName(source.source);
    }
    const std::size_t n = source.source - kFirstProviderSource;
    return n < m_Providers.size() ? m_Providers[n]->Name(source) : std::string();
}

const MobType* CAnimSources::TypeOf(std::uint32_t body) const {
    const auto it = m_MobTypes.find(body);
    return it != m_MobTypes.end() ? &it->second : nullptr;
}

bool CAnimSources::HasSource(std::uint32_t source) const {
    return source < kFirstProviderSource && m_Files[source].present;
}

std::uint64_t CAnimSources::RecordCount(std::uint32_t source) const {
    return HasSource(source) ? m_Files[source].index.size() / IndexRecord::kSize : 0;
}

bool CAnimSources::IsSlotFree(std::uint32_t source, std::uint32_t slot) const {
    const AnimClass cls = ClassOfNumber(slot);
    std::uint64_t first = 0;
    return HasSource(source) && slot < m_Used[source].size() && !m_Used[source][slot] &&
           FirstAnimRecord(cls, slot, first) &&
           first + std::uint64_t{ActionCount(cls)} * 5 <= RecordCount(source) &&
           !BlockHasRecords(source, cls, slot);
}

namespace {

// The record's bytes from a data file of its own; Damaged when the stretch lies outside it.
ReadStatus ReadStretch(const std::string& path, const IndexRecord& record,
                       std::vector<std::uint8_t>& block) {
    const int fd = OpenRegularFile(path.c_str(), O_RDONLY | O_NOCTTY);
    if (fd < 0) {
        return ReadStatus::Failed;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return ReadStatus::Failed;
    }
    if (!StretchInside(record, static_cast<std::uint64_t>(info.st_size))) {
        return ReadStatus::Damaged;
    }
    const auto readPiece = [fd, &record](std::uint64_t from, std::span<std::uint8_t> out) {
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t n = ::pread(fd, out.data() + done, out.size() - done,
                                      static_cast<off_t>(record.m_dwOffset + from + done));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        return true;
    };
    try {
        CEntryReader reader(record.GetLength(), readPiece, block);
        KeepAnimBlock(reader);
    } catch (const CTarnError&) {
        block.clear();
        return ReadStatus::Failed;
    }
    return ReadStatus::Ok;
}

}  // namespace

ReadStatus CAnimSources::ReadBlock(const BodySource& source, std::uint32_t action,
                                   std::uint32_t storedDirection,
                                   std::vector<std::uint8_t>& block) const {
    block.clear();
    if (source.source >= kFirstProviderSource) {
        const std::size_t n = source.source - kFirstProviderSource;
        return n < m_Providers.size()
                   ? m_Providers[n]->ReadBlock(source, action, storedDirection, block)
                   : ReadStatus::Absent;
    }
    if (action >= ActionCount(source.cls) || storedDirection > 4) {
        return ReadStatus::Absent;
    }
    const std::uint64_t entry = source.firstRecord + std::uint64_t{action} * 5 + storedDirection;
    IndexRecord record;
    if (source.source == 0) {
        // anim.mul goes through the file set: patch records take precedence.
        if (m_pFiles == nullptr || entry > 0xFFFFFFFFu) {
            return ReadStatus::Absent;
        }
        const ReadStatus status = m_pFiles->ReadIndexStatus(
            kSlotAnimIdx, kSlotAnim, static_cast<std::uint32_t>(entry), record);
        if (status == ReadStatus::Ok) {
            CEntryReader reader(*m_pFiles, kSlotAnim, record, block);
            KeepAnimBlock(reader);
        }
        return status;
    }
    if (!Record(source.source, entry, record)) {
        return ReadStatus::Absent;
    }
    return ReadStretch(m_Files[source.source].dataPath, record, block);
}

std::shared_ptr<const CAnimSources> ClientAnimSources(CClientFiles& files, bool refresh) {
    static std::mutex mutex;
    static std::shared_ptr<const CAnimSources> current;
    static std::vector<FileStamp> stamps;
    static const CClientFiles* owner = nullptr;
    const std::lock_guard<std::mutex> lock(mutex);
    // Without a refresh the model stands while the file set reads the same directory; one
    // pointed at another client reloads it.
    const std::string base = files.GetBasePath(nullptr);
    if (current && owner == &files && !refresh && stamps.front().path == base) {
        return current;
    }
    // What the model was built from: the directory and every file it reads.
    std::vector<FileStamp> now{FileStamp{base, 0, {}}};
    const std::map<std::string, std::string> dir = ListClientDir(files);
    for (std::uint32_t s = 0; s < kFirstProviderSource; ++s) {
        now.push_back(GetFileStamp(PathOf(dir, CAnimSources::IndexName(s))));
        now.push_back(GetFileStamp(PathOf(dir, CAnimSources::DataName(s))));
    }
    for (const char* name : {kBodyconv, kBodyDef, kMobTypes}) {
        now.push_back(GetFileStamp(PathOf(dir, name)));
    }
    for (std::uint32_t n = 1; n <= kAnimContainerFiles; ++n) {
        now.push_back(GetFileStamp(PathOf(dir, Latin1Lower(AnimContainerFileName(n)))));
    }
    if (!current || owner != &files || now != stamps) {
        auto sources = std::make_shared<CAnimSources>();
        try {
            sources->Load(files);
        } catch (...) {
            LogCaughtException("reading the animation sources");
        }
        current = std::move(sources);
        stamps = std::move(now);
        owner = &files;
    }
    return current;
}

}  // namespace tessaly
