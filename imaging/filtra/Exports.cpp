// Filtra's exported functions. No exception leaves them.

#include "BmpImage.h"
#include "filtra/filtra.h"

#include <sys/stat.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <cstdio>
#include <cstring>
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
    // Rows are bottom-up: the row above lies one stride further on. Each pixel is read as a
    // 4-byte word (the bitmap has room for the byte past its last pixel).
    const uint8_t* centre = image->Row(y) + std::size_t(x) * 3;
    const uint8_t* above = centre + image->stride;
    const uint8_t* below = centre - image->stride;
#ifdef __SSE2__
    // The channels in 16-bit lanes: a weighted sum is at most 254 x 255, so each fits its lane.
    const __m128i zero = _mm_setzero_si128();
    const auto lanes = [zero](const uint8_t* p) {
        int32_t word;
        std::memcpy(&word, p, 4);
        return _mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero);
    };
    const __m128i corners = _mm_add_epi16(_mm_add_epi16(lanes(above - 3), lanes(above + 3)),
                                          _mm_add_epi16(lanes(below - 3), lanes(below + 3)));
    const __m128i edges = _mm_add_epi16(_mm_add_epi16(lanes(centre - 3), lanes(centre + 3)),
                                        _mm_add_epi16(lanes(above), lanes(below)));
    const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(corners, _mm_set1_epi16(7)),
                                                    _mm_mullo_epi16(edges, _mm_set1_epi16(28))),
                                      _mm_mullo_epi16(lanes(centre), _mm_set1_epi16(114)));
    // x / 257 for x below 65536 is x * 65281 / 2^24, rounded down.
    const __m128i quotient =
        _mm_srli_epi16(_mm_mulhi_epu16(sum, _mm_set1_epi16(int16_t(65281))), 8);
    // Blue, green, red in memory; red first in a colour reference.
    const __m128i ordered = _mm_shufflelo_epi16(quotient, _MM_SHUFFLE(3, 0, 1, 2));
    return uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(ordered, zero))) & 0xFFFFFF;
#else
    unsigned channel[3];
    for (int c = 0; c < 3; ++c) {
        const unsigned corners = above[c - 3] + above[c + 3] + below[c - 3] + below[c + 3];
        const unsigned edges = centre[c - 3] + centre[c + 3] + above[c] + below[c];
        channel[c] = (7 * corners + 28 * edges + 114 * centre[c]) / 257;
    }
    return RGB(channel[2], channel[1], channel[0]);
#endif
}
