#pragma once

// A view over an image of its own, for benchmarks that draw or lay out as a window would.

#include "document/Region.h"
#include "mathbox/DrawView.h"

#include <QImage>

class ImageView final : public DrawView {
public:
    ImageView(int width, int height) : m_image(width, height, QImage::Format_RGB32) {
        m_image.fill(Qt::white);
    }
    QImage& BackingImage() override { return m_image; }
    Point ScrollOffset() const override { return {}; }
    int32_t BaseSize() const override { return 5; }
    void InvalidateClientRect(const Rect&, bool) override {}
    void RegionErased(const Region&) override {}
    void RedrawWithin(const Region&) override {}

private:
    QImage m_image;
};
