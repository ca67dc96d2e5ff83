// tessaly-cli merge: the records of a "verdata.mul" patch file written into new copies of the
// client files they change, in a new folder; the client's own files are only read.

#include "CDataDefMulti.h"
#include "Cli.h"
#include "ClientMerge.h"
#include "MultiType.h"
#include "OutputFolder.h"
#include "PatchFileIO.h"
#include "PatchFormat.h"
#include "Text.h"

#include <QJsonArray>
#include <QJsonObject>

#include <ostream>

namespace tessaly::cli {
namespace {

int RunMerge(Invocation& inv) {
    const std::string& target = inv.OutputArg(0, "output folder");
    const std::string* to = inv.Value("--to");
    std::optional<ClientForm> form;
    if (to != nullptr) {
        if (*to != "uop" && *to != "mul") {
            throw UsageError("--to takes uop or mul");
        }
        form = *to == "uop" ? ClientForm::Container : ClientForm::MulPair;
    }
    PatchOverlay overlay;
    if (const std::string* pat = inv.Value("--pat")) {
        const auto bytes = CPatchFileIO().ReadFile(*pat);
        if (!bytes) {
            throw UsageError("cannot read '" + *pat + "'");
        }
        const PatchFileContents contents = ReadPatchFile(*bytes);
        if (!contents.IsValid()) {
            throw UsageError(*pat + ": " + contents.Describe());
        }
        overlay = MakePatchOverlay(contents.records, contents.nCount);
        overlay.path = *pat;
        if (overlay.nOtherRecords != 0 && !overlay.Empty()) {
            WarnNote(
                Format("%u records of '%s' are of files other than hues and multis, the only "
                       "ones merged from a \".pat\" patch",
                       overlay.nOtherRecords, pat->c_str()));
        }
    }
    overlay.multiComponentSize = GetMultiRecordSize(TheClientFiles());
    MergeResult result;
    try {
        result = MergePatchRecords(TheClientFiles(), target, inv.HasFlag("--replace"), form,
                                   nullptr, {}, &overlay);
    } catch (const COutputError& e) {
        throw UsageError(e.what());
    }
    if (inv.json) {
        QJsonArray written;
        for (const MergeResult::Written& w : result.written) {
            QJsonObject o;
            o["kind"] = QString::fromStdString(w.kind);
            o["files"] = FileNamesJson(w.files);
            o["records"] = static_cast<qint64>(w.records);
            o["damaged"] = DamagedJson(w.damaged);
            if (!w.damagedTable.empty()) {
                o["damagedTable"] = QString::fromStdString(w.damagedTable);
            }
            if (!w.note.empty()) {
                o["note"] = QString::fromStdString(w.note);
            }
            written.append(o);
        }
        QJsonObject o;
        o["folder"] = LocalString(target);
        o["written"] = written;
        inv.PrintJson(o);
        return 0;
    }
    for (const MergeResult::Written& w : result.written) {
        *inv.out << w.kind << ": " << (w.files.empty() ? "no file written" : JoinFileNames(w.files))
                 << " (" << w.records
                 << (w.kind == "patch" ? " records not merged, kept" : " records merged");
        *inv.out << DamagedText(w.damaged, w.damagedTable) << (w.note.empty() ? "" : "; ") << w.note
                 << ")\n";
    }
    *inv.out << "wrote " << target << '\n';
    return 0;
}

const CommandRegistrar kMerge({"merge", "OUTDIR [--pat FILE] [--to uop|mul] [--replace]",
                               "the patch file's (--verdata, else the client's verdata.mul) "
                               "records merged into new copies of the files they change (art, "
                               "gumps, sounds, textures, lights, animations, multis, skills, "
                               "map0, statics0, tile data, animdata, hues) in the new folder "
                               "OUTDIR, the records the client would not apply kept in the "
                               "folder's verdata.mul, damaged entries of the client listed and "
                               "left damaged; --pat: the hues and multis of a .pat patch merged "
                               "too (--to: the form of art, gumps, sounds and map0; --replace: "
                               "replace an existing OUTDIR); the client's files are only read",
                               true, RunMerge});

}  // namespace
}  // namespace tessaly::cli
