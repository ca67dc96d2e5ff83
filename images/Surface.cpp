#include "Surface.h"

#include "Bytes.h"

#include <cstring>
#include <new>
#include <utility>

namespace tessaly {

// ---- SurfaceBuffer ----

SurfaceBuffer::~SurfaceBuffer() {
    Release();
}

SurfaceBuffer::SurfaceBuffer(const SurfaceBuffer& other)
    : m_pData(other.m_pData),
      m_nWidth(other.m_nWidth),
      m_nHeight(other.m_nHeight),
      m_nPitch(other.m_nPitch),
      m_bOwned(false) {}

SurfaceBuffer& SurfaceBuffer::operator=(const SurfaceBuffer& other) {
    if (this != &other) {
        Release();
        m_pData = other.m_pData;
        m_nWidth = other.m_nWidth;
        m_nHeight = other.m_nHeight;
        m_nPitch = other.m_nPitch;
        m_bOwned = false;
    }
    return *this;
}

SurfaceBuffer::SurfaceBuffer(SurfaceBuffer&& other) noexcept : SurfaceBuffer(other) {
    m_bOwned = std::exchange(other.m_bOwned, false);
    other.Release();
}

SurfaceBuffer& SurfaceBuffer::operator=(SurfaceBuffer&& other) noexcept {
    if (this != &other) {
        *this = other;
        m_bOwned = std::exchange(other.m_bOwned, false);
        other.Release();
    }
    return *this;
}

bool SurfaceBuffer::CreateBuffer(std::uint32_t width, std::uint32_t height,
                                 std::uint32_t alignment) {
    if (m_pData != nullptr && width == m_nWidth && height == m_nHeight) {
        return false;
    }
    Release();
    m_nWidth = width;
    m_nHeight = height;
    // The pitch is 16 bits wide; wider buffers are not supported and get no memory.
    const std::uint64_t pitch =
        (2ull * width + alignment - 1) & ~static_cast<std::uint64_t>(alignment - 1);
    if (pitch > 0xFFFF) {
        m_nWidth = m_nHeight = 0;
        return false;
    }
    m_nPitch = static_cast<std::uint16_t>(pitch);
    const std::size_t bytes = static_cast<std::size_t>(m_nPitch) * height;
    m_pData = new std::uint8_t[bytes > 0 ? bytes : 1]();
    m_bOwned = true;
    return true;
}

void SurfaceBuffer::ClearBuffer() {
    if (m_pData != nullptr) {
        std::memset(m_pData, 0, static_cast<std::size_t>(m_nPitch) * m_nHeight);
    }
}

void SurfaceBuffer::Release() {
    if (m_bOwned) {
        delete[] m_pData;
    }
    m_pData = nullptr;
    m_nWidth = m_nHeight = 0;
    m_nPitch = 0;
    m_bOwned = false;
}

std::uint16_t SurfaceBuffer::GetPixel(std::int32_t x, std::int32_t y) const {
    return LoadLE16(GetPixelPointer(x, y));
}

// ---- CSurfaceDCData ----

CSurfaceDCData::CSurfaceDCData() {
    Reset();
}

void CSurfaceDCData::Reset() {
    m_nDrawMode = kDrawModePlain;
    m_nHue = 0;
    m_bPartialHue = false;
    m_HueRamp.fill(0);
    m_Buffer.Release();
    m_rClip.Set(32766, 32766, 0, 0);
    m_rVisible.Set(0, 0, 0, 0);
}

void CSurfaceDCData::CopyState(const CSurfaceDCData& other) {
    m_nDrawMode = other.m_nDrawMode;
    m_nHue = other.m_nHue;
    m_bPartialHue = other.m_bPartialHue;
    m_HueRamp = other.m_HueRamp;
    m_Buffer = other.m_Buffer;
    m_rClip = other.m_rClip;
    m_rVisible = other.m_rVisible;
}

bool CSurfaceDCData::ClipImage(std::int32_t x, std::int32_t y, std::int32_t width,
                               std::int32_t height) {
    m_rVisible = m_rClip;
    m_rVisible.Offset(-x, -y);
    m_rVisible.ClampTo(width, height);
    Publish();
    return !m_rVisible.IsEmpty();
}

void CSurfaceDCData::SetHue(std::uint16_t hue) {
    m_nHue = hue & 0x0FFF;
    if (m_nHue > 3000) {
        m_nHue = 0;
    }
    ComputeMode();
}

void CSurfaceDCData::SetPartialHue(bool partial) {
    m_bPartialHue = partial;
    ComputeMode();
}

void CSurfaceDCData::SetDrawMode(std::uint32_t mode) {
    m_nDrawMode = mode;
    Publish();
}

void CSurfaceDCData::SetHueRamp(const HueRamp& colours) {
    m_HueRamp = colours;
    Publish();
}

void CSurfaceDCData::ComputeMode() {
    if (m_nHue == 0) {
        m_nDrawMode = kDrawModePlain;
    } else {
        m_nDrawMode = m_bPartialHue ? kDrawModePartialHue : kDrawModeHued;
    }
    Publish();
}

// ---- CSurfaceDC ----

CSurfaceDC::CSurfaceDC(const SurfaceBuffer& buffer) {
    m_Buffer = buffer;
    m_rClip.Set(0, 0, static_cast<std::int32_t>(buffer.GetWidth()),
                static_cast<std::int32_t>(buffer.GetHeight()));
    m_Saved.CopyState(CurrentSurface());
    Publish();
}

CSurfaceDC::~CSurfaceDC() {
    CurrentSurface().CopyState(m_Saved);
}

void CSurfaceDC::Publish() {
    CurrentSurface().CopyState(*this);
}

CSurfaceDCData& CurrentSurface() {
    static CSurfaceDCData current;
    return current;
}

// ---- primitives ----

bool IsRowVisible(std::int32_t y) {
    const CQRect& clip = CurrentSurface().m_rClip;
    return clip.top <= y && y < clip.bottom;
}

std::uint16_t HuePixel(std::uint16_t pixel, const HueRamp& colours, bool greyOnly) {
    const std::uint16_t red = (pixel >> 10) & 31;
    if (greyOnly && (red != ((pixel >> 5) & 31) || red != (pixel & 31))) {
        return pixel;
    }
    return colours[red];
}

namespace {
// How the current mode writes a pixel: as it is, hued (all or grey only), or not at all.
enum class PixelRule { Copy, Hue, HueGrey, None };

PixelRule CurrentRule() {
    switch (CurrentSurface().m_nDrawMode) {
        case kDrawModePlain:
            return PixelRule::Copy;
        case kDrawModeHued:
        case kDrawModeForced:
            return PixelRule::Hue;
        case kDrawModePartialHue:
            return PixelRule::HueGrey;
        default:
            return PixelRule::None;
    }
}
}  // namespace

void CopyPixels(std::uint8_t* destination, const std::uint8_t* source, std::int32_t count) {
    const PixelRule rule = CurrentRule();
    if (rule == PixelRule::None || count <= 0) {
        return;
    }
    if (rule == PixelRule::Copy) {
        // Both sides hold little-endian words, so a byte copy moves them unchanged.
        std::memcpy(destination, source, 2 * static_cast<std::size_t>(count));
        return;
    }
    const HueRamp& colours = CurrentSurface().m_HueRamp;
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        StoreLE16(destination + 2 * i,
                  HuePixel(LoadLE16(source + 2 * i), colours, rule == PixelRule::HueGrey));
    }
}

void FillPixels(std::uint8_t* destination, std::uint16_t colour, std::int32_t count) {
    const PixelRule rule = CurrentRule();
    if (rule == PixelRule::None || count <= 0) {
        return;
    }
    if (rule != PixelRule::Copy) {
        colour = HuePixel(colour, CurrentSurface().m_HueRamp, rule == PixelRule::HueGrey);
    }
    std::uint8_t word[2];
    StoreLE16(word, colour);
    for (std::int32_t i = 0; i < count; ++i) {
        std::memcpy(destination + 2 * static_cast<std::size_t>(i), word, 2);
    }
}

namespace {
// Clips [x, x + count) to the clip's columns. Returns false when nothing remains; otherwise
// x and count are the clipped span and skip the number of leading pixels cut off.
bool ClipSpan(std::int64_t& x, std::int64_t& count, std::int64_t& skip) {
    const CQRect& clip = CurrentSurface().m_rClip;
    const std::int64_t end = x + count;
    skip = 0;
    if (x < clip.left) {
        if (end < clip.left) {
            return false;
        }
        skip = clip.left - x;
        count -= skip;
        x = clip.left;
    }
    if (end >= clip.right) {
        if (x >= clip.right) {
            return false;
        }
        count = clip.right - x;
    }
    return count > 0;
}
}  // namespace

void DrawSpan(std::int64_t x, std::uint8_t* row, const std::uint8_t* source, std::int64_t count) {
    std::int64_t skip = 0;
    if (!ClipSpan(x, count, skip)) {
        return;
    }
    CopyPixels(row + 2 * x, source + 2 * skip, static_cast<std::int32_t>(count));
}

void FillSpan(std::int64_t x, std::uint8_t* row, std::uint16_t colour, std::int64_t count) {
    std::int64_t skip = 0;
    if (!ClipSpan(x, count, skip)) {
        return;
    }
    FillPixels(row + 2 * x, colour, static_cast<std::int32_t>(count));
}

void DrawRun(std::int64_t x, std::int32_t y, const std::uint8_t* source, std::int64_t count) {
    if (IsRowVisible(y)) {
        DrawSpan(x, CurrentSurface().m_Buffer.GetRowPointer(y), source, count);
    }
}

}  // namespace tessaly
