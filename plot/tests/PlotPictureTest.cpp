// Plots drawn through the real drawing layer: a line, 1/x clipped to its range, sin over a wide
// range and several functions in one plot, each written as a PNG to look at, with checks that
// the curves keep to the plotting area and keep their colours.

#include "plot/tests/PlotFixture.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QPainter>

#include <cmath>
#include <set>

namespace {

using plottest::Curve;
using plottest::PlotTest;

// A pixel of a curve: clearly coloured, where axes, ticks, labels and the frame are gray.
bool IsCurveInk(QRgb pixel) {
    const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
    return std::max({r, g, b}) - std::min({r, g, b}) > 60;
}

struct Sample {
    const char* file;
    const char* typed; // the function list's text
    std::vector<Curve> curves;
    double xMin, xMax, yMin, yMax;
};

class PlotPictureTest : public PlotTest {
protected:
    // Draws the plot alone in an image and answers its picture rectangle.
    Rect Draw(const Sample& s, drawtest::ImageView& image, Plot2DComp*& plot) {
        port.EndDraw();
        port.BeginWindowDraw(image);
        plot = LaidOutPlot(s.xMin, s.xMax, s.yMin, s.yMax);
        plot->GetList(1)->InsertArrayAt(boxtest::Math(s.typed), 1);
        EXPECT_TRUE(plot->SetGraphics(
            plottest::SampledGraphics(s.curves, s.xMin, s.xMax, s.yMin, s.yMax, 400)));
        layouttest::LayOut(*para, 20);
        image.image.fill(Qt::white);
        para->DrawInRect(Rect(0, 0, image.image.width(), image.image.height()));
        const Rect picture = plot->PictureRect();
        // Back on the fixture's own view before `image` goes.
        port.EndDraw();
        port.BeginWindowDraw(view);
        return picture;
    }
};

TEST_F(PlotPictureTest, CurvesStayInsideThePlottingAreaInTheirColours) {
    const Sample samples[] = {
        {"plot-line.png", "x", {[](double x) { return x; }}, -1, 1, -1, 1},
        {"plot-reciprocal.png", "1/x", {[](double x) { return 1 / x; }}, -5, 5, -5, 5},
        {"plot-sine-wide.png",
         "sin(x)",
         {[](double x) { return std::sin(x); }},
         -50,
         50,
         -1.5,
         1.5},
        {"plot-several.png",
         "x, x^2, x^3, sin(3x)",
         {[](double x) { return x; }, [](double x) { return x * x; },
          [](double x) { return x * x * x; }, [](double x) { return std::sin(3 * x); }},
         -1.5,
         1.5,
         -2,
         2},
    };
    for (const Sample& s : samples) {
        SCOPED_TRACE(s.file);
        drawtest::ImageView image(820, 560);
        Plot2DComp* plot = nullptr;
        const Rect picture = Draw(s, image, plot);
        const Rect m = plot->Margins();
        const Rect area(picture.left + m.left, picture.top + m.top, picture.right - m.right,
                        picture.bottom - m.bottom);
        int inside = 0;
        int outside = 0;
        std::set<QRgb> colours;
        for (int y = 0; y < image.image.height(); ++y) {
            for (int x = 0; x < image.image.width(); ++x) {
                const QRgb pixel = image.image.pixel(x, y);
                if (!IsCurveInk(pixel)) continue;
                // Antialiasing may reach one pixel past the area's edge.
                const bool in = x >= area.left - 2 && x <= area.right + 2 && y >= area.top - 2 &&
                                y <= area.bottom + 2;
                (in ? inside : outside) += 1;
                if (in) colours.insert(pixel);
            }
        }
        EXPECT_GT(inside, 200);
        EXPECT_EQ(outside, 0);
        EXPECT_TRUE(image.image.save(QString::fromStdString(drawtest::OutputPath(s.file))));
    }
}

TEST_F(PlotPictureTest, TheSmallestPageRowStillHasReadableLabels) {
    const Sample small{"plot-small.png", "x^2", {[](double x) { return x * x; }}, -2, 2, 0, 4};
    drawtest::ImageView image(620, 420);
    image.baseSize = 7;
    port.SetBaseSize(7);
    Plot2DComp* plot = nullptr;
    Draw(small, image, plot);
    EXPECT_EQ(plot->PictureWidth(), 381);
    EXPECT_TRUE(image.image.save(QString::fromStdString(drawtest::OutputPath(small.file))));
    port.SetBaseSize(5);
}

TEST_F(PlotPictureTest, EachFunctionTakesItsOwnColour) {
    const Sample several{
        "", "x, -x", {[](double x) { return x; }, [](double x) { return -x; }}, -1, 1, -1, 1};
    drawtest::ImageView image(820, 560);
    Plot2DComp* plot = nullptr;
    Draw(several, image, plot);
    const QColor first = QColor::fromRgb(qRgb(0x1F, 0x5A, 0xB4));
    const QColor second = QColor::fromRgb(qRgb(0xD6, 0x27, 0x2A));
    int firstInk = 0;
    int secondInk = 0;
    for (int y = 0; y < image.image.height(); ++y) {
        for (int x = 0; x < image.image.width(); ++x) {
            const QRgb p = image.image.pixel(x, y);
            firstInk += p == first.rgb() ? 1 : 0;
            secondInk += p == second.rgb() ? 1 : 0;
        }
    }
    EXPECT_GT(firstInk, 50);
    EXPECT_GT(secondInk, 50);
}

TEST_F(PlotPictureTest, ARecordedPictureIsVectorArt) {
    Plot2DComp* plot = LaidOutPlot(-1, 1, -1, 1);
    ASSERT_TRUE(plot->SetGraphics(
        plottest::SampledGraphics({[](double x) { return x * x; }}, -1, 1, -1, 1)));
    const std::optional<PictureBytes> picture = plot->CopyPicture(true);
    ASSERT_TRUE(picture.has_value());
    const std::string svg(picture->begin(), picture->end());
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("<path"), std::string::npos);
    EXPECT_EQ(svg.find("<image"), std::string::npos);
    EXPECT_FALSE(plot->CopyPicture(false).has_value());
}

TEST_F(PlotPictureTest, ThePageExportsGetThePictureAreaWithItsSize) {
    Plot2DComp* plot = LaidOutPlot(-1, 1, -1, 1);
    ASSERT_TRUE(plot->SetGraphics(
        plottest::SampledGraphics({[](double x) { return x * x; }}, -1, 1, -1, 1)));
    PlotShape* shape = AsPlot(plot);
    ASSERT_NE(shape, nullptr);
    const std::optional<PlotShape::ExportPicture> picture = shape->GetExportPicture();
    ASSERT_TRUE(picture.has_value());
    EXPECT_NE(std::string(picture->picture.begin(), picture->picture.end()).find("<path"),
              std::string::npos);
    EXPECT_EQ(picture->width, plot->PictureWidth());
    EXPECT_EQ(picture->height, plot->PictureHeight());
    EXPECT_GT(picture->width, 0);
    EXPECT_GT(picture->height, 0);
}

} // namespace
