#include "plot/Plot2DComp.h"

#include "document/DocStream.h"
#include "expr/LeafNodes.h"
#include "mathbox/BoxSource.h"
#include "mathbox/PaintPort.h"
#include "plot/GraphicsNodes.h"
#include "plot/PlotDialogs.h"
#include "plot/PlotSize.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Device coordinates saturate here: far enough outside any picture that a line towards such a
// point leaves it at the right angle, near enough that no drawing layer overflows.
constexpr double kFar = 1'000'000.0;

int32_t Saturate(double value) {
    if (std::isnan(value)) return 0;
    return static_cast<int32_t>(std::clamp(std::trunc(value), -kFar, kFar));
}

// A tick lands on the range's end even when adding steps came out a hair beyond it.
double Slack(double step) {
    return step * 1e-9;
}

int16_t StoredMargin(int32_t value) {
    return static_cast<int16_t>(std::clamp<int32_t>(value, 0, std::numeric_limits<int16_t>::max()));
}

} // namespace

AxisScale ScaleAxis(double min, double max, int32_t inside, int32_t labelSide) {
    AxisScale scale;
    scale.marginBefore = inside;
    scale.marginAfter = inside;
    if (!IsSoundRange(min, max)) {
        scale.crossing = std::isfinite(min) ? min : 0.0;
        return scale;
    }
    const double step = TickStep(min, max, {0.5, 0.2, 0.1});
    scale.step = step;
    if (min < 0 && 0 < max) {
        scale.crossing = 0.0;
    } else if (min >= 0) {
        double x0 = std::floor(min / step) * step;
        if (x0 < min) x0 = (std::floor(min / step) + 1) * step;
        scale.crossing = x0;
        scale.marginBefore = labelSide;
    } else {
        double x0 = (std::floor(max / step) + 1) * step;
        if (x0 > max) x0 = std::floor(max / step) * step;
        scale.crossing = x0;
        scale.marginAfter = labelSide;
        scale.labelsAfter = true;
    }
    return scale;
}

std::vector<double> TickValues(const AxisScale& scale, double min, double max) {
    std::vector<double> values;
    if (!scale.HasTicks()) return values;
    const double slack = Slack(scale.step);
    for (int32_t direction : {-1, 1}) {
        double previous = scale.crossing;
        for (int32_t k = 1; k <= kMaxTicks; ++k) {
            const double value = scale.crossing + direction * k * scale.step;
            // A step too small to move a large value would repeat it for ever.
            if (value == previous) break;
            if (direction < 0 ? value < min - slack : value > max + slack) break;
            values.push_back(value);
            previous = value;
        }
    }
    return values;
}

Plot2DComp::~Plot2DComp() = default;

OwnedComponent Plot2DComp::Clone() const {
    auto copy = std::make_unique<Plot2DComp>();
    copy->CopyListsAndRanges(*this);
    if (m_prims) copy->m_prims = m_prims->Clone();
    copy->m_left = m_left;
    copy->m_right = m_right;
    copy->m_top = m_top;
    copy->m_bottom = m_bottom;
    return OwnedComponent(copy.release());
}

ExprNode* Plot2DComp::ToExpression() {
    auto node = std::make_unique<Plot2DNode>(BoxSource(*this));
    node->SetXRange(SymbolNode::FromName(m_xName.View()), std::make_unique<MachineRealNode>(m_xMin),
                    std::make_unique<MachineRealNode>(m_xMax));
    node->SetYRange(SymbolNode::FromName(m_yName.View()), std::make_unique<MachineRealNode>(m_yMin),
                    std::make_unique<MachineRealNode>(m_yMax));
    for (int32_t n = 1; n <= GetListCount(); ++n)
        node->AddFunction(ListExpression(*GetList(n)));
    return node.release();
}

// --- Scaling and mapping ---

std::unique_ptr<PrimStore> Plot2DComp::Scale() {
    const AxisScale x = ScaleAxis(m_xMin, m_xMax, 20, 48);
    const AxisScale y = ScaleAxis(m_yMin, m_yMax, 12, 24);
    // Margins are kept in screen pixels; see the class comment.
    auto screen = [](int32_t points) { return points * PaintPort::kScreenDpi / 72; };
    m_left = screen(x.marginBefore);
    m_right = screen(x.marginAfter);
    m_bottom = screen(y.marginBefore);
    m_top = screen(y.marginAfter);

    auto store = std::make_unique<PrimStore>();
    store->BeginList();
    const Point2D crossing{x.crossing, y.crossing};
    const int32_t hSide = y.labelsAfter ? 1 : 0;
    const int32_t vSide = x.labelsAfter ? 1 : 0;
    for (double value : TickValues(x, m_xMin, m_xMax))
        store->AddPrim(std::make_unique<HTickPrim>(Point2D{value, crossing.y}, hSide));
    for (double value : TickValues(y, m_yMin, m_yMax))
        store->AddPrim(std::make_unique<VTickPrim>(Point2D{crossing.x, value}, vSide));
    if (x.HasTicks() && y.HasTicks()) {
        store->AddPrim(
            std::make_unique<LinePrim>(Point2D{m_xMin, crossing.y}, Point2D{m_xMax, crossing.y}));
        store->AddPrim(
            std::make_unique<LinePrim>(Point2D{crossing.x, m_yMax}, Point2D{crossing.x, m_yMin}));
    }
    store->EndList();
    return store;
}

void Plot2DComp::EnsurePrimitives() {
    if (!m_prims) m_prims = Scale();
}

int32_t Plot2DComp::Scaled(int32_t margin, bool across) const {
    const int32_t dpi = gDrawPort != nullptr
                            ? (across ? gDrawPort->GetResolutionX() : gDrawPort->GetResolutionY())
                            : PaintPort::kScreenDpi;
    return static_cast<int32_t>(int64_t{margin} * dpi / PaintPort::kScreenDpi);
}

Point Plot2DComp::ToDevice(double x, double y) const {
    const int32_t left = Scaled(m_left, true);
    const int32_t top = Scaled(m_top, false);
    // Margins that leave no room still leave one pixel to divide by.
    const int32_t w = std::max(1, m_width - left - Scaled(m_right, true));
    const int32_t h = std::max(1, m_height - top - Scaled(m_bottom, false));
    const double px = IsSoundRange(m_xMin, m_xMax) ? (x - m_xMin) * w / (m_xMax - m_xMin) + left
                                                   : static_cast<double>(left);
    const double v = IsSoundRange(m_yMin, m_yMax) ? (m_yMin - y) * h / (m_yMax - m_yMin) : 0.0;
    return Point(Saturate(px), Saturate(std::trunc(v) + top + h));
}

Point2D Plot2DComp::FromDevice(double px, double py) const {
    const int32_t left = Scaled(m_left, true);
    const int32_t top = Scaled(m_top, false);
    const int32_t w = std::max(1, m_width - left - Scaled(m_right, true));
    const int32_t h = std::max(1, m_height - top - Scaled(m_bottom, false));
    return Point2D{m_xMin + (m_xMax - m_xMin) * (px - left) / w,
                   m_yMin - (py - top - h) * (m_yMax - m_yMin) / h};
}

Point Plot2DComp::Map(const Point2D& p) const {
    const Point at = ToDevice(p.x, p.y);
    return Point(at.x + m_drawAt.x, at.y + m_drawAt.y);
}

Point2D Plot2DComp::Unmap(Point p) const {
    return FromDevice(p.x - m_drawAt.x, p.y - m_drawAt.y);
}

// --- Graphics, options, picture ---

bool Plot2DComp::SetGraphics(NodePtr graphics) {
    const auto* node = dynamic_cast<const GraphicsNode*>(graphics.get());
    if (node == nullptr || !node->IsTwoD()) return false;
    std::unique_ptr<PrimStore> store = Scale();
    store->AddGraphics(*node);
    m_prims = std::move(store);
    DropPicture();
    InvalidateLayout();
    return true;
}

void Plot2DComp::ApplyOptions(const Str31& xName, double xMin, double xMax, const Str31& yName,
                              double yMin, double yMax) {
    m_xName = xName;
    m_xMin = xMin;
    m_xMax = xMax;
    m_yName = yName;
    m_yMin = yMin;
    m_yMax = yMax;
    m_prims = Scale();
    DropPicture();
    InvalidateLayout();
}

bool Plot2DComp::EditOptions(QWidget* parent) {
    PlotParams2DDialog dialog(m_xName, m_xMin, m_xMax, m_yName, m_yMin, m_yMax, parent);
    if (!dialog.Run()) return false;
    const PlotParams2DDialog::Values v = dialog.GetValues();
    ApplyOptions(v.xName, v.xMin, v.xMax, v.yName, v.yMin, v.yMax);
    return true;
}

void Plot2DComp::UpdateSize() {
    m_width = CurrentPlotSize().FrameWidth2D();
    m_height = CurrentPlotSize().FrameHeight2D();
}

void Plot2DComp::DrawPicture(Point topLeft) {
    EnsurePrimitives();
    CurrentPlotSize().SelectLabelFont(true);
    m_drawAt = topLeft;
    m_prims->DrawAll(*this);
}

void Plot2DComp::SwapGraphics(TextComp& other) {
    auto* plot = dynamic_cast<Plot2DComp*>(&other);
    if (plot == nullptr) return;
    std::swap(m_prims, plot->m_prims);
    std::swap(m_left, plot->m_left);
    std::swap(m_right, plot->m_right);
    std::swap(m_top, plot->m_top);
    std::swap(m_bottom, plot->m_bottom);
    DropPicture();
    plot->DropPicture();
    InvalidateLayout();
}

// --- Record ---

void Plot2DComp::Write(DocStream& stream) const {
    WriteRanges(stream);
    WriteFunctions(stream);
    if (m_prims)
        m_prims->Write(stream);
    else
        stream.WriteShort(0);
    stream.WriteShort(StoredMargin(m_left));
    stream.WriteShort(StoredMargin(m_top));
    stream.WriteShort(StoredMargin(m_right));
    stream.WriteShort(StoredMargin(m_bottom));
}

void Plot2DComp::Read(DocStream& stream) {
    ReadRanges(stream);
    ReadFunctions(stream);
    const int32_t lists = stream.ReadShort();
    if (lists > 0) {
        auto store = std::make_unique<PrimStore>();
        store->Read(stream, lists);
        m_prims = std::move(store);
    }
    // A damaged margin below zero counts as none.
    m_left = std::max<int32_t>(0, stream.ReadShort());
    m_top = std::max<int32_t>(0, stream.ReadShort());
    m_right = std::max<int32_t>(0, stream.ReadShort());
    m_bottom = std::max<int32_t>(0, stream.ReadShort());
    InvalidateAll();
}
