// Finding the client through a Wine prefix's registry file.

#include "ClientDirs.h"
#include "ClientFiles.h"
#include "TempDir.h"
#include "VerDataTable.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessaly {
namespace {

using test::TempDir;

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
TEST(WineRegistryTest, ReadsThe32BitViewAndTheKeysOfCurrentInstallers) {
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
             {"", ""},
             {view32, "C:\\Program Files (x86)\\Game\\client.exe"},
             {plain + view32, "C:\\Program Files (x86)\\Game\\client.exe"},
             {view32 + plain + "\"InstCDPath\"=\"D:\\\\\"\n", ""},
             {current, "C:\\Program Files (x86)\\Electronic Arts\\UO\\"},
             {plain + current, "C:\\Program Files (x86)\\Electronic Arts\\UO\\"},
             {current + view32, "C:\\Program Files (x86)\\Game\\client.exe"}}) {
        RegistryValue exe;
        RegistryValue cd;
        EXPECT_EQ(CWineRegistry::ParseSystemReg(text, exe, cd), text.find("Ultima") != text.npos)
            << text;
        EXPECT_EQ(exe.text, expected) << text;
        EXPECT_EQ(exe.present, !expected.empty()) << text;
        EXPECT_EQ(exe.isString, !expected.empty()) << text;
    }
}

TEST(WineRegistryTest, OtherValueTypesAreNotPlainStringsAndKeysIgnoreCase) {
    RegistryValue exe;
    RegistryValue cd;
    ASSERT_TRUE(
        CWineRegistry::ParseSystemReg("[software\\\\ORIGIN WORLDS ONLINE\\\\Ultima Online\\\\1.0]\n"
                                      "\"ExePath\"=str(2):\"%ProgramFiles%\\\\x.exe\"\n"
                                      "\"InstCDPath\"=hex(2):43,00,3a,00\n",
                                      exe, cd));
    EXPECT_TRUE(exe.present);
    EXPECT_FALSE(exe.isString);
    EXPECT_TRUE(cd.present);
    EXPECT_FALSE(cd.isString);

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
}

TEST(WineRegistryTest, MapsDrivesIntoThePrefix) {
    CWineRegistry registry("/home/u/.wine");
    EXPECT_EQ(registry.MapPath("C:\\Program Files\\Game"),
              "/home/u/.wine/drive_c/Program Files/Game");
    EXPECT_EQ(registry.MapPath("c:\\"), "/home/u/.wine/drive_c/");
    EXPECT_EQ(registry.MapPath("E:\\"), "/home/u/.wine/dosdevices/e:/");
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

    std::filesystem::create_directories(prefix.File("drive_c/Program Files/Game \"X\""));
    std::ofstream(prefix.File("drive_c/Program Files/Game \"X\"/art.mul")) << "x";
    EXPECT_TRUE(files.OpenSlot(kSlotArt));

    // A current client's installer names the directory itself.
    std::ofstream(prefix.File("system.reg"))
        << "[Software\\\\Electronic Arts\\\\EA Games\\\\Ultima Online Classic] 1\n"
           "\"InstallDir\"=\"C:\\\\Games\\\\UO Classic\"\n";
    CClientFiles current(&table);
    ASSERT_TRUE(current.FindClientDirs());
    EXPECT_EQ(current.m_sClientDir, prefix.File("drive_c") + "/Games/UO Classic");
    EXPECT_EQ(current.m_sCDDir, "");

    ScopedEnv noPrefix("WINEPREFIX", nullptr);
    ScopedEnv noHome("HOME", nullptr);
    EXPECT_FALSE(CWineRegistry::DefaultPrefix().has_value());
    EXPECT_FALSE(files.FindClientDirs());
}

}  // namespace
}  // namespace tessaly
