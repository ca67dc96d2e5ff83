// tessaly-cli convert: art, gumps, sounds and maps between the .mul/.idx form and the container
// form, into a new folder; the client's own files are only read.

#include "Cli.h"
#include "ClientWriter.h"
#include "OutputFolder.h"

#include <QJsonArray>
#include <QJsonObject>

#include <ostream>

namespace tessaly::cli {
namespace {

int RunConvert(Invocation& inv) {
    const std::string& target = inv.OutputArg(0, "output folder");
    const std::string* to = inv.Value("--to");
    if (to == nullptr || (*to != "uop" && *to != "mul")) {
        throw UsageError("convert needs --to uop or --to mul");
    }
    EntryFileOptions options;
    options.form = *to == "uop" ? ClientForm::Container : ClientForm::MulPair;
    ConvertResult result;
    try {
        result = ConvertClientFiles(TheClientFiles(), target, inv.HasFlag("--replace"), options);
    } catch (const COutputError& e) {
        throw UsageError(e.what());
    }
    if (inv.json) {
        QJsonArray written;
        for (const ConvertResult::Written& w : result.written) {
            QJsonObject o;
            o["kind"] = QString::fromStdString(KindName(w.spec));
            o["files"] = FileNamesJson(w.files);
            o["entries"] = static_cast<qint64>(w.entries);
            o["damaged"] = DamagedJson(w.damaged);
            if (!w.damagedTable.empty()) {
                o["damagedTable"] = QString::fromStdString(w.damagedTable);
            }
            if (!w.note.empty()) {
                o["note"] = QString::fromStdString(w.note);
            }
            written.append(o);
        }
        QJsonArray kept;
        for (const EntryFileSpec& spec : result.alreadyInForm) {
            kept.append(QString::fromStdString(KindName(spec)));
        }
        QJsonObject o;
        o["folder"] = LocalString(target);
        o["to"] = QString::fromStdString(*to);
        o["written"] = written;
        o["alreadyInForm"] = kept;
        inv.PrintJson(o);
        return 0;
    }
    for (const ConvertResult::Written& w : result.written) {
        *inv.out << KindName(w.spec) << ": " << JoinFileNames(w.files) << " (" << w.entries
                 << (w.spec.kind == EntryFileKind::Map ? " blocks" : " entries");
        *inv.out << DamagedText(w.damaged, w.damagedTable) << (w.note.empty() ? "" : "; ") << w.note
                 << ")\n";
    }
    for (const EntryFileSpec& spec : result.alreadyInForm) {
        *inv.out << KindName(spec) << ": already in that form, not written\n";
    }
    *inv.out << "wrote " << target << '\n';
    return 0;
}

const CommandRegistrar kConvert({"convert", "OUTDIR [--to uop|mul] [--replace]",
                                 "art, gumps, sounds and maps into the container (uop) or .mul "
                                 "form, written into the new folder OUTDIR (--replace: replace "
                                 "an existing one); the client's files are only read",
                                 true, RunConvert});

}  // namespace
}  // namespace tessaly::cli
