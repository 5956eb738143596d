#pragma once

// What the plot tests share: the real fonts, drawing layer and layout with the math boxes and the
// plots registered, a 96-dpi view, and the helpers that build graphics the way the kernel sends
// them.

#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "expr/symbols/BuiltinNames.h"
#include "mathbox/parser/ExprParser.h"
#include "mathbox/tests/BoxFixture.h"
#include "plot/GraphicsNodes.h"
#include "plot/Plot2DComp.h"
#include "plot/PlotKinds.h"

#include <cmath>
#include <functional>
#include <vector>

namespace plottest {

using Curve = std::function<double(double)>;

// A "Graphics" node as the kernel answers a 2-D plot: one list per function, each curve
// sampled at `samples` + 1 points over x and split into lines wherever a value is not finite
// or leaves [yMin, yMax].
inline NodePtr SampledGraphics(const std::vector<Curve>& curves, double xMin, double xMax,
                               double yMin, double yMax, int samples = 200) {
    auto perFunction = std::make_unique<ListNode>();
    for (const Curve& f : curves) {
        auto lines = std::make_unique<ListNode>();
        auto run = std::make_unique<ListNode>();
        auto endRun = [&] {
            if (run->Count() >= 2)
                lines->AppendChild(
                    std::make_unique<PrimitiveNode>(PrimitiveNode::Kind::Line, std::move(run)));
            run = std::make_unique<ListNode>();
        };
        for (int i = 0; i <= samples; ++i) {
            const double x = xMin + (xMax - xMin) * i / samples;
            const double y = f(x);
            if (!std::isfinite(y) || y < yMin || y > yMax) {
                endRun();
                continue;
            }
            run->AppendChild(MakePoint2DExpr(Point2D{x, y}));
        }
        endRun();
        perFunction->AppendChild(std::move(lines));
    }
    return std::make_unique<GraphicsNode>(true, std::move(perFunction));
}

class PlotTest : public boxtest::BoxTest {
protected:
    // A plot over the ranges, laid out alone in an equation paragraph.
    Plot2DComp* LaidOutPlot(double xMin, double xMax, double yMin, double yMax) {
        auto plot = std::make_unique<Plot2DComp>();
        plot->SetXRange(Str31("x"), xMin, xMax);
        plot->SetYRange(Str31("y"), yMin, yMax);
        return InPara<Plot2DComp>(OwnedComponent(plot.release()), boxtest::kEquation);
    }

    BuiltinNamesScope names;
    PlotKinds plots;
    InfixListParser parser;
    Installed<ListParser> parserInstalled{gListParser, &parser};
};

} // namespace plottest
