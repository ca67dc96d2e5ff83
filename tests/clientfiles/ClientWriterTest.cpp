// Writing client files: the newer sample's containers read as its .mul pairs, conversions both
// ways keep every entry, in-order sources come out byte for byte, changes land where they are
// asked, and a failing or interrupted run leaves no output and the client as it was.

#include "AnimData.h"
#include "Builders.h"
#include "ClientMerge.h"
#include "ClientWriter.h"
#include "Hues.h"
#include "MapBlock.h"
#include "MultiType.h"
#include "OutputFolder.h"
#include "TarnError.h"
#include "TileData.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <map>
#include <numeric>
#include <set>

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using test::Client;
using test::Counting;
using test::EntryRead;
using test::ReadEntry;
using test::TempDir;
using Numbers = std::vector<std::uint32_t>;

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

// The entries of both clients read the same (a deletion by a patch record reads as absent).
void ExpectSameEntries(const fs::path& a, const fs::path& b) {
    Client x(a);
    Client y(b);
    test::ExpectSameClient(x.files, y.files);
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
    EntryFileOptions options = test::FormOptions(form);
    options.compression = compression;
    return ConvertClientFiles(client.files, to.string(), replace, options, ops);
}

// One kind of the client in `from` written alone into the new folder `out`.
EntryFileResult WriteOne(const fs::path& from, const fs::path& out, const EntryFileSpec& spec,
                         ClientForm form) {
    Client client(from);
    COutputFolder folder(out.string(), false);
    const EntryFileResult result =
        WriteEntryFile(client.files, spec, {}, test::FormOptions(form), folder);
    folder.Commit();
    return result;
}

TEST(ClientWriterTest, ConversionsKeepEveryEntry) {
    TempDir dir;
    const fs::path newer = dir.Path() / "newer";
    mk::WriteSampleClient(dir.Path() / "old", false);
    mk::WriteModernClient(newer, mk::ModernForm::Containers);
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

    // The newer sample's containers read as the .mul pairs it writes in their place, art to its
    // last item.
    mk::WriteModernClient(dir.Path() / "newer-pairs", mk::ModernForm::MulPairs);
    ExpectSameEntries(newer, dir.Path() / "newer-pairs");
    // Container (stored and compressed entries) -> .mul -> container, as the source had them
    // is all stored from a .mul: the entries read the same either way.
    Convert(newer, dir.Path() / "newer-mul", ClientForm::MulPair);
    ExpectSameEntries(newer, dir.Path() / "newer-mul");
    Convert(dir.Path() / "newer-mul", dir.Path() / "newer-uop", ClientForm::Container);
    ExpectSameEntries(newer, dir.Path() / "newer-uop");
    EXPECT_EQ(Compressions(dir.Path() / "newer-uop" / art.fileName), std::set{kUopStored});
    EXPECT_EQ(Compressions(newer / art.fileName), (std::set{kUopStored, kUopZlib}));

    // A container copied unchanged is the source byte for byte (stored bytes, checksums).
    const auto copy = [&](const EntryFileSpec& spec) {
        fs::remove_all(dir.Path() / "copy");
        WriteOne(newer, dir.Path() / "copy", spec, ClientForm::Container);
        return dir.Read(std::string("copy/") + ContainerKind(spec)->fileName);
    };
    const EntryFileSpec copied[] = {{EntryFileKind::Gumps, 0}, {EntryFileKind::Map, 2}};
    for (const EntryFileSpec& spec : copied) {
        EXPECT_EQ(copy(spec), TempDir::ReadFile((newer / ContainerKind(spec)->fileName).string()));
    }
    // A header claiming tables larger than the file: the copy's are of the default size.
    const std::string gumpFile = (newer / "gumpartLegacyMUL.uop").string();
    std::vector<std::uint8_t> gumps = TempDir::ReadFile(gumpFile);
    StoreLE32(gumps.data() + 20, 0xFFFFFFFF);
    TempDir::WriteFile(gumpFile, gumps);
    const std::vector<std::uint8_t> defaultTables = copy(copied[0]);
    ASSERT_EQ(defaultTables.size(), gumps.size());
    EXPECT_EQ(LoadLE32(defaultTables.data() + 20), 1000u);
    // An entry of a compression this program cannot decode is copied as it stands.
    StoreLE32(gumps.data() + 20, 1000);
    TempDir::WriteFile(gumpFile, gumps);
    for (const EntryFileSpec& spec : copied) {
        const std::string name = (newer / ContainerKind(spec)->fileName).string();
        std::vector<std::uint8_t> bytes = TempDir::ReadFile(name);
        StoreLE16(bytes.data() + kUopFirstTable + kUopTableHeaderSize + 32, 3);
        TempDir::WriteFile(name, bytes);
        EXPECT_EQ(copy(spec), bytes);
    }
    // An entry under a name of no number: a container copy keeps it, the .mul form says it
    // cannot.
    gumps = TempDir::ReadFile(gumpFile);
    const std::uint32_t last = LoadLE32(gumps.data() + kUopFirstTable) - 1;
    const std::uint64_t hash = HashUopName("build/gumpartlegacymul/readme.txt");
    std::uint8_t* entry =
        gumps.data() + kUopFirstTable + kUopTableHeaderSize + last * kUopEntrySize;
    StoreLE32(entry + 24, static_cast<std::uint32_t>(hash));
    StoreLE32(entry + 28, static_cast<std::uint32_t>(hash >> 32));
    TempDir::WriteFile(gumpFile, gumps);
    EXPECT_EQ(copy(copied[0]), gumps);
    const ConvertResult toMul = Convert(newer, dir.Path() / "named-mul", ClientForm::MulPair);
    ASSERT_EQ(toMul.written[1].spec.kind, EntryFileKind::Gumps);
    EXPECT_EQ(toMul.written[1].note,
              "1 of the container's entries, named otherwise than "
              "'build/gumpartlegacymul/%08u.tga', are left out");
    // The entry of a compression this program cannot decode is listed as damaged either way.
    EXPECT_EQ(toMul.written[1].damaged, Numbers{12});
    EXPECT_EQ(WriteOne(newer, dir.Path() / "named-uop", copied[0], ClientForm::Container).damaged,
              Numbers{12});
}

// A last map chunk that does not decode and claims nearly 4 GB: its blocks are listed as damaged
// and the .mul form gets one chunk of zeros for it, not what the claim says.
TEST(ClientWriterTest, AMapChunkThatDoesNotDecodeIsNoLongerThanAChunk) {
    TempDir dir;
    const std::vector<std::uint8_t> first = Counting(kUopMapChunkBytes);
    std::vector<std::uint8_t> uop =
        WriteUopContainer(*FindUopKind(kSlotMap0), {{0, first, false}, {1, Counting(1000), true}});
    StoreLE32(uop.data() + kUopFirstTable + kUopTableHeaderSize + kUopEntrySize + 16, 0xFFFFFF00);
    dir.Write("map0LegacyMUL.uop", uop);
    const EntryFileResult result =
        WriteOne(dir.Path(), dir.Path() / "out", {EntryFileKind::Map, 0}, ClientForm::MulPair);
    const std::vector<std::uint8_t> map = dir.Read("out/map0.mul");
    ASSERT_EQ(map.size(), 2u * kUopMapChunkBytes);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), map.begin()));
    EXPECT_EQ(std::count(map.begin() + kUopMapChunkBytes, map.end(), 0), kUopMapChunkBytes);
    ASSERT_EQ(result.damaged.size(), kUopMapChunkBytes / CMapBlock::kSize);
    EXPECT_EQ(result.damaged.front(), kUopMapChunkBytes / CMapBlock::kSize);
}

TEST(ClientWriterTest, ChangesLandWhereAskedAndTheManifestNamesThem) {
    TempDir dir;
    mk::WriteModernClient(dir.Path() / "newer", mk::ModernForm::Containers);
    Client client(dir.Path() / "newer");
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
        {
            COutputFolder folder(out.string(), false);
            const EntryFileResult result = WriteEntryFile(client.files, {EntryFileKind::Gumps, 0},
                                                          gumps, test::FormOptions(form), folder);
            EXPECT_EQ(std::tie(result.replaced, result.added, result.deleted),
                      std::tuple(Numbers{12}, Numbers{60000}, Numbers{241}));
            WriteEntryFile(client.files, {EntryFileKind::Map, 0}, map, test::FormOptions(form),
                           folder);
            folder.Commit();
        }
        Client written(out);
        const auto gump = [](Client& c, std::uint32_t n) {
            return ReadEntry(c.files, kSlotGumpIdx, kSlotGumpArt, n);
        };
        EXPECT_EQ(gump(written, 12), (EntryRead{ReadStatus::Ok, Counting(40), (4u << 16) | 5}));
        EXPECT_EQ(gump(written, 60000), (EntryRead{ReadStatus::Ok, Counting(8), (2u << 16) | 1}));
        EXPECT_EQ(gump(written, 241).status, ReadStatus::Absent);
        EXPECT_EQ(gump(written, 11), gump(client, 11));
        std::vector<std::uint8_t> block(196 * 3);
        std::vector<std::uint8_t> source(196 * 3);
        ASSERT_TRUE(written.files.ReadData(kSlotMap0, {2045 * 196, 196 * 3, 0, 0}, block));
        ASSERT_TRUE(client.files.ReadData(kSlotMap0, {2045 * 196, 196 * 3, 0, 0}, source));
        std::fill(source.begin() + 196, source.begin() + 392, 7);
        EXPECT_EQ(block, source);
        const auto manifest = TempDir::ReadFile((out / "manifest.json").string());
        const std::string text(manifest.begin(), manifest.end());

        EXPECT_NE(text.find("\"replaced\": [12], \"added\": [60000], \"deleted\": [241]"),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find("\"replaced\": [2046]"), std::string::npos) << text;
    }
}

// The message of the COutputError that `run` raises ("" when it raises none).
std::string OutputError(const std::function<void()>& run) {
    try {
        run();
    } catch (const COutputError& e) {
        return e.what();
    }
    return "";
}

// The real file system with one step made to fail or to stop the process.
struct FaultOps : COutputFolderOps {
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

// An existing output folder is replaced whole, so one that is or holds the client's folder (also
// through a link) or the patch file's folder is refused before anything is written. A failing or
// interrupted run leaves no output and the client as it was.
TEST(ClientWriterTest, RefusedFoldersAndFailuresLeaveNoOutputAndTheClientAsItWas) {
    TempDir dir;
    const fs::path client = dir.Path() / "client";
    const fs::path out = dir.Path() / "out";
    mk::WriteSampleClient(client, false);
    fs::create_directory_symlink(client, dir.Path() / "link");
    fs::create_directory(dir.Path() / "patches");
    fs::copy_file(client / "verdata.mul", dir.Path() / "patches" / "p.mul");
    const auto clientBefore = Snapshot(client);
    const std::vector<std::string> namesBefore = Names(dir.Path());
    for (const fs::path& target :
         {client, client / "", dir.Path() / "link", dir.Path(), dir.Path() / "patches"}) {
        Client source(client);
        source.files.SetSlotPath(kSlotVerData, (dir.Path() / "patches" / "p.mul").string());
        const EntryFileOptions options = test::FormOptions(ClientForm::Container);
        const std::string refused = "the folder '" + target.string() +
                                    "' holds the client's files or the patch file: choose a new "
                                    "folder";
        EXPECT_EQ(
            OutputError([&] { ConvertClientFiles(source.files, target.string(), true, options); }),
            refused);
        EXPECT_EQ(OutputError([&] {
                      MergePatchRecords(source.files, target.string(), true, std::nullopt);
                  }),
                  refused);
    }
    EXPECT_EQ(Names(dir.Path()), namesBefore);

    // Failures along the way.
    auto expectFailure = [&](FaultOps::Fault fault, const std::string& message) {
        FaultOps ops;
        ops.fault = fault;
        const std::string error = OutputError(
            [&] { Convert(client, out, ClientForm::Container, UopCompression::AsSource, &ops); });
        EXPECT_NE(error.find(message), std::string::npos) << error;
        EXPECT_EQ(Names(dir.Path()), namesBefore) << message;
    };
    expectFailure(FaultOps::DiskFull, "cannot write '" + out.string() + "/");
    expectFailure(FaultOps::DiskFull, "No space left on device");
    expectFailure(FaultOps::ReadOnly, "Read-only file system");
    // An entry whose record lies past the end of its data file.
    const std::vector<std::uint8_t> goodIndex = dir.Read("client/soundidx.mul");
    std::vector<std::uint8_t> index = goodIndex;
    StoreLE32(index.data() + 12 * 3, 0x7FFFFF00);
    StoreLE32(index.data() + 12 * 3 + 4, 500);
    dir.Write("client/soundidx.mul", index);
    // It is listed and left damaged; the run goes on.
    const ConvertResult damaged = Convert(client, out, ClientForm::Container);
    ASSERT_EQ(damaged.written[2].spec.kind, EntryFileKind::Sounds);
    EXPECT_EQ(damaged.written[2].damaged, Numbers{3});
    IndexRecord r;
    EXPECT_EQ(Client(out).files.ReadIndexStatus(kSlotSoundIdx, kSlotSound, 3, r),
              ReadStatus::Damaged);
    fs::remove_all(out);
    dir.Write("client/soundidx.mul", goodIndex);
    // An exception of any kind midway.
    {
        Client source(client);
        EntryFileOptions options = test::FormOptions(ClientForm::Container);
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
        EXPECT_EQ(Names(dir.Path()),
                  (std::vector<std::string>{"client", "link", "out", "patches"}));
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

// An entry as a reader writes it out: its bytes, or damaged when the reader raises.
EntryRead Written(const std::function<void(ByteWriter&)>& read) {
    ByteWriter w;
    try {
        read(w);
    } catch (const CTarnError&) {
        return {ReadStatus::Damaged, {}, 0};
    }
    return {ReadStatus::Ok, w.take(), 0};
}

// The entries of every kind a merge writes, by kind name and entry: indexed kinds through their
// index, the map block by block, tile data, animdata and hues record by record.
// The indexed kinds by name, index slot and data slot (the data slot is their patch file id).
constexpr std::tuple<const char*, std::int32_t, std::int32_t> kIndexedKinds[] = {
    {"art", kSlotArtIdx, kSlotArt},          {"gumps", kSlotGumpIdx, kSlotGumpArt},
    {"sounds", kSlotSoundIdx, kSlotSound},   {"textures", kSlotTexIdx, kSlotTexMaps},
    {"lights", kSlotLightIdx, kSlotLight},   {"animations", kSlotAnimIdx, kSlotAnim},
    {"multis", kSlotMultiIdx, kSlotMulti},   {"skills", kSlotSkillsIdx, kSlotSkills},
    {"statics", kSlotStaIdx0, kSlotStatics0}};

std::map<std::string, std::map<std::uint32_t, EntryRead>> ReadEveryEntry(CClientFiles& files,
                                                                         std::uint64_t count) {
    std::map<std::string, std::map<std::uint32_t, EntryRead>> all;
    for (const auto& [name, index, data] : kIndexedKinds) {
        auto& kind = all[name];
        for (std::uint32_t n = 0; n < std::max(count, files.GetIndexCount(index)); ++n) {
            EntryRead e = ReadEntry(files, index, data, n);
            if (data == kSlotMulti) {
                // The client reads whole components of its size, no further.
                e.bytes.resize(e.bytes.size() - e.bytes.size() % GetMultiRecordSize(files));
            }
            if (e.status != ReadStatus::Absent) {
                kind[n] = std::move(e);
            }
        }
    }
    for (std::uint32_t b = 0;; ++b) {
        EntryRead e = Written([&](ByteWriter& w) {
            CMapBlock block;
            block.LoadMapBlock(b, files);
            w.u32(block.GetHeader());
            for (std::uint32_t c = 0; c < 64; ++c) {
                w.u16(block.GetCell(c % 8, c / 8).m_wTile)
                    .u8(static_cast<std::uint8_t>(block.GetCell(c % 8, c / 8).m_cZ));
            }
        });
        if (b > 0x10000 && e.status == ReadStatus::Damaged) {
            break;  // past the map's end
        }
        all["map"][b] = std::move(e);
    }
    const TileDataShape shape = GetTileDataShape(files);
    for (std::int32_t n = 0; n < static_cast<std::int32_t>(kArtItemBase) + shape.FirstMultiItem();
         ++n) {
        all["tile data"][static_cast<std::uint32_t>(n)] = Written([&](ByteWriter& w) {
            if (n < static_cast<std::int32_t>(kArtItemBase)) {
                CTileTerrainInfo info;
                info.ReadInfo(static_cast<std::uint16_t>(n), files);
                info.Write(w, shape.layout);
            } else {
                CTileItemInfo info;
                info.ReadInfo(n - static_cast<std::int32_t>(kArtItemBase), files);
                info.Write(w, shape.layout);
            }
        });
    }
    for (std::uint32_t n = 0; n < 0x4000; ++n) {
        HueEntry hue;
        std::uint32_t header = 0;
        if (ReadHue(files, files.GetVerDataTable(), n, hue, &header)) {
            all["hues"][n] = Written([&](ByteWriter& w) {
                w.u32(header);
                for (const std::uint16_t c : hue.m_Colours) {
                    w.u16(c);
                }
                w.u16(hue.m_wTableStart).u16(hue.m_wTableEnd);
                w.bytes(ByteSpan(reinterpret_cast<const std::uint8_t*>(hue.m_szName), 20));
            });
        }
        if (const auto anim = ReadAnimData(files, n)) {
            all["animdata"][n] = Written([&](ByteWriter& w) {
                w.u8(anim->frameInterval).u8(anim->startInterval);
                for (const std::uint32_t f : anim->frames) {
                    w.u32(f);
                }
            });
        }
    }
    return all;
}

// A patch with records of every kind the merge writes, and some it keeps: each record's bytes
// in the client's layout where the kind has one.
std::vector<mk::SamplePatch> PatchOfEveryKind(CClientFiles& files) {
    const auto bytes = [](std::size_t n, std::uint8_t seed) {
        std::vector<std::uint8_t> b(n);
        for (std::size_t i = 0; i < n; ++i) {
            b[i] = static_cast<std::uint8_t>(seed + i * 7);
        }
        return b;
    };
    const TileDataShape shape = GetTileDataShape(files);
    const auto multis = static_cast<std::uint32_t>(files.GetIndexCount(kSlotMultiIdx));
    return {{kSlotArt, kArtItemBase + 5, bytes(40, 1)},
            {kSlotArt, 7, {}},
            {kSlotGumpArt, 3, bytes(16, 2), 2, 4},
            {kSlotSound, 1, bytes(48, 3)},
            {kSlotTexMaps, 1, bytes(64 * 64 * 2, 4)},
            {kSlotLight, 2, bytes(30, 5), 5, 6},
            {kSlotAnim, 110, bytes(600, 6)},
            {kSlotMulti, 1, bytes(48, 7)},
            {kSlotMulti, multis + 2, bytes(41, 8)},  // past the index; a cut component
            {kSlotSkills, 2, bytes(20, 9)},
            {kSlotMap0, 5, bytes(200, 10)},
            {kSlotMap0, 0x3FFFFFF, bytes(196, 11)},  // past the map's end: kept
            {kSlotStatics0, 10, bytes(21, 12)},
            {kSlotStatics0, 11, {}},
            {kSlotTileData, 3, bytes(TileGroupBytes(3, shape), 13)},
            {kSlotTileData, 600, bytes(TileGroupBytes(600, shape), 14)},
            {kSlotTileData, 601, bytes(TileGroupBytes(601, shape) + 1, 15)},  // kept
            {kSlotAnimData, 2, bytes(548, 16)},
            {kSlotHues, 2, bytes(1220, 17)},
            {kSlotHues, 0, bytes(708, 18)},  // short of a group: kept
            {40, 1, bytes(10, 19)}};         // no file's: kept
}

// After a merge, the client's files with the output laid over them read what the client read
// with the patch, entry for entry of every kind; the records the client would not apply whole
// are kept in the output's "verdata.mul" with their bytes. On a damaged client the damaged
// entries are listed and still read as damaged.
TEST(ClientWriterTest, MergedPatchReadsTheSameWithoutIt) {
    enum Sample { Old, Newer, Damaged, NewerDamaged };
    for (const Sample sample : {Old, Newer, Damaged, NewerDamaged}) {
        SCOPED_TRACE(sample);
        TempDir dir;
        const fs::path source = dir.Path() / "client";
        const fs::path merged = dir.Path() / "merged";
        const bool damaged = sample == Damaged || sample == NewerDamaged;
        test::WriteSample(source, sample == Newer || sample == NewerDamaged);
        std::vector<mk::SamplePatch> patches;
        {
            // The sample's own records (the old client's), then one or more of every kind.
            Client client(source);
            client.LoadPatch();
            for (std::int32_t i = 0; i < client.table.GetCount(); ++i) {
                const CUOVersionBlock& r = client.table.ElementAt(i);
                mk::SamplePatch p{r.m_dwFileId, r.m_dwBlock,
                                  std::vector<std::uint8_t>(r.m_dwLength), r.m_wExtra1,
                                  r.m_wExtra2};
                ASSERT_TRUE(client.files.ReadData(kSlotVerData, IndexFromPatch(r), p.data));
                patches.push_back(std::move(p));
            }
            for (mk::SamplePatch& p : PatchOfEveryKind(client.files)) {
                patches.push_back(std::move(p));
            }
        }
        // A multi numbered past any client's is kept, not met with an index grown to reach it.
        patches.push_back({kSlotMulti, 0x40000, std::vector<std::uint8_t>(12, 3)});
        // A record of no file's whose length field has its top bit set: kept with its 16 bytes.
        patches.push_back({40, 2, std::vector<std::uint8_t>(16, 0x5A)});
        // An art record whose data lies outside the patch file: the entry reads as damaged.
        patches.push_back({kSlotArt, kArtItemBase + 9, std::vector<std::uint8_t>(10, 1)});
        std::vector<std::uint8_t> verdata = mk::BuildVerData(patches);
        StoreLE32(verdata.data() + 4 + (patches.size() - 1) * 20 + 8, 0x7FFFFF00);
        StoreLE32(verdata.data() + 4 + (patches.size() - 2) * 20 + 12, 0x80000010);
        dir.Write("client/verdata.mul", verdata);
        if (damaged) {
            mk::DamageClient(source, 7);  // the containers' tables too
        }

        Client patched(source);
        ASSERT_TRUE(patched.LoadPatch());
        PatchOverlay overlay;
        overlay.multiComponentSize = GetMultiRecordSize(patched.files);
        const MergeResult result = MergePatchRecords(patched.files, (dir.Path() / "out").string(),
                                                     false, std::nullopt, nullptr, {}, &overlay);
        fs::copy(source, merged);
        for (const auto& entry : fs::directory_iterator(dir.Path() / "out")) {
            fs::copy_file(entry.path(), merged / entry.path().filename(),
                          fs::copy_options::overwrite_existing);
        }
        // The output as a client opens it: its own "verdata.mul" holds only the records kept.
        Client plain(merged);
        ASSERT_TRUE(plain.LoadPatch());
        ASSERT_EQ(result.written.back().kind, "patch");
        EXPECT_EQ(static_cast<std::uint32_t>(plain.table.GetCount()),
                  result.written.back().records);
        if (!damaged) {
            // The map block past the end, the long tile data group, the short hue group, the
            // two records of no file, the far multi.
            EXPECT_EQ(result.written.back().records, 6u);
        }
        IndexRecord kept;
        std::vector<std::uint8_t> keptBytes(16);
        EXPECT_TRUE(damaged ||
                    (plain.table.FindRecord(40, 2, kept) && kept.m_dwLength == 0x80000010u &&
                     plain.files.ReadData(kSlotVerData, kept, keptBytes) &&
                     keptBytes == std::vector<std::uint8_t>(16, 0x5A)));
        const auto before = ReadEveryEntry(patched.files, 0x10000);
        const auto after = ReadEveryEntry(plain.files, 0x10000);
        for (const auto& [kind, entries] : before) {
            const auto& written = after.at(kind);
            EXPECT_TRUE(damaged || !entries.empty()) << kind;
            for (const auto& [n, e] : entries) {
                const auto found = written.find(n);
                ASSERT_NE(found, written.end()) << kind << " " << n;
                ASSERT_EQ(e, found->second) << kind << " " << n;
            }
            for (const auto& entry : written) {
                EXPECT_EQ(entries.count(entry.first), 1u) << kind << " " << entry.first;
            }
        }
        // Every entry left damaged is listed: the art record past the patch file's end, and on
        // the damaged client those whose data lies outside their files.
        std::map<std::string, std::set<std::uint32_t>> listed;
        for (const MergeResult::Written& w : result.written) {
            listed[w.kind].insert(w.damaged.begin(), w.damaged.end());
        }
        if (!damaged) {  // there the damage may have given it another file id
            EXPECT_EQ(listed["art"].count(kArtItemBase + 9), 1u);
        }
        if (sample == Old) {
            // A client file that cannot be read ends the merge with one message, no output.
            fs::remove(source / "tiledata.mul");
            fs::create_directory(source / "tiledata.mul");
            Client again(source);
            ASSERT_TRUE(again.LoadPatch());
            EXPECT_THROW(MergePatchRecords(again.files, (dir.Path() / "again").string(), false,
                                           std::nullopt),
                         COutputError);
            EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"client", "merged", "out"}));
        }
        // Every damaged entry of a kind written is listed (a kind no record reaches is not
        // written), but for one whose record the output's patch file keeps: the merge did not
        // write it, and it reads as damaged from there as it did.
        for (const auto& [kind, index, data] : kIndexedKinds) {
            for (const auto& [n, e] : before.at(kind)) {
                IndexRecord keptRecord;
                if (listed.count(kind) != 0 && e.status == ReadStatus::Damaged &&
                    !plain.table.FindRecord(static_cast<std::uint32_t>(data), n, keptRecord)) {
                    EXPECT_EQ(listed[kind].count(n), 1u) << kind << " " << n;
                }
            }
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
    std::iota(hue.begin(), hue.end(), 0x80);  // the name too: bytes of no text encoding
    overlay.hues[9] = hue;
    overlay.hues[0xFFFFFF] = hue;  // past the file: not merged
    const std::uint64_t multis = client.files.GetIndexCount(kSlotMultiIdx);
    const std::vector<std::uint8_t> components = {1, 0, 2, 0, 3, 0, 4, 0, 1, 0, 0, 0,
                                                  9, 0, 8, 0, 7, 0, 6, 0, 0, 0, 0, 0};
    overlay.multis[1] = components;
    const auto added = static_cast<std::uint32_t>(multis + 2);
    overlay.multis[added] = components;
    const fs::path out = dir.Path() / "out";
    const MergeResult result =
        MergePatchRecords(client.files, out.string(), false, std::nullopt, nullptr, {}, &overlay);
    ASSERT_EQ(result.written.size(), 2u);
    EXPECT_EQ(result.written[0].kind, "multis");
    EXPECT_EQ(result.written[0].records, 2u);
    EXPECT_EQ(result.written[1].records, 1u);
    // Without records of the patch file the output holds no "verdata.mul" of its own.
    EXPECT_EQ(Names(out),
              (std::vector<std::string>{"hues.mul", "manifest.json", "multi.idx", "multi.mul"}));

    std::vector<std::uint8_t> hues = TempDir::ReadFile((source / "hues.mul").string());
    std::copy(hue.begin(), hue.end(), hues.begin() + 708 + 4 + 88);
    EXPECT_EQ(TempDir::ReadFile((out / "hues.mul").string()), hues);

    Client merged(out);
    ASSERT_EQ(merged.files.GetIndexCount(kSlotMultiIdx), multis + 3);
    for (std::uint32_t n = 0; n < multis + 3; ++n) {
        const EntryRead was =
            n < multis ? ReadEntry(client.files, kSlotMultiIdx, kSlotMulti, n) : EntryRead{};
        EXPECT_EQ(ReadEntry(merged.files, kSlotMultiIdx, kSlotMulti, n).bytes,
                  n == 1 || n == added ? components : was.bytes)
            << n;
    }
}

}  // namespace
}  // namespace tessaly
