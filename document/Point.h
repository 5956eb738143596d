#pragma once

#include <cstdint>

// A point in device units of the current drawing target, y growing downward.
struct Point {
    int32_t x = 0;
    int32_t y = 0;

    constexpr Point() = default;
    constexpr Point(int32_t px, int32_t py) : x(px), y(py) {}

    void SetZero() { x = y = 0; }
    // In place; there is no addition, callers add coordinates themselves.
    Point& operator-=(Point other) {
        x -= other.x;
        y -= other.y;
        return *this;
    }
    friend constexpr bool operator==(Point, Point) = default;
};
