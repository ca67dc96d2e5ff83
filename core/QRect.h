#pragma once
// Rectangle of four signed 32-bit values; right and bottom are exclusive.

#include <cstdint>

namespace tessaly {

class CQRect {
public:
    CQRect() = default;
    // Stores the four values and normalises.
    CQRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) { Set(l, t, r, b); }
    virtual ~CQRect() = default;

    // Swaps reversed sides (top/bottom when bottom < top, left/right when right < left).
    virtual void Normalize();

    void Set(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b);
    void Offset(std::int32_t dx, std::int32_t dy);
    // Left and top no less than 0, right no more than w, bottom no more than h.
    void ClampTo(std::int32_t w, std::int32_t h);
    bool IsEmpty() const { return left >= right || top >= bottom; }
    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    // Grows the rectangle so that the cell (x, y) lies inside; an empty rectangle becomes that
    // one cell.
    void Include(std::int32_t x, std::int32_t y);

    bool operator==(const CQRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }

    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

}  // namespace tessaly
