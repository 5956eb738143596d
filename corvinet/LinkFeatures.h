#pragma once

// What two ends of a link agreed on when it was established: which number-type codes travel in
// binary (token mask), which text element encodings the peer reads (formats mask: bit 1 `A`,
// 2 `B`, 3 `C`, 7 the plain form), which wire forms it decodes (decoders word) and the
// negotiated level.

#include <array>
#include <cstdint>

namespace corvinet {
class NumberConverter;

using FeatureMask = std::array<uint32_t, 4>; // bit n of the mask is bit (n & 31) of word n >> 5

inline bool maskHas(const FeatureMask& mask, unsigned bit) {
    return (mask[(bit >> 5) & 3] >> (bit & 31)) & 1u;
}
inline void maskSet(FeatureMask& mask, unsigned bit) {
    mask[(bit >> 5) & 3] |= 1u << (bit & 31);
}

// Bits of the decoders word.
inline constexpr uint32_t kDecodeCompactCounts = 0x10000;
inline constexpr uint32_t kDecodePackedRuns = 0x20000;
inline constexpr uint32_t kDecodeArrays = 0x40000;
inline constexpr uint32_t kDefaultDecoders = 0x70000;
} // namespace corvinet

struct LinkFeatures {
    uint32_t decoders = corvinet::kDefaultDecoders;
    corvinet::FeatureMask tokens{};  // accepted number-type codes (code & 0x7F)
    corvinet::FeatureMask formats{}; // text element encodings the peer reads
    const corvinet::NumberConverter* converter = nullptr;
    int32_t level = 0;
};
