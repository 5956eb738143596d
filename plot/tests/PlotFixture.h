#pragma once

// What the plot tests share: the real fonts, drawing layer and layout with the math boxes and the
// plots registered, a 96-dpi view, the helpers that build graphics the way the kernel sends
// them (curves and surfaces, SampledGraphics.h), and the framing, saving and loading of
// primitive records.

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
#include "plot/tests/SampledGraphics.h"

#include <cmath>
#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

namespace plottest {

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
