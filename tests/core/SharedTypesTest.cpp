// The shared rectangle and arrays, the hex reader, MakeFilePath and the Latin-1 converter.

#include "QArray.h"
#include "QRect.h"
#include "Text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace tessaly {
namespace {

TEST(QRectTest, NormalisesClampsOffsetsAndIncludes) {
    CQRect r(10, 20, 2, 5);  // reversed sides are swapped
    r.Offset(-4, 3);
    r.ClampTo(5, 10);
    EXPECT_EQ(r, CQRect(0, 8, 5, 10));
    r.ClampTo(5, 7);  // bottom now above top: empty, not normalised
    EXPECT_TRUE(r.IsEmpty());

    CQRect cell;  // empty: the first cell included is the whole rectangle
    cell.Include(3, 4);
    EXPECT_EQ(cell, CQRect(3, 4, 4, 5));
    cell.Include(-1, 9);
    EXPECT_EQ(cell, CQRect(-1, 4, 4, 10));
}

struct Pair {
    std::int32_t a;
    std::int32_t b;
};

struct Counted {
    explicit Counted(int& live) : m_live(live) { ++m_live; }
    ~Counted() { --m_live; }
    int& m_live;
};

TEST(QArrayTest, GrowZeroFillsShrinkKeepsAndObjectArraysDeleteWhatTheyDrop) {
    CQTypedArray<Pair> array;
    array.SetSize(3);
    array.ElementAt(1) = {7, 8};
    array.SetSize(1);
    array.SetSize(2);
    EXPECT_EQ(array.GetAt(1).b, 0);  // the regrown tail is zero again
    EXPECT_EQ(array.Add({5, 6}), 2);
    array.SetAt(0, {1, 2});
    array.RemoveAt(1);
    EXPECT_EQ(array.GetAt(0).a, 1);
    EXPECT_EQ(array.GetAt(1).a, 5);
    EXPECT_THROW(array.GetAt(2), std::out_of_range);
    EXPECT_THROW(array.SetSize(-1), std::length_error);

    int live = 0;
    {
        CQObArray<Counted*> objects;
        for (int i = 0; i < 5; ++i) {
            objects.Add(new Counted(live));
        }
        objects.RemoveAt(0);
        EXPECT_EQ(live, 4);
        objects.SetAt(0, new Counted(live));  // the old element is deleted first
        EXPECT_EQ(live, 4);
        objects.SetSize(2);
        EXPECT_EQ(live, 2);
        objects.SetSize(4);
        EXPECT_EQ(objects.GetAt(3), nullptr);
    }
    EXPECT_EQ(live, 0);
}

TEST(TextTest, NumbersFilePathsAndLatin1Text) {
    EXPECT_EQ(ReadHex("  1aF"), 0x1AFu);
    EXPECT_EQ(ReadHex("0x1A"), 0u);

    EXPECT_EQ(MakeFilePath("", "art.mul"), "art.mul");
    EXPECT_EQ(MakeFilePath("/game", "art.mul"), "/game/art.mul");
    EXPECT_EQ(MakeFilePath("D:\\", "art.mul"), "D:\\art.mul");
    // The texts a parser takes, with their values, and those it refuses, leaving the number as it
    // was.
    auto expectParsed = [](auto parse, std::vector<std::pair<const char*, std::uint32_t>> taken,
                           std::vector<const char*> refused) {
        for (const auto& [text, value] : taken) {
            std::uint32_t n = 7;
            EXPECT_TRUE(parse(text, n)) << text;
            EXPECT_EQ(n, value) << text;
        }
        for (const char* bad : refused) {
            std::uint32_t n = 7;
            EXPECT_FALSE(parse(bad, n)) << bad;
            EXPECT_EQ(n, 7u) << bad;
        }
    };
    expectParsed(ParseEntryNumber, {{" 3644 ", 3644u}, {"0XE3c", 0xE3Cu}, {"4294967295", ~0u}},
                 {"", "0x", "e3c", "-1", "4294967296"});
    // As the lists show them: hexadecimal, bare or after 0x; decimal after "#".
    expectParsed(ParseListNumber, {{" 12 ", 0x12u}, {"0XE3c", 0xE3Cu}, {"#3644", 3644u}},
                 {"", "#", "#e3c", "-1", "1g", "100000000"});

    // Latin-1 case folding and widening.
    EXPECT_EQ(Latin1Lower("MA\xCETRISE \xD7 \xDE"), "ma\xEEtrise \xD7 \xFE");
    EXPECT_TRUE(ContainsLatin1NoCase("Ma\xCEtrise", Latin1Lower("\xEEtr")));
    EXPECT_TRUE(ContainsLatin1NoCase("anything", ""));
    EXPECT_FALSE(ContainsLatin1NoCase("x\xD7y", "x\xF7y"));

    // For a terminal, control bytes of both halves show as escapes; the rest as Latin1ToUtf8.
    EXPECT_EQ(Latin1ToTerminal("a\tb\x1B[31m\x9B\r\n\x7F\xE9\\"),
              "a\\tb\\x1b[31m\\x9b\\r\\n\\x7f\xC3\xA9\\");
    // A list field: what would split or end it becomes a space.
    EXPECT_EQ(AsListField(std::string_view("a\tb\0c\r\nd\x1B", 9)), "a b c  d\x1B");
}

}  // namespace
}  // namespace tessaly
