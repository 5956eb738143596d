// A computed 2-D plot of 10,000 sample points in three curves, in the same run as its peers:
// - redrawing the plot into a view's backing image (frame, axes, ticks and labels, the three
//   curves antialiased), beside QPainter::drawPolyline drawing the same device points with the
//   same pens into the same image; the goal is at most 1.5 times the peer's time;
// - reading the kernel's answer (a "TYTwoDPlot" with its "Graphics") from a loopback link and
//   turning it into stored primitives, beside the get side's raw walk over the same answer
//   that gets every real number; the goal is a point rate of at least half the raw rate, a ratio
//   of at most 2. The plot's time includes freeing its primitives.
// The ratio table at the end gives plot time over peer time for each case. Answers are written
// outside the timed region.

#include "Loopback.h"
#include "PeerRatio.h"
#include "bench/ImageView.h"
#include "bench/RealServices.h"
#include "expr/LinkReader.h"
#include "expr/symbols/BuiltinNames.h"
#include "plot/Plot2DComp.h"
#include "plot/PlotKinds.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>
#include <QPolygonF>

#include <cmath>
#include <cstdlib>

namespace {

constexpr int32_t kCurves = 3;
constexpr int32_t kPointsPerCurve = 3334; // 10,002 points in all
constexpr int64_t kPoints = int64_t{kCurves} * kPointsPerCurve;

double CurveValue(int32_t curve, double x) {
    switch (curve) {
    case 0:
        return std::sin(3 * x);
    case 1:
        return 0.5 * x * x - 1;
    default:
        return std::cos(7 * x) * std::exp(-x * x / 4);
    }
}

double XAt(int32_t i) {
    return -3.0 + 6.0 * i / (kPointsPerCurve - 1);
}

// TYTwoDPlot[{f, g, h}, {x, -3, 3}, {y, -2, 2}, Graphics[{{Line[points]}, ...}]]
void PutAnswer(QKLINK link) {
    QKPutFunction(link, "TYTwoDPlot", 4);
    QKPutFunction(link, "List", 3);
    for (const char* f : {"f", "g", "h"})
        QKPutSymbol(link, f);
    for (const char* v : {"x", "y"}) {
        QKPutFunction(link, "List", 3);
        QKPutSymbol(link, v);
        QKPutDouble(link, v[0] == 'x' ? -3.0 : -2.0);
        QKPutDouble(link, v[0] == 'x' ? 3.0 : 2.0);
    }
    QKPutFunction(link, "Graphics", 1);
    QKPutFunction(link, "List", kCurves);
    for (int32_t c = 0; c < kCurves; ++c) {
        QKPutFunction(link, "List", 1);
        QKPutFunction(link, "Line", 1);
        QKPutFunction(link, "List", kPointsPerCurve);
        for (int32_t i = 0; i < kPointsPerCurve; ++i) {
            QKPutFunction(link, "List", 2);
            QKPutDouble(link, XAt(i));
            QKPutDouble(link, CurveValue(c, XAt(i)));
        }
    }
    QKEndPacket(link);
    QKFlush(link);
}

// Every token as a reader sees it, every real got as a double.
int64_t WalkReals(QKLINK link) {
    int64_t owed = 1;
    int64_t reals = 0;
    while (owed > 0) {
        const int32_t type = QKGetNext(link);
        --owed;
        if (type == QKTOK_FUNCTION) {
            int32_t count = 0;
            QKGetArgCount(link, &count);
            owed += count + 1;
        } else if (type == QKTOK_REAL) {
            double value = 0;
            QKGetDouble(link, &value);
            ++reals;
        } else if (type == QKTOK_SYMBOL) {
            const char* name = nullptr;
            if (QKGetSymbol(link, &name)) QKDisownSymbol(link, name);
        } else {
            break;
        }
    }
    return reals;
}

// The services a plot needs, and a computed plot laid out in a view.
struct PlotScene {
    PlotScene() {
        port.BeginWindowDraw(view);
        tessary::bench::Loopback loop{1, 7};
        PutAnswer(loop.link);
        plot.SetResult(ReadExprFromLink(loop.link));
        plot.Layout();
        plot.SetOrigin(Point(20, 20 + plot.PictureHeight() + 26));
        port.EndDraw();
    }

    BuiltinNamesScope names;
    tessary::bench::RealLayout services;
    PaintPort& port = services.drawing.Port();
    PlotKinds kinds;
    ImageView view{800, 700};
    Plot2DComp plot;
};

void RedrawPlot(benchmark::State& state) {
    PlotScene scene;
    for (auto _ : state) {
        scene.port.BeginWindowDraw(scene.view);
        scene.port.EraseRect(scene.plot.GetFrame());
        scene.plot.Draw();
        scene.port.EndDraw();
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}

void RedrawPeer(benchmark::State& state) {
    PlotScene scene;
    // The plot's own device points and pens.
    std::vector<QPolygonF> curves;
    scene.port.BeginWindowDraw(scene.view);
    const Rect picture = scene.plot.PictureRect();
    scene.port.EndDraw();
    for (int32_t c = 0; c < kCurves; ++c) {
        QPolygonF polygon;
        for (int32_t i = 0; i < kPointsPerCurve; ++i) {
            const Point p = scene.plot.ToDevice(XAt(i), CurveValue(c, XAt(i)));
            polygon.append(QPointF(picture.left + p.x + 0.5, picture.top + p.y + 0.5));
        }
        curves.push_back(polygon);
    }
    QImage& image = scene.view.BackingImage();
    const Rect frame = scene.plot.GetFrame();
    for (auto _ : state) {
        QPainter painter(&image);
        painter.fillRect(QRect(frame.left, frame.top, frame.Width(), frame.Height()), Qt::white);
        painter.setRenderHint(QPainter::Antialiasing, true);
        for (int32_t c = 0; c < kCurves; ++c) {
            const uint32_t bgr = PrimStore::ListColor(c + 1);
            painter.setPen(QPen(QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF), 1.25,
                                Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawPolyline(curves[static_cast<size_t>(c)]);
        }
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}

void ParsePlot(benchmark::State& state) {
    BuiltinNamesScope names;
    PlotKinds kinds;
    tessary::bench::Loopback loop{1, 7};
    int32_t lists = 0;
    for (auto _ : state) {
        state.PauseTiming();
        PutAnswer(loop.link);
        Plot2DComp plot;
        state.ResumeTiming();
        plot.SetResult(ReadExprFromLink(loop.link));
        lists = plot.Primitives() != nullptr ? plot.Primitives()->GetListCount() : 0;
    }
    if (QKError(loop.link) != 0 || lists != kCurves + 1) state.SkipWithError("wrong plot read");
    state.SetItemsProcessed(state.iterations() * kPoints);
}

void ParsePeer(benchmark::State& state) {
    tessary::bench::Loopback loop{1, 7};
    int64_t reals = 0;
    for (auto _ : state) {
        state.PauseTiming();
        PutAnswer(loop.link);
        state.ResumeTiming();
        reals = WalkReals(loop.link);
    }
    if (QKError(loop.link) != 0 || reals != 2 * kPoints + 4) state.SkipWithError("wrong reals");
    state.SetItemsProcessed(state.iterations() * kPoints);
}

BENCHMARK(RedrawPlot)->Name("plot/redraw 10000 points")->Unit(benchmark::kMillisecond);
BENCHMARK(RedrawPeer)->Name("peer/redraw 10000 points")->Unit(benchmark::kMillisecond);
BENCHMARK(ParsePlot)->Name("plot/parse 10000 points")->Unit(benchmark::kMillisecond);
BENCHMARK(ParsePeer)->Name("peer/parse 10000 points")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    return tessary::bench::runWithPeerRatios(argc, argv, "plot", "peer");
}
