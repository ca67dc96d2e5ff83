#pragma once
// Command framework of tessaly-cli. Each cli/*.cpp registers its commands with a static
// CommandRegistrar; main.cpp parses the global options, sets up the client file set and runs
// the command. Errors the user can mend are thrown as UsageError (one line, exit status 2).

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

#include <cstdint>
#include <iosfwd>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessaly {
struct ExportOptions;
}

namespace tessaly::cli {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct GlobalOptions {
    std::string clientDir;  // --client-dir: the chosen directory; empty = use the Wine registry
    std::string verdata;    // --verdata: another patch file for slot 22
};

struct Invocation {
    GlobalOptions global;
    std::vector<std::string> args;   // the command's own arguments, options removed
    std::vector<std::string> flags;  // the command's --options other than --json, in order
    std::map<std::string, std::string> values;  // the values of those that take one
    bool json = false;
    std::ostream* out = nullptr;

    bool HasFlag(const std::string& flag) const;
    // The value given to an option that takes one, or null.
    const std::string* Value(const std::string& flag) const;
    // The argument at i, or a UsageError naming `what` when it is missing.
    const std::string& Arg(std::size_t i, const char* what) const;
    // Arg for the file or folder a command writes, which ends its arguments: a word after it is
    // a UsageError (a slip such as a frame number given where the file goes would otherwise
    // write a file of that name).
    const std::string& OutputArg(std::size_t i, const char* what) const;
    // Argument i as a number (decimal or 0x-hex), within [0, max].
    std::uint32_t Number(std::size_t i, const char* what, std::uint32_t max = 0xFFFFFFFFu) const;
    // Writes one JSON document (compact, one line) to out.
    void PrintJson(const QJsonValue& value) const;
};

// One JSON document {head's members..., "key": [rows...]} printed as it is made: each row goes
// out when it is added, so a list of hundreds of thousands of rows is never held whole. The
// bytes are those PrintJson gives for the whole object, whose members are ordered by name: key
// must sort after every member of head.
class JsonRows {
public:
    JsonRows(const Invocation& inv, const QJsonObject& head, const char* key);
    void Add(const QJsonObject& row);
    // Closes the array and the object, and ends the line.
    void Finish();

private:
    std::ostream* m_pOut;
    bool m_bFirst = true;
};

using Handler = int (*)(Invocation& inv);

struct Command {
    const char* name;
    const char* usage;    // arguments after the name, e.g. "IDXSLOT DATASLOT ENTRY"; its options
                          // in brackets ("[--check]") are the only ones it accepts
    const char* summary;  // one line for --help
    bool needsClient;     // main sets up the client file set before running it
    Handler run;
    // When set, the command answers only when its first argument is this word (one family's
    // part of a shared command such as "export"); such commands are tried before the general
    // one of the same name.
    const char* kind = nullptr;
    // Its options take the words after them (patch): the handler checks what is left over.
    bool optionWords = false;
};

void RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

struct CommandRegistrar {
    explicit CommandRegistrar(const Command& command) { RegisterCommand(command); }
};

// A name read from the client files, which are Latin-1, for JSON: every byte kept (plain text
// output takes Latin1ToTerminal from Text.h, which shows control bytes as escapes).
QString NameString(const std::string& name);
// A path, words the user gave or the program's own: local 8-bit text, which is UTF-8 here.
QString LocalString(const std::string& text);
// The files a command wrote: a JSON array of their names, and "a, b" for the terminal.
QJsonArray FileNamesJson(const std::vector<std::string>& names);
std::string JoinFileNames(const std::vector<std::string>& names);
// The damaged entries a command left damaged: a JSON array of their numbers, and for the
// terminal "; N damaged entries left damaged: a b c" (nothing when there are none), with
// "; the source's table is damaged (WHY), the entries before the damage written" after it when
// `table` (the complaint about a source container's table) is not empty.
QJsonArray DamagedJson(const std::vector<std::uint32_t>& entries);
std::string DamagedText(const std::vector<std::uint32_t>& entries, const std::string& table);

// Parses decimal or 0x-hex text; UsageError naming `what` on anything else or above max.
std::uint32_t ParseNumber(const std::string& text, const char* what,
                          std::uint32_t max = 0xFFFFFFFFu);
// The same for 64-bit numbers.
std::uint64_t ParseWideNumber(const std::string& text, const char* what,
                              std::uint64_t max = ~std::uint64_t{0});

// Reads --hue N (the client's hue number, 0 to 3000) and --partial into options; UsageError
// when they are given for pictures that take no hue (`applies` false) or --partial comes alone.
void ReadHueOptions(Invocation& inv, bool applies, ExportOptions& options);

// Writes a note about where the client's entries come from (a category's note, see
// DataTypeDef::m_pNote) to standard error as one line; nothing when it is empty.
void WarnNote(const std::string& note);

// Points the process-wide client file set at the chosen directory (or the Wine registry) and
// slot 22 at --verdata, and loads the patch table. Throws UsageError when that is impossible.
void PrepareClientFiles(const GlobalOptions& options);
// Refuses (UsageError) a patch file path whose name is that of a client data file: reading it
// would take its bytes for records, writing it would replace the client's file.
void RefuseClientDataFileAsPatch(const std::string& path);

}  // namespace tessaly::cli
