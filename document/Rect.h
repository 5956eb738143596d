#pragma once

#include "document/Point.h"

#include <cstdint>

// Left, top, right, bottom in device units. A rectangle is empty when right <= left or
// bottom <= top. Unlike platform rectangles, all four edges count as inside for `PtInRect`.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    constexpr Rect() = default;
    constexpr Rect(int32_t l, int32_t t, int32_t r, int32_t b)
        : left(l), top(t), right(r), bottom(b) {}

    void SetEmpty() { *this = Rect(); }
    void CopyTo(Rect& target) const { target = *this; }
    friend constexpr bool operator==(const Rect&, const Rect&) = default;

    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
    constexpr int32_t Width() const { return right - left; }
    constexpr int32_t Height() const { return bottom - top; }

    constexpr bool PtInRect(Point p) const {
        return left <= p.x && p.x <= right && top <= p.y && p.y <= bottom;
    }

    void Offset(Point by) {
        left += by.x;
        right += by.x;
        top += by.y;
        bottom += by.y;
    }
    void OffsetNeg(Point by) { Offset(Point(-by.x, -by.y)); }
    Rect Shifted(Point by) const {
        Rect moved = *this;
        moved.Offset(by);
        return moved;
    }
    void Inset(int32_t dx, int32_t dy) {
        left += dx;
        right -= dx;
        top += dy;
        bottom -= dy;
    }

    // The other rectangle touching this one's left or top edge with its right or bottom edge
    // counts as overlap; the other way round it does not.
    constexpr bool Overlaps(const Rect& other) const {
        return other.right >= left && other.left < right && other.bottom >= top &&
               other.top < bottom;
    }

    // An empty result keeps a position: an inverted edge collapses onto its partner.
    constexpr Rect Intersection(const Rect& other) const {
        Rect r(left > other.left ? left : other.left, top > other.top ? top : other.top,
               right < other.right ? right : other.right,
               bottom < other.bottom ? bottom : other.bottom);
        if (r.left > r.right) r.left = r.right;
        if (r.top > r.bottom) r.top = r.bottom;
        return r;
    }
};
