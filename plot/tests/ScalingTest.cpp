// The 2-D plot's axes and its mapping: tick steps, crossings and margins from the ranges, the
// ticks themselves, pixels from plot coordinates, the sizes per plot-size row, and what LaTeX
// output leaves behind.

#include "document/tests/ParagraphLatexWriter.h"
#include "plot/PlotSize.h"
#include "plot/tests/PlotFixture.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPdfWriter>

#include <cmath>
#include <limits>

namespace {

using plottest::PlotTest;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(AxisScale, StepsCrossingsAndMarginsFollowTheRange) {
    const struct {
        double min, max;
        double step, crossing;
        int32_t before, after;
        bool labelsAfter;
        int ticks;
    } cases[] = {
        // 2 / 1 < 5, 2 / 0.5 < 5, 2 / 0.2 = 10: ticks at +-0.2 ... +-1, none at the crossing.
        {-1, 1, 0.2, 0, 20, 20, false, 10},
        // 10 / 10, 10 / 5 below 5; 10 / 2 = 5 is not.
        {0, 10, 2, 0, 48, 20, false, 5},
        // Wholly negative: the crossing is the last tick not above -2, labels on the right.
        {-10, -2, 1, -2, 20, 48, true, 8},
        // Wholly positive from 2: the crossing is the first tick not below 2.
        {2, 3, 0.2, 2, 48, 20, false, 5},
        {0.5, 7, 1, 1, 48, 20, false, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.min) + " to " + std::to_string(c.max));
        const AxisScale scale = ScaleAxis(c.min, c.max, 20, 48);
        EXPECT_DOUBLE_EQ(scale.step, c.step);
        EXPECT_NEAR(scale.crossing, c.crossing, 1e-12);
        EXPECT_EQ(scale.marginBefore, c.before);
        EXPECT_EQ(scale.marginAfter, c.after);
        EXPECT_EQ(scale.labelsAfter, c.labelsAfter);
        const std::vector<double> ticks = TickValues(scale, c.min, c.max);
        EXPECT_EQ(static_cast<int>(ticks.size()), c.ticks);
        for (double t : ticks) {
            EXPECT_GE(t, c.min - 1e-9);
            EXPECT_LE(t, c.max + 1e-9);
            EXPECT_GT(std::abs(t - scale.crossing), scale.step / 2);
        }
    }
}

TEST(AxisScale, RangesWithoutRoomGetNoTicksAndNoDivision) {
    const struct {
        const char* name;
        double min, max;
    } cases[] = {
        {"empty", 1, 1},
        {"reversed", 2, -2},
        {"NaN end", kNaN, 1},
        {"infinite", -kInf, 1},
        {"both infinite", -kInf, kInf},
        {"overflowing width", -1e308, 1e308},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const AxisScale scale = ScaleAxis(c.min, c.max, 12, 24);
        EXPECT_FALSE(scale.HasTicks());
        EXPECT_TRUE(std::isfinite(scale.crossing));
        EXPECT_TRUE(TickValues(scale, c.min, c.max).empty());
    }
}

TEST(AxisScale, AStepTooSmallToMoveALargeValueEnds) {
    // Near 1e22 neighbouring doubles lie 2^21 apart, more than twice the step of 1e6: adding it
    // changes nothing.
    const double min = 1e22;
    const double max = 1e22 + 8388608.0;
    const AxisScale scale = ScaleAxis(min, max, 20, 48);
    ASSERT_TRUE(scale.HasTicks());
    const std::vector<double> ticks = TickValues(scale, min, max);
    EXPECT_LE(static_cast<int>(ticks.size()), 2 * kMaxTicks);
    for (size_t i = 1; i < ticks.size(); ++i)
        EXPECT_NE(ticks[i], ticks[i - 1]);
}

class ScalingTest : public PlotTest {};

TEST_F(ScalingTest, ScalingMakesTicksThenBothAxesInOneList) {
    Plot2DComp* plot = LaidOutPlot(0, 10, -1, 1);
    plot->RenderPicture();
    const PrimStore* store = plot->Primitives();
    ASSERT_NE(store, nullptr);
    ASSERT_EQ(store->GetListCount(), 1);
    const PrimList& axes = *store->GetList(0);
    // 5 ticks on x (2 to 10), 10 on y, then the two axes.
    ASSERT_EQ(axes.GetCount(), 17);
    const auto& first = static_cast<const TickPrim&>(*axes.GetAt(0));
    EXPECT_EQ(first.GetTypeCode(), primcode::kHTick);
    EXPECT_EQ(first.Label().ToCString(), "2");
    EXPECT_EQ(first.At().y, 0);
    EXPECT_EQ(axes.GetAt(5)->GetTypeCode(), primcode::kVTick);
    const auto& xAxis = static_cast<const LinePrim&>(*axes.GetAt(15));
    EXPECT_EQ(xAxis.From().x, 0);
    EXPECT_EQ(xAxis.To().x, 10);
    const auto& yAxis = static_cast<const LinePrim&>(*axes.GetAt(16));
    EXPECT_EQ(yAxis.From().y, 1);
    EXPECT_EQ(yAxis.To().y, -1);
    // Left 48 points, right 20, top and bottom 12, in screen pixels.
    EXPECT_EQ(plot->Margins(), Rect(64, 16, 26, 16));
}

TEST_F(ScalingTest, LabelsTakeTheFarSideOfWhollyNegativeRanges) {
    Plot2DComp* plot = LaidOutPlot(-10, -2, -5, -1);
    plot->RenderPicture();
    const PrimList& axes = *plot->Primitives()->GetList(0);
    for (int32_t i = 0; i < axes.GetCount(); ++i) {
        if (axes.GetAt(i)->GetTypeCode() == primcode::kLine) continue;
        EXPECT_EQ(static_cast<const TickPrim&>(*axes.GetAt(i)).Side(), 1) << i;
    }
    EXPECT_EQ(plot->Margins(), Rect(26, 32, 64, 16));
}

TEST_F(ScalingTest, DevicePointsMapTheRangeOntoThePlottingArea) {
    Plot2DComp* plot = LaidOutPlot(-1, 1, -1, 1);
    plot->RenderPicture();
    // Row 3 at 96 dpi: 533 by 400 pixels; margins 26 across and 16 down, so the plotting area
    // is 481 by 368.
    ASSERT_EQ(plot->PictureWidth(), 533);
    ASSERT_EQ(plot->PictureHeight(), 400);
    const struct {
        double x, y;
        Point expected;
    } cases[] = {
        {-1, -1, Point(26, 384)},
        {1, 1, Point(507, 16)},
        {0, 0, Point(266, 200)},
        // Far outside: saturated, not wrapped into the picture.
        {0, 1e12, Point(266, -1000000)},
        {0, -1e12, Point(266, 1000000)},
        {1e300, 0, Point(1000000, 200)},
        {-kInf, 0, Point(-1000000, 200)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + ", " + std::to_string(c.y));
        EXPECT_EQ(plot->ToDevice(c.x, c.y), c.expected);
    }
    const Point2D back = plot->FromDevice(266, 200);
    EXPECT_NEAR(back.x, 0, 0.01);
    EXPECT_NEAR(back.y, 0, 0.01);
    // Not a number is never converted; it lands somewhere harmless.
    const Point nan = plot->ToDevice(kNaN, kNaN);
    EXPECT_LE(std::abs(nan.x), 1000000);
    EXPECT_LE(std::abs(nan.y), 1000000);
}

TEST_F(ScalingTest, FrameSizesAndLabelHeightsFollowTheRowsAtEachResolution) {
    const struct {
        int32_t baseSize;
        int32_t row, width, height, label;
    } rows[] = {
        {7, 1, 381, 285, 5},
        {6, 2, 456, 341, 6},
        {5, 3, 533, 400, 8},
        {3, 4, 685, 514, 9},
    };
    for (const auto& r : rows) {
        port.SetBaseSize(r.baseSize);
        const PlotSize size(false);
        EXPECT_EQ(size.GetIndex(), r.row);
        EXPECT_EQ(size.FrameWidth2D(), r.width);
        EXPECT_EQ(size.FrameHeight2D(), r.height);
        EXPECT_EQ(size.LabelHeight(), r.label);
    }
    const PlotSize fixed(true);
    EXPECT_EQ(fixed.GetIndex(), 0);
    EXPECT_EQ(fixed.FrameWidth2D(), 362);
    EXPECT_EQ(fixed.FrameHeight2D(), 272);
    EXPECT_EQ(fixed.LabelHeight(), 5);
    EXPECT_EQ(fixed.FrameWidth3D(), 324);
    EXPECT_EQ(fixed.CameraDistance(), 42 << 16);

    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    QPdfWriter page(&pdf);
    page.setResolution(300);
    port.BeginDCDraw(nullptr, page);
    EXPECT_EQ(fixed.FrameWidth2D(), 272 * 300 / 72);
    EXPECT_EQ(fixed.FrameHeight2D(), 204 * 300 / 72);
    port.EndDraw();
}

class PictureSizes final : public fakes::ParagraphLatexWriter {
public:
    void BeginGroup(bool) override {}
    void EndGroup(bool) override {}
    void WriteComponentChar(TextComp& comp, bool) override {
        out += comp.IsNotChar() ? '#' : static_cast<char>(comp.GetCharCode());
    }
    void WriteRaw(const char* text) override { out += text; }
    void WriteImage(int32_t w, int32_t h, const PictureBytes* picture) override {
        out += "[picture]";
        recorded = picture != nullptr && !picture->empty();
        width = w;
        height = h;
    }

    std::string out;
    bool recorded = false;
    int32_t width = 0;
    int32_t height = 0;
};

TEST_F(ScalingTest, LatexTakesTheSmallestRowAndPutsThePagesRowBack) {
    Plot2DComp* plot = LaidOutPlot(-1, 1, -1, 1);
    ASSERT_EQ(plot->PictureWidth(), 533);
    PictureSizes latex;
    plot->WriteLatex(latex);
    // Row 0 is 362 by 272 pixels at 96 dpi: 271 by 204 points by the truncating formula.
    EXPECT_TRUE(latex.recorded);
    EXPECT_EQ(latex.width, 271);
    EXPECT_EQ(latex.height, 204);
    EXPECT_EQ(latex.out, "\\fbox{$\\begin{array}{c}[picture]\\\\ \\end{array}$} ");
    // The plot and the next recording are back at the page's row.
    EXPECT_EQ(plot->PictureWidth(), 533);
    EXPECT_FALSE(CurrentPlotSize().IsFixed());
    EXPECT_EQ(CurrentPlotSize().GetIndex(), 3);
    plot->RenderPicture();
    EXPECT_EQ(plot->PictureWidth(), 533);
}

} // namespace
