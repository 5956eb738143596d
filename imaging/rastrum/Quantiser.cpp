#include "Quantiser.h"

#include <algorithm>

namespace rastrum {

namespace {

constexpr std::array<std::array<int, 3>, Quantiser::kFixed> kFixedColours{{
    {0, 0, 0},
    {63, 0, 0},
    {0, 63, 0},
    {0, 0, 63},
    {63, 63, 0},
    {0, 63, 63},
    {63, 0, 63},
    {63, 63, 63},
}};

int squaredDistance(const std::array<int, 3>& a, const std::array<int, 3>& b) {
    int sum = 0;
    for (int c = 0; c < 3; ++c)
        sum += (a[c] - b[c]) * (a[c] - b[c]);
    return sum;
}

} // namespace

Quantiser::Quantiser() : m_counts(64 * 64 * 64, 0), m_index(64 * 64 * 64, 0) {}

void Quantiser::recompute(Box& box) const {
    std::array<int, 3> low{64, 64, 64}, high{-1, -1, -1};
    uint64_t total = 0;
    std::array<uint64_t, 3> weighted{};
    for (int r = std::max(box.low[0], 0); r <= std::min(box.high[0], 63); ++r) {
        for (int g = std::max(box.low[1], 0); g <= std::min(box.high[1], 63); ++g) {
            const uint16_t* row = &m_counts[cell(r, g, 0)];
            for (int b = std::max(box.low[2], 0); b <= std::min(box.high[2], 63); ++b) {
                const uint64_t count = row[b];
                if (!count) continue;
                total += count;
                weighted[0] += count * r;
                weighted[1] += count * g;
                weighted[2] += count * b;
                const std::array<int, 3> colour{r, g, b};
                for (int c = 0; c < 3; ++c) {
                    low[c] = std::min(low[c], colour[c]);
                    high[c] = std::max(high[c], colour[c]);
                }
            }
        }
    }
    if (total == 0) {
        // Nothing inside: the bounds stay as cut, and no mean is taken of nothing.
        box.count = 0;
        box.mean = box.low;
        return;
    }
    box.low = low;
    box.high = high;
    for (int c = 0; c < 3; ++c)
        box.mean[c] = int(weighted[c] / total);
    box.count = low == high ? 1 : uint32_t(std::min<uint64_t>(total, kMaxCount));
}

void Quantiser::split(int chosen, int made) {
    Box& old = m_boxes[chosen];
    Box& cut = m_boxes[made];
    cut = old;
    std::array<int, 3> range{};
    for (int c = 0; c < 3; ++c)
        range[c] = old.high[c] - old.low[c] + 1;
    const int side = range[0] >= range[1] && range[0] >= range[2] ? 0 : range[1] < range[2] ? 2 : 1;
    if (range[side] == 2) {
        old.low[side] = old.high[side];
        cut.high[side] = cut.low[side];
    } else {
        const int middle = old.mean[side];
        if (middle == old.high[side]) {
            old.high[side] = middle - 1;
            cut.low[side] = middle;
        } else {
            old.high[side] = middle;
            cut.low[side] = middle + 1;
        }
    }
    recompute(old);
    recompute(cut);
}

std::vector<PALETTEENTRY> Quantiser::MedianCut() {
    for (int i = 0; i < kFixed; ++i) {
        m_boxes[i].low = m_boxes[i].high = m_boxes[i].mean = kFixedColours[i];
        m_boxes[i].count = 1;
    }
    Box& whole = m_boxes[kFixed];
    whole.low = {0, 0, 0};
    whole.high = {63, 63, 63};
    recompute(whole);
    for (int made = kFixed + 1; made < kBoxes; ++made) {
        int chosen = kFixed;
        for (int i = kFixed + 1; i < made; ++i)
            if (m_boxes[i].count > m_boxes[chosen].count) chosen = i;
        split(chosen, made);
    }

    std::array<std::array<int, 3>, kBoxes> colours{};
    for (int i = 0; i < kBoxes; ++i)
        for (int c = 0; c < 3; ++c)
            colours[i][c] = std::clamp((m_boxes[i].low[c] + m_boxes[i].high[c]) / 2, 0, 63);

    for (int r = 0; r < 64; ++r) {
        for (int g = 0; g < 64; ++g) {
            for (int b = 0; b < 64; ++b) {
                if (!m_counts[cell(r, g, b)]) continue;
                const std::array<int, 3> colour{r, g, b};
                int best = 0, bestDistance = squaredDistance(colour, colours[0]);
                for (int i = 1; i < kBoxes && bestDistance; ++i) {
                    const int distance = squaredDistance(colour, colours[i]);
                    if (distance < bestDistance) {
                        best = i;
                        bestDistance = distance;
                    }
                }
                m_index[cell(r, g, b)] = uint8_t(best);
            }
        }
    }

    std::vector<PALETTEENTRY> palette;
    for (int i = 0; i < kBoxes; ++i) {
        if (!m_boxes[i].count) continue;
        palette.push_back({uint8_t(colours[i][0] * 4), uint8_t(colours[i][1] * 4),
                           uint8_t(colours[i][2] * 4), 0});
    }
    return palette;
}

} // namespace rastrum
