// The record buffer: ordered insertion, replacement, lookup.

#include "Patch.h"
#include "PatchBuilder.h"

#include <gtest/gtest.h>

#include <utility>

namespace tessaly {
namespace {

using B = test::PatchFileBuilder;
using Key = std::pair<int, std::uint32_t>;

// The (type, index) keys of the records, in buffer order; fails the test on a broken buffer.
std::vector<Key> Keys(const CPatch& patch) {
    std::vector<Key> keys;
    bool whole = ForEachPatchRecord(patch.Records(), patch.Count(), [&](const PatchRecordView& r) {
        keys.emplace_back(r.header.nType, r.header.nIndex);
        return true;
    });
    EXPECT_TRUE(whole);
    // The counted records fill the buffer exactly.
    EXPECT_TRUE(ReadPatchFile(WritePatchFile(patch.Count(), patch.Records())).IsValid());
    return keys;
}

// Records are inserted by type, then index; a replacement keeps the count.
TEST(PatchRecords, InsertOrdersByTypeThenIndexAndReplacementKeepsTheCount) {
    CPatch patch;
    patch.InsertPatchRecord(B::Bytes(88, 1), 32, 4);
    patch.InsertPatchRecord(B::Bytes(88, 2), 32, 9);
    patch.InsertPatchRecord(B::Bytes(88, 3), 32, 5);
    patch.InsertPatchRecord(B::Bytes(24), 14, 100);  // a multi before every hue
    EXPECT_EQ(Keys(patch), (std::vector<Key>{{14, 100}, {32, 4}, {32, 5}, {32, 9}}));
    EXPECT_TRUE(patch.IsModified());

    patch.InsertPatchRecord(B::Bytes(7, 9), 32, 5);  // shorter, in the middle
    patch.InsertPatchRecord({}, 32, 9);              // empty, last
    EXPECT_EQ(patch.Records().size(), 4 * 9 + 24 + 88 + 7u);
    EXPECT_EQ(Keys(patch), (std::vector<Key>{{14, 100}, {32, 4}, {32, 5}, {32, 9}}));
    EXPECT_EQ(patch.FindPatchRecord(32, 5), B::Bytes(7, 9));
    EXPECT_EQ(patch.FindPatchRecord(32, 4), B::Bytes(88, 1));

    // Find reports the length, and copies only when asked.
    std::uint32_t length = 77;
    EXPECT_TRUE(patch.FindPatchRecord(nullptr, 14, length, 100));
    EXPECT_EQ(length, 24u);
    std::vector<std::uint8_t> out(length + 1, 0xEE);
    EXPECT_TRUE(patch.FindPatchRecord(out.data(), 14, length, 100));
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 24), B::Bytes(24));
    EXPECT_EQ(out[24], 0xEE);
    EXPECT_FALSE(patch.FindPatchRecord(out.data(), 32, length, 3));
    EXPECT_EQ(length, 0u);

    // High type bits are kept but ignored in order and lookup; the same pair under other high
    // bits replaces the record.
    CPatch high;
    high.InsertPatchRecord(B::Bytes(4), 32, 1);
    high.InsertPatchRecord(B::Bytes(4), 0x40 | 14, 1);
    EXPECT_EQ(Keys(high), (std::vector<Key>{{0x4E, 1}, {32, 1}}));
    EXPECT_EQ(high.FindPatchRecord(14, 1), B::Bytes(4));
    high.InsertPatchRecord(B::Bytes(2), 14, 1);
    EXPECT_EQ(Keys(high), (std::vector<Key>{{14, 1}, {32, 1}}));
}

}  // namespace
}  // namespace tessaly
