#pragma once
// Hues ("hues.mul"): the entry of one hue number, and the "Hue" page that edits a ramp's name
// and colours into the ".pat" patch.

#include "CDataDef.h"
#include "Hues.h"

#include <array>
#include <cstdint>
#include <string>

namespace tessaly {

class CPatch;
class CPictureFrame;

class CDataDefHue : public CDataDef {
public:
    // The index is the hue number, kept to 16 bits.
    explicit CDataDefHue(std::uint32_t nIndex, CClientFiles& files = TheClientFiles())
        : CDataDef(nIndex & 0xFFFFu, files) {}

    // "0%x -> 0%x\t%s": table start, table end and name of the hue, read afresh.
    std::string GetListText() override;
    bool CopyData(EntryClip& /*clip*/) override { return true; }
    bool CanCopy() override { return false; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryHues; }
    bool IsValid() override;
    // Damaged when hues.mul (or the patch record of its group) does not hold the hue: a cut or
    // empty file lists its missing hues marked, not as hues of nothing but zeros.
    ReadStatus GetReadStatus() override;
    bool ReadIndex() override;
    void AddPages(std::vector<EntryPage>& pages) override;
    // The name keeps any tabs it holds.
    int GetListFieldLimit() const override { return 2; }

    // Reads hue n from the client (a "verdata.mul" group record first, else "hues.mul") into
    // the hue record; an unreadable group leaves it all zero. False when the group did not read.
    bool LoadHue(std::uint32_t n);
    HueEntry& GetHue() { return m_Hue; }

private:
    HueEntry m_Hue;
};

// The length of a hue record in the ".pat" patch; records of any other length are ignored.
inline constexpr std::uint32_t kPatchHueSize = HueEntry::kSize;
// Hue n from the ".pat" patch: false, with hue untouched, without a record of 88 bytes.
bool FindPatchHue(const CPatch* pPatch, std::uint32_t n, HueEntry& hue);

// Colour points of the hue page: a screen colour 0xRRGGBB per cell, or kHueNoPoint.
inline constexpr std::uint32_t kHueNoPoint = 0xFFFFFFFFu;
using HueColours = std::array<std::uint32_t, 32>;

// A 5-5-5 colour word as a screen colour 0xRRGGBB (each 5-bit value times 8), and back (each
// 8-bit value divided by 8).
std::uint32_t HueWordToRgb(std::uint16_t w);
std::uint16_t RgbToHueWord(std::uint32_t rgb);

// The 32 colours a ramp shows: its own colours without points; otherwise the points, with
// points 0 and 31 taken from the ramp when unset (and kept in points), the cells between two
// points blended linearly per channel, rounded to the nearest value.
HueColours HueDisplayColours(const HueEntry& hue, HueColours& points);

// The record the page saves: the colours as words, table start = colour 0, table end =
// colour 31 + 0x0421 (a plain 16-bit sum), the name cut to 19 characters.
HueEntry MakeEditedHue(const HueColours& colours, const std::string& name);

}  // namespace tessaly
