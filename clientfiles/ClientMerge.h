#pragma once
// Merging a "verdata.mul" patch into new copies of the client files it changes: art, gumps,
// sounds and tile data get the patch's records in place of their entries, every other entry
// copied as it is; the records of other kinds stay in the output's own "verdata.mul". The
// output is one folder, written as one transaction (see COutputFolder); the client's files are
// only read.

#include "ClientWriter.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

struct MergeResult {
    struct Written {
        std::string kind;  // "art", "gumps", "sounds", "tile data", "patch"
        std::vector<std::string> files;
        std::uint32_t records = 0;  // patch records merged into them (kept, for "patch")
    };
    std::vector<Written> written;
};

// The hues and multis of a ".pat" patch, merged along with the patch file's records: each hue
// (its number from 0) into "hues.mul", name bytes and all, each multi into "multi.mul" and
// "multi.idx".
struct PatchOverlay {
    std::map<std::uint32_t, std::vector<std::uint8_t>> hues;  // hue number: its 88-byte record
    // Multi number: its component records, in the client's component size.
    std::map<std::uint32_t, std::vector<std::uint8_t>> multis;
    bool Empty() const { return hues.empty() && multis.empty(); }
};

// Merges the patch table of `files` (its records as slot 22 holds them) into `target`. Each
// kind keeps the form the client has unless `form` asks for one. The output's "verdata.mul"
// holds the records not merged (of other kinds, and tile data groups that do not fit the
// client's layout or file; empty when every record was), so that an older client applies none
// twice. Raises COutputError with the one message of a failure ("nothing to merge"
// included); the target is then as it was. `progress` (may be empty) is told how far the
// writing has come, in steps of the whole merge.
using MergeProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;
// `overlay` (may be null) adds a ".pat" patch's hues and multis; the output then has a
// "verdata.mul" only when the patch table has records.
MergeResult MergePatchRecords(CClientFiles& files, const std::string& target, bool replace,
                              std::optional<ClientForm> form, COutputFolderOps* ops = nullptr,
                              const MergeProgress& progress = {},
                              const PatchOverlay* overlay = nullptr);

}  // namespace tessaly
