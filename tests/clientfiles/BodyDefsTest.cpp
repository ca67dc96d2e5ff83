// The body definition files and the body-source model: lines with tabs and spaces mixed,
// comments and lines that do not fit; the class and slot of every body of the sample clients'
// animation files, by mobtypes.txt (newer sample) and by the number ranges and the blocks'
// records (older sample), targets past the end of their index and empty records of both kinds.

#include "AnimSources.h"
#include "Builders.h"

#include <fstream>
#include <tuple>

using namespace tessaly;

namespace {

// The definition files: lines with blanks of both kinds, comments, and lines that do not fit.
TEST(BodyDefs, BodyconvBodyDefAndMobTypesTakeMixedBlanksAndSkipWhatDoesNotFit) {
    const std::vector<BodyconvLine> lines = ParseBodyconv(
        "# body anim2 anim3 anim4 anim5 anim6\r\n"
        "\n"
        "12\t 3  -1\t\t-1 -1 -1  # comment\n"  // six columns, blanks of both kinds
        "2047 -1 -1 -1 7\n"                    // five columns
        "2048 1 -1 -1 -1 -1\n"                 // a body past 2,047
        "13 1 2 3\n"                           // too few columns
        "15 a -1 -1 -1 -1\n"                   // not a number
        "16 -7 99999999 5 -1 -1\r\n");         // values out of range: none
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].body, 12u);
    EXPECT_EQ(lines[0].columns, (std::array<std::int32_t, 5>{3, -1, -1, -1, -1}));
    EXPECT_EQ(lines[1].body, 2047u);
    EXPECT_EQ(lines[1].columns, (std::array<std::int32_t, 5>{-1, -1, -1, 7, -1}));
    EXPECT_EQ(lines[2].body, 16u);
    EXPECT_EQ(lines[2].columns, (std::array<std::int32_t, 5>{-1, -1, 5, -1, -1}));

    const std::vector<BodyRedirect> redirects = ParseBodyDef(
        "# body {new} hue\n"
        "3\t{ 5,6 ,\t7 }  33\n"
        "4 {8} 0\n"
        "5 {} 0\n"       // no target
        "6 {9 0\n"       // no closing brace
        "7 {4000} 0\n"   // a target past 2,047
        "8 {1} 2 3\n");  // more than a hue
    ASSERT_EQ(redirects.size(), 2u);
    EXPECT_EQ(redirects[0].body, 3u);
    EXPECT_EQ(redirects[0].targets, (std::vector<std::uint32_t>{5, 6, 7}));
    EXPECT_EQ(redirects[0].hue, 33u);
    EXPECT_EQ(redirects[1].targets, (std::vector<std::uint32_t>{8}));

    const std::map<std::uint32_t, MobType> types = ParseMobTypes(
        "10 MONSTER 0\n"
        "10\tANIMAL\t10000\n"  // a later line wins
        "12 HUMAN\n"
        "13 EQUIPMENT 0x1\n"
        "14 DRAGON 0\n"     // an unknown type
        "15 ANIMAL zz\n");  // flags that are not hexadecimal
    ASSERT_EQ(types.size(), 3u);
    EXPECT_EQ(types.at(10).cls, AnimClass::Low);
    EXPECT_EQ(types.at(10).flags, 0x10000u);
    EXPECT_EQ(types.at(12).cls, AnimClass::People);
    EXPECT_EQ(types.at(13).flags, 1u);
}

// A body's source: body, source, slot, class and whether its blocks are present.
using Expected = std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, AnimClass, bool>;

// Every body of the sample's files. Slots 300 (anim3), 95 (anim3), 475 (anim4), 364 and 34
// (anim5) hold a class other than their number's.
constexpr Expected kBodies[] = {
    {1, 0, 1, AnimClass::High, true},        {201, 0, 201, AnimClass::Low, true},
    {400, 0, 400, AnimClass::People, true},  {1100, 1, 5, AnimClass::High, true},
    {1101, 1, 210, AnimClass::Low, true},    {1102, 1, 400, AnimClass::People, true},
    {1200, 2, 300, AnimClass::High, true},   {1201, 2, 95, AnimClass::Low, true},
    {1300, 3, 475, AnimClass::Low, true},    {1301, 3, 900, AnimClass::People, false},
    {1400, 4, 364, AnimClass::People, true}, {1401, 4, 34, AnimClass::Low, true},
};

// The body sources of the client in a directory, with the file set they read anim.mul through
// (made first, gone last).
struct LoadedSources : test::Client, CAnimSources {
    explicit LoadedSources(const std::filesystem::path& dir) : Client(dir) { Load(files); }
};

class BodySources : public ::testing::TestWithParam<bool> {};

TEST_P(BodySources, EveryBodyOfTheSampleHasItsFileSlotAndClass) {
    const bool modern = GetParam();
    test::TempDir dir;
    test::WriteSample(dir.Path(), modern);
    const LoadedSources sources(dir.Path());
    EXPECT_EQ(sources.HasMobTypes(), modern);

    std::vector<Expected> found;
    for (std::uint32_t body = 0; body < kMaxBodies; ++body) {
        for (const BodySource& s : sources.Body(body)->sources) {
            found.push_back({body, s.source, s.slot, s.cls, s.present});
            // Where the class is not the number's, mobtypes.txt decides it when the client has
            // the file, else the records of the blocks.
            if (s.cls != ClassOfNumber(s.slot)) {
                EXPECT_EQ(s.basis, modern ? ClassBasis::MobTypes : ClassBasis::Records) << body;
            }
        }
    }
    // The newer sample also holds bodies in the animation containers, flagged in mobtypes.txt.
    std::vector<Expected> expected(std::begin(kBodies), std::end(kBodies));
    if (modern) {
        expected.push_back({1500, kFirstProviderSource, 1500, AnimClass::High, true});
        expected.push_back({1501, kFirstProviderSource, 1501, AnimClass::Low, true});
        expected.push_back({1502, kFirstProviderSource, 1502, AnimClass::People, true});
    }
    EXPECT_EQ(found, expected);
    EXPECT_EQ(sources.Body(1102)->redirect, (std::vector<std::uint32_t>{400}));
    EXPECT_EQ(sources.Body(1103)->redirect, (std::vector<std::uint32_t>{1401, 1}));
    EXPECT_EQ(sources.Body(1103)->redirectHue, 33u);
    EXPECT_EQ(sources.Body(1104)->redirect.size(), 0u);  // a hue that is no number

    // Blocks: action 0 of each body reads; the target past the end of anim4.idx and the empty
    // records of both kinds (anim3's 0xFFFFFFFF one in action 2, the all-zero ones) are absent.
    std::vector<std::uint8_t> block;
    for (const auto& [body, source, slot, cls, present] : kBodies) {
        const BodySource& s = sources.Body(body)->sources.front();
        EXPECT_EQ(sources.ReadBlock(s, 0, 0, block), present ? ReadStatus::Ok : ReadStatus::Absent)
            << body;
        if (s.source != 0) {
            EXPECT_EQ(sources.ReadBlock(s, 2, 0, block), ReadStatus::Absent) << body;
        }
        EXPECT_EQ(sources.ReadBlock(s, ActionCount(s.cls), 0, block), ReadStatus::Absent);
    }
    IndexRecord record;
    EXPECT_FALSE(sources.Record(2, 33010, record));  // offset 0xFFFFFFFF
    EXPECT_FALSE(sources.Record(2, 33020, record));  // all zero

    // Free slots: inside the index, empty under the number's class and used by no body.
    EXPECT_TRUE(sources.IsSlotFree(1, 6));
    EXPECT_FALSE(sources.IsSlotFree(1, 5));    // body 1100
    EXPECT_FALSE(sources.IsSlotFree(2, 300));  // used as a high slot: its low block is empty
    EXPECT_FALSE(sources.IsSlotFree(1, 401));  // past the end of anim2.idx
    EXPECT_FALSE(sources.IsSlotFree(5, 2));    // no anim6
}

INSTANTIATE_TEST_SUITE_P(OlderAndNewer, BodySources, ::testing::Values(false, true));

// Records that run on from their block to the end of their .mul (anim.mul through the file set,
// anim2.mul onward read directly) cost their block: each reads as its own record gave it. An index
// grown far past its records (a sparse 190 MB file) is read only as far as the slots of every body
// number and those "Bodyconv.def" names reach. A record outside its file reads as damaged.
TEST(BodySourceBlocks, ReadsStayInsideTheirBlockIndexAndFile) {
    test::TempDir dir;
    mk::WriteSampleClient(dir.Path(), false);
    const auto readAll = [&] {
        const LoadedSources sources(dir.Path());
        std::vector<std::vector<std::uint8_t>> blocks;
        for (std::uint32_t body = 0; body < kMaxBodies; ++body) {
            for (const BodySource& s : sources.Body(body)->sources) {
                for (std::uint32_t action = 0; action < ActionCount(s.cls); ++action) {
                    for (std::uint32_t d = 0; d < 5; ++d) {
                        blocks.emplace_back();
                        sources.ReadBlock(s, action, d, blocks.back());
                    }
                }
            }
        }
        return blocks;
    };
    const std::vector<std::vector<std::uint8_t>> before = readAll();
    std::size_t stretched = 0;
    for (std::uint32_t source = 0; source < kBodyconvFiles + 1; ++source) {
        const std::string index = CAnimSources::IndexName(source);
        if (!std::filesystem::exists(dir.Path() / index)) {
            continue;
        }
        const auto size = static_cast<std::uint32_t>(
            std::filesystem::file_size(dir.Path() / CAnimSources::DataName(source)));
        std::vector<std::uint8_t> records = dir.Read(index);
        for (std::size_t at = 0; at + 12 <= records.size(); at += 12) {
            const std::uint32_t offset = LoadLE32(records.data() + at);
            const std::uint32_t length = LoadLE32(records.data() + at + 4);
            if (offset < size && length != 0 && length <= size - offset) {
                StoreLE32(records.data() + at + 4, size - offset);
                stretched += length < size - offset;
            }
        }
        dir.Write(index, records);
    }
    ASSERT_GT(stretched, 20u);
    EXPECT_EQ(readAll(), before);

    // The grown index, with a slot past every body number: it is read up to that slot's block.
    const LoadedSources small(dir.Path());
    std::filesystem::resize_file(dir.Path() / "anim2.idx", 190u << 20);
    std::ofstream(dir.Path() / "Bodyconv.def", std::ios::app) << "\n1103 3000 -1 -1 -1\n";
    const LoadedSources grown(dir.Path());
    EXPECT_EQ(grown.RecordCount(1), (3000u - 200) * 175 + 175);
    ASSERT_FALSE(grown.Body(1102)->sources.empty());
    std::vector<std::uint8_t> a;
    std::vector<std::uint8_t> b;
    EXPECT_EQ(grown.ReadBlock(grown.Body(1102)->sources.front(), 0, 0, a), ReadStatus::Ok);
    small.ReadBlock(small.Body(1102)->sources.front(), 0, 0, b);
    EXPECT_EQ(a, b);

    // anim2.mul cut short: the blocks past its new end lie outside it.
    std::filesystem::resize_file(dir.Path() / "anim2.mul", 100);
    const LoadedSources cut(dir.Path());
    EXPECT_EQ(cut.ReadBlock(cut.Body(1102)->sources.front(), 0, 0, a), ReadStatus::Damaged);
    EXPECT_TRUE(a.empty());
}

}  // namespace
