// Sample texts: cliloc messages in English ("Cliloc.enu") and German ("Cliloc.deu"), two
// Unicode fonts ("unifont.mul", "unifont1.mul") and the speech keywords ("speech.mul").
//
// The English file holds an argument text, an empty text, a text of 10,000 bytes, multi-byte
// UTF-8 and a flag of 2 among plain numbered messages (120,000 in all in the full-size set, as
// many as a current English file). The German file is sparse: it translates some numbers,
// leaves others to English (500004 is missing), has an empty text and one number of its own.

#include "SampleClient.h"

#include <string>

namespace tessaly::mk {
namespace {

constexpr std::uint32_t kFirstNumber = 500000;

void Message(ByteWriter& w, std::uint32_t number, std::uint8_t flag, const std::string& text) {
    w.u32(number).u8(flag).u16(static_cast<std::uint16_t>(text.size()));
    w.bytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

std::vector<std::uint8_t> EnglishCliloc(bool fullSize) {
    ByteWriter w;
    w.u32(2).u16(1);
    Message(w, 500000, 0, "Hello ~1_NAME~, welcome to ~2_PLACE~.");
    Message(w, 500001, 0, "");
    std::string longText;
    while (longText.size() < 10000) {
        longText += "A very long message that tells the whole story of the realm. ";
    }
    longText.resize(10000);
    Message(w, 500002, 0, longText);
    Message(w, 500003, 0,
            "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x80\x94 \xE6\x97\xA5\xE6\x9C\xAC \xE2\x82\xAC 5");
    Message(w, 500004, 2, "You cannot reach that.");
    static const char* const kWords[] = {"sword",  "shield", "dragon", "bank",  "guard",
                                         "potion", "scroll", "boat",   "house", "reagent"};
    const std::uint32_t count = fullSize ? 120000 : 2000;
    for (std::uint32_t n = 5; n < count; ++n) {
        const std::uint32_t number = kFirstNumber + n * 3;
        // About half of a real file's messages are empty.
        Message(w, number, 0,
                n % 2 == 0 ? std::string()
                           : "The " + std::string(kWords[(n / 2) % 10]) + " number " +
                                 std::to_string(n) + " is ready, ~1_VAL~.");
    }
    return w.take();
}

std::vector<std::uint8_t> GermanCliloc() {
    ByteWriter w;
    w.u32(2).u16(1);
    Message(w, 499999, 0, "Nur auf Deutsch");
    Message(w, 500000, 0, "Hallo ~1_NAME~, willkommen in ~2_PLACE~.");
    Message(w, 500001, 0, "");
    Message(w, 500003, 0, "Gr\xC3\xBC\xC3\x9F\x65 auf Deutsch");
    Message(w, 500017, 0, "Das Schwert Nummer 5 ist bereit, ~1_VAL~.");
    return w.take();
}

// A glyph drawn from its code: a frame of the glyph's size with the code's bits inside, so that
// every cell of a character map looks different. Small fonts have fewer rows.
void Glyph(ByteWriter& w, std::uint32_t code, int rows) {
    const int width = 4 + static_cast<int>(code % 5);
    w.u8(0).u8(static_cast<std::uint8_t>(12 - rows)).u8(static_cast<std::uint8_t>(width));
    w.u8(static_cast<std::uint8_t>(rows));
    for (int y = 0; y < rows; ++y) {
        std::uint32_t row = 0;
        for (int x = 0; x < width; ++x) {
            const bool edge = y == 0 || y == rows - 1 || x == 0 || x == width - 1;
            const bool bit = ((code >> ((x + y * 3) % 16)) & 1) != 0 && (x + y) % 2 == 0;
            if (edge || bit) {
                row |= 0x8000u >> x;
            }
        }
        w.u8(static_cast<std::uint8_t>(row >> 8));
        if (width > 8) {
            w.u8(static_cast<std::uint8_t>(row));
        }
    }
}

std::vector<std::uint8_t> UniFont(int rows) {
    ByteWriter w;
    w.zeros(0x10000 * 4);
    auto add = [&](std::uint32_t first, std::uint32_t last) {
        for (std::uint32_t code = first; code <= last; ++code) {
            w.patch32(code * 4, static_cast<std::uint32_t>(w.size()));
            Glyph(w, code, rows);
        }
    };
    add(0x21, 0x7E);    // ASCII (the space has no glyph, as in the client's fonts)
    add(0xA1, 0xFF);    // Latin-1
    add(0x391, 0x3C9);  // Greek
    add(0x2014, 0x2014);
    add(0x20AC, 0x20AC);
    add(0x65E5, 0x65E5);
    add(0x672C, 0x672C);
    return w.take();
}

// The keywords; the full-size set adds numbered ones to the size of a current client's file
// (about 20 KB, some 1,400 keywords).
std::vector<std::uint8_t> Speech(bool fullSize) {
    std::vector<std::string> keywords{"bank",        "balance", "guards",    "vendor buy",
                                      "vendor sell", "stop",    "follow me", "\xC3\xA9t\xC3\xA9"};
    for (int n = 0; fullSize && n < 1400; ++n) {
        keywords.push_back("keyword " + std::to_string(n));
    }
    ByteWriter w;
    for (std::size_t i = 0; i < keywords.size(); ++i) {
        // Big-endian id and length; ids step by 0x10.
        const auto id = static_cast<std::uint16_t>(i * 0x10);
        const auto length = static_cast<std::uint16_t>(keywords[i].size());
        w.u8(static_cast<std::uint8_t>(id >> 8)).u8(static_cast<std::uint8_t>(id));
        w.u8(static_cast<std::uint8_t>(length >> 8)).u8(static_cast<std::uint8_t>(length));
        for (char c : keywords[i]) {
            w.u8(static_cast<std::uint8_t>(c));
        }
    }
    return w.take();
}

void WriteTexts(SampleClient& client) {
    client.WriteFile("Cliloc.enu", EnglishCliloc(client.FullSize()));
    client.WriteFile("Cliloc.deu", GermanCliloc());
    client.WriteFile("unifont.mul", UniFont(10));
    client.WriteFile("unifont1.mul", UniFont(7));
    client.WriteFile("speech.mul", Speech(client.FullSize()));
}

GeneratorRegistrar reg(40, "texts", WriteTexts);

}  // namespace
}  // namespace tessaly::mk
