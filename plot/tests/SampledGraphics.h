#pragma once

// Graphics built the way the kernel sends them for a plot: sampled curves for a 2-D plot and
// sampled surfaces for a 3-D one. Shared by the plot tests and the editor's tests of plots.

#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "plot/GraphicsNodes.h"
#include "plot/PlotPrims.h"

#include <cmath>
#include <functional>
#include <memory>
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

using Surface = std::function<double(double, double)>;

// A "SurfaceGraphics" node of rows of heights, as the kernel sends them.
inline NodePtr SurfaceOfRows(const std::vector<std::vector<double>>& rows) {
    auto heights = std::make_unique<ListNode>();
    for (const auto& row : rows) {
        auto items = std::make_unique<ListNode>();
        for (double z : row)
            items->AppendChild(std::make_unique<MachineRealNode>(z));
        heights->AppendChild(std::move(items));
    }
    return std::make_unique<SurfaceGraphicsNode>(std::move(heights));
}

// The surface of `f` sampled at `n` + 1 points each way: rows along y, items along x.
inline NodePtr SampledSurface(const Surface& f, double x0, double x1, double y0, double y1, int n) {
    std::vector<std::vector<double>> rows;
    for (int r = 0; r <= n; ++r) {
        std::vector<double>& row = rows.emplace_back();
        for (int c = 0; c <= n; ++c)
            row.push_back(f(x0 + (x1 - x0) * c / n, y0 + (y1 - y0) * r / n));
    }
    return SurfaceOfRows(rows);
}

} // namespace plottest
