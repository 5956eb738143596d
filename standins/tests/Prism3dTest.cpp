// The stand-in 3-D library's arithmetic at the ends of its 16.16 words: products, sums and
// differences of words anywhere in the 32-bit range saturate as the library promises, where
// 32- or 64-bit arithmetic would overflow.

#include "prism3d/Prism3d.h"

#include "document/TextFontPrefs.h"
#include "mathbox/DrawingServices.h"
#include "mathbox/PaintPort.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstdint>
#include <limits>

namespace {

using prism3d::Fixed;
using prism3d::kOne;
using prism3d::Matrix;
using prism3d::Point3d;

constexpr Fixed kMax = std::numeric_limits<Fixed>::max();
constexpr Fixed kMin = std::numeric_limits<Fixed>::min();

Matrix Filled(Fixed word) {
    Matrix m;
    for (auto& row : m.m)
        row.fill(word);
    return m;
}

TEST(Prism3dTest, ProductsOfWholeMatricesAndPointsSaturateAtTheEndsOfTheWords) {
    const struct {
        const char* name;
        Fixed a, b, expected;
    } cases[] = {
        // Four products of 2^62 each: the sum passes what 64 bits hold.
        {"lowest by lowest", kMin, kMin, kMax},
        {"highest by lowest", kMax, kMin, kMin},
        {"highest by highest", kMax, kMax, kMax},
        {"ones", kOne, kOne, 4 * kOne},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Matrix product;
        prism3d::mMult4x4(Filled(c.a), Filled(c.b), product);
        EXPECT_EQ(product, Filled(c.expected));

        Point3d moved;
        prism3d::ApplyTransform(Point3d{c.a, c.a, c.a, kOne}, moved, Filled(c.b));
        // Three products and the translation row: the same sums as the matrices'.
        EXPECT_EQ(moved, (Point3d{c.expected, c.expected, c.expected, kOne}));
    }
}

TEST(Prism3dTest, AnEyeAtTheEndsOfTheWordsAimsLikeANearOneOnTheSameLine) {
    const struct {
        const char* name;
        Point3d farEye, farTarget, nearEye;
    } cases[] = {
        {"from the highest words to the lowest",
         {kMax, 0, 0, kOne},
         {kMin, 0, 0, kOne},
         {kOne, 0, 0, kOne}},
        {"from the lowest words to the highest",
         {kMin, 0, kMin, kOne},
         {kMax, 0, kMax, kOne},
         {-kOne, 0, -kOne, kOne}},
    };
    const Point3d origin{0, 0, 0, kOne};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        prism3d::Init3d(0);
        prism3d::AimCamera(c.nearEye, origin, 0, 0);
        const Matrix nearCamera = prism3d::GetMatrix(2);
        prism3d::AimCamera(c.farEye, c.farTarget, 0, 0);
        EXPECT_EQ(prism3d::GetMatrix(2), nearCamera);
    }
}

TEST(Prism3dTest, AGridAcrossTheWholeRangeOfWordsIsDrawn) {
    TextFontPrefs prefs;
    DrawingServices services(prefs);
    PaintPort& port = services.Port();
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    port.BeginDCDraw(nullptr, image);
    prism3d::Init3d(0);
    prism3d::SetCurrentDC(&port);
    prism3d::SetViewport(Rect(0, 0, 200, 200));
    prism3d::CombineReferenceFrames();
    // The face at the lowest third word, four steps along each of its axes: the middle lines
    // cross the picture.
    const uint16_t option = 1u << 5;
    prism3d::xfGrid(Point3d{kMin, kMin, kMin, kOne}, Point3d{kMax, kMax, kMax, kOne},
                    Point3d{4 * kOne, 4 * kOne, 4 * kOne, kOne}, &option, prism3d::GetMatrix(3));
    prism3d::SetCurrentDC(nullptr);
    port.EndDraw();
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += image.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
    EXPECT_GT(ink, 100);
}

} // namespace
