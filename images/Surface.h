#pragma once
// The 16-bit drawing surface: pixel buffers, the drawing state that sits on them and the clipped
// copy primitives the image decoders use.
//
// The drawing state is split into one process-wide current surface, on which the primitives
// work, and scoped CSurfaceDC objects: creating one over a buffer makes it current, destroying
// it restores the state that was current before (strict last-in, first-out nesting, one thread).

#include "QRect.h"

#include <array>
#include <cstdint>
#include <memory>

namespace tessaly {

// The largest picture made whole off screen (clipboard, export, a picture taken from Qt):
// 8192 x 8192 pixels (128 MB at two bytes a pixel). Sizes come from files and the clipboard,
// and a damaged or huge one could ask for gigabytes.
inline constexpr std::uint64_t kMaxPicturePixels = 8192ull * 8192ull;

// Pixel memory with its width, height and row pitch in bytes. A buffer that allocated its memory
// through CreateBuffer owns it; a copy of the description (an alias) never releases it.
class SurfaceBuffer {
public:
    SurfaceBuffer() = default;
    ~SurfaceBuffer();
    // Copies are aliases of the same memory.
    SurfaceBuffer(const SurfaceBuffer& other);
    SurfaceBuffer& operator=(const SurfaceBuffer& other);
    // A move hands the memory, and owning it, over, and leaves the source empty: buffers kept in
    // a growing vector or returned by value stay valid.
    SurfaceBuffer(SurfaceBuffer&& other) noexcept;
    SurfaceBuffer& operator=(SurfaceBuffer&& other) noexcept;

    // Allocates width x height zero-filled pixels with the pitch rounded up to `alignment` (a
    // power of two). False, and nothing changed, when memory of that very size is held already.
    bool CreateBuffer(std::uint32_t width, std::uint32_t height, std::uint32_t alignment = 4);
    void ClearBuffer();
    // Releases owned memory and returns to the empty description.
    void Release();

    std::uint8_t* GetRowPointer(std::int32_t y) const {
        return m_pData + static_cast<std::ptrdiff_t>(m_nPitch) * y;
    }
    std::uint8_t* GetPixelPointer(std::int32_t x, std::int32_t y) const {
        return GetRowPointer(y) + 2 * static_cast<std::ptrdiff_t>(x);
    }
    std::uint8_t* NextRow(std::uint8_t* p) const { return p + m_nPitch; }
    // Pixel at (x, y), read in host order (the buffer holds little-endian words).
    std::uint16_t GetPixel(std::int32_t x, std::int32_t y) const;

    std::uint8_t* GetData() const { return m_pData; }
    std::uint32_t GetWidth() const { return m_nWidth; }
    std::uint32_t GetHeight() const { return m_nHeight; }
    std::uint16_t GetPitch() const { return m_nPitch; }

private:
    std::uint8_t* m_pData = nullptr;
    std::uint32_t m_nWidth = 0;
    std::uint32_t m_nHeight = 0;
    std::uint16_t m_nPitch = 0;
    bool m_bOwned = false;
};

// Drawing modes. The plain mode copies pixels as they are; the hued and forced modes write each
// pixel's hued colour, the partially hued mode that of grey pixels only (the others as they
// are). Any other mode number writes nothing.
enum : std::uint32_t {
    kDrawModePlain = 0,
    kDrawModeHued = 2,
    kDrawModePartialHue = 5,
    kDrawModeForced = 7,
};

// The 32 colours of a hue, darkest first, as "hues.mul" stores them.
using HueRamp = std::array<std::uint16_t, 32>;

// A pixel's hued colour: entry r of the hue's colours, r being the pixel's 5-bit red value.
// With greyOnly, a pixel whose red, green and blue differ stays as it is.
std::uint16_t HuePixel(std::uint16_t pixel, const HueRamp& colours, bool greyOnly);

// The drawing state: mode, hue, clip rectangle (buffer coordinates) and the visible part of the
// image being drawn (image coordinates, set by ClipImage).
class CSurfaceDCData {
public:
    CSurfaceDCData();
    virtual ~CSurfaceDCData() = default;
    CSurfaceDCData(const CSurfaceDCData&) = default;
    CSurfaceDCData& operator=(const CSurfaceDCData&) = default;

    // Called after every change of the state; the plain state publishes nowhere.
    virtual void Publish() {}

    // Back to mode 0, no hue, no buffer and the clip (0, 0, 32766, 32766).
    void Reset();
    // Copies the whole state (not the virtual identity) from another state object.
    void CopyState(const CSurfaceDCData& other);

    // Prepares drawing an image of the given size with its top-left corner at (x, y): the visible
    // rectangle becomes the part of the image inside the clip. False when nothing is visible.
    bool ClipImage(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
    void SetHue(std::uint16_t hue);
    void SetPartialHue(bool partial);
    void SetDrawMode(std::uint32_t mode);
    // The colours the hued modes map pixels to (the hue number itself names no colours here).
    void SetHueRamp(const HueRamp& colours);

    std::uint32_t m_nDrawMode = kDrawModePlain;
    std::uint16_t m_nHue = 0;
    bool m_bPartialHue = false;
    HueRamp m_HueRamp{};
    SurfaceBuffer m_Buffer;
    CQRect m_rClip;
    CQRect m_rVisible;

private:
    void ComputeMode();
};

// A scoped drawing target over a buffer. It becomes the current surface on construction and
// restores the previous one on destruction; objects must nest strictly.
class CSurfaceDC : public CSurfaceDCData {
public:
    explicit CSurfaceDC(const SurfaceBuffer& buffer);
    ~CSurfaceDC() override;
    CSurfaceDC(const CSurfaceDC&) = delete;
    CSurfaceDC& operator=(const CSurfaceDC&) = delete;

    // Copies this object's whole state into the current surface.
    void Publish() override;

private:
    CSurfaceDCData m_Saved;
};

// The process-wide current surface the primitives draw to.
CSurfaceDCData& CurrentSurface();

// Primitives on the current surface. Coordinates are buffer coordinates; rows are row pointers
// from SurfaceBuffer::GetRowPointer. Sources are little-endian pixel words, at any alignment.
bool IsRowVisible(std::int32_t y);
// Copies count pixels in the current mode (plain, hued or partially hued; see the modes).
void CopyPixels(std::uint8_t* destination, const std::uint8_t* source, std::int32_t count);
// Writes one colour count times in the current mode (the run form of CopyPixels).
void FillPixels(std::uint8_t* destination, std::uint16_t colour, std::int32_t count);
// Copies count pixels to columns x onward of a row, clipped once to the clip's left and right.
void DrawSpan(std::int64_t x, std::uint8_t* row, const std::uint8_t* source, std::int64_t count);
// Writes one colour to count columns from x onward, clipped like DrawSpan.
void FillSpan(std::int64_t x, std::uint8_t* row, std::uint16_t colour, std::int64_t count);
// DrawSpan on buffer row y when that row is inside the clip; nothing otherwise.
void DrawRun(std::int64_t x, std::int32_t y, const std::uint8_t* source, std::int64_t count);

}  // namespace tessaly
