#pragma once

// The stored 3-D primitives of a computed 3-D plot: face grids, segments, polygon meshes,
// points, polylines, surfaces and texts, all in data coordinates. The plot turns the kernel's
// graphics into them once, keeps them in its `PrimStore3D`, builds its surfaces and meshes into
// a scene of the 3-D library for every drawing, draws the line-like ones through its own
// drawing operations, and stores them in the document as the stream's framed records.
//
// Faces of the data box: 0 is z = zmin, 1 y = ymax, 2 x = xmin, 3 z = zmax, 4 y = ymin,
// 5 x = xmax; faces k and k + 3 are opposite.
//
// Nothing here trusts a stored record: counts are checked against the bytes left before
// anything is allocated, a surface's point count is worked out in 64 bits and capped, and a
// surface with rows but no columns (or the reverse), a mesh facet of more than 8 corners or a
// corner beyond the mesh's vertices is damage.

#include "document/StoredPrim.h"
#include "document/Str255.h"
#include "expr/ExprNode.h"
#include "prism3d/Prism3d.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <vector>

struct Point3D {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    bool IsFinite() const;
    // Coordinate 0, 1 or 2: x, y or z.
    double operator[](int32_t axis) const { return axis == 0 ? x : axis == 1 ? y : z; }
    double& operator[](int32_t axis) { return axis == 0 ? x : axis == 1 ? y : z; }
    friend bool operator==(const Point3D&, const Point3D&) = default;
};

// A point's record: x, y and z as doubles.
void WritePoint3D(DocStream& stream, const Point3D& p);
Point3D ReadPoint3D(DocStream& stream);

// What the primitives ask of the 3-D plot they belong to: its mapping into the library's model
// space, its drawing operations and its data box. `Plot3DComp` implements it.
class Plot3DScene {
public:
    virtual ~Plot3DScene() = default;
    // A data point in model space; a point that is not finite is missing (fourth word 0), the
    // rest saturate far outside the box.
    virtual prism3d::Point3d ToModel(const Point3D& p) const = 0;
    // A data vector in model space (no centring; the third axis not reversed).
    virtual prism3d::Point3d ScaleToModel(const Point3D& v) const = 0;
    virtual void DrawLine(const prism3d::Point3d& a, const prism3d::Point3d& b) = 0;
    virtual void DrawPolyline(std::span<const prism3d::Point3d> points) = 0;
    virtual void DrawPoint(const prism3d::Point3d& p) = 0;
    virtual void DrawGrid(const prism3d::Point3d& lower, const prism3d::Point3d& upper,
                          const prism3d::Point3d& divisions, const uint16_t* option) = 0;
    virtual void DrawText(const Str31& text, const prism3d::Point3d& at) = 0;
    virtual Point3D BoxMin() const = 0;
    virtual Point3D BoxMax() const = 0;
    // The options a surface carries back to the kernel: {MeshRange -> {{x0, x1}, {y0, y1}}}.
    virtual NodePtr MeshRangeOption() const = 0;
};

namespace prim3d {
inline constexpr int32_t kFaceGrid = 1;
inline constexpr int32_t kLine = 2;
inline constexpr int32_t kMesh = 3;
inline constexpr int32_t kPoint = 4;
inline constexpr int32_t kPolyline = 5;
inline constexpr int32_t kSurface = 6;
inline constexpr int32_t kText = 7;
// The most points one surface may hold (a 2,048 x 2,048 grid); more is refused.
inline constexpr int64_t kMaxSurfacePoints = int64_t{1} << 22;
} // namespace prim3d

// The attribute record every patch passes: a light blue, the rest fixed.
prism3d::PatchStyle PatchStyleFor();

class GraphicsPrim3D : public StoredPrim {
public:
    virtual std::unique_ptr<GraphicsPrim3D> Clone() const = 0;
    // Background grids; the base draws none.
    virtual void DrawGrid(Plot3DScene&) const {}
    virtual void Draw(Plot3DScene&) const {}
    virtual bool IsPatch() const { return false; }
    // Adds the primitive's patch at `slot` of the group and moves the slot on.
    virtual void AddToGroup(const Plot3DScene&, prism3d::Group&, int32_t& /*slot*/) const {}
    virtual NodePtr ToExpr(const Plot3DScene&) const { return nullptr; }
};

class FaceGridPrim3D final : public GraphicsPrim3D {
public:
    FaceGridPrim3D() = default;
    // One face of each opposite pair: first 1 sets face 1 (else 4), second 0 face 0 (else 3),
    // third 2 face 2 (else 5).
    FaceGridPrim3D(int32_t first, int32_t second, int32_t third, const Point3D& spacings);
    std::unique_ptr<GraphicsPrim3D> Clone() const override;
    // A spacing of 0 or less (or not finite) draws no lines on that axis.
    void DrawGrid(Plot3DScene& scene) const override;
    NodePtr ToExpr(const Plot3DScene& scene) const override;
    int32_t GetTypeCode() const override { return prim3d::kFaceGrid; }
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;

    bool Face(int32_t face) const { return m_faces[static_cast<size_t>(face)] != 0; }
    const Point3D& Spacings() const { return m_spacings; }
    // The option word the grid hands the library.
    uint16_t OptionWord() const;

private:
    std::array<uint8_t, 6> m_faces{};
    Point3D m_spacings;
};

class LinePrim3D final : public GraphicsPrim3D {
public:
    LinePrim3D() = default;
    LinePrim3D(const Point3D& from, const Point3D& to) : m_from(from), m_to(to) {}
    std::unique_ptr<GraphicsPrim3D> Clone() const override;
    void Draw(Plot3DScene& scene) const override;
    NodePtr ToExpr(const Plot3DScene& scene) const override;
    int32_t GetTypeCode() const override { return prim3d::kLine; }
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;

    const Point3D& From() const { return m_from; }
    const Point3D& To() const { return m_to; }

private:
    Point3D m_from;
    Point3D m_to;
};

class PolygonMeshPrim3D final : public GraphicsPrim3D {
public:
    struct MeshFacet {
        static constexpr int32_t kMaxIndices = 8;
        int32_t count = 0;
        std::array<int32_t, kMaxIndices> index{};
        friend bool operator==(const MeshFacet&, const MeshFacet&) = default;
    };

    PolygonMeshPrim3D() = default;
    PolygonMeshPrim3D(std::vector<MeshFacet> facets, std::vector<Point3D> vertices)
        : m_facets(std::move(facets)), m_vertices(std::move(vertices)) {}
    std::unique_ptr<GraphicsPrim3D> Clone() const override;
    bool IsPatch() const override { return true; }
    void AddToGroup(const Plot3DScene& scene, prism3d::Group& group, int32_t& slot) const override;
    NodePtr ToExpr(const Plot3DScene& scene) const override;
    int32_t GetTypeCode() const override { return prim3d::kMesh; }
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;

    const std::vector<MeshFacet>& Facets() const { return m_facets; }
    const std::vector<Point3D>& Vertices() const { return m_vertices; }

private:
    std::vector<MeshFacet> m_facets;
    std::vector<Point3D> m_vertices;
};

class PointPrim3D final : public GraphicsPrim3D {
public:
    PointPrim3D() = default;
    explicit PointPrim3D(const Point3D& at) : m_at(at) {}
    std::unique_ptr<GraphicsPrim3D> Clone() const override;
    void Draw(Plot3DScene& scene) const override;
    NodePtr ToExpr(const Plot3DScene& scene) const override;
    int32_t GetTypeCode() const override { return prim3d::kPoint; }
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;

    const Point3D& At() const { return m_at; }

private:
    Point3D m_at;
};

class PolylinePrim3D final : public GraphicsPrim3D {
public:
    PolylinePrim3D() = default;
    explicit PolylinePrim3D(std::vector<Point3D> points) : m_points(std::move(points)) {}
    std::unique_ptr<GraphicsPrim3D> Clone() const override;
    void Draw(Plot3DScene& scene) const override;
    NodePtr ToExpr(const Plot3DScene& scene) const override;
    int32_t GetTypeCode() const override { return prim3d::kPolyline; }
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;

    const std::vector<Point3D>& Points() const { return m_points; }

private:
    std::vector<Point3D> m_points;
};

class SurfacePrim3D final : public GraphicsPrim3D {
public:
    SurfacePrim3D() = default;
    // rows x columns points, row by row.
    SurfacePrim3D(int32_t rows, int32_t columns, std::vector<Point3D> points)
        : m_rows(rows), m_columns(columns), m_points(std::move(points)) {}
    std::unique_ptr<GraphicsPrim3D> Clone() const override;
    bool IsPatch() const override { return true; }
    void AddToGroup(const Plot3DScene& scene, prism3d::Group& group, int32_t& slot) const override;
    NodePtr ToExpr(const Plot3DScene& scene) const override;
    int32_t GetTypeCode() const override { return prim3d::kSurface; }
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;

    int32_t Rows() const { return m_rows; }
    int32_t Columns() const { return m_columns; }
    const std::vector<Point3D>& Points() const { return m_points; }

private:
    int32_t m_rows = 0;
    int32_t m_columns = 0;
    std::vector<Point3D> m_points;
};

class TextPrim3D final : public GraphicsPrim3D {
public:
    TextPrim3D() = default;
    TextPrim3D(const Point3D& at, const Str31& text) : m_at(at), m_text(text) {}
    std::unique_ptr<GraphicsPrim3D> Clone() const override;
    void Draw(Plot3DScene& scene) const override;
    NodePtr ToExpr(const Plot3DScene& scene) const override;
    int32_t GetTypeCode() const override { return prim3d::kText; }
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;

    const Point3D& At() const { return m_at; }
    const Str31& Text() const { return m_text; }

private:
    Point3D m_at;
    Str31 m_text;
};

// A default primitive of a stored code (1 to 7), or null.
std::unique_ptr<GraphicsPrim3D> MakePrim3D(int32_t code);

// The point a list node {x, y, z} names; each missing coordinate is 0.
Point3D GetPoint3D(const ExprNode* list);
NodePtr MakePoint3DExpr(const Point3D& point);

// Merges the corners of a list of polygons into one indexed mesh: corners with exactly equal
// coordinates become one vertex, numbered in the order they first appear. A polygon keeps at
// most its first 4 corners.
class MeshBuilder {
public:
    // `polygons` is a list node whose children are "Polygon" nodes.
    explicit MeshBuilder(const ExprNode& polygons);
    std::unique_ptr<PolygonMeshPrim3D> Build();

private:
    int32_t AddVertex(const Point3D& p);

    // By x, then y, then z; a value that is not a number sorts first and equals every other
    // such value, so that every corner finds one place.
    struct CornerOrder {
        bool operator()(const Point3D& a, const Point3D& b) const;
    };
    // Each corner seen so far and its vertex number.
    std::map<Point3D, int32_t, CornerOrder> m_index;
    std::vector<PolygonMeshPrim3D::MeshFacet> m_facets;
    std::vector<Point3D> m_vertices;
};
