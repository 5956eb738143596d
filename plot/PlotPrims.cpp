#include "plot/PlotPrims.h"

#include "document/DocStream.h"
#include "document/DrawPort.h"
#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "plot/GraphicsNodes.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace {

void WritePoint(DocStream& stream, const Point2D& p) {
    stream.WriteDouble(p.x);
    stream.WriteDouble(p.y);
}

Point2D ReadPoint(DocStream& stream) {
    Point2D p;
    p.x = stream.ReadDouble();
    p.y = stream.ReadDouble();
    return p;
}

// The tick length: 4 points in pixels of the device.
int32_t TickLength(int32_t resolution) {
    return 4 * resolution / 72;
}

NodePtr LineOver(std::initializer_list<Point2D> points) {
    auto list = std::make_unique<ListNode>();
    for (const Point2D& p : points)
        list->AppendChild(MakePoint2DExpr(p));
    return std::make_unique<PrimitiveNode>(PrimitiveNode::Kind::Line, std::move(list));
}

NodePtr TextAt(const Point2D& at, const Str31& text) {
    return std::make_unique<GraphicsTextNode>(std::make_unique<TextNode>(text.ToCString()),
                                              MakePoint2DExpr(at));
}

} // namespace

Str31 FormatCoordinate(double value) {
    char text[40];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    return Str31(std::string_view(text, static_cast<size_t>(result.ptr - text)));
}

// Texts go through the symbol face's character map, as every plot name does.
void WriteText(DocStream& stream, const Str31& text) {
    stream.WriteStr255(Str255(text), true);
}

Str31 ReadText(DocStream& stream) {
    Str255 text;
    stream.ReadStr255(text, true);
    return Str31(text);
}

int32_t ReadCount(DocStream& stream, int32_t itemBytes) {
    const int32_t at = stream.GetPosition();
    const int32_t count = stream.ReadLong();
    if (count < 0) stream.Fail(at);
    stream.RequireBytes(int64_t{count} * itemBytes);
    return count;
}

bool HasTag(const ExprNode& node, const char* tag) {
    return node.TypeTag() == TypeTag(tag);
}

const ExprNode* FirstItem(const ExprNode* list) {
    if (list == nullptr || !HasTag(*list, "lisN")) return nullptr;
    return static_cast<const CompositeNode*>(list)->FirstChild();
}

void GetCoordinates(const ExprNode* list, std::span<double> out) {
    std::fill(out.begin(), out.end(), 0.0);
    const ExprNode* item = FirstItem(list);
    for (double& value : out) {
        if (item == nullptr) return;
        value = item->GetReal();
        item = item->Next();
    }
}

NodePtr MakeCoordinatesExpr(std::span<const double> coordinates) {
    auto list = std::make_unique<ListNode>();
    for (double value : coordinates)
        list->AppendChild(std::make_unique<MachineRealNode>(value));
    return list;
}

bool Point2D::IsFinite() const {
    return std::isfinite(x) && std::isfinite(y);
}

// --- Ticks ---

void TickPrim::Write(DocStream& stream) const {
    stream.WriteByte(static_cast<uint8_t>(m_side & 0xFF));
    WritePoint(stream, m_at);
    WriteText(stream, m_label);
}

void TickPrim::Read(DocStream& stream) {
    m_side = static_cast<int8_t>(stream.ReadByte());
    m_at = ReadPoint(stream);
    m_label = ReadText(stream);
}

// Two items: the tick as a line from its point to its end, and the label as a text at its
// centre, on the side of the point opposite the tick.
NodePtr TickPrim::ToExpr(const PlotMapping& mapping) const {
    if (!m_at.IsFinite()) return nullptr;
    const Point p = mapping.Map(m_at);
    const Rect box = gDrawPort->MeasureText(Str255(m_label));
    const int32_t h = box.bottom - box.top;
    const int32_t w = box.right - box.left;
    Point2D end = m_at;
    Point2D centre = m_at;
    if (IsHorizontalAxis()) {
        const int32_t endY = m_side != 0 ? p.y + 4 : p.y - 4;
        end.y = mapping.Unmap(Point(p.x, endY)).y;
        const int32_t centreY = m_side != 0 ? endY - (8 + h / 2) : endY + (8 + h / 2);
        centre.y = mapping.Unmap(Point(p.x, centreY)).y;
    } else {
        const int32_t endX = m_side != 0 ? p.x - 4 : p.x + 4;
        end.x = mapping.Unmap(Point(endX, p.y)).x;
        const int32_t centreX = m_side != 0 ? endX + (8 + w / 2) : endX - (8 + w / 2);
        centre.x = mapping.Unmap(Point(centreX, p.y)).x;
    }
    auto pair = std::make_unique<ListNode>();
    pair->AppendChild(LineOver({m_at, end}));
    pair->AppendChild(TextAt(centre, m_label));
    return pair;
}

HTickPrim::HTickPrim(const Point2D& at, int32_t side)
    : TickPrim(at, side, FormatCoordinate(at.x)) {}

std::unique_ptr<GraphicsPrim> HTickPrim::Clone() const {
    return std::make_unique<HTickPrim>(m_at, m_side, m_label);
}

void HTickPrim::Draw(const PlotMapping& mapping, uint32_t) const {
    if (!m_at.IsFinite()) return;
    const Point p = mapping.Map(m_at);
    const int32_t t = TickLength(gDrawPort->GetResolutionY());
    gDrawPort->MoveTo(p);
    gDrawPort->LineBy(0, m_side != 0 ? t : -t);
    const Rect b = gDrawPort->MeasureText(Str255(m_label));
    const int32_t y = m_side != 0 ? p.y - b.bottom - t : p.y - b.top + t;
    gDrawPort->MoveTo(Point(p.x - (b.right - b.left) / 2, y));
    gDrawPort->DrawString(Str255(m_label));
}

VTickPrim::VTickPrim(const Point2D& at, int32_t side)
    : TickPrim(at, side, FormatCoordinate(at.y)) {}

std::unique_ptr<GraphicsPrim> VTickPrim::Clone() const {
    return std::make_unique<VTickPrim>(m_at, m_side, m_label);
}

void VTickPrim::Draw(const PlotMapping& mapping, uint32_t) const {
    if (!m_at.IsFinite()) return;
    const Point p = mapping.Map(m_at);
    const int32_t t = TickLength(gDrawPort->GetResolutionX());
    gDrawPort->MoveTo(p);
    gDrawPort->LineBy(m_side != 0 ? -t : t, 0);
    const Rect b = gDrawPort->MeasureText(Str255(m_label));
    const int32_t x = m_side != 0 ? p.x + t : p.x - (b.right - b.left) - t;
    gDrawPort->MoveTo(Point(x, p.y - (b.top + b.bottom) / 3));
    gDrawPort->DrawString(Str255(m_label));
}

// --- Lines, points, polylines, texts ---

std::unique_ptr<GraphicsPrim> LinePrim::Clone() const {
    return std::make_unique<LinePrim>(m_from, m_to);
}

void LinePrim::Draw(const PlotMapping& mapping, uint32_t color) const {
    if (!m_from.IsFinite() || !m_to.IsFinite()) return;
    const Point ends[2] = {mapping.Map(m_from), mapping.Map(m_to)};
    if (color == 0) {
        // The axes: crisp one-pixel lines.
        gDrawPort->MoveTo(ends[0]);
        gDrawPort->LineToPoint(ends[1]);
        return;
    }
    gDrawPort->DrawPolyline(ends, color);
}

NodePtr LinePrim::ToExpr(const PlotMapping&) const {
    return LineOver({m_from, m_to});
}

void LinePrim::Write(DocStream& stream) const {
    WritePoint(stream, m_from);
    WritePoint(stream, m_to);
}

void LinePrim::Read(DocStream& stream) {
    m_from = ReadPoint(stream);
    m_to = ReadPoint(stream);
}

std::unique_ptr<GraphicsPrim> PointPrim::Clone() const {
    return std::make_unique<PointPrim>(m_at);
}

void PointPrim::Draw(const PlotMapping& mapping, uint32_t) const {
    if (!m_at.IsFinite()) return;
    // The layer takes a dot's point as given, so the drawing origin is taken off here.
    const Point p = mapping.Map(m_at);
    const Point origin = gDrawPort->GetOrigin();
    gDrawPort->DrawDot(Point(p.x - origin.x, p.y - origin.y));
}

NodePtr PointPrim::ToExpr(const PlotMapping&) const {
    return std::make_unique<PrimitiveNode>(PrimitiveNode::Kind::Point, MakePoint2DExpr(m_at));
}

void PointPrim::Write(DocStream& stream) const {
    WritePoint(stream, m_at);
}

void PointPrim::Read(DocStream& stream) {
    m_at = ReadPoint(stream);
}

std::unique_ptr<GraphicsPrim> PolylinePrim::Clone() const {
    return std::make_unique<PolylinePrim>(m_points);
}

void PolylinePrim::Draw(const PlotMapping& mapping, uint32_t color) const {
    std::vector<Point> run;
    run.reserve(m_points.size());
    auto flush = [&] {
        if (!run.empty()) gDrawPort->DrawPolyline(run, color);
        run.clear();
    };
    for (const Point2D& p : m_points) {
        if (!p.IsFinite()) {
            flush();
            continue;
        }
        run.push_back(mapping.Map(p));
    }
    flush();
}

NodePtr PolylinePrim::ToExpr(const PlotMapping&) const {
    auto list = std::make_unique<ListNode>();
    for (const Point2D& p : m_points)
        list->AppendChild(MakePoint2DExpr(p));
    return std::make_unique<PrimitiveNode>(PrimitiveNode::Kind::Line, std::move(list));
}

void PolylinePrim::Write(DocStream& stream) const {
    stream.WriteLong(static_cast<int32_t>(m_points.size()));
    for (const Point2D& p : m_points)
        WritePoint(stream, p);
}

void PolylinePrim::Read(DocStream& stream) {
    std::vector<Point2D> points(static_cast<size_t>(ReadCount(stream, 16)));
    for (Point2D& p : points)
        p = ReadPoint(stream);
    m_points = std::move(points);
}

std::unique_ptr<GraphicsPrim> TextPrim::Clone() const {
    return std::make_unique<TextPrim>(m_at, m_text);
}

void TextPrim::Draw(const PlotMapping& mapping, uint32_t) const {
    if (!m_at.IsFinite()) return;
    const Point p = mapping.Map(m_at);
    const int32_t w = gDrawPort->MeasureText(Str255(m_text)).right;
    gDrawPort->MoveTo(Point(p.x - w / 2, p.y));
    gDrawPort->DrawString(Str255(m_text));
}

NodePtr TextPrim::ToExpr(const PlotMapping&) const {
    return TextAt(m_at, m_text);
}

void TextPrim::Write(DocStream& stream) const {
    WritePoint(stream, m_at);
    WriteText(stream, m_text);
}

void TextPrim::Read(DocStream& stream) {
    m_at = ReadPoint(stream);
    m_text = ReadText(stream);
}

std::unique_ptr<GraphicsPrim> MakePrim2D(int32_t code) {
    switch (code) {
    case primcode::kHTick:
        return std::make_unique<HTickPrim>();
    case primcode::kVTick:
        return std::make_unique<VTickPrim>();
    case primcode::kLine:
        return std::make_unique<LinePrim>();
    case primcode::kPoint:
        return std::make_unique<PointPrim>();
    case primcode::kPolyline:
        return std::make_unique<PolylinePrim>();
    case primcode::kText:
        return std::make_unique<TextPrim>();
    default:
        return nullptr;
    }
}

Point2D GetPoint2D(const ExprNode* list) {
    std::array<double, 2> c{};
    GetCoordinates(list, c);
    return Point2D{c[0], c[1]};
}

NodePtr MakePoint2DExpr(const Point2D& point) {
    return MakeCoordinatesExpr(std::array<double, 2>{point.x, point.y});
}
