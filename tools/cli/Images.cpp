// tessaly-cli commands over the pictures: export (as PNG), hue, multi.

#include "AnimType.h"
#include "CDataDef.h"
#include "CDataDefAnim.h"
#include "CDataDefMulti.h"
#include "Cli.h"
#include "DataExport.h"
#include "Hues.h"
#include "MultiType.h"
#include "PatchFileIO.h"
#include "PatchFormat.h"
#include "Surface.h"
#include "SurfaceDevice.h"
#include "Text.h"

#include <QJsonArray>
#include <QJsonObject>

#include <memory>
#include <ostream>
#include <utility>

namespace tessaly::cli {
namespace {

// Writes an exported picture as a PNG file, as Export... does.
void WritePicture(Invocation& inv, const std::string& what, const CExportData& data,
                  const std::string& path) {
    if (data.IsEmpty()) {
        throw UsageError(what + " has no picture");
    }
    std::vector<ExportedFile> files;
    std::string error;
    if (!data.Write(path, files, error)) {
        throw UsageError(error);
    }
    const QSize size = data.GetPictureSize();
    if (files.size() != 1 || size.isEmpty()) {
        // Frames, GIFs, sheets with their descriptions: the files written.
        if (inv.json) {
            QJsonArray list;
            for (const ExportedFile& file : files) {
                QJsonObject f;
                f["file"] = LocalString(file.path);
                f["size"] = static_cast<qint64>(file.size);
                list.append(f);
            }
            QJsonObject o;
            o["picture"] = LocalString(what);
            o["files"] = list;
            inv.PrintJson(o);
        } else {
            *inv.out << what << ": " << files.size() << (files.size() == 1 ? " file" : " files")
                     << " written\n";
            for (const ExportedFile& file : files) {
                *inv.out << "  " << file.path << " (" << file.size << " bytes)\n";
            }
        }
        return;
    }
    if (inv.json) {
        QJsonObject o;
        o["picture"] = LocalString(what);
        o["width"] = size.width();
        o["height"] = size.height();
        o["file"] = LocalString(path);
        inv.PrintJson(o);
    } else {
        *inv.out << what << ": " << size.width() << " x " << size.height() << " written to " << path
                 << '\n';
    }
}

// Refuses what a read found damaged, or whose file fails, saying so (an empty slot is left to
// the caller's own words).
void RefuseStatus(ReadStatus status, const std::string& what) {
    switch (status) {
        case ReadStatus::Damaged:
            throw UsageError(what + " is damaged: its record or data does not hold together");
        case ReadStatus::Failed:
            throw UsageError(what + " cannot be read: its file would not open or read");
        case ReadStatus::Ok:
        case ReadStatus::Absent:
            break;
    }
}
// For an entry that gave nothing: refuses it when its read status is damaged or failed.
void RefuseUnreadable(CDataDef& entry, const std::string& what) {
    RefuseStatus(entry.GetReadStatus(), what);
}

void WritePicture(Invocation& inv, const std::string& what, const SurfaceBuffer& buffer,
                  const std::string& path) {
    CExportData data;
    data.AddPicture(buffer);
    WritePicture(inv, what, data, path);
}

// An action past the body's own: the frames would silently be those of action 0.
void RefuseMissingAction(CDataDefAnim& anim, std::int32_t action) {
    if (action >= static_cast<std::int32_t>(anim.GetActionCount())) {
        throw UsageError(Format("anim body %u has no action %d: its actions are 0 to %u",
                                anim.GetIndex(), action, anim.GetActionCount() - 1));
    }
}

int RunExport(Invocation& inv) {
    const std::string& kind = inv.Arg(0, "kind (item, terrain, texture, gump, light, anim)");
    ExportOptions options;
    const DataTypeDef* def = FindCategoryKind(kind);
    ReadHueOptions(inv, def != nullptr && def->m_bTakesHue, options);
    options.bFrames = inv.HasFlag("--frames");
    options.bGif = inv.HasFlag("--gif");
    options.bAllActions = inv.HasFlag("--all-actions");
    if (options.bFrames && options.bGif) {
        throw UsageError("--frames and --gif exclude each other");
    }
    if (kind == "anim" && (options.bAllActions || options.bGif)) {
        // Every action and direction (BODY FILE), or one action and direction as a GIF.
        const std::uint32_t body = inv.Number(1, "body", 0xFFFF);
        std::string what = Format("anim body %u", body);
        if (!options.bAllActions) {
            options.nAction = static_cast<std::int32_t>(inv.Number(2, "action", 34));
            options.nDirection = static_cast<std::int32_t>(inv.Number(3, "direction", 7));
            what += Format(" action %d direction %d", options.nAction, options.nDirection);
        }
        const std::string& path = inv.OutputArg(options.bAllActions ? 2 : 4, "output file");
        // The body's source (anim2.mul onward, a container) is found as the list finds it.
        CDataDefAnim anim(body);
        anim.ReadIndex();
        RefuseMissingAction(anim, options.nAction);
        CExportData data;
        data.WriteAsAdded(path);
        const bool any = anim.ExportData(options, data) && !data.IsEmpty();
        for (const std::string& note : data.GetNotes()) {
            WarnNote(what + ": " + note);
        }
        if (!any) {
            throw UsageError(what + (data.GetNotes().empty()
                                         ? " has no frames"
                                         : " has no frames that can be written"));
        }
        WritePicture(inv, what, data, path);
        return 0;
    }
    if (options.bAllActions) {
        throw UsageError("--all-actions is for anim");
    }
    if (kind == "anim") {
        if (options.bFrames) {
            throw UsageError("--frames is for item, or anim with --all-actions");
        }
        const std::uint32_t body = inv.Number(1, "body", 0xFFFF);
        const std::uint32_t action = inv.Number(2, "action", 34);
        const std::uint32_t direction = inv.Number(3, "direction", 7);
        const std::uint32_t frame = inv.Number(4, "frame");
        const std::string& path = inv.OutputArg(5, "output file");
        CDataDefAnim anim(body);
        anim.ReadIndex();
        RefuseMissingAction(anim, static_cast<std::int32_t>(action));
        CTileAnimType& frames =
            anim.GetFrames(static_cast<std::int32_t>(action), static_cast<std::int32_t>(direction));
        // The source the body's frames come from ("anim.mul" by the number without one).
        const BodySource* source = anim.GetSource();
        const std::string from =
            source != nullptr
                ? Format("%s %u",
                         ClientAnimSources(TheClientFiles(), false)->SourceName(*source).c_str(),
                         source->slot)
                : std::string("anim.mul");
        const std::string what =
            Format("anim body %u action %u direction %u frame %u (%s, entry %u)", body, action,
                   direction, frame, from.c_str(), frames.GetEntry());
        RefuseStatus(anim.LoadFrames(static_cast<std::int32_t>(action),
                                     static_cast<std::int32_t>(direction)),
                     what);
        const std::optional<AnimFrame> header = frames.GetFrame(frame);
        if (!header) {
            throw UsageError(what + " does not exist (" + std::to_string(frames.GetFrameCount()) +
                             " frames)");
        }
        SurfaceBuffer buffer;
        if (!DrawAnimFrame(frames, frame, static_cast<std::int32_t>(direction), buffer, nullptr,
                           options.nHue, options.bPartial) &&
            header->m_nWidth != 0 && header->m_nHeight != 0) {
            throw UsageError(what + Format(" is %u x %u pixels, larger than a picture may be "
                                           "(8192 x 8192)",
                                           header->m_nWidth, header->m_nHeight));
        }
        WritePicture(inv, what, buffer, path);
        return 0;
    }

    const std::uint32_t id = inv.Number(1, "id");
    const std::string& path = inv.OutputArg(2, "output file");
    const std::string what = Format("%s 0x%x", kind.c_str(), id);
    // Entry objects keep the low 16 bits of some numbers: an id past the list's entries would
    // export another entry's picture.
    const std::uint32_t count = def != nullptr ? GetEntryCount(*def, TheClientFiles()) : 0;
    if (def != nullptr && id >= count) {
        throw UsageError(what +
                         Format(" is past the last entry of %s (0x%x)", def->m_pszName, count - 1));
    }
    // The same pictures the window shows and exports: the categories draw them.
    std::unique_ptr<CDataDef> entry(def != nullptr ? CreateDataDef(def->m_nId, id) : nullptr);
    if (!entry || (entry->GetExportKind() != ExportKind::Picture &&
                   entry->GetExportKind() != ExportKind::ItemPicture)) {
        throw UsageError("unknown kind '" + kind +
                         "' (item, terrain, texture, gump, light or anim)");
    }
    if ((options.bFrames || options.bGif) && entry->GetExportKind() != ExportKind::ItemPicture) {
        throw UsageError("--frames and --gif are for item and anim");
    }
    // Read as a list reads its entries, so that the entry can say how its data reads.
    entry->ReadIndexLogged();
    entry->FollowPatchTable();
    CExportData data;
    entry->ExportData(options, data);
    if (data.IsEmpty()) {
        if (entry->IsDeleted()) {
            throw UsageError(what + " is deleted by a patch record");
        }
        RefuseUnreadable(*entry, what);
        if (!data.GetNotes().empty()) {
            throw UsageError(what + ": " + data.GetNotes().front());
        }
    }
    WritePicture(inv, what, data, path);
    return 0;
}

int RunHue(Invocation& inv) {
    const std::uint32_t n = inv.Number(0, "hue number", 0xFFFF);
    HueEntry hue;
    std::uint32_t header = 0;
    if (!ReadHue(n, hue, &header)) {
        throw UsageError(Format("hue %u cannot be read", n));
    }
    if (inv.json) {
        QJsonObject o;
        o["hue"] = static_cast<qint64>(n);
        o["group"] = static_cast<qint64>(n >> 3);
        o["groupHeader"] = static_cast<qint64>(header);
        o["name"] = NameString(hue.GetName());
        o["tableStart"] = hue.m_wTableStart;
        o["tableEnd"] = hue.m_wTableEnd;
        QJsonArray colours;
        for (std::uint16_t c : hue.m_Colours) {
            colours.append(c);
        }
        o["colours"] = colours;
        inv.PrintJson(o);
        return 0;
    }
    *inv.out << Format("hue %u (group %u, entry %u): '%s'\n", n, n >> 3, n & 7,
                       Latin1ToTerminal(hue.GetName()).c_str());
    *inv.out << Format("table start 0x%04x, table end 0x%04x\ncolours:", hue.m_wTableStart,
                       hue.m_wTableEnd);
    for (std::size_t i = 0; i < hue.m_Colours.size(); ++i) {
        *inv.out << (i % 8 == 0 ? "\n " : "") << Format(" %04x", hue.m_Colours[i]);
    }
    *inv.out << '\n';
    return 0;
}

// A multi of the client's "multi.mul", about to be read: says when the client keeps its multis
// elsewhere, and refuses one that is damaged or whose file fails.
void ReadClientMulti(CDataDefMulti& entry) {
    WarnNote(CDataDefMulti::SourceNote(TheClientFiles()));
    entry.ReadIndexLogged();
    RefuseUnreadable(entry, Format("multi 0x%x", entry.GetIndex()));
}

int RunMulti(Invocation& inv) {
    const std::uint32_t id = inv.Number(0, "multi id", 0xFFFF);
    CDataDefMulti entry(id);
    ReadClientMulti(entry);
    CMulMultiType& multi = entry.GetBlock();
    if (!multi.EnsureLoaded()) {
        throw UsageError(Format("multi 0x%x has no components", id));
    }
    QJsonArray list;
    // Components of 16 bytes have a fourth word, shown after the flags.
    const bool wide = multi.GetRecordSize() == MultiComponent::kWideSize;
    if (!inv.json) {
        *inv.out << Format("multi 0x%x: %u components\n  item     x     y     z  flags%s\n", id,
                           multi.GetComponentCount(), wide ? "  extra" : "");
    }
    for (std::uint32_t i = 0; i < multi.GetComponentCount(); ++i) {
        MultiComponent c;
        if (!multi.GetComponent(i, c)) {
            break;
        }
        if (inv.json) {
            QJsonObject o;
            o["item"] = c.m_wItem;
            o["x"] = c.m_nX;
            o["y"] = c.m_nY;
            o["z"] = c.m_nZ;
            o["flags"] = static_cast<qint64>(c.m_dwFlags);
            if (wide) {
                o["extra"] = static_cast<qint64>(c.m_dwExtra);
            }
            list.append(o);
        } else {
            *inv.out << Format("  0x%04x %5d %5d %5d  0x%x", c.m_wItem, c.m_nX, c.m_nY, c.m_nZ,
                               c.m_dwFlags);
            *inv.out << (wide ? Format("  0x%x\n", c.m_dwExtra) : std::string("\n"));
        }
    }
    if (inv.json) {
        QJsonObject o;
        o["multi"] = static_cast<qint64>(id);
        o["components"] = list;
        inv.PrintJson(o);
    }
    return 0;
}

int RunExportMulti(Invocation& inv) {
    const std::uint32_t id = inv.Number(1, "multi id", 0xFFFF);
    const std::string& path = inv.OutputArg(2, "output file");
    std::vector<MultiComponent> components;
    std::string source = "multi.mul";
    if (const std::string* pat = inv.Value("--pat")) {
        auto bytes = CPatchFileIO().ReadFile(*pat);
        if (!bytes) {
            throw UsageError("cannot read '" + *pat + "'");
        }
        const PatchFileContents contents = ReadPatchFile(*bytes);
        if (!contents.IsValid()) {
            throw UsageError(*pat + ": " + contents.Describe());
        }
        ForEachPatchRecord(contents.records, contents.nCount, [&](const PatchRecordView& r) {
            if ((r.header.nType & kPatchTypeMask) == kPatchTypeMulti && r.header.nIndex == id) {
                std::optional<std::vector<MultiComponent>> read = PatchMultiComponents(r.data);
                if (!read) {
                    throw UsageError(
                        Format("multi 0x%x of %s is damaged: it holds more "
                               "components than a multi may (%u)",
                               id, pat->c_str(), kMaxMultiComponents));
                }
                components = std::move(*read);
                source = *pat;
                return false;
            }
            return true;
        });
    }
    if (source == "multi.mul") {
        CDataDefMulti entry(id);
        ReadClientMulti(entry);
        components = LoadMultiComponents(entry.GetBlock(), nullptr);
    }
    SurfaceBuffer buffer;
    std::string why;
    const std::string what =
        Format("multi 0x%x (%zu components from %s)", id, components.size(), source.c_str());
    if (!DrawMultiPicture(components, buffer, TheClientFiles(), &why) && !why.empty()) {
        throw UsageError(Format("multi 0x%x: ", id) + why);
    }
    WritePicture(inv, what, buffer, path);
    return 0;
}

CommandRegistrar exportMulti({"export", "multi ID FILE.png [--pat FILE]",
                              "a multi drawn whole as a PNG file; --pat: as a .pat patch holds it",
                              true, RunExportMulti, "multi"});
CommandRegistrar exportCommand(
    {"export",
     "item|terrain|texture|gump|light ID FILE.png | anim BODY ACTION DIRECTION FRAME FILE.png | "
     "anim BODY ACTION DIRECTION FILE.gif --gif | anim BODY FILE [--frames] [--gif] "
     "[--all-actions] "
     "[--hue N] [--partial]",
     "a picture (item, terrain, texture, gump, light, anim frame) as a PNG file; --hue: item, "
     "gump or anim drawn in hue N (as the Hues page numbers it), --partial: its grey pixels only; "
     "--frames: an animated item's frames as PNG files (FILE-NN.png), --gif: an animated GIF of "
     "an item's frames or of an anim's action and direction; --all-actions: every action of a "
     "body as sprite sheets with JSON (FILE-aNN.png, .json), with --frames as one PNG per "
     "frame (FILE-aNN-dD-NN.png), with --gif as one GIF per direction (FILE-aNN-dD.gif)",
     true, RunExport});
CommandRegistrar hue({"hue", "N", "hue N: name, table start and end, its 32 colours", true,
                      RunHue});
CommandRegistrar multi({"multi", "ID", "a multi's component records", true, RunMulti});

}  // namespace

void ReadHueOptions(Invocation& inv, bool applies, ExportOptions& options) {
    if (const std::string* value = inv.Value("--hue")) {
        options.nHue = static_cast<std::uint16_t>(ParseNumber(*value, "hue number", 3000));
    }
    options.bPartial = inv.HasFlag("--partial");
    if ((options.nHue != 0 || options.bPartial) && !applies) {
        throw UsageError("--hue and --partial apply to item, gump and anim pictures");
    }
    if (options.bPartial && options.nHue == 0) {
        throw UsageError("--partial needs --hue");
    }
    // Drawing would fall back to no hue at all: a picture the user did not ask for.
    HueEntry entry;
    if (options.nHue != 0 && !ReadHue(options.nHue - 1u, entry)) {
        throw UsageError(Format("--hue %u: the hue cannot be read from hues.mul", options.nHue));
    }
}

}  // namespace tessaly::cli
