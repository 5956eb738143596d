#include "plot/Plot3DComp.h"

#include "document/DocStream.h"
#include "expr/FunctionNode.h"
#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "mathbox/BoxSource.h"
#include "mathbox/PaintPort.h"
#include "plot/GraphicsNodes.h"
#include "plot/PlotDialogs.h"
#include "plot/PlotPrims.h"
#include "plot/PlotSize.h"

#include <cmath>
#include <stdexcept>
#include <tuple>

namespace {

using prism3d::Fixed;
using prism3d::Matrix;
using prism3d::Point3d;

// The camera's default: the eye, and the up and right axes, each 210 long and perpendicular to
// the others.
const double kRoot = std::sqrt(39200.0);
const Point3d kEye{prism3d::ToFixed(-140.0), prism3d::ToFixed(70.0), prism3d::ToFixed(-140.0),
                   prism3d::kOne};
const Point3d kUp{prism3d::ToFixed(9800 / kRoot), prism3d::ToFixed(kRoot),
                  prism3d::ToFixed(9800 / kRoot), prism3d::kOne};
const Point3d kRight{prism3d::ToFixed(-210 * -140 / kRoot), 0, prism3d::ToFixed(210 * -140 / kRoot),
                     prism3d::kOne};

// (v - centre) * 32 / span of a box edge pair; 0 for a box without extent.
double Across(double v, double low, double high) {
    const double span = high - low;
    if (!(span > 0) || !std::isfinite(span)) return 0.0;
    return (v - (low + high) / 2) * 32 / span;
}

double Along(double v, double low, double high) {
    const double span = high - low;
    if (!(span > 0) || !std::isfinite(span)) return 0.0;
    return v * 32 / span;
}

// The 3 x 3 rotation block of a matrix made orthonormal again (rows, in order), so that
// rounding at every drag step cannot shear, shrink or mirror the picture; what cannot be
// repaired becomes the identity.
Matrix SoundRotation(const Matrix& m) {
    std::array<std::array<double, 3>, 3> r{};
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = 0; j < 3; ++j)
            r[i][j] = prism3d::ToDouble(m.m[i][j]);
    auto dot = [](const std::array<double, 3>& a, const std::array<double, 3>& b) {
        return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
    };
    bool sound = true;
    for (size_t i = 0; i < 3 && sound; ++i) {
        for (size_t k = 0; k < i; ++k) {
            const double d = dot(r[i], r[k]);
            for (size_t j = 0; j < 3; ++j)
                r[i][j] -= d * r[k][j];
        }
        const double length = std::sqrt(dot(r[i], r[i]));
        sound = length > 1e-3 && std::isfinite(length);
        for (double& v : r[i])
            v /= length;
    }
    Matrix out;
    prism3d::mIdentity(out);
    if (!sound) return out;
    // A proper rotation: the third row is the first two's cross product in this arithmetic.
    const std::array<double, 3> cross{r[0][1] * r[1][2] - r[0][2] * r[1][1],
                                      r[0][2] * r[1][0] - r[0][0] * r[1][2],
                                      r[0][0] * r[1][1] - r[0][1] * r[1][0]};
    r[2] = cross;
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = 0; j < 3; ++j)
            out.m[i][j] = prism3d::ToFixed(r[i][j]);
    return out;
}

// Whether a stored view is a rotation to the precision of its words.
bool IsRotation(const Matrix& m) {
    const Matrix sound = SoundRotation(m);
    for (size_t i = 0; i < 4; ++i)
        for (size_t j = 0; j < 4; ++j)
            if (std::abs(int64_t{sound.m[i][j]} - m.m[i][j]) > 64) return false;
    return true;
}

} // namespace

Str31 TickLabel3D(double value) {
    return std::abs(value) <= 1e-06 ? Str31("0.0") : FormatCoordinate(value);
}

double TickStep3D(double min, double max) {
    return TickStep(min, max, {0.5, 0.25, 0.1});
}

std::pair<double, double> BoxAround(double min, double max, double step) {
    if (!(step > 0)) return {min, max};
    double low = min - std::fmod(min, step);
    if (low > min) low -= step;
    double high = max - std::fmod(max, step);
    if (high < max) high += step;
    return {low, high};
}

Plot3DComp::Plot3DComp() {
    MakeLight();
}

Plot3DComp::Plot3DComp(CompArray boxes) : PlotComp(std::move(boxes)) {
    MakeLight();
}

Plot3DComp::~Plot3DComp() = default;

void Plot3DComp::MakeLight() {
    m_eye = kEye;
    m_up = kUp;
    m_right = kRight;
    prism3d::mIdentity(m_view);
    prism3d::mIdentity(m_projection);
    prism3d::mIdentity(m_transform);
    prism3d::LightSource source;
    prism3d::Set3dLtSource(source, 65535, 65535, 65535, 2.0, 0, 480.0, 0);
    m_lighting = prism3d::NewLighting(0, 0, 65535, 0.25, 1, source);
}

OwnedComponent Plot3DComp::Clone() const {
    auto copy = std::make_unique<Plot3DComp>();
    copy->CopyListsAndRanges(*this);
    copy->m_zName = m_zName;
    copy->m_zMin = m_zMin;
    copy->m_zMax = m_zMax;
    copy->m_boxMin = m_boxMin;
    copy->m_step = m_step;
    copy->m_boxMax = m_boxMax;
    copy->m_view = m_view;
    if (m_prims) copy->m_prims = m_prims->Clone();
    return OwnedComponent(copy.release());
}

ExprNode* Plot3DComp::ToExpression() {
    auto node = std::make_unique<Plot3DNode>(BoxSource(*this));
    node->SetFirstRange(SymbolNode::FromName(m_xName.View()),
                        std::make_unique<MachineRealNode>(m_xMin),
                        std::make_unique<MachineRealNode>(m_xMax));
    node->SetSecondRange(SymbolNode::FromName(m_yName.View()),
                         std::make_unique<MachineRealNode>(m_yMin),
                         std::make_unique<MachineRealNode>(m_yMax));
    node->SetValueRange(SymbolNode::FromName(m_zName.View()),
                        std::make_unique<MachineRealNode>(m_zMin),
                        std::make_unique<MachineRealNode>(m_zMax));
    for (int32_t n = 1; n <= GetListCount(); ++n)
        node->AddFunction(ListExpression(*GetList(n)));
    return node.release();
}

void Plot3DComp::SetZRange(const Str31& name, double min, double max) {
    m_zName = name;
    m_zMin = min;
    m_zMax = max;
    InvalidateLayout();
}

NodePtr Plot3DComp::MeshRangeOption() const {
    auto ranges = std::make_unique<ListNode>();
    ranges->AppendChild(MakeCoordinatesExpr(std::array<double, 2>{m_xMin, m_xMax}));
    ranges->AppendChild(MakeCoordinatesExpr(std::array<double, 2>{m_yMin, m_yMax}));
    auto options = std::make_unique<ListNode>();
    options->AppendChild(
        std::make_unique<RuleNode>(SymbolNode::FromName("MeshRange"), std::move(ranges)));
    return options;
}

// --- Model space ---

Point3d Plot3DComp::ToModel(const Point3D& p) const {
    // A point that is not there stays out of every facet and line; the rest saturate.
    if (!p.IsFinite()) return Point3d{};
    return Point3d{prism3d::ToFixed(Across(p.y, m_boxMin.y, m_boxMax.y)),
                   prism3d::ToFixed(Across(p.z, m_boxMin.z, m_boxMax.z)),
                   prism3d::ToFixed(-Across(p.x, m_boxMin.x, m_boxMax.x)), prism3d::kOne};
}

Point3d Plot3DComp::ScaleToModel(const Point3D& v) const {
    return Point3d{prism3d::ToFixed(Along(v.y, m_boxMin.y, m_boxMax.y)),
                   prism3d::ToFixed(Along(v.z, m_boxMin.z, m_boxMax.z)),
                   prism3d::ToFixed(Along(v.x, m_boxMin.x, m_boxMax.x)), prism3d::kOne};
}

void Plot3DComp::DrawLine(const Point3d& a, const Point3d& b) {
    prism3d::xfMovetoPt(a, m_transform);
    prism3d::xfLinetoPt(b, m_transform);
}

void Plot3DComp::DrawPolyline(std::span<const Point3d> points) {
    if (points.empty()) return;
    prism3d::xfMovetoPt(points.front(), m_transform);
    for (const Point3d& p : points.subspan(1))
        prism3d::xfLinetoPt(p, m_transform);
}

void Plot3DComp::DrawPoint(const Point3d& p) {
    prism3d::xfDrawPt(p, m_transform);
}

void Plot3DComp::DrawGrid(const Point3d& lower, const Point3d& upper, const Point3d& divisions,
                          const uint16_t* option) {
    prism3d::xfGrid(lower, upper, divisions, option, m_transform);
}

void Plot3DComp::DrawText(const Str31& text, const Point3d& at) {
    if (!at.IsThere()) return;
    prism3d::DrawString3d(at.x, at.y, at.z, text.ToCString().c_str());
}

// --- Box and axes ---

std::array<double, 3> Plot3DComp::EyeInModel() const {
    // The view is a rotation, so its transpose turns the eye back into model axes.
    Matrix turned = m_view;
    prism3d::mTranspose(turned);
    Point3d seen;
    prism3d::ApplyTransform(m_eye, seen, turned);
    return {prism3d::ToDouble(seen.x), prism3d::ToDouble(seen.y), prism3d::ToDouble(seen.z)};
}

std::array<int32_t, 3> Plot3DComp::BackFaces() const {
    const auto [u, v, w] = EyeInModel();
    return {u >= 0 ? 4 : 1, v <= 0 ? 3 : 0, w >= 0 ? 5 : 2};
}

void Plot3DComp::BuildAxes(PrimStore3D& store) {
    const auto [u, v, w] = EyeInModel();
    const double length = std::sqrt(u * u + v * v + w * w);
    const auto [fU, fV, fW] = BackFaces();

    const Point3D mins{m_xMin, m_yMin, m_zMin};
    const Point3D maxes{m_xMax, m_yMax, m_zMax};
    for (int32_t axis = 0; axis < 3; ++axis) {
        m_step[axis] = TickStep3D(mins[axis], maxes[axis]);
        std::tie(m_boxMin[axis], m_boxMax[axis]) = BoxAround(mins[axis], maxes[axis], m_step[axis]);
    }
    const auto [x0, y0, z0] = m_boxMin;
    const auto [x1, y1, z1] = m_boxMax;

    // The box's lists are the face grid's and the labels' after it, lists 1 and 2 of a store
    // this plot built. A store without them (read from elsewhere) keeps every list and gains
    // the box at its end, where the next turn finds it again instead of adding another.
    int32_t gridList = 0;
    for (int32_t i = 0; i < store.GetListCount() && gridList == 0; ++i) {
        const PrimList3D& list = *store.GetList(i);
        if (list.GetCount() > 0 && list.GetAt(0)->GetTypeCode() == prim3d::kFaceGrid)
            gridList = i + 1;
    }
    gridList > 0 ? store.BeginListAt(gridList) : store.BeginList();
    store.AddPrim(std::make_unique<FaceGridPrim3D>(fU, fV, fW, m_step));
    store.EndList();
    gridList > 0 ? store.BeginListAt(gridList + 1) : store.BeginList();

    // One axis's labels: along `axis`, standing at `fixed` on the axis `fixedAxis`, moved out
    // from `edge` to `label` on the axis `offsetAxis`.
    auto labels = [&](double seenAlong, int32_t axis, bool skipFirst, int32_t fixedAxis,
                      double fixed, int32_t offsetAxis, double edge, double label) {
        const double step = m_step[axis];
        if (!(length > 0) || !(std::abs(seenAlong) / length < 0.9) || !(step > 0)) return;
        const double first = skipFirst ? m_boxMin[axis] + step : m_boxMin[axis];
        const double last = skipFirst ? m_boxMax[axis] : m_boxMax[axis] - step;
        const bool everyTick = std::abs(seenAlong) / length >= 0.8;
        int32_t k = 0;
        for (double value = first; value <= last + step * 1e-9 && k <= prism3d::kMaxGridLines;
             value = first + ++k * step) {
            if (!everyTick && k % 2 != 0) continue;
            Point3D p;
            p[axis] = value;
            p[fixedAxis] = fixed;
            p[offsetAxis] = label;
            Point3D r = p;
            r[offsetAxis] = edge;
            store.AddPrim(std::make_unique<TextPrim3D>(p, TickLabel3D(value)));
            const Point3D mid{(r.x + p.x) / 2, (r.y + p.y) / 2, (r.z + p.z) / 2};
            store.AddPrim(std::make_unique<LinePrim3D>(r, mid));
        }
    };
    const double tz = 0.09375 * (z1 - z0), tx = 0.09375 * (x1 - x0), ty = 0.09375 * (y1 - y0);
    labels(w, 0, fW == 2, 1, fU == 1 ? y0 : y1, 2, fV == 3 ? z1 : z0, fV == 3 ? z1 + tz : z0 - tz);
    labels(u, 1, fU == 1, 2, fV == 0 ? z0 : z1, 0, fW == 2 ? x1 : x0, fW == 2 ? x1 + tx : x0 - tx);
    labels(v, 2, fV == 0, 0, fW == 2 ? x0 : x1, 1, fU == 4 ? y1 : y0, fU == 4 ? y1 + ty : y0 - ty);
    store.EndList();
}

std::unique_ptr<PrimStore3D> Plot3DComp::NewBoxStore() {
    auto store = std::make_unique<PrimStore3D>();
    BuildAxes(*store);
    return store;
}

void Plot3DComp::EnsurePrimitives() {
    if (!m_prims) m_prims = NewBoxStore();
}

void Plot3DComp::RotateView(const Matrix& matrix) {
    prism3d::mMult4x4(m_view, matrix, m_view);
    m_view = SoundRotation(m_view);
    if (m_prims) BuildAxes(*m_prims);
    DropPicture();
}

Plot3DComp::CameraFrame Plot3DComp::GetCameraFrame() const {
    return CameraFrame{m_right, m_up, m_eye};
}

// --- Graphics, options, drawing ---

bool Plot3DComp::SetGraphics(NodePtr graphics) {
    if (!graphics) return false;
    const bool surface = graphics->TypeTag() == TypeTag("surN");
    const auto* node = dynamic_cast<const GraphicsNode*>(graphics.get());
    if (!surface && (node == nullptr || node->IsTwoD())) return false;
    std::unique_ptr<PrimStore3D> store = NewBoxStore();
    store->AddGraphics3D(*graphics, m_xMin, m_xMax, m_yMin, m_yMax);
    m_prims = std::move(store);
    DropPicture();
    InvalidateLayout();
    return true;
}

void Plot3DComp::ApplyOptions(const std::array<Str31, 3>& names, const std::array<double, 3>& mins,
                              const std::array<double, 3>& maxes) {
    m_xName = names[0];
    m_xMin = mins[0];
    m_xMax = maxes[0];
    m_yName = names[1];
    m_yMin = mins[1];
    m_yMax = maxes[1];
    m_zName = names[2];
    m_zMin = mins[2];
    m_zMax = maxes[2];
    m_prims = NewBoxStore();
    DropPicture();
    InvalidateLayout();
}

bool Plot3DComp::EditOptions(QWidget* parent) {
    PlotParams3DDialog dialog({AxisValues{m_xName, m_xMin, m_xMax},
                               AxisValues{m_yName, m_yMin, m_yMax},
                               AxisValues{m_zName, m_zMin, m_zMax}},
                              parent);
    if (!dialog.Run()) return false;
    const std::array<AxisValues, 3> v = dialog.GetValues();
    ApplyOptions({v[0].name, v[1].name, v[2].name}, {v[0].min, v[1].min, v[2].min},
                 {v[0].max, v[1].max, v[2].max});
    return true;
}

void Plot3DComp::UpdateSize() {
    m_width = CurrentPlotSize().FrameWidth3D();
    m_height = CurrentPlotSize().FrameHeight3D();
}

void Plot3DComp::SetUpPass(Point topLeft) {
    prism3d::Init3d(0);
    prism3d::SetCurrentDC(gDrawPort.Get());
    CurrentPlotSize().SelectLabelFont(true);
    prism3d::SetCenter(200.0, 200.0);
    prism3d::SetViewport(Rect(topLeft.x, topLeft.y, topLeft.x + m_width, topLeft.y + m_height));
    prism3d::SetMatrix(1, m_view);
    prism3d::SetZoom(1.0);
    Point3d target;
    prism3d::SetPt3d(target, 0, 0, 0);
    prism3d::AimCamera(m_eye, target, CurrentPlotSize().CameraDistance(), 0);
    prism3d::CombineReferenceFrames();
    m_projection = prism3d::GetMatrix(2);
    m_transform = prism3d::GetMatrix(3);
    prism3d::TransformLighting(m_lighting, m_projection);
    prism3d::Set3dInterrupt(0, 0, 0);
}

void Plot3DComp::DrawPicture(Point topLeft) {
    EnsurePrimitives();
    SetUpPass(topLeft);
    m_prims->DrawAll(*this);
    std::unique_ptr<prism3d::Collection> collection;
    try {
        collection = m_prims->BuildCollection(*this);
    } catch (const std::invalid_argument&) {
        // A patch the library refuses leaves the surfaces out; the box still shows.
    }
    if (collection) {
        prism3d::xfRenderCollection(*collection, m_transform, m_lighting, 0);
        prism3d::DisposeCollection(std::move(collection));
    }
    m_prims->Draw3DAll(*this);
    prism3d::SetCurrentDC(nullptr);
}

void Plot3DComp::SwapGraphics(TextComp& other) {
    auto* plot = dynamic_cast<Plot3DComp*>(&other);
    if (plot == nullptr) return;
    std::swap(m_prims, plot->m_prims);
    std::swap(m_boxMin, plot->m_boxMin);
    std::swap(m_step, plot->m_step);
    std::swap(m_boxMax, plot->m_boxMax);
    DropPicture();
    plot->DropPicture();
    InvalidateLayout();
}

// --- Record ---

void Plot3DComp::Write(DocStream& stream) const {
    WriteRanges(stream);
    stream.WriteDouble(m_zMax);
    stream.WriteDouble(m_zMin);
    stream.WriteStr255(Str255(m_zName), true);
    WriteFunctions(stream);
    for (const Point3D* triple : {&m_boxMin, &m_step, &m_boxMax})
        WritePoint3D(stream, *triple);
    for (const auto& row : m_view.m)
        for (Fixed word : row)
            stream.WriteLong(word);
    if (m_prims)
        m_prims->Write(stream);
    else
        stream.WriteShort(0);
}

void Plot3DComp::Read(DocStream& stream) {
    ReadRanges(stream);
    m_zMax = stream.ReadDouble();
    m_zMin = stream.ReadDouble();
    Str255 name;
    stream.ReadStr255(name, true);
    m_zName = Str31(name);
    ReadFunctions(stream);
    for (Point3D* triple : {&m_boxMin, &m_step, &m_boxMax})
        *triple = ReadPoint3D(stream);
    for (auto& row : m_view.m)
        for (Fixed& word : row)
            word = stream.ReadLong();
    // A damaged view would shear or mirror the picture: it becomes the nearest rotation.
    if (!IsRotation(m_view)) m_view = SoundRotation(m_view);
    const int32_t lists = stream.ReadShort();
    if (lists > 0) {
        auto store = std::make_unique<PrimStore3D>();
        store->Read(stream, lists);
        m_prims = std::move(store);
    }
    InvalidateAll();
}
