// tessaly-cli patch FILE: builds a "verdata.mul" patch file by script. Each --replace and
// --delete is one change, applied in the order given, as the window's edit commands make them;
// the file is then written once through the patch save. A step that fails writes nothing.

#include "CDataDefSound.h"
#include "CVerDataEdits.h"
#include "Cli.h"
#include "DataTypeDef.h"
#include "FileNames.h"
#include "MulSound.h"
#include "PictureImage.h"
#include "QFile.h"
#include "TarnError.h"
#include "Text.h"
#include "TileData.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>

namespace tessaly::cli {
namespace {

// The category of a KIND word of the command line: one whose entries can be replaced.
const DataTypeDef& EditKind(const std::string& kind) {
    const DataTypeDef* def = FindCategoryKind(kind);
    if (def != nullptr && def->m_Edit != EditSource::None) {
        return *def;
    }
    throw UsageError("unknown kind '" + kind + "' (item, gump or sound)");
}

// Points slot 22 and the patch table at FILE: its records when it exists, none when it does not.
void PreparePatch(Invocation& inv, const std::string& path) {
    RefuseClientDataFileAsPatch(path);
    std::error_code ec;
    const bool exists = std::filesystem::exists(path, ec);
    // A new file named as a ".pat" patch would hold the client's format under that name, which
    // the window and "pat" then refuse.
    if (!exists && EndsWithNoCase(path, ".pat")) {
        throw UsageError("'" + path +
                         "' is named as a \".pat\" patch: patch writes patch files of the "
                         "client's format; choose another name");
    }
    GlobalOptions global = inv.global;
    global.verdata = exists ? path : std::string();
    PrepareClientFiles(global);
    if (!exists) {
        TheClientFiles().GetFile(kSlotVerData).Close();
        TheClientFiles().SetSlotPath(kSlotVerData, path);
        TheVerDataTable().RemoveAll();
    }
}

// The current name of a sound (through the patch), for a replacement to keep ("Unk" for a
// damaged one, as the window keeps it); else the name of the file it comes from, in Latin-1
// ('?' for a character outside it).
std::string SoundName(std::uint32_t id, const std::string& path) {
    try {
        CMulSound sound(static_cast<std::uint16_t>(id));
        if (sound.GetData() != nullptr && sound.GetLength() > 0) {
            return CMulSound::ReadName(sound.GetBytes());
        }
    } catch (const CTarnError&) {
        return kUnknownSoundName;  // a damaged sound: named as the list names it
    }
    // Sound names are Latin-1, as the list reads them; the file name is the terminal's UTF-8.
    return LocalString(std::filesystem::path(path).filename().string()).toLatin1().toStdString();
}

EntryEdit MakeEdit(const std::string& flag, const std::vector<std::string>& words) {
    const DataTypeDef& def = EditKind(words[0]);
    const std::int32_t category = def.m_nId;
    const std::uint32_t limit = GetEntryCount(def, TheClientFiles());
    const std::uint32_t id = ParseNumber(words[1], "entry id", limit - 1);
    if (flag == "--delete") {
        return DeleteEntry(category, id);
    }
    const std::string& path = words[2];
    if (def.m_Edit == EditSource::Picture) {
        const std::optional<Picture> picture = ReadPictureFile(path);
        if (!picture) {
            throw UsageError("cannot read '" + path + "'");
        }
        EntryEdit edit = ReplacePicture(category, id, *picture);
        if (!edit.pChange && edit.sMessage == kNoPictureMessage) {
            edit.sMessage = "'" + path + "' holds no picture that can be read";
        }
        return edit;
    }
    const std::optional<std::vector<std::uint8_t>> wave = ReadRegularFile(path, kMaxSoundEntry);
    if (!wave) {
        throw UsageError("cannot read '" + path + "': " + std::strerror(errno));
    }
    return ReplaceSound(id, SoundName(id, path), *wave);
}

// A field word of --tiledata ("stacking_offset", "StackingOffset") compared with a label.
std::string FieldKey(const std::string& text) {
    std::string key;
    for (const char c : text) {
        if (c != ' ' && c != '_' && c != '-') {
            key += AsciiLower(c);
        }
    }
    return key;
}

// --tiledata item|terrain ID KEY=VALUE...: the words after ID are its settings.
EntryEdit MakeTileEdit(const std::vector<std::string>& words,
                       const CQObArray<CDataVerData*>& records) {
    if (words[0] != "item" && words[0] != "terrain") {
        throw UsageError("unknown kind '" + words[0] + "' for --tiledata (item or terrain)");
    }
    const bool item = words[0] == "item";
    const std::uint32_t id = ParseNumber(words[1], item ? "item id" : "terrain id", 0xFFFF);
    const std::span<const TileItemField> fields =
        GetTileItemFields(GetTileDataShape(TheClientFiles()).layout);
    TileRecordChange change;
    for (std::size_t i = 2; i < words.size(); ++i) {
        const std::size_t eq = words[i].find('=');
        const std::string key = words[i].substr(0, eq);
        const std::string value = words[i].substr(eq + 1);
        if (key == "name") {
            // Names are Latin-1, one byte a character, as the TileData page stores them; the
            // command line's text is the terminal's (UTF-8).
            const QString text = LocalString(value);
            const QByteArray latin1 = text.toLatin1();
            if (QString::fromLatin1(latin1) != text) {
                throw UsageError(kTileNameLatin1Message);
            }
            change.name = latin1.toStdString();
            continue;
        }
        if (key == "flags") {
            change.flags = ParseWideNumber(value, "flags");
            continue;
        }
        const auto field = std::find_if(fields.begin(), fields.end(), [&key](const auto& f) {
            return FieldKey(f.label) == FieldKey(key);
        });
        if (!item || field == fields.end()) {
            std::string known = "name, flags";
            for (const TileItemField& f : fields) {
                known += ", " + FieldKey(f.label);
            }
            throw UsageError("unknown tile data field '" + key + "' (" +
                             (item ? known : std::string("name, flags")) + ")");
        }
        change.fields[static_cast<std::size_t>(field - fields.begin())] =
            ParseWideNumber(value, field->label);
    }
    return EditTileRecord(item, id, change, &records);
}

// The patch file found by name regardless of case, as the client finds it: "VERDATA.MUL" names
// the folder's "verdata.mul" rather than a second file beside it.
std::string FindPatchFile(const std::string& given) {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(given, ec))) {
        return given;
    }
    const std::filesystem::path named(given);
    const std::string found =
        FindFileNoCase(named.parent_path().string(), named.filename().string());
    return found.empty() ? given : found;
}

int RunPatch(Invocation& inv) {
    const std::string path = FindPatchFile(inv.Arg(0, "patch file"));
    if (inv.flags.empty()) {
        throw UsageError(
            "nothing to do: give --replace KIND ID FILE, --delete KIND ID or --tiledata KIND ID "
            "KEY=VALUE...");
    }
    PreparePatch(inv, path);
    CQObArray<CDataVerData*> entries;
    CVerDataTable& table = TheVerDataTable();
    entries.SetSize(table.GetCount());
    for (std::int32_t i = 0; i < table.GetCount(); ++i) {
        entries[i] = new CDataVerData(table.ElementAt(i));
    }
    CVerDataEdits edits(entries);
    // The flags and the words after FILE both stand in line order: each flag takes its words.
    std::size_t next = 1;
    QJsonArray steps;
    for (const std::string& flag : inv.flags) {
        std::size_t count = flag == "--replace" ? 3 : 2;
        if (next + count > inv.args.size()) {
            throw UsageError(flag == "--replace"  ? "--replace needs KIND ID FILE"
                             : flag == "--delete" ? "--delete needs KIND ID"
                                                  : "--tiledata needs KIND ID KEY=VALUE...");
        }
        // --tiledata takes the KEY=VALUE words that follow its KIND and ID.
        while (flag == "--tiledata" && next + count < inv.args.size() &&
               inv.args[next + count].find('=') != std::string::npos) {
            ++count;
        }
        std::vector<std::string> words(
            inv.args.begin() + static_cast<std::ptrdiff_t>(next),
            inv.args.begin() + static_cast<std::ptrdiff_t>(next + count));
        next += count;
        EntryEdit edit =
            flag == "--tiledata" ? MakeTileEdit(words, entries) : MakeEdit(flag, words);
        if (!edit.pChange) {
            throw UsageError(edit.sMessage.empty() ? "cannot change " + words[0] : edit.sMessage);
        }
        QJsonObject step;
        step["action"] = flag == "--replace"  ? "replace"
                         : flag == "--delete" ? "delete"
                                              : "tiledata";
        step["kind"] = LocalString(words[0]);
        step["id"] = static_cast<qint64>(ParseNumber(words[1], "entry id"));
        step["length"] = static_cast<qint64>(edit.pChange->GetChangeBytes().size());
        steps.append(step);
        edits.Apply(std::move(edit.pChange));
    }
    if (next != inv.args.size()) {
        throw UsageError("unexpected argument '" + inv.args[next] + "'");
    }
    std::string why;
    if (!SaveVerDataEntries(path, entries, nullptr, {}, &why)) {
        throw UsageError("cannot write '" + path + "' (it is left as it was)" +
                         (why.empty() ? "" : ": " + why));
    }
    if (inv.json) {
        QJsonObject o;
        o["file"] = LocalString(path);
        o["records"] = entries.GetCount();
        o["steps"] = steps;
        inv.PrintJson(o);
    } else {
        for (const auto& value : steps) {
            const QJsonObject step = value.toObject();
            *inv.out << step["action"].toString().toStdString() << ' '
                     << step["kind"].toString().toStdString() << ' '
                     << Format("0x%x", static_cast<unsigned>(step["id"].toInteger())) << '\n';
        }
        *inv.out << "wrote " << path << " (" << entries.GetCount() << " records)\n";
    }
    return 0;
}

const CommandRegistrar kPatch({"patch", "FILE [--replace] [--delete] [--tiledata]",
                               "changes items, gumps, sounds and tile data of a patch file: "
                               "--replace item|gump ID PICTURE.png, --replace sound ID FILE.wav, "
                               "--delete KIND ID, --tiledata item|terrain ID name=TEXT "
                               "flags=0xN FIELD=N... (repeatable, in order; written once, or not "
                               "at all)",
                               false, RunPatch, nullptr, true});

}  // namespace
}  // namespace tessaly::cli
