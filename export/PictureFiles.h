#pragma once

// The picture files the exports write beside a document: recorded pictures, and stretches of a
// component list, drawn as PNG. Every file goes through a temporary file renamed over the
// target, so a failure leaves no partial file; each answers whether it was written.

#include "document/DrawPort.h"
#include "document/Rect.h"

#include <QImage>

#include <cstdint>
#include <optional>
#include <string>

class CompList;

namespace picturefiles {

// Whether the bytes are an SVG recording of this program (anything else is a picture of an
// older document, which no export can draw).
bool IsSvg(const PictureBytes& picture);

// The picture drawn onto a white image of `width` by `height` pixels (or smaller, in
// proportion, to fit the image limits of `CappedImageSize`), centred and kept in proportion; a
// grey frame for bytes that are no picture of ours.
QImage DrawPicture(const PictureBytes& picture, int32_t width, int32_t height);

// The picture drawn into a white PNG of `width` by `height` pixels.
bool WritePicturePng(const std::string& path, const PictureBytes& picture, int32_t width,
                     int32_t height);

// Children from..to (exclusive) of `list`, laid out as one line on their own, as they lay out in
// their paragraph, and drawn onto a white image just large enough (drawn smaller, in
// proportion, when that would pass the image limits of `CappedImageSize`); nothing when the
// drawing layer cannot draw into images.
std::optional<QImage> DrawListRange(const CompList& list, int32_t from, int32_t to);

// Writes an image as an interlaced PNG through the off-screen picture.
bool WritePng(const std::string& path, const QImage& image);

} // namespace picturefiles
