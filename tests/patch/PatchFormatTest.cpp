// Reading and writing ".pat" files: malformed files are refused, the old format's statics lengths
// become byte counts, and well-formed files survive a round trip.

#include "PatchBuilder.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tessaly {
namespace {

using B = test::PatchFileBuilder;

struct MalformedCase {
    const char* name;
    std::vector<std::uint8_t> file;
    PatchFileFault fault;
    const char* description = nullptr;  // not checked when null
};

std::vector<std::uint8_t> Cut(const std::vector<std::uint8_t>& bytes, std::size_t drop) {
    return {bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(drop)};
}

std::vector<MalformedCase> MalformedCases() {
    const B two({{32, 4, B::Bytes(88)}, {32, 9, B::Bytes(88)}});
    return {
        {"FiveBytes", {1, 0, 0, 0, 0xEF}, PatchFileFault::ShortHeader},
        {"WrongMark", B().Mark(0xBEEE).Build(), PatchFileFault::BadMark},
        {"HugeCount", B(two).Count(0xFFFFFFFFu).Build(), PatchFileFault::CountPastSize},
        {"HeaderCutShort", Cut(two.Build(), 88 + 4), PatchFileFault::RecordPastEnd,
         "record 2 of 2 runs past the end of the file"},
        {"FirstRecordCut", Cut(two.Build(), 88 + 9 + 1), PatchFileFault::RecordPastEnd,
         "record 1 of 2 runs past the end of the file"},
        {"LengthPastEnd", B().Record(14, 0, B::Bytes(12), 0xFFFFFFF0u).Build(),
         PatchFileFault::RecordPastEnd},
        {"OldStaticsCountOverflows",
         B().Mark(kPatchMarkOld).Record(2, 0, B::Bytes(4), 0x40000000u).Build(),
         PatchFileFault::RecordPastEnd},
        {"CountBelowRecords", B(two).Count(1).Build(), PatchFileFault::TrailingBytes},
    };
}

class MalformedPatchFile : public testing::TestWithParam<MalformedCase> {};

// A cut record is named by its place, counted from one.
TEST_P(MalformedPatchFile, IsRefusedWithoutRecords) {
    PatchFileContents c = ReadPatchFile(GetParam().file);
    EXPECT_EQ(c.nFault, GetParam().fault);
    EXPECT_FALSE(c.IsValid());
    EXPECT_TRUE(c.records.empty());
    if (GetParam().description) {
        EXPECT_EQ(c.Describe(), GetParam().description);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, MalformedPatchFile, testing::ValuesIn(MalformedCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Well-formed files are written back in the current format: old statics counts become bytes, and
// records are put in ascending order with the later of two of one file and block kept, so that
// lookup, merge and multi export take the same record.
TEST(PatchFileRead, WellFormedFilesAreWrittenBackInTheCurrentFormatInOrder) {
    const std::vector<std::uint8_t> statics = B::Bytes(21, 0x40);
    // Name, file, whether in the old format, the file written back.
    const std::tuple<const char*, std::vector<std::uint8_t>, bool, std::vector<std::uint8_t>>
        cases[] = {
            {"empty", B().Build(), false, B().Build()},
            {"empty record", B({{14, 3, {}}}).Build(), false, B({{14, 3, {}}}).Build()},

            // Only the whole type byte 2 is statics: 0x42 keeps its byte length.
            {"old",
             B().Mark(kPatchMarkOld)
                 .Record(0x42, 1, B::Bytes(3), 3)
                 .Record(2, 7, statics, 3)
                 .Build(),
             true, B({{0x42, 1, B::Bytes(3)}, {2, 7, statics}}).Build()},
            {"out of order",
             B({{32, 9, B::Bytes(88, 1)},
                {14, 3, B::Bytes(36, 2)},
                {32, 3, B::Bytes(88, 3)},
                {14 | 0x40, 3, B::Bytes(24, 4)}})  // the same pair: kept
                 .Build(),
             false,
             B({{14 | 0x40, 3, B::Bytes(24, 4)},
                {32, 3, B::Bytes(88, 3)},
                {32, 9, B::Bytes(88, 1)}})
                 .Build()},
        };
    for (const auto& [name, file, old, written] : cases) {
        SCOPED_TRACE(name);
        const PatchFileContents c = ReadPatchFile(file);
        ASSERT_TRUE(c.IsValid()) << c.Describe();
        EXPECT_EQ(c.IsOldFormat(), old);
        EXPECT_EQ(WritePatchFile(c.nCount, c.records), written);
    }
    EXPECT_EQ(ReadPatchFile(std::get<1>(cases[3])).Describe(),
              "well formed: 4 records, current format; not in ascending order (read in order); 1 "
              "repeat the file and block of a later record (left out)");
}

}  // namespace
}  // namespace tessaly
