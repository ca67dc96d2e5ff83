// tessaly-cli export-all CATEGORY DIR: every entry of a category written as "Export..." writes
// it, with a manifest, in several threads.

#include "CDataDef.h"
#include "CategoryExport.h"
#include "Cli.h"
#include "DataTypeDef.h"
#include "Text.h"
#include "Texts.h"

#include <QJsonArray>
#include <QJsonObject>

#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <ostream>
#include <thread>

namespace tessaly::cli {
namespace {

// Makes the folder an export writes into (and those above it), or says why it cannot.
void MakeExportFolder(const std::string& dir) {
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (!std::filesystem::is_directory(dir)) {
        throw UsageError("cannot make the directory '" + dir +
                         "': " + (error ? error.message() : std::string("it is not a folder")));
    }
}

// The Cliloc category exports as a whole: "cliloc-LANG.csv" and "cliloc-LANG.json".
int ExportCliloc(Invocation& inv, const std::string& dir) {
    const std::shared_ptr<const ClilocView> view = ChooseClilocView(inv);
    MakeExportFolder(dir);
    QJsonArray files;
    // One text at a time: each is as large as the messages.
    for (const auto& [extension, make] :
         {std::pair{".csv", &ClilocCsv}, std::pair{".json", &ClilocJson}}) {
        const std::string path =
            (std::filesystem::path(dir) / ("cliloc-" + view->language + extension)).string();
        if (const std::string failed = WriteExport(path, make(*view)); !failed.empty()) {
            throw UsageError(failed);
        }
        files.append(LocalString(path));
        if (!inv.json) {
            *inv.out << Format("Cliloc: %zu messages written to ", view->rows.size()) << path
                     << '\n';
        }
    }
    if (inv.json) {
        QJsonObject o;
        o["category"] = QStringLiteral("Cliloc");
        o["language"] = QString::fromStdString(view->language);
        o["entries"] = static_cast<qint64>(view->rows.size());
        o["files"] = files;
        inv.PrintJson(o);
    }
    return 0;
}

int RunExportAll(Invocation& inv) {
    const std::string& name = inv.Arg(0, "CATEGORY");
    const std::string& dir = inv.OutputArg(1, "output directory");
    const std::int32_t category = FindCategory(name);
    if (category == 0) {
        throw UsageError("unknown category '" + name + "'");
    }
    // A whole category's files and a manifest do not belong among the client's own.
    if (TheClientFiles().IsClientFolder(dir)) {
        throw UsageError("the folder '" + dir + "' is the client's folder: choose another folder");
    }
    const DataTypeDef* def = GetTypeDef(category);
    const char* shortName = def->m_pszName;
    if (def->m_bMessages) {
        return ExportCliloc(inv, dir);
    }
    if (inv.Value("--lang") != nullptr) {
        throw UsageError("--lang is for the Cliloc category");
    }
    WarnNote(GetListNote(*def, TheClientFiles()));
    if (std::unique_ptr<CDataDef>(CreateDataDef(category, 0))->GetExportKind() ==
        ExportKind::None) {
        throw UsageError(std::string("the ") + shortName + " category has nothing to export");
    }
    unsigned jobs = std::max(std::thread::hardware_concurrency(), 1u);
    if (const std::string* value = inv.Value("--jobs")) {
        jobs = ParseNumber(*value, "number of jobs", 256);
        if (jobs == 0) {
            throw UsageError("invalid number of jobs '0'");
        }
    }
    ExportOptions options;
    options.bFrames = inv.HasFlag("--frames");
    options.bGif = inv.HasFlag("--gif");
    options.bAllActions = inv.HasFlag("--all-actions");
    if (options.bFrames && options.bGif) {
        throw UsageError("--frames and --gif exclude each other");
    }
    ReadHueOptions(inv, GetTypeDef(category)->m_bTakesHue, options);
    // Made once every option is known good: a refused run leaves no empty folder behind.
    MakeExportFolder(dir);
    CCategoryExport run(category, options);
    // A progress line only where someone watches it.
    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    if (terminal) {
        run.m_Progress = [shortName](std::uint32_t done, std::uint32_t total) {
            std::fprintf(stderr, "\r%s: %u of %u entries", shortName, done, total);
            std::fflush(stderr);
        };
    }
    const bool written = run.Run(dir, jobs);
    if (terminal) {
        std::fprintf(stderr, "\n");
    }
    if (!written) {
        throw UsageError(run.GetError());
    }
    if (inv.json) {
        QJsonObject o;
        o["category"] = QString::fromLatin1(shortName);
        o["entries"] = static_cast<qint64>(run.GetEntries().size());
        o["files"] = static_cast<qint64>(run.GetFileCount());
        o["skipped"] = static_cast<qint64>(run.GetSkipped());
        o["damaged"] = static_cast<qint64>(run.GetDamaged().size());
        o["leftOut"] = static_cast<qint64>(run.GetLeftOut().size());
        o["manifest"] = LocalString((std::filesystem::path(dir) / kExportManifest).string());
        inv.PrintJson(o);
    } else {
        *inv.out << Format("%s: %zu entries exported to %llu files in ", shortName,
                           run.GetEntries().size(),
                           static_cast<unsigned long long>(run.GetFileCount()))
                 << dir << " (" << kExportManifest << ")\n"
                 << Format("%u entries without data skipped\n", run.GetSkipped());
        if (!run.GetDamaged().empty()) {
            *inv.out << Format("%zu damaged entries skipped (listed in %s)\n",
                               run.GetDamaged().size(), kExportManifest);
        }
        if (!run.GetLeftOut().empty()) {
            *inv.out << Format("%zu entries left out, each with why (listed in %s)\n",
                               run.GetLeftOut().size(), kExportManifest);
        }
    }
    return 0;
}

CommandRegistrar exportAll(
    {"export-all",
     "CATEGORY DIR [--jobs N] [--frames] [--gif] [--all-actions] [--hue N [--partial]] [--lang L]",
     "every entry of a category as Export... writes it, and manifest.json; "
     "--frames: animations (and animated items) as one PNG per frame; --gif: as animated GIFs; "
     "--all-actions: every action and direction of each body (sprite sheets with JSON, or "
     "with --frames or --gif); --hue: items, gumps and "
     "animations in that hue; Cliloc: the messages as CSV and JSON, --lang: in language L "
     "(\"deu\") over English",
     true, RunExportAll});

}  // namespace
}  // namespace tessaly::cli
