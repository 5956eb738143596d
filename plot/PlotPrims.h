#pragma once

// The stored 2-D primitives of a computed plot: tick marks with their labels, segments, dots,
// polylines and texts, all in plot coordinates. A plot turns the kernel's graphics into them
// once, keeps them in its `PrimStore`, draws them on every repaint through its mapping from
// plot coordinates to device points, and stores them in the document as the stream's framed
// primitive records (code, patched length, body).
//
// Texts are `Str31`s: a longer text keeps its first 31 characters wherever it is assigned.
// Non-finite coordinates never reach the drawing layer: such a point is skipped, and a polyline
// breaks there.

#include "document/Point.h"
#include "document/StoredPrim.h"
#include "document/Str255.h"
#include "expr/ExprNode.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct Point2D {
    double x = 0.0;
    double y = 0.0;

    bool IsFinite() const;
};

// How primitives reach the device: plot coordinates to device points of the current drawing,
// and back. The 2-D plot implements it.
class PlotMapping {
public:
    virtual ~PlotMapping() = default;
    // Finite coordinates only; the answer saturates far outside the picture.
    virtual Point Map(const Point2D& p) const = 0;
    virtual Point2D Unmap(Point p) const = 0;
};

// The stored type codes.
namespace primcode {
inline constexpr int32_t kHTick = 1;
inline constexpr int32_t kVTick = 2;
inline constexpr int32_t kLine = 3;
inline constexpr int32_t kPoint = 4;
inline constexpr int32_t kPolyline = 5;
inline constexpr int32_t kText = 6;
} // namespace primcode

class GraphicsPrim : public StoredPrim {
public:
    virtual std::unique_ptr<GraphicsPrim> Clone() const = 0;
    // Draws through the installed drawing port; `color` (0x00BBGGRR) is the colour of the
    // curve the primitive belongs to. The base draws nothing.
    virtual void Draw(const PlotMapping&, uint32_t /*color*/) const {}
    // A new graphics node standing for the primitive; the base has none.
    virtual NodePtr ToExpr(const PlotMapping&) const { return nullptr; }
};

// The shared fields and record of the two tick kinds.
class TickPrim : public GraphicsPrim {
public:
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;
    NodePtr ToExpr(const PlotMapping& mapping) const override;

    const Point2D& At() const { return m_at; }
    const Str31& Label() const { return m_label; }
    int32_t Side() const { return m_side; }

protected:
    TickPrim() = default;
    TickPrim(const Point2D& at, int32_t side, const Str31& label)
        : m_at(at), m_label(label), m_side(side) {}
    virtual bool IsHorizontalAxis() const = 0;

    Point2D m_at;
    Str31 m_label;
    int32_t m_side = 0; // 1: the tick goes down (right), its label up (left)
};

// A tick on the horizontal axis, labelled with its x.
class HTickPrim final : public TickPrim {
public:
    HTickPrim() = default;
    HTickPrim(const Point2D& at, int32_t side);
    HTickPrim(const Point2D& at, int32_t side, const Str31& label) : TickPrim(at, side, label) {}
    std::unique_ptr<GraphicsPrim> Clone() const override;
    void Draw(const PlotMapping& mapping, uint32_t color) const override;
    int32_t GetTypeCode() const override { return primcode::kHTick; }

private:
    bool IsHorizontalAxis() const override { return true; }
};

// A tick on the vertical axis, labelled with its y.
class VTickPrim final : public TickPrim {
public:
    VTickPrim() = default;
    VTickPrim(const Point2D& at, int32_t side);
    VTickPrim(const Point2D& at, int32_t side, const Str31& label) : TickPrim(at, side, label) {}
    std::unique_ptr<GraphicsPrim> Clone() const override;
    void Draw(const PlotMapping& mapping, uint32_t color) const override;
    int32_t GetTypeCode() const override { return primcode::kVTick; }

private:
    bool IsHorizontalAxis() const override { return false; }
};

class LinePrim final : public GraphicsPrim {
public:
    LinePrim() = default;
    LinePrim(const Point2D& from, const Point2D& to) : m_from(from), m_to(to) {}
    std::unique_ptr<GraphicsPrim> Clone() const override;
    void Draw(const PlotMapping& mapping, uint32_t color) const override;
    NodePtr ToExpr(const PlotMapping& mapping) const override;
    int32_t GetTypeCode() const override { return primcode::kLine; }
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;

    const Point2D& From() const { return m_from; }
    const Point2D& To() const { return m_to; }

private:
    Point2D m_from;
    Point2D m_to;
};

class PointPrim final : public GraphicsPrim {
public:
    PointPrim() = default;
    explicit PointPrim(const Point2D& at) : m_at(at) {}
    std::unique_ptr<GraphicsPrim> Clone() const override;
    void Draw(const PlotMapping& mapping, uint32_t color) const override;
    NodePtr ToExpr(const PlotMapping& mapping) const override;
    int32_t GetTypeCode() const override { return primcode::kPoint; }
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;

    const Point2D& At() const { return m_at; }

private:
    Point2D m_at;
};

class PolylinePrim final : public GraphicsPrim {
public:
    PolylinePrim() = default;
    explicit PolylinePrim(std::vector<Point2D> points) : m_points(std::move(points)) {}
    std::unique_ptr<GraphicsPrim> Clone() const override;
    // Connected segments through the finite points; a non-finite point ends one run of
    // segments and the next finite point starts another.
    void Draw(const PlotMapping& mapping, uint32_t color) const override;
    NodePtr ToExpr(const PlotMapping& mapping) const override;
    int32_t GetTypeCode() const override { return primcode::kPolyline; }
    void Write(DocStream& stream) const override;
    // A negative count, or one that the record's bytes cannot hold, is damage.
    void Read(DocStream& stream) override;

    const std::vector<Point2D>& Points() const { return m_points; }

private:
    std::vector<Point2D> m_points;
};

// Text centred on its point, its baseline at the point.
class TextPrim final : public GraphicsPrim {
public:
    TextPrim() = default;
    TextPrim(const Point2D& at, const Str31& text) : m_at(at), m_text(text) {}
    std::unique_ptr<GraphicsPrim> Clone() const override;
    void Draw(const PlotMapping& mapping, uint32_t color) const override;
    NodePtr ToExpr(const PlotMapping& mapping) const override;
    int32_t GetTypeCode() const override { return primcode::kText; }
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;

    const Point2D& At() const { return m_at; }
    const Str31& Text() const { return m_text; }

private:
    Point2D m_at;
    Str31 m_text;
};

// A default primitive of a stored code (1 to 6), or null.
std::unique_ptr<GraphicsPrim> MakePrim2D(int32_t code);

// The "%g" text of a number (six significant digits), never depending on the locale.
Str31 FormatCoordinate(double value);
// A primitive's text in a record: through the symbol face's character map.
void WriteText(DocStream& stream, const Str31& text);
Str31 ReadText(DocStream& stream);
// A count read from a record: never negative, and never more items of `itemBytes` than the
// record holds, so that it is safe to allocate for.
int32_t ReadCount(DocStream& stream, int32_t itemBytes);
// Whether a node carries the type tag.
bool HasTag(const ExprNode& node, const char* tag);
// The first item of a list node; null for an empty list or any other node.
const ExprNode* FirstItem(const ExprNode* list);
// The reals of a list node's first items, in order; what the list lacks is 0.
void GetCoordinates(const ExprNode* list, std::span<double> out);
// A list node of machine reals.
NodePtr MakeCoordinatesExpr(std::span<const double> coordinates);

// The point a list node {x, y} names: each missing coordinate is 0.
Point2D GetPoint2D(const ExprNode* list);
// A list node {x, y} of two machine reals.
NodePtr MakePoint2DExpr(const Point2D& point);
