#pragma once

// The one place where our rectangles meet Qt's. A `Rect` is edge-exclusive on the right and
// bottom as platform regions are; QRect stores a width, so the edges carry over unchanged.
// Any rectangle converts without overflow: corners beyond what a QRect can span are held at
// its reach (a damaged file may hold any four numbers).

#include "document/Rect.h"

#include <QRect>

#include <algorithm>
#include <cstdint>

namespace qtgeometry {

// Half of the 32-bit range each way, so that every width and every right edge a QRect works
// out from these corners fits its integers.
inline constexpr int64_t kReach = (int64_t{1} << 30) - 1;

inline int32_t Held(int64_t value) {
    return static_cast<int32_t>(std::clamp(value, -kReach, kReach));
}

} // namespace qtgeometry

// Corners are normalised, as a platform region built from a rectangle normalises them.
inline QRect ToQRect(const Rect& r) {
    const int32_t l = qtgeometry::Held(std::min(r.left, r.right));
    const int32_t t = qtgeometry::Held(std::min(r.top, r.bottom));
    const int32_t right = qtgeometry::Held(std::max(r.left, r.right));
    const int32_t bottom = qtgeometry::Held(std::max(r.top, r.bottom));
    return QRect(l, t, right - l, bottom - t);
}

// An empty QRect becomes (0, 0, 0, 0), the platform's box of an empty region.
inline Rect FromQRect(const QRect& r) {
    if (r.isEmpty()) return Rect();
    const int64_t left = r.x();
    const int64_t top = r.y();
    return Rect(qtgeometry::Held(left), qtgeometry::Held(top), qtgeometry::Held(left + r.width()),
                qtgeometry::Held(top + r.height()));
}
