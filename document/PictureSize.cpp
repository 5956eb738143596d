#include "document/PictureSize.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// A side as a size: no number or below 0 is 0, and one past any number (a view box of 1e308
// pixels is infinite in 0.01 mm) the largest number.
double Side(double value) {
    if (std::isnan(value) || value <= 0) return 0.0;
    return std::min(value, std::numeric_limits<double>::max());
}

} // namespace

PictureFrame CappedPictureFrame(double width, double height) {
    const double w = Side(width);
    const double h = Side(height);
    const double largest = std::max(w, h);
    if (largest <= kLargestPictureFrame)
        return PictureFrame{static_cast<int32_t>(w), static_cast<int32_t>(h)};
    // The longer side takes the largest frame exactly; the other follows it.
    const auto follow = [&](double side) {
        return side == largest ? kLargestPictureFrame
                               : static_cast<int32_t>(side / largest * kLargestPictureFrame);
    };
    return PictureFrame{follow(w), follow(h)};
}

PixelSize CappedImageSize(int64_t width, int64_t height) {
    const double w = static_cast<double>(std::max<int64_t>(width, 1));
    const double h = static_cast<double>(std::max<int64_t>(height, 1));
    double scale = std::min({1.0, kLargestImageSide / w, kLargestImageSide / h});
    if (w * h * scale * scale > static_cast<double>(kLargestImageArea))
        scale = std::sqrt(static_cast<double>(kLargestImageArea) / w / h);
    const auto side = [](double pixels) {
        return static_cast<int32_t>(std::clamp(std::round(pixels), 1.0, double{kLargestImageSide}));
    };
    PixelSize size{side(w * scale), side(h * scale)};
    // Rounding may have passed the area by a pixel's row or column.
    while (int64_t{size.width} * size.height > kLargestImageArea)
        --(size.width >= size.height ? size.width : size.height);
    return size;
}
