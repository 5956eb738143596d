#pragma once

// The one place where our rectangles meet Qt's. A `Rect` is edge-exclusive on the right and
// bottom as platform regions are; QRect stores a width, so the edges carry over unchanged.

#include "document/Rect.h"

#include <QRect>

// Corners are normalised, as a platform region built from a rectangle normalises them.
inline QRect ToQRect(const Rect& r) {
    const int32_t l = r.left < r.right ? r.left : r.right;
    const int32_t t = r.top < r.bottom ? r.top : r.bottom;
    const int32_t w = r.left < r.right ? r.right - r.left : r.left - r.right;
    const int32_t h = r.top < r.bottom ? r.bottom - r.top : r.top - r.bottom;
    return QRect(l, t, w, h);
}

// An empty QRect becomes (0, 0, 0, 0), the platform's box of an empty region.
inline Rect FromQRect(const QRect& r) {
    if (r.isEmpty()) return Rect();
    return Rect(r.x(), r.y(), r.x() + r.width(), r.y() + r.height());
}
