// Plots computed by the stand-in kernel program in its own process: a plot converts itself, the
// kernel samples its functions, and the answer's graphics become the plot's primitives, from the
// plot's own request and through the calculation the kernel offers for a selected plot (with
// undo and redo). Curves keep to the y range, functions without real values leave gaps, and a
// plot the kernel cannot compute keeps the curves it showed.

#include "document/tests/StreamBytes.h"
#include "kernel/KernelSession.h"
#include "kernel/tests/EvaluationDocument.h"
#include "kernel/tests/LocalKernel.h"
#include "mathbox/MathBoxes.h"
#include "plot/Plot2DComp.h"
#include "plot/Plot3DComp.h"
#include "plot/PlotKinds.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using kerneltest::DocumentInView;

// Every point of the curves, list by list (the axes' list left out).
std::vector<std::vector<Point2D>> CurvePoints(const Plot2DComp& plot) {
    std::vector<std::vector<Point2D>> out;
    const PrimStore* store = plot.Primitives();
    if (store == nullptr) return out;
    for (int32_t l = 1; l < store->GetListCount(); ++l) {
        out.emplace_back();
        const PrimList& list = *store->GetList(l);
        for (int32_t i = 0; i < list.GetCount(); ++i) {
            if (const auto* poly = dynamic_cast<const PolylinePrim*>(list.GetAt(i)))
                out.back().insert(out.back().end(), poly->Points().begin(), poly->Points().end());
            if (const auto* line = dynamic_cast<const LinePrim*>(list.GetAt(i))) {
                out.back().push_back(line->From());
                out.back().push_back(line->To());
            }
        }
    }
    return out;
}

class PlotProcess : public kerneltest::LocalKernelTest, public DocumentInView {
protected:
    void SetUp() override {
        LocalKernelTest::SetUp();
        StartKernel();
    }

    // A plot of the typed function over the ranges, alone in paragraph 2.
    Plot2DComp* NewPlot(std::function<void(CompList&)> type, double xMin, double xMax, double yMin,
                        double yMax) {
        auto plot = std::make_unique<Plot2DComp>();
        type(*plot->GetList(1));
        plot->SetXRange(Str31("x"), xMin, xMax);
        plot->SetYRange(Str31("y"), yMin, yMax);
        return Alone(std::move(plot));
    }

    Plot3DComp* NewPlot3D(std::string_view typed, double zMin, double zMax) {
        auto plot = std::make_unique<Plot3DComp>();
        Type(*plot->GetList(1), typed);
        plot->SetZRange(Str31("z"), zMin, zMax);
        return Alone(std::move(plot));
    }

    // Puts the plot alone in paragraph 2, lays the document out and selects the plot.
    template <typename Plot>
    Plot* Alone(std::unique_ptr<Plot> plot) {
        Plot* raw = plot.get();
        CompList* line = List(2);
        line->SetAt(plot.release(), 1);
        while (line->GetCount() > 1)
            line->RemoveAt(2);
        seq.PlaceAll(false);
        view.selection = Range(line, 1, 2);
        return raw;
    }

    // Runs the calculation the kernel offers as "Plot" for the selected plot, as the view runs
    // a chosen offer, and answers where the offer puts its answer.
    void RunOfferedPlot(int32_t& placement) {
        ExprHolder tree = TreeOf(List(2));
        ExprNode* input = tree.Get();
        kernel::CandidateRecords records;
        const int32_t count = session->EvaluateEval(*input, records);
        const kernel::CandidateRecord* offered = nullptr;
        for (int32_t i = 0; i < count; ++i)
            if (records[static_cast<size_t>(i)].text.View() == "Plot")
                offered = &records[static_cast<size_t>(i)];
        ASSERT_NE(offered, nullptr);
        placement = offered->second;
        ASSERT_TRUE(slot.DoAction(
            MakeAction<kernel::EvaluateAction>(view, *session, view.selection, offered->value,
                                               offered->second, std::move(tree), input)));
    }

    // What the view does on a press on "Plot".
    bool Compute(PlotComp& plot) {
        NodePtr request(plot.ToExpression());
        return plot.SetResult(session->ComputePlot(*request));
    }

    static void Type(CompList& list, std::string_view text) { fakes::AppendChars(list, text); }

    PlotKinds plots;
};

TEST_F(PlotProcess, ALineIsSampledAcrossItsRange) {
    Plot2DComp* plot = NewPlot([](CompList& l) { Type(l, "x"); }, -1, 1, -1, 1);
    ASSERT_TRUE(Compute(*plot));
    const auto curves = CurvePoints(*plot);
    ASSERT_EQ(curves.size(), 1u);
    ASSERT_GT(curves[0].size(), 100u);
    EXPECT_DOUBLE_EQ(curves[0].front().x, -1);
    EXPECT_DOUBLE_EQ(curves[0].back().x, 1);
    for (const Point2D& p : curves[0])
        EXPECT_NEAR(p.y, p.x, 1e-9);
}

TEST_F(PlotProcess, CurvesNeverLeaveTheYRangeAndGapsStayGaps) {
    Plot2DComp* reciprocal = NewPlot([](CompList& l) { Type(l, "1/x"); }, -2, 2, -3, 3);
    ASSERT_TRUE(Compute(*reciprocal));
    auto curves = CurvePoints(*reciprocal);
    ASSERT_EQ(curves.size(), 1u);
    ASSERT_FALSE(curves[0].empty());
    for (const Point2D& p : curves[0]) {
        EXPECT_GE(p.y, -3);
        EXPECT_LE(p.y, 3);
    }
    // Two branches: the pole splits the curve.
    EXPECT_GE(reciprocal->Primitives()->GetList(1)->GetCount(), 2);

    Plot2DComp* root = NewPlot(
        [](CompList& l) {
            BoxList x;
            x.AddGlyphs("x");
            l.Append(gBoxFactory->SqrtComp(std::move(x), BoxList(), false).release());
        },
        -1, 1, -1, 1);
    ASSERT_TRUE(Compute(*root));
    curves = CurvePoints(*root);
    ASSERT_EQ(curves.size(), 1u);
    ASSERT_FALSE(curves[0].empty());
    for (const Point2D& p : curves[0]) {
        EXPECT_GE(p.x, -1e-9);
        EXPECT_NEAR(p.y, std::sqrt(std::max(p.x, 0.0)), 1e-9);
    }
}

TEST_F(PlotProcess, APlotThatCannotBeComputedKeepsItsCurves) {
    Plot2DComp* plot = NewPlot([](CompList& l) { Type(l, "x"); }, -1, 1, -1, 1);
    ASSERT_TRUE(Compute(*plot));
    const auto before = Saved();
    // Equal ends: nothing to sample.
    plot->SetXRange(Str31("x"), 1, 1);
    const auto ranges = Saved();
    EXPECT_FALSE(Compute(*plot));
    EXPECT_EQ(Saved(), ranges);
    EXPECT_EQ(CurvePoints(*plot).size(), 1u);
    EXPECT_NE(before, ranges);
}

TEST_F(PlotProcess, TheOfferedPlotGoesIntoTheSelectedPlotWithUndo) {
    Plot2DComp* plot = NewPlot([](CompList& l) { Type(l, "x"); }, -1, 1, -1, 1);
    const auto before = Saved();
    int32_t placement = 0;
    ASSERT_NO_FATAL_FAILURE(RunOfferedPlot(placement));
    EXPECT_EQ(placement, kernel::placement::kIntoPlot);
    // No new paragraph: the curves went into the plot.
    EXPECT_EQ(seq.GetCount(), 3);
    EXPECT_EQ(seq.GetAt(2)->GetList(1)->GetAt(1), plot);
    EXPECT_EQ(CurvePoints(*plot).size(), 1u);
    EXPECT_NE(Saved(), before);
    ExpectUndoAndRedo(before);
}

TEST_F(PlotProcess, ASurfaceIsSampledOverBothRangesAndClampedToTheValueRange) {
    Plot3DComp* plot = NewPlot3D("x+y", -1, 1.5);
    ASSERT_TRUE(Compute(*plot));
    const PrimStore3D& store = *plot->Primitives();
    // The box's grid and labels, then the surface.
    ASSERT_EQ(store.GetListCount(), 3);
    const auto* surface = dynamic_cast<const SurfacePrim3D*>(store.GetList(2)->GetAt(0));
    ASSERT_NE(surface, nullptr);
    EXPECT_GT(surface->Rows(), 10);
    EXPECT_EQ(surface->Rows(), surface->Columns());
    for (const Point3D& p : surface->Points())
        EXPECT_NEAR(p.z, std::clamp(p.x + p.y, -1.0, 1.5), 1e-9);
    EXPECT_EQ(surface->Points().front(), (Point3D{-1, -1, -1}));
    EXPECT_EQ(surface->Points().back(), (Point3D{1, 1, 1.5}));

    // A stored plot keeps its surface.
    auto stored = [](const Plot3DComp& p) {
        return streambytes::Save([&](DocStream& s) { p.Write(s); });
    };
    Plot3DComp copy;
    streambytes::Load(stored(*plot), [&](DocStream& s) { copy.Read(s); });
    EXPECT_EQ(stored(copy), stored(*plot));
}

TEST_F(PlotProcess, TheOfferedPlotGoesIntoASelected3DPlotWithUndo) {
    Plot3DComp* plot = NewPlot3D("x*y", -1, 1);
    const auto before = Saved();
    int32_t placement = 0;
    ASSERT_NO_FATAL_FAILURE(RunOfferedPlot(placement));
    EXPECT_EQ(placement, kernel::placement::kIntoPlot);
    EXPECT_EQ(seq.GetAt(2)->GetList(1)->GetAt(1), plot);
    EXPECT_EQ(plot->Primitives()->GetListCount(), 3);
    EXPECT_NE(Saved(), before);
    ExpectUndoAndRedo(before);
}

} // namespace
