// Reading and writing ".pat" files: malformed files are refused, the old format's statics lengths
// become byte counts, and well-formed files survive a round trip.

#include "PatchBuilder.h"
#include "PatchFormat.h"

#include <gtest/gtest.h>

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
    auto withTrailing = two.Build();
    withTrailing.push_back(0);
    const char* secondCut = "record 2 of 2 runs past the end of the file";
    return {
        {"Empty", {}, PatchFileFault::ShortHeader},
        {"FiveBytes", {1, 0, 0, 0, 0xEF}, PatchFileFault::ShortHeader},
        {"WrongMark", B().Mark(0xBEEE).Build(), PatchFileFault::BadMark},
        {"CountAboveRecords", B(two).Count(3).Build(), PatchFileFault::RecordPastEnd},
        {"HugeCount", B(two).Count(0xFFFFFFFFu).Build(), PatchFileFault::CountPastSize},
        {"DataCutShort", Cut(two.Build(), 1), PatchFileFault::RecordPastEnd, secondCut},
        {"HeaderCutShort", Cut(two.Build(), 88 + 4), PatchFileFault::RecordPastEnd, secondCut},
        {"FirstRecordCut", Cut(two.Build(), 88 + 9 + 1), PatchFileFault::RecordPastEnd,
         "record 1 of 2 runs past the end of the file"},
        {"LengthPastEnd", B().Record(14, 0, B::Bytes(12), 0xFFFFFFF0u).Build(),
         PatchFileFault::RecordPastEnd},
        {"OldStaticsCountPastEnd", B().Old().Record(2, 0, B::Bytes(20), 3).Build(),
         PatchFileFault::RecordPastEnd},
        {"OldStaticsCountOverflows", B().Old().Record(2, 0, B::Bytes(4), 0x40000000u).Build(),
         PatchFileFault::RecordPastEnd},
        {"CountBelowRecords", B(two).Count(1).Build(), PatchFileFault::TrailingBytes},
        {"TrailingByte", withTrailing, PatchFileFault::TrailingBytes},
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
    const std::vector<std::uint8_t> three =
        B({{2, 1, B::Bytes(5)}, {14, 3, B::Bytes(36)}, {32, 9, B::Bytes(88)}}).Build();
    const struct {
        const char* name;
        std::vector<std::uint8_t> file;
        bool old;
        std::vector<std::uint8_t> written;
    } cases[] = {
        {"empty", B().Build(), false, B().Build()},
        {"empty record", B({{14, 3, {}}}).Build(), false, B({{14, 3, {}}}).Build()},
        {"current", three, false, three},
        // Only the whole type byte 2 is statics: 0x42 keeps its byte length.
        {"old", B().Old().Record(0x42, 1, B::Bytes(3), 3).Record(2, 7, statics, 3).Build(), true,
         B({{0x42, 1, B::Bytes(3)}, {2, 7, statics}}).Build()},
        {"out of order",
         B({{32, 9, B::Bytes(88, 1)},
            {14, 3, B::Bytes(36, 2)},
            {32, 3, B::Bytes(88, 3)},
            {14 | 0x40, 3, B::Bytes(24, 4)}})  // the same pair: kept
             .Build(),
         false,
         B({{14 | 0x40, 3, B::Bytes(24, 4)}, {32, 3, B::Bytes(88, 3)}, {32, 9, B::Bytes(88, 1)}})
             .Build()},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.name);
        const PatchFileContents c = ReadPatchFile(t.file);
        ASSERT_TRUE(c.IsValid()) << c.Describe();
        EXPECT_EQ(c.IsOldFormat(), t.old);
        EXPECT_EQ(WritePatchFile(c.nCount, c.records), t.written);
    }
    EXPECT_EQ(ReadPatchFile(cases[4].file).Describe(),
              "well formed: 4 records, current format; not in ascending order (read in order); 1 "
              "repeat the file and block of a later record (left out)");
}

}  // namespace
}  // namespace tessaly
