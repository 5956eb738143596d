#include "BmpImage.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>

namespace filtra {

namespace {

uint16_t read16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

uint32_t read32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

constexpr std::size_t kFileHeader = 14;
constexpr uint32_t kCoreHeader = 12;

bool knownHeaderSize(uint32_t size) {
    return size == kCoreHeader || size == 40 || size == 52 || size == 56 || size == 108 ||
           size == 124;
}

// One channel of a bit-field mask: where it sits and how to stretch it to 8 bits.
struct Channel {
    int shift = 0;
    uint32_t maximum = 0; // 0: the channel is absent and reads 0

    explicit Channel(uint32_t mask) {
        if (!mask) return;
        shift = std::countr_zero(mask);
        maximum = mask >> shift;
    }
    uint8_t operator()(uint32_t value) const {
        if (!maximum) return 0;
        const uint64_t part = (value >> shift) & maximum;
        return uint8_t((part * 255 + maximum / 2) / maximum);
    }
};

struct Layout {
    int64_t width = 0;
    int64_t height = 0; // rows, positive
    bool topDown = false;
    int bitsPerPixel = 0;
    std::array<uint32_t, 3> masks{}; // red, green, blue, for 16 and 32 bits
    std::vector<RGBQUAD> table;      // for 1, 4 and 8 bits
    std::size_t pixels = 0;          // where the rows start
    int64_t stride = 0;
};

// Reads and checks the headers and the colour table; false refuses the file.
bool readLayout(const uint8_t* data, std::size_t size, Layout& layout) {
    if (size < kFileHeader + 4 || data[0] != 'B' || data[1] != 'M') return false;
    const uint32_t offset = read32(data + 10);
    const uint32_t headerSize = read32(data + kFileHeader);
    if (!knownHeaderSize(headerSize) || size < kFileHeader + headerSize) return false;
    const uint8_t* info = data + kFileHeader;
    std::size_t tableAt = kFileHeader + headerSize;
    uint32_t compression = BI_RGB, coloursUsed = 0;
    std::size_t entrySize = 4;
    if (headerSize == kCoreHeader) {
        layout.width = read16(info + 4);
        layout.height = read16(info + 6);
        layout.bitsPerPixel = read16(info + 10);
        entrySize = 3;
    } else {
        layout.width = int32_t(read32(info + 4));
        const int64_t height = int32_t(read32(info + 8));
        layout.topDown = height < 0;
        layout.height = std::llabs(height);
        layout.bitsPerPixel = read16(info + 14);
        compression = read32(info + 16);
        coloursUsed = read32(info + 32);
    }
    const int bits = layout.bitsPerPixel;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    if (layout.width < 1 || layout.height < 1 || layout.width > kMaxSide ||
        layout.height > kMaxSide || layout.width * layout.height > kMaxPixels)
        return false;

    if (bits == 16)
        layout.masks = {0x7C00, 0x03E0, 0x001F};
    else if (bits == 32)
        layout.masks = {0xFF0000, 0x00FF00, 0x0000FF};
    if (compression == BI_BITFIELDS && (bits == 16 || bits == 32)) {
        // A 40-byte header keeps its masks just after it; later versions inside it.
        std::size_t masksAt = kFileHeader + 40;
        if (headerSize == 40) tableAt += 12;
        if (size < masksAt + 12) return false;
        for (int c = 0; c < 3; ++c)
            layout.masks[c] = read32(data + masksAt + 4 * c);
    } else if (compression != BI_RGB) {
        return false; // run-length encoded or embedded pictures
    }

    if (bits <= 8) {
        const uint32_t most = 1u << bits;
        const uint32_t entries = coloursUsed ? coloursUsed : most;
        if (entries > most) return false;
        if (size < tableAt || (size - tableAt) / entrySize < entries) return false;
        layout.table.resize(entries);
        for (uint32_t i = 0; i < entries; ++i) {
            const uint8_t* entry = data + tableAt + i * entrySize;
            layout.table[i] = {entry[0], entry[1], entry[2], 0};
        }
        tableAt += entries * entrySize;
    }
    // The rows start after the headers, masks and table, and every row must be in the file.
    layout.stride = (layout.width * bits + 31) / 32 * 4;
    if (offset < tableAt || offset > size) return false;
    if (uint64_t(size - offset) < uint64_t(layout.stride) * uint64_t(layout.height)) return false;
    layout.pixels = offset;
    return true;
}

void convertRow(const Layout& layout, const uint8_t* from, uint8_t* to) {
    const Channel red(layout.masks[0]), green(layout.masks[1]), blue(layout.masks[2]);
    const auto fromTable = [&](uint32_t index, uint8_t* pixel) {
        // An index past the table reads black.
        if (index < layout.table.size()) {
            pixel[0] = layout.table[index].rgbBlue;
            pixel[1] = layout.table[index].rgbGreen;
            pixel[2] = layout.table[index].rgbRed;
        }
    };
    for (int64_t x = 0; x < layout.width; ++x, to += 3) {
        switch (layout.bitsPerPixel) {
        case 1:
            fromTable((from[x / 8] >> (7 - x % 8)) & 1, to);
            break;
        case 4:
            fromTable(x % 2 ? from[x / 2] & 0x0F : from[x / 2] >> 4, to);
            break;
        case 8:
            fromTable(from[x], to);
            break;
        case 16:
        case 32: {
            const uint32_t value =
                layout.bitsPerPixel == 16 ? read16(from + x * 2) : read32(from + x * 4);
            to[0] = blue(value);
            to[1] = green(value);
            to[2] = red(value);
            break;
        }
        default: // 24
            to[0] = from[x * 3];
            to[1] = from[x * 3 + 1];
            to[2] = from[x * 3 + 2];
        }
    }
}

} // namespace

std::unique_ptr<FltImage> LoadBmp(const uint8_t* data, std::size_t size) {
    Layout layout;
    if (!data || !readLayout(data, size, layout)) return nullptr;
    auto image = std::make_unique<FltImage>();
    image->width = int32_t(layout.width);
    image->height = int32_t(layout.height);
    const int64_t width = layout.width + 1, height = layout.height + 1;
    image->stride = std::size_t((width * 24 + 31) / 32 * 4);
    image->header = {40,
                     int32_t(width),
                     int32_t(height),
                     1,
                     24,
                     BI_RGB,
                     uint32_t(image->stride * std::size_t(height)),
                     1024,
                     1024,
                     0,
                     0};
    // One byte more than the rows, so smoothing may read a pixel as a 4-byte word.
    image->bits.assign(image->stride * std::size_t(height) + 1, 0);
    for (int64_t y = 0; y < layout.height; ++y) { // y counts from the top
        const int64_t fileRow = layout.topDown ? y : layout.height - 1 - y;
        convertRow(layout, data + layout.pixels + std::size_t(fileRow * layout.stride),
                   const_cast<uint8_t*>(image->Row(y)));
    }
    return image;
}

} // namespace filtra
