#include "Prism3d.h"

#include "document/DrawPort.h"
#include "mathbox/PaintPort.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>

namespace prism3d {

namespace {

// The box is 32 units wide; its labels stand 3 units further out (0.09375 of the box).
constexpr double kFitReach = 19.0;
// Room around the fitted box, in 96-dpi pixels: half a tick label across, half a line down.
constexpr int32_t kMarginAcross = 18;
constexpr int32_t kMarginDown = 10;

const QColor kGridColor(0xB4, 0xB4, 0xB4);
const QColor kEdgeColor(0x50, 0x50, 0x50);

struct PassState {
    DrawPort* port = nullptr;
    double centreX = 200.0;
    double centreY = 200.0;
    double zoom = 1.0;
    std::optional<Rect> viewport;
    Matrix view;
    Matrix camera;
    Matrix combined;
    // Camera coordinates (model units) to the target: x' = offsetX + scale * x,
    // y' = offsetY - scale * y.
    double scale = 1.0;
    double offsetX = 0.0;
    double offsetY = 0.0;
    Point pen;
    bool penThere = false;
};

// The state before a pass: every matrix the identity.
PassState FreshState() {
    PassState s;
    mIdentity(s.view);
    mIdentity(s.camera);
    mIdentity(s.combined);
    return s;
}

PassState& State() {
    static PassState state = FreshState();
    return state;
}

// One product of two words takes up to 62 bits; a row times a column adds up to four of them,
// which 64 bits do not hold.
using Wide = __int128;

Fixed Saturate(Wide value) {
    return static_cast<Fixed>(std::clamp<Wide>(value, std::numeric_limits<Fixed>::min(),
                                               std::numeric_limits<Fixed>::max()));
}

// a / b in 16.16, for a numerator that may be wider than a word (a difference of two words);
// b is not 0.
Fixed Quotient(int64_t a, Fixed b) {
    return Saturate(Wide{a} * 65536 / b);
}

std::array<double, 3> Normalized(std::array<double, 3> v) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0)
        for (double& c : v)
            c /= length;
    return v;
}

QPainter* ActivePainter() {
    auto* port = dynamic_cast<PaintPort*>(State().port);
    return port != nullptr ? port->ActivePainter() : nullptr;
}

// The drawing layer's origin, which the painter's coordinates leave out.
QPointF ToPainter(double x, double y) {
    const Point origin = State().port->GetOrigin();
    return QPointF(x - origin.x, y - origin.y);
}

// One pixel on the screen, as heavy at a printer's resolution.
double LineWidth() {
    return std::max(1.0, State().port->GetResolutionX() / 96.0);
}

void Line(Point from, Point to, const QColor& color) {
    QPainter* painter = ActivePainter();
    if (painter == nullptr) return;
    painter->setPen(QPen(color, LineWidth(), Qt::SolidLine, Qt::RoundCap));
    painter->drawLine(ToPainter(from.x + 0.5, from.y + 0.5), ToPainter(to.x + 0.5, to.y + 0.5));
}

// Camera coordinates of a point, in model units.
std::array<double, 3> ToCamera(const Point3d& point, const Matrix& m) {
    Point3d moved;
    ApplyTransform(point, moved, m);
    return {ToDouble(moved.x), ToDouble(moved.y), ToDouble(moved.z)};
}

void Fit() {
    PassState& s = State();
    const Rect area = s.viewport.value_or(
        Rect(0, 0, static_cast<int32_t>(2 * s.centreX), static_cast<int32_t>(2 * s.centreY)));
    double minX = std::numeric_limits<double>::max(), maxX = -minX;
    double minY = minX, maxY = -minX;
    for (int32_t corner = 0; corner < 8; ++corner) {
        Point3d p;
        SetPt3d(p, corner & 1 ? kFitReach : -kFitReach, corner & 2 ? kFitReach : -kFitReach,
                corner & 4 ? kFitReach : -kFitReach);
        const auto c = ToCamera(p, s.combined);
        minX = std::min(minX, c[0]);
        maxX = std::max(maxX, c[0]);
        minY = std::min(minY, c[1]);
        maxY = std::max(maxY, c[1]);
    }
    const double dpi = s.port != nullptr ? s.port->GetResolutionX() / 96.0 : 1.0;
    const double width = std::max(1.0, area.Width() - 2 * kMarginAcross * dpi);
    const double height = std::max(1.0, area.Height() - 2 * kMarginDown * dpi);
    const double spanX = std::max(maxX - minX, 1e-6);
    const double spanY = std::max(maxY - minY, 1e-6);
    s.scale = std::min(width / spanX, height / spanY) * std::max(s.zoom, 1e-6);
    s.offsetX = (area.left + area.right) / 2.0 - s.scale * (minX + maxX) / 2;
    s.offsetY = (area.top + area.bottom) / 2.0 + s.scale * (minY + maxY) / 2;
}

QPointF OnTarget(const std::array<double, 3>& camera) {
    const PassState& s = State();
    return QPointF(s.offsetX + s.scale * camera[0], s.offsetY - s.scale * camera[1]);
}

Point ToPoint(QPointF p) {
    constexpr double kFar = 1'000'000.0;
    return Point(static_cast<int32_t>(std::clamp(std::floor(p.x()), -kFar, kFar)),
                 static_cast<int32_t>(std::clamp(std::floor(p.y()), -kFar, kFar)));
}

uint32_t Shade(const PatchStyle& style, const Lighting& lighting,
               const std::array<double, 3>& normal) {
    const auto n = Normalized(normal);
    const auto& l = lighting.direction;
    // Both sides of a surface are lit alike: only the angle to the light counts.
    const double cosine = std::abs(n[0] * l[0] + n[1] * l[1] + n[2] * l[2]);
    const double light = std::clamp(
        lighting.ambient + (1.0 - lighting.ambient) * lighting.intensity * cosine, 0.0, 1.0);
    auto channel = [&](uint16_t value, uint16_t source) {
        return static_cast<uint32_t>(std::lround(value / 65535.0 * source / 65535.0 * light * 255));
    };
    return channel(style.color[0], lighting.source.red) |
           channel(style.color[1], lighting.source.green) << 8 |
           channel(style.color[2], lighting.source.blue) << 16;
}

void AddTriangle(std::vector<ShadedTriangle>& out, const PatchStyle& style,
                 const Lighting& lighting, const std::array<double, 3>& a,
                 const std::array<double, 3>& b, const std::array<double, 3>& c) {
    const std::array<double, 3> u{b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const std::array<double, 3> v{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const std::array<double, 3> normal{u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                                       u[0] * v[1] - u[1] * v[0]};
    ShadedTriangle t;
    const QPointF pa = OnTarget(a), pb = OnTarget(b), pc = OnTarget(c);
    t.corners = {pa.x(), pa.y(), pb.x(), pb.y(), pc.x(), pc.y()};
    t.depth = (a[2] + b[2] + c[2]) / 3;
    t.color = Shade(style, lighting, normal);
    out.push_back(t);
}

void AddPatch(std::vector<ShadedTriangle>& out, const Patch& patch, const Matrix& m,
              const Lighting& lighting) {
    Matrix whole;
    mMult4x4(patch.matrix, m, whole);
    std::vector<std::array<double, 3>> camera;
    camera.reserve(patch.points.size());
    for (const Point3d& p : patch.points)
        camera.push_back(ToCamera(p, whole));
    auto there = [&](int32_t i) { return patch.points[static_cast<size_t>(i)].IsThere(); };
    auto at = [&](int32_t i) -> const std::array<double, 3>& {
        return camera[static_cast<size_t>(i)];
    };
    if (patch.rows > 0) {
        for (int32_t r = 0; r + 1 < patch.rows; ++r) {
            for (int32_t c = 0; c + 1 < patch.columns; ++c) {
                const int32_t p00 = r * patch.columns + c, p01 = p00 + 1;
                const int32_t p10 = p00 + patch.columns, p11 = p10 + 1;
                // Each triangle stands on its own: a missing corner leaves out only the
                // triangles that touch it.
                if (there(p00) && there(p01) && there(p11))
                    AddTriangle(out, patch.style, lighting, at(p00), at(p01), at(p11));
                if (there(p00) && there(p11) && there(p10))
                    AddTriangle(out, patch.style, lighting, at(p00), at(p11), at(p10));
            }
        }
        return;
    }
    // Facets come in front and back pairs; with both sides lit alike the front one is enough.
    for (size_t f = 0; f < patch.facets.size(); f += 2) {
        const Facet& facet = patch.facets[f];
        bool all = facet.count >= 3;
        for (int32_t k = 0; k < facet.count && all; ++k)
            all = there(facet.index[static_cast<size_t>(k)]);
        if (!all) continue;
        for (int32_t k = 1; k + 1 < facet.count; ++k)
            AddTriangle(out, patch.style, lighting, at(facet.index[0]),
                        at(facet.index[static_cast<size_t>(k)]),
                        at(facet.index[static_cast<size_t>(k + 1)]));
    }
}

void CheckSlot(const Group& group, int32_t slot) {
    if (slot < 0 || static_cast<size_t>(slot) >= group.patches.size())
        throw std::invalid_argument("a patch slot beyond its group");
}

} // namespace

// --- Numbers ---

Fixed ToFixed(double value) {
    if (std::isnan(value)) return 0;
    return Saturate(static_cast<int64_t>(std::clamp(value * 65536.0, -2147483648.0, 2147483647.0)));
}

Fixed fix_mul(Fixed a, Fixed b) {
    return Saturate((int64_t{a} * b) / 65536);
}

Fixed fix_div(Fixed a, Fixed b) {
    if (b == 0)
        return a >= 0 ? std::numeric_limits<Fixed>::max() : std::numeric_limits<Fixed>::min();
    return Quotient(a, b);
}

void SetPt3d(Point3d& point, double x, double y, double z) {
    point = Point3d{ToFixed(x), ToFixed(y), ToFixed(z), kOne};
}

void mIdentity(Matrix& m) {
    m = Matrix();
    for (size_t i = 0; i < 4; ++i)
        m.m[i][i] = kOne;
}

void mTranspose(Matrix& m) {
    for (size_t i = 0; i < 4; ++i)
        for (size_t j = i + 1; j < 4; ++j)
            std::swap(m.m[i][j], m.m[j][i]);
}

void mMult4x4(const Matrix& a, const Matrix& b, Matrix& result) {
    Matrix product;
    for (size_t i = 0; i < 4; ++i)
        for (size_t j = 0; j < 4; ++j) {
            Wide sum = 0;
            for (size_t k = 0; k < 4; ++k)
                sum += Wide{a.m[i][k]} * b.m[k][j];
            product.m[i][j] = Saturate(sum / 65536);
        }
    result = product;
}

void ApplyTransform(const Point3d& point, Point3d& result, const Matrix& matrix) {
    const std::array<Wide, 3> p{point.x, point.y, point.z};
    Point3d out;
    Fixed* words[3] = {&out.x, &out.y, &out.z};
    for (size_t j = 0; j < 3; ++j) {
        Wide sum = 0;
        for (size_t i = 0; i < 3; ++i)
            sum += p[i] * matrix.m[i][j];
        *words[j] = Saturate(sum / 65536 + matrix.m[3][j]);
    }
    out.w = point.w;
    result = out;
}

// --- Lighting ---

void Set3dLtSource(LightSource& source, uint16_t red, uint16_t green, uint16_t blue, double x,
                   double y, double z, int32_t) {
    source = LightSource{red, green, blue, x, y, z};
}

Lighting NewLighting(int32_t, int32_t, uint16_t intensity, double ambient, int32_t,
                     const LightSource& source) {
    Lighting lighting;
    lighting.intensity = intensity / 65535.0;
    lighting.ambient = std::clamp(ambient, 0.0, 1.0);
    lighting.source = source;
    lighting.direction = Normalized({source.x, source.y, source.z});
    return lighting;
}

void TransformLighting(Lighting& lighting, const Matrix&) {
    lighting.direction = Normalized({lighting.source.x, lighting.source.y, lighting.source.z});
}

// --- The pass ---

void Init3d(int32_t) {
    State() = FreshState();
}

void SetCurrentDC(DrawPort* port) {
    State().port = port;
}

void SetCenter(double x, double y) {
    State().centreX = x;
    State().centreY = y;
}

void SetViewport(const Rect& rect) {
    State().viewport = rect;
}

void SetMatrix(int32_t, const Matrix& matrix) {
    State().view = matrix;
}

void SetZoom(double zoom) {
    State().zoom = zoom;
}

void AimCamera(const Point3d& eye, const Point3d& target, Fixed, int32_t) {
    // Differences of words in doubles: they pass 32 bits for an eye and a target far apart.
    const std::array<double, 3> sight =
        Normalized({ToDouble(eye.x) - ToDouble(target.x), ToDouble(eye.y) - ToDouble(target.y),
                    ToDouble(eye.z) - ToDouble(target.z)});
    // Level: perpendicular to the second axis and to the line of sight. An eye straight above
    // or below the box looks along the third axis instead.
    std::array<double, 3> right = Normalized({-sight[2], 0.0, sight[0]});
    if (right == std::array<double, 3>{0.0, 0.0, 0.0}) right = {1.0, 0.0, 0.0};
    // up = right x sight in the model's arithmetic: the model's axes are left-handed, so this
    // is the screen's up when right is the screen's right and the sight points at the viewer.
    const std::array<double, 3> up = Normalized({right[1] * sight[2] - right[2] * sight[1],
                                                 right[2] * sight[0] - right[0] * sight[2],
                                                 right[0] * sight[1] - right[1] * sight[0]});
    Matrix& camera = State().camera;
    mIdentity(camera);
    for (size_t i = 0; i < 3; ++i) {
        camera.m[i][0] = ToFixed(right[i]);
        camera.m[i][1] = ToFixed(up[i]);
        camera.m[i][2] = ToFixed(sight[i]);
    }
}

void CombineReferenceFrames() {
    PassState& s = State();
    mMult4x4(s.view, s.camera, s.combined);
    Fit();
}

const Matrix& GetMatrix(int32_t which) {
    PassState& s = State();
    if (which == 1) return s.view;
    if (which == 2) return s.camera;
    return s.combined;
}

void Set3dInterrupt(int32_t, int32_t, int32_t) {}

bool ProjectPoint(const Point3d& point, const Matrix& m, Point& at) {
    if (!point.IsThere()) return false;
    at = ToPoint(OnTarget(ToCamera(point, m)));
    return true;
}

// --- Lines, points, grids, text ---

void xfMovetoPt(const Point3d& point, const Matrix& m) {
    PassState& s = State();
    s.penThere = ProjectPoint(point, m, s.pen);
}

void xfLinetoPt(const Point3d& point, const Matrix& m) {
    PassState& s = State();
    Point to;
    const bool there = ProjectPoint(point, m, to);
    if (there && s.penThere && s.port != nullptr) Line(s.pen, to, Qt::black);
    s.pen = to;
    s.penThere = there;
}

void xfDrawPt(const Point3d& point, const Matrix& m) {
    Point at;
    QPainter* painter = ActivePainter();
    if (painter == nullptr || !ProjectPoint(point, m, at)) return;
    const double radius = 1.5 * LineWidth();
    painter->setPen(Qt::NoPen);
    painter->setBrush(Qt::black);
    painter->drawEllipse(ToPainter(at.x + 0.5, at.y + 0.5), radius, radius);
}

void xfGrid(const Point3d& lower, const Point3d& upper, const Point3d& divisions,
            const uint16_t* option, const Matrix& m) {
    if (option == nullptr || State().port == nullptr) return;
    const std::array<Fixed, 3> low{lower.x, lower.y, lower.z};
    const std::array<Fixed, 3> high{upper.x, upper.y, upper.z};
    const std::array<Fixed, 3> parts{divisions.x, divisions.y, divisions.z};
    // Per axis, the option bits of its lower and upper face.
    constexpr std::array<std::array<int, 2>, 3> kFaceBits{{{0, 1}, {3, 2}, {5, 4}}};
    auto project = [&](const std::array<Fixed, 3>& c) {
        Point at;
        ProjectPoint(Point3d{c[0], c[1], c[2], kOne}, m, at);
        return at;
    };
    for (size_t fixed = 0; fixed < 3; ++fixed) {
        for (size_t end = 0; end < 2; ++end) {
            if ((*option & (1u << kFaceBits[fixed][end])) == 0) continue;
            const Fixed plane = end == 0 ? low[fixed] : high[fixed];
            for (size_t across = 0; across < 3; ++across) {
                if (across == fixed) continue;
                const size_t along = 3 - fixed - across;
                const Fixed step =
                    parts[across] > 0 ? Quotient(int64_t{high[across]} - low[across], parts[across])
                                      : 0;
                if (step <= 0) continue;
                int64_t value = low[across];
                for (int32_t k = 0; k <= kMaxGridLines && value <= high[across];
                     ++k, value += step) {
                    std::array<Fixed, 3> a{}, b{};
                    a[fixed] = b[fixed] = plane;
                    a[across] = b[across] = static_cast<Fixed>(value);
                    a[along] = low[along];
                    b[along] = high[along];
                    Line(project(a), project(b), kGridColor);
                }
            }
            // The face's own edges, darker than its grid.
            const size_t a = fixed == 0 ? 1 : 0;
            const size_t b = fixed == 2 ? 1 : 2;
            std::array<Point, 4> corners;
            for (size_t k = 0; k < 4; ++k) {
                std::array<Fixed, 3> c{};
                c[fixed] = plane;
                c[a] = (k == 1 || k == 2) ? high[a] : low[a];
                c[b] = k >= 2 ? high[b] : low[b];
                corners[k] = project(c);
            }
            for (size_t k = 0; k < 4; ++k)
                Line(corners[k], corners[(k + 1) % 4], kEdgeColor);
        }
    }
}

void DrawString3d(Fixed x, Fixed y, Fixed z, const char* text) {
    PassState& s = State();
    Point at;
    if (s.port == nullptr || text == nullptr ||
        !ProjectPoint(Point3d{x, y, z, kOne}, s.combined, at))
        return;
    const Str255 label{std::string_view(text)};
    const Rect box = s.port->MeasureText(label);
    s.port->MoveTo(Point(at.x - box.right / 2, at.y - (box.top + box.bottom) / 2));
    s.port->DrawString(label);
}

// --- Scenes ---

std::unique_ptr<Collection> NewCollection(int32_t count) {
    auto collection = std::make_unique<Collection>();
    collection->groups.resize(static_cast<size_t>(std::max(count, 0)));
    return collection;
}

std::unique_ptr<Group> NewGroup(int32_t patches) {
    auto group = std::make_unique<Group>();
    group->patches.resize(static_cast<size_t>(std::max(patches, 0)));
    return group;
}

void DisposeGroup(std::unique_ptr<Group>) {}

void DisposeCollection(std::unique_ptr<Collection>) {}

void xfMatrix2Patch(Group& group, int32_t slot, int32_t, int32_t, int32_t rows, int32_t count,
                    std::span<const Point3d> points, const PatchStyle& style, const Matrix& m) {
    CheckSlot(group, slot);
    if (rows <= 0 || count < 0 || count % rows != 0 || static_cast<size_t>(count) > points.size())
        throw std::invalid_argument("a surface patch whose points are no whole rows");
    auto patch = std::make_unique<Patch>();
    patch->rows = rows;
    patch->columns = count / rows;
    patch->points.assign(points.begin(), points.begin() + count);
    patch->style = style;
    patch->matrix = m;
    group.patches[static_cast<size_t>(slot)] = std::move(patch);
}

void NewPatch(Group& group, int32_t slot, int32_t vertexCount, std::span<const Point3d> points,
              int32_t facetCount, std::span<const Facet> facets, const PatchStyle& style,
              const Matrix& m) {
    CheckSlot(group, slot);
    if (vertexCount < 0 || static_cast<size_t>(vertexCount) > points.size() || facetCount < 0 ||
        static_cast<size_t>(facetCount) > facets.size())
        throw std::invalid_argument("a mesh patch whose counts pass its arrays");
    for (const Facet& facet : facets.first(static_cast<size_t>(facetCount))) {
        if (facet.count < 0 || facet.count > Facet::kMaxCorners)
            throw std::invalid_argument("a mesh facet of too many corners");
        for (int32_t k = 0; k < facet.count; ++k)
            if (facet.index[static_cast<size_t>(k)] < 0 ||
                facet.index[static_cast<size_t>(k)] >= vertexCount)
                throw std::invalid_argument("a mesh facet corner beyond its points");
    }
    auto patch = std::make_unique<Patch>();
    patch->points.assign(points.begin(), points.begin() + vertexCount);
    patch->facets.assign(facets.begin(), facets.begin() + facetCount);
    patch->style = style;
    patch->matrix = m;
    group.patches[static_cast<size_t>(slot)] = std::move(patch);
}

void MakePolyFacet(Facet& facet, int32_t n, const int32_t* indices, std::span<const Point3d>) {
    facet = Facet();
    facet.count = std::clamp(n, 0, Facet::kMaxCorners);
    for (int32_t k = 0; k < facet.count; ++k)
        facet.index[static_cast<size_t>(k)] = indices[k];
}

std::vector<ShadedTriangle> ShadeCollection(const Collection& collection, const Matrix& m,
                                            const Lighting& lighting) {
    std::vector<ShadedTriangle> triangles;
    for (const auto& group : collection.groups) {
        if (!group) continue;
        for (const auto& patch : group->patches)
            if (patch) AddPatch(triangles, *patch, m, lighting);
    }
    // Back to front: the camera's third axis points towards the eye.
    std::stable_sort(
        triangles.begin(), triangles.end(),
        [](const ShadedTriangle& a, const ShadedTriangle& b) { return a.depth < b.depth; });
    return triangles;
}

void DrawTriangles(std::span<const ShadedTriangle> triangles) {
    QPainter* painter = ActivePainter();
    if (painter == nullptr) return;
    const Point origin = State().port->GetOrigin();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    QPen pen(Qt::black, 1.0);
    pen.setJoinStyle(Qt::BevelJoin);
    std::array<QPointF, 3> corners;
    for (const ShadedTriangle& t : triangles) {
        const QColor color = ColorFromRef(t.color);
        // Edged in their own colour, so that neighbours meet without a crack.
        pen.setColor(color);
        painter->setPen(pen);
        painter->setBrush(color);
        for (size_t k = 0; k < 3; ++k)
            corners[k] = QPointF(t.corners[2 * k] - origin.x, t.corners[2 * k + 1] - origin.y);
        painter->drawConvexPolygon(corners.data(), 3);
    }
    painter->restore();
}

void xfRenderCollection(const Collection& collection, const Matrix& m, const Lighting& lighting,
                        int32_t) {
    if (State().port == nullptr) return;
    const std::vector<ShadedTriangle> triangles = ShadeCollection(collection, m, lighting);
    DrawTriangles(triangles);
}

} // namespace prism3d
