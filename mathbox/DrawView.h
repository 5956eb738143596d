#pragma once

// What the drawing layer needs of the view it draws for. The view class implements it; tests
// use a small one over an image. All rectangles handed to the view are in its client
// coordinates (document coordinates minus the scroll offset).

#include "document/Point.h"
#include "document/Rect.h"

#include <cstdint>

class QImage;
class Region;

class DrawView {
public:
    virtual ~DrawView() = default;

    // The view's backing image: window drawing goes here, and the view shows it on paint. An
    // RGB32 image, so that pixels can be inverted in place.
    virtual QImage& BackingImage() = 0;
    // The document point shown at the image's top-left corner.
    virtual Point ScrollOffset() const = 0;
    // The view's size setting (0 is the largest type).
    virtual int32_t BaseSize() const = 0;
    // Asks for a repaint of a client rectangle, erasing it first when `erase` is set.
    virtual void InvalidateClientRect(const Rect& rect, bool erase) = 0;
    // The layer filled a region (given in document coordinates) with the background.
    virtual void RegionErased(const Region& region) = 0;
    // Draws the document again, within the clip region only.
    virtual void RedrawWithin(const Region& clip) = 0;
};
