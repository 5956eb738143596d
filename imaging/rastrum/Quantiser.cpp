#include "Quantiser.h"

#include <algorithm>
#include <bit>

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

// Nothing inside: the bounds stay as cut, and no mean is taken of nothing.
void Quantiser::recomputeEmpty(Box& box) {
    box.count = 0;
    box.mean = box.low;
}

void Quantiser::recompute(Box& box) const {
    std::array<int, 3> low{64, 64, 64}, high{-1, -1, -1};
    uint64_t total = 0;
    std::array<uint64_t, 3> weighted{};
    const int blueLow = std::max(box.low[2], 0), blueHigh = std::min(box.high[2], 63);
    if (blueLow > blueHigh) return recomputeEmpty(box);
    const uint64_t blues = (~uint64_t(0) >> (63 - blueHigh)) & (~uint64_t(0) << blueLow);
    for (int r = std::max(box.low[0], 0); r <= std::min(box.high[0], 63); ++r) {
        for (int g = std::max(box.low[1], 0); g <= std::min(box.high[1], 63); ++g) {
            const Bucket* bucket = m_buckets[bucketOf(r, g)].get();
            if (!bucket) continue;
            for (uint64_t present = bucket->blues & blues; present; present &= present - 1) {
                const int b = std::countr_zero(present);
                const uint64_t count = bucket->counts[b];
                total += count;
                weighted[0] += count * r;
                weighted[1] += count * g;
                weighted[2] += count * b;
                low = {std::min(low[0], r), std::min(low[1], g), std::min(low[2], b)};
                high = {std::max(high[0], r), std::max(high[1], g), std::max(high[2], b)};
            }
        }
    }
    if (total == 0) return recomputeEmpty(box);
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
    if (!old.count) {
        // Both halves of an empty box are empty: nothing to look for.
        recomputeEmpty(old);
        recomputeEmpty(cut);
        return;
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
            Bucket* bucket = m_buckets[bucketOf(r, g)].get();
            if (!bucket) continue;
            for (uint64_t present = bucket->blues; present; present &= present - 1) {
                const std::array<int, 3> colour{r, g, std::countr_zero(present)};
                int best = 0, bestDistance = squaredDistance(colour, colours[0]);
                for (int i = 1; i < kBoxes && bestDistance; ++i) {
                    const int distance = squaredDistance(colour, colours[i]);
                    if (distance < bestDistance) {
                        best = i;
                        bestDistance = distance;
                    }
                }
                bucket->index[colour[2]] = uint8_t(best);
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
