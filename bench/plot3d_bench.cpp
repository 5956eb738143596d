// Turning a computed 3-D plot, in the same run as its peer:
// - one rotation step of a 50 x 50 surface (5,000 triangles) as a drag makes it: the view
//   turned, the box's grid and labels rebuilt, every point transformed, the triangles sorted
//   and shaded, the preview (trackball, grids, surface, labels) drawn into a view's backing
//   image;
// - beside QPainter drawing the same 5,000 triangles, already transformed, sorted and shaded,
//   into the same image with the same pens and brushes.
// The goal is at most 2 times the peer's time, so that dragging keeps pace with the mouse. The
// ratio table at the end gives plot time over peer time.

#include "PeerRatio.h"
#include "bench/BenchView.h"
#include "bench/RealServices.h"
#include "document/CompSequence.h"
#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "expr/symbols/BuiltinNames.h"
#include "plot/GraphicsNodes.h"
#include "plot/Plot3DComp.h"
#include "plot/PlotKinds.h"
#include "plot/RotationTracker.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>

#include <cmath>
#include <cstdlib>

namespace {

constexpr int32_t kCells = 50;
constexpr int64_t kTriangles = int64_t{2} * kCells * kCells;

// SurfaceGraphics[rows of sin(x) cos(y)] over (-3, 3) both ways.
NodePtr Surface() {
    auto rows = std::make_unique<ListNode>();
    for (int32_t r = 0; r <= kCells; ++r) {
        auto row = std::make_unique<ListNode>();
        for (int32_t c = 0; c <= kCells; ++c)
            row->AppendChild(std::make_unique<MachineRealNode>(std::sin(-3.0 + 6.0 * c / kCells) *
                                                               std::cos(-3.0 + 6.0 * r / kCells)));
        rows->AppendChild(std::move(row));
    }
    return std::make_unique<SurfaceGraphicsNode>(std::move(rows));
}

// The services a plot needs, and a computed plot laid out in a view.
struct PlotScene {
    PlotScene() {
        port.BeginWindowDraw(view);
        plot.SetXRange(Str31("x"), -3, 3);
        plot.SetYRange(Str31("y"), -3, 3);
        plot.SetGraphics(Surface());
        plot.Layout();
        plot.SetOrigin(Point(20, 20 + plot.PictureHeight() + 26));
        port.EndDraw();
    }

    BuiltinNamesScope names;
    tessary::bench::RealLayout services;
    PaintPort& port = services.drawing.Port();
    PlotKinds kinds;
    // The tracker asks its view only for the modified mark; the plot draws into its image.
    CompSequence seq;
    BenchView view{seq};
    Plot3DComp plot;
};

void RotatePlot(benchmark::State& state) {
    PlotScene scene;
    scene.port.BeginWindowDraw(scene.view);
    std::unique_ptr<RotationTracker> tracker = RotationTracker::Start(scene.view, scene.plot);
    scene.port.EndDraw();
    if (!tracker) {
        state.SkipWithError("no tracker");
        return;
    }
    const Point centre = tracker->Centre();
    tracker->Begin(centre);
    int32_t step = 0;
    for (auto _ : state) {
        scene.port.BeginWindowDraw(scene.view);
        // Back and forth by 3 pixels: every move turns the plot.
        tracker->MouseMoved(Point(centre.x + (++step % 2 == 0 ? 0 : 3), centre.y));
        scene.port.EndDraw();
    }
    state.SetItemsProcessed(state.iterations() * kTriangles);
}

void RotatePeer(benchmark::State& state) {
    PlotScene scene;
    // The plot's own triangles as the renderer shades and sorts them.
    scene.port.BeginWindowDraw(scene.view);
    scene.plot.DrawAt(Point(scene.plot.PictureRect().left, scene.plot.PictureRect().top));
    const std::unique_ptr<prism3d::Collection> collection =
        scene.plot.Primitives()->BuildCollection(scene.plot);
    prism3d::Lighting lighting;
    const std::vector<prism3d::ShadedTriangle> triangles =
        prism3d::ShadeCollection(*collection, prism3d::GetMatrix(3), lighting);
    scene.port.EndDraw();
    if (static_cast<int64_t>(triangles.size()) != kTriangles) {
        state.SkipWithError("wrong triangle count");
        return;
    }
    std::vector<std::array<QPointF, 3>> corners;
    std::vector<QColor> colours;
    for (const prism3d::ShadedTriangle& t : triangles) {
        corners.push_back({QPointF(t.corners[0], t.corners[1]), QPointF(t.corners[2], t.corners[3]),
                           QPointF(t.corners[4], t.corners[5])});
        colours.push_back(ColorFromRef(t.color));
    }
    QImage& image = scene.view.BackingImage();
    const Rect picture = scene.plot.PictureRect();
    for (auto _ : state) {
        QPainter painter(&image);
        painter.fillRect(QRect(picture.left, picture.top, picture.Width(), picture.Height()),
                         Qt::white);
        QPen pen(Qt::black, 1.0);
        pen.setJoinStyle(Qt::BevelJoin);
        for (size_t i = 0; i < corners.size(); ++i) {
            pen.setColor(colours[i]);
            painter.setPen(pen);
            painter.setBrush(colours[i]);
            painter.drawConvexPolygon(corners[i].data(), 3);
        }
    }
    state.SetItemsProcessed(state.iterations() * kTriangles);
}

BENCHMARK(RotatePlot)->Name("plot/rotate 50x50 surface")->Unit(benchmark::kMillisecond);
BENCHMARK(RotatePeer)->Name("peer/rotate 50x50 surface")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    return tessary::bench::runWithPeerRatios(argc, argv, "plot", "peer");
}
