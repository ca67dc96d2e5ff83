// Reading and writing ".pat" files: malformed files are refused, the old format's statics lengths
// become byte counts, and well-formed files survive a round trip.

#include "PatchBuilder.h"
#include "PatchFormat.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using test::PatchFileBuilder;

struct MalformedCase {
    const char* name;
    std::vector<std::uint8_t> file;
    PatchFileFault fault;
};

std::vector<std::uint8_t> Cut(const std::vector<std::uint8_t>& bytes, std::size_t drop) {
    return {bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(drop)};
}

std::vector<MalformedCase> MalformedCases() {
    auto two = PatchFileBuilder()
                   .Record(32, 4, PatchFileBuilder::Bytes(88))
                   .Record(32, 9, PatchFileBuilder::Bytes(88));
    auto withTrailing = two.Build();
    withTrailing.push_back(0);
    return {
        {"Empty", {}, PatchFileFault::ShortHeader},
        {"FiveBytes", {1, 0, 0, 0, 0xEF}, PatchFileFault::ShortHeader},
        {"WrongMark", PatchFileBuilder().Mark(0xBEEE).Build(), PatchFileFault::BadMark},
        {"CountAboveRecords", PatchFileBuilder(two).Count(3).Build(),
         PatchFileFault::RecordPastEnd},
        {"HugeCount", PatchFileBuilder(two).Count(0xFFFFFFFFu).Build(),
         PatchFileFault::CountPastSize},
        {"DataCutShort", Cut(two.Build(), 1), PatchFileFault::RecordPastEnd},
        {"HeaderCutShort", Cut(two.Build(), 88 + 4), PatchFileFault::RecordPastEnd},
        {"LengthPastEnd",
         PatchFileBuilder().Record(14, 0, PatchFileBuilder::Bytes(12), 0xFFFFFFF0u).Build(),
         PatchFileFault::RecordPastEnd},
        {"OldStaticsCountPastEnd",
         PatchFileBuilder().Old().Record(2, 0, PatchFileBuilder::Bytes(20), 3).Build(),
         PatchFileFault::RecordPastEnd},
        {"OldStaticsCountOverflows",
         PatchFileBuilder().Old().Record(2, 0, PatchFileBuilder::Bytes(4), 0x40000000u).Build(),
         PatchFileFault::RecordPastEnd},
        {"CountBelowRecords", PatchFileBuilder(two).Count(1).Build(),
         PatchFileFault::TrailingBytes},
        {"TrailingByte", withTrailing, PatchFileFault::TrailingBytes},
    };
}

class MalformedPatchFile : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedPatchFile, IsRefusedWithoutRecords) {
    PatchFileContents c = ReadPatchFile(GetParam().file);
    EXPECT_EQ(c.nFault, GetParam().fault);
    EXPECT_FALSE(c.IsValid());
    EXPECT_TRUE(c.records.empty());
}

TEST(PatchFileRead, ACutRecordIsNamedByItsPlaceCountedFromOne) {
    auto file = PatchFileBuilder()
                    .Record(32, 4, PatchFileBuilder::Bytes(88))
                    .Record(32, 9, PatchFileBuilder::Bytes(88))
                    .Build();
    EXPECT_EQ(ReadPatchFile(Cut(file, 1)).Describe(),
              "record 2 of 2 runs past the end of the file");
    EXPECT_EQ(ReadPatchFile(Cut(file, 88 + 9 + 1)).Describe(),
              "record 1 of 2 runs past the end of the file");
}

INSTANTIATE_TEST_SUITE_P(Faults, MalformedPatchFile, testing::ValuesIn(MalformedCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PatchFileRead, OldFormatStaticsLengthCountsSevenByteItems) {
    auto statics = PatchFileBuilder::Bytes(21, 0x40);
    auto file = PatchFileBuilder()
                    .Old()
                    // Only the whole type byte 2 is statics: 0x42 keeps its byte length.
                    .Record(0x42, 1, PatchFileBuilder::Bytes(3), 3)
                    .Record(2, 7, statics, 3)
                    .Record(32, 5, PatchFileBuilder::Bytes(88))
                    .Build();
    PatchFileContents c = ReadPatchFile(file);
    ASSERT_TRUE(c.IsValid()) << c.Describe();
    EXPECT_TRUE(c.IsOldFormat());

    auto expected = PatchFileBuilder()
                        .Record(0x42, 1, PatchFileBuilder::Bytes(3))
                        .Record(2, 7, statics)
                        .Record(32, 5, PatchFileBuilder::Bytes(88))
                        .Build();
    // Written back in the current format with byte lengths.
    EXPECT_EQ(WritePatchFile(c.nCount, c.records), expected);
}

TEST(PatchFileRead, CurrentFormatRoundTripsUnchanged) {
    for (auto builder : {PatchFileBuilder(), PatchFileBuilder().Record(14, 3, {}),
                         PatchFileBuilder()
                             .Record(2, 1, PatchFileBuilder::Bytes(5))
                             .Record(14, 3, PatchFileBuilder::Bytes(36))
                             .Record(32, 9, PatchFileBuilder::Bytes(88))}) {
        auto file = builder.Build();
        PatchFileContents c = ReadPatchFile(file);
        ASSERT_TRUE(c.IsValid()) << c.Describe();
        EXPECT_FALSE(c.IsOldFormat());
        EXPECT_EQ(WritePatchFile(c.nCount, c.records), file);
    }
}

// A file out of order, or holding two records of one file and block, is read in ascending order
// with the later of the two kept, so the window's lookup, the merge and the multi export take
// the same record (the lookup missed records placed after a greater one).
TEST(PatchFileRead, RecordsAreReadInOrderAndTheLaterOfOnePairKept) {
    const std::vector<std::uint8_t> file =
        PatchFileBuilder()
            .Record(32, 9, PatchFileBuilder::Bytes(88, 1))
            .Record(14, 3, PatchFileBuilder::Bytes(36, 2))
            .Record(32, 3, PatchFileBuilder::Bytes(88, 3))
            .Record(14 | 0x40, 3, PatchFileBuilder::Bytes(24, 4))  // the same pair: kept
            .Build();
    const PatchFileContents c = ReadPatchFile(file);
    ASSERT_TRUE(c.IsValid());
    EXPECT_EQ(c.nCount, 3u);
    EXPECT_EQ(c.Describe(),
              "well formed: 4 records, current format; not in ascending order (read in order); 1 "
              "repeat the file and block of a later record (left out)");
    const std::vector<std::uint8_t> ordered =
        PatchFileBuilder()
            .Record(14 | 0x40, 3, PatchFileBuilder::Bytes(24, 4))
            .Record(32, 3, PatchFileBuilder::Bytes(88, 3))
            .Record(32, 9, PatchFileBuilder::Bytes(88, 1))
            .Build();
    EXPECT_EQ(WritePatchFile(c.nCount, c.records), ordered);
}

}  // namespace
}  // namespace tessaly
