// Drawing through the layer: lines, text, symbols and built-up delimiters, shapes, regions,
// plot labels and pictures.

#include "document/Region.h"
#include "mathbox/DrawView.h"
#include "mathbox/MathExtents.h"
#include "mathbox/MathGlyphMap.h"
#include "mathbox/PaintPort.h"
#include "mathbox/StyleManager.h"

#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QSvgRenderer>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr uint32_t kGray = 0x808080;
constexpr uint32_t kLightGray = 0xC4C4C4;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kBlack = 0;
constexpr uint32_t kBlue = 0xFF0000;
const QColor kBackground = Qt::white;

// The pieces of each built-up delimiter: top, extension, middle, bottom.
struct Pieces {
    uint8_t top, extension, middle, bottom;
};

Pieces PiecesOf(uint8_t delimiter) {
    switch (delimiter) {
    case '(':
        return {147, 169, 169, 145};
    case ')':
        return {148, 153, 153, 146};
    case '{':
        return {163, 169, 149, 167};
    case '}':
        return {182, 153, 174, 223};
    default:
        return {32, 32, 32, 32};
    }
}

bool IsPiece(uint8_t code) {
    switch (code) {
    case 145:
    case 146:
    case 147:
    case 148:
    case 149:
    case 153:
    case 163:
    case 167:
    case 169:
    case 174:
    case 182:
    case 223:
        return true;
    default:
        return false;
    }
}

QRect ToQ(const Rect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

// Bytes that can only be an SVG document: optional blanks or a byte-order mark, then markup.
bool LooksLikeSvg(const PictureBytes& bytes) {
    size_t i = 0;
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) i = 3;
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return i < bytes.size() && bytes[i] == '<';
}

} // namespace

// --- Primitive painting, in the painter's coordinates ---

void PaintPort::FillRect(const Rect& rect, const QColor& color) {
    if (QPainter* painter = Painter(); painter != nullptr && !rect.IsEmpty())
        painter->fillRect(ToQ(rect), color);
}

void PaintPort::InvertRect(const Rect& rect) {
    QPainter* painter = Painter();
    if (painter == nullptr || !CanInvert() || rect.IsEmpty()) return;
    const QPainter::CompositionMode mode = painter->compositionMode();
    painter->setCompositionMode(QPainter::RasterOp_NotDestination);
    painter->fillRect(ToQ(rect), Qt::black);
    painter->setCompositionMode(mode);
}

// A line that leaves out its end point, as every line of the layout expects. On the screen it
// is one pixel wide; at a printer's resolution it is as heavy as a printed rule (about half a
// point), growing down from a flat line and right from a steep one, so its first row and
// column stay where the layout puts them and a rule does not fade to a hairline.
void PaintPort::DrawLine(Point from, Point to) {
    QPainter* painter = Painter();
    if (painter == nullptr || from == to) return;
    const bool flat = std::abs(to.x - from.x) >= std::abs(to.y - from.y);
    const int32_t weight = StrokeWeight();
    if (Current().kind == TargetKind::Picture) {
        // A vector line, moved half its width across its run, covers the pixels that the
        // raster line covers, so a played picture looks like direct drawing.
        const QPointF across(flat ? 0.0 : weight / 2.0, flat ? weight / 2.0 : 0.0);
        painter->setPen(QPen(Qt::black, weight, Qt::SolidLine, Qt::FlatCap));
        painter->drawLine(QPointF(from.x, from.y) + across, QPointF(to.x, to.y) + across);
        return;
    }
    if (weight > 1 && (from.x == to.x || from.y == to.y)) {
        // The pixels of the one-pixel line, then `weight` of them across.
        const int32_t step = flat ? (to.x > from.x ? 1 : -1) : (to.y > from.y ? 1 : -1);
        const Point last = flat ? Point(to.x - step, to.y) : Point(to.x, to.y - step);
        const int32_t left = std::min(from.x, last.x);
        const int32_t top = std::min(from.y, last.y);
        const int32_t width = std::abs(last.x - from.x) + (flat ? 1 : weight);
        const int32_t height = std::abs(last.y - from.y) + (flat ? weight : 1);
        painter->fillRect(QRect(left, top, width, height), Qt::black);
        return;
    }
    const QPointF across(flat ? 0.0 : (weight - 1) / 2.0, flat ? (weight - 1) / 2.0 : 0.0);
    painter->setPen(QPen(Qt::black, weight == 1 ? 0 : weight, Qt::SolidLine, Qt::FlatCap));
    painter->setRenderHint(QPainter::Antialiasing, false);
    if (weight == 1)
        painter->drawLine(from.x, from.y, to.x, to.y);
    else
        painter->drawLine(QPointF(from.x, from.y) + across, QPointF(to.x, to.y) + across);
}

int32_t PaintPort::StrokeWeight() const {
    return std::max(1, (Current().dpiY + 75) / 150);
}

void PaintPort::FillRegion(const Region& region, const QColor& color) {
    QPainter* painter = Painter();
    const QRegion* handle = region.GetHandle();
    if (painter == nullptr || handle == nullptr) return;
    for (const QRect& r : *handle)
        painter->fillRect(r, color);
}

// The band of a region that lies within `width` pixels of its outside horizontally and
// `height` vertically.
void PaintPort::FrameRegion(const Region& region, int32_t width, int32_t height,
                            const QColor& color) {
    const QRegion* handle = region.GetHandle();
    if (Painter() == nullptr || handle == nullptr) return;
    QRegion inner = *handle;
    for (int32_t k = 1; k <= width; ++k)
        inner &= handle->translated(k, 0) & handle->translated(-k, 0);
    for (int32_t k = 1; k <= height; ++k)
        inner &= handle->translated(0, k) & handle->translated(0, -k);
    QPainter* painter = Painter();
    for (const QRect& r : *handle - inner)
        painter->fillRect(r, color);
}

void PaintPort::DrawGlyphs(const uint8_t* codes, int32_t count, Point at) {
    QPainter* painter = Painter();
    const FaceFont* font = m_labelSelected ? m_labelFont.get() : m_font.get();
    if (painter == nullptr || font == nullptr || count <= 0) return;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(count);
    positions.reserve(count);
    int32_t x = at.x;
    for (int32_t i = 0; i < count; ++i) {
        glyphs.append(font->GlyphIndex(codes[i]));
        positions.append(QPointF(x, at.y));
        x += font->Advance(codes[i]);
    }
    // Text never paints a background on any target: the font's cell reaches far beyond its
    // glyphs and would wipe out the ink of neighbours (a descender above a fraction's bar, the
    // row above in a grid). Whoever redraws in place erases the area first.
    PaintGlyphs(font->Raw(), glyphs, positions);
}

// Pictures get outlines, so that they show the same where the fonts are missing.
void PaintPort::PaintGlyphs(const QRawFont& font, const QList<quint32>& glyphs,
                            const QList<QPointF>& positions) {
    QPainter* painter = Painter();
    if (painter == nullptr) return;
    if (Current().kind == TargetKind::Picture) {
        QPainterPath path;
        for (qsizetype i = 0; i < glyphs.size(); ++i)
            path.addPath(font.pathForGlyph(glyphs[i]).translated(positions[i]));
        FillOutline(path);
        return;
    }
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    painter->setPen(m_textColor);
    painter->drawGlyphRun(QPointF(0, 0), run);
}

void PaintPort::DrawText(const Str255& text) {
    const Point at(m_pen.x - m_origin.x, m_pen.y - m_origin.y);
    DrawGlyphs(reinterpret_cast<const uint8_t*>(text.View().data()), text.GetLength(), at);
}

// --- The pen ---

void PaintPort::MoveBy(int32_t dx, int32_t dy) {
    m_pen.x += dx;
    m_pen.y += dy;
}

void PaintPort::LineBy(int32_t dx, int32_t dy) {
    LineToPoint(Point(m_pen.x + dx, m_pen.y + dy));
}

void PaintPort::LineToPoint(Point point) {
    const Point from(m_pen.x - m_origin.x, m_pen.y - m_origin.y);
    m_pen = point;
    DrawLine(from, Point(point.x - m_origin.x, point.y - m_origin.y));
}

// --- Text and symbols ---

void PaintPort::DrawChar(uint8_t code) {
    DrawGlyphs(&code, 1, Point(m_pen.x - m_origin.x, m_pen.y - m_origin.y));
}

void PaintPort::DrawString(const Str255& text) {
    DrawText(text);
}

void PaintPort::DrawLinkText(const Str255& text) {
    const QColor previous = m_textColor;
    m_textColor = ColorFromRef(kBlue);
    DrawText(text);
    m_textColor = previous;
}

void PaintPort::DrawBigSymbol(uint8_t code) {
    PushSize(static_cast<int8_t>(m_sizes[m_sizeTop] - 2));
    if (m_font) {
        const QPointF at(m_pen.x - m_origin.x, m_pen.y - m_origin.y);
        PaintGlyphs(m_font->Raw(), {m_font->GlyphIndexFor(BigOperatorCode(code))}, {at});
    }
    PopSize();
}

std::pair<double, double> PaintPort::InkSpan(char32_t glyph) const {
    if (!m_font) return {0.0, 1.0};
    const QRectF ink = m_font->Raw().pathForGlyph(m_font->GlyphIndexFor(glyph)).boundingRect();
    return {ink.left(), ink.right()};
}

// The piece's outline scaled into its row's box: from the row's top to its bottom at the
// current size, and across the big-delimiter width. The math font's own pieces have other
// proportions than the rows the delimiter arithmetic was made for; fitting them makes the
// pieces meet wherever the arithmetic puts them.
void PaintPort::DrawPiece(uint8_t code, char32_t glyph, double inkLeft, double inkRight) {
    QPainter* painter = Painter();
    if (painter == nullptr || !m_font) return;
    const QPainterPath outline = m_font->Raw().pathForGlyph(m_font->GlyphIndexFor(glyph));
    const QRectF ink = outline.boundingRect();
    if (ink.isEmpty() || inkRight <= inkLeft) return;
    const double top = MathUnitsToPixels(MathExtents[code].top);
    const double bottom = MathUnitsToPixels(MathExtents[code].bottom);
    const double sx = GetBigDelimiterWidth() / (inkRight - inkLeft);
    const double sy = bottom > top ? (bottom - top) / ink.height() : 1.0;
    QTransform fit;
    fit.translate(m_pen.x - m_origin.x, m_pen.y - m_origin.y + top);
    fit.scale(sx, sy);
    fit.translate(-inkLeft, -ink.top());
    FillOutline(fit.map(outline));
}

void PaintPort::FillOutline(const QPainterPath& outline) {
    QPainter* painter = Painter();
    if (painter == nullptr) return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->fillPath(outline, m_textColor);
    painter->restore();
}

// A piece drawn alone fills its row's box across the big-delimiter width. The per-size
// horizontal nudges that pieces of other proportions needed would only put it out of line with
// the font's other pieces.
void PaintPort::DrawSymbolPiece(uint8_t code) {
    if (!IsPiece(code)) {
        DrawChar(code);
        return;
    }
    const auto [left, right] = InkSpan(MathGlyphCodes[code]);
    DrawPiece(code, MathGlyphCodes[code], left, right);
}

DelimiterPlan PaintPort::PlanBigDelimiter(uint8_t delimiter, int32_t top, int32_t bottom) const {
    const Pieces pieces = PiecesOf(delimiter);
    const int32_t a = MathUnitsToPixels(MathExtents[pieces.top].top);
    const int32_t y0 = top - a;
    const int32_t yb = bottom - MathUnitsToPixels(MathExtents[pieces.bottom].bottom);
    // At a low resolution the extension's reach can round to nothing; it still takes a pixel.
    const int32_t e = std::min(-1, MathUnitsToPixels(MathExtents[pieces.extension].top));
    int32_t n = std::max(1, (y0 - yb) / e + 1);
    if (n % 2 == 0) ++n;
    const int32_t step = (yb - y0) / n + ((yb - y0) % n != 0 ? 1 : 0);
    return {y0, step, n};
}

// The outline of a built-up delimiter whose pen is at `at` (painter coordinates): the plan
// says where the pieces stand; the pieces are the font's own, in their own proportions.
// - The hooks keep their shape (one scale across and down, the one that fits the delimiter's
//   width); the top hook's ink starts at the requested top and the bottom hook's ends at the
//   requested bottom, so nothing passes either, whatever the steps' rounding.
// - The brace's tip keeps its shape too, centred on the middle piece's place.
// - Each extension is stretched over its whole step, into its neighbours by a pixel, but only
//   between the hooks and the tip, whose own strokes carry on where they bend away; so no seam
//   and no stray stub shows at any height or resolution.
QPainterPath PaintPort::BigDelimiterOutline(uint8_t delimiter, const DelimiterPlan& plan,
                                            QPointF at, int32_t top, int32_t bottom) {
    QPainterPath outline;
    outline.setFillRule(Qt::WindingFill);
    const Pieces pieces = PiecesOf(delimiter);
    if (!m_font || !IsPiece(pieces.top)) return outline;
    const bool brace = delimiter == '{' || delimiter == '}';
    const char32_t glyphs[4] = {MathGlyphCodes[pieces.top],
                                brace ? kBraceExtension : MathGlyphCodes[pieces.extension],
                                MathGlyphCodes[pieces.middle], MathGlyphCodes[pieces.bottom]};
    QPainterPath paths[4];
    double left = 0;
    double right = 0;
    for (int i = 0; i < 4; ++i) {
        paths[i] = m_font->Raw().pathForGlyph(m_font->GlyphIndexFor(glyphs[i]));
        const QRectF ink = paths[i].boundingRect();
        left = i == 0 ? ink.left() : std::min(left, ink.left());
        right = i == 0 ? ink.right() : std::max(right, ink.right());
    }
    if (right <= left) return outline;
    const double across = GetBigDelimiterWidth() / (right - left);
    const double height = bottom - top;
    const double firstRow = at.y() + top;
    const double lastRow = at.y() + bottom;
    // A piece scaled by `across` and `down` whose ink starts `inkTop` (painter y).
    const auto place = [&](const QPainterPath& path, double down, double inkTop) {
        const QRectF ink = path.boundingRect();
        QTransform fit;
        fit.translate(at.x(), inkTop);
        fit.scale(across, down);
        fit.translate(-left, -ink.top());
        outline.addPath(fit.map(path));
    };
    // A shape never taller than the delimiter.
    const auto down = [&](const QPainterPath& path) {
        return std::min(across, height / std::max(1.0, path.boundingRect().height()));
    };
    // The hooks' ends: the extensions run from the one to the other.
    const double topEnd = firstRow + paths[0].boundingRect().height() * down(paths[0]);
    const double bottomStart = lastRow - paths[3].boundingRect().height() * down(paths[3]);
    place(paths[0], down(paths[0]), firstRow);
    place(paths[3], down(paths[3]), bottomStart);
    // Where the extensions may show: between the hooks, and for a brace not across its tip,
    // each gap entered by a pixel so that the pieces join without a seam.
    const double overlap = 1.0;
    std::vector<std::pair<double, double>> gaps = {{topEnd - overlap, bottomStart + overlap}};
    const int32_t middle = plan.count / 2 + 1;
    if (glyphs[2] != glyphs[1]) {
        const double tall = paths[2].boundingRect().height() * down(paths[2]);
        const double centre =
            at.y() + plan.topY + middle * plan.step +
            MathUnitsToPixels(MathExtents[pieces.middle].top + MathExtents[pieces.middle].bottom) /
                2.0;
        const double tipTop =
            std::clamp(centre - tall / 2, firstRow, std::max(firstRow, lastRow - tall));
        place(paths[2], down(paths[2]), tipTop);
        gaps = {{topEnd - overlap, tipTop + overlap},
                {tipTop + tall - overlap, bottomStart + overlap}};
    }
    // The extensions stand where the plan puts them: each fills its step, within the gaps.
    const QRectF extension = paths[1].boundingRect();
    for (int32_t k = 1; k <= plan.count && !extension.isEmpty(); ++k) {
        const double baseline = at.y() + plan.topY + k * plan.step;
        // The first and last also reach the hooks, which may end short of their steps.
        const double stepTop = k == 1 ? firstRow : baseline - plan.step;
        const double stepBottom = k == plan.count ? lastRow : baseline;
        for (const auto& [gapTop, gapBottom] : gaps) {
            const double from = std::max({firstRow, gapTop, stepTop - overlap});
            const double to = std::min({lastRow, gapBottom, stepBottom + overlap});
            if (to > from) place(paths[1], (to - from) / extension.height(), from);
        }
    }
    // One outline without overlaps: where antialiased edges of overlapping pieces met, their
    // coverage would add up to a darker seam.
    return outline.simplified();
}

void PaintPort::DrawBigDelimiter(uint8_t delimiter, int32_t top, int32_t bottom) {
    const int32_t face = m_face;
    SetFace(3);
    const DelimiterPlan plan = PlanBigDelimiter(delimiter, top, bottom);
    const QPainterPath outline = BigDelimiterOutline(
        delimiter, plan, QPointF(m_pen.x - m_origin.x, m_pen.y - m_origin.y), top, bottom);
    if (!outline.isEmpty()) FillOutline(outline);
    // The pen ends at the bottom piece's baseline, as the plan has it.
    MoveBy(0, plan.topY + plan.count * plan.step);
    SetFace(face);
}

// --- Shapes ---

void PaintPort::DrawGrayBox(Point point) {
    Rect box = GetGrayBox();
    box.Offset(Point(point.x - m_origin.x, point.y - m_origin.y));
    const int32_t inset = GetSpacing();
    box.Inset(inset, inset);
    FillRect(box, ColorFromRef(kGray));
}

// The frame of an empty slot is an editing aid: it shows on the window only, never on a
// printed page, an image or a picture, though it keeps its room everywhere.
void PaintPort::DrawPlaceholderFrame(Point point) {
    if (Current().kind != TargetKind::Window) return;
    Rect box = m_placeholderBox;
    box.Offset(Point(point.x - m_origin.x, point.y - m_origin.y));
    FrameRegion(Region(box), 1, 1, ColorFromRef(kGray));
}

// An ellipse inside the rectangle, its right and bottom edges exclusive, outlined with the pen
// and filled with the brush.
void PaintPort::DrawEllipse(const Rect& rect) {
    QPainter* painter = Painter();
    if (painter == nullptr) return;
    const Rect r = rect.Shifted(Point(-m_origin.x, -m_origin.y));
    if (r.IsEmpty()) return;
    painter->setBrush(kBackground);
    if (Current().kind == TargetKind::Picture) {
        painter->setPen(QPen(Qt::black, 1));
        painter->drawEllipse(QRectF(r.left + 0.5, r.top + 0.5, r.Width() - 1, r.Height() - 1));
        return;
    }
    painter->setPen(QPen(Qt::black, 0));
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->drawEllipse(QRect(r.left, r.top, r.Width() - 1, r.Height() - 1));
}

void PaintPort::DrawDot(Point point) {
    const Point saved = m_origin;
    m_origin = Point();
    DrawEllipse(Rect(point.x - 1, point.y - 1, point.x + 2, point.y + 2));
    m_origin = saved;
}

void PaintPort::DrawPolyline(std::span<const Point> points, uint32_t color) {
    if (points.empty()) return;
    m_pen = points.back();
    QPainter* painter = Painter();
    if (painter == nullptr || points.size() < 2) return;
    // One path for the whole curve: the joins are smooth and a long curve costs one stroke.
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const Point& p : points)
        polygon.append(QPointF(p.x - m_origin.x + 0.5, p.y - m_origin.y + 0.5));
    const bool antialiased = painter->testRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(QPen(ColorFromRef(color), 1.25, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter->setBrush(Qt::NoBrush);
    painter->drawPolyline(polygon);
    painter->setRenderHint(QPainter::Antialiasing, antialiased);
}

void PaintPort::DrawFrame(const Rect& rect) {
    const Rect r = rect.Shifted(Point(-m_origin.x, -m_origin.y));
    QPainter* painter = Painter();
    if (painter == nullptr || r.IsEmpty()) return;
    if (IsPrinting()) {
        painter->setPen(QPen(Qt::black, 0));
        painter->setBrush(kBackground);
        painter->drawRect(QRect(r.left, r.top, r.Width() - 1, r.Height() - 1));
        return;
    }
    FrameRegion(Region(r), 2, 2, ColorFromRef(kGray));
}

void PaintPort::EraseRect(const Rect& rect) {
    FillRect(rect.Shifted(Point(-m_origin.x, -m_origin.y)), kBackground);
}

void PaintPort::InvertDocRect(const Rect& rect) {
    InvertRect(rect.Shifted(Point(-m_origin.x, -m_origin.y)));
}

// --- Regions ---

void PaintPort::InvertOrFrameRegion(const Region& region, bool frame) {
    if (frame) {
        FrameRegion(region, 1, 1, ColorFromRef(kGray));
        return;
    }
    if (const QRegion* handle = region.GetHandle()) {
        for (const QRect& r : *handle)
            InvertRect(Rect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()));
    }
}

void PaintPort::FillRegionGray(const Region& region) {
    FillRegion(region, ColorFromRef(kGray));
}

void PaintPort::FillRegionBlack(const Region& region) {
    FillRegion(region, ColorFromRef(kBlack));
}

void PaintPort::FillRegionBackground(const Region& region) {
    FillRegion(region, kBackground);
}

void PaintPort::FrameRegionGray(const Region& region) {
    FrameRegion(region, 1, 1, ColorFromRef(kLightGray));
}

void PaintPort::FrameRegionRed(const Region& region) {
    FrameRegion(region, 1, 1, ColorFromRef(kRed));
}

void PaintPort::FrameRegionBlack(const Region& region) {
    FrameRegion(region, 1, 1, ColorFromRef(kBlack));
}

void PaintPort::EraseRegion(const Region& region) {
    FillRegionBackground(region);
    if (DrawView* view = Current().view) view->RegionErased(region);
}

void PaintPort::SetClipRegion(const Region& region) {
    QPainter* painter = Painter();
    if (painter == nullptr) return;
    const QRegion* handle = region.GetHandle();
    // The region is in document coordinates: a page printed below the first sets an origin.
    QRegion clip = handle != nullptr ? handle->translated(-m_origin.x, -m_origin.y) : QRegion();
    Target& target = Current();
    if (!target.clips.empty())
        clip &= target.clips.back();
    else if (target.baseClip)
        clip &= QRegion(ToQ(*target.baseClip));
    target.clips.push_back(clip);
    painter->setClipRegion(clip);
}

void PaintPort::SetClipRect(const Rect& rect) {
    SetClipRegion(Region(rect));
}

void PaintPort::ClearClip() {
    QPainter* painter = Painter();
    if (painter == nullptr) return;
    Target& target = Current();
    if (!target.clips.empty()) target.clips.pop_back();
    if (!target.clips.empty())
        painter->setClipRegion(target.clips.back());
    else if (target.baseClip)
        painter->setClipRect(ToQ(*target.baseClip));
    else
        painter->setClipping(false);
}

void PaintPort::InvalidateDocRect(const Rect& rect) {
    DrawView* view = Current().view;
    if (view == nullptr || Current().kind != TargetKind::Window) return;
    const Point scroll = view->ScrollOffset();
    view->InvalidateClientRect(rect.Shifted(Point(-scroll.x, -scroll.y)), true);
}

// --- Plot labels ---

Rect PaintPort::LabelRect(Point point, const Str255& text, bool after) {
    SelectLabelFont(9, false);
    const Rect box = MeasureText(text);
    SelectCurrentFont();
    const int32_t w = box.right;
    const int32_t height = box.bottom - box.top;
    if (after) return Rect(point.x, point.y, point.x + w + 4, point.y + height + 2);
    return Rect(point.x - w - 8, point.y, point.x, point.y + height + 4);
}

void PaintPort::DrawLabel(Point point, const Str255& text, bool after) {
    const Rect rect = LabelRect(point, text, after);
    SelectLabelFont(9, false);
    const Rect box = MeasureText(text);
    m_pen = Point(after ? point.x + 2 : point.x - box.right - 4, point.y - box.top + 1);
    DrawText(text);
    InvertDocRect(rect);
    SelectCurrentFont();
}

void PaintPort::DrawLabelAfter(Point point, const Str255& text) {
    DrawLabel(point, text, true);
}

void PaintPort::DrawLabelBefore(Point point, const Str255& text) {
    DrawLabel(point, text, false);
}

Rect PaintPort::LabelRectAfter(Point point, const Str255& text) {
    return LabelRect(point, text, true);
}

Rect PaintPort::LabelRectBefore(Point point, const Str255& text) {
    return LabelRect(point, text, false);
}

// --- Pictures ---

void PaintPort::PlayMetafile(const PictureBytes& picture, const Rect& rect) {
    QPainter* painter = Painter();
    const Rect r = rect.Shifted(Point(-m_origin.x, -m_origin.y));
    if (painter == nullptr || r.IsEmpty()) return;
    if (LooksLikeSvg(picture)) {
        QSvgRenderer renderer(QByteArray(reinterpret_cast<const char*>(picture.data()),
                                         static_cast<qsizetype>(picture.size())));
        if (renderer.isValid()) {
            renderer.render(painter, QRectF(ToQ(r)));
            return;
        }
    }
    // A picture of another format, kept for the document's sake but not drawn.
    FrameRegion(Region(r), 1, 1, ColorFromRef(kGray));
}
