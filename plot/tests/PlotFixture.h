#pragma once

// What the plot tests share: the real fonts, drawing layer and layout with the math boxes and the
// plots registered, a 96-dpi view, the helpers that build graphics the way the kernel sends
// them (curves and surfaces), and the framing, saving and loading of primitive records.

#include "document/tests/StreamBytes.h"
#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "expr/symbols/BuiltinNames.h"
#include "mathbox/parser/ExprParser.h"
#include "mathbox/tests/BoxFixture.h"
#include "plot/GraphicsNodes.h"
#include "plot/Plot2DComp.h"
#include "plot/PlotKinds.h"
#include "plot/Prims3D.h"

#include <cmath>
#include <functional>
#include <memory>
#include <type_traits>
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

// A primitive record: code, length (its own 4 bytes and the body), body.
inline streambytes::Bytes PrimRecord(int32_t code, const streambytes::Bytes& body) {
    return streambytes::Builder().I32(code).I32(static_cast<int32_t>(body.size()) + 4).Append(body);
}

// The record of a 2-D or 3-D primitive as its list writes it.
template <typename Prim>
streambytes::Bytes SavedPrim(const Prim& prim) {
    return streambytes::Save([&](DocStream& s) {
        if constexpr (std::is_base_of_v<GraphicsPrim3D, Prim>)
            s.WritePrimitive3D(prim);
        else
            s.WritePrimitive2D(prim);
    });
}

// The primitive a record reads back as, `Prim` being `GraphicsPrim` or `GraphicsPrim3D`; null
// for a code no kind answers.
template <typename Prim>
std::unique_ptr<Prim> LoadedPrim(const streambytes::Bytes& bytes) {
    std::unique_ptr<StoredPrim> read;
    streambytes::Load(bytes, [&](DocStream& s) {
        if constexpr (std::is_same_v<Prim, GraphicsPrim3D>)
            read = s.ReadPrimitive3D();
        else
            read = s.ReadPrimitive2D();
    });
    return std::unique_ptr<Prim>(static_cast<Prim*>(read.release()));
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
