#pragma once

// How far each glyph of the math face reaches above and below the baseline, in 1/2048 em,
// indexed by the math-face byte: top is zero or negative (upward), bottom zero or positive.
// Layout reads these instead of the font's own ink, so a box's height never depends on the
// installed font's version. The table is generated once (tools/MakeMathExtents.cpp) and checked
// in; the rows the layout was designed around are kept literally.

#include <array>
#include <cstdint>

struct MathExtent {
    int32_t top;
    int32_t bottom;
};

extern const std::array<MathExtent, 256> MathExtents;

// The product sign drawn big for byte 184, which is an ordinary capital lambda in a line.
extern const MathExtent BigProductExtent;

inline MathExtent BigOperatorExtent(uint8_t code) {
    return code == 184 ? BigProductExtent : MathExtents[code];
}
