#include "CDataDefHue.h"

#include "CDataVerData.h"
#include "EventLog.h"
#include "Patch.h"
#include "PatchFormat.h"
#include "Text.h"

#include <algorithm>

namespace tessaly {

namespace {

constexpr int kCells = 32;
constexpr std::size_t kSavedNameLength = HueEntry::kNameLength - 1;  // room for a zero
constexpr std::uint16_t kTableEndStep = 0x0421;

int Channel(std::uint32_t rgb, int shift) {
    return static_cast<int>((rgb >> shift) & 0xFFu);
}

// a / b rounded to the nearest integer, halves away from zero (b > 0).
int RoundedQuotient(int a, int b) {
    return a >= 0 ? (2 * a + b) / (2 * b) : -((-2 * a + b) / (2 * b));
}

}  // namespace

// ---- the entry ----

std::string CDataDefHue::GetListText() {
    LoadHue(GetIndex());
    return Format("0%x -> 0%x\t%s", m_Hue.m_wTableStart, m_Hue.m_wTableEnd,
                  m_Hue.GetName().c_str());
}

bool CDataDefHue::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;  // hues are edited into the ".pat" patch, never into "verdata.mul"
}

bool CDataDefHue::IsValid() {
    return true;
}

ReadStatus CDataDefHue::GetReadStatus() {
    if (LoadHue(GetIndex())) {
        return ReadStatus::Ok;
    }
    return Files().OpenSlot(kSlotHues) ? ReadStatus::Damaged : ReadStatus::Failed;
}

bool CDataDefHue::ReadIndex() {
    return true;  // "hues.mul" has no index file
}

void CDataDefHue::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::Hue);
}

bool CDataDefHue::LoadHue(std::uint32_t n) {
    return ReadHue(Files(), Files().GetVerDataTable(), n, m_Hue);
}

bool FindPatchHue(const CPatch* pPatch, std::uint32_t n, HueEntry& hue) {
    if (pPatch == nullptr) {
        return false;
    }
    const std::optional<std::vector<std::uint8_t>> data =
        pPatch->FindPatchRecord(kPatchTypeHues, n);
    if (!data || data->size() != kPatchHueSize) {
        return false;
    }
    ByteReader in(*data);
    return hue.Read(in);
}

// ---- colours ----

std::uint32_t HueWordToRgb(std::uint16_t w) {
    const std::uint32_t red = ((w >> 10) & 31u) * 8;
    const std::uint32_t green = ((w >> 5) & 31u) * 8;
    const std::uint32_t blue = (w & 31u) * 8;
    return (red << 16) | (green << 8) | blue;
}

std::uint16_t RgbToHueWord(std::uint32_t rgb) {
    const auto red = static_cast<std::uint32_t>(Channel(rgb, 16) / 8);
    const auto green = static_cast<std::uint32_t>(Channel(rgb, 8) / 8);
    const auto blue = static_cast<std::uint32_t>(Channel(rgb, 0) / 8);
    return static_cast<std::uint16_t>((red << 10) | (green << 5) | blue);
}

HueColours HueDisplayColours(const HueEntry& hue, HueColours& points) {
    HueColours colours{};
    const bool anySet =
        std::any_of(points.begin(), points.end(), [](std::uint32_t p) { return p != kHueNoPoint; });
    if (!anySet) {
        for (int i = 0; i < kCells; ++i) {
            colours[static_cast<std::size_t>(i)] = HueWordToRgb(hue.m_Colours[i]);
        }
        return colours;
    }
    if (points[0] == kHueNoPoint) {
        points[0] = HueWordToRgb(hue.m_Colours[0]);
    }
    if (points[kCells - 1] == kHueNoPoint) {
        points[kCells - 1] = HueWordToRgb(hue.m_Colours[kCells - 1]);
    }
    std::size_t last = 0;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        if (points[i] == kHueNoPoint) {
            continue;
        }
        colours[i] = points[i];
        const int span = static_cast<int>(i - last);
        for (std::size_t j = last + 1; j < i; ++j) {
            const int step = static_cast<int>(j - last);
            std::uint32_t blended = 0;
            for (int shift : {16, 8, 0}) {
                const int from = Channel(points[last], shift);
                const int to = Channel(points[i], shift);
                const int value = from + RoundedQuotient(step * (to - from), span);
                blended |= static_cast<std::uint32_t>(value) << shift;
            }
            colours[j] = blended;
        }
        last = i;
    }
    return colours;
}

HueEntry MakeEditedHue(const HueColours& colours, const std::string& name) {
    HueEntry hue;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        hue.m_Colours[i] = RgbToHueWord(colours[i]);
    }
    hue.m_wTableStart = hue.m_Colours[0];
    hue.m_wTableEnd = static_cast<std::uint16_t>(hue.m_Colours[kCells - 1] + kTableEndStep);
    hue.SetName(name.substr(0, std::min(name.size(), kSavedNameLength)));
    return hue;
}

}  // namespace tessaly
