// The command-line tools run as processes: the generator's output, each command's text and --json
// document, refusals (one line, status 2), and what exports write and leave out.

#include "AnimType.h"
#include "CVerDataEdits.h"
#include "ClientFiles.h"
#include "MultiType.h"
#include "SampleClient.h"
#include "Text.h"
#include "UopFile.h"
#include "VerDataTable.h"
#include "categories/QtTestSupport.h"
#include "core/TempDir.h"
#include "patch/PatchBuilder.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <spawn.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

extern char** environ;

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using test::PatchFileBuilder;
using test::TempDir;
using Args = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

struct Result {
    int status = -1;  // the exit status; -1 when the process did not exit normally
    std::string out;
    std::string err;
};

const auto Read = [](const std::string& path) { return TempDir::ReadFile(path); };
std::string ReadText(const std::string& path) {
    const Bytes bytes = Read(path);
    return std::string(bytes.begin(), bytes.end());
}

// Runs a program with standard output to outPath and error to errPath; its exit status, or -1.
int Spawn(const char* program, const Args& args, const std::string& outPath,
          const std::string& errPath, int errFlags) {
    std::vector<char*> argv{const_cast<char*>(program)};
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), errFlags, 0600);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << program;
        return -1;
    }
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0) {
    }
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
}

// Runs a program with its standard output and error captured in files of scratch.
Result RunProgram(const char* program, const Args& args, const TempDir& scratch) {
    static int serial = 0;
    const std::string outPath = scratch.File("stdout-" + std::to_string(serial));
    const std::string errPath = scratch.File("stderr-" + std::to_string(serial++));
    const int status = Spawn(program, args, outPath, errPath, O_WRONLY | O_CREAT | O_TRUNC);
    return {status, ReadText(outPath), ReadText(errPath)};
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}
// Each part stands in the text.
void ExpectParts(const std::string& text, const Args& parts) {
    for (const std::string& part : parts) {
        EXPECT_TRUE(Contains(text, part)) << part << "\nnot in:\n" << text;
    }
}
// `n` bytes of recognisable filler for patch records.
Bytes Filler(std::size_t n, std::uint8_t seed = 1) {
    return PatchFileBuilder::Bytes(n, seed);
}
// The words of each list, one list after another.
Args Words(std::initializer_list<Args> lists) {
    Args words;
    for (const Args& list : lists) {
        words.insert(words.end(), list.begin(), list.end());
    }
    return words;
}

struct ToolsTest : ::testing::Test {
    // One sample client for the whole suite, written by the generator itself.
    static void SetUpTestSuite() {
        ::setenv("ALSOFT_DRIVERS", "null", 1);  // "play" plays on a silent device
        s_pClient = new TempDir;
        Result r = RunProgram(TESSALY_MKCLIENT_PATH, {s_pClient->File("client")}, *s_pClient);
        ASSERT_EQ(r.status, 0) << r.err;
    }
    static void TearDownTestSuite() { delete std::exchange(s_pClient, nullptr); }
    static std::string ClientDir() { return s_pClient->File("client"); }
    static long Lines(const std::string& text) { return std::ranges::count(text, '\n'); }
    static QJsonDocument Json(const std::string& text) {
        return QJsonDocument::fromJson(QByteArray::fromStdString(text));
    }
    static QImage Png(const std::string& path) {
        return QImage(QString::fromStdString(path), "PNG");
    }
    static QJsonObject Manifest(const std::string& folder) {
        return Json(ReadText(folder + "/manifest.json")).object();
    }

    // tessaly-cli on the sample client, or on the client in dir.
    Result Cli(Args args, const std::string& dir = ClientDir()) {
        args.insert(args.begin(), {"--client-dir", dir});
        return RunProgram(TESSALY_CLI_PATH, args, m_Scratch);
    }
    // A run that ends with the status given (0, or 2 for a refusal).
    Result Exits(int status, const Args& args, const std::string& dir = ClientDir()) {
        Result r = Cli(args, dir);
        EXPECT_EQ(r.status, status) << (args.empty() ? "" : args[0]) << ": " << r.err;
        return r;
    }
    // A successful run's standard output.
    std::string Ok(const Args& args, const std::string& dir = ClientDir()) {
        const Result r = Exits(0, args, dir);
        EXPECT_EQ(r.err, "");
        return r.out;
    }
    // The rows of a successful run's JSON document.
    QJsonArray Rows(const Args& args, const std::string& dir = ClientDir()) {
        return Json(Ok(Words({args, {"--json"}}), dir))["rows"].toArray();
    }
    // A refused run: status 2, nothing on standard output, one line naming the mistake.
    void ExpectRefused(const Args& args, const std::string& message,
                       const std::string& dir = ClientDir()) {
        const Result r = Exits(2, args, dir);
        EXPECT_EQ(r.out, "") << message;
        EXPECT_EQ(r.err, "tessaly-cli: " + message + "\n");
    }
    // Command lines split at " ; "; a word "@name" is the scratch folder's file `name`.
    std::vector<Args> Commands(const std::string& text) const {
        std::vector<Args> commands(1);
        std::istringstream in(text);
        for (std::string word; in >> word;) {
            if (word == ";") {
                commands.emplace_back();
            } else {
                commands.back().push_back(word[0] == '@' ? m_Scratch.File(word.substr(1)) : word);
            }
        }
        return commands;
    }
    // The ".pat" file the builder makes, as the scratch folder's `name`.
    std::string WritePat(const std::string& name, const PatchFileBuilder& builder) {
        return m_Scratch.Write(name, builder.Build());
    }
    // The generator's client in the scratch folder's `name`, written with the options given.
    std::string Generate(const std::string& name, Args options = {}) {
        options.push_back(m_Scratch.File(name));
        const Result r = RunProgram(TESSALY_MKCLIENT_PATH, options, m_Scratch);
        EXPECT_EQ(r.status, 0) << r.err;
        return m_Scratch.File(name);
    }
    // A copy of the sample client in the scratch folder's `name`.
    std::string CopyClient(const std::string& name) {
        fs::copy(ClientDir(), m_Scratch.File(name));
        return m_Scratch.File(name);
    }

    static TempDir* s_pClient;
    TempDir m_Scratch;
};

TempDir* ToolsTest::s_pClient = nullptr;

TEST_F(ToolsTest, GeneratorWritesEveryNamedFileTheSameWayTwiceAndTakesOneDirectory) {
    const std::string other = Generate("other");
    const auto files = [](const std::string& dir) {
        return std::ranges::distance(fs::directory_iterator(dir));
    };
    EXPECT_EQ(files(other), files(ClientDir()));
    for (const auto& file : fs::directory_iterator(ClientDir())) {
        EXPECT_EQ(Read(file.path()), Read(other / file.path().filename())) << file.path();
    }

    const std::string usage =
        "Usage: tessaly-mkclient [--full] [--modern] [--damage SEED] [--hostile CASE] DIR\n";
    const std::string help = RunProgram(TESSALY_MKCLIENT_PATH, {"x", "--help"}, m_Scratch).out;
    EXPECT_EQ(help.substr(0, usage.size()), usage);
    const std::string dir = m_Scratch.File("client");
    const std::string unexpected = "tessaly-mkclient: unexpected argument ";
    for (const auto& [args, err] : {std::pair<Args, std::string>{{"--full"}, usage},
                                    {{"--full", dir, "other"}, unexpected + "'other'\n"},
                                    {{"other", "--bogus", dir}, unexpected + "'--bogus'\n"}}) {
        const Result r = RunProgram(TESSALY_MKCLIENT_PATH, args, m_Scratch);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, err);
    }
    EXPECT_FALSE(fs::exists(dir));
}

// A ".pat" file of a multi and a hue record.
Bytes PatFile() {
    return PatchFileBuilder().Record(14, 5, Bytes(12)).Record(32, 1, Bytes(88)).Build();
}

// What each command prints on the sample client (its start or whole text, and parts of it); with
// --json, one compact document.
TEST_F(ToolsTest, EachCommandsTextOnTheSampleClientAndItsJson) {
    const std::string pat = m_Scratch.Write("edits.pat", PatFile());
    const auto expectJson = [&](Args args) {
        args.push_back("--json");
        const std::string out = Ok(args);
        // A document that parses, whole and compact, also where rows are printed as they are made.
        EXPECT_EQ(Json(out).toJson(QJsonDocument::Compact).toStdString() + "\n", out) << args[0];
    };
    const struct {
        Args args;
        std::string start;
        Args parts = {};
        bool whole = false;  // the start is the whole text
    } shown[] = {
        {{"files"},
         "",
         {" 4  art.mul       " + ClientDir() + "/art.mul  ",
          "22  verdata.mul   " + ClientDir() + "/verdata.mul  ", "\n23  -\n"}},
        {{"index", "3", "4", "0x4E3C"}, "", {"length 3366 extra 0x002c 0x0030 (patch file)"}},
        {{"index", "3", "4", "0"}, "", {"entry 0x0 of artidx.mul: no data"}},
        {{"verdata"},
         "9 records\n",
         {"   4  art.mul        0x00004e3c  0x00000888  3366        0x002c 0x0030\n",
          "   2  statics0.mul   0x00000202  0x000001ad  0           0x0000 0x0000  delete\n"}},
        {{"tiledata", "item", "0xE3C"}, "item 0x0e3c (patched)\nName    patched crate\n"},
        {{"tiledata", "terrain", "168"},
         "terrain 0x00a8\nName   water\nFlags  0x000000c8 3=LIQUID 6=BLOCK 7=WATER\n"},
        // Block 0x200 is replaced by a patch record (the crate).
        {{"statics", "0x200"},
         "block 0x200 (1, 0): 35 statics\n",
         {"  5,5,0  0x0e3c  patched crate\n"}},
        {{"radar", "0xA8"}, "radar 0x00a8: 0x1535 (rgb 40, 72, 168)\n", {}, true},
        {{"hue", "1"},
         "hue 1 (group 0, entry 1): 'Red 2'\ntable start 0x0421, table end 0x7f18\n",
         {"colours:\n  0421 0821 0c42 1463 1863 1c84 20a5 28c6\n"}},
        {{"multi", "0"}, "multi 0x0: 40 components\n", {"  0x0e3c     1     2     0  0x1\n"}},
        {{"list", "Items"}, "", {"\n0e3c\t*\t3366\tpatched crate\n"}},
        {{"pat", pat},
         "type  file          index      length\n"
         "  14  multi.mul     0x00000005 12\n"
         "  32  hues.mul      0x00000001 88\n",
         {},
         true},
        {{"pat", pat, "--check"}, pat + ": well formed: 2 records, current format\n", {}, true},
        // Commands that write, run twice: for the text, then for the document.
        {{"export", "anim", "1", "0", "3", "0", m_Scratch.File("x.png")}, ""},
        {{"export", "sound", "11", m_Scratch.File("x.wav")}, ""},
        {{"patch", m_Scratch.File("j.mul"), "--delete", "item", "1"}, ""},
        {{"convert", m_Scratch.File("converted"), "--to", "uop", "--replace"}, ""},
    };
    for (const auto& [args, start, parts, whole] : shown) {
        SCOPED_TRACE(args[0] + " " + args.back());
        const std::string out = Ok(args);
        EXPECT_EQ(whole ? out : out.substr(0, start.size()), start);
        ExpectParts(out, parts);
        expectJson(args);
    }
}

// An export never writes over what the program reads or the client holds, nor through a link.
TEST_F(ToolsTest, ExportsNeverWriteOverTheClientOrThePatch) {
    const std::string client = CopyClient("client");
    const std::string patch = m_Scratch.File("p.mul");
    fs::copy_file(client + "/verdata.mul", patch);
    for (const std::string& target : {client + "/art.mul", patch}) {
        ExpectParts(Exits(2, {"--verdata", patch, "export", "item", "0xE3C", target}, client).err,
                    {"'" + target + "' is ", ": it is not written over"});
    }
    ExpectParts(Cli({"render-map", "0", client + "/statics0.mul"}, client).err, {"not written"});
    for (const char* name : {"/art.mul", "/statics0.mul"}) {
        EXPECT_EQ(Read(client + name), Read(ClientDir() + name)) << name;
    }
    EXPECT_EQ(Read(patch), Read(ClientDir() + "/verdata.mul"));
    // A new file beside a client's file of the same name in another case, which the client
    // might read in its place, is not made; nor one of a text file's name; one of a new name is.
    m_Scratch.Write("client/Readme.txt", {'r'});
    for (const auto& [name, why] : {std::pair{"/readme.txt", "under another case: it is not "},
                                    std::pair{"/cliloc.enu", "one of the client's data files"}}) {
        ExpectParts(Exits(2, {"export", "sound", "1", client + name}, client).err, {why});
        EXPECT_FALSE(fs::exists(client + name));
    }
    Ok({"export", "sound", "1", client + "/tone.wav"}, client);
    // A whole category is not exported into the client's folder, by any path to it.
    const std::string clientLink = m_Scratch.File("client-link");
    fs::create_directory_symlink(client, clientLink);
    const auto files = [&] { return std::ranges::distance(fs::directory_iterator(client)); };
    const auto before = files();
    for (const std::string& folder : {client, clientLink + "/"}) {
        EXPECT_EQ(Exits(2, {"export-all", "Lights", folder}, client).err,
                  "tessaly-cli: the folder '" + folder +
                      "' is the client's folder: choose another folder\n");
    }
    Exits(2, {"export-all", "Cliloc", client}, client);
    EXPECT_EQ(files(), before);
    const std::string link = m_Scratch.File("hues.png");
    fs::create_symlink(client + "/hues.mul", link);
    Ok({"export", "item", "0xE3C", link}, client);
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(Read(client + "/hues.mul"), Read(ClientDir() + "/hues.mul"));
}

// A client's names are Latin-1: hue 1's name shows as UTF-8 in the text and in JSON (the
// escaping of control bytes is the shared formatter's, tested with it).
TEST_F(ToolsTest, ClientNamesAreLatin1InTextAndJson) {
    TempDir client;
    Bytes hues(708);
    const std::string name = "Rouge \xE9\xFF";
    std::copy(name.begin(), name.end(), hues.begin() + 4 + 88 + 68);  // group 0, entry 1's name
    client.Write("hues.mul", hues);
    ExpectParts(Ok({"hue", "1"}, client.Path().string()), {"'Rouge \xC3\xA9\xC3\xBF'\n"});
    EXPECT_EQ(Json(Ok({"hue", "1", "--json"}, client.Path().string()))["name"].toString(),
              QString::fromLatin1(name));
}

TEST_F(ToolsTest, OptionsStandAnywhereAndBadArgumentsEndWithOneLineAndStatus2) {
    EXPECT_EQ(Ok({"--json", "radar", "0xA8"}), Ok({"radar", "0xA8", "--json"}));
    const std::string pat = m_Scratch.Write("edits.pat", PatFile());
    // A path's bytes come back as given, UTF-8 or not.
    const std::string odd = m_Scratch.Write("caf\xE9.pat", PatFile());
    EXPECT_EQ(Ok({"--check", "pat", odd}), odd + ": well formed: 2 records, current format\n");
    // A record repeated later is left out of the list, and the listing says so.
    const std::string twice = WritePat(
        "twice.pat", PatchFileBuilder().Record(32, 1, Bytes(88)).Record(32, 1, Bytes(88, 7)));
    const Result listed = Exits(0, {"pat", twice});
    EXPECT_EQ(listed.out,
              "type  file          index      length\n  32  hues.mul      0x00000001 88\n");
    EXPECT_EQ(listed.err, "tessaly-cli: " + twice +
                              ": well formed: 2 records, current format; 1 repeat the file and "
                              "block of a later record (left out)\n");

    // Help wins over anything else on the line.
    const std::string help = Ok({"radar", "--bogus", "-h"});
    EXPECT_EQ(help, Ok({"--help"}));
    const std::string usage =
        "Usage: tessaly-cli [--client-dir DIR] [--verdata FILE] COMMAND [ARGS] [--json]\nNumbers "
        "are decimal or 0x-hex.\n\nCommands:\n";
    EXPECT_EQ(help.substr(0, usage.size()), usage);
    EXPECT_EQ(Ok({"--version"}).substr(0, 22), "tessaly-cli (Tessaly) ");

    // An option's value is the next word whatever it looks like; after "--" no word is an option.
    for (const auto& [args, message] : std::vector<std::pair<Args, std::string>>{
             {{"--verdata", "--json", "verdata"}, "cannot open patch file '--json'"},
             {{"index", "3", "4", "--", "-1"}, "invalid ENTRY '-1'"},
             {{"--", "--json"}, "unknown command '--json' (see tessaly-cli --help)"},
             {{"--x", "list", "Items"}, "unknown option '--x' for 'list'"},
             {{"pat", pat, "--unused", "--check"}, "unknown option '--unused' for 'pat'"},
             {{"files", "--json=1"}, "unknown option '--json=1' for 'files'"},
             {{"index", "3", "4", "-1"}, "unknown option '-1' for 'index'"},
             {{"bogus", "--x"}, "unknown command 'bogus' (see tessaly-cli --help)"},
             {{"--x"}, "missing command (see tessaly-cli --help)"},
             {{"files", "--x", "--verdata"}, "--verdata needs a value"},
         }) {
        ExpectRefused(args, message);
    }

    // Bad arguments end with one line on standard error and status 2.
    const std::string png = m_Scratch.File("x.png");
    m_Scratch.Write("a-file", {1});  // a file where a directory would go
    // Among them: an extra word, the sample's missing Malas, an action past the body's own, a hue
    // hues.mul lacks, a sound of no samples, a map of 2048 x 262144 pixels, a .mul conversion of a
    // client with nothing in containers.
    const std::vector<Args> mistakes = Commands(
        "index 3 4 ; index x 4 1 ; index 33 4 1 ; tiledata thing 1 ; "
        "statics 393216 ; multi 0xFFFF ; hue 1 2 ; play 5 ; "
        "list Bogus ; list Items --facet 2 ; list Statics --facet 3 ; list Statics --facet 6 ; "
        "export picture 1 @x.png ; export item 0xFFFFFFFF @x.png ; "
        "export item 0xE3C @no/such/dir.png ; export anim 1 0 3 0xFFFFFFFF @x.png ; "
        "export sound 5000 @x.wav ; export terrain 3 @x.png --hue 5 ; "
        "export item 0xE3C @x.png --partial ; export anim 1 22 3 0 @x.png ; "
        "export anim 1 34 3 @x.png --gif ; export anim 1 0 3 0 @j.gif --gif ; "
        "export-all Hues @hues ; export-all Items @items --jobs 0 ; pat @missing.pat ; "
        "convert @out ; convert @out --to zip ; convert @out --to mul ; "
        "convert @a-file --to uop --replace ; render-map 0 @x.png @x.png ; "
        "render-map 0 @x.png --scale 64 ; render-map 0 @x.png --region 0,0,-1,-1 ; "
        "export gump 0xF7 @x.gif --gif");
    ASSERT_EQ(mistakes.size(), 33u);
    for (const Args& args : mistakes) {
        SCOPED_TRACE(args[0] + (args.size() > 1 ? " " + args[1] : ""));
        const Result r = Exits(2, args);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(Lines(r.err), 1) << r.err;
        EXPECT_EQ(r.err.rfind("tessaly-cli: ", 0), 0u);
    }
    EXPECT_FALSE(fs::exists(m_Scratch.File("j.gif")));
    EXPECT_FALSE(fs::exists("0.gif"));
    // An id past a category's entries names none, where the entry would keep its low 16 bits.
    ExpectRefused({"export", "texture", "0x10001", png},
                  "texture 0x10001 is past the last entry of Textures (0x3fff)");
    const std::string nowhere = m_Scratch.File("nowhere");
    ExpectRefused({"files"}, "'" + nowhere + "' is not a directory", nowhere);
    const std::string empty = m_Scratch.File("empty");
    fs::create_directory(empty);
    EXPECT_EQ(Exits(0, {"list", "Items"}, empty).err,
              "tessaly-cli: '" + empty + "' holds none of the client's files\n");
    // A container alone, in any case, is a client's file: a bad one is named as damaged.
    std::ofstream(m_Scratch.File("empty/ArtLegacyMUL.UOP")) << "x";
    EXPECT_EQ(Cli({"list", "Items"}, empty).err,
              "tessaly-cli: '" + m_Scratch.File("empty/ArtLegacyMUL.UOP") +
                  "' is damaged (container: shorter than its header): what cannot be read of it "
                  "is not listed\n");
    // An index cut inside a record is named too, not listed as empty without a word.
    fs::remove(m_Scratch.File("empty/ArtLegacyMUL.UOP"));
    std::ofstream(m_Scratch.File("empty/artidx.mul")) << "seven b";
    EXPECT_EQ(Cli({"list", "Terrain"}, empty).err,
              "tessaly-cli: '" + m_Scratch.File("empty/artidx.mul") +
                  "' is cut: its last 7 byte(s) make no whole 12-byte record and are not read\n");
    // Entries past 16-bit numbers are said to be left out, by the list and by export-all.
    fs::resize_file(m_Scratch.File("empty/artidx.mul"), 0);
    const std::string gumps = m_Scratch.File("empty/gumpidx.mul");
    std::ofstream(gumps) << "";
    fs::resize_file(gumps, (0x10000 + 2) * 12);
    const std::string past = "tessaly-cli: '" + gumps +
                             "' holds 65538 entries: those past 0xffff (2) are left out (entry "
                             "numbers are 16 bits wide)\n";
    EXPECT_EQ(Cli({"list", "Gumps"}, empty).err, past);
    ExpectParts(Cli({"export-all", "Gumps", m_Scratch.File("gumps")}, empty).err, {past});
}

// The newer sample: its containers, layouts and tile data, and what it cannot read of them.
TEST_F(ToolsTest, NewerSampleShowsItsContainersAndNamesWhatItCannotReadOfThem) {
    const std::string dir = Generate("modern", {"--modern"});
    ExpectParts(Ok({"files"}, dir),
                {" 4  art.mul       " + dir + "/artLegacyMUL.uop  ", "  container\n12  gumpart.mul",
                 "  mul  16-byte components\n14  multi.mul",
                 "  mul  tile data newer (64-bit flags)\n", "22  verdata.mul   missing\n"});
    // The newer record's own fields: animation 0 beside an unknown byte, quantity 3.
    ExpectParts(Ok({"tiledata", "item", "0x4321"}, dir),
                {"Name    tall crate\n", "\nQuantity 3\nAnim    0\n"});
    ExpectParts(Ok({"tiledata", "item", "0x4321", "--json"}, dir),
                {R"("flagsHigh":1,)", R"("quantity":3,)"});
    // Radar colours past index 0xFFFF, the fourth component word.
    ExpectParts(Ok({"radar", "0x13FDC"}, dir), {"  (past the file's 81884 colours)\n"});
    ExpectParts(Ok({"multi", "0", "--json"}, dir), {R"("extra":1)"});
    ExpectRefused({"list", "Cliloc", "--lang", "fra"},
                  "Cliloc.fra: compressed cliloc files are not supported yet", dir);

    // A container of a bad header, or that does not open, ends convert and merge with one line.
    const std::string art = dir + "/artLegacyMUL.uop";
    const Bytes good = Read(art);
    const std::string out = m_Scratch.File("out");
    const std::vector<Args> rewrites = {{"convert", out, "--to", "mul"},
                                        {"--verdata", ClientDir() + "/verdata.mul", "merge", out}};
    Bytes bad = good;
    StoreLE32(bad.data(), 0x12345678u);
    TempDir::WriteFile(art, bad);
    for (const Args& args : rewrites) {
        ExpectRefused(args, art + ": container: not a container (bad magic)", dir);
        EXPECT_FALSE(fs::exists(out));
    }
    fs::remove(art);
    fs::create_directory(art);
    for (const Args& args : rewrites) {
        const Result r = Exits(2, args, dir);
        EXPECT_EQ(r.out, "");
        ExpectParts(r.err,
                    {"tessaly-cli: '" + art + "' cannot be opened: it is not a regular file\n"});
        EXPECT_FALSE(fs::exists(out));
    }
    fs::remove(art);
    // A table count that cannot fit: its entries are still read, and the damage said.
    Bytes cut = good;
    const std::uint32_t table = LoadLE32(good.data() + 12);
    StoreLE32(cut.data() + table, 0xFFFFFFFF);
    TempDir::WriteFile(art, cut);
    ExpectParts(Ok({"convert", out, "--to", "mul"}, dir),
                {Format("art: art.mul, artidx.mul (%u entries; the source's table is damaged",
                        LoadLE32(good.data() + table))});
    TempDir::WriteFile(art, good);

    // A map chunk that cannot be read draws black, and render-map says how many blocks are.
    Bytes map = Read(dir + "/map0LegacyMUL.uop");
    const std::uint64_t chunk =
        test::UopTableEntryAt(map, HashUopName(UopEntryName(*FindUopKind(kSlotMap0), 0)));
    ASSERT_NE(chunk, 0u);
    StoreLE16(map.data() + chunk + 32, 2);  // a compression no reader knows
    const std::string png = m_Scratch.File("map.png");
    EXPECT_EQ(Cli({"render-map", "0", png}, dir).err, "");
    ExpectParts(Ok({"render-map", "0", png, "--region", "0x8,8,16,16"}, dir),
                {"Felucca 8,8 16 x 16 tiles: 16 x 16 written"});
    TempDir::WriteFile(dir + "/map0LegacyMUL.uop", map);
    EXPECT_EQ(Exits(0, {"render-map", "0", png}, dir).err,
              "tessaly-cli: Felucca: 2048 map blocks cannot be read (damaged) and are drawn "
              "black\n");
}

// Animation exports over crafted blocks of body 1 (anim.idx record 110) and of body 400 say what
// they leave out and why, and write the rest.
TEST_F(ToolsTest, AnimationExportsSayWhatTheyLeaveOut) {
    const std::string dir = Generate("frames");
    Bytes index = Read(dir + "/anim.idx");
    Bytes data = Read(dir + "/anim.mul");
    const Bytes good = data;
    const std::uint32_t at = LoadLE32(index.data() + 110 * 12);
    const auto header = [&](std::uint32_t frame) {
        return at + 512 + LoadLE32(data.data() + at + 516 + 4 * frame);
    };
    const auto exportAll = [&](const std::string& name, const Args& options) {
        m_Scratch.Write("frames/anim.mul", data);
        const Result r =
            Exits(0, Words({{"export-all", "Anims", m_Scratch.File(name)}, options}), dir);
        return std::pair{r.err, Manifest(m_Scratch.File(name))};
    };

    StoreLE32(data.data() + header(2) + 4, 16000u | (30000u << 16));
    const std::string oversized =
        "1 frame(s) larger than a picture may be (8192 x 8192 pixels; "
        "the largest is 16000 x 30000) left out";
    EXPECT_EQ(exportAll("one", {"--frames"}).first, "tessaly: anims-0001.png: " + oversized + "\n");
    EXPECT_TRUE(fs::exists(m_Scratch.File("one/anims-0001-01.png")));
    EXPECT_FALSE(fs::exists(m_Scratch.File("one/anims-0001-02.png")));
    EXPECT_EQ(Cli({"export", "anim", "1", "0", "3", m_Scratch.File("h.gif"), "--gif"}, dir).err,
              "tessaly-cli: anim body 1 action 0 direction 3: " + oversized + "\n");
    // Every frame 8000 x 8000: each fits alone, not all together, and none is drawn.
    data = good;
    for (std::uint32_t frame = 0; frame < LoadLE32(data.data() + at + 512); ++frame) {
        StoreLE32(data.data() + header(frame) + 4, 8000u | (8000u << 16));
    }
    EXPECT_EQ(exportAll("all", {"--frames"}).second["leftOut"][0]["why"].toString(),
              "its frames do not fit in one picture (at most 8192 x 8192 pixels; the largest "
              "frame is 8000 x 8000)");

    // Body 400: action 1's first frame 20,000 x 600 pixels, too large for a sheet or a GIF;
    // action 2's record past anim.mul's end.
    data = good;
    const std::size_t block =
        LoadLE32(index.data() + std::size_t{GetAnimIndex(400, 1, 0)} * 12) + 512;
    StoreLE32(data.data() + block + LoadLE32(data.data() + block + 4) + 4, 20000u | 600u << 16);
    StoreLE32(index.data() + std::size_t{GetAnimIndex(400, 2, 0)} * 12,
              static_cast<std::uint32_t>(data.size()) + 0x1000);
    m_Scratch.Write("frames/anim.idx", index);
    m_Scratch.Write("frames/anim.mul", data);
    const Result r =
        Exits(0, {"export", "anim", "400", m_Scratch.File("body.png"), "--all-actions"}, dir);
    ExpectParts(r.err,
                {"tessaly-cli: anim body 400: action 1 left out: its frames do not fit in "
                 "one picture (at most 8192 x 8192 pixels; the largest frame is 20000 x 600)",
                 "\ntessaly-cli: anim body 400: action 2 left out: its frames cannot be "
                 "read ("});
    EXPECT_EQ(Lines(r.err), 2);
    EXPECT_TRUE(fs::exists(m_Scratch.File("body-a00.png")));
    EXPECT_FALSE(fs::exists(m_Scratch.File("body-a01.png")));
    ExpectParts(
        Exits(2, {"export", "anim", "400", "1", "0", m_Scratch.File("wide.gif"), "--gif"}, dir).err,
        {"anim body 400 action 1 direction 0: its frames do not fit in one picture",
         "anim body 400 action 1 direction 0 has no frames that can be written\n"});
    ExpectParts(exportAll("actions", {"--all-actions"}).first,
                {"tessaly: anims-0190.png: action 1 left out: ",
                 "tessaly: anims-0190.png: action 2 left out: "});
}

// Bodies and fonts of a missing .mul are listed as failed, and refused as unreadable, never taken
// from another file or dropped; a multi of more components than any multi holds is damaged.
TEST_F(ToolsTest, EntriesOfMissingFilesListAsFailedAndOfTooManyComponentsAsDamaged) {
    const std::string dir = Generate("missing");
    fs::remove(dir + "/anim.mul");
    fs::remove(dir + "/anim3.mul");
    fs::remove(dir + "/fonts.mul");
    Bytes multis = Read(dir + "/multi.mul");
    Bytes index = Read(dir + "/multi.idx");
    StoreLE32(index.data(), static_cast<std::uint32_t>(multis.size()));
    StoreLE32(index.data() + 4, (kMaxMultiComponents + 1) * 12);
    multis.resize(multis.size() + (kMaxMultiComponents + 1) * 12);
    TempDir::WriteFile(dir + "/multi.mul", multis);
    TempDir::WriteFile(dir + "/multi.idx", index);
    for (const auto& [category, entry, state] :
         {std::tuple{"Anims", 1, "failed"}, {"Fonts", 0, "failed"}, {"Multis", 0, "damaged"}}) {
        const QJsonArray rows = Rows({"list", category}, dir);
        EXPECT_TRUE(std::ranges::any_of(rows, [index = entry,
                                               state = state](const QJsonValue& row) {
            return row["index"] == index && row["state"] == state;
        })) << category;
    }
    // (The failed read is logged on the line before.)
    ExpectParts(
        Exits(2, {"export", "anim", "1200", "0", "3", "0", m_Scratch.File("x.png")}, dir).err,
        {"\ntessaly-cli: anim body 1200 action 0 direction 3 frame 0 (anim3.mul 300, entry "
         "33000) cannot be read: its file would not open or read\n"});
}

// The sample's cliloc files: English and a sparse German over it, UTF-8 kept as it is.
TEST_F(ToolsTest, ClilocMessagesInTwoLanguages) {
    EXPECT_EQ(Ok({"cliloc", "500000"}), "Hello ~1_NAME~, welcome to ~2_PLACE~.\n");
    EXPECT_EQ(Ok({"cliloc", "500003", "--lang", "DEU"}), "Gr\xC3\xBC\xC3\x9F\x65 auf Deutsch\n");
    // No translation: no text.
    EXPECT_FALSE(
        Json(Ok({"cliloc", "500002", "--lang", "deu", "--json"})).object().contains("text"));

    // The German list: every number of either file once, German text, then English.
    const std::string list = Ok({"list", "Cliloc", "--lang", "deu"});
    ExpectParts(list, {"\t500003\t0\tGr\xC3\xBC\xC3\x9F\x65 auf Deutsch\tGr\xC3\xBC\xC3\x9F\x65 "
                       "\xE2\x80\x94"});

    ExpectRefused({"cliloc", "1"}, "Cliloc.enu has no message 1");

    // A text's control bytes are escaped, as in the list: it sends no command to a terminal.
    const std::string own = m_Scratch.File("own");
    fs::create_directory(own);
    const std::string text = "esc \x1b[31mred\r";
    const std::string marked = "\xEF\xBB\xBFmarked";
    ByteWriter cliloc;
    cliloc.u32(2).u16(1).u32(1015).u8(0).u16(static_cast<std::uint16_t>(text.size()));
    cliloc.text(text, text.size());
    cliloc.u32(1016).u8(0).u16(static_cast<std::uint16_t>(marked.size()));
    cliloc.text(marked, marked.size());
    m_Scratch.Write("own/Cliloc.enu", cliloc.data());
    // (The folder holds none of the slots' files, which a line on standard error says.)
    EXPECT_EQ(Cli({"cliloc", "1015"}, own).out, "esc \\x1b[31mred\\r\n");
    // A leading byte-order mark is part of the text (read as bytes: Qt's JSON reader drops it).
    ExpectParts(Cli({"cliloc", "1016", "--json"}, own).out, {"\"text\":\"" + marked + "\""});
    const std::string texts = m_Scratch.File("own-texts");
    ExpectParts(Cli({"export-all", "Cliloc", texts}, own).out,
                {"Cliloc: 2 messages written to " + texts + "/cliloc-enu.csv\n"});
    const std::string json = ReadText(texts + "/cliloc-enu.json");
    ExpectParts(json, {"\"text\": \"" + marked + "\""});
    // The document is written message by message: it still parses whole, in order.
    const QJsonArray messages = Json(json)["messages"].toArray();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[1]["number"].toInt(), 1016);
    ExpectParts(ReadText(texts + "/cliloc-enu.csv"), {"1016,0,\"" + marked + "\""});
    ExpectRefused({"list", "Sounds", "--lang", "deu"}, "--lang is for the Cliloc category");
}

TEST_F(ToolsTest, DamagedClientsRepeatPerSeedAndListTheirDamagedEntriesAsSuch) {
    const std::string a = Generate("a", {"--damage", "1"});
    const std::string b = Generate("b", {"--damage", "2"});
    EXPECT_NE(Read(a + "/art.mul"), Read(b + "/art.mul"));

    // The same damage, known to the test: the same files, and exactly those items listed damaged.
    const std::string dir = m_Scratch.File("known");
    mk::WriteSampleClient(dir, false);
    const mk::DamageReport report = mk::DamageClient(dir, 2);
    for (const char* name : {"art.mul", "artidx.mul", "verdata.mul", "tiledata.mul"}) {
        EXPECT_EQ(Read(b + "/" + name), Read(dir + "/" + name));
    }
    std::set<std::uint32_t> damaged;
    for (std::uint32_t entry : report.outside.at("artidx.mul")) {
        if (entry >= kArtItemBase) {
            damaged.insert(entry - kArtItemBase);
        }
    }
    ASSERT_FALSE(damaged.empty());
    // (The cut tile data has each missing name logged on standard error.)
    const QJsonArray rows =
        Json(Exits(0, {"list", "Items", "--unused", "--json"}, dir).out)["rows"].toArray();
    std::set<std::uint32_t> listed;
    for (const QJsonValue& row : rows) {
        if (row["state"] == "damaged") {
            listed.insert(static_cast<std::uint32_t>(row["index"].toInteger()));
        }
    }
    EXPECT_EQ(listed, damaged);
    const std::string all = m_Scratch.File("all");
    const Result exported = Cli({"export-all", "Items", all}, dir);
    ExpectParts(exported.out, {Format("\n%zu damaged entries skipped (listed in manifest.json)\n",
                                      damaged.size())});
    // A record outside its file is damage, which the manifest names: no read error is logged.
    EXPECT_FALSE(Contains(exported.err, "LoadMulData")) << exported.err;
    const Result bodies = Cli({"export-all", "Anims", m_Scratch.File("bodies")}, dir);
    EXPECT_TRUE(Contains(bodies.out, "damaged entries skipped")) << bodies.out;
    EXPECT_FALSE(Contains(bodies.err, "LoadMulData")) << bodies.err;
    std::set<std::uint32_t> named;
    for (const QJsonValue& n : Manifest(all)["damaged"].toArray()) {
        named.insert(static_cast<std::uint32_t>(n.toInteger()));
    }
    EXPECT_EQ(named, damaged);

    // Export says why there is no picture: damage, a missing file, an empty slot.
    const std::string png = m_Scratch.File("none.png");
    const std::uint32_t first = *damaged.begin();
    ExpectRefused({"export", "item", std::to_string(first), png},
                  Format("item 0x%x is damaged: its record or data does not hold together", first),
                  dir);
    fs::remove(dir + "/art.mul");
    ExpectParts(Exits(2, {"export", "item", "6", png}, dir).err,
                {"item 0x6 cannot be read: its file would not open or read\n"});
    ExpectRefused({"export", "item", "3", png}, "item 0x3 has no picture", dir);
    // A hue the empty hues.mul lacks is refused, not drawn as no hue.
    ExpectRefused({"export", "gump", "0xF7", png, "--hue", "0x81"},
                  "--hue 129: the hue cannot be read from hues.mul", dir);
    fs::remove(dir + "/multi.mul");
    for (const Args& args : {Args{"multi", "0"}, Args{"export", "multi", "0", png}}) {
        ExpectRefused(args, "multi 0x0 cannot be read: its file would not open or read", dir);
    }
}

// What one picture cannot hold is refused, or left out of export-all, saying why.
TEST_F(ToolsTest, PicturesNoFileCanHoldAreLeftOutSayingWhy) {
    std::vector<MultiComponent> corners;
    for (const std::int16_t x : {1000, -1000}) {
        for (const std::int16_t y : {1000, -1000}) {
            corners.push_back({.m_wItem = 0xE3C, .m_nX = x, .m_nY = y});
        }
    }
    const std::string pat = WritePat(
        "wide.pat", PatchFileBuilder().Record(kPatchTypeMulti, 5, WriteMultiComponents(corners)));
    const std::string png = m_Scratch.File("wide.png");
    ExpectRefused({"export", "multi", "5", png, "--pat", pat},
                  "multi 0x5: its picture would be "
                  "88044 x 88048 pixels, more than one picture holds (8192 x 8192)");
    EXPECT_FALSE(fs::exists(png));

    // Bodies whose frames claim 16,000 x 30,000 pixels each.
    const std::string dir = Generate("huge", {"--hostile", "huge-frames"});
    ExpectParts(Exits(0, {"export-all", "Anims", m_Scratch.File("anims")}, dir).out,
                {"\n3 entries left out, each with why (listed in manifest.json)\n"});
    // One PNG per frame, each too large alone: the same bodies are left out.
    ExpectParts(Exits(0, {"export-all", "Anims", m_Scratch.File("frames"), "--frames"}, dir).out,
                {"\n3 entries left out, each with why (listed in manifest.json)\n"});
    // Frames each too large for a picture are named with their size, in every form of export.
    ExpectRefused({"export", "anim", "1", "0", "3", "0", m_Scratch.File("f.png")},
                  "anim body 1 action 0 direction 3 frame 0 (anim.mul 1, entry 110) is 16000 x "
                  "30000 pixels, larger than a picture may be (8192 x 8192)",
                  dir);
    ExpectParts(
        Exits(2, {"export", "anim", "1", m_Scratch.File("h.png"), "--all-actions"}, dir).err,
        {"anim body 1: action 0 left out: 48 frame(s) larger than a picture may be "
         "(8192 x 8192 pixels; the largest is 16000 x 30000)\n"});

    // A gump 65,535 pixels wide (two rows of one run each), and terrain 2, the "no draw" tile.
    ByteWriter patch;  // a record of gump 1, height 2 and width 0xFFFF, then its rows
    patch.u32(1).u32(kSlotGumpArt).u32(1).u32(24).u32(16).u16(2).u16(0xFFFF);
    patch.u32(2).u32(3).u16(0x7FFF).u16(0xFFFF).u16(0x7FFF).u16(0xFFFF);
    const std::string wide = m_Scratch.Write("wide.mul", patch.take());
    const std::string tooWide =
        "its picture is 65535 x 2 pixels, larger than a picture may be (8192 x 8192, at most "
        "32,766 wide)";
    const std::string noDraw = "Terrain 2 is the map's \"no draw\" tile: it is never drawn";
    ExpectRefused({"--verdata", wide, "export", "gump", "1", png}, "gump 0x1: " + tooWide);
    ExpectRefused({"export", "terrain", "2", png}, "terrain 0x2: " + noDraw);
    for (const auto& [category, why] : {std::pair{"Gumps", tooWide}, {"Terrain", noDraw}}) {
        const std::string out = m_Scratch.File(std::string("all-") + category);
        Exits(0, {"--verdata", wide, "export-all", category, out});
        const QJsonArray left = Manifest(out)["leftOut"].toArray();
        ASSERT_EQ(left.size(), 1) << category;
        EXPECT_EQ(left[0]["why"].toString().toStdString(), why);
    }
}

// What a pseudo-terminal showed as tessaly-cli's standard error (standard output to a file).
std::string RunOnTerminal(const Args& args, const TempDir& scratch) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        ADD_FAILURE() << "no pseudo-terminal";
        return std::string();
    }
    EXPECT_EQ(Spawn(TESSALY_CLI_PATH, args, scratch.File("terminal-stdout"), ptsname(master),
                    O_RDWR | O_NOCTTY),
              0);
    // The terminal holds what was written; reading stops when it is drained.
    fcntl(master, F_SETFL, O_NONBLOCK);
    std::string shown;
    char buffer[4096];
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) {
        shown.append(buffer, static_cast<std::size_t>(n));
    }
    close(master);
    return shown;
}

TEST_F(ToolsTest, ExportsOpenAtTheirSizeAndExportAllWritesWhatTheListShowsWithAnyJobs) {
    for (const std::string category : {"Items", "Sounds"}) {
        const std::string one = m_Scratch.File(category + "-1");
        const std::string three = m_Scratch.File(category + "-3");
        const std::string out = Ok({"export-all", category, one, "--jobs", "1"});
        Ok({"export-all", category, three, "--jobs", "3"});
        // Again over its own files, which each thread checks while the others read entries.
        Ok({"export-all", category, three, "--jobs", "3"});
        const QJsonArray listed = Rows({"list", category});
        const qint64 skipped = Rows({"list", category, "--unused"}).size() - listed.size();
        // One file per listed entry, in order, of the manifest's size, as three threads wrote it.
        const std::string manifest = ReadText(one + "/manifest.json");
        EXPECT_EQ(manifest, ReadText(three + "/manifest.json")) << category;
        const QJsonArray entries = Json(manifest)["entries"].toArray();
        ASSERT_EQ(entries.size(), listed.size()) << category;
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const std::string name = "/" + entries[i]["file"].toString().toStdString();
            EXPECT_EQ(entries[i]["entry"].toInteger(), listed[i]["index"].toInteger()) << name;
            EXPECT_EQ(static_cast<std::uintmax_t>(entries[i]["size"].toInteger()),
                      fs::file_size(one + name));
            EXPECT_EQ(Read(one + name), Read(three + name));
        }
        EXPECT_EQ(out,
                  Format("%s: %lld entries exported to %lld files in %s (manifest.json)\n%lld "
                         "entries without data skipped\n",
                         category.c_str(), listed.size(), listed.size(), one.c_str(), skipped));
    }

    // An export opens at its size; export-all writes what export writes.
    for (const auto& [picture, size] : {std::pair{Args{"item", "0xE3C"}, "44 x 48"},
                                        std::pair{Args{"anim", "1", "0", "3", "0"}, "44 x 70"}}) {
        const std::string path = m_Scratch.File(picture[0] + ".png");
        ExpectParts(Ok(Words({{"export"}, picture, {path}})),
                    {": " + std::string(size) + " written to " + path});
        const QImage image = Png(path);
        EXPECT_EQ(Format("%d x %d", image.width(), image.height()), size);
    }
    EXPECT_EQ(Read(m_Scratch.File("Items-1/items-0e3c.png")), Read(m_Scratch.File("item.png")));
    // Hued, and --partial, as export-all hues them.
    const std::string robe = m_Scratch.File("robe.png");
    Ok({"export", "item", "0x1F03", robe, "--hue", "0x81", "--partial"});
    Ok({"export-all", "Items", m_Scratch.File("hued"), "--hue", "0x81", "--partial"});
    EXPECT_EQ(Read(m_Scratch.File("hued/items-1f03.png")), Read(robe));
    const std::string wav = m_Scratch.File("sound.wav");
    ExpectParts(Ok({"export", "sound", "11", wav}),
                {"sound 11 'door_open_patched.wav': 8820 sample bytes (0.2 sec)"});
    EXPECT_EQ(Read(m_Scratch.File("Sounds-1/sounds-000b.wav")), Read(wav));

    // --frames: one picture per frame of action 0, direction position 0, numbered from 00.
    const std::string frames = m_Scratch.File("frames");
    EXPECT_TRUE(Json(Ok({"export-all", "Anims", frames, "--frames", "--json"})).isObject());
    EXPECT_EQ(Png(frames + "/anims-0001-00.png"), Png(m_Scratch.File("anim.png")));

    // --all-actions --gif: a GIF per action and direction; --frames: an animated item's frames.
    Ok({"export-all", "Anims", m_Scratch.File("gifs"), "--all-actions", "--gif"});
    EXPECT_EQ(ReadText(m_Scratch.File("gifs/anims-0190-a00-d7.gif")).substr(0, 6), "GIF89a");
    Ok({"export", "item", "0x675", m_Scratch.File("door.png"), "--frames"});
    EXPECT_TRUE(fs::exists(m_Scratch.File("door-01.png")));

    // A file that cannot be written ends the run with one line and status 2, and no manifest.
    const std::string blocked = m_Scratch.File("blocked");
    fs::create_directories(blocked + "/items-0e3c.png");
    EXPECT_EQ(
        Exits(2, {"export-all", "Items", blocked, "--jobs", "2"}).err,
        "tessaly-cli: Unable to write the file '" + blocked + "/items-0e3c.png': Is a directory\n");
    EXPECT_FALSE(fs::exists(blocked + "/manifest.json"));
    EXPECT_TRUE(fs::is_directory(blocked + "/items-0e3c.png"));  // left alone
    const std::string plain = m_Scratch.File("plain");
    std::ofstream(plain) << "x";
    EXPECT_EQ(Exits(2, {"export-all", "Items", plain + "/sub"}).err,
              "tessaly-cli: cannot make the directory '" + plain + "/sub': Not a directory\n");
    // Refused options make no folder.
    const std::string never = m_Scratch.File("never");
    ExpectRefused({"export-all", "Items", never, "--frames", "--gif"},
                  "--frames and --gif exclude each other");
    Exits(2, {"export-all", "Items", never, "--hue", "0x10000"});
    EXPECT_FALSE(fs::exists(never));

    // Export-all shows its progress only on a terminal.
    const qsizetype slotCount = Rows({"list", "Lights", "--unused"}).size();
    const std::string shown = RunOnTerminal(
        {"--client-dir", ClientDir(), "export-all", "Lights", m_Scratch.File("lights")}, m_Scratch);
    const std::string last = "\rLights: " + std::to_string(slotCount) + " of " +
                             std::to_string(slotCount) + " entries\r\n";
    EXPECT_TRUE(shown.ends_with(last)) << shown;
    Ok({"export-all", "Lights", m_Scratch.File("quiet")});
}

// A FIFO in a text file's place is named as refused, never waited on nor passed over.
TEST_F(ToolsTest, TextFilesAreFoundByTheirWholeNameInAnyCaseAndNamedWhenNotRegular) {
    const std::string dir = Generate("texts");
    fs::copy_file(dir + "/Cliloc.enu", dir + "/CLILOC.ENU");
    ExpectRefused({"cliloc", "1", "--lang", "xx"}, "there is no Cliloc.xx (languages: deu, enu)",
                  dir);
    // Keyword ids in hexadecimal with a leading zero, as the list sorts them.
    EXPECT_EQ(Ok({"list", "Speech"}, dir).substr(0, 34),
              "0000\t \t00\tbank\n0001\t \t010\tbalance\n");
    // A copy kept beside a file is not the file.
    fs::rename(dir + "/speech.mul", dir + "/speech.mul.orig");
    EXPECT_EQ(Ok({"list", "Speech"}, dir), "");

    // Fonts in the order of their numbers; a backup beside one is no font.
    for (const char* copy : {"unifont10.mul", "UNIFONT2.MUL", "unifont1.bak.mul"}) {
        fs::copy_file(dir + "/unifont1.mul", dir + "/" + copy);
    }
    Args fonts;
    for (const QJsonValue row : Rows({"list", "UniFonts"}, dir)) {
        fonts.push_back(row["columns"][0].toString().toStdString());
    }
    EXPECT_EQ(fonts, (Args{"unifont.mul", "unifont1.mul", "UNIFONT2.MUL", "unifont10.mul"}));

    for (const auto& [name, args] : {std::pair{"speech.mul", Args{"list", "Speech"}},
                                     {"unifont1.mul", {"list", "UniFonts", "--json"}},
                                     {"Cliloc.deu", {"cliloc", "500000", "--lang", "deu"}}}) {
        fs::remove(dir + "/" + name);
        ASSERT_EQ(mkfifo((dir + "/" + name).c_str(), 0600), 0);
        const Result r = Cli(args, dir);
        ExpectParts(r.err, {"tessaly-cli: " + std::string(name) + ": " + dir + "/" + name +
                            " is not a regular file\n"});
        if (args[0] == "list" && args[1] == "UniFonts") {
            EXPECT_EQ(Json(r.out)["rows"][1]["state"].toString(), "failed");
        }
    }
}

// What a command cannot read of the client's files is said, never passed over.
TEST_F(ToolsTest, CommandsSayWhatTheyCannotReadAndTakeWhatNewerClientsHold) {
    const std::string png = m_Scratch.File("map.png");
    // A tile data record of the other layout is named, not read, and the record is the file's.
    ByteWriter other;
    other.u32(1).u32(kSlotTileData).u32(512).u32(24).u32(1000).u16(0).u16(0).zeros(1000);
    const std::string wrongSize = m_Scratch.Write("other-layout.mul", other.take());
    const std::string item = Ok({"--verdata", wrongSize, "tiledata", "item", "0x8"});
    EXPECT_EQ(item.rfind("item 0x0008\n", 0), 0u) << item;
    ExpectParts(item, {"\nPatch   the patch record of tile data group 512 holds 1000 bytes, not "
                       "the 1188 of a group of this client's layout: not read"});
    // A sound plays to its end on the device (a silent one here).
    ExpectParts(Ok({"play", "1"}), {"played sound 1 'tone_440.wav' (0.2 sec) on "});
    // A current client's Felucca, 7,168 tiles across, has blocks past the older map's.
    const std::string wide = CopyClient("wide");
    fs::resize_file(wide + "/map0.mul", 458752 * 196);
    EXPECT_EQ(Ok({"statics", "458751"}, wide), "block 0x6ffff (895, 511): 0 statics\n");
    // Statics that cannot be read are said; a map without its colours is not drawn.
    fs::resize_file(wide + "/statics0.mul", 0);
    ExpectParts(Exits(0, {"render-map", "0", png}, wide).err,
                {"Felucca: the statics of 413 blocks cannot be read"});
    fs::remove(wide + "/radarcol.mul");
    ExpectParts(Exits(2, {"render-map", "0", png}, wide).err, {"no radar colours"});
}

// A patch file's records, their headers but offsets, each with its bytes.
using PatchRecordText =
    std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::string>;
std::multiset<PatchRecordText> RecordsOfPatch(const Bytes& file) {
    std::multiset<PatchRecordText> records;
    for (std::uint32_t i = 0; i < LoadLE32(file.data()); ++i) {
        const std::uint8_t* r = file.data() + 4 + 20 * std::size_t{i};
        const std::uint32_t length = LoadLE32(r + 12) & 0x7FFFFFFF;
        records.emplace(
            LoadLE32(r), LoadLE32(r + 4), LoadLE32(r + 12), LoadLE32(r + 16),
            std::string(reinterpret_cast<const char*>(file.data()) + LoadLE32(r + 8), length));
    }
    return records;
}

TEST_F(ToolsTest, PatchAppliesItsStepsInOrderAndAFailingStepWritesNothing) {
    const std::string png = m_Scratch.File("p.png");
    Ok({"export", "item", "0xE3C", png});
    const std::string wav = m_Scratch.File("s.wav");
    Ok({"export", "sound", "1", wav});
    const Bytes wave = Read(wav);

    // Item 0x10 replaced then deleted, a gump, a sound, a new sound named (Latin-1) after its file.
    const std::string patch = m_Scratch.File("built.mul");
    const std::string accented = m_Scratch.File("bruit \u00E9.wav");
    fs::copy_file(wav, accented);
    Ok({"patch",    patch,  "--replace", "item",      "0x10",  png,   "--replace",
        "gump",     "3",    png,         "--replace", "sound", "5",   wav,
        "--delete", "item", "0x10",      "--replace", "sound", "700", accented});
    const Bytes bytes = Read(patch);
    CVerDataTable table;
    table.LoadBytes(bytes);
    ASSERT_EQ(table.GetCount(), 4);
    IndexRecord item, gump, sound;
    ASSERT_TRUE(table.FindRecord(kSlotArt, kArtItemBase + 0x10, item));
    EXPECT_EQ(item.GetLength(), 0u);
    EXPECT_TRUE(table.FindRecord(kSlotGumpArt, 3, gump));
    ASSERT_TRUE(table.FindRecord(kSlotSound, 5, sound));
    ASSERT_EQ(sound.GetLength(), 32 + wave.size() - 44);
    const auto entry = bytes.begin() + sound.m_dwOffset;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&*entry)), "empty.wav");
    EXPECT_TRUE(std::equal(wave.begin() + 44, wave.end(), entry + 32));
    ASSERT_TRUE(table.FindRecord(kSlotSound, 700, sound));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[sound.m_dwOffset])),
              "bruit \xE9.wav");
    // The deleted item is said to be so by export and the list; export-all leaves it out.
    ExpectRefused({"--verdata", patch, "export", "item", "0x10", m_Scratch.File("d.png")},
                  "item 0x10 is deleted by a patch record");
    ExpectParts(Ok({"--verdata", patch, "list", "Items", "--json"}),
                {"\"index\":16,\"state\":\"deleted\""});
    EXPECT_FALSE(
        Contains(Ok({"--verdata", patch, "export-all", "Items", m_Scratch.File("d")}), "left out"));

    // A later run adds to the file; a failing step leaves it byte for byte and makes no file.
    Ok({"patch", patch, "--delete", "sound", "2"});
    const Bytes saved = Read(patch);
    EXPECT_EQ(saved.size(), bytes.size() + 20);
    QImage wide(0x10000, 1, QImage::Format_RGB32);
    wide.fill(qRgb(1, 2, 3));
    const std::string widePng = m_Scratch.File("wide.png");
    ASSERT_TRUE(wide.save(QString::fromStdString(widePng)));
    for (const Args& steps : Commands("--delete gump 4 --replace sound 7 @p.png ; "
                                      "--replace item 0x11 @wide.png ; --delete terrain 3")) {
        const std::string err = Exits(2, Words({{"patch", patch}, steps})).err;
        EXPECT_EQ(Lines(err), 1) << err;
        EXPECT_EQ(Read(patch), saved);
    }
    ExpectParts(Cli({"patch", patch, "--replace", "sound", "7", png}).err, {"no RIFF/WAVE"});
    Exits(2, {"patch", m_Scratch.File("none.mul"), "--replace", "item", "1", widePng});
    EXPECT_FALSE(fs::exists(m_Scratch.File("none.mul")));
    // A ".pat" patch under another name is one all the same: refused, never written over.
    const std::string misnamed = m_Scratch.Write("edits.mul", PatFile());
    ExpectParts(Cli({"patch", misnamed, "--delete", "item", "1"}).err, {"is a \".pat\""});
    EXPECT_EQ(Read(misnamed), PatFile());
    EXPECT_FALSE(fs::exists(m_Scratch.File("tmpversave.mul")));

    // A record (of a client file or of no file's id) whose data lies past its patch file's end
    // does not stop the save: it keeps its header and points where no file reaches, still damaged.
    for (const std::uint32_t fileId : {std::uint32_t{kSlotArt}, std::uint32_t{0x01000400}}) {
        ByteWriter cut;
        cut.u32(1).u32(fileId).u32(0x4200).u32(24).u32(5000).u16(1).u16(1).zeros(20);
        const std::string damaged = m_Scratch.Write("damaged.mul", cut.take());
        EXPECT_EQ(Cli({"patch", damaged, "--delete", "item", "1"}).status, 0) << fileId;
        const Bytes after = Read(damaged);
        ASSERT_EQ(after.size(), 4u + 2 * 20);
        EXPECT_EQ(
            std::vector(after.begin() + 4, after.begin() + 24),
            ByteWriter().u32(fileId).u32(0x4200).u32(0xFFFFFFFE).u32(5000).u16(1).u16(1).take());
    }
    // A damaged sound replaced is named as the list names it.
    const std::string sounds = m_Scratch.Write(
        "damaged-sound.mul",
        ByteWriter().u32(1).u32(kSlotSound).u32(9).u32(24).u32(5000).u16(0).u16(0).take());
    Ok({"patch", sounds, "--replace", "sound", "9", wav});
    const auto records = RecordsOfPatch(Read(sounds));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(std::get<4>(*records.begin()).c_str(), std::string("Unk"));
}

// A save writes every record it did not change as the file holds it: bytes past what its entry
// reads, extra words, two records of one key, a sound block past the sounds' numbers.
TEST_F(ToolsTest, APatchSaveKeepsTheRecordsItDidNotChangeByteForByte) {
    const Bytes sample = Read(ClientDir() + "/verdata.mul");
    std::vector<mk::SamplePatch> patches;
    for (std::uint32_t i = 0; i < LoadLE32(sample.data()); ++i) {
        const std::uint8_t* r = sample.data() + 4 + 20 * std::size_t{i};
        const auto at = sample.begin() + LoadLE32(r + 8);
        mk::SamplePatch p{LoadLE32(r), LoadLE32(r + 4), std::vector(at, at + LoadLE32(r + 12)),
                          LoadLE16(r + 16), LoadLE16(r + 18)};
        if (p.fileId == kSlotArt) {
            mk::SamplePatch second = p;
            second.data.insert(second.data.end(), 50, 0xCD);
            p.data.insert(p.data.end(), 50, 0xAB);
            p.extra1 = p.extra2 = 0;
            patches.push_back(std::move(second));
        } else if (p.fileId == kSlotSound) {
            patches.push_back({p.fileId, p.block + 0x10000, p.data, 0, 0});
            p.extra1 = 0x1234;
            p.extra2 = 0x5678;
        }
        patches.push_back(std::move(p));
    }
    const std::string file = m_Scratch.Write("keep.mul", mk::BuildVerData(patches));
    auto expected = RecordsOfPatch(Read(file));
    Ok({"patch", file, "--delete", "item", "7"});
    expected.emplace(kSlotArt, kArtItemBase + 7, 0, 0, std::string());
    EXPECT_EQ(RecordsOfPatch(Read(file)), expected);
    // Of two records of one entry the later is what readers apply, and what an edit replaces.
    Ok({"patch", file, "--delete", "item", "0xe3c"});
    const auto later = std::find_if(expected.begin(), expected.end(), [](const auto& r) {
        return std::get<1>(r) == kArtItemBase + 0xe3c && std::get<4>(r).ends_with('\xAB');
    });
    ASSERT_NE(later, expected.end());
    expected.erase(later);
    expected.emplace(kSlotArt, kArtItemBase + 0xe3c, 0, 0, std::string());
    EXPECT_EQ(RecordsOfPatch(Read(file)), expected);
    // Through a link the file it names is patched, the link kept; a read-only file is kept.
    const std::string link = m_Scratch.File("link.mul");
    fs::create_symlink(file, link);
    Ok({"patch", link, "--delete", "item", "8"});
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(RecordsOfPatch(Read(file)).size(), expected.size() + 1);
    fs::permissions(file, fs::perms::owner_read);
    const Bytes kept = Read(file);
    ExpectParts(Cli({"patch", file, "--delete", "item", "9"}).err, {"is read-only"});
    EXPECT_EQ(Read(file), kept);
}

// --tiledata changes a record's name, flags and fields; values that do not fit write nothing.
TEST_F(ToolsTest, PatchChangesTileDataRecords) {
    const std::string patch = m_Scratch.File("tiles.mul");
    Ok({"patch", patch, "--tiledata", "item", "0xE3C", "name=red crate", "flags=0x40", "weight=7",
        "--tiledata", "terrain", "3", "name=m\u00FCd", "--tiledata", "item", "0xE3D", "Height=9"});
    ExpectParts(
        Ok({"--verdata", patch, "tiledata", "item", "0xE3C"}),
        {"item 0x0e3c (patched)\nName    red crate\nFlags   0x00000040 6=BLOCK\n", "Weight  7\n"});
    // A name is stored in Latin-1, one byte a character.
    ExpectParts(Ok({"--verdata", patch, "tiledata", "item", "0xE3D"}), {"Height  9\n"});

    const Bytes saved = Read(patch);
    ExpectParts(std::string(saved.begin(), saved.end()), {"m\xFC"
                                                          "d\0"});
    const std::vector<std::pair<std::string, std::string>> failing = {
        {"flags=0x1x", "invalid flags '0x1x'"},
        {"flags=0x100000000", kTileFlagsTooWideMessage},
        {"colour=1", "unknown tile data field 'colour'"},
        {"name=\u65E5", kTileNameLatin1Message},
    };
    for (const auto& [word, message] : failing) {
        ExpectParts(Exits(2, {"patch", patch, "--tiledata", "item", "1", word}).err, {message});
        EXPECT_EQ(Read(patch), saved);
    }

    // Merged into "tiledata.mul"; again into the same folder only with --replace.
    const std::string out = m_Scratch.File("merged");
    ExpectParts(Ok({"--verdata", patch, "merge", out}),
                {"tile data: tiledata.mul (2 records merged)\n"
                 "patch: verdata.mul (0 records not merged, kept)\n"});
    EXPECT_EQ(Read(out + "/verdata.mul"), Bytes(4, 0));
    // The merged client opens with it as a patch of no records, without a warning.
    Ok({"--verdata", out + "/verdata.mul", "list", "VerData"});
    Exits(2, {"--verdata", patch, "merge", out});
    Ok({"--verdata", patch, "merge", out, "--replace"});

    // A ".pat" patch's hue and multi go in too; a hue past hues.mul's end or a multi past any
    // client's number is named, not dropped.
    Bytes wide = Filler(32);
    const std::string pat =
        WritePat("edits.pat", PatchFileBuilder()
                                  .Record(kPatchTypeMulti, 1, wide)
                                  .Record(kPatchTypeMulti, 0xFFFFFFF0u, wide)
                                  .Record(kPatchTypeHues, 3, Filler(88, 0xC0))
                                  .Record(kPatchTypeHues, 3000, Filler(88, 0xC0))
                                  .Record(kPatchTypeStatics, 1, Filler(7)));
    const Result run = Exits(0, {"--verdata", patch, "merge", out, "--replace", "--pat", pat});
    ExpectParts(run.err, {"1 records of '" + pat + "' are of files other than hues"});
    ExpectParts(run.out, {"hues: hues.mul (1 records merged; 1 hue(s) of the \".pat\" "
                          "patch not merged, past the end of hues.mul or not 88 bytes: "
                          "3000)\n",
                          "multis: multi.mul, multi.idx (1 records merged; 1 multi(s) of "
                          "the \".pat\" patch not merged, numbered past any client's: "
                          "4294967280)\n"});
    Exits(2, {"merge", m_Scratch.File("bad"), "--pat", m_Scratch.File("none.pat")});
    const std::string empty = m_Scratch.Write("empty.mul", Bytes(4, 0));
    const std::string statics =
        WritePat("statics.pat", PatchFileBuilder().Record(kPatchTypeStatics, 1, Filler(7)));
    ExpectParts(
        Exits(2, {"--verdata", empty, "merge", m_Scratch.File("none"), "--pat", statics}).err,
        {"patch 1 of files other than hues and multis"});
    // A folder that holds the ".pat" patch is refused: replaced whole, it would take it along.
    fs::create_directory(m_Scratch.File("kept"));
    const std::string kept = m_Scratch.Write("kept/my.pat", Read(pat));
    ExpectParts(
        Exits(2, {"--verdata", patch, "merge", m_Scratch.File("kept"), "--replace", "--pat", kept})
            .err,
        {"the folder '" + m_Scratch.File("kept") + "' holds the \".pat\" patch '" + kept +
         "': choose a new folder\n"});
    EXPECT_EQ(Read(kept), Read(pat));
    // Multis past any client's number or holding too many components: named, no file written.
    const std::string far = WritePat("far.pat", PatchFileBuilder()
                                                    .Record(kPatchTypeMulti, 2, Filler(65537 * 12))
                                                    .Record(kPatchTypeMulti, 0xFFFFFFF0u, wide)
                                                    .Record(kPatchTypeHues, 3, Filler(88, 0xC0)));
    EXPECT_TRUE(Contains(Ok({"--verdata", empty, "merge", m_Scratch.File("far"), "--pat", far}),
                         "multis: no file written (0 records merged; 1 multi(s) of the \".pat\" "
                         "patch not merged, numbered past any client's: 4294967280; 1 multi(s) "
                         "of the \".pat\" patch not merged, holding more components than a "
                         "multi may (damaged): 2)\n"));
    EXPECT_FALSE(fs::exists(m_Scratch.File("far/multi.mul")));
    EXPECT_EQ(Exits(2, {"export", "multi", "2", m_Scratch.File("m.png"), "--pat", far}).err,
              "tessaly-cli: multi 0x2 of " + far +
                  " is damaged: it holds more components than a multi may (65536)\n");
}

// A hue record longer than the rest of the patch file: the merge takes the 1,220 bytes read.
TEST_F(ToolsTest, MergeTakesTheUsedPartOfARecordLongerThanThePatchFile) {
    Bytes patch = Read(ClientDir() + "/verdata.mul");
    for (std::uint32_t i = 0; i < LoadLE32(patch.data()); ++i) {
        if (LoadLE32(patch.data() + 4 + 20 * i) == kSlotHues) {
            StoreLE32(patch.data() + 4 + 20 * i + 12, 100000);
        }
    }
    const std::string longer = m_Scratch.Write("longer.mul", patch);
    const std::string hue = Ok({"--verdata", longer, "hue", "8"});
    ExpectParts(hue, {"'Red 9 patched'"});
    const std::string out = m_Scratch.File("merged");
    ExpectParts(Ok({"--verdata", longer, "merge", out}), {"hues: hues.mul (1 records merged)"});
    const std::string merged = CopyClient("client");
    fs::copy(out + "/hues.mul", merged + "/hues.mul", fs::copy_options::overwrite_existing);
    fs::remove(merged + "/verdata.mul");
    EXPECT_EQ(Cli({"hue", "8"}, merged).out, hue);
}

// "MultiCollection.uop" (in any case) is named by "files", the multi commands and a merge.
TEST_F(ToolsTest, AMultiCollectionIsNamedAsNotReadNorWritten) {
    const std::string dir = Generate("collection");
    const std::string before = Ok({"list", "Multis"}, dir);
    m_Scratch.Write("collection/multicollection.UOP",
                    WriteUopContainer({{0, {1, 2, 3}, false, "build/multicollection/000000.bin"}}));
    const Result r = Exits(0, {"list", "Multis"}, dir);
    EXPECT_EQ(r.out, before);
    EXPECT_EQ(r.err,
              "tessaly-cli: This client keeps its multis in 'MultiCollection.uop', which "
              "Tessaly does not read: the list shows only those of 'multi.mul'.\n");
    const std::string pat =
        WritePat("multi.pat", PatchFileBuilder().Record(kPatchTypeMulti, 1, Filler(24)));
    const Args merge = {"merge", m_Scratch.File("merged"), "--replace", "--pat", pat};
    ExpectParts(Ok(merge, dir),
                {"multis: multi.mul, multi.idx (1 records merged; the client keeps its multis in "
                 "'MultiCollection.uop', which is not written)\n"});
    ExpectParts(
        Ok(Words({merge, {"--json"}}), dir),
        {R"("kind":"multis","note":"the client keeps its multis in 'MultiCollection.uop')"});
    ExpectParts(Ok({"files"}, dir), {"    MultiCollection.uop ", "/multicollection.UOP  ",
                                     "  container  1 entries  not read\n"});
    EXPECT_EQ(Json(Ok({"files", "--json"}, dir))["otherContainers"][0]["entries"].toInt(), 1);
}

// The client's own patch file claiming more records than any client has (sparse, 8 GiB): the
// commands go on without it and say so once; named with --verdata, it is the command's error.
TEST_F(ToolsTest, AnUnreadableClientPatchIsLeftOutWithOneWarning) {
    const std::string dir = Generate("sparse", {"--hostile", "sparse-files"});
    const Result r = Exits(0, {"list", "Items"}, dir);
    const std::string empty = m_Scratch.Write("empty.mul", {0, 0, 0, 0});
    EXPECT_EQ(r.out, Ok({"--verdata", empty, "list", "Items"}, dir));
    EXPECT_EQ(Lines(r.err), 1) << r.err;
    ExpectParts(r.err,
                {"verdata.mul' cannot be read (VerData: Too many records): going on without it\n"});
    ExpectRefused({"--verdata", dir + "/verdata.mul", "list", "Items"},
                  "a damaged or cut file could not be read: VerData: Too many records", dir);
}

// A FIFO as the patch file, --verdata, picture or wave is refused at once and stays one; no file
// that is no patch of the client's format is taken for one, read or written.
TEST_F(ToolsTest, PatchRefusesSpecialFilesAndClientDataFiles) {
    const std::string fifo = m_Scratch.File("fifo.mul");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ExpectParts(Exits(2, {"patch", fifo, "--delete", "item", "1"}).err,
                {"'" + fifo + "' is not a regular file"});
    Cli({"--verdata", fifo, "list", "Items"});
    EXPECT_TRUE(fs::is_fifo(fifo));
    for (const char* kind : {"item", "sound"}) {
        ExpectParts(Cli({"patch", m_Scratch.File("p.mul"), "--replace", kind, "1", fifo}).err,
                    {"cannot read '" + fifo + "'"});
    }
    // A client file that is there but does not open is named with the reason, not as missing.
    const std::string client = m_Scratch.File("fifo-client");
    fs::create_directory(client);
    fs::copy_file(ClientDir() + "/artidx.mul", client + "/artidx.mul");
    ASSERT_EQ(::mkfifo((client + "/art.mul").c_str(), 0600), 0);
    ExpectParts(
        Cli({"files"}, client).out,
        {" 4  art.mul       '" + client + "/art.mul' cannot be opened: it is not a regular file\n",
         " 0  map0.mul      missing\n"});
    // The list asks for it row by row: it is named once.
    const std::string rows = Cli({"list", "Items"}, client).err;
    EXPECT_EQ(rows.find("is not a regular file"), rows.rfind("is not a regular file")) << rows;
    Cli({"export-all", "Items", m_Scratch.File("fifo-items")}, client);
    EXPECT_EQ(Manifest(m_Scratch.File("fifo-items"))["leftOut"][0]["why"].toString(),
              "its file would not open or read");

    // A client data or text file, present or not, or a link to one (tiledata.mul begins as an
    // empty patch table would); a ".pat" patch of either format, damaged or not; a ".pat" name.
    const std::string link = m_Scratch.File("link.mul");
    fs::create_symlink(ClientDir() + "/tiledata.mul", link);
    const Bytes hues = Filler(88);
    const std::string clients = "' is one of the client's data files, not a patch file";
    const std::string pats = "' is a \".pat\" patch, not a patch file of the client's format";
    const std::pair<std::string, std::string> refused[] = {
        {ClientDir() + "/art.mul", clients},  // also as --verdata
        {m_Scratch.File("cliloc.kor"), clients},
        {link, "' leads to 'tiledata.mul', one of the client's data files, not a patch file"},
        {WritePat("hues.pat", PatchFileBuilder().Record(kPatchTypeHues, 3, hues)),
         pats},  // also as --verdata
        {WritePat("damaged", PatchFileBuilder().Record(kPatchTypeHues, 3, hues).Count(0)), pats},
        {WritePat("old.pat",
                  PatchFileBuilder().Mark(kPatchMarkOld).Record(kPatchTypeHues, 3, hues).Count(7)),
         pats},
        {m_Scratch.File("new.PAT"),
         "' is named as a \".pat\" patch: patch writes patch files of the client's format; "
         "choose another name"},
    };
    for (const auto& [path, why] : refused) {
        const bool there = fs::exists(path);
        const Bytes before = Read(path);
        ExpectRefused({"patch", path, "--delete", "item", "1"}, "'" + path + why);
        if (&path == &refused[0].first || &path == &refused[3].first) {
            ExpectRefused({"--verdata", path, "verdata"}, "'" + path + why);
        }
        EXPECT_EQ(fs::exists(path), there) << path;
        EXPECT_EQ(Read(path), before) << path;
    }
    // A patch file is found by name regardless of case: the edit goes into the one there.
    const std::string lower = m_Scratch.File("case/verdata.mul");
    fs::create_directory(m_Scratch.File("case"));
    Ok({"patch", lower, "--delete", "item", "1"});
    ExpectParts(Ok({"patch", m_Scratch.File("case/VERDATA.MUL"), "--delete", "item", "2"}),
                {"wrote " + lower + " (2 records)"});
    EXPECT_FALSE(fs::exists(m_Scratch.File("case/VERDATA.MUL")));
}

}  // namespace
}  // namespace tessaly
