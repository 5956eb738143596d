#pragma once

// The palette quantiser: a histogram of drawn colours in six bits per channel and the median
// cut that makes up to 256 palette colours from it.
//
// The histogram is a dense 64 x 64 x 64 cube of counts (red, green, blue, each the top six bits
// of the colour); a cell with count 0 holds no colour. A count stops at 65535.
//
// Boxes 0 to 7 are the fixed colours (black, red, green, blue, yellow, cyan, magenta, white,
// count 1 each); boxes 8 to 255 come from cutting the histogram. A box's bounds are inclusive
// and may end up empty (low above high) after a cut; an empty box has count 0 and no colour in
// the palette. An empty histogram therefore gives just the eight fixed colours.

#include "gdi/types.h"

#include <array>
#include <cstdint>
#include <vector>

namespace rastrum {

struct Box {
    std::array<int, 3> low{};  // red, green, blue
    std::array<int, 3> high{}; // inclusive
    std::array<int, 3> mean{};
    uint32_t count = 0; // the sum of the counts inside, at most 65535; 1 for a single colour
};

class Quantiser {
public:
    static constexpr int kBoxes = 256;
    static constexpr int kFixed = 8;
    static constexpr uint16_t kMaxCount = 65535;

    Quantiser();

    // Adds one pixel of 8-bit channels.
    void Add(uint8_t red, uint8_t green, uint8_t blue) {
        uint16_t& count = m_counts[cell(red >> 2, green >> 2, blue >> 2)];
        if (count != kMaxCount) ++count;
    }
    void Add(COLORREF colour) { Add(GetRValue(colour), GetGValue(colour), GetBValue(colour)); }

    // Cuts the histogram into boxes, gives every histogram colour its nearest box colour, and
    // answers the logical palette: the colours (in 8 bits) of the boxes whose count is not 0,
    // in box order.
    std::vector<PALETTEENTRY> MedianCut();

    const Box& BoxAt(int index) const { return m_boxes[index]; }
    uint16_t CountAt(int red6, int green6, int blue6) const {
        return m_counts[cell(red6, green6, blue6)];
    }
    // The box whose colour is nearest to a histogram colour, after MedianCut.
    uint8_t IndexAt(int red6, int green6, int blue6) const {
        return m_index[cell(red6, green6, blue6)];
    }

private:
    static int cell(int red6, int green6, int blue6) { return red6 << 12 | green6 << 6 | blue6; }
    // Shrinks the box to the colours inside its bounds and sets its means and count.
    void recompute(Box& box) const;
    void split(int chosen, int made);

    std::vector<uint16_t> m_counts;
    std::vector<uint8_t> m_index;
    std::array<Box, kBoxes> m_boxes{};
};

} // namespace rastrum
