#include "ClientFiles.h"

#include "ClientDirs.h"
#include "EntryReader.h"
#include "EventLog.h"
#include "OutputFolder.h"
#include "SafeSave.h"
#include "TarnError.h"
#include "Text.h"
#include "UopFile.h"
#include "VerDataTable.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <regex>
#include <stdexcept>

namespace tessaly {

namespace {
constexpr const char* kFileNames[kFileSlotCount] = {
    "map0.mul",     "staidx0.mul",  "statics0.mul", "artidx.mul",   "art.mul",     "anim.idx",
    "anim.mul",     "soundidx.mul", "sound.mul",    "texidx.mul",   "texmaps.mul", "gumpidx.mul",
    "gumpart.mul",  "multi.idx",    "multi.mul",    "skills.idx",   "skills.mul",  "radarcol.mul",
    "fonts.mul",    "palette.mul",  "light.mul",    "lightidx.mul", "verdata.mul", nullptr,
    nullptr,        nullptr,        nullptr,        nullptr,        nullptr,       nullptr,
    "tiledata.mul", "animdata.mul", "hues.mul",
};

bool ValidSlot(std::int32_t slot) {
    return slot >= 0 && slot < kFileSlotCount;
}

bool IsContainerPath(const std::string& path) {
    return EndsWithNoCase(path, ".uop");
}
}  // namespace

std::int32_t CClientFiles::DataSlotOf(std::int32_t indexSlot) {
    switch (indexSlot) {
        case kSlotStaIdx0:
        case kSlotArtIdx:
        case kSlotAnimIdx:
        case kSlotSoundIdx:
        case kSlotTexIdx:
        case kSlotGumpIdx:
        case kSlotMultiIdx:
        case kSlotSkillsIdx:
            return indexSlot + 1;
        case kSlotLightIdx:
            return kSlotLight;
        default:
            return -1;
    }
}

bool IndexRecord::Read(ByteReader& in) {
    return in.u32(m_dwOffset) && in.u32(m_dwLength) && in.u16(m_wExtra1) && in.u16(m_wExtra2);
}

void IndexRecord::Write(ByteWriter& out) const {
    out.u32(m_dwOffset).u32(m_dwLength).u16(m_wExtra1).u16(m_wExtra2);
}

CClientFiles::CClientFiles(CVerDataTable* table) : m_pVerData(table) {}

CClientFiles::~CClientFiles() = default;

CVerDataTable& CClientFiles::GetVerDataTable() {
    return m_pVerData != nullptr ? *m_pVerData : TheVerDataTable();
}

bool CClientFiles::FindClientDirs() {
    auto prefix = CWineRegistry::DefaultPrefix();
    if (!prefix) {
        return false;
    }
    CWineRegistry registry(*prefix);
    return FindClientDirs(registry);
}

bool CClientFiles::FindClientDirs(CClientDirSource& source) {
    RegistryValue exePath;
    RegistryValue cdPath;
    if (!source.ReadClientKey(exePath, cdPath)) {
        return false;
    }
    if (exePath.present && exePath.isString) {
        // The program's directory: cut at the last backslash (a text without one stays whole).
        std::string dir = exePath.text;
        std::size_t cut = dir.rfind('\\');
        if (cut != std::string::npos) {
            dir.resize(cut);
        }
        m_sClientDir = source.MapPath(dir);
    }
    if (cdPath.present && cdPath.isString) {
        m_sCDDir = source.MapPath(cdPath.text);
    }
    m_Finder.Clear();
    ++m_uDirsSerial;
    return true;
}

bool CClientFiles::BaseDirHoldsClientFiles() {
    const CDirListing& listing =
        m_Finder.Listing(m_sChosenDir.empty() ? m_sClientDir : m_sChosenDir);
    for (const char* name : kFileNames) {
        if (name != nullptr && !listing.Find(name).empty()) {
            return true;
        }
    }
    return listing.AnyEndsWith(".uop");
}

const char* CClientFiles::GetFileName(std::int32_t slot) {
    return ValidSlot(slot) ? kFileNames[slot] : nullptr;
}

bool CClientFiles::FolderHoldsClient(const std::string& folder) {
    const std::string patchDir =
        std::filesystem::path(GetFile(kSlotVerData).GetFilePath()).parent_path().string();
    const std::string* const dirs[] = {&m_sChosenDir, &m_sClientDir, &m_sCDDir, &patchDir};
    for (const std::string* dir : dirs) {
        if (FolderHolds(folder, *dir)) {
            return true;
        }
    }
    return false;
}

bool CClientFiles::IsClientFolder(const std::string& folder) const {
    std::error_code ec;
    for (const std::string* dir : {&m_sChosenDir, &m_sClientDir, &m_sCDDir}) {
        if (!dir->empty() && std::filesystem::equivalent(folder, *dir, ec)) {
            return true;
        }
    }
    return false;
}

bool CClientFiles::IsClientDataFileName(const std::string& name) {
    const std::string lower = Latin1Lower(name);
    for (const char* slotName : kFileNames) {
        if (slotName != nullptr && lower == slotName) {
            return lower != kFileNames[kSlotVerData];
        }
    }
    static const std::regex kFamilies(
        "(map|staidx|statics|mapdif|mapdifl|stadif|stadifl|stadifi)[0-9]+\\.mul|"
        "anim[0-9]*\\.(mul|idx)|unifont[0-9]*\\.mul|speech\\.mul|.*\\.uop|"
        "cliloc\\..+|.*\\.def|mobtypes\\.txt");
    return std::regex_match(lower, kFamilies);
}

CQFile& CClientFiles::GetFile(std::int32_t slot) {
    if (!ValidSlot(slot)) {
        throw std::out_of_range("CClientFiles: no file slot " + std::to_string(slot));
    }
    return m_File[static_cast<std::size_t>(slot)];
}

std::string CClientFiles::GetBasePath(const char* name) const {
    const std::string& dir = m_sChosenDir.empty() ? m_sClientDir : m_sChosenDir;
    if (name == nullptr) {
        return MakeFilePath(dir, "");
    }
    return MakeFilePath(dir, name);
}

bool CClientFiles::SetSlotPath(std::int32_t slot, const std::string& path) {
    if (!ValidSlot(slot)) {
        return false;
    }
    GetFile(slot).SetFilePath(path);
    return true;
}

bool CClientFiles::OpenInDirs(CQFile& file, const char* name, std::uint32_t mode) {
    if (name == nullptr) {
        return false;
    }
    auto openIn = [&](const std::string& dir) {
        const std::string exact = MakeFilePath(dir, name);
        if (file.Open(exact.c_str(), mode)) {
            return true;
        }
        const std::string found = m_Finder.Find(dir, name);
        return !found.empty() && found != exact && file.Open(found.c_str(), mode);
    };
    if (!m_sChosenDir.empty() && openIn(m_sChosenDir)) {
        return true;
    }
    return openIn(m_sClientDir) || openIn(m_sCDDir);
}

bool CClientFiles::OpenSlot(std::int32_t slot) {
    if (!ValidSlot(slot)) {
        return false;
    }
    CQFile& file = GetFile(slot);
    if (file.IsOpen()) {
        return true;
    }
    if (!file.GetFilePath().empty() && file.Open(nullptr, CQFile::shareDenyWrite)) {
        return true;
    }
    const char* name = GetFileName(slot);
    if (name == nullptr) {
        return false;
    }
    // Where a client ships the container it reads the container, whatever .mul files are
    // left beside it.
    if (const UopKind* kind = FindUopKind(slot);
        kind != nullptr && OpenInDirs(file, kind->fileName, CQFile::shareDenyWrite)) {
        return true;
    }
    return OpenInDirs(file, name, CQFile::shareDenyWrite);
}

std::string CClientFiles::RefuseAsPatchFile(const std::string& path, const std::string& shown) {
    if (IsClientDataFileName(std::filesystem::path(path).filename().string())) {
        return "'" + shown + "' is one of the client's data files, not a patch file";
    }
    // A link is read and saved through to the file it names.
    const std::string target = std::filesystem::path(SaveTargetOf(path)).filename().string();
    if (IsClientDataFileName(target)) {
        return "'" + shown + "' leads to '" + target +
               "', one of the client's data files, not a patch file";
    }
    return {};
}

std::string CClientFiles::RefuseAsOutputFile(const std::string& path) const {
    namespace fs = std::filesystem;
    const fs::path target(path);
    if (IsClientDataFileName(target.filename().string())) {
        return "'" + path + "' is one of the client's data files: it is not written over";
    }
    // Nothing in the client's folders is replaced (its text files, its program, a patch file
    // not open now); a new file may be made there.
    // Nor is a file made there beside one of the same name in another case, which the client,
    // finding its files regardless of case, might read in its place.
    std::error_code ec;
    const bool exists = fs::exists(fs::symlink_status(target, ec));
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (IsClientFolder(folder.string())) {
        if (exists) {
            return "'" + path + "' is a file of the client's folder: it is not written over";
        }
        const std::string name = target.filename().string();
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            const std::string other = entry.path().filename().string();
            if (other != name && EqualsNoCase(other, name)) {
                return "'" + path + "' would stand beside the client's '" + other +
                       "' under another case: it is not written";
            }
        }
    }
    struct stat named {};
    if (::stat(path.c_str(), &named) != 0) {
        return {};  // nothing there to write over
    }
    for (const CQFile& file : m_File) {
        if (file.IsFile(named.st_dev, named.st_ino)) {
            return "'" + path + "' is a file Tessaly reads (" + file.GetFilePath() +
                   "): it is not written over";
        }
    }
    return {};
}

std::string CClientFiles::DescribeUnopenedSlot(std::int32_t slot) {
    const UopKind* kind = FindUopKind(slot);
    return DescribeUnopened({kind != nullptr ? kind->fileName : nullptr, GetFileName(slot)});
}

std::string CClientFiles::DescribeUnopened(std::initializer_list<const char*> names) {
    const std::string* const dirs[] = {&m_sChosenDir, &m_sClientDir, &m_sCDDir};
    for (const std::string* dir : dirs) {
        for (const char* name : names) {
            const std::string found =
                dir->empty() || name == nullptr ? std::string() : m_Finder.Find(*dir, name);
            if (found.empty()) {
                continue;
            }
            const int fd = OpenRegularFile(found.c_str(), O_RDONLY);
            if (fd < 0) {
                return "'" + found + "' cannot be opened: " +
                       (errno == EINVAL ? std::string("it is not a regular file")
                                        : std::string(std::strerror(errno)));
            }
            ::close(fd);
        }
    }
    return {};
}

bool CClientFiles::IsContainerSlot(std::int32_t slot) {
    return FindUopKind(slot) != nullptr && OpenSlot(slot) &&
           IsContainerPath(GetFile(slot).GetFilePath());
}

CUopContainer* CClientFiles::ContainerFor(std::int32_t slot) {
    const UopKind* kind = FindUopKind(slot);
    if (kind == nullptr || !IsContainerSlot(slot) || !IsContainerSlot(kind->dataSlot)) {
        return nullptr;
    }
    CQFile& file = GetFile(kind->dataSlot);
    std::unique_ptr<CUopContainer>& container =
        m_Container[static_cast<std::size_t>(kind->dataSlot)];
    if (container == nullptr || container->OpenSerial() != file.GetOpenSerial()) {
        container = std::make_unique<CUopContainer>(*kind, file);
    }
    return container.get();
}

std::string CClientFiles::GetContainerError(std::int32_t slot) {
    CUopContainer* container = ContainerFor(slot);
    return container != nullptr ? container->Error() : std::string();
}

std::int32_t CClientFiles::OpenAll(std::uint32_t mask) {
    for (std::int32_t slot = 0; slot < kFileSlotCount; ++slot) {
        if ((mask & (1u << (slot % 32))) == 0 || GetFileName(slot) == nullptr) {
            continue;
        }
        if (!OpenSlot(slot) && slot != kSlotVerData) {
            return slot;
        }
    }
    return kFileSlotCount;
}

void CClientFiles::CloseAll() {
    m_Finder.Clear();
    ++m_uDirsSerial;
    for (CQFile& file : m_File) {
        file.Close();
    }
}

bool CClientFiles::ReadIndexRecord(std::int32_t indexSlot, std::int32_t dataSlot,
                                   std::uint32_t entry, IndexRecord& record) {
    // Patch id 33 (or any number that is no slot) reads the base index alone.
    if (ValidSlot(dataSlot) &&
        GetVerDataTable().FindRecord(static_cast<std::uint32_t>(dataSlot), entry, record)) {
        return true;
    }
    if (!OpenSlot(indexSlot)) {
        return false;
    }
    if (IsContainerSlot(indexSlot)) {
        // The table lives with the data slot, which reads the same container.
        CUopContainer* container = ContainerFor(indexSlot);
        return container != nullptr &&
               container->ReadIndexRecord(GetFile(FindUopKind(indexSlot)->dataSlot), entry, record);
    }
    if (const std::vector<std::uint8_t>* index = CachedIndex(indexSlot)) {
        std::uint64_t at = std::uint64_t{entry} * IndexRecord::kSize;
        if (!FitsIn(at, IndexRecord::kSize, index->size())) {
            return false;  // a short index file
        }
        ByteReader in(*index, at);
        record.Read(in);
        return record.HasData();
    }
    CQFile& file = GetFile(indexSlot);
    try {
        file.Seek(static_cast<std::int64_t>(entry) * IndexRecord::kSize, CQFile::begin);
    } catch (const CQFileException&) {
        LogCaughtException("reading an index record");
        return false;
    }
    std::uint8_t bytes[IndexRecord::kSize];
    if (file.Read(bytes, sizeof bytes) != sizeof bytes) {
        return false;  // a short or missing index file
    }
    ByteReader in(bytes);
    record.Read(in);
    return record.HasData();
}

ReadStatus CClientFiles::ReadIndexStatus(std::int32_t indexSlot, std::int32_t dataSlot,
                                         std::uint32_t entry, IndexRecord& record) {
    if (!ReadIndexRecord(indexSlot, dataSlot, entry, record)) {
        return OpenSlot(indexSlot) ? ReadStatus::Absent : ReadStatus::Failed;
    }
    return DataStatus(ValidSlot(dataSlot) ? dataSlot : DataSlotOf(indexSlot), record);
}

ReadStatus CClientFiles::DataStatus(std::int32_t dataSlot, const IndexRecord& record) {
    if (record.IsPatch() && record.GetLength() == 0) {
        return ReadStatus::Ok;
    }
    if (!record.HasData() || record.GetLength() == 0) {
        return ReadStatus::Absent;
    }
    if (!record.IsPatch() && !ValidSlot(dataSlot)) {
        return ReadStatus::Failed;
    }
    CQFile* file = FileFor(dataSlot, record);
    if (file == nullptr) {
        // A record pointing into a patch file the client does not have lies about its data.
        return record.IsPatch() ? ReadStatus::Damaged : ReadStatus::Failed;
    }
    if (!record.IsPatch() && IsContainerSlot(dataSlot)) {
        return DataFits(dataSlot, record) ? ReadStatus::Ok : ReadStatus::Damaged;
    }
    LengthCache& cache =
        m_LengthCache[static_cast<std::size_t>(record.IsPatch() ? kSlotVerData : dataSlot)];
    if (cache.openSerial != file->GetOpenSerial()) {
        try {
            cache.length = file->GetLength();
        } catch (const CQFileException&) {
            LogCaughtException("measuring a data file");
            return ReadStatus::Failed;
        }
        cache.openSerial = file->GetOpenSerial();
    }
    return FitsIn(record.m_dwOffset, record.GetLength(), cache.length) ? ReadStatus::Ok
                                                                       : ReadStatus::Damaged;
}

std::uint64_t CClientFiles::GetIndexCount(std::int32_t indexSlot) {
    if (!ValidSlot(indexSlot) || indexSlot == kSlotVerData || !OpenSlot(indexSlot)) {
        return 0;
    }
    if (IsContainerSlot(indexSlot)) {
        CUopContainer* container = ContainerFor(indexSlot);
        return container != nullptr ? container->EntryCount() : 0;
    }
    try {
        return GetFile(indexSlot).GetLength() / IndexRecord::kSize;
    } catch (const CQFileException&) {
        LogCaughtException("measuring an index file");
        return 0;
    }
}

const std::vector<std::uint8_t>* CClientFiles::CachedIndex(std::int32_t indexSlot) {
    // Index files are small (the largest, of the statics, is under 5 MiB); anything larger than
    // this is read record by record instead of being held in memory.
    constexpr std::uint64_t kMaxCached = 64u << 20;
    if (!ValidSlot(indexSlot) || indexSlot == kSlotVerData) {
        return nullptr;
    }
    CQFile& file = GetFile(indexSlot);
    IndexCache& cache = m_IndexCache[static_cast<std::size_t>(indexSlot)];
    if (cache.loaded && file.IsOpen() && cache.openSerial == file.GetOpenSerial()) {
        return &cache.bytes;
    }
    cache = IndexCache{};
    try {
        std::uint64_t length = file.GetLength();
        if (length > kMaxCached) {
            return nullptr;
        }
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
        file.Seek(0, CQFile::begin);
        std::size_t got = 0;
        while (got < bytes.size()) {
            std::uint32_t n =
                file.Read(bytes.data() + got, static_cast<std::uint32_t>(bytes.size() - got));
            if (n == 0) {
                break;
            }
            got += n;
        }
        bytes.resize(got);
        cache.bytes = std::move(bytes);
    } catch (const CQFileException&) {
        LogCaughtException("reading an index file");
        return nullptr;
    }
    cache.openSerial = file.GetOpenSerial();
    cache.loaded = true;
    return &cache.bytes;
}

CQFile* CClientFiles::FileFor(std::int32_t dataSlot, const IndexRecord& record) {
    std::int32_t slot = record.IsPatch() ? kSlotVerData : dataSlot;
    if (!OpenSlot(slot)) {
        return nullptr;
    }
    return &GetFile(slot);
}

bool CClientFiles::DataFits(std::int32_t dataSlot, const IndexRecord& record) {
    CQFile* file = FileFor(dataSlot, record);
    if (file == nullptr) {
        return false;
    }
    if (!record.IsPatch() && IsContainerSlot(dataSlot)) {
        CUopContainer* container = ContainerFor(dataSlot);
        return container != nullptr && container->DataFits(*file, record);
    }
    try {
        return FitsIn(record.m_dwOffset, record.GetLength(), file->GetLength());
    } catch (const CQFileException&) {
        LogCaughtException("measuring a data file");
        return false;
    }
}

bool CClientFiles::ReadData(std::int32_t dataSlot, const IndexRecord& record,
                            std::span<std::uint8_t> buffer) {
    return ReadDataStatus(dataSlot, record, buffer) == ReadStatus::Ok;
}

ReadStatus CClientFiles::ReadDataStatus(std::int32_t dataSlot, const IndexRecord& record,
                                        std::span<std::uint8_t> buffer) {
    std::uint32_t length = record.GetLength();
    if (record.m_dwOffset == IndexRecord::kNoData) {
        return ReadStatus::Absent;
    }
    if (buffer.size() < length) {
        return ReadStatus::Damaged;
    }
    CQFile* file = FileFor(dataSlot, record);
    if (file == nullptr) {
        return record.IsPatch() ? ReadStatus::Damaged : ReadStatus::Failed;
    }
    if (!record.IsPatch() && IsContainerSlot(dataSlot)) {
        CUopContainer* container = ContainerFor(dataSlot);
        if (container == nullptr) {
            return ReadStatus::Failed;
        }
        return container->ReadData(*file, record, buffer) ? ReadStatus::Ok : ReadStatus::Damaged;
    }
    try {
        if (!FitsIn(record.m_dwOffset, length, file->GetLength())) {
            return ReadStatus::Damaged;
        }
        file->Seek(record.m_dwOffset, CQFile::begin);
        return file->Read(buffer.data(), length) == length ? ReadStatus::Ok : ReadStatus::Failed;
    } catch (const CQFileException&) {
        LogCaughtException("reading entry data");
        return ReadStatus::Failed;
    }
}

CClientFiles& TheClientFiles() {
    static CClientFiles files;
    return files;
}

void LoadMulData(CClientFiles& files, std::int32_t dataSlot, const IndexRecord& record,
                 std::vector<std::uint8_t>& block) {
    CEntryReader(files, dataSlot, record, block).Need(record.GetLength());
}

}  // namespace tessaly
