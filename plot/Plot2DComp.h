#pragma once

// The two-dimensional plot ("2Plt"). It keeps the computed curves as stored 2-D primitives,
// computes its axes and their ticks from the ranges, maps plot coordinates to pixels of its
// picture, draws, and reads and writes its record.
//
// To compute, the plot converts itself into a `Plot2DNode`, which goes to the kernel; the
// answer's graphics reach `SetGraphics`. The primitive store holds the axes' list first (made
// by the scaling), then one list per curve.
//
// Margins: the room around the plotting area inside the picture, kept (and stored) in pixels
// of the 96-dpi screen and scaled to the resolution of whatever the plot draws on, so a printed
// plot has the same proportions as the one on screen.

#include "plot/PlotComp.h"
#include "plot/PrimStore.h"

#include <cstdint>
#include <memory>

// How one axis is divided: the tick step, where the other axis crosses it, and the margins
// before and after it (in points). An axis whose range is empty, reversed or not finite has no
// step (0) and gets no ticks.
struct AxisScale {
    double step = 0.0;
    double crossing = 0.0;
    int32_t marginBefore = 20; // left, or bottom for the vertical axis
    int32_t marginAfter = 20;  // right, or top
    // The labels go on the far side: right of the vertical axis, above the horizontal one.
    bool labelsAfter = false;

    bool HasTicks() const { return step > 0.0; }
};

// `before`/`after` are the margins (points) for a range that holds 0 and for the side the labels
// take otherwise: the horizontal axis uses 20 and 48, the vertical 12 and 24.
AxisScale ScaleAxis(double min, double max, int32_t inside, int32_t labelSide);

// The tick values of an axis from its crossing outwards (down, then up), never the crossing
// itself, none beyond the range; at most `kMaxTicks` each way.
inline constexpr int32_t kMaxTicks = 1000;
std::vector<double> TickValues(const AxisScale& scale, double min, double max);

class Plot2DComp final : public PlotComp, public PlotMapping {
public:
    Plot2DComp() = default;
    explicit Plot2DComp(CompArray boxes) : PlotComp(std::move(boxes)) {}
    ~Plot2DComp() override;

    OwnedComponent Clone() const override;
    TypeTag GetTypeTag() const override { return tags::Plot2D; }
    ExprNode* ToExpression() override;
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;

    bool SetGraphics(NodePtr graphics) override;
    bool EditOptions(QWidget* parent) override;
    void UpdateSize() override;
    void SwapGraphics(TextComp& other) override;

    // Pixels within the picture; saturated far outside it, and never from a non-finite value.
    Point ToDevice(double x, double y) const;
    Point2D FromDevice(double px, double py) const;

    // PlotMapping: the picture's pixels moved to where it is being drawn.
    Point Map(const Point2D& p) const override;
    Point2D Unmap(Point p) const override;

    // Takes new ranges and drops the computed curves: only the axes remain until the plot is
    // computed again (what confirmed options do).
    void ApplyOptions(const Str31& xName, double xMin, double xMax, const Str31& yName, double yMin,
                      double yMax);

    const PrimStore* Primitives() const { return m_prims.get(); }
    // Left, top, right, bottom margins in 96-dpi pixels.
    Rect Margins() const { return Rect(m_left, m_top, m_right, m_bottom); }

protected:
    void DrawPicture(Point topLeft) override;
    void EnsurePrimitives() override;

private:
    // A new store holding the axes and ticks of the current ranges; sets the margins.
    std::unique_ptr<PrimStore> Scale();
    // A margin in pixels of the current drawing.
    int32_t Scaled(int32_t margin, bool across) const;

    std::unique_ptr<PrimStore> m_prims;
    int32_t m_left = 0;
    int32_t m_right = 0;
    int32_t m_top = 0;
    int32_t m_bottom = 0;
    Point m_drawAt; // where the picture's top-left corner is being drawn
};
