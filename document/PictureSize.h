#pragma once

// How large a picture is ever rendered. A file may declare any size for a picture (its stored
// frame, its SVG root's width and height or view box); every path that renders one takes its
// size from here, so that a damaged size neither overflows the arithmetic on it nor makes
// anything draw or allocate without bound:
// - a picture is laid out and drawn, on the screen, the printer and in recordings alike, at
//   its frame held within `kLargestPictureFrame` a side (`CappedPictureFrame`);
// - a picture drawn into an image of its own (the exports' picture files, of recorded pictures,
//   plots and stretches of mathematics) gets an image of at most `kLargestImageSide` pixels a
//   side and `kLargestImageArea` pixels all told (`CappedImageSize`), drawn smaller to fit.
// Both keep the picture's proportions.

#include <cstdint>

// A picture's frame in 0.01 mm.
struct PictureFrame {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const PictureFrame&) const = default;
};

// The size of an image in pixels.
struct PixelSize {
    int32_t width = 1;
    int32_t height = 1;
    bool operator==(const PixelSize&) const = default;
};

// One metre a side: larger than any page, small enough to lay out at any printer's resolution.
inline constexpr int32_t kLargestPictureFrame = 100000;
// An image of the largest area takes 4 MB at 32 bits a pixel.
inline constexpr int32_t kLargestImageSide = 8192;
inline constexpr int64_t kLargestImageArea = int64_t{1} << 20;

// A frame of `width` by `height` (0.01 mm, as a file or an SVG root declares it) made smaller,
// in proportion, until neither side passes `kLargestPictureFrame`; a side that is negative or
// no number counts as 0.
PictureFrame CappedPictureFrame(double width, double height);

// The image for a picture of `width` by `height` pixels: that size, or smaller in proportion
// until it fits the image limits; at least 1 a side.
PixelSize CappedImageSize(int64_t width, int64_t height);
