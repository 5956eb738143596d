#pragma once

// A view over an image for the drawing layer's tests, and the installed fonts, styles and layer.

#include "document/Region.h"
#include "document/TextFontPrefs.h"
#include "mathbox/DrawView.h"
#include "mathbox/DrawingServices.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QString>

#include <algorithm>
#include <string>
#include <vector>

namespace drawtest {

class ImageView final : public DrawView {
public:
    explicit ImageView(int width = 200, int height = 120)
        : image(width, height, QImage::Format_RGB32) {
        image.fill(Qt::white);
    }
    QImage& BackingImage() override { return image; }
    Point ScrollOffset() const override { return scroll; }
    int32_t BaseSize() const override { return baseSize; }
    void InvalidateClientRect(const Rect& rect, bool erase) override {
        invalidated.push_back(rect);
        erased = erased || erase;
    }
    void RegionErased(const Region& region) override { erasedBoxes.push_back(region.GetBox()); }
    void RedrawWithin(const Region&) override {}

    QImage image;
    Point scroll;
    int32_t baseSize = 5;
    std::vector<Rect> invalidated;
    std::vector<Rect> erasedBoxes;
    bool erased = false;
};

class DrawTest : public ::testing::Test {
protected:
    TextFontPrefs prefs;
    DrawingServices services{prefs};
    PaintPort& port = services.Port();
};

// Where the pictures that a person should look at go: the build's test output folder.
inline std::string OutputPath(const std::string& name) {
    QDir().mkpath(QString::fromLatin1(TESSARY_TEST_OUTPUT));
    return std::string(TESSARY_TEST_OUTPUT) + "/" + name;
}

inline bool IsWhite(const QImage& image, int x, int y) {
    return image.pixel(x, y) == qRgb(255, 255, 255);
}

// How many pixels of `r` that lie on the image are not white.
inline int InkIn(const QImage& image, const Rect& r) {
    int ink = 0;
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, image.height()); ++y)
        for (int x = std::max(r.left, 0); x < std::min(r.right, image.width()); ++x)
            ink += IsWhite(image, x, y) ? 0 : 1;
    return ink;
}

} // namespace drawtest
