// Writing client files: conversions both ways keep every entry, in-order sources come out
// byte for byte, changes land where they are asked, and a failing or interrupted run leaves no
// output and the client as it was.

#include "Builders.h"
#include "ClientMerge.h"
#include "ClientWriter.h"
#include "OutputFolder.h"
#include "SampleClient.h"
#include "TileData.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using test::Counting;
using test::TempDir;

// Every file of a folder with its bytes.
std::map<std::string, std::vector<std::uint8_t>> Snapshot(const fs::path& dir) {
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        files[entry.path().filename().string()] = TempDir::ReadFile(entry.path().string());
    }
    return files;
}

// Names in a folder (temporary folders left behind show up here).
std::vector<std::string> Names(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A file set over one folder, no patch applied.
struct Client {
    explicit Client(const fs::path& dir) { files.SetChosenDir(dir.string()); }
    CVerDataTable table;
    CClientFiles files{&table};
};

// Every entry of art, gumps and sounds, and the map of facet 0, read the same through both (a
// deletion by a patch record reads as an absent entry).
void ExpectSameEntries(CClientFiles& x, CClientFiles& y) {
    const std::pair<std::int32_t, std::int32_t> kinds[] = {
        {kSlotArtIdx, kSlotArt}, {kSlotGumpIdx, kSlotGumpArt}, {kSlotSoundIdx, kSlotSound}};
    for (const auto& [index, data] : kinds) {
        const std::uint64_t count = std::max(x.GetIndexCount(index), y.GetIndexCount(index));
        int present = 0;
        for (std::uint32_t n = 0; n < count; ++n) {
            IndexRecord r;
            IndexRecord s;
            const bool inX = x.ReadIndexRecord(index, data, n, r) && r.GetLength() != 0;
            ASSERT_EQ(inX, y.ReadIndexRecord(index, data, n, s) && s.GetLength() != 0)
                << data << " " << n;
            if (!inX) {
                continue;
            }
            ++present;
            EXPECT_EQ(r.GetLength(), s.GetLength()) << data << " " << n;
            EXPECT_EQ(r.GetExtra(), s.GetExtra()) << data << " " << n;
            std::vector<std::uint8_t> bx;
            std::vector<std::uint8_t> by;
            LoadMulData(x, data, r, bx);
            LoadMulData(y, data, s, by);
            ASSERT_EQ(bx, by) << data << " " << n;
        }
        EXPECT_GT(present, 3) << data;
    }
    // The map, block by block to its end.
    std::uint32_t blocks = 0;
    for (std::vector<std::uint8_t> bx(196), by(196);; ++blocks) {
        const IndexRecord block{blocks * 196, 196, 0, 0};
        const bool inX = x.ReadData(kSlotMap0, block, bx);
        ASSERT_EQ(inX, y.ReadData(kSlotMap0, block, by)) << blocks;
        if (!inX) {
            break;
        }
        ASSERT_EQ(bx, by) << blocks;
    }
    EXPECT_GE(blocks, 1024u);
}
void ExpectSameEntries(const fs::path& a, const fs::path& b) {
    Client x(a);
    Client y(b);
    ExpectSameEntries(x.files, y.files);
}

// The compressions a container's entries use, each once.
std::set<std::uint16_t> Compressions(const fs::path& container) {
    CQFile file;
    EXPECT_TRUE(file.Open(container.c_str(), CQFile::modeRead));
    CUopTable table;
    EXPECT_TRUE(table.Read(file));
    std::set<std::uint16_t> found;
    for (const auto& [hash, entry] : table.Entries()) {
        found.insert(entry.compression);
    }
    return found;
}

ConvertResult Convert(const fs::path& from, const fs::path& to, ClientForm form,
                      UopCompression compression = UopCompression::AsSource,
                      COutputFolderOps* ops = nullptr, bool replace = false) {
    Client client(from);
    EntryFileOptions options;
    options.form = form;
    options.compression = compression;
    return ConvertClientFiles(client.files, to.string(), replace, options, ops);
}

TEST(ClientWriterTest, ConversionsKeepEveryEntry) {
    TempDir dir;
    mk::WriteSampleClient(dir.Path() / "old", false);
    mk::WriteModernClient(dir.Path() / "newer", mk::ModernForm::Containers);
    const UopKind& art = *FindUopKind(kSlotArt);

    // .mul -> container (all compressed) -> .mul.
    Convert(dir.Path() / "old", dir.Path() / "uop", ClientForm::Container, UopCompression::Zlib);
    EXPECT_EQ(Compressions(dir.Path() / "uop" / art.fileName), std::set{kUopZlib});
    ExpectSameEntries(dir.Path() / "old", dir.Path() / "uop");
    Convert(dir.Path() / "uop", dir.Path() / "mul", ClientForm::MulPair);
    ExpectSameEntries(dir.Path() / "old", dir.Path() / "mul");
    // Data stored in entry order without gaps comes back byte for byte; an index loses only
    // the absent records past its last entry, which a container does not record.
    const auto before = Snapshot(dir.Path() / "old");
    const auto after = Snapshot(dir.Path() / "mul");
    for (const char* name : {"art.mul", "sound.mul", "map0.mul", "map2.mul"}) {
        EXPECT_EQ(before.at(name), after.at(name)) << name;
    }
    for (const char* name : {"artidx.mul", "soundidx.mul"}) {
        const std::vector<std::uint8_t>& whole = before.at(name);
        const std::vector<std::uint8_t>& cut = after.at(name);
        ASSERT_LE(cut.size(), whole.size());
        EXPECT_TRUE(std::equal(cut.begin(), cut.end(), whole.begin())) << name;
        EXPECT_TRUE(std::all_of(whole.begin() + static_cast<std::ptrdiff_t>(cut.size()),
                                whole.end(), [](std::uint8_t b) { return b == 0xFF; }));
    }
    // Only what was converted is written, with its manifest.
    EXPECT_EQ(Names(dir.Path() / "mul"),
              (std::vector<std::string>{"art.mul", "artidx.mul", "gumpart.mul", "gumpidx.mul",
                                        "manifest.json", "map0.mul", "map2.mul", "map4.mul",
                                        "sound.mul", "soundidx.mul"}));

    // Container (stored and compressed entries) -> .mul -> container, as the source had them
    // is all stored from a .mul: the entries read the same either way.
    Convert(dir.Path() / "newer", dir.Path() / "newer-mul", ClientForm::MulPair);
    ExpectSameEntries(dir.Path() / "newer", dir.Path() / "newer-mul");
    Convert(dir.Path() / "newer-mul", dir.Path() / "newer-uop", ClientForm::Container);
    ExpectSameEntries(dir.Path() / "newer", dir.Path() / "newer-uop");
    EXPECT_EQ(Compressions(dir.Path() / "newer-uop" / art.fileName), std::set{kUopStored});
    EXPECT_EQ(Compressions(dir.Path() / "newer" / art.fileName), (std::set{kUopStored, kUopZlib}));

    // A container copied unchanged is the source byte for byte (stored bytes, checksums).
    Client newer(dir.Path() / "newer");
    for (const EntryFileSpec& spec :
         {EntryFileSpec{EntryFileKind::Gumps, 0}, EntryFileSpec{EntryFileKind::Map, 2}}) {
        const fs::path out = dir.Path() / ("copy-" + std::to_string(static_cast<int>(spec.kind)));
        COutputFolder folder(out.string(), false);
        EntryFileOptions options;
        options.form = ClientForm::Container;
        WriteEntryFile(newer.files, spec, {}, options, folder);
        folder.Commit();
        const std::string name = ContainerKind(spec).fileName;
        EXPECT_EQ(TempDir::ReadFile((out / name).string()),
                  TempDir::ReadFile((dir.Path() / "newer" / name).string()))
            << name;
    }
}

TEST(ClientWriterTest, ChangesLandWhereAskedAndTheManifestNamesThem) {
    TempDir dir;
    mk::WriteModernClient(dir.Path() / "newer", mk::ModernForm::Containers);
    Client client(dir.Path() / "newer");
    IndexRecord kept;
    ASSERT_TRUE(client.files.ReadIndexRecord(kSlotGumpIdx, kSlotGumpArt, 12, kept));

    for (const ClientForm form : {ClientForm::MulPair, ClientForm::Container}) {
        const fs::path out = dir.Path() / (form == ClientForm::MulPair ? "mul" : "uop");
        EntryChanges gumps;
        gumps[12].bytes = Counting(40);
        gumps[12].extra = (4u << 16) | 5;  // width 4, height 5
        gumps[60000].fetch = [](std::vector<std::uint8_t>& bytes, std::uint32_t& extra) {
            bytes = Counting(8);
            extra = (2u << 16) | 1;
            return true;
        };
        gumps[241].action = EntryChange::Action::Delete;
        gumps[14].action = EntryChange::Action::Delete;  // absent: nothing to delete
        EntryChanges map;
        map[2046].bytes = std::vector<std::uint8_t>(196, 7);
        EntryFileOptions options;
        options.form = form;
        {
            COutputFolder folder(out.string(), false);
            const EntryFileResult r =
                WriteEntryFile(client.files, {EntryFileKind::Gumps, 0}, gumps, options, folder);
            EXPECT_EQ(r.replaced, std::vector<std::uint32_t>{12});
            EXPECT_EQ(r.added, std::vector<std::uint32_t>{60000});
            EXPECT_EQ(r.deleted, std::vector<std::uint32_t>{241});
            WriteEntryFile(client.files, {EntryFileKind::Map, 0}, map, options, folder);
            folder.Commit();
        }
        Client written(out);
        IndexRecord r;
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(written.files.ReadIndexRecord(kSlotGumpIdx, kSlotGumpArt, 12, r));
        EXPECT_EQ(r.GetExtra(), (4u << 16) | 5);
        LoadMulData(written.files, kSlotGumpArt, r, bytes);
        EXPECT_EQ(bytes, Counting(40));
        ASSERT_TRUE(written.files.ReadIndexRecord(kSlotGumpIdx, kSlotGumpArt, 60000, r));
        EXPECT_EQ(r.GetExtra(), (2u << 16) | 1);
        EXPECT_FALSE(written.files.ReadIndexRecord(kSlotGumpIdx, kSlotGumpArt, 241, r));
        ASSERT_TRUE(written.files.ReadIndexRecord(kSlotGumpIdx, kSlotGumpArt, 11, r) ==
                    client.files.ReadIndexRecord(kSlotGumpIdx, kSlotGumpArt, 11, kept));
        std::vector<std::uint8_t> block(196 * 3);
        std::vector<std::uint8_t> source(196 * 3);
        ASSERT_TRUE(written.files.ReadData(kSlotMap0, {2045 * 196, 196 * 3, 0, 0}, block));
        ASSERT_TRUE(client.files.ReadData(kSlotMap0, {2045 * 196, 196 * 3, 0, 0}, source));
        std::fill(source.begin() + 196, source.begin() + 392, 7);
        EXPECT_EQ(block, source);
        const std::vector<std::uint8_t> manifest =
            TempDir::ReadFile((out / "manifest.json").string());
        const std::string text(manifest.begin(), manifest.end());
        EXPECT_NE(text.find("\"replaced\": [12], \"added\": [60000], \"deleted\": [241]"),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find("\"replaced\": [2046]"), std::string::npos) << text;
    }
}

// The real file system with one step made to fail or to stop the process.
class FaultOps : public COutputFolderOps {
public:
    enum Fault { None, DiskFull, ReadOnly, CrashBeforeRename };
    Fault fault = None;

    std::unique_ptr<CQFile> NewFile() override { return std::make_unique<File>(fault == DiskFull); }
    bool MakeTempFolder(std::string& pathTemplate) override {
        if (fault == ReadOnly) {
            errno = EROFS;
            return false;
        }
        return COutputFolderOps::MakeTempFolder(pathTemplate);
    }
    bool RenameFolder(const std::string& from, const std::string& to, bool exchange) override {
        if (fault == CrashBeforeRename) {
            ::_exit(0);  // every file written and flushed, the rename never made
        }
        return COutputFolderOps::RenameFolder(from, to, exchange);
    }

private:
    // A device that fills up after 64 KiB.
    class File : public CQFile {
    public:
        explicit File(bool full) : m_bFull(full) {}
        void Write(const void* buffer, std::uint32_t count) override {
            if (m_bFull && GetPosition() + count > (64u << 10)) {
                throw CQFileException(CQFileException::kWriteFault, ENOSPC, GetFilePath());
            }
            CQFile::Write(buffer, count);
        }

    private:
        bool m_bFull;
    };
};

TEST(ClientWriterTest, FailuresLeaveNoOutputAndTheClientAsItWas) {
    TempDir dir;
    const fs::path client = dir.Path() / "client";
    const fs::path out = dir.Path() / "out";
    mk::WriteSampleClient(client, false);
    const auto clientBefore = Snapshot(client);
    const std::vector<std::string> namesBefore = Names(dir.Path());
    auto expectFailure = [&](FaultOps::Fault fault, const std::string& message) {
        FaultOps ops;
        ops.fault = fault;
        try {
            Convert(client, out, ClientForm::Container, UopCompression::AsSource, &ops);
            ADD_FAILURE() << "no failure for " << message;
        } catch (const COutputError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
        EXPECT_EQ(Names(dir.Path()), namesBefore) << message;
    };
    expectFailure(FaultOps::DiskFull, "cannot write '" + out.string() + "/");
    expectFailure(FaultOps::DiskFull, "No space left on device");
    expectFailure(FaultOps::ReadOnly, "Read-only file system");
    // An entry whose record lies past the end of its data file.
    std::vector<std::uint8_t> index = TempDir::ReadFile((client / "soundidx.mul").string());
    const std::vector<std::uint8_t> goodIndex = index;
    StoreLE32(index.data() + 12 * 3, 0x7FFFFF00);
    StoreLE32(index.data() + 12 * 3 + 4, 500);
    {
        std::ofstream f(client / "soundidx.mul", std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(index.data()),
                static_cast<std::streamsize>(index.size()));
    }
    expectFailure(FaultOps::None, "entry 3 of '");
    {
        std::ofstream f(client / "soundidx.mul", std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(goodIndex.data()),
                static_cast<std::streamsize>(goodIndex.size()));
    }
    // An exception of any kind midway.
    {
        Client source(client);
        EntryFileOptions options;
        options.form = ClientForm::Container;
        options.progress = [](std::uint64_t done, std::uint64_t) {
            if (done == 10) {
                throw std::runtime_error("stop");
            }
            return true;
        };
        EXPECT_THROW(ConvertClientFiles(source.files, out.string(), false, options),
                     std::runtime_error);
        EXPECT_EQ(Names(dir.Path()), namesBefore);
    }
    EXPECT_EQ(Snapshot(client), clientBefore);

    // A crash between the last write and the rename: no target; over an existing target, the
    // old one intact. The next run removes what the crashed one left.
    for (const bool replace : {false, true}) {
        if (replace) {
            Convert(client, out, ClientForm::Container, UopCompression::AsSource, nullptr, true);
        }
        const std::vector<std::string> names = Names(dir.Path());
        const auto old = replace ? Snapshot(out) : decltype(Snapshot(out)){};
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            FaultOps ops;
            ops.fault = FaultOps::CrashBeforeRename;
            try {
                Convert(client, out, ClientForm::Container, UopCompression::Zlib, &ops, replace);
            } catch (...) {
            }
            ::_exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_EQ(fs::exists(out), replace);
        if (replace) {
            EXPECT_EQ(Snapshot(out), old);
        }
        EXPECT_EQ(Names(dir.Path()).size(), names.size() + 1);  // the crashed run's folder
        Convert(client, out, ClientForm::Container, UopCompression::Zlib, nullptr, true);
        EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"client", "out"}));
    }
    EXPECT_EQ(Snapshot(client), clientBefore);

    // An existing folder is refused unless replacing is asked; a file is never replaced.
    EXPECT_THROW(Convert(client, out, ClientForm::Container), COutputError);
    const fs::path file = dir.Path() / "file";
    std::ofstream(file) << "keep";
    EXPECT_THROW(
        Convert(client, file, ClientForm::Container, UopCompression::AsSource, nullptr, true),
        COutputError);
    EXPECT_EQ(TempDir::ReadFile(file.string()).size(), 4u);
}

// After a merge the client's files with the output laid over them read, without a patch, what
// the client read with it: art, gumps, sounds and every tile data record; the patch's other
// records stay in the output's "verdata.mul".
TEST(ClientWriterTest, MergedPatchReadsTheSameWithoutIt) {
    for (const bool modern : {false, true}) {
        TempDir dir;
        const fs::path source = dir.Path() / "client";
        const fs::path merged = dir.Path() / "merged";
        if (modern) {
            // Newer clients come without a patch file: one of each kind merged, and a hue group
            // that is kept.
            mk::WriteModernClient(source);
            const auto bytes = [](std::size_t n, std::uint8_t seed) {
                std::vector<std::uint8_t> b(n);
                for (std::size_t i = 0; i < n; ++i) {
                    b[i] = static_cast<std::uint8_t>(seed + i * 7);
                }
                return b;
            };
            const std::vector<mk::SamplePatch> patches = {
                {kSlotArt, kArtItemBase + 5, bytes(40, 1)},
                {kSlotArt, 7, {}},
                {kSlotGumpArt, 3, bytes(16, 2), 2, 4},
                {kSlotSound, 1, bytes(48, 3)},
                {kSlotTileData, 3, bytes(964, 4)},
                {kSlotTileData, 512 + 600, bytes(1316, 5)},
                {32, 0, bytes(88 * 8 + 4, 6)}};
            dir.Write("client/verdata.mul", mk::BuildVerData(patches));
        } else {
            mk::WriteSampleClient(source, false);
        }
        Client patched(source);
        ASSERT_TRUE(patched.files.OpenSlot(kSlotVerData));
        patched.table.Load(patched.files.GetFile(kSlotVerData));
        const std::int32_t records = patched.table.GetCount();
        ASSERT_GT(records, 5);
        const MergeResult result =
            MergePatchRecords(patched.files, (dir.Path() / "out").string(), false, std::nullopt);
        fs::copy(source, merged);
        for (const auto& entry : fs::directory_iterator(dir.Path() / "out")) {
            fs::copy_file(entry.path(), merged / entry.path().filename(),
                          fs::copy_options::overwrite_existing);
        }
        Client plain(merged);
        ExpectSameEntries(patched.files, plain.files);

        const TileDataShape shape = GetTileDataShape(patched.files);
        ASSERT_EQ(GetTileDataShape(plain.files).layout, shape.layout);
        const auto bytes = [&shape](const auto& info) {
            ByteWriter out;
            info.Write(out, shape.layout);
            return out.take();
        };
        for (std::uint32_t t = 0; t < kArtItemBase; ++t) {
            CTileTerrainInfo a;
            CTileTerrainInfo b;
            a.ReadInfo(static_cast<std::uint16_t>(t), patched.files);
            b.ReadInfo(static_cast<std::uint16_t>(t), plain.files);
            ASSERT_EQ(bytes(a), bytes(b)) << "terrain " << t;
        }
        for (std::int32_t n = 0; n < shape.FirstMultiItem(); ++n) {
            CTileItemInfo a;
            CTileItemInfo b;
            a.ReadInfo(n, patched.files);
            b.ReadInfo(n, plain.files);
            ASSERT_EQ(bytes(a), bytes(b)) << "item " << n;
        }

        // The records of kinds not merged are kept, each with its bytes.
        ASSERT_FALSE(result.written.empty());
        const MergeResult::Written& kept = result.written.back();
        EXPECT_EQ(kept.files, std::vector<std::string>{"verdata.mul"});
        CVerDataTable left;
        CQFile file;
        ASSERT_TRUE(file.Open((merged / "verdata.mul").c_str(), CQFile::modeRead));
        left.Load(file);
        EXPECT_EQ(static_cast<std::uint32_t>(left.GetCount()), kept.records);
        std::uint32_t mergedRecords = 0;
        for (const MergeResult::Written& w : result.written) {
            mergedRecords += &w == &kept ? 0 : w.records;
        }
        EXPECT_GT(mergedRecords, 0u);
        EXPECT_LE(mergedRecords + kept.records, static_cast<std::uint32_t>(records));
        for (std::int32_t i = 0; i < left.GetCount(); ++i) {
            const CUOVersionBlock& r = left.ElementAt(i);
            IndexRecord was;
            ASSERT_TRUE(patched.table.FindRecord(r.m_dwFileId, r.m_dwBlock, was));
            std::vector<std::uint8_t> a(was.GetLength());
            std::vector<std::uint8_t> b(r.m_dwLength);
            ASSERT_TRUE(patched.files.ReadData(kSlotVerData, was, a));
            file.Seek(r.m_dwOffset, CQFile::begin);
            ASSERT_EQ(file.Read(b.data(), r.m_dwLength), r.m_dwLength);
            EXPECT_EQ(a, b) << r.m_dwFileId << " " << r.m_dwBlock;
        }
    }
}

// A ".pat" patch's hues and multis: each reads back as given, names byte for byte, and every
// other hue and multi is as it was.
TEST(ClientWriterTest, PatchHuesAndMultisReadBackAsEditedAndNothingElseChanges) {
    TempDir dir;
    const fs::path source = dir.Path() / "client";
    mk::WriteSampleClient(source, false);
    Client client(source);
    PatchOverlay overlay;
    std::vector<std::uint8_t> hue(88);
    for (std::size_t i = 0; i < hue.size(); ++i) {
        hue[i] = static_cast<std::uint8_t>(0x80 + i);  // the name too: bytes of no text encoding
    }
    overlay.hues[9] = hue;
    overlay.hues[0xFFFFFF] = hue;  // past the file: not merged
    const std::uint64_t multis = client.files.GetIndexCount(kSlotMultiIdx);
    ASSERT_GT(multis, 2u);
    const std::vector<std::uint8_t> components = {1, 0, 2, 0, 3, 0, 4, 0, 1, 0, 0, 0,
                                                  9, 0, 8, 0, 7, 0, 6, 0, 0, 0, 0, 0};
    overlay.multis[1] = components;
    const auto added = static_cast<std::uint32_t>(multis + 2);
    overlay.multis[added] = components;
    const fs::path out = dir.Path() / "out";
    const MergeResult result =
        MergePatchRecords(client.files, out.string(), false, std::nullopt, nullptr, {}, &overlay);
    ASSERT_EQ(result.written.size(), 2u);
    EXPECT_EQ(result.written[0].records, 1u);
    EXPECT_EQ(result.written[1].records, 2u);
    // Without records of the patch file the output holds no "verdata.mul" of its own.
    EXPECT_EQ(Names(out),
              (std::vector<std::string>{"hues.mul", "manifest.json", "multi.idx", "multi.mul"}));

    std::vector<std::uint8_t> hues = TempDir::ReadFile((source / "hues.mul").string());
    std::copy(hue.begin(), hue.end(), hues.begin() + 708 + 4 + 88);
    EXPECT_EQ(TempDir::ReadFile((out / "hues.mul").string()), hues);

    Client merged(out);
    ASSERT_EQ(merged.files.GetIndexCount(kSlotMultiIdx), multis + 3);
    for (std::uint32_t n = 0; n < multis + 3; ++n) {
        IndexRecord was;
        IndexRecord now;
        const bool inSource = n < multis && client.files.ReadIndexRecord(kSlotMultiIdx, 33, n, was);
        const bool inOutput = merged.files.ReadIndexRecord(kSlotMultiIdx, 33, n, now);
        std::vector<std::uint8_t> bytes;
        if (inOutput) {
            LoadMulData(merged.files, kSlotMulti, now, bytes);
        }
        if (n == 1 || n == added) {
            EXPECT_EQ(bytes, components) << n;
            continue;
        }
        ASSERT_EQ(inSource, inOutput) << n;
        if (inSource) {
            std::vector<std::uint8_t> before;
            LoadMulData(client.files, kSlotMulti, was, before);
            EXPECT_EQ(bytes, before) << n;
            EXPECT_EQ(now.GetExtra(), was.GetExtra()) << n;
        }
    }
}

}  // namespace
}  // namespace tessaly
