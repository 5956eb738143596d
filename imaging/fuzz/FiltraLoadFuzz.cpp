// Feeds arbitrary bytes to Filtra's BMP loader as a file's contents. Whatever it accepts must
// answer every pixel query within its rectangle, black in the extra column and row, and 0
// beyond; sanitizers catch any read outside the file or the image.

#include "BmpImage.h"
#include "filtra/filtra.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<FltImage> image = filtra::LoadBmp(data, size);
    if (!image) return 0;
    RECT rect{};
    FLT_GetRect(image.get(), &rect);
    if (rect.left != 0 || rect.top != 0 || rect.right < 1 || rect.bottom < 1) std::abort();
    // Every pixel of a small image; the corners, edges and a diagonal of a large one.
    const bool small = int64_t(rect.right) * rect.bottom <= 4096;
    for (int y = -1; y <= rect.bottom + 1; ++y) {
        for (int x = -1; x <= rect.right + 1; ++x) {
            const bool edge = x <= 1 || y <= 1 || x >= rect.right - 1 || y >= rect.bottom - 1;
            if (!small && !edge && x != y) continue;
            const COLORREF pixel = FLT_GetPixel(image.get(), x, y);
            const COLORREF smoothed = FLT_Convolution(image.get(), x, y);
            const bool outside = x < 0 || y < 0 || x > rect.right || y > rect.bottom;
            const bool extra = x == rect.right || y == rect.bottom;
            if ((outside || extra) && (pixel != 0 || smoothed != 0)) std::abort();
            if ((pixel | smoothed) > 0xFFFFFF) std::abort();
        }
        if (!small && y > 2 && y < rect.bottom - 2) y = std::max(y, rect.bottom - 3);
    }
    return 0;
}
