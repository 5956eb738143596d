// Plot requests gain their graphics: lines split where a curve leaves its range or has no real
// value, surfaces as rows of heights, several surfaces (or gaps) as polygons.

#include "KernelHarness.h"
#include "Plotting.h"
#include "Records.h"

#include <gtest/gtest.h>

#include <cmath>

namespace standin::testing {
namespace {

Expr x() {
    return sym("x");
}
Expr y() {
    return sym("y");
}
Expr range(const char* v, long long lo, long long hi) {
    return list({sym(v), num(lo), num(hi)});
}
Expr twoD(std::initializer_list<Expr> functions, Expr yRange = range("y", -10, 10)) {
    return fn("TYTwoDPlot", {list(functions), range("x", -2, 2), std::move(yRange)});
}
Expr threeD(std::initializer_list<Expr> functions) {
    return fn("TYThreeDPlot",
              {list(functions), range("x", -1, 1), range("y", -1, 1), range("z", -2, 2)});
}

// The lines of each function of a 2-D answer.
std::vector<std::vector<const Expr*>> linesOf(const Expr& answer) {
    std::vector<std::vector<const Expr*>> out;
    const Expr& graphics = answer.args.at(3);
    EXPECT_TRUE(graphics.isCall("Graphics", 1));
    for (const Expr& perFunction : graphics.args.at(0).args) {
        out.emplace_back();
        for (const Expr& line : perFunction.args) {
            EXPECT_TRUE(line.isCall("Line", 1));
            out.back().push_back(&line);
        }
    }
    return out;
}

void expectPointsWithin(const Expr& line, double low, double high) {
    for (const Expr& p : line.args[0].args) {
        ASSERT_TRUE(p.isCall("List", 2));
        for (const Expr& coordinate : p.args)
            ASSERT_TRUE(coordinate.kind == Expr::Kind::Real && coordinate.machineReal);
        EXPECT_GE(p.args[1].real, low);
        EXPECT_LE(p.args[1].real, high);
    }
}

TEST(Plot2D, AboutTwoHundredSamplesInOneLineWhereTheCurveStaysInRange) {
    auto answer = plot::compute(twoD({fn("TYPower", {x(), num(2)})}), {});
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->args.size(), 4u);
    auto lines = linesOf(*answer);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].size(), 1u);
    EXPECT_EQ(lines[0][0]->args[0].args.size(), std::size_t(plot::kSamples + 1));
    expectPointsWithin(*lines[0][0], 0.0, 4.0);
}

TEST(Plot2D, CurvesSplitWhereTheyLeaveTheRangeOrHaveNoRealValue) {
    struct Case {
        const char* name;
        Expr f;
        std::size_t lines;
    };
    const Case cases[] = {
        {"leaves the y range at both ends", fn("TYPower", {x(), num(2)}), 1},
        {"a pole splits the curve in two", fn("TYDivide", {num(1), x()}), 2},
        {"no real value left of zero", fn("TYRadical", {x(), num(2)}), 1},
        {"a y = f(x) equation plots its right side", equation(y(), x()), 1},
    };
    for (const Case& c : cases) {
        auto answer = plot::compute(twoD({c.f}, range("y", -3, 3)), {});
        ASSERT_TRUE(answer) << c.name;
        auto lines = linesOf(*answer);
        ASSERT_EQ(lines.size(), 1u) << c.name;
        EXPECT_EQ(lines[0].size(), c.lines) << c.name;
        for (const Expr* line : lines[0])
            expectPointsWithin(*line, -3.0, 3.0);
    }
}

TEST(Plot2D, EachFunctionHasItsOwnList) {
    auto answer = plot::compute(twoD({x(), fn("TYSin", {x()})}), {});
    ASSERT_TRUE(answer);
    EXPECT_EQ(linesOf(*answer).size(), 2u);
}

TEST(Plot2D, WhatCannotBePlottedHasNoAnswer) {
    EXPECT_FALSE(plot::compute(twoD({sym("$Failed")}), {}));
    EXPECT_FALSE(plot::compute(twoD({fn("TYRadical", {num(-1), num(2)})}), {}));
    EXPECT_FALSE(
        plot::compute(fn("TYTwoDPlot", {list({x()}), range("x", 2, -2), range("y", -1, 1)}), {}));
    EXPECT_FALSE(plot::compute(fn("TYTwoDPlot", {x()}), {}));
}

TEST(Plot3D, OneSurfaceIsRowsOfHeightsClampedToTheValueRange) {
    auto answer = plot::compute(threeD({fn("TYTimes", {num(3), x(), y()})}), {});
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->args.size(), 5u);
    const Expr& surface = answer->args[4];
    ASSERT_TRUE(surface.isCall("SurfaceGraphics", 1));
    const Expr& rows = surface.args[0];
    ASSERT_EQ(rows.args.size(), std::size_t(plot::kGrid + 1));
    for (const Expr& row : rows.args) {
        ASSERT_EQ(row.args.size(), std::size_t(plot::kGrid + 1));
        for (const Expr& h : row.args) {
            EXPECT_GE(h.real, -2.0);
            EXPECT_LE(h.real, 2.0);
        }
    }
    // Rows run along the second range: the first row is y = -1, its first height x = -1.
    EXPECT_DOUBLE_EQ(rows.args[0].args[0].real, 2.0);
    EXPECT_DOUBLE_EQ(rows.args[0].args[plot::kGrid / 2].real, 0.0);
}

TEST(Plot3D, SeveralSurfacesOrGapsArePolygons) {
    struct Case {
        const char* name;
        Expr request;
        std::size_t meshes;
        std::size_t polygonsOfFirst;
    };
    const std::size_t all = std::size_t(plot::kGrid) * plot::kGrid;
    const Case cases[] = {
        {"two functions", threeD({x(), y()}), 2, all},
        {"a surface with no value left of zero", threeD({fn("TYRadical", {x(), num(2)})}), 1,
         all / 2},
    };
    for (const Case& c : cases) {
        auto answer = plot::compute(c.request, {});
        ASSERT_TRUE(answer) << c.name;
        const Expr& graphics = answer->args[4];
        ASSERT_TRUE(graphics.isCall("Graphics3D", 1)) << c.name;
        ASSERT_EQ(graphics.args[0].args.size(), c.meshes) << c.name;
        const Expr& first = graphics.args[0].args[0];
        EXPECT_EQ(first.args.size(), c.polygonsOfFirst) << c.name;
        for (const Expr& polygon : first.args) {
            ASSERT_TRUE(polygon.isCall("Polygon", 1));
            ASSERT_EQ(polygon.args[0].args.size(), 4u);
            for (const Expr& corner : polygon.args[0].args)
                EXPECT_EQ(corner.args.size(), 3u);
        }
    }
}

TEST(PlotRequests, OverTheLinkTheRequestComesBackWithItsGraphics) {
    KernelHarness kernel;
    const Expr request = twoD({fn("TYSin", {x()})});
    for (const Expr& sent :
         {fn("TYComputePlot", {request}), fn("TYEvaluate", {num(kPlot), request})}) {
        auto answer = kernel.request(sent);
        ASSERT_TRUE(answer);
        ASSERT_TRUE(answer->isCall("TYTwoDPlot", 4)) << linearText(*answer);
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_TRUE(answer->args[i] == request.args[i]);
        EXPECT_EQ(linesOf(*answer).size(), 1u);
    }
    auto refused = kernel.request(fn("TYComputePlot", {twoD({sym("$Failed")})}));
    ASSERT_TRUE(refused);
    EXPECT_TRUE(refused->isSymbol("$Canceled"));
}

} // namespace
} // namespace standin::testing
