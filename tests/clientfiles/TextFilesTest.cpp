// Cliloc files and "speech.mul": read to the exact end, damage read up to the damage with a
// message, the compressed form recognised, a language laid over the English file.

#include "TextFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>

#include <vector>

using namespace tessaly;

namespace {

struct Message {
    std::uint32_t number;
    std::uint8_t flag;
    std::string text;
};

std::vector<std::uint8_t> Cliloc(const std::vector<Message>& messages) {
    ByteWriter w;
    w.u32(2).u16(1);
    for (const Message& m : messages) {
        w.u32(m.number).u8(m.flag).u16(static_cast<std::uint16_t>(m.text.size()));
        w.bytes({reinterpret_cast<const std::uint8_t*>(m.text.data()), m.text.size()});
    }
    return w.take();
}

CClilocFile Parsed(std::vector<std::uint8_t> bytes) {
    CClilocFile file;
    file.Parse(std::move(bytes));
    return file;
}

std::vector<std::string> Texts(const CClilocFile& file) {
    std::vector<std::string> texts;
    for (const ClilocMessage& m : file.Messages()) {
        texts.emplace_back(file.Text(m));
    }
    return texts;
}

const std::vector<Message> kEnglish = {{500000, 0, "Hello ~1_NAME~"},
                                       {500001, 2, ""},
                                       {500002, 0, std::string(10000, 'x')},
                                       {500005, 0, "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC"}};

}  // namespace

// Every message is read to the exact end; damage keeps the messages before it, with a message.
TEST(ClilocFile, ReadsToTheExactEndOrUpToTheDamageAndOtherHeadersAreTold) {
    const std::vector<std::uint8_t> whole = Cliloc(kEnglish);
    const CClilocFile file = Parsed(whole);
    EXPECT_EQ(file.GetError(), "");
    EXPECT_FALSE(file.IsCompressed());
    ASSERT_EQ(Texts(file),
              (std::vector<std::string>{kEnglish[0].text, "", kEnglish[2].text, kEnglish[3].text}));
    EXPECT_EQ(file.Messages()[1].flag, 2);
    ASSERT_NE(file.Find(500005), nullptr);
    EXPECT_EQ(file.Text(*file.Find(500005)), kEnglish[3].text);
    EXPECT_EQ(file.Find(500003), nullptr);
    EXPECT_EQ(file.Find(600000), nullptr);

    // Cut inside the last entry's head: 3 messages, the 4th named by the one before it.
    const std::size_t lastAt = whole.size() - kEnglish[3].text.size() - 7;
    CClilocFile cut = Parsed({whole.begin(), whole.begin() + static_cast<long>(lastAt) + 5});
    EXPECT_EQ(cut.Messages().size(), 3u);
    EXPECT_EQ(cut.GetError(), "the entry after message 500002 at byte " + std::to_string(lastAt) +
                                  ": the entry is cut short");

    // A length past the end.
    CClilocFile longer = Parsed({whole.begin(), whole.end() - 1});
    EXPECT_EQ(longer.Messages().size(), 3u);
    EXPECT_EQ(longer.GetError(),
              "message 500005 at byte " + std::to_string(lastAt) + ": its text runs past the end");

    // Text that is not UTF-8 (a lone continuation byte, an overlong form, a cut sequence) is
    // read with '?' for each bad byte, and the messages after it as they are.
    CClilocFile invalid = Parsed(Cliloc({kEnglish[0],
                                         {500001, 0, "a\x80"},
                                         kEnglish[2],
                                         {500003, 0, "\xC0\xAF \xE2\x82"},
                                         kEnglish[3]}));
    EXPECT_EQ(Texts(invalid), (std::vector<std::string>{kEnglish[0].text, "a?", kEnglish[2].text,
                                                        "?? ??", kEnglish[3].text}));
    EXPECT_EQ(invalid.GetError(),
              "2 messages' texts are not valid UTF-8 (the first is message 500001; "
              "each bad byte is read as '?')");

    // Any other header is the compressed form; a short file is named so.
    const CClilocFile compressed = Parsed({0x78, 0x9C, 1, 2, 3, 4, 5});
    EXPECT_TRUE(compressed.IsCompressed());
    EXPECT_TRUE(compressed.Messages().empty());
    EXPECT_EQ(compressed.GetError(), "compressed cliloc files are not supported yet");
    EXPECT_EQ(Parsed({}).GetError(), "the file is empty");
    EXPECT_EQ(Parsed({2, 0, 0, 0, 1}).GetError(), "the file is cut short (5 bytes)");
}

// The rows of one file laid over another as "number own | base", a side a row lacks as "-",
// the base's texts cut to 5 bytes.
static std::vector<std::string> Rows(const CClilocFile& own, const CClilocFile& base) {
    const auto text = [](const CClilocFile& file, std::size_t i, std::size_t n) {
        return i == ClilocRow::kNone ? "-"
                                     : std::string(file.Text(file.Messages()[i])).substr(0, n);
    };
    std::vector<std::string> rows;
    for (const ClilocRow& row : OverlayCliloc(own, base)) {
        rows.push_back(std::to_string(row.number) + " " + text(own, row.own, std::string::npos) +
                       " | " + text(base, row.base, 5));
    }
    return rows;
}

TEST(ClilocFile, ALanguageOverTheEnglishShowsEveryNumberOnce) {
    const CClilocFile english = Parsed(Cliloc(kEnglish));
    // German: one number English lacks, a translation, and numbers out of order.
    const CClilocFile german = Parsed(Cliloc({{500005, 0, "Gr\xC3\xBC\xC3\x9F\x65"},
                                              {499999, 0, "Nur hier"},
                                              {500000, 0, "Hallo ~1_NAME~"}}));
    EXPECT_EQ(Rows(german, english),
              (std::vector<std::string>{"499999 Nur hier | -", "500000 Hallo ~1_NAME~ | Hello",
                                        "500001 - | ", "500002 - | xxxxx",
                                        "500005 Gr\xC3\xBC\xC3\x9F\x65 | Gr\xC3\xBC\xC3"}));
    // The lookup of a file out of number order still finds its messages.
    ASSERT_NE(german.Find(500000), nullptr);
    EXPECT_EQ(german.Text(*german.Find(500000)), "Hallo ~1_NAME~");

    // A number the file repeats is one row alone as over another language: its first message,
    // the one a lookup finds.
    const CClilocFile twice =
        Parsed(Cliloc({{500005, 2, "Five"}, {500003, 0, "Three"}, {500005, 0, "FiveB"}}));
    EXPECT_EQ(Rows(twice, twice),
              (std::vector<std::string>{"500003 Three | Three", "500005 Five | Five"}));
    EXPECT_EQ(twice.Text(*twice.Find(500005)), "Five");
}

TEST(SpeechFile, ReadsBigEndianKeywordsUpToTheDamage) {
    const std::vector<std::uint8_t> bytes = {0x00, 0x2A, 0x00, 0x04, 'b',  'a',  'n',
                                             'k',  0x01, 0x02, 0x00, 0x02, 0xC3, 0xA9,
                                             0x00, 0x07, 0x00, 0x09, 'x'};
    std::string error;
    const std::vector<SpeechKeyword> keywords = ParseSpeech(bytes, error);
    ASSERT_EQ(keywords.size(), 2u);
    EXPECT_EQ(std::tuple(keywords[0].id, keywords[0].text, keywords[1].id, keywords[1].text),
              std::tuple(0x2A, "bank", 0x0102, "\xC3\xA9"));
    EXPECT_EQ(error, "keyword 07 at byte 14: its text runs past the end");
    EXPECT_EQ(ParseSpeech(ByteSpan(bytes).first(16), error).size(), 2u);
    EXPECT_EQ(error, "the entry after keyword 0102 at byte 14: the entry is cut short");
    EXPECT_EQ(ParseSpeech(ByteSpan(bytes).first(14), error).size(), 2u);
    EXPECT_EQ(error, "");
    // A keyword that is not UTF-8 keeps its place, each bad byte read as '?'.
    const std::vector<std::uint8_t> latin1 = {0, 1, 0, 3, 'c', 0xE9, 0xFF, 0, 2, 0, 1, 'a'};
    const std::vector<SpeechKeyword> mended = ParseSpeech(latin1, error);
    ASSERT_EQ(mended.size(), 2u);
    EXPECT_EQ(mended[0].text, "c??");

    EXPECT_EQ(error,
              "1 keyword's text is not valid UTF-8 (the first is keyword 01; each bad byte "
              "is read as '?')");
}
