// Reads fuzzed bytes as a ".pat" file; a file that is accepted is merged into a patch record by
// record, looked up, and written back, and must read back the same: its records are read in
// ascending order, one a file and block.

#include "Patch.h"
#include "PatchFormat.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PatchFileContents contents = ReadPatchFile(ByteSpan(data, size));
    if (!contents.IsValid()) {
        return 0;
    }
    CPatch patch;
    bool whole =
        ForEachPatchRecord(contents.records, contents.nCount, [&](const PatchRecordView& r) {
            patch.InsertPatchRecord(std::vector<std::uint8_t>(r.data.begin(), r.data.end()),
                                    r.header.nType, r.header.nIndex);
            std::uint32_t length = 0;
            if (!patch.FindPatchRecord(nullptr, r.header.nType, length, r.header.nIndex) ||
                length != r.header.nLength) {
                std::abort();
            }
            return true;
        });
    if (!whole) {
        std::abort();
    }
    // The records were read in ascending order, one a pair: inserting them one by one makes
    // the same buffer.
    if (patch.Count() != contents.nCount ||
        !std::equal(patch.Records().begin(), patch.Records().end(), contents.records.begin(),
                    contents.records.end())) {
        std::abort();
    }
    std::vector<std::uint8_t> file = WritePatchFile(patch.Count(), patch.Records());
    PatchFileContents again = ReadPatchFile(file);
    if (!again.IsValid() || again.nCount != patch.Count() ||
        again.records.size() != patch.Records().size()) {
        std::abort();
    }
    return 0;
}
