#pragma once
// The client's body definition files (text) and the animation blocks' shapes.
//
// "Bodyconv.def": `body anim2 anim3 anim4 anim5 [anim6]`, decimal; each column is the body's
//     slot in that file, -1 for none.
// "Body.def":     `body {new[, new ...]} hue`: the body is drawn as the first listed body that
//     exists, in that hue.
// "mobtypes.txt": `body TYPE flags`: TYPE MONSTER or SEA_MONSTER (high), ANIMAL (low), HUMAN or
//     EQUIPMENT (people); flags hexadecimal; a later line for the same body wins.
// Common: "#" starts a comment to the end of the line, a line whose first non-blank character is
// a double quote is a comment, fields are separated by any mix of spaces and tabs. A line (or a
// value) that does not fit is skipped: nothing read from these files is trusted.

#include <array>
#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

namespace tessaly {

// Body numbers the definition files may name (the Anims list's rows).
inline constexpr std::uint32_t kMaxBodies = 2048;

// The three shapes of an animation block.
enum class AnimClass : std::uint8_t { High, Low, People };

// "high", "low" or "people".
const char* AnimClassName(AnimClass c);
// The class a slot (or anim.mul body) number gives: below 200 high, below 400 low, else people.
AnimClass ClassOfNumber(std::uint32_t number);
// Actions of a block: 22 high, 13 low, 35 people.
std::uint32_t ActionCount(AnimClass c);
// The index record of a slot's first action and stored direction 0: s x 110 high,
// 9,000 + s x 65 low, (s - 200) x 175 people (none for a people slot below 200).
bool FirstAnimRecord(AnimClass c, std::uint32_t slot, std::uint64_t& first);
// The slot whose block holds an index record, in the layout of a file whose slots take the class
// of their number (anim.mul's): the inverse of FirstAnimRecord over ClassOfNumber.
std::uint32_t SlotOfAnimRecord(std::uint32_t record);

// The files after anim.mul that "Bodyconv.def" names: anim2 ... anim6.
inline constexpr std::size_t kBodyconvFiles = 5;

struct BodyconvLine {
    std::uint32_t body = 0;
    // The body's slot in anim2 ... anim6, -1 for none.
    std::array<std::int32_t, kBodyconvFiles> columns{-1, -1, -1, -1, -1};
};

struct BodyRedirect {
    std::uint32_t body = 0;
    std::vector<std::uint32_t> targets;  // in the order listed
    std::uint32_t hue = 0;
};

struct MobType {
    AnimClass cls = AnimClass::High;
    std::uint32_t flags = 0;
};

// The lines of each file that fit, in file order (Bodyconv, Body.def); mobtypes keyed by body,
// the later line winning.
std::vector<BodyconvLine> ParseBodyconv(std::string_view text);
std::vector<BodyRedirect> ParseBodyDef(std::string_view text);
std::map<std::uint32_t, MobType> ParseMobTypes(std::string_view text);

}  // namespace tessaly
