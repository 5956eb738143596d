// Filtra's exported functions. No exception leaves them.

#include "BmpImage.h"
#include "filtra/filtra.h"

#include <sys/stat.h>

#include <cstdio>
#include <new>

namespace {

// Larger files than this cannot hold an image Filtra accepts.
constexpr long long kMaxFileSize = 1ll << 30;

std::vector<uint8_t> readFile(const char* name, bool& ok) {
    ok = false;
    std::vector<uint8_t> bytes;
    std::FILE* file = std::fopen(name, "rb");
    if (!file) return bytes;
    struct stat status {};
    if (fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode) &&
        status.st_size <= kMaxFileSize) {
        bytes.resize(std::size_t(status.st_size));
        ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    std::fclose(file);
    return bytes;
}

uint32_t pixelAt(const uint8_t* p) {
    return RGB(p[2], p[1], p[0]);
}

} // namespace

FLT_API FLT_IMAGE FLT_Init(const char* fileName) noexcept {
    if (!fileName) return nullptr;
    try {
        bool ok = false;
        const std::vector<uint8_t> bytes = readFile(fileName, ok);
        if (!ok) return nullptr;
        return filtra::LoadBmp(bytes.data(), bytes.size()).release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

FLT_API void FLT_Dispose(FLT_IMAGE image) noexcept {
    delete image;
}

FLT_API void FLT_GetRect(FLT_IMAGE image, RECT* rect) noexcept {
    if (!rect) return;
    *rect = {0, 0, image ? image->width : 0, image ? image->height : 0};
}

FLT_API COLORREF FLT_GetPixel(FLT_IMAGE image, int x, int y) noexcept {
    if (!image || x < 0 || y < 0 || x > image->width || y > image->height) return 0;
    return pixelAt(image->Row(y) + std::size_t(x) * 3);
}

FLT_API COLORREF FLT_Convolution(FLT_IMAGE image, int x, int y) noexcept {
    if (!image || x < 1 || y < 1 || x >= image->width || y >= image->height)
        return FLT_GetPixel(image, x, y);
    // Rows are bottom-up: the row above lies one stride further on.
    const uint8_t* centre = image->Row(y) + std::size_t(x) * 3;
    const uint8_t* above = centre + image->stride;
    const uint8_t* below = centre - image->stride;
    uint32_t result = 0;
    for (int c = 0; c < 3; ++c) {
        const unsigned corners = above[c - 3] + above[c + 3] + below[c - 3] + below[c + 3];
        const unsigned edges = centre[c - 3] + centre[c + 3] + above[c] + below[c];
        const unsigned value = (7 * corners + 28 * edges + 114 * centre[c]) / 257;
        result |= value << (8 * (2 - c)); // blue, green, red in memory
    }
    return result;
}
