#pragma once

// Filtra's image and its BMP loader. The loader trusts nothing in the file: every size, count
// and offset is checked against the bytes that are there before anything is read or
// allocated, so a damaged file is refused, never read past.

#include "gdi/types.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct FltImage {
    // W and H, the file's width and height.
    int32_t width = 0;
    int32_t height = 0;
    // A bottom-up 24-bit bitmap of (W + 1) x (H + 1): blue, green, red, rows padded to 4
    // bytes; the extra column on the right and the extra row at the bottom are black. One
    // spare byte follows the last row.
    BITMAPINFOHEADER header{};
    std::size_t stride = 0;
    std::vector<uint8_t> bits;

    // The row y counted from the top, 0 <= y <= H.
    const uint8_t* Row(int64_t y) const { return bits.data() + std::size_t(height - y) * stride; }
};

namespace filtra {

constexpr int64_t kMaxSide = 65535;
constexpr int64_t kMaxPixels = int64_t(1) << 26;

// Null for a file it refuses; throws std::bad_alloc when memory runs out.
std::unique_ptr<FltImage> LoadBmp(const uint8_t* data, std::size_t size);

} // namespace filtra
