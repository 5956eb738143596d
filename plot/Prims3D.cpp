#include "plot/Prims3D.h"

#include "document/DocStream.h"
#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "plot/GraphicsNodes.h"
#include "plot/PlotPrims.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kPointBytes = 24;

std::vector<Point3D> ReadPoints(DocStream& stream, int32_t count) {
    std::vector<Point3D> points;
    points.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        points.push_back(ReadPoint3D(stream));
    return points;
}

int32_t StoredCount(size_t count) {
    return static_cast<int32_t>(std::min<size_t>(count, INT32_MAX));
}

NodePtr LineThrough(std::span<const Point3D> points) {
    auto list = std::make_unique<ListNode>();
    for (const Point3D& p : points)
        list->AppendChild(MakePoint3DExpr(p));
    return std::make_unique<PrimitiveNode>(PrimitiveNode::Kind::Line, std::move(list));
}

std::vector<prism3d::Point3d> ToModel(const Plot3DScene& scene, std::span<const Point3D> points) {
    std::vector<prism3d::Point3d> model;
    model.reserve(points.size());
    for (const Point3D& p : points)
        model.push_back(scene.ToModel(p));
    return model;
}

} // namespace

bool Point3D::IsFinite() const {
    return std::isfinite(x) && std::isfinite(y) && std::isfinite(z);
}

void WritePoint3D(DocStream& stream, const Point3D& p) {
    stream.WriteDouble(p.x);
    stream.WriteDouble(p.y);
    stream.WriteDouble(p.z);
}

Point3D ReadPoint3D(DocStream& stream) {
    Point3D p;
    p.x = stream.ReadDouble();
    p.y = stream.ReadDouble();
    p.z = stream.ReadDouble();
    return p;
}

prism3d::PatchStyle PatchStyleFor() {
    prism3d::PatchStyle style;
    style.color = {0x3FFF, 0x3FFF, 0xFFFF};
    return style;
}

// --- Face grids ---

FaceGridPrim3D::FaceGridPrim3D(int32_t first, int32_t second, int32_t third,
                               const Point3D& spacings)
    : m_spacings(spacings) {
    m_faces[first == 1 ? 1 : 4] = 1;
    m_faces[second == 0 ? 0 : 3] = 1;
    m_faces[third == 2 ? 2 : 5] = 1;
}

std::unique_ptr<GraphicsPrim3D> FaceGridPrim3D::Clone() const {
    auto copy = std::make_unique<FaceGridPrim3D>();
    copy->m_faces = m_faces;
    copy->m_spacings = m_spacings;
    return copy;
}

uint16_t FaceGridPrim3D::OptionWord() const {
    // Bit per face as the library numbers them, then its two fixed bits.
    constexpr std::array<int32_t, 6> kBitOfFace{3, 1, 4, 2, 0, 5};
    uint16_t word = (1u << 8) | (1u << 14);
    for (int32_t face = 0; face < 6; ++face)
        if (Face(face)) word |= static_cast<uint16_t>(1u << kBitOfFace[static_cast<size_t>(face)]);
    return word;
}

void FaceGridPrim3D::DrawGrid(Plot3DScene& scene) const {
    const prism3d::Point3d steps = scene.ScaleToModel(m_spacings);
    // A step of 0 or less would never reach the far side: that axis gets no lines.
    auto divisions = [](prism3d::Fixed step) {
        return step > 0 ? prism3d::fix_div(32 * prism3d::kOne, step) : 0;
    };
    const prism3d::Fixed lo = -16 * prism3d::kOne, hi = 16 * prism3d::kOne;
    const prism3d::Point3d lower{lo, lo, lo, prism3d::kOne};
    const prism3d::Point3d upper{hi, hi, hi, prism3d::kOne};
    const prism3d::Point3d parts{divisions(steps.x), divisions(steps.y), divisions(steps.z),
                                 prism3d::kOne};
    const uint16_t option = OptionWord();
    scene.DrawGrid(lower, upper, parts, &option);
}

NodePtr FaceGridPrim3D::ToExpr(const Plot3DScene& scene) const {
    const Point3D low = scene.BoxMin();
    const Point3D high = scene.BoxMax();
    auto lines = std::make_unique<ListNode>();
    // Per face: its fixed axis, and the axes its first and second families step along.
    struct FaceAxes {
        int32_t face, fixed, firstStep, secondStep;
    };
    constexpr std::array<FaceAxes, 6> kOrder{
        {{0, 2, 1, 0}, {4, 1, 2, 0}, {2, 0, 2, 1}, {3, 2, 1, 0}, {1, 1, 2, 0}, {5, 0, 2, 1}}};
    for (const FaceAxes& f : kOrder) {
        if (!Face(f.face)) continue;
        // Faces 0, 4 and 2 lie at the minimum of their axis.
        const bool atMin = f.face == 0 || f.face == 4 || f.face == 2;
        for (const int32_t stepped : {f.firstStep, f.secondStep}) {
            const int32_t across = 3 - f.fixed - stepped;
            const double step = m_spacings[stepped];
            if (!(step > 0) || !std::isfinite(step)) continue;
            const double end = high[stepped];
            double value = low[stepped];
            for (int32_t k = 0; k <= prism3d::kMaxGridLines && value <= end; ++k) {
                // The face's own corner gives the fixed axis its value.
                Point3D a = atMin ? low : high;
                a[stepped] = value;
                Point3D b = a;
                a[across] = low[across];
                b[across] = high[across];
                const std::array<Point3D, 2> ends{a, b};
                lines->AppendChild(LineThrough(ends));
                const double next = value + step;
                if (next == value) break;
                value = next;
            }
        }
    }
    return lines;
}

void FaceGridPrim3D::Write(DocStream& stream) const {
    for (uint8_t flag : m_faces)
        stream.WriteByte(flag != 0 ? 1 : 0);
    WritePoint3D(stream, m_spacings);
}

void FaceGridPrim3D::Read(DocStream& stream) {
    for (uint8_t& flag : m_faces)
        flag = stream.ReadByte() != 0 ? 1 : 0;
    m_spacings = ReadPoint3D(stream);
}

// --- Lines ---

std::unique_ptr<GraphicsPrim3D> LinePrim3D::Clone() const {
    return std::make_unique<LinePrim3D>(m_from, m_to);
}

void LinePrim3D::Draw(Plot3DScene& scene) const {
    scene.DrawLine(scene.ToModel(m_from), scene.ToModel(m_to));
}

NodePtr LinePrim3D::ToExpr(const Plot3DScene&) const {
    const std::array<Point3D, 2> ends{m_from, m_to};
    return LineThrough(ends);
}

void LinePrim3D::Write(DocStream& stream) const {
    WritePoint3D(stream, m_from);
    WritePoint3D(stream, m_to);
}

void LinePrim3D::Read(DocStream& stream) {
    m_from = ReadPoint3D(stream);
    m_to = ReadPoint3D(stream);
}

// --- Meshes ---

std::unique_ptr<GraphicsPrim3D> PolygonMeshPrim3D::Clone() const {
    return std::make_unique<PolygonMeshPrim3D>(m_facets, m_vertices);
}

void PolygonMeshPrim3D::AddToGroup(const Plot3DScene& scene, prism3d::Group& group,
                                   int32_t& slot) const {
    std::vector<prism3d::Point3d> points = ToModel(scene, m_vertices);
    for (prism3d::Point3d& p : points)
        p.w &= ~0xFFFF;
    std::vector<prism3d::Facet> pairs(m_facets.size() * 2);
    for (size_t i = 0; i < m_facets.size(); ++i) {
        const MeshFacet& facet = m_facets[i];
        std::array<int32_t, MeshFacet::kMaxIndices> reversed{};
        std::reverse_copy(facet.index.begin(), facet.index.begin() + facet.count, reversed.begin());
        prism3d::MakePolyFacet(pairs[2 * i], facet.count, facet.index.data(), points);
        prism3d::MakePolyFacet(pairs[2 * i + 1], facet.count, reversed.data(), points);
    }
    prism3d::Matrix m;
    prism3d::mIdentity(m);
    prism3d::NewPatch(group, slot, StoredCount(points.size()), points, StoredCount(pairs.size()),
                      pairs, PatchStyleFor(), m);
    ++slot;
}

NodePtr PolygonMeshPrim3D::ToExpr(const Plot3DScene&) const {
    auto polygons = std::make_unique<ListNode>();
    for (const MeshFacet& facet : m_facets) {
        auto corners = std::make_unique<ListNode>();
        for (int32_t k = 0; k < facet.count; ++k)
            corners->AppendChild(MakePoint3DExpr(
                m_vertices[static_cast<size_t>(facet.index[static_cast<size_t>(k)])]));
        polygons->AppendChild(
            std::make_unique<PrimitiveNode>(PrimitiveNode::Kind::Polygon, std::move(corners)));
    }
    return polygons;
}

void PolygonMeshPrim3D::Write(DocStream& stream) const {
    stream.WriteLong(StoredCount(m_facets.size()));
    for (const MeshFacet& facet : m_facets) {
        stream.WriteByte(static_cast<uint8_t>(facet.count));
        for (int32_t k = 0; k < facet.count; ++k)
            stream.WriteLong(facet.index[static_cast<size_t>(k)]);
    }
    stream.WriteLong(StoredCount(m_vertices.size()));
    for (const Point3D& p : m_vertices)
        WritePoint3D(stream, p);
}

void PolygonMeshPrim3D::Read(DocStream& stream) {
    // Every facet takes at least its corner count's byte.
    const int32_t facets = ReadCount(stream, 1);
    std::vector<MeshFacet> read(static_cast<size_t>(facets));
    // Where each facet's indices start, to name the byte of a corner beyond the vertices.
    std::vector<int32_t> starts(static_cast<size_t>(facets));
    for (int32_t i = 0; i < facets; ++i) {
        const int32_t at = stream.GetPosition();
        const int32_t count = stream.ReadByte();
        if (count > MeshFacet::kMaxIndices) stream.Fail(at);
        MeshFacet& facet = read[static_cast<size_t>(i)];
        facet.count = count;
        starts[static_cast<size_t>(i)] = stream.GetPosition();
        for (int32_t k = 0; k < count; ++k)
            facet.index[static_cast<size_t>(k)] = stream.ReadLong();
    }
    const int32_t vertices = ReadCount(stream, kPointBytes);
    for (size_t i = 0; i < read.size(); ++i)
        for (int32_t k = 0; k < read[i].count; ++k) {
            const int32_t index = read[i].index[static_cast<size_t>(k)];
            if (index < 0 || index >= vertices) stream.Fail(starts[i] + 4 * k);
        }
    m_facets = std::move(read);
    m_vertices = ReadPoints(stream, vertices);
}

// --- Points ---

std::unique_ptr<GraphicsPrim3D> PointPrim3D::Clone() const {
    return std::make_unique<PointPrim3D>(m_at);
}

void PointPrim3D::Draw(Plot3DScene& scene) const {
    scene.DrawPoint(scene.ToModel(m_at));
}

NodePtr PointPrim3D::ToExpr(const Plot3DScene&) const {
    return std::make_unique<PrimitiveNode>(PrimitiveNode::Kind::Point, MakePoint3DExpr(m_at));
}

void PointPrim3D::Write(DocStream& stream) const {
    WritePoint3D(stream, m_at);
}

void PointPrim3D::Read(DocStream& stream) {
    m_at = ReadPoint3D(stream);
}

// --- Polylines ---

std::unique_ptr<GraphicsPrim3D> PolylinePrim3D::Clone() const {
    return std::make_unique<PolylinePrim3D>(m_points);
}

void PolylinePrim3D::Draw(Plot3DScene& scene) const {
    scene.DrawPolyline(ToModel(scene, m_points));
}

NodePtr PolylinePrim3D::ToExpr(const Plot3DScene&) const {
    return LineThrough(m_points);
}

void PolylinePrim3D::Write(DocStream& stream) const {
    stream.WriteLong(StoredCount(m_points.size()));
    for (const Point3D& p : m_points)
        WritePoint3D(stream, p);
}

void PolylinePrim3D::Read(DocStream& stream) {
    m_points = ReadPoints(stream, ReadCount(stream, kPointBytes));
}

// --- Surfaces ---

std::unique_ptr<GraphicsPrim3D> SurfacePrim3D::Clone() const {
    return std::make_unique<SurfacePrim3D>(m_rows, m_columns, m_points);
}

void SurfacePrim3D::AddToGroup(const Plot3DScene& scene, prism3d::Group& group,
                               int32_t& slot) const {
    const int64_t count = int64_t{m_rows} * m_columns;
    if (m_rows > 0 && count == static_cast<int64_t>(m_points.size())) {
        const std::vector<prism3d::Point3d> points = ToModel(scene, m_points);
        prism3d::Matrix m;
        prism3d::mIdentity(m);
        prism3d::xfMatrix2Patch(group, slot, 0, 0, m_rows, static_cast<int32_t>(count), points,
                                PatchStyleFor(), m);
    }
    ++slot;
}

NodePtr SurfacePrim3D::ToExpr(const Plot3DScene& scene) const {
    auto rows = std::make_unique<ListNode>();
    for (int32_t r = 0; r < m_rows; ++r) {
        auto row = std::make_unique<ListNode>();
        for (int32_t c = 0; c < m_columns; ++c) {
            const size_t i =
                static_cast<size_t>(r) * static_cast<size_t>(m_columns) + static_cast<size_t>(c);
            row->AppendChild(
                std::make_unique<MachineRealNode>(i < m_points.size() ? m_points[i].z : 0.0));
        }
        rows->AppendChild(std::move(row));
    }
    return std::make_unique<SurfaceGraphicsNode>(std::move(rows), scene.MeshRangeOption());
}

void SurfacePrim3D::Write(DocStream& stream) const {
    stream.WriteLong(m_columns);
    stream.WriteLong(m_rows);
    for (const Point3D& p : m_points)
        WritePoint3D(stream, p);
}

void SurfacePrim3D::Read(DocStream& stream) {
    const int32_t at = stream.GetPosition();
    const int32_t columns = stream.ReadLong();
    const int32_t rows = stream.ReadLong();
    // The point count in 64 bits: two 32-bit counts multiply past what 32 bits hold.
    const int64_t count = int64_t{rows} * columns;
    // A side without points names no grid, yet drawing would step through the other side.
    if (rows < 0 || columns < 0 || (rows == 0) != (columns == 0) ||
        count > prim3d::kMaxSurfacePoints)
        stream.Fail(at);
    stream.RequireBytes(count * kPointBytes);
    m_rows = rows;
    m_columns = columns;
    m_points = ReadPoints(stream, static_cast<int32_t>(count));
}

// --- Texts ---

std::unique_ptr<GraphicsPrim3D> TextPrim3D::Clone() const {
    return std::make_unique<TextPrim3D>(m_at, m_text);
}

void TextPrim3D::Draw(Plot3DScene& scene) const {
    scene.DrawText(m_text, scene.ToModel(m_at));
}

NodePtr TextPrim3D::ToExpr(const Plot3DScene&) const {
    return std::make_unique<GraphicsTextNode>(std::make_unique<TextNode>(m_text.ToCString()),
                                              MakePoint3DExpr(m_at));
}

void TextPrim3D::Write(DocStream& stream) const {
    WritePoint3D(stream, m_at);
    WriteText(stream, m_text);
}

void TextPrim3D::Read(DocStream& stream) {
    m_at = ReadPoint3D(stream);
    m_text = ReadText(stream);
}

// --- Making and converting ---

std::unique_ptr<GraphicsPrim3D> MakePrim3D(int32_t code) {
    switch (code) {
    case prim3d::kFaceGrid:
        return std::make_unique<FaceGridPrim3D>();
    case prim3d::kLine:
        return std::make_unique<LinePrim3D>();
    case prim3d::kMesh:
        return std::make_unique<PolygonMeshPrim3D>();
    case prim3d::kPoint:
        return std::make_unique<PointPrim3D>();
    case prim3d::kPolyline:
        return std::make_unique<PolylinePrim3D>();
    case prim3d::kSurface:
        return std::make_unique<SurfacePrim3D>();
    case prim3d::kText:
        return std::make_unique<TextPrim3D>();
    default:
        return nullptr;
    }
}

Point3D GetPoint3D(const ExprNode* list) {
    std::array<double, 3> c{};
    GetCoordinates(list, c);
    return Point3D{c[0], c[1], c[2]};
}

NodePtr MakePoint3DExpr(const Point3D& point) {
    return MakeCoordinatesExpr(std::array<double, 3>{point.x, point.y, point.z});
}

// --- Merging corners ---

namespace {

bool Below(double a, double b) {
    if (std::isnan(a)) return !std::isnan(b);
    if (std::isnan(b)) return false;
    return a < b;
}

} // namespace

bool MeshBuilder::CornerOrder::operator()(const Point3D& a, const Point3D& b) const {
    for (int32_t axis = 0; axis < 3; ++axis) {
        if (Below(a[axis], b[axis])) return true;
        if (Below(b[axis], a[axis])) return false;
    }
    return false;
}

MeshBuilder::MeshBuilder(const ExprNode& polygons) {
    for (const ExprNode* polygon = FirstItem(&polygons); polygon != nullptr;
         polygon = polygon->Next()) {
        PolygonMeshPrim3D::MeshFacet facet;
        const auto* node = dynamic_cast<const SlotNode*>(polygon);
        const ExprNode* corner = node != nullptr ? FirstItem(node->Child(0)) : nullptr;
        for (; corner != nullptr && facet.count < 4; corner = corner->Next())
            facet.index[static_cast<size_t>(facet.count++)] = AddVertex(GetPoint3D(corner));
        m_facets.push_back(facet);
    }
}

int32_t MeshBuilder::AddVertex(const Point3D& p) {
    const auto [at, added] = m_index.try_emplace(p, static_cast<int32_t>(m_vertices.size()));
    if (added) m_vertices.push_back(p);
    return at->second;
}

std::unique_ptr<PolygonMeshPrim3D> MeshBuilder::Build() {
    auto mesh = std::make_unique<PolygonMeshPrim3D>(std::move(m_facets), std::move(m_vertices));
    m_index.clear();
    m_facets.clear();
    m_vertices.clear();
    return mesh;
}
