#pragma once

// Builds BMP files byte by byte for the tests, the fuzz seeds and the benchmarks: any depth,
// header version, direction and colour table, so each can be made as it should be and then
// damaged on purpose.

#include "gdi/types.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace imaging::testing {

struct BmpLayout {
    BmpLayout(int32_t width, int32_t height, uint16_t bits, bool topDown = false,
              uint32_t headerSize = 40, uint32_t compression = BI_RGB, uint32_t coloursUsed = 0,
              std::vector<COLORREF> table = {}, std::array<uint32_t, 3> masks = {0, 0, 0})
        : width(width), height(height), bits(bits), topDown(topDown), headerSize(headerSize),
          compression(compression), coloursUsed(coloursUsed), table(std::move(table)),
          masks(masks) {}

    int32_t width;
    int32_t height; // rows; stored bottom-up unless topDown
    uint16_t bits;
    bool topDown;
    uint32_t headerSize; // 12, 40, 52, 56, 108 or 124
    uint32_t compression;
    uint32_t coloursUsed;          // written to the header as it is
    std::vector<COLORREF> table;   // the colour table as written
    std::array<uint32_t, 3> masks; // red, green, blue, for BI_BITFIELDS
};

inline void put16(std::vector<uint8_t>& out, std::size_t at, uint32_t value) {
    out[at] = uint8_t(value);
    out[at + 1] = uint8_t(value >> 8);
}

inline void put32(std::vector<uint8_t>& out, std::size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = uint8_t(value >> (8 * i));
}

inline std::size_t bmpStride(const BmpLayout& layout) {
    return (std::size_t(layout.width) * layout.bits + 31) / 32 * 4;
}

// value(x, y), y from the top: a table index for 1, 4 and 8 bits, the packed word for 16 and 32
// bits, a colour reference for 24 bits.
inline std::vector<uint8_t> makeBmp(const BmpLayout& layout,
                                    const std::function<uint32_t(int, int)>& value) {
    const bool core = layout.headerSize == 12;
    const bool masksAfterHeader = layout.headerSize == 40 && layout.compression == BI_BITFIELDS;
    const std::size_t entry = core ? 3 : 4;
    const std::size_t tableAt = 14 + layout.headerSize + (masksAfterHeader ? 12 : 0);
    const std::size_t pixelsAt = tableAt + layout.table.size() * entry;
    const std::size_t stride = bmpStride(layout);
    std::vector<uint8_t> out(pixelsAt + stride * std::size_t(layout.height), 0);
    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, uint32_t(out.size()));
    put32(out, 10, uint32_t(pixelsAt));
    put32(out, 14, layout.headerSize);
    if (core) {
        put16(out, 18, uint32_t(layout.width));
        put16(out, 20, uint32_t(layout.height));
        put16(out, 22, 1);
        put16(out, 24, layout.bits);
    } else {
        put32(out, 18, uint32_t(layout.width));
        put32(out, 22, uint32_t(layout.topDown ? -layout.height : layout.height));
        put16(out, 26, 1);
        put16(out, 28, layout.bits);
        put32(out, 30, layout.compression);
        put32(out, 34, uint32_t(stride * std::size_t(layout.height)));
        put32(out, 38, 2835);
        put32(out, 42, 2835);
        put32(out, 46, layout.coloursUsed);
        if (layout.compression == BI_BITFIELDS)
            for (int c = 0; c < 3; ++c)
                put32(out, 14 + 40 + 4 * c, layout.masks[c]);
    }
    for (std::size_t i = 0; i < layout.table.size(); ++i) {
        out[tableAt + i * entry] = GetBValue(layout.table[i]);
        out[tableAt + i * entry + 1] = GetGValue(layout.table[i]);
        out[tableAt + i * entry + 2] = GetRValue(layout.table[i]);
    }
    for (int y = 0; y < layout.height; ++y) {
        const int fileRow = layout.topDown ? y : layout.height - 1 - y;
        const std::size_t row = pixelsAt + std::size_t(fileRow) * stride;
        for (int x = 0; x < layout.width; ++x) {
            const uint32_t v = value(x, y);
            switch (layout.bits) {
            case 1:
                out[row + x / 8] |= uint8_t((v & 1) << (7 - x % 8));
                break;
            case 4:
                out[row + x / 2] |= uint8_t(x % 2 ? v & 0x0F : (v & 0x0F) << 4);
                break;
            case 8:
                out[row + x] = uint8_t(v);
                break;
            case 16:
                put16(out, row + std::size_t(x) * 2, v);
                break;
            case 32:
                put32(out, row + std::size_t(x) * 4, v);
                break;
            default:
                out[row + std::size_t(x) * 3] = GetBValue(v);
                out[row + std::size_t(x) * 3 + 1] = GetGValue(v);
                out[row + std::size_t(x) * 3 + 2] = GetRValue(v);
            }
        }
    }
    return out;
}

inline void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace imaging::testing
