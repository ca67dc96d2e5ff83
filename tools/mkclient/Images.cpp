// Sample-client pictures: terrain, items, textures, gumps, lights, animations, multis, hues and
// the palette, with patch records replacing an item picture, a gump and a hue group.

#include "ImageEncoders.h"
#include "SampleClient.h"
#include "SampleItems.h"

#include "AnimType.h"
#include "ClientFiles.h"
#include "Hues.h"
#include "MultiType.h"
#include "Text.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace tessaly::mk {
namespace {

constexpr std::uint32_t kArtEntries = 0x8000;  // 16384 terrain, then 16384 items
constexpr std::uint32_t kItemBase = 0x4000;
constexpr std::uint32_t kTextureEntries = 0x4000;
constexpr std::uint32_t kGumpEntries = 0x10000;
constexpr std::uint32_t kLightEntries = 100;
constexpr std::uint32_t kMultiEntries = 0x2000;
constexpr std::uint32_t kHueGroups = 375;

// Shading: a colour made lighter (amount > 0) or darker, channel by channel.
std::uint16_t Shade(std::uint16_t colour, int amount) {
    auto channel = [&](int shift) {
        return std::clamp(((colour >> shift) & 31) + amount, 1, 31) << shift;
    };
    return static_cast<std::uint16_t>(channel(10) | channel(5) | channel(0));
}

std::uint16_t Jitter(std::uint16_t colour, std::mt19937& rng, int spread) {
    return Shade(colour, static_cast<int>(rng() % (2 * spread + 1)) - spread);
}

// ---- terrain ----

std::uint16_t TerrainColour(TerrainKind kind) {
    switch (kind) {
        case TerrainKind::Void:
            return Rgb(8, 8, 8);
        case TerrainKind::Grass:
            return Rgb(72, 136, 48);
        case TerrainKind::Dirt:
            return Rgb(128, 96, 56);
        case TerrainKind::Sand:
            return Rgb(216, 192, 128);
        case TerrainKind::Water:
            return Rgb(40, 72, 168);
        case TerrainKind::Rock:
            return Rgb(120, 112, 104);
        case TerrainKind::Forest:
            return Rgb(40, 96, 40);
        case TerrainKind::Snow:
            return Rgb(232, 232, 240);
        case TerrainKind::Swamp:
            return Rgb(72, 88, 56);
        case TerrainKind::Lava:
            return Rgb(216, 64, 16);
        case TerrainKind::Cave:
            return Rgb(64, 56, 48);
    }
    return Rgb(128, 128, 128);
}

Picture TerrainPicture(TerrainKind kind, std::mt19937& rng) {
    Picture p(44, 44);
    const std::uint16_t base = TerrainColour(kind);
    for (int y = 0; y < 44; ++y) {
        for (int x = 0; x < 44; ++x) {
            std::uint16_t c = Jitter(base, rng, 2);
            if (kind == TerrainKind::Water && (x + 2 * y) % 11 == 0) {
                c = Shade(base, 5);  // wave crests
            }
            p.Set(x, y, c);
        }
    }
    return p;
}

// ---- items ----

// An isometric box standing on the diamond of half-width halfW whose bottom corner is at
// (cx, baseY), raised by height pixels.
void IsoBox(Picture& p, int cx, int baseY, int halfW, int height, std::uint16_t colour,
            std::mt19937& rng) {
    for (int dx = -halfW; dx <= halfW; ++dx) {
        const int bottom = baseY - std::abs(dx) / 2;
        const int top = baseY - halfW + std::abs(dx) / 2;
        const std::uint16_t side = Shade(colour, dx < 0 ? -4 : -8);
        for (int y = bottom - height; y <= bottom; ++y) {
            p.Set(cx + dx, y, Jitter(side, rng, 1));
        }
        for (int y = top - height; y < bottom - height; ++y) {
            p.Set(cx + dx, y, Jitter(colour, rng, 1));
        }
    }
}

// A wall slab along one diagonal: leftSide runs from the left corner to the bottom one.
void Slab(Picture& p, bool leftSide, int height, std::uint16_t colour, std::mt19937& rng) {
    const int baseY = static_cast<int>(p.height) - 1;
    for (int i = 0; i < 22; ++i) {
        const int x = leftSide ? i : 22 + i;
        const int bottom = leftSide ? baseY - 11 + i / 2 : baseY - i / 2;
        for (int y = bottom - height; y <= bottom; ++y) {
            const bool mortar = (y % 8 == 0) || ((x + (y / 8) * 5) % 11 == 0);
            p.Set(x, y, mortar ? Shade(colour, -6) : Jitter(colour, rng, 1));
        }
    }
}

Picture ItemPicture(const SampleItem& item, std::mt19937& rng) {
    switch (item.kind) {
        case DrawKind::Wall:
        case DrawKind::Window:
        case DrawKind::Door:
        case DrawKind::Fence: {
            const bool wooden = item.kind != DrawKind::Wall || (item.id & 0xE) == 8;
            const std::uint16_t colour = wooden ? Rgb(136, 96, 56) : Rgb(144, 144, 136);
            const int height = item.kind == DrawKind::Fence ? 24 : 70;
            Picture p(44, height + 24);
            Slab(p, (item.id & 1) == 0, height, colour, rng);
            if (item.kind == DrawKind::Window) {
                p.FillRect((item.id & 1) == 0 ? 6 : 28, 22, 10, 18, 0);  // see-through pane
            } else if (item.kind == DrawKind::Door) {
                p.FillRect((item.id & 1) == 0 ? 14 : 26, 45, 3, 3, Rgb(232, 200, 64));
            } else if (item.kind == DrawKind::Fence) {
                for (int x = 3; x < 44; x += 6) {
                    p.FillRect(x, 0, 3, static_cast<int>(p.height) - 8, 0);  // gaps between rails
                }
            }
            return p;
        }
        case DrawKind::Floor:
        case DrawKind::Roof: {
            Picture p(44, 44);
            const std::uint16_t colour =
                item.kind == DrawKind::Roof
                    ? Rgb(152, 56, 40)
                    : (item.id == 0x0519 ? Rgb(128, 128, 128) : Rgb(160, 112, 64));
            for (int k = 0; k < 44; ++k) {
                const int half = k < 22 ? k : 43 - k;
                for (int x = 21 - half; x <= 22 + half; ++x) {
                    const bool line = item.kind == DrawKind::Roof ? k % 5 == 0 : (x + k) % 9 == 0;
                    p.Set(x, k, line ? Shade(colour, -5) : Jitter(colour, rng, 1));
                }
            }
            return p;
        }
        case DrawKind::Crate:
        case DrawKind::Chest: {
            Picture p(44, 48);
            IsoBox(p, 22, 47, item.kind == DrawKind::Crate ? 20 : 14,
                   item.kind == DrawKind::Crate ? 24 : 14, Rgb(168, 128, 72), rng);
            p.Line(4, 27, 22, 36, Rgb(96, 64, 32));
            return p;
        }
        case DrawKind::Table:
        case DrawKind::Bed: {
            Picture p(44, 40);
            IsoBox(p, 22, 30, 20, 4,
                   item.kind == DrawKind::Bed ? Rgb(200, 200, 216) : Rgb(144, 96, 56), rng);
            for (int x : {4, 20, 24, 40}) {
                p.FillRect(x, 30, 2, 10, Rgb(96, 64, 32));  // legs with gaps between
            }
            return p;
        }
        case DrawKind::Stairs: {
            Picture p(44, 44);
            for (int step = 0; step < 3; ++step) {
                IsoBox(p, 22, 43 - step * 6, 20 - step * 4, 6, Rgb(136, 136, 128), rng);
            }
            return p;
        }
        case DrawKind::TreeTrunk: {
            Picture p(40, 110);
            p.FillRect(14, 10, 12, 96, Rgb(104, 72, 40));
            p.FillEllipse(20, 104, 14, 5, Rgb(88, 64, 32));
            for (int y = 12; y < 100; y += 7) {
                p.Line(15, y, 24, y + 2, Rgb(72, 48, 24));
            }
            return p;
        }
        case DrawKind::TreeLeaves:
        case DrawKind::Bush:
        case DrawKind::Flower: {
            const int w =
                item.kind == DrawKind::TreeLeaves ? 120 : (item.kind == DrawKind::Bush ? 40 : 22);
            const int h =
                item.kind == DrawKind::TreeLeaves ? 100 : (item.kind == DrawKind::Bush ? 32 : 18);
            Picture p(static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h));
            const std::uint16_t green = Rgb(48, 120 + static_cast<int>(item.id % 3) * 16, 40);
            for (int blob = 0; blob < w; ++blob) {
                const int bx = static_cast<int>(rng() % static_cast<unsigned>(w));
                const int by = static_cast<int>(rng() % static_cast<unsigned>(h));
                // One draw per statement: arguments' order of evaluation is the compiler's, and
                // the picture must not depend on it.
                const std::uint16_t colour = Jitter(green, rng, 3);
                const int ry = 2 + static_cast<int>(rng() % 6);
                const int rx = 2 + static_cast<int>(rng() % 8);
                p.FillEllipse(bx, by, rx, ry, colour);
            }
            if (item.kind == DrawKind::Flower) {
                for (int i = 0; i < 6; ++i) {
                    const int y = static_cast<int>(rng() % 18);
                    const int x = static_cast<int>(rng() % 22);
                    p.FillEllipse(x, y, 1, 1, Rgb(232, 64 + 30 * i, 96));
                }
            }
            return p;
        }
        case DrawKind::Sign: {
            Picture p(30, 60);
            p.FillRect(13, 10, 4, 50, Rgb(104, 72, 40));
            p.FillRect(2, 4, 26, 16, item.id == 0x0B96 ? Rgb(200, 168, 64) : Rgb(152, 112, 64));
            return p;
        }
        case DrawKind::Chair: {
            Picture p(24, 40);
            IsoBox(p, 12, 30, 10, 3, Rgb(144, 96, 56), rng);
            p.FillRect((item.id & 1) ? 2 : 18, 2, 4, 26, Rgb(120, 80, 48));
            p.FillRect(4, 30, 2, 10, Rgb(96, 64, 32));
            p.FillRect(18, 30, 2, 10, Rgb(96, 64, 32));
            return p;
        }
        case DrawKind::Barrel:
        case DrawKind::Column: {
            const bool column = item.kind == DrawKind::Column;
            Picture p(column ? 30 : 26, column ? 90 : 36);
            const int w = static_cast<int>(p.width);
            const int h = static_cast<int>(p.height);
            const std::uint16_t colour = column ? Rgb(176, 176, 168) : Rgb(136, 88, 48);
            p.FillRect(1, 5, w - 2, h - 10, colour);
            p.FillEllipse(w / 2, h - 6, w / 2 - 1, 4, Shade(colour, -4));
            p.FillEllipse(w / 2, 5, w / 2 - 1, 4, Shade(colour, 4));
            for (int x = 3; x < w - 2; x += 5) {
                p.Line(x, 9, x, h - 8, Shade(colour, -3));
            }
            return p;
        }
        case DrawKind::Lamp: {
            Picture p(16, 30);
            p.FillRect(7, 12, 2, 18, Rgb(72, 72, 72));
            p.FillEllipse(8, 8, 6, 7, Rgb(248, 216, 96));
            return p;
        }
        case DrawKind::Rock:
        case DrawKind::Anvil: {
            Picture p(40, 26);
            if (item.kind == DrawKind::Rock) {
                for (int i = 0; i < 5; ++i) {
                    p.FillEllipse(8 + 6 * i, 16 - (i % 2) * 3, 8, 7,
                                  Jitter(Rgb(128, 120, 112), rng, 3));
                }
            } else {
                p.FillRect(4, 4, 32, 8, Rgb(64, 64, 72));
                p.FillRect(14, 12, 12, 14, Rgb(56, 56, 64));
            }
            return p;
        }
        case DrawKind::Coins: {
            Picture p(14, 8);
            p.FillEllipse(4, 4, 3, 2, Rgb(240, 200, 48));
            p.FillEllipse(9, 4, 3, 2, Rgb(224, 184, 40));
            return p;
        }
        case DrawKind::Weapon: {
            Picture p(34, 34);
            p.Line(2, 31, 28, 5, Rgb(200, 200, 216));
            p.Line(3, 31, 29, 5, Rgb(168, 168, 184));
            p.Line(4, 22, 12, 30, Rgb(120, 88, 40));
            return p;
        }
        case DrawKind::Clothing: {
            // Grey cloth with a coloured belt: the client hues cloth partially, so only the
            // grey takes a hue.
            Picture p(30, 44);
            for (int y = 0; y < 44; ++y) {
                const int half = 5 + y / 4;
                p.FillRect(15 - half, y, 2 * half, 1, Jitter(Rgb(136, 136, 136), rng, 1));
            }
            p.FillRect(15 - 9, 16, 18, 2, Rgb(200, 152, 40));
            return p;
        }
    }
    return Picture(1, 1);
}

// ---- textures ----

Picture TexturePicture(std::uint32_t edge, int pattern, std::mt19937& rng) {
    Picture p(edge, edge);
    static const std::uint16_t kBase[] = {Rgb(72, 136, 48), Rgb(40, 72, 168), Rgb(144, 144, 136),
                                          Rgb(216, 192, 128)};
    const std::uint16_t base = kBase[pattern % 4];
    for (std::uint32_t y = 0; y < edge; ++y) {
        for (std::uint32_t x = 0; x < edge; ++x) {
            std::uint16_t c = Jitter(base, rng, 2);
            if (pattern % 4 == 2 && (y % 16 == 0 || (x + (y / 16) * 8) % 32 == 0)) {
                c = Shade(base, -8);  // paving stones
            }
            p.Set(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), c);
        }
    }
    return p;
}

// ---- gumps ----

Picture FramePiece(int piece) {
    // 3 x 3 pieces of a stone frame: corners 30 x 30, edges 30 long, centre 30 x 30.
    Picture p(30, 30);
    const std::uint16_t stone = Rgb(120, 112, 96);
    const std::uint16_t fill = Rgb(48, 40, 32);
    const int col = piece % 3;
    const int row = piece / 3;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 30; ++x) {
            const bool border = (col == 0 && x < 8) || (col == 2 && x >= 22) ||
                                (row == 0 && y < 8) || (row == 2 && y >= 22);
            p.Set(x, y, border ? Shade(stone, (x + y) % 7 == 0 ? -4 : 0) : fill);
        }
    }
    return p;
}

Picture Button(bool pressed, std::uint16_t colour) {
    Picture p(60, 24);
    p.FillRect(2, 2, 56, 20, pressed ? Shade(colour, -6) : colour);
    p.FillRect(2, 2, 56, 2, Shade(colour, pressed ? -10 : 6));
    p.FillRect(2, 20, 56, 2, Shade(colour, pressed ? 6 : -10));
    p.FillRect(24, 9, 12, 6, Rgb(240, 232, 208));  // label
    return p;                                      // the outer two-pixel ring is transparent
}

Picture Backdrop(std::uint32_t w, std::uint32_t h) {
    Picture p(w, h);
    for (std::uint32_t y = 0; y < h; ++y) {
        const int shade = static_cast<int>(y * 24 / h);
        p.FillRect(0, static_cast<std::int32_t>(y), static_cast<std::int32_t>(w), 1,
                   Rgb(32 + shade * 4, 24 + shade * 3, 16 + shade * 2));
    }
    p.FillEllipse(static_cast<std::int32_t>(w * 3 / 4), static_cast<std::int32_t>(h / 4), 40, 40,
                  Rgb(240, 224, 176));
    for (std::uint32_t x = 0; x < w; ++x) {
        const int hill = static_cast<int>(h * 2 / 3 + 30 * std::sin(x / 40.0));
        p.FillRect(static_cast<std::int32_t>(x), hill, 1, static_cast<std::int32_t>(h) - hill,
                   Rgb(48, 72, 40));
    }
    return p;
}

Picture PaperdollBody() {
    Picture p(110, 240);
    const std::uint16_t skin = Rgb(208, 160, 128);
    p.FillEllipse(55, 22, 14, 18, skin);
    p.FillRect(35, 40, 40, 90, skin);
    p.FillRect(20, 45, 14, 80, skin);
    p.FillRect(76, 45, 14, 80, skin);
    p.FillRect(36, 130, 16, 105, skin);
    p.FillRect(58, 130, 16, 105, skin);
    return p;
}

// ---- lights ----

std::vector<std::uint8_t> LightBytes(std::uint32_t w, std::uint32_t h) {
    std::vector<std::uint8_t> bytes(std::size_t{w} * h);
    for (std::uint32_t y = 0; y < h; ++y) {
        for (std::uint32_t x = 0; x < w; ++x) {
            const double dx = (x + 0.5) / w * 2 - 1;
            const double dy = (y + 0.5) / h * 2 - 1;
            const double d = std::sqrt(dx * dx + dy * dy);
            bytes[std::size_t{y} * w + x] = static_cast<std::uint8_t>(d >= 1 ? 0 : 31 * (1 - d));
        }
    }
    return bytes;
}

// ---- animations ----

enum class Body { Monster, Animal, Human };

std::array<std::uint16_t, 256> BodyPalette(Body body) {
    std::array<std::uint16_t, 256> palette{};
    const std::uint16_t base = body == Body::Monster  ? Rgb(96, 136, 64)
                               : body == Body::Animal ? Rgb(152, 104, 56)
                                                      : Rgb(208, 160, 128);
    for (int i = 0; i < 256; ++i) {
        palette[static_cast<std::size_t>(i)] = Shade(base, i / 16 - 8);
    }
    palette[255] = Rgb(240, 240, 240);  // eyes and highlights
    return palette;
}

// One frame of a figure: the pose moves with the frame number, the facing with the stored
// direction (0 facing the viewer's lower right .. 4 facing up); each action has its own gait.
AnimFrameImage Figure(Body body, int action, int direction, int frame) {
    AnimFrameImage f;
    const bool human = body == Body::Human;
    const bool animal = body == Body::Animal;
    f.width = static_cast<std::uint16_t>(animal ? 52 : (human ? 30 : 44));
    f.height = static_cast<std::uint16_t>(animal ? 40 : (human ? 64 : 70));
    f.centreX = static_cast<std::int16_t>(f.width / 2 - direction);
    f.centreY = static_cast<std::int16_t>(-2 - action);
    f.indexes.assign(std::size_t{f.width} * f.height, -1);
    const int swing = static_cast<int>(std::lround(4 * std::sin(frame * 1.3 + action)));
    const int w = f.width;
    const int h = f.height;
    auto ellipse = [&](int cx, int cy, int rx, int ry, int index) {
        for (int y = cy - ry; y <= cy + ry; ++y) {
            for (int x = cx - rx; x <= cx + rx; ++x) {
                const double ex = double(x - cx) / rx;
                const double ey = double(y - cy) / ry;
                if (ex * ex + ey * ey <= 1.0) {
                    f.Set(x, y, static_cast<std::int16_t>(std::clamp(index + (x - cx), 0, 254)));
                }
            }
        }
    };
    auto bar = [&](int x, int y, int bw, int bh, int index) {
        for (int j = y; j < y + bh; ++j) {
            for (int i = x; i < x + bw; ++i) {
                f.Set(i, j, static_cast<std::int16_t>(index));
            }
        }
    };
    if (animal) {
        ellipse(w / 2, h / 2, w / 2 - 8, 9, 140);
        ellipse(direction < 2 ? w - 8 : 8, h / 2 - 10, 7, 6, 150);
        for (int leg = 0; leg < 4; ++leg) {
            bar(10 + leg * 10, h / 2 + 8, 4, h / 2 - 8 - ((leg + frame) % 2) * 3, 110);
        }
    } else if (human) {
        ellipse(w / 2, 7, 6, 7, 150);
        bar(w / 2 - 7, 15, 14, 24, 90 + action * 10);
        bar(w / 2 - 6 + swing, 39, 5, h - 39, 80);
        bar(w / 2 + 1 - swing, 39, 5, h - 39, 80);
        bar(w / 2 - 11, 17 + swing, 4, 18, 140);
        bar(w / 2 + 7, 17 - swing, 4, 18, 140);
    } else {
        // The monster's head floats above its body: the rows between are empty.
        ellipse(w / 2 + swing, 8, 8, 8, 160);
        f.Set(w / 2 + swing - 3, 6, 255);
        f.Set(w / 2 + swing + 3, 6, 255);
        ellipse(w / 2, 38, 18, 16, 120);
        bar(w / 2 - 12, 54, 7, h - 54 - (frame % 2) * 2, 100);
        bar(w / 2 + 5, 54, 7, h - 54 - ((frame + 1) % 2) * 2, 100);
    }
    if (direction == 4 || direction == 0) {
        bar(0, h - 2, 3, 2, 60);  // a tail or a shadow tip, showing the facing
    }
    return f;
}

std::vector<std::uint8_t> AnimBlock(Body body, int action, int direction, int frames) {
    std::vector<AnimFrameImage> images;
    for (int i = 0; i < frames; ++i) {
        images.push_back(Figure(body, action, direction, i));
    }
    return EncodeAnim(BodyPalette(body), images);
}

struct SampleBody {
    std::uint32_t body;
    Body kind;
    int actions;
    int frames;
};

constexpr SampleBody kSampleBodies[] = {
    {1, Body::Monster, 4, 6},   // below 200: 22 actions per body
    {201, Body::Animal, 3, 5},  // 200 to 399: 13 actions
    {400, Body::Human, 5, 8},   // 400 and above: 35 actions
};

// ---- multis ----

std::vector<std::uint8_t> MultiBytes(const std::vector<MultiComponent>& parts) {
    ByteWriter w;
    for (const MultiComponent& c : parts) {
        c.Write(w);
    }
    return w.take();
}

std::vector<MultiComponent> SmallHouse() {
    std::vector<MultiComponent> parts;
    parts.push_back({0x0495, 0, 0, 0, 0});  // the multi's centre tile comes first
    for (std::int16_t y = -2; y <= 2; ++y) {
        for (std::int16_t x = -2; x <= 2; ++x) {
            if (x != 0 || y != 0) {
                parts.push_back(
                    {static_cast<std::uint16_t>((x + y) % 2 ? 0x0495 : 0x0496), x, y, 0, 1});
            }
        }
    }
    for (std::int16_t i = -2; i <= 2; ++i) {
        parts.push_back({0x0007, i, -2, 0, 1});
        parts.push_back({0x0006, -2, i, 0, 1});
        parts.push_back({static_cast<std::uint16_t>(i == 0 ? 0x0675 : 0x0008), i, 2, 0, 1});
        parts.push_back({static_cast<std::uint16_t>(i == 0 ? 0x000A : 0x0009), 2, i, 0, 1});
    }
    for (std::int16_t y = -2; y <= 2; ++y) {
        for (std::int16_t x = -2; x <= 2; ++x) {
            parts.push_back({static_cast<std::uint16_t>(x < 0 ? 0x05F5 : 0x05F6), x, y,
                             static_cast<std::int16_t>(20 + 3 * (2 - std::abs(x))), 1});
        }
    }
    parts.push_back({0x0B34, 0, 0, 0, 1});
    parts.push_back({0x0B2C, 1, 0, 0, 1});
    parts.push_back({0x0A0F, 0, 0, 6, 1});
    parts.push_back({0x0BD2, 3, 2, 0, 1});
    return parts;
}

std::vector<MultiComponent> Boat() {
    std::vector<MultiComponent> parts;
    parts.push_back({0x0496, 0, 0, 0, 0});
    for (std::int16_t y = -4; y <= 4; ++y) {
        const std::int16_t half = static_cast<std::int16_t>(std::abs(y) >= 3 ? 0 : 1);
        for (std::int16_t x = static_cast<std::int16_t>(-half); x <= half; ++x) {
            if (x != 0 || y != 0) {
                parts.push_back({0x0496, x, y, 0, 1});
            }
        }
        parts.push_back({0x0821, static_cast<std::int16_t>(-half - 1), y, 0, 1});
        parts.push_back({0x0822, static_cast<std::int16_t>(half + 1), y, 0, 1});
    }
    parts.push_back({0x0C9E, 0, -1, 0, 1});  // the mast
    parts.push_back({0x0E77, 0, 3, 0, 1});
    parts.push_back({0x0E3C, 1, 2, 0, 1});
    return parts;
}

// ---- hues ----

HueEntry MakeHue(std::uint32_t n, const char* suffix) {
    static const char* const kFamilies[] = {"Red",  "Orange", "Yellow", "Lime",   "Green",   "Teal",
                                            "Cyan", "Azure",  "Blue",   "Violet", "Magenta", "Rose",
                                            "Grey", "Brown",  "Sand",   "Slate"};
    HueEntry e;
    const std::uint32_t family = (n / 16) % 16;
    const double angle = family * 22.5 * 3.14159265 / 180.0;
    const double saturation = family >= 12 ? 0.2 : 0.3 + 0.05 * (n % 8);
    for (int i = 0; i < 32; ++i) {
        const double light = (i + 1) / 33.0;
        auto channel = [&](double phase) {
            const double v = light * (1 + saturation * std::cos(angle - phase));
            return std::clamp(static_cast<int>(v * 248), 8, 248);
        };
        e.m_Colours[static_cast<std::size_t>(i)] = Rgb(channel(0), channel(2.094), channel(4.189));
    }
    e.m_wTableStart = e.m_Colours[0];
    e.m_wTableEnd = e.m_Colours[31];
    e.SetName(std::string(kFamilies[family]) + " " + std::to_string(n % 16 + 1) + suffix);
    return e;
}

HueGroup MakeHueGroup(std::uint32_t group, const char* suffix) {
    HueGroup g;
    g.m_dwHeader = 0x00010000u + group;
    for (std::uint32_t i = 0; i < 8; ++i) {
        g.m_Entries[i] = MakeHue(group * 8 + i, suffix);
    }
    return g;
}

// ---- the generator ----

void WriteImages(SampleClient& client) {
    const bool full = client.FullSize();

    // Terrain and items share "artidx.mul" / "art.mul".
    {
        std::mt19937 rng = SampleClient::Random("art");
        IndexedFileBuilder art(kArtEntries);
        std::vector<std::vector<std::uint8_t>> terrainKinds;
        for (int k = 0; k <= static_cast<int>(TerrainKind::Cave); ++k) {
            terrainKinds.push_back(EncodeTerrain(TerrainPicture(static_cast<TerrainKind>(k), rng)));
        }
        std::map<std::uint32_t, const std::vector<std::uint8_t>*> terrain;
        for (const SampleTerrain& t : kSampleTerrain) {
            terrain[t.id] = &terrainKinds[static_cast<std::size_t>(t.kind)];
        }
        std::map<std::uint32_t, std::vector<std::uint8_t>> items;
        for (const SampleItem& item : kSampleItems) {
            items[item.id] = EncodeItem(ItemPicture(item, rng));
        }
        for (std::uint32_t id = 0; id < kItemBase; ++id) {
            if (auto it = terrain.find(id); it != terrain.end()) {
                art.Add(id, *it->second);
            } else if (full) {
                art.Add(id, terrainKinds[1 + id % (terrainKinds.size() - 1)]);
            }
        }
        std::vector<const std::vector<std::uint8_t>*> reuse;
        for (const auto& [id, bytes] : items) {
            reuse.push_back(&bytes);
        }
        for (std::uint32_t id = 0; id < kItemBase; ++id) {
            if (auto it = items.find(id); it != items.end()) {
                art.Add(kItemBase + id, it->second);
            } else if (full) {
                art.Add(kItemBase + id, *reuse[id % reuse.size()]);
            }
        }
        art.Write(client, "artidx.mul", "art.mul");

        // Patch: the large crate repainted in blue-grey.
        Picture patched(44, 48);
        std::mt19937 prng = SampleClient::Random("art patch");
        IsoBox(patched, 22, 47, 20, 24, Rgb(96, 112, 136), prng);
        // Like the gump below, the record carries the picture's size (width, height).
        client.AddPatch({kSlotArt, kItemBase + 0x0E3C, EncodeItem(patched),
                         static_cast<std::uint16_t>(patched.width),
                         static_cast<std::uint16_t>(patched.height)});
    }

    // Textures: 64 and 128 squares.
    {
        std::mt19937 rng = SampleClient::Random("textures");
        IndexedFileBuilder tex(kTextureEntries);
        std::vector<std::vector<std::uint8_t>> made;
        for (int i = 0; i < 8; ++i) {
            made.push_back(EncodeTexture(TexturePicture(i % 2 ? 128 : 64, i / 2, rng)));
            tex.Add(static_cast<std::uint32_t>(1 + i), made.back());
        }
        if (full) {
            for (std::uint32_t id = 9; id < kTextureEntries; id += 3) {
                tex.Add(id, made[id % made.size()]);
            }
        }
        tex.Write(client, "texidx.mul", "texmaps.mul");
    }

    // Gumps: a frame of nine pieces, buttons, a paperdoll body and a large backdrop.
    {
        IndexedFileBuilder gumps(kGumpEntries);
        std::vector<std::pair<std::vector<std::uint8_t>, std::uint32_t>> made;
        auto add = [&](std::uint32_t id, const Picture& p) {
            made.emplace_back(EncodeGump(p), SizeExtra(p.width, p.height));
            gumps.Add(id, made.back().first, made.back().second);
        };
        for (int piece = 0; piece < 9; ++piece) {
            add(0x0A28 + static_cast<std::uint32_t>(piece), FramePiece(piece));
        }
        add(0x00F7, Button(false, Rgb(64, 96, 160)));
        add(0x00F8, Button(true, Rgb(64, 96, 160)));
        add(0x00F1, Button(false, Rgb(160, 64, 56)));
        add(0x00F2, Button(true, Rgb(160, 64, 56)));
        add(0x000C, PaperdollBody());
        add(0x07D0, Backdrop(640, 480));
        if (full) {
            for (std::uint32_t id = 0x1000; id < 0x1000 + 4000; ++id) {
                const auto& [bytes, extra] = made[id % (made.size() - 1)];  // not the backdrop
                gumps.Add(id, bytes, extra);
            }
        }
        gumps.Write(client, "gumpidx.mul", "gumpart.mul");

        // Patch: the blue button in green (a patch record carries the size in its extra words).
        const Picture green = Button(false, Rgb(64, 152, 72));
        client.AddPatch({kSlotGumpArt, 0x00F7, EncodeGump(green),
                         static_cast<std::uint16_t>(green.height),
                         static_cast<std::uint16_t>(green.width)});
    }

    // Lights: round glows of several sizes.
    {
        IndexedFileBuilder lights(kLightEntries);
        const std::pair<std::uint32_t, std::uint32_t> sizes[] = {{32, 32},  {64, 48}, {96, 96},
                                                                 {128, 80}, {20, 40}, {160, 160}};
        std::uint32_t id = 0;
        for (auto [w, h] : sizes) {
            lights.Add(id++, EncodeLight(w, h, LightBytes(w, h)), SizeExtra(w, h));
        }
        lights.Write(client, "lightidx.mul", "light.mul");
    }

    // Animations: every action of a body holds the five stored directions.
    {
        const std::uint32_t entries = GetAnimIndex(400, 0, 0) + 175 * 2;
        IndexedFileBuilder anim(entries);
        for (const SampleBody& b : kSampleBodies) {
            for (int action = 0; action < b.actions; ++action) {
                for (int stored = 0; stored < 5; ++stored) {
                    // Directions 3 to 7 select the stored directions 0 to 4.
                    const std::uint32_t entry = GetAnimIndex(b.body, action, 3 + stored);
                    anim.Add(entry, AnimBlock(b.kind, action, stored, b.frames));
                }
            }
        }
        if (full) {
            // Further monster bodies reuse the first body's blocks: hundreds of entries.
            std::vector<std::vector<std::uint8_t>> blocks;
            for (int stored = 0; stored < 5; ++stored) {
                blocks.push_back(AnimBlock(Body::Monster, 0, stored, 6));
            }
            for (std::uint32_t body = 2; body < 40; ++body) {
                for (int action = 0; action < 4; ++action) {
                    for (int stored = 0; stored < 5; ++stored) {
                        anim.Add(GetAnimIndex(body, action, 3 + stored),
                                 blocks[static_cast<std::size_t>(stored)]);
                    }
                }
            }
        }
        anim.Write(client, "anim.idx", "anim.mul");
    }

    // Multis: a boat among the ship ids and a small house.
    {
        IndexedFileBuilder multis(kMultiEntries);
        multis.Add(0, MultiBytes(Boat()));
        multis.Add(0x64, MultiBytes(SmallHouse()));
        multis.Write(client, "multi.idx", "multi.mul");
    }

    // Hues: groups of eight named ramps; a patch record replaces group 1.
    {
        ByteWriter hues;
        for (std::uint32_t g = 0; g < kHueGroups; ++g) {
            MakeHueGroup(g, "").WriteFile(hues);
        }
        client.WriteFile("hues.mul", hues.data());
        ByteWriter patch;
        MakeHueGroup(1, " patched").WritePatch(patch);
        client.AddPatch({kSlotHues, 1, patch.take(), 0, 0});
    }

    // The palette: 256 RGB triplets (no picture format takes its colours from it).
    {
        ByteWriter palette;
        for (int i = 0; i < 256; ++i) {
            palette.u8(static_cast<std::uint8_t>(i)).u8(static_cast<std::uint8_t>(255 - i));
            palette.u8(static_cast<std::uint8_t>((i * 7) & 255));
        }
        client.WriteFile("palette.mul", palette.data());
    }
}

GeneratorRegistrar reg(10, "pictures", WriteImages);

// ---- the animation files after anim.mul ----

// One body of anim2.mul ... anim5.mul: its file (2-5), slot, class and frames.
struct SampleSlot {
    std::uint32_t body;
    int file;
    std::uint32_t slot;
    AnimClass cls;  // differs from the slot's number range where real files have such slots
    Body kind;
};

constexpr SampleSlot kSampleSlots[] = {
    {1100, 2, 5, AnimClass::High, Body::Monster},    // the slot's own class
    {1101, 2, 210, AnimClass::Low, Body::Animal},    // the slot's own class
    {1102, 2, 400, AnimClass::People, Body::Human},  // the slot's own class
    {1200, 3, 300, AnimClass::High, Body::Monster},  // a high slot among the low numbers
    {1201, 3, 95, AnimClass::Low, Body::Animal},     // a low slot among the high numbers
    {1300, 4, 475, AnimClass::Low, Body::Animal},    // a low slot among the people numbers
    {1400, 5, 364, AnimClass::People, Body::Human},  // a people slot among the low numbers
    {1401, 5, 34, AnimClass::Low, Body::Animal},     // a low slot among the high numbers
};

// Records of each file: anim2.idx ends at its last people slot, the others where their last
// block ends (sizes of real files in the full-size client).
constexpr std::uint32_t kSlotFileRecords[] = {35175, 35000, 39940, 28875};
constexpr std::uint32_t kFullSlotFileRecords[] = {64750, 129850, 84700, 79275};

// A body number past the end of anim4.idx's records: its people slot 900 has no records.
constexpr std::uint32_t kPastEndBody = 1301;

std::string SampleMobTypesText() {
    std::string text = "# body type flags\n";
    for (const SampleSlot& s : kSampleSlots) {
        static constexpr const char* kType[] = {"MONSTER", "ANIMAL", "HUMAN"};
        text += Format("%u\t%s\t0\n", s.body, kType[static_cast<int>(s.cls)]);
    }
    // A later line for the same body wins: 1200 is a monster, not an animal.
    text = "1200 ANIMAL 0\n" + text + "1401 SEA_MONSTER 0\n1401 ANIMAL 0\n";
    return text;
}

void WriteBodyFiles(SampleClient& client) {
    const bool full = client.FullSize();
    std::vector<IndexedFileBuilder> files;
    for (int f = 0; f < 4; ++f) {
        files.emplace_back(full ? kFullSlotFileRecords[f] : kSlotFileRecords[f]);
    }
    std::string bodyconv =
        "# Bodyconv.def: body anim2 anim3 anim4 anim5 anim6\n"
        "\"a quoted line is a comment too\n"
        "\n";
    auto addBlocks = [&](IndexedFileBuilder& file, AnimClass cls, std::uint32_t slot, Body kind,
                         const std::vector<std::vector<std::uint8_t>>* shared) {
        std::uint64_t first = 0;
        FirstAnimRecord(cls, slot, first);
        for (int action = 0; action < 2; ++action) {
            for (int stored = 0; stored < 5; ++stored) {
                const auto entry = static_cast<std::uint32_t>(first) + action * 5 + stored;
                file.Add(entry, shared != nullptr ? (*shared)[static_cast<std::size_t>(stored)]
                                                  : AnimBlock(kind, action, stored, 4));
            }
        }
    };
    for (const SampleSlot& s : kSampleSlots) {
        addBlocks(files[static_cast<std::size_t>(s.file - 2)], s.cls, s.slot, s.kind, nullptr);
        std::string columns;
        for (int f = 2; f <= 6; ++f) {
            columns +=
                Format(f % 2 == 0 ? "\t%d" : "  %d", f == s.file ? static_cast<int>(s.slot) : -1);
        }
        bodyconv += Format("%u%s\t# %s\n", s.body, columns.c_str(), AnimClassName(s.cls));
    }
    bodyconv += Format(" \t%u -1 -1\t900 -1\n", kPastEndBody);  // five columns, no anim6
    bodyconv += "5000 1 -1 -1 -1 -1\n";                         // a body past 2,047: skipped
    bodyconv += "1500 x y z w v\n";                             // not numbers: skipped
    if (full) {
        // Hundreds of bodies in their files' own classes, sharing one monster's blocks.
        std::vector<std::vector<std::uint8_t>> blocks;
        for (int stored = 0; stored < 5; ++stored) {
            blocks.push_back(AnimBlock(Body::Monster, 0, stored, 6));
        }
        for (std::uint32_t n = 0; n < 400; ++n) {
            const int f = static_cast<int>(n % 4);
            const std::uint32_t slot = 100 + n / 4;  // high slots 100 to 199
            addBlocks(files[static_cast<std::size_t>(f)], AnimClass::High, slot, Body::Monster,
                      &blocks);
            std::string columns;
            for (int c = 0; c < 5; ++c) {
                columns += Format(" %d", c == f ? static_cast<int>(slot) : -1);
            }
            bodyconv += Format("%u%s\n", 1500 + n, columns.c_str());
        }
    }
    for (int f = 0; f < 4; ++f) {
        // Records not added are all zero here, unlike anim.idx's 0xFFFFFFFF.
        std::vector<std::uint8_t> index = files[static_cast<std::size_t>(f)].IndexBytes();
        for (std::size_t at = 0; at + IndexRecord::kSize <= index.size();
             at += IndexRecord::kSize) {
            if (LoadLE32(&index[at]) == 0xFFFFFFFFu && LoadLE32(&index[at + 4]) == 0xFFFFFFFFu) {
                std::fill_n(index.begin() + static_cast<std::ptrdiff_t>(at), IndexRecord::kSize, 0);
            }
        }
        if (f == 1) {
            // anim3 holds an empty record of anim.idx's kind inside its high slot 300 (action 2,
            // stored direction 0): empty all the same.
            StoreLE32(&index[(33000 + 10) * IndexRecord::kSize], 0xFFFFFFFFu);
        }
        client.WriteFile(Format("anim%d.idx", f + 2), index);
        client.WriteFile(Format("anim%d.mul", f + 2),
                         files[static_cast<std::size_t>(f)].DataBytes());
    }
    const std::string bodyDef =
        "# Body.def: body {new[, new]} hue\n"
        "1102\t{400}\t0\n"
        "1103 {1401, 1} 33\n"
        "1104 { 1 } garbage\n";
    client.WriteFile("Bodyconv.def", {bodyconv.begin(), bodyconv.end()});
    client.WriteFile("Body.def", {bodyDef.begin(), bodyDef.end()});
}

GeneratorRegistrar bodies(11, "animation files", WriteBodyFiles);

}  // namespace

std::vector<std::uint8_t> SampleMobTypes() {
    const std::string text = SampleMobTypesText();
    return {text.begin(), text.end()};
}

}  // namespace tessaly::mk
