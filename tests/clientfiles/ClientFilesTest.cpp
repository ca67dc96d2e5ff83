// The file set: slots, finding the client (also through a Wine prefix's registry file), opening
// in the directories, index records and entry data.

#include "Builders.h"
#include "ClientDirs.h"
#include "EntryReader.h"
#include "Raised.h"
#include "TarnError.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <optional>

namespace tessaly {
namespace {

using test::Counting;
using test::IndexFile;
using test::PatchFile;

using ClientFilesTest = test::ClientDirTest;
using test::TempDir;

TEST_F(ClientFilesTest, SlotsOutsideTheTableAreRefusedAndDataFilesToldFromPatchFiles) {
    for (const std::int32_t slot : {25, 33, -1}) {
        EXPECT_EQ(CClientFiles::GetFileName(slot), nullptr) << slot;
        EXPECT_FALSE(m_files.OpenSlot(slot)) << slot;
    }
    EXPECT_THROW(m_files.GetFile(33), std::out_of_range);

    // Client data files are told from patch files by name.
    for (const char* name :
         {"ART.MUL", "hues.mul", "Multi.idx", "map5.mul", "staidx2.mul", "stadifl1.mul",
          "anim4.idx", "unifont12.mul", "speech.mul", "AnimationFrame1.uop", "artLegacyMUL.uop"}) {
        EXPECT_TRUE(CClientFiles::IsClientDataFileName(name)) << name;
    }
    for (const char* name : {"verdata.mul", "VERDATA.MUL", "patch.mul", "map.mul", "mymap0.mul",
                             "art.mul.bak", "hues.pat", ""}) {
        EXPECT_FALSE(CClientFiles::IsClientDataFileName(name)) << name;
    }
}

struct FixedDirs : CClientDirSource {
    bool m_hasKey = true;
    RegistryValue m_exe{true, true, "C:\\Game\\client.exe"};
    RegistryValue m_cd;
    bool ReadClientKey(RegistryValue& exePath, RegistryValue& cdPath) override {
        exePath = m_exe;
        cdPath = m_cd;
        return m_hasKey;
    }
    std::string MapPath(const std::string& windowsPath) const override { return windowsPath; }
};

// The program name is cut from the client's path, other value types are kept out; a file is
// looked for in the chosen directory, then the client's, then the CD's.
TEST_F(ClientFilesTest, FindClientDirsCutsTheProgramNameAndOpenInDirsTriesChosenClientCD) {
    CVerDataTable table;
    CClientFiles files(&table);
    FixedDirs dirs;
    dirs.m_cd = {true, true, "D:\\a much longer CD path than the program path\\"};
    ASSERT_TRUE(files.FindClientDirs(dirs));
    EXPECT_EQ(files.m_sClientDir, "C:\\Game");
    EXPECT_EQ(files.m_sCDDir, "D:\\a much longer CD path than the program path\\");
    CQFile file;
    EXPECT_FALSE(files.OpenInDirs(file, "art.mul", 0));
    EXPECT_EQ(file.GetFilePath(), "D:\\a much longer CD path than the program path\\art.mul");
    EXPECT_EQ(files.GetBasePath("art.mul"), "C:\\Game/art.mul");

    m_dir.Write("art.mul", {1});
    files.SetChosenDir(m_dir.Path().string());
    EXPECT_TRUE(files.OpenInDirs(file, "art.mul", 0));
    EXPECT_EQ(file.GetFilePath(), m_dir.File("art.mul"));
    EXPECT_EQ(files.GetBasePath(nullptr), m_dir.Path().string() + "/");

    dirs.m_exe = {true, true, "client.exe"};  // no backslash: kept whole
    dirs.m_cd = {true, false, ""};            // not a plain string: CD directory unchanged
    ASSERT_TRUE(files.FindClientDirs(dirs));
    EXPECT_EQ(files.m_sClientDir, "client.exe");
    EXPECT_EQ(files.m_sCDDir, "D:\\a much longer CD path than the program path\\");

    dirs.m_hasKey = false;
    dirs.m_exe = {true, true, "X:\\other\\x.exe"};
    EXPECT_FALSE(files.FindClientDirs(dirs));
    EXPECT_EQ(files.m_sClientDir, "client.exe");
}

// Installs copied from Windows mix cases in their names; every slot finds its file regardless.
TEST_F(ClientFilesTest, FilesAreFoundByNameRegardlessOfCaseAndOpenAllPassesOverAMissingPatchFile) {
    auto mixed = [](std::string name) {
        for (std::size_t i = 0; i < name.size(); i += 2) {
            name[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
        }
        return name;
    };
    for (std::int32_t slot = 0; slot < kFileSlotCount; ++slot) {
        if (const char* name = CClientFiles::GetFileName(slot)) {
            m_dir.Write(mixed(name), {std::uint8_t(slot)});
        }
    }
    ASSERT_EQ(m_files.OpenAll(0xFFFFFFFFu), 33);
    EXPECT_EQ(m_files.GetFile(kSlotSkillsIdx).GetFilePath(), m_dir.File(mixed("skills.idx")));

    // OpenAll passes over a missing patch file only; a slot left out of the mask fails nothing.
    ASSERT_TRUE(std::filesystem::remove(m_dir.File(mixed("verdata.mul"))));
    m_files.CloseAll();
    EXPECT_EQ(m_files.OpenAll(0xFFFFFFFFu), 33);
    m_files.CloseAll();
    ASSERT_TRUE(std::filesystem::remove(m_dir.File(mixed("skills.mul"))));
    EXPECT_EQ(m_files.OpenAll(0xFFFFFFFFu), 16);
    EXPECT_EQ(m_files.OpenAll(~(1u << 16)), 33);

    // Two names differing only by case: the exact name wins, else the first in byte order.
    m_dir.Write("SKILLS.IDX", {1});
    m_files.CloseAll();
    ASSERT_TRUE(m_files.OpenSlot(kSlotSkillsIdx));
    EXPECT_EQ(m_files.GetFile(kSlotSkillsIdx).GetFilePath(), m_dir.File("SKILLS.IDX"));
    m_dir.Write("skills.idx", {2});
    m_files.CloseAll();  // the directory is listed anew for the next opening
    ASSERT_TRUE(m_files.OpenSlot(kSlotSkillsIdx));
    EXPECT_EQ(m_files.GetFile(kSlotSkillsIdx).GetFilePath(), m_dir.File("skills.idx"));

    // A container is found the same way and is read instead of the .mul pair.
    m_dir.Write("ARTLEGACYMUL.UOP", {0});
    m_files.CloseAll();
    EXPECT_TRUE(m_files.IsContainerSlot(kSlotArt));
    EXPECT_EQ(m_files.GetFile(kSlotArt).GetFilePath(), m_dir.File("ARTLEGACYMUL.UOP"));
    EXPECT_EQ(FindFileNoCase(m_dir.Path().string(), "nothing.mul"), "");
}

TEST_F(ClientFilesTest, ReadIndexRecordFromTheBaseIndexOrTheSlotsOwnPath) {
    m_dir.Write("skills.idx", IndexFile({
                                  {0, 5, 0x1234, 0x5678},  // entry 0, data at offset 0
                                  {0xFFFFFFFFu, 5, 0, 0},  // absent
                                  {5, 0, 0, 0},            // zero length
                                  {5, 0x80000000u, 0, 0},  // length field not 0: has data
                              }));
    IndexRecord record;
    ASSERT_TRUE(m_files.ReadIndexRecord(15, 16, 0, record));
    EXPECT_EQ(record, (IndexRecord{0, 5, 0x1234, 0x5678}));
    EXPECT_TRUE(m_files.ReadIndexRecord(15, 16, 3, record));
    for (const std::uint32_t none : {1u, 2u, 4u, 0xFFFFFFFFu}) {  // 4 on: past the end
        EXPECT_FALSE(m_files.ReadIndexRecord(15, 16, none, record)) << none;
    }
    EXPECT_FALSE(m_files.ReadIndexRecord(13, 14, 0, record));  // no such file

    // A file cut in the middle of entry 1.
    m_files.CloseAll();
    std::vector<std::uint8_t> cut = IndexFile({{0, 5, 0, 0}});
    cut.resize(20, 0xFF);
    m_dir.Write("skills.idx", cut);
    EXPECT_TRUE(m_files.ReadIndexRecord(15, 33, 0, record));
    EXPECT_EQ(record, (IndexRecord{0, 5, 0, 0}));
    EXPECT_FALSE(m_files.ReadIndexRecord(15, 33, 1, record));

    // A slot pointed at another index file reads that file, not what was read before.
    m_dir.Write("other.idx", IndexFile({{7, 9, 1, 2}, {16, 3, 0, 0}}));
    m_files.GetFile(15).Close();
    m_files.SetSlotPath(15, (m_dir.Path() / "other.idx").string());
    ASSERT_TRUE(m_files.ReadIndexRecord(15, 33, 1, record));
    EXPECT_EQ(record, (IndexRecord{16, 3, 0, 0}));

    // A slot's own path is opened before the directories.
    std::string other = m_dir.Write("other.mul", PatchFile({}, 4));
    m_dir.Write("verdata.mul", {1, 2, 3});
    ASSERT_TRUE(m_files.SetSlotPath(kSlotVerData, other));
    ASSERT_TRUE(m_files.OpenSlot(kSlotVerData));
    EXPECT_EQ(m_files.GetFile(kSlotVerData).GetFilePath(), other);
    EXPECT_EQ(m_files.GetFile(kSlotVerData).GetLength(), 4u);
    EXPECT_FALSE(m_files.SetSlotPath(40, other));
}

// A patch record's index record points into the patch file (bit 31 of its length) with its
// extra words.
TEST_F(ClientFilesTest, PatchRecordsTakePrecedenceUnlessPatchIdIs33) {
    m_dir.Write("skills.idx", IndexFile({{0, 3, 0, 0}, {3, 3, 0, 0}}));
    UsePatch(PatchFile({{16, 1, 44, 4, 7, 8}, {16, 0, 48, 0, 0, 0}}));
    IndexRecord record;
    ASSERT_TRUE(m_files.ReadIndexRecord(15, 16, 1, record));
    EXPECT_EQ(record, (IndexRecord{44, 0x80000004u, 7, 8}));
    // A deleted entry (length 0) still answers true.
    ASSERT_TRUE(m_files.ReadIndexRecord(15, 16, 0, record));
    EXPECT_EQ(record.GetLength(), 0u);
    // 33: the base index alone.
    ASSERT_TRUE(m_files.ReadIndexRecord(15, 33, 1, record));
    EXPECT_EQ(record, (IndexRecord{3, 3, 0, 0}));
}

TEST_F(ClientFilesTest, ReadsTellAbsentDamagedAndFailedApart) {
    m_dir.Write("skills.mul", Counting(10));
    std::uint8_t data[16] = {};
    EXPECT_TRUE(m_files.ReadData(16, IndexRecord{0, 10, 0, 0}, data));

    const std::pair<IndexRecord, ReadStatus> reads[] = {
        {IndexRecord{5, 6, 0, 0}, ReadStatus::Damaged},   // one byte past the end
        {IndexRecord{0, 17, 0, 0}, ReadStatus::Damaged},  // longer than the buffer
        {IndexRecord{}, ReadStatus::Absent},
        {IndexRecord{0, 0x80000001u, 0, 0}, ReadStatus::Damaged},  // no patch file
    };
    for (const auto& [record, status] : reads) {
        EXPECT_EQ(m_files.ReadDataStatus(16, record, data), status) << record.m_dwOffset;
        EXPECT_FALSE(m_files.ReadData(16, record, data));
    }
    EXPECT_EQ(m_files.ReadDataStatus(14, IndexRecord{0, 1, 0, 0}, data), ReadStatus::Failed);

    // Index records: empty, past the data's end, past the index's end, without an index file.
    m_dir.Write("skills.idx", IndexFile({{0, 10, 0, 0}, {0xFFFFFFFFu, 0, 0, 0}, {8, 4, 0, 0}}));
    IndexRecord record;
    const ReadStatus entries[] = {ReadStatus::Ok, ReadStatus::Absent, ReadStatus::Damaged,
                                  ReadStatus::Absent};
    for (std::uint32_t entry = 0; entry < 4; ++entry) {
        EXPECT_EQ(m_files.ReadIndexStatus(kSlotSkillsIdx, 33, entry, record), entries[entry])
            << entry;
    }
    EXPECT_EQ(m_files.ReadIndexStatus(kSlotLightIdx, 33, 0, record), ReadStatus::Failed);
}

TEST_F(ClientFilesTest, LoadMulDataRefusesLengthsPastTheEndWithoutAllocating) {
    m_dir.Write("multi.mul", Counting(100));
    std::vector<std::uint8_t> block;
    LoadMulData(m_files, kSlotMulti, IndexRecord{90, 10, 0, 0}, block);
    ASSERT_EQ(block.size(), 10u);
    EXPECT_EQ(block[0], 90);
    LoadMulData(m_files, kSlotMulti, IndexRecord{100, 0, 0, 0}, block);
    EXPECT_TRUE(block.empty());

    for (IndexRecord bad : {IndexRecord{91, 10, 0, 0}, IndexRecord{0, 0x7FFFFFFFu, 0, 0},
                            IndexRecord{0xFFFFFFF0u, 0x20, 0, 0}}) {
        block.assign(3, 1);
        EXPECT_EQ(test::RaisedBy([&] { LoadMulData(m_files, kSlotMulti, bad, block); }),
                  (test::Raised{2, kE_FAIL, kDamagedEntry}))
            << bad.m_dwOffset;
        EXPECT_EQ(block.capacity(), 0u);  // empty, nothing held
    }
    // A file that is not there is a failed read, not damage.
    EXPECT_EQ(test::RaisedBy([&] {
                  LoadMulData(m_files, kSlotGumpArt, IndexRecord{0, 1, 0, 0}, block);
              }),
              (test::Raised{2, kE_FAIL, "LoadMulData: Read"}));
}

const char* kSystemReg =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\Machine\n\n"
    "[Software\\\\Other\\\\1.0] 1700000000\n"
    "\"ExePath\"=\"C:\\\\wrong\\\\other.exe\"\n\n"
    "[Software\\\\Origin Worlds Online\\\\Ultima Online\\\\1.0] 1700000000\n"
    "#time=1d9f0c0a0b0c0d0\n"
    "\"ExePath\"=\"C:\\\\Program Files\\\\Game \\\"X\\\"\\\\client.exe\"\r\n"
    "\"InstCDPath\"=\"E:\\\\\"\n"
    "\"Other\"=dword:00000001\n\n"
    "[Software\\\\Origin Worlds Online\\\\Ultima Online\\\\1.0\\\\Sub] 1700000000\n"
    "\"ExePath\"=\"C:\\\\sub\\\\x.exe\"\n";

// The client's key alone, in the 32-bit view of a 64-bit prefix too, and the keys of current
// clients' installers ("InstallDir", a directory, given back with a backslash after it): the
// first key holding a value wins. Without a key of the client's nothing is found.
TEST(WineRegistryTest, ParsesKeysViewsValueTypesAndEscapesAndMapsDrives) {
    const std::string view32 =
        "[Software\\\\Wow6432Node\\\\Origin Worlds Online\\\\Ultima Online\\\\1.0] 1\n"
        "\"ExePath\"=\"C:\\\\Program Files (x86)\\\\Game\\\\client.exe\"\n";
    const std::string plain = "[Software\\\\Origin Worlds Online\\\\Ultima Online\\\\1.0] 1\n";
    const std::string current =
        "[Software\\\\Wow6432Node\\\\Electronic Arts\\\\EA Games\\\\Ultima Online Classic] 1\n"
        "\"ExePath\"=\"C:\\\\not\\\\this.exe\"\n"
        "\"InstallDir\"=\"C:\\\\Program Files (x86)\\\\Electronic Arts\\\\UO\"\n";
    for (const auto& [text, expected] : std::vector<std::pair<std::string, std::string>>{
             {kSystemReg, "C:\\Program Files\\Game \"X\"\\client.exe"},
             {"[Software\\\\Else] 1\n\"ExePath\"=\"C:\\\\x\"\n", ""},
             {plain + view32, "C:\\Program Files (x86)\\Game\\client.exe"},
             {view32 + plain + "\"InstCDPath\"=\"D:\\\\\"\n", ""},
             {current, "C:\\Program Files (x86)\\Electronic Arts\\UO\\"}}) {
        RegistryValue exe;
        RegistryValue cd;
        EXPECT_EQ(CWineRegistry::ParseSystemReg(text, exe, cd), text.find("Ultima") != text.npos)
            << text;
        EXPECT_EQ(exe.text, expected) << text;
        EXPECT_EQ(exe.present, !expected.empty()) << text;
    }

    // Other value types are not plain strings; keys ignore case.
    RegistryValue exe;
    RegistryValue cd;
    ASSERT_TRUE(
        CWineRegistry::ParseSystemReg("[software\\\\ORIGIN WORLDS ONLINE\\\\Ultima Online\\\\1.0]\n"
                                      "\"ExePath\"=str(2):\"%ProgramFiles%\\\\x.exe\"\n"
                                      "\"InstCDPath\"=hex(2):43,00,3a,00\n",
                                      exe, cd));
    EXPECT_EQ(std::tuple(exe.present, exe.isString, cd.present, cd.isString),
              std::tuple(true, false, true, false));

    // Escaped characters beyond ASCII come out as UTF-8; an unterminated string is not one.
    ASSERT_TRUE(CWineRegistry::ParseSystemReg(
        "[Software\\\\Origin Worlds Online\\\\Ultima Online\\\\1.0]\n"
        "\"ExePath\"=\"C:\\\\Caf\\xe9\\\\c.exe\"\n\"InstCDPath\"=\"D:\\\\unterminated\n",
        exe, cd));
    EXPECT_EQ(exe.text, "C:\\Caf\xc3\xa9\\c.exe");
    EXPECT_FALSE(cd.isString);

    // Wine escapes UTF-16 code units: a character beyond them comes as a surrogate pair; half a
    // pair is no character.
    ASSERT_TRUE(
        CWineRegistry::ParseSystemReg("[Software\\\\Origin Worlds Online\\\\Ultima Online\\\\1.0]\n"
                                      "\"ExePath\"=\"C:\\\\\\xd83c\\xdfae\\\\\\xd83c.exe\"\n",
                                      exe, cd));
    EXPECT_EQ(exe.text, "C:\\\xf0\x9f\x8e\xae\\\xef\xbf\xbd.exe");

    // Drives map into the prefix.
    CWineRegistry registry("/home/u/.wine");
    EXPECT_EQ(registry.MapPath("C:\\Program Files\\Game"),
              "/home/u/.wine/drive_c/Program Files/Game");
    EXPECT_EQ(registry.MapPath("c:\\"), "/home/u/.wine/drive_c/");
    EXPECT_EQ(registry.MapPath("D:\\cd\\uo"), "/home/u/.wine/dosdevices/d:/cd/uo");
    EXPECT_EQ(registry.MapPath("client.exe"), "client.exe");

    // Components are found regardless of case, as Wine finds them; what is not there stays.
    TempDir prefix;
    std::filesystem::create_directories(prefix.File("drive_c/Program Files/Game"));
    EXPECT_EQ(CWineRegistry(prefix.Path()).MapPath("c:\\PROGRAM FILES\\game\\Missing\\x"),
              prefix.File("drive_c/Program Files/Game/Missing/x"));
}

// An environment variable set (or, given null, unset) until the end of the scope.
struct ScopedEnv {
    ScopedEnv(const char* name, const char* value) : name(name) {
        if (const char* was = std::getenv(name)) {
            old = was;
        }
        Set(value);
    }
    ~ScopedEnv() { Set(old ? old->c_str() : nullptr); }
    void Set(const char* value) { value != nullptr ? setenv(name, value, 1) : unsetenv(name); }

    const char* name;
    std::optional<std::string> old;
};

TEST(WineRegistryTest, FindClientDirsThroughThePrefix) {
    TempDir prefix;
    ScopedEnv env("WINEPREFIX", prefix.Path().c_str());
    CVerDataTable table;
    CClientFiles files(&table);
    EXPECT_FALSE(files.FindClientDirs());  // no registry file
    ASSERT_EQ(mkfifo(prefix.File("system.reg").c_str(), 0600), 0);
    EXPECT_FALSE(files.FindClientDirs());  // not a file: refused, not waited on
    std::filesystem::remove(prefix.File("system.reg"));

    std::ofstream(prefix.File("system.reg")) << kSystemReg;
    ASSERT_TRUE(files.FindClientDirs());
    EXPECT_EQ(files.m_sClientDir, prefix.File("drive_c") + "/Program Files/Game \"X\"");
    EXPECT_EQ(files.m_sCDDir, prefix.File("dosdevices") + "/e:/");
    // The folder the key names is where the files are looked for: gone, it holds none.
    EXPECT_FALSE(files.BaseDirHoldsClientFiles());
    std::filesystem::create_directories(files.m_sClientDir);
    std::ofstream(files.m_sClientDir + "/ARTIDX.MUL") << "x";
    files.SetChosenDir(std::string());  // forgets the listing
    EXPECT_TRUE(files.BaseDirHoldsClientFiles());
    std::ofstream(prefix.File("drive_c/Program Files/Game \"X\"/art.mul")) << "x";
    EXPECT_TRUE(files.OpenSlot(kSlotArt));

    ScopedEnv noPrefix("WINEPREFIX", nullptr);
    ScopedEnv noHome("HOME", nullptr);
    EXPECT_FALSE(CWineRegistry::DefaultPrefix().has_value());
    EXPECT_FALSE(files.FindClientDirs());
}

}  // namespace
}  // namespace tessaly
