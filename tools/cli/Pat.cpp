// tessaly-cli pat: the records of a ".pat" patch file, or whether it is well formed.

#include "Cli.h"
#include "ClientFiles.h"
#include "PatchFileIO.h"
#include "PatchFormat.h"
#include "Text.h"

#include <QJsonArray>
#include <QJsonObject>

#include <ostream>

namespace tessaly::cli {
namespace {

int RunPat(Invocation& inv) {
    const std::string& path = inv.Arg(0, "patch file");
    auto bytes = CPatchFileIO().ReadFile(path);
    if (!bytes) {
        throw UsageError("cannot read '" + path + "'");
    }
    PatchFileContents contents = ReadPatchFile(*bytes);

    if (inv.HasFlag("--check")) {
        if (inv.json) {
            QJsonObject o;
            o["file"] = LocalString(path);
            o["wellFormed"] = contents.IsValid();
            o["description"] = LocalString(contents.Describe());
            inv.PrintJson(o);
        } else {
            *inv.out << path << ": " << contents.Describe() << '\n';
        }
        return contents.IsValid() ? 0 : 1;
    }
    if (!contents.IsValid()) {
        throw UsageError(path + ": " + contents.Describe());
    }
    if (contents.nRepeated != 0) {
        // The list holds the records the patch applies; say which were left out of it and why.
        WarnNote(path + ": " + contents.Describe());
    }

    QJsonArray records;
    if (!inv.json) {
        *inv.out << "type  file          index      length\n";
    }
    ForEachPatchRecord(contents.records, contents.nCount, [&](const PatchRecordView& r) {
        // The type is a client file slot; only its low 6 bits count.
        const char* name = CClientFiles::GetFileName(r.header.nType & kPatchTypeMask);
        const char* file = name ? name : "";
        if (inv.json) {
            QJsonObject o;
            o["type"] = r.header.nType;
            o["file"] = file;
            o["index"] = static_cast<qint64>(r.header.nIndex);
            o["length"] = static_cast<qint64>(r.header.nLength);
            records.append(o);
        } else {
            *inv.out << Format("%4u  %-12s  0x%08x %u\n", r.header.nType, *file ? file : "-",
                               r.header.nIndex, r.header.nLength);
        }
        return true;
    });
    if (inv.json) {
        QJsonObject o;
        o["file"] = LocalString(path);
        o["format"] = contents.IsOldFormat() ? "old" : "current";
        o["count"] = static_cast<qint64>(contents.nCount);
        o["records"] = records;
        inv.PrintJson(o);
    }
    return 0;
}

const CommandRegistrar kPat({"pat", "FILE [--check]",
                             "records of a .pat patch file (type, file, index, length); --check: "
                             "is it well formed",
                             false, RunPat});

}  // namespace
}  // namespace tessaly::cli
