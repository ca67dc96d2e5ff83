// tessaly-cli commands over the client file set: files, index, verdata, tiledata, statics, radar.

#include "ClientFiles.h"
#include "AnimContainer.h"
#include "CDataDefStatics.h"
#include "Cli.h"
#include "DataTypeDef.h"
#include "MultiType.h"
#include "PatchFileIO.h"
#include "RadarColors.h"
#include "Statics.h"
#include "TarnError.h"
#include "Text.h"
#include "TileData.h"
#include "UopFile.h"
#include "VerDataTable.h"

#include <QJsonArray>
#include <QJsonObject>

#include <filesystem>
#include <iostream>
#include <optional>
#include <ostream>

namespace tessaly::cli {

void RefuseClientDataFileAsPatch(const std::string& path) {
    if (const std::string refusal = CClientFiles::RefuseAsPatchFile(path, path); !refusal.empty()) {
        throw UsageError(refusal);
    }
}

void PrepareClientFiles(const GlobalOptions& options) {
    CClientFiles& files = TheClientFiles();
    if (!options.clientDir.empty()) {
        std::error_code ec;
        if (!std::filesystem::is_directory(options.clientDir, ec)) {
            throw UsageError("'" + options.clientDir + "' is not a directory");
        }
        files.SetChosenDir(options.clientDir);
    } else if (!files.FindClientDirs()) {
        throw UsageError(
            "Can't find the client install dir (no Wine registry key; use --client-dir DIR)");
    }
    // A mistyped directory, or one the registry names that is gone, would otherwise give empty
    // lists and bare "no picture" answers.
    if (!files.BaseDirHoldsClientFiles()) {
        std::cerr << "tessaly-cli: '"
                  << (options.clientDir.empty() ? files.GetBasePath(nullptr) : options.clientDir)
                  << "' holds none of the client's files"
                  << (options.clientDir.empty() ? " (the folder the Wine registry names)" : "")
                  << "\n";
    }
    if (!options.verdata.empty()) {
        RefuseClientDataFileAsPatch(options.verdata);
        if (IsPatFile(options.verdata)) {
            throw UsageError("'" + options.verdata +
                             "' is a \".pat\" patch, not a patch file of the client's format");
        }
        files.GetFile(kSlotVerData).Close();
        files.SetSlotPath(kSlotVerData, options.verdata);
        // Opened by its own path: OpenSlot would fall back to the client's "verdata.mul".
        if (!files.GetFile(kSlotVerData).Open(nullptr, CQFile::shareDenyWrite)) {
            throw UsageError("cannot open patch file '" + options.verdata + "'");
        }
    }
    // Slots open on first use; a missing patch file just leaves the table empty.
    TheVerDataTable().RemoveAll();
    if (files.OpenSlot(kSlotVerData)) {
        try {
            TheVerDataTable().Load(files.GetFile(kSlotVerData));
        } catch (const CTarnError& e) {
            // A patch file named on the command line is what the command works on: its failure
            // ends the command. The client's own one, as in the window, only loses its records.
            if (!options.verdata.empty()) {
                throw;
            }
            TheVerDataTable().RemoveAll();
            std::cerr << "tessaly-cli: the patch file '"
                      << files.GetFile(kSlotVerData).GetFilePath() << "' cannot be read ("
                      << e.m_pszDescription << "): going on without it\n";
        }
    }
}

namespace {

// The file name of a patch file id, or "?Unk0%x" for an id without one.
std::string FileIdName(std::uint32_t id) {
    const char* name = id < static_cast<std::uint32_t>(kFileSlotCount)
                           ? CClientFiles::GetFileName(static_cast<std::int32_t>(id))
                           : nullptr;
    return name != nullptr ? name : Format("?Unk0%x", id);
}

// The record layout the program detected for a slot's file, or empty where there is no choice.
std::string SlotLayout(CClientFiles& files, std::int32_t slot) {
    if (slot == kSlotTileData) {
        return "tile data " + GetTileDataShape(files).Describe();
    }
    if (slot == kSlotMultiIdx || slot == kSlotMulti) {
        return Format("%u-byte components", static_cast<unsigned>(GetMultiRecordSize(files)));
    }
    return std::string();
}

int RunFiles(Invocation& inv) {
    CClientFiles& files = TheClientFiles();
    QJsonArray slotList;
    for (std::int32_t slot = 0; slot < kFileSlotCount; ++slot) {
        const char* name = CClientFiles::GetFileName(slot);
        bool open =
            (name != nullptr || !files.GetFile(slot).GetFilePath().empty()) && files.OpenSlot(slot);
        std::string path = open ? files.GetFile(slot).GetFilePath() : std::string();
        std::uint64_t size = open ? files.GetFile(slot).GetLength() : 0;
        const bool container = open && files.IsContainerSlot(slot);
        const std::string layout = open ? SlotLayout(files, slot) : std::string();
        const std::string damage = container ? files.GetContainerError(slot)
                                   : open    ? std::string()
                                             : files.DescribeUnopenedSlot(slot);
        if (inv.json) {
            QJsonObject o;
            o["slot"] = slot;
            o["name"] = name != nullptr ? QJsonValue(name) : QJsonValue();
            o["path"] = open ? QJsonValue(LocalString(path)) : QJsonValue();
            o["size"] = open ? QJsonValue(static_cast<qint64>(size)) : QJsonValue();
            o["kind"] = !open ? QJsonValue() : QJsonValue(container ? "container" : "mul");
            o["layout"] = layout.empty() ? QJsonValue() : QJsonValue(LocalString(layout));
            if (!damage.empty()) {
                o["error"] = LocalString(damage);
            }
            slotList.append(o);
        } else if (name == nullptr && !open) {
            *inv.out << Format("%2d  -\n", slot);
        } else {
            *inv.out << Format("%2d  %-13s %s", slot, name != nullptr ? name : "-",
                               open              ? path.c_str()
                               : !damage.empty() ? damage.c_str()
                                                 : "missing");
            if (open) {
                *inv.out << Format("  %llu", static_cast<unsigned long long>(size));
                *inv.out << (container ? "  container" : "  mul");
                if (!layout.empty()) {
                    *inv.out << "  " << layout;
                }
                if (!damage.empty()) {
                    *inv.out << "  (" << damage << ")";
                }
            }
            *inv.out << '\n';
        }
    }
    // Containers of no slot: listed after the slots, with their entry counts. The animation
    // containers first; then the multis' container, whose entries are not read.
    auto listContainers = [&](const std::vector<UopFileInfo>& containers, const char* note) {
        QJsonArray list;
        for (const UopFileInfo& c : containers) {
            if (inv.json) {
                QJsonObject o;
                o["name"] = LocalString(c.name);
                o["path"] = LocalString(c.path);
                o["size"] = static_cast<qint64>(c.size);
                o["entries"] = static_cast<qint64>(c.entries);
                if (!c.error.empty()) {
                    o["error"] = LocalString(c.error);
                }
                list.append(o);
                continue;
            }
            *inv.out << Format("    %-13s %s  %llu  container  %llu entries", c.name.c_str(),
                               c.path.c_str(), static_cast<unsigned long long>(c.size),
                               static_cast<unsigned long long>(c.entries));
            if (!c.error.empty()) {
                *inv.out << "  (" << c.error << ")";
            }
            *inv.out << note << '\n';
        }
        return list;
    };
    const QJsonArray containerList = listContainers(CAnimContainers(files).ListFiles(), "");
    std::vector<UopFileInfo> others;
    if (std::optional<UopFileInfo> multis = FindUopFile(files, kMultiCollectionFile)) {
        others.push_back(std::move(*multis));
    }
    const QJsonArray otherList = listContainers(others, "  not read");
    if (inv.json) {
        QJsonObject o;
        o["baseDir"] = LocalString(files.GetBasePath(nullptr));
        o["slots"] = slotList;
        o["animationContainers"] = containerList;
        o["otherContainers"] = otherList;
        inv.PrintJson(o);
    }
    return 0;
}

int RunIndex(Invocation& inv) {
    auto indexSlot = static_cast<std::int32_t>(inv.Number(0, "IDXSLOT", kFileSlotCount - 1));
    auto dataSlot = static_cast<std::int32_t>(inv.Number(1, "DATASLOT", kFileSlotCount));
    std::uint32_t entry = inv.Number(2, "ENTRY");
    IndexRecord record;
    bool found = TheClientFiles().ReadIndexRecord(indexSlot, dataSlot, entry, record);
    bool patched = found && record.IsPatch();
    if (inv.json) {
        QJsonObject o;
        o["indexSlot"] = indexSlot;
        o["dataSlot"] = dataSlot;
        o["entry"] = static_cast<qint64>(entry);
        o["found"] = found;
        o["patched"] = patched;
        if (found) {
            o["offset"] = static_cast<qint64>(record.m_dwOffset);
            o["length"] = static_cast<qint64>(record.GetLength());
            o["extra1"] = record.m_wExtra1;
            o["extra2"] = record.m_wExtra2;
        }
        inv.PrintJson(o);
        return 0;
    }
    if (!found) {
        *inv.out << Format("entry 0x%x of %s: no data\n", entry,
                           FileIdName(static_cast<std::uint32_t>(indexSlot)).c_str());
        return 0;
    }
    *inv.out << Format("entry 0x%x: offset 0x%x length %u extra 0x%04x 0x%04x %s\n", entry,
                       record.m_dwOffset, record.GetLength(), record.m_wExtra1, record.m_wExtra2,
                       patched ? "(patch file)" : "(base file)");
    return 0;
}

int RunVerData(Invocation& inv) {
    const CVerDataTable& table = TheVerDataTable();
    std::optional<JsonRows> records;
    if (inv.json) {
        QJsonObject head;
        head["count"] = table.GetCount();
        records.emplace(inv, head, "records");
    } else {
        *inv.out << Format("%d records\n", table.GetCount());
        *inv.out << "file  name           block       offset      length      extra1 extra2\n";
    }
    for (const CUOVersionBlock& r : table) {
        std::string name = FileIdName(r.m_dwFileId);
        if (inv.json) {
            QJsonObject o;
            o["fileId"] = static_cast<qint64>(r.m_dwFileId);
            o["fileName"] = LocalString(name);
            o["block"] = static_cast<qint64>(r.m_dwBlock);
            o["offset"] = static_cast<qint64>(r.m_dwOffset);
            o["length"] = static_cast<qint64>(r.m_dwLength);
            o["extra1"] = r.m_wExtra1;
            o["extra2"] = r.m_wExtra2;
            records->Add(o);
        } else {
            *inv.out << Format("%4u  %-13s  0x%08x  0x%08x  %-10u  0x%04x 0x%04x%s\n", r.m_dwFileId,
                               name.c_str(), r.m_dwBlock, r.m_dwOffset, r.m_dwLength, r.m_wExtra1,
                               r.m_wExtra2, r.m_dwLength == 0 ? "  delete" : "");
        }
    }
    if (records) {
        records->Finish();
    }
    return 0;
}

QJsonArray FlagNames(std::uint32_t flags, std::string& text) {
    QJsonArray names;
    for (int bit = 0; bit < 32; ++bit) {
        if ((flags & (1u << bit)) != 0) {
            names.append(GetTileFlagLabel(bit));
            text += text.empty() ? "" : " ";
            text += GetTileFlagLabel(bit);
        }
    }
    return names;
}

int RunTileData(Invocation& inv) {
    const std::string& kind = inv.Arg(0, "item|terrain");
    IndexRecord patch;
    // The newer layout's flags have 32 more bits, without names: shown as one number.
    const TileDataShape shape = GetTileDataShape(TheClientFiles());
    const bool newer = shape.layout == TileDataLayout::Newer;
    if (kind == "terrain") {
        auto id = static_cast<std::uint16_t>(inv.Number(1, "ID", kArtItemBase - 1));
        CTileTerrainInfo info;
        info.ReadInfo(id);
        bool patched = TheVerDataTable().FindRecord(kSlotTileData, id / 32u, patch);
        const std::string note =
            patched ? TilePatchMismatch(patch.GetLength(), id / 32u, shape) : std::string();
        patched = patched && note.empty();  // a record of the other layout is not read
        std::string flagText;
        QJsonArray flags = FlagNames(info.m_dwFlags, flagText);
        if (inv.json) {
            QJsonObject o;
            o["kind"] = "terrain";
            o["id"] = id;
            o["name"] = NameString(info.GetName());
            o["flags"] = static_cast<qint64>(info.m_dwFlags);
            o["flagNames"] = flags;
            o["flagsHigh"] = static_cast<qint64>(info.m_dwFlagsHigh);
            o["val4"] = info.m_wVal4;
            o["patched"] = patched;
            if (!note.empty()) {
                o["patchError"] = LocalString(note);
            }
            inv.PrintJson(o);
        } else {
            *inv.out << Format(
                "terrain 0x%04x%s\nName   %s\nFlags  0x%08x %s\n", id, patched ? " (patched)" : "",
                Latin1ToTerminal(info.GetName()).c_str(), info.m_dwFlags, flagText.c_str());
            if (newer) {
                *inv.out << Format("Upper  0x%08x\n", info.m_dwFlagsHigh);
            }
            *inv.out << Format("Val4   0x%04x\n", info.m_wVal4);
            if (!note.empty()) {
                *inv.out << "Patch  " << note << '\n';
            }
        }
        return 0;
    }
    if (kind != "item") {
        throw UsageError("tiledata needs 'item' or 'terrain', not '" + kind + "'");
    }
    auto id = static_cast<std::int32_t>(inv.Number(1, "ID", 0xFFFF));
    CTileItemInfo info;
    info.ReadInfo(id);
    const std::uint32_t group = (static_cast<std::uint32_t>(id) + 16384u) / 32u;
    bool patched =
        id < shape.FirstMultiItem() && TheVerDataTable().FindRecord(kSlotTileData, group, patch);
    const std::string note =
        patched ? TilePatchMismatch(patch.GetLength(), group, shape) : std::string();
    patched = patched && note.empty();  // a record of the other layout is not read
    std::string flagText;
    QJsonArray flags = FlagNames(info.m_dwFlags, flagText);
    if (inv.json) {
        QJsonObject o;
        o["kind"] = "item";
        o["id"] = id;
        o["name"] = NameString(info.GetName());
        o["flags"] = static_cast<qint64>(info.m_dwFlags);
        o["flagNames"] = flags;
        o["flagsHigh"] = static_cast<qint64>(info.m_dwFlagsHigh);
        o["weight"] = info.m_bWeight;
        if (newer) {
            // The newer record's own fields, not the old record's 32-bit lumps.
            o["quality"] = info.GetQuality();
            o["misc"] = info.GetMisc();
            o["quantity"] = info.GetQuantity();
            o["anim"] = info.GetAnimation();
            o["hue"] = info.GetHue();
            o["stackingOffset"] = info.GetStackingOffset();
            o["value"] = info.GetValue();
        } else {
            o["layer"] = info.m_bLayer;
            o["val6"] = static_cast<qint64>(info.m_dwVal6);
            o["anim"] = static_cast<qint64>(info.m_dwAnim);
            o["val14"] = info.m_wVal14;
        }
        o["height"] = info.m_bHeight;
        o["patched"] = patched;
        if (!note.empty()) {
            o["patchError"] = LocalString(note);
        }
        inv.PrintJson(o);
    } else {
        *inv.out << Format("item 0x%04x%s\nName    %s\nFlags   0x%08x %s\n",
                           static_cast<unsigned>(id), patched ? " (patched)" : "",
                           Latin1ToTerminal(info.GetName()).c_str(), info.m_dwFlags,
                           flagText.c_str());
        if (newer) {
            *inv.out << Format("Upper   0x%08x\n", info.m_dwFlagsHigh);
            *inv.out << Format(
                "Weight  %u\nQuality %u\nMisc    %u\nQuantity %u\nAnim    %u\n"
                "Hue     %u\nStacking offset %u\nValue   %u\nHeight  %u\n",
                info.m_bWeight, info.GetQuality(), info.GetMisc(), info.GetQuantity(),
                info.GetAnimation(), info.GetHue(), info.GetStackingOffset(), info.GetValue(),
                info.m_bHeight);
        } else {
            *inv.out << Format(
                "Weight  %u\nLayer   %u\nVal6    0x%x\nAnim    0x%x\nVal14   0x%x\nHeight  %u\n",
                info.m_bWeight, info.m_bLayer, info.m_dwVal6, info.m_dwAnim, info.m_wVal14,
                info.m_bHeight);
        }
        if (!note.empty()) {
            *inv.out << "Patch   " << note << '\n';
        }
    }
    return 0;
}

int RunStatics(Invocation& inv) {
    // Felucca's blocks as the Statics list counts them (a current client's map has more than
    // the table's), read as its page reads them: patch records, then the difference files.
    const std::uint32_t count =
        GetEntryCount(*GetTypeDef(FindCategory("Statics")), TheClientFiles());
    const std::uint32_t block = inv.Number(0, "BLOCK", count - 1);
    CDataDefStatics entry(block, 0);
    entry.LoadStatics();
    const CStaticsList& list = entry.GetStatics();
    QJsonArray items;
    if (!inv.json) {
        *inv.out << Format("block 0x%x (%u, %u): %u statics\n", block, block / kMapBlockRows,
                           block % kMapBlockRows, list.GetCount());
    }
    for (const CStaticItem& s : list.Items()) {
        const std::string name = StaticItemName(s.m_wTile).value_or("");
        if (inv.json) {
            QJsonObject o;
            o["x"] = s.m_bX;
            o["y"] = s.m_bY;
            o["z"] = s.m_cZ;
            o["tile"] = s.m_wTile;
            o["hue"] = s.m_wHue;
            o["name"] = NameString(name);
            items.append(o);
        } else {
            *inv.out << Format("  %u,%u,%d  0x%04x  %s\n", s.m_bX, s.m_bY, s.m_cZ, s.m_wTile,
                               Latin1ToTerminal(name).c_str());
        }
    }
    if (inv.json) {
        QJsonObject o;
        o["block"] = static_cast<qint64>(block);
        o["count"] = static_cast<qint64>(list.GetCount());
        o["statics"] = items;
        inv.PrintJson(o);
    }
    return 0;
}

int RunRadar(Invocation& inv) {
    // Current clients hold colours past index 0xFFFF: every index of the file is accepted.
    const std::uint32_t id = inv.Number(0, "ID");
    const std::uint64_t count = GetRadarColorCount(TheClientFiles());
    std::uint16_t color = GetRadarColor(id);
    int r = ((color >> 10) & 31) * 8;
    int g = ((color >> 5) & 31) * 8;
    int b = (color & 31) * 8;
    if (inv.json) {
        QJsonObject o;
        o["id"] = static_cast<qint64>(id);
        o["color"] = color;
        o["rgb"] = QJsonArray{r, g, b};
        o["inFile"] = id < count;
        inv.PrintJson(o);
    } else {
        *inv.out << Format("radar 0x%04x: 0x%04x (rgb %d, %d, %d)", id, color, r, g, b);
        if (id >= count) {
            *inv.out << Format("  (past the file's %llu colours)",
                               static_cast<unsigned long long>(count));
        }
        *inv.out << '\n';
    }
    return 0;
}

CommandRegistrar files(
    {"files", "",
     "the 33 file slots: name, resolved path, missing or why it does not open, size, .mul or "
     "container, layout",
     true, RunFiles});
CommandRegistrar index({"index", "IDXSLOT DATASLOT ENTRY",
                        "an entry's effective index record (DATASLOT 33 = base index alone)", true,
                        RunIndex});
CommandRegistrar verdata({"verdata", "", "the patch table in table order", true, RunVerData});
CommandRegistrar tiledata({"tiledata", "item|terrain ID", "a tile data record with its flag names",
                           true, RunTileData});
CommandRegistrar statics({"statics", "BLOCK", "the statics of a map block with item names", true,
                          RunStatics});
CommandRegistrar radar(
    {"radar", "ID", "the radar colour of a tile id (items from 0x4000, as far as the file goes)",
     true, RunRadar});

}  // namespace
}  // namespace tessaly::cli
