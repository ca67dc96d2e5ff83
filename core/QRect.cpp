#include "QRect.h"

#include <algorithm>
#include <utility>

namespace tessaly {

void CQRect::Normalize() {
    if (bottom < top) {
        std::swap(top, bottom);
    }
    if (right < left) {
        std::swap(left, right);
    }
}

void CQRect::Set(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
    Normalize();
}

void CQRect::Offset(std::int32_t dx, std::int32_t dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
}

void CQRect::ClampTo(std::int32_t w, std::int32_t h) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, w);
    bottom = std::min(bottom, h);
}

void CQRect::Include(std::int32_t x, std::int32_t y) {
    if (IsEmpty()) {
        left = x;
        top = y;
        right = x + 1;
        bottom = y + 1;
        return;
    }
    left = std::min(left, x);
    top = std::min(top, y);
    right = std::max(right, x + 1);
    bottom = std::max(bottom, y + 1);
}

}  // namespace tessaly
