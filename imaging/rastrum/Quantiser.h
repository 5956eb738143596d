#pragma once

// The palette quantiser: a histogram of drawn colours in six bits per channel and the median
// cut that makes up to 256 palette colours from it.
//
// The histogram has 64 x 64 buckets by the top six bits of red and green, each made when its
// first colour arrives: a count per blue (top six bits; 0 means the colour is absent; a count
// stops at 65535), a mask of the blues present, so walking a box visits only the colours that
// are there, and each colour's nearest box after a cut.
//
// Boxes 0 to 7 are the fixed colours (black, red, green, blue, yellow, cyan, magenta, white,
// count 1 each); boxes 8 to 255 come from cutting the histogram. A box's bounds are inclusive
// and may end up empty (low above high) after a cut; an empty box has count 0 and no colour in
// the palette. An empty histogram therefore gives just the eight fixed colours.

#include "gdi/types.h"

#include <array>
#include <cstdint>
#include <memory>
#include <new>
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

    // Adds one pixel of 8-bit channels.
    // Adds one pixel of 8-bit channels. Without memory for a new bucket the pixel goes
    // uncounted.
    void Add(uint8_t red, uint8_t green, uint8_t blue) {
        std::unique_ptr<Bucket>& bucket = m_buckets[bucketOf(red >> 2, green >> 2)];
        if (!bucket) bucket.reset(new (std::nothrow) Bucket());
        if (!bucket) return;
        uint16_t& count = bucket->counts[blue >> 2];
        if (count == kMaxCount) return;
        if (!count++) bucket->blues |= uint64_t(1) << (blue >> 2);
    }
    void Add(COLORREF colour) { Add(GetRValue(colour), GetGValue(colour), GetBValue(colour)); }

    // Cuts the histogram into boxes, gives every histogram colour its nearest box colour, and
    // answers the logical palette: the colours (in 8 bits) of the boxes whose count is not 0,
    // in box order.
    std::vector<PALETTEENTRY> MedianCut();

    const Box& BoxAt(int index) const { return m_boxes[index]; }
    uint16_t CountAt(int red6, int green6, int blue6) const {
        const Bucket* bucket = m_buckets[bucketOf(red6, green6)].get();
        return bucket ? bucket->counts[blue6] : 0;
    }
    // The box whose colour is nearest to a histogram colour, after MedianCut.
    uint8_t IndexAt(int red6, int green6, int blue6) const {
        const Bucket* bucket = m_buckets[bucketOf(red6, green6)].get();
        return bucket ? bucket->index[blue6] : 0;
    }

private:
    struct Bucket {
        uint64_t blues = 0; // bit b set when blue b has a count
        std::array<uint16_t, 64> counts{};
        std::array<uint8_t, 64> index{};
    };
    static int bucketOf(int red6, int green6) { return red6 << 6 | green6; }
    // Shrinks the box to the colours inside its bounds and sets its means and count.
    void recompute(Box& box) const;
    static void recomputeEmpty(Box& box);
    void split(int chosen, int made);

    std::array<std::unique_ptr<Bucket>, 64 * 64> m_buckets;
    std::array<Box, kBoxes> m_boxes{};
};

} // namespace rastrum
