#include "app/ToolIconArt.h"

#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "mathbox/MathGlyphMap.h"
#include "mathbox/StyleManager.h"

#include <QPainter>
#include <QPainterPath>

#include <functional>
#include <optional>

namespace {

constexpr uint8_t kGlyphSizeIndex = 0;
constexpr int32_t kGlyphDpi = 96;

std::shared_ptr<const FaceFont> MathFont() {
    FontFace* face = gMathFace.Get();
    return face == nullptr ? nullptr : face->GetFont(kGlyphSizeIndex, kGlyphDpi);
}

// The outline of one math-face glyph, or of a Unicode character when the face is missing.
QPainterPath GlyphPath(char32_t codePoint, std::optional<uint8_t> mathByte = std::nullopt) {
    QPainterPath path;
    if (std::shared_ptr<const FaceFont> font = MathFont(); font && font->IsValid()) {
        const quint32 glyph =
            mathByte ? font->GlyphIndex(*mathByte) : font->GlyphIndexFor(codePoint);
        if (glyph != 0) return font->Raw().pathForGlyph(glyph);
    }
    QFont fallback;
    fallback.setPixelSize(40);
    path.addText(0, 0, fallback, QString::fromUcs4(&codePoint, 1));
    return path;
}

// Fills `path` centred in `box`, scaled to fit it (keeping its proportions) but never by more
// than `maxScale`, so that small signs stay small.
void FitPath(QPainter& painter, const QPainterPath& path, const QRectF& box, qreal maxScale = 1e6) {
    const QRectF bounds = path.boundingRect();
    if (bounds.width() <= 0 && bounds.height() <= 0) return;
    const qreal sx = bounds.width() > 0 ? box.width() / bounds.width() : maxScale;
    const qreal sy = bounds.height() > 0 ? box.height() / bounds.height() : maxScale;
    const qreal s = std::min({sx, sy, maxScale});
    painter.save();
    painter.translate(box.center());
    painter.scale(s, s);
    painter.translate(-bounds.center());
    painter.fillPath(path, Qt::black);
    painter.restore();
}

void Glyph(QPainter& p, char32_t codePoint, const QRectF& box) {
    FitPath(p, GlyphPath(codePoint), box);
}

// An empty argument: the placeholder's frame.
void Slot(QPainter& p, const QRectF& box) {
    p.save();
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawRect(box.adjusted(0.4, 0.4, -0.4, -0.4));
    p.restore();
}

void Line(QPainter& p, QPointF a, QPointF b, qreal width = 1.0) {
    p.save();
    p.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(a, b);
    p.restore();
}

void Brackets(QPainter& p, qreal left, qreal right, qreal top, qreal bottom) {
    QPen pen(Qt::black, 1.0);
    p.save();
    p.setPen(pen);
    p.drawPolyline(QPolygonF({{left + 2, top}, {left, top}, {left, bottom}, {left + 2, bottom}}));
    p.drawPolyline(
        QPolygonF({{right - 2, top}, {right, top}, {right, bottom}, {right - 2, bottom}}));
    p.restore();
}

using Painter = std::function<void(QPainter&)>;

// One figure per toolbar button, in toolbar id order; coordinates in a 16 x 15 box.
const Painter kElementPainters[] = {
    [](QPainter& p) { // fraction
        Slot(p, {5, 1, 6, 5});
        Line(p, {2, 7.5}, {14, 7.5});
        Slot(p, {5, 9, 6, 5});
    },
    [](QPainter& p) { // exponent
        Slot(p, {2, 6, 7, 8});
        Slot(p, {10, 1, 5, 5});
    },
    [](QPainter& p) { // subscript
        Slot(p, {2, 1, 7, 8});
        Slot(p, {10, 9, 5, 5});
    },
    [](QPainter& p) { // radical
        Glyph(p, U'\u221A', {0, 1, 7, 13});
        Line(p, {6.5, 1.5}, {15, 1.5});
        Slot(p, {8, 4, 6, 9});
    },
    [](QPainter& p) { // overbar
        Line(p, {3, 2}, {13, 2});
        Slot(p, {4, 4, 8, 9});
    },
    [](QPainter& p) { // total derivative
        Glyph(p, U'd', {4, 0, 6, 6});
        Line(p, {2, 7.5}, {13, 7.5});
        Glyph(p, U'd', {1, 9, 6, 6});
        Glyph(p, U'x', {8, 10, 5, 5});
    },
    [](QPainter& p) { // prime
        Slot(p, {2, 5, 8, 9});
        Glyph(p, U'\u2032', {11, 1, 3, 5});
    },
    [](QPainter& p) { // double prime
        Slot(p, {1, 5, 8, 9});
        Glyph(p, U'\u2033', {10, 1, 5, 5});
    },
    [](QPainter& p) { // partial derivative
        Glyph(p, U'\u2202', {5, 0, 5, 6});
        Line(p, {2, 7.5}, {14, 7.5});
        Glyph(p, U'\u2202', {2, 9, 5, 6});
        Glyph(p, U'x', {8, 10, 5, 5});
    },
    [](QPainter& p) { // integral
        Glyph(p, U'\u222B', {1, 0, 6, 15});
        Slot(p, {8, 4, 6, 7});
    },
    [](QPainter& p) { // summation
        Glyph(p, U'\u2211', {1, 1, 8, 13});
        Slot(p, {10, 4, 5, 7});
    },
    [](QPainter& p) { // limit
        Glyph(p, U'l', {0, 1, 2, 8});
        Glyph(p, U'i', {2.5, 2, 2, 7});
        Glyph(p, U'm', {5, 4, 5, 5});
        Line(p, {1, 12}, {9, 12});
        Slot(p, {11, 3, 5, 7});
    },
    [](QPainter& p) { // matrix
        Brackets(p, 1, 15, 1, 14);
        Slot(p, {3.5, 2.5, 4, 4});
        Slot(p, {8.5, 2.5, 4, 4});
        Slot(p, {3.5, 8.5, 4, 4});
        Slot(p, {8.5, 8.5, 4, 4});
    },
    [](QPainter& p) { // table
        p.save();
        p.setPen(QPen(Qt::black, 1.0));
        p.drawRect(QRectF(1.5, 1.5, 13, 12));
        p.drawLine(QPointF(8, 1.5), QPointF(8, 13.5));
        p.drawLine(QPointF(1.5, 5.5), QPointF(14.5, 5.5));
        p.drawLine(QPointF(1.5, 9.5), QPointF(14.5, 9.5));
        p.restore();
    },
    [](QPainter& p) { // equation set
        Glyph(p, U'{', {0, 0, 4, 15});
        Slot(p, {5, 2, 4, 4});
        Glyph(p, U'=', {9, 3, 3, 2});
        Slot(p, {12, 2, 3, 4});
        Slot(p, {5, 9, 4, 4});
        Glyph(p, U'=', {9, 10, 3, 2});
        Slot(p, {12, 9, 3, 4});
    },
    [](QPainter& p) { // split definition
        Glyph(p, U'{', {0, 0, 4, 15});
        Slot(p, {5, 2, 5, 4});
        Slot(p, {11, 2, 4, 4});
        Slot(p, {5, 9, 5, 4});
        Slot(p, {11, 9, 4, 4});
    },
    [](QPainter& p) { // group
        Glyph(p, U'(', {1, 0, 3, 15});
        Slot(p, {5, 3, 6, 9});
        Glyph(p, U')', {12, 0, 3, 15});
    },
    [](QPainter& p) { // absolute value
        Line(p, {2.5, 1}, {2.5, 14});
        Slot(p, {5, 3, 6, 9});
        Line(p, {13.5, 1}, {13.5, 14});
    },
    [](QPainter& p) { // two-dimensional plot
        Line(p, {2, 1}, {2, 14});
        Line(p, {1, 8}, {15, 8});
        QPainterPath curve;
        curve.moveTo(2, 8);
        curve.cubicTo(5, 0, 8, 0, 9, 8);
        curve.cubicTo(10, 15, 13, 15, 15, 8);
        p.save();
        p.setPen(QPen(QColor(0x20, 0x40, 0xC0), 1.2));
        p.drawPath(curve);
        p.restore();
    },
    [](QPainter& p) { // three-dimensional plot
        p.save();
        p.setPen(QPen(QColor(0x20, 0x40, 0xC0), 0.8));
        for (int i = 0; i <= 3; ++i) {
            const qreal t = i / 3.0;
            p.drawLine(QPointF(1 + 6 * t, 11 - 6 * t), QPointF(9 + 6 * t, 14 - 6 * t));
            p.drawLine(QPointF(1 + 8 * t, 11 + 3 * t), QPointF(7 + 8 * t, 5 + 3 * t));
        }
        p.restore();
        Line(p, {1, 11}, {1, 1}, 0.8);
    },
    [](QPainter& p) { // link
        QPainterPath text = GlyphPath(U'a');
        p.save();
        const QRectF bounds = text.boundingRect();
        const qreal s = std::min(10 / bounds.width(), 9 / bounds.height());
        p.translate(8, 6.5);
        p.scale(s, s);
        p.translate(-bounds.center());
        p.fillPath(text, QColor(0x00, 0x00, 0xE0));
        p.restore();
        Line(p, {2, 13}, {14, 13});
    },
};
static_assert(std::size(kElementPainters) ==
              cmd::kLastToolbarElement - cmd::kFirstToolbarElement + 1);

QImage Draw(int width, int height, qreal scale, const Painter& paint) {
    QImage image(static_cast<int>(width * scale), static_cast<int>(height * scale),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    paint(painter);
    return image;
}

} // namespace

bool HasMathFace() {
    std::shared_ptr<const FaceFont> font = MathFont();
    return font && font->IsValid();
}

QImage DrawElementIcon(int32_t toolbarId, qreal scale) {
    if (!cmd::IsToolbarElement(toolbarId)) return {};
    return Draw(kElementIconWidth, kElementIconHeight, scale,
                kElementPainters[toolbarId - cmd::kFirstToolbarElement]);
}

QImage DrawSymbolIcon(int32_t symbolId, qreal scale) {
    if (!cmd::IsSymbol(symbolId)) return {};
    const uint8_t code = SymbolCode(symbolId);
    return Draw(kSymbolIconWidth, kSymbolIconHeight, scale, [code](QPainter& p) {
        // Signs keep their size and their height over the baseline (a low ellipsis stays low):
        // about a 15-pixel em on a baseline 14 pixels down, shrunk and centred only where a
        // sign would not fit.
        const QPainterPath path = GlyphPath(MathGlyphCodes[code], code);
        const qreal em = PixelSizeOf(PointSizeOfSizeIndex(kGlyphSizeIndex), kGlyphDpi);
        const qreal s = 15.0 / em;
        const QRectF box(1, 1, kSymbolIconWidth - 2, kSymbolIconHeight - 2);
        const QRectF bounds = path.boundingRect();
        const QRectF placed(kSymbolIconWidth / 2.0 - bounds.width() * s / 2, 14 + bounds.top() * s,
                            bounds.width() * s, bounds.height() * s);
        if (!box.contains(placed)) {
            FitPath(p, path, box, s);
            return;
        }
        p.save();
        p.translate(placed.left() - bounds.left() * s, 14);
        p.scale(s, s);
        p.fillPath(path, Qt::black);
        p.restore();
    });
}
