#pragma once
// Merging a "verdata.mul" patch into new copies of the client files it changes: art, gumps,
// sounds, textures, lights, animations, multis, skills, the map and statics of facet 0 get the
// patch's records in place of their entries, every other entry copied as it is; tile data,
// animdata and hues get their groups laid over the client's file. Records the client would
// not apply whole (of other file ids, of a size wrong for their kind, for a place outside the
// file), and those of a file the client does not have, stay in the output's own "verdata.mul". The
// output is one folder, written as one transaction (see COutputFolder); the client's files are only
// read.

#include "ClientWriter.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

struct MergeResult {
    struct Written {
        // "art", "gumps", "sounds", "textures", "lights", "animations", "multis", "skills",
        // "map", "statics", "tile data", "animdata", "hues", "patch"
        std::string kind;
        std::vector<std::string> files;
        std::uint32_t records = 0;  // patch records merged into them (kept, for "patch")
        // Entries of the client that could not be read (their record lies outside the data
        // file, their container entry does not decode), or whose patch record's data lies
        // outside the patch file: written so that they read as damaged again.
        std::vector<std::uint32_t> damaged;
        std::string damagedTable = {};  // see EntryFileResult
        // What the user should know of the files: a client that keeps its multis in
        // "MultiCollection.uop" reads those, not the "multi.mul" written here.
        std::string note = {};
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
    // Multi numbers whose records hold more components than a multi may (damaged): not merged.
    std::vector<std::uint32_t> damagedMultis;
    // The client's multi component size (12 or 16): multi records of the patch file are cut to
    // whole components of it. 0: they are written as they are.
    std::size_t multiComponentSize = 0;
    // Records of the patch of other files (statics of an old ".pat", say), which are not merged.
    std::uint32_t nOtherRecords = 0;
    // The ".pat" file the patch came from (empty: none): the output folder, replaced whole,
    // must not hold it.
    std::string path;
    bool Empty() const { return hues.empty() && multis.empty(); }
};

// Merges the patch table of `files` (its records as slot 22 holds them) into `target`. Each
// kind keeps the form the client has unless `form` asks for one (art, gumps, sounds and the
// map; the others have only the .mul form). The output's "verdata.mul" holds the records not
// merged (empty when every record was), so that an older client applies none twice. A damaged
// entry of the client does not stop the merge: it is listed in the result and the manifest and
// reads as damaged in the output. Raises COutputError with the one message of a failure (a file
// that fails to open or read, "nothing to merge" included); the target is then as it was.
// `progress` (may be empty) is told how far the writing has come, in steps of the whole merge.
using MergeProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;
// `overlay` (may be null) adds a ".pat" patch's hues and multis; the output then has a
// "verdata.mul" only when the patch table has records.
MergeResult MergePatchRecords(CClientFiles& files, const std::string& target, bool replace,
                              std::optional<ClientForm> form, COutputFolderOps* ops = nullptr,
                              const MergeProgress& progress = {},
                              const PatchOverlay* overlay = nullptr);

}  // namespace tessaly
