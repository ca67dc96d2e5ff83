// tessaly-cli merge on the full-size sample clients, old and newer: a patch of 1,020 records
// (600 items and 200 gumps replaced by new pictures, 40 items deleted, 120 sounds replaced by a
// tone, 60 tile data groups renamed and flagged), written by `tessaly-cli patch` as a user would
// write it (on the old client over the records of its own "verdata.mul"), and a ".pat" patch of
// 40 hues and 6 multis. Each merge is timed against copying the bytes it wrote, each file and
// then the folder flushed, in the same run on the same disk; the command's peak resident memory
// comes from the system's account of the child process. The best of three runs is reported.
//
// With `--inputs DIR` it only writes the two clients and their patches into DIR (old/,
// newer/, old-patch.mul, newer-patch.mul, old-edits.pat, newer-edits.pat) for
// scripts/demo-merge.sh, which merges them and photographs the result.

#include "CopyBaseline.h"
#include "PatchFormat.h"
#include "SampleClient.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace tessaly;
using namespace tessaly::bench;

namespace {

// The entries the patch changes, the same on both clients.
constexpr std::uint32_t kItems = 600;  // items 0x100, 0x114, ... replaced
constexpr std::uint32_t kFirstItem = 0x100;
constexpr std::uint32_t kItemStep = 20;
constexpr std::uint32_t kDeleted = 40;  // items 0x3000, 0x3010, ... deleted
constexpr std::uint32_t kGumps = 200;   // gumps 0, 4, 8, ... replaced
constexpr std::uint32_t kSounds = 120;  // sounds 0, 5, 10, ... replaced
constexpr std::uint32_t kTiles = 60;    // tile data of items 0x100, 0x200, ... (first of a group)
// The ".pat" patch: hues 10, 13, 16, ... and these multis (replaced when the client has them,
// else added).
constexpr std::uint32_t kHues = 40;
constexpr std::uint32_t kMultis[] = {0, 1, 2, 3, 0x64, 0x65};

// A strong colour of its own for each entry number.
QColor EntryColour(std::uint32_t n) {
    return QColor::fromHsv(static_cast<int>(n * 37 % 360), 230, 235);
}

// A new item picture: a square of the entry's colour with a white cross through it.
void WriteItemPicture(std::uint32_t id, const fs::path& file) {
    QImage image(44, 44, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.fillRect(2, 2, 40, 40, EntryColour(id));
    painter.setPen(QPen(Qt::white, 4));
    painter.drawLine(4, 4, 39, 39);
    painter.drawLine(39, 4, 4, 39);
    painter.end();
    if (!image.save(QString::fromStdString(file.string()), "PNG")) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

// A new gump picture: a checkerboard of the entry's colour and dark grey (black would be
// transparent), 96 x 64.
void WriteGumpPicture(std::uint32_t id, const fs::path& file) {
    QImage image(96, 64, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y,
                           ((x / 8 + y / 8) % 2) != 0 ? EntryColour(id).rgb() : qRgb(48, 48, 48));
        }
    }
    if (!image.save(QString::fromStdString(file.string()), "PNG")) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

// A new sound: a quarter second of a tone of its own, 16-bit PCM, one channel, 22,050 Hz.
void WriteTone(std::uint32_t id, const fs::path& file) {
    constexpr std::uint32_t kRate = 22050;
    constexpr std::uint32_t kFrames = kRate / 4;
    ByteWriter w;
    w.text("RIFF", 4).u32(36 + kFrames * 2).text("WAVE", 4).text("fmt ", 4).u32(16);
    w.u16(1).u16(1).u32(kRate).u32(kRate * 2).u16(2).u16(16);
    w.text("data", 4).u32(kFrames * 2);
    const double hertz = 220.0 + 10.0 * id;
    for (std::uint32_t i = 0; i < kFrames; ++i) {
        w.i16(static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * hertz * i / kRate)));
    }
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(w.data().data()),
               static_cast<std::streamsize>(w.size()));
}

// A hue of its own: 32 colours rising from black to the entry's colour, named after it.
std::vector<std::uint8_t> MakeHue(std::uint32_t number) {
    const QColor top = EntryColour(number);
    ByteWriter w;
    std::uint16_t first = 0;
    std::uint16_t last = 0;
    for (int i = 0; i < 32; ++i) {
        const auto part = [i](int c) { return static_cast<std::uint16_t>(c * i / 31 >> 3); };
        const auto colour = static_cast<std::uint16_t>(part(top.red()) << 10 |
                                                       part(top.green()) << 5 | part(top.blue()));
        w.u16(colour);
        (i == 0 ? first : last) = colour;
    }
    w.u16(first).u16(last).text("merged hue " + std::to_string(number), 20);
    return w.data();
}

// A multi of its own: a square ring of wall pieces, wider for each number, around a post.
std::vector<std::uint8_t> MakeMulti(std::uint32_t number, std::size_t componentSize) {
    const int half = 2 + static_cast<int>(number % 5);
    ByteWriter w;
    const auto component = [&](std::uint16_t item, int x, int y, int z, std::uint32_t flags) {
        w.u16(item).i16(static_cast<std::int16_t>(x)).i16(static_cast<std::int16_t>(y));
        w.i16(static_cast<std::int16_t>(z)).u32(flags);
        if (componentSize == 16) {
            w.u32(0);
        }
    };
    component(0x0496, 0, 0, 0, 0);  // the multi's centre
    for (int x = -half; x <= half; ++x) {
        for (int y = -half; y <= half; ++y) {
            if (std::abs(x) == half || std::abs(y) == half) {
                component(0x0496, x, y, 0, 1);
            }
        }
    }
    component(0x0821, 0, 0, 0, 1);
    return w.data();
}

// The patch file and ".pat" patch of one client (`name`: "old" or "newer"), written beside it
// into root. The patch file starts from the client's own "verdata.mul" when it has one.
void WriteMergeInputs(const fs::path& root, const std::string& name, std::size_t componentSize) {
    const fs::path client = root / name;
    const fs::path pictures = root / (name + "-pictures");
    const fs::path patch = root / (name + "-patch.mul");
    fs::create_directories(pictures);
    if (fs::exists(client / "verdata.mul")) {
        fs::copy_file(client / "verdata.mul", patch, fs::copy_options::overwrite_existing);
    }
    std::vector<std::string> args = {"--client-dir", client.string(), "patch", patch.string()};
    const auto hex = [](std::uint32_t n) { return "0x" + QString::number(n, 16).toStdString(); };
    for (std::uint32_t k = 0; k < kItems; ++k) {
        const std::uint32_t id = kFirstItem + kItemStep * k;
        const fs::path png = pictures / ("item-" + hex(id) + ".png");
        WriteItemPicture(id, png);
        args.insert(args.end(), {"--replace", "item", hex(id), png.string()});
    }
    for (std::uint32_t k = 0; k < kDeleted; ++k) {
        args.insert(args.end(), {"--delete", "item", hex(0x3000 + 16 * k)});
    }
    for (std::uint32_t k = 0; k < kGumps; ++k) {
        const fs::path png = pictures / ("gump-" + hex(4 * k) + ".png");
        WriteGumpPicture(4 * k, png);
        args.insert(args.end(), {"--replace", "gump", hex(4 * k), png.string()});
    }
    for (std::uint32_t k = 0; k < kSounds; ++k) {
        const fs::path wav = pictures / ("sound-" + hex(5 * k) + ".wav");
        WriteTone(5 * k, wav);
        args.insert(args.end(), {"--replace", "sound", hex(5 * k), wav.string()});
    }
    for (std::uint32_t k = 0; k < kTiles; ++k) {
        const std::uint32_t id = 0x100 * (k + 1);
        args.insert(args.end(), {"--tiledata", "item", hex(id), "name=merged " + hex(id),
                                 "flags=0x" + QString::number(0x40 | k << 8, 16).toStdString()});
    }
    RunChild(TESSALY_CLI, args);

    ByteWriter records;
    std::uint32_t count = 0;
    const auto record = [&](std::uint8_t type, std::uint32_t index,
                            const std::vector<std::uint8_t>& data) {
        PatchRecordHeader{type, index, static_cast<std::uint32_t>(data.size())}.Write(records);
        records.bytes(data);
        ++count;
    };
    for (std::uint32_t k = 0; k < kHues; ++k) {
        record(kPatchTypeHues, 10 + 3 * k, MakeHue(10 + 3 * k));
    }
    for (const std::uint32_t multi : kMultis) {
        record(kPatchTypeMulti, multi, MakeMulti(multi, componentSize));
    }
    const std::vector<std::uint8_t> pat = WritePatchFile(count, records.data());
    std::ofstream(root / (name + "-edits.pat"), std::ios::binary)
        .write(reinterpret_cast<const char*>(pat.data()), static_cast<std::streamsize>(pat.size()));
}

void WriteEverything(const fs::path& root) {
    mk::WriteSampleClient(root / "old", true);
    mk::WriteModernClient(root / "newer", mk::ModernForm::Containers, true);
    WriteMergeInputs(root, "old", 12);
    WriteMergeInputs(root, "newer", 16);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 3 && std::string(argv[1]) == "--inputs") {
            WriteEverything(argv[2]);
            std::printf("wrote the clients and their patches into %s\n", argv[2]);
            return 0;
        }
        if (argc != 1) {
            std::fprintf(stderr, "usage: %s [--inputs DIR]\n", argv[0]);
            return 2;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    std::printf("writing the full-size sample clients and their patches ...\n");
    fs::path root;
    try {
        root = WriteInputs("merge", WriteEverything);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    PrintHeader("merge");
    for (const std::string client : {"old", "newer"}) {
        TimeAgainstCopy(
            client + ", 1,020 + 46", root, TESSALY_CLI,
            {"--client-dir", (root / client).string(), "--verdata",
             (root / (client + "-patch.mul")).string(), "merge", (root / "out").string(), "--pat",
             (root / (client + "-edits.pat")).string()});
    }
    PrintFooter();
    std::printf(
        "patch: 600 items, 200 gumps and 120 sounds replaced, 40 items deleted, 60 tile "
        "data groups; .pat: 40 hues, 6 multis\n");
    fs::remove_all(root);
    return 0;
}
