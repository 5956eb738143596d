#pragma once

// The drawing layer over QPainter: the one `DrawPort` the program installs. It draws on three
// kinds of target:
// - a view's window, which is the view's backing image, pinned at 96 dots per inch so that
//   layout never depends on the screen;
// - a given paint device: a printed page (any paged device) or an image, at its own resolution;
// - a recorded picture: SVG bytes at the resolution of the target current when recording began,
//   its text stored as glyph outlines so that it shows the same without the program's fonts.
//
// Text is measured as the sum of whole-pixel advances and drawn unshaped at those positions, so
// carets add up exactly. Lines are not antialiased, and a line leaves out its last pixel; at
// print resolutions a line is as heavy as a printed rule.

#include "document/DrawPort.h"

#include <QColor>
#include <QList>
#include <QPointF>
#include <QRegion>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class DrawView;
class FaceFont;
class QBuffer;
class QPaintDevice;
class QPainter;
class QPainterPath;
class QRawFont;
class QSvgGenerator;
class StyleManager;

// Where the pieces of a built-up delimiter go, as offsets from the pen's y: the top piece's
// baseline, and an odd count of steps below it. Extensions lie at topY + k * step for k = 1 to
// count - 1 except the middle piece's k = count / 2 + 1; the bottom piece lies at
// topY + count * step, which the requested bottom edge reaches or passes by less than a step.
struct DelimiterPlan {
    int32_t topY;
    int32_t step;
    int32_t count;
};

// A length in 0.01 mm as pixels of a device: by its pixel and millimetre size where it reports
// one, by its resolution otherwise; in 64 bits, clamped to 32.
int32_t HimetricToPixels(int32_t value, int32_t pixels, int32_t millimetres, int32_t dpi);

enum class TargetKind {
    None,    // nothing bound: measures as a 96-dpi screen and draws nothing
    Window,  // a view's backing image
    Image,   // a raster device given by the caller
    Printer, // a paged device
    Picture, // an SVG recording
};

// A colour as the stored documents and the drawing rules give it: 0x00BBGGRR.
QColor ColorFromRef(uint32_t bgr);

class PaintPort final : public DrawPort {
public:
    // Nesting levels above the unbound one.
    static constexpr int32_t kMaxDepth = 31;
    static constexpr int32_t kScreenDpi = 96;

    // Draws with the faces of `styles`, which must outlive the port.
    explicit PaintPort(StyleManager& styles);
    ~PaintPort() override;
    PaintPort(const PaintPort&) = delete;
    PaintPort& operator=(const PaintPort&) = delete;

    // --- Binding targets; every Begin is ended by one EndDraw ---
    // Draws into the view's backing image, scrolled with the view. A Begin on an image that an
    // outer level already paints shares that level's painter, so drawing from inside a modal
    // loop works. Throws std::logic_error (nothing changed) beyond `kMaxDepth` levels.
    void BeginWindowDraw(DrawView& view);
    // Draws on a device the caller owns (a printer, a PDF writer, an image), at the device's
    // own resolution. The view may be null.
    void BeginDCDraw(DrawView* view, QPaintDevice& device);
    // Ends the innermost level and returns the new depth; 0 when nothing was bound.
    int32_t EndDraw();
    int32_t GetDepth() const { return m_depth; }
    // Whether the innermost level draws anywhere: a device that refuses a painter (a printer
    // that is not there, a file that cannot be written) leaves its level drawing nothing.
    bool IsBound() const;
    TargetKind GetTargetKind() const;

    // Records everything drawn into `rect` (document coordinates, which become the picture's
    // view box) until `EndMetafile`. Throws std::logic_error when a recording is already open.
    void BeginMetafile(DrawView* view, const Rect& rect);
    // The recorded SVG bytes, or nothing when no recording was open.
    std::optional<PictureBytes> EndMetafile();
    bool IsRecording() const { return m_recording != nullptr; }
    // The painter of the current target, for drawing the layer has no call for (the 3-D
    // library's shaded facets); null when nothing is bound. Its coordinates are document
    // coordinates less `GetOrigin()`; whoever changes its pen, brush or hints puts back what
    // the layer's own drawing relies on (the hints).
    QPainter* ActivePainter() { return Painter(); }

    // --- DrawPort ---
    bool IsPrinting() const override;
    bool CanInvert() const override;
    int32_t GetResolutionX() const override;
    int32_t GetResolutionY() const override;

    void SetFace(int32_t face) override;
    int32_t GetFace() const override { return m_face; }
    void SetBaseSize(int32_t size) override;
    int32_t GetBaseSize() const override { return m_baseSize; }
    void PushSize(int8_t relativeSize) override;
    void PopSize() override;
    int32_t GetSizeIndex() const override;
    int32_t GetPointSize() const override;
    void SelectLabelFont(int32_t height, bool inPoints) override;
    // Chooses the font of the current face and size for the current target and recomputes the
    // metrics layout reads. Called after every change of face, size or target.
    void SelectCurrentFont();
    int32_t GetSizeStackTop() const { return m_sizeTop; }

    Rect MeasureText(const Str255& text) override;
    Rect TextExtent(const Str255& text) override;
    Rect MeasureChar(uint8_t code) override;
    int32_t CharWidth(uint8_t code) override;
    std::vector<int16_t> GetPrefixWidths(const Str255& text) override;
    Rect MeasureBigSymbol(uint8_t code) override;
    int32_t GetSpacing() override;
    int32_t GetMathAxis() override;
    int32_t GetBigDelimiterWidth() override;
    bool NeedsBigDelimiters(int32_t top, int32_t bottom) override;
    Rect GetPlaceholderBox() override { return m_placeholderBox; }
    Rect GetGrayBox() override;
    Rect GetCharBox() override { return m_charBox; }
    int32_t GetNominalAscent() override { return m_nominalAscent; }
    int32_t GetNominalDescent() override { return m_nominalDescent; }

    void SetOrigin(Point origin) override { m_origin = origin; }
    Point GetOrigin() const override { return m_origin; }
    void MoveTo(Point point) override { m_pen = point; }
    void MoveBy(int32_t dx, int32_t dy) override;
    Point GetPen() const override { return m_pen; }
    void LineBy(int32_t dx, int32_t dy) override;
    void LineToPoint(Point point) override;

    void DrawChar(uint8_t code) override;
    void DrawString(const Str255& text) override;
    void DrawLinkText(const Str255& text) override;
    void DrawBigSymbol(uint8_t code) override;
    void DrawBigDelimiter(uint8_t delimiter, int32_t top, int32_t bottom) override;
    void DrawSymbolPiece(uint8_t code) override;
    // The plan `DrawBigDelimiter` follows, at the current size.
    DelimiterPlan PlanBigDelimiter(uint8_t delimiter, int32_t top, int32_t bottom) const;

    void DrawGrayBox(Point point) override;
    void DrawPlaceholderFrame(Point point) override;
    void DrawDot(Point point) override;
    void DrawEllipse(const Rect& rect) override;
    void DrawFrame(const Rect& rect) override;
    void EraseRect(const Rect& rect) override;
    void InvertDocRect(const Rect& rect) override;
    void DrawPolyline(std::span<const Point> points, uint32_t color) override;

    void InvertOrFrameRegion(const Region& region, bool frame) override;
    void FillRegionGray(const Region& region) override;
    void FillRegionBlack(const Region& region) override;
    void FillRegionBackground(const Region& region) override;
    void FrameRegionGray(const Region& region) override;
    void FrameRegionRed(const Region& region) override;
    void FrameRegionBlack(const Region& region) override;
    void EraseRegion(const Region& region) override;
    void SetClipRegion(const Region& region) override;
    void SetClipRect(const Rect& rect) override;
    void ClearClip() override;
    void InvalidateDocRect(const Rect& rect) override;

    void DrawLabelAfter(Point point, const Str255& text) override;
    void DrawLabelBefore(Point point, const Str255& text) override;
    Rect LabelRectAfter(Point point, const Str255& text) override;
    Rect LabelRectBefore(Point point, const Str255& text) override;

    int32_t GetPageFormatIndex() const override;
    int32_t GetLeftMargin() override;
    int32_t GetTopMargin() override;
    int32_t GetColumnWidth() override;
    int32_t GetRightEdge() override;
    int32_t GetPrintMargin() override;
    int32_t GetPrintableHeight() override;
    int32_t HimetricToPixelsX(int32_t value) override;
    int32_t HimetricToPixelsY(int32_t value) override;

    void PlayMetafile(const PictureBytes& picture, const Rect& rect) override;

private:
    struct Target {
        TargetKind kind = TargetKind::None;
        QPaintDevice* device = nullptr;
        // The painter this level draws with; null when there is nothing to draw on.
        QPainter* painter = nullptr;
        // Set when this level opened the painter; otherwise it borrowed an outer level's and
        // saved its state, which EndDraw restores.
        std::unique_ptr<QPainter> ownedPainter;
        DrawView* view = nullptr;
        int32_t dpiX = kScreenDpi;
        int32_t dpiY = kScreenDpi;
        // The clip a ClearClip returns to (a recording never draws outside its rectangle).
        std::optional<Rect> baseClip;
        // The clips set on this level and not yet cleared, in the painter's coordinates, each
        // within the one before; the last one holds.
        std::vector<QRegion> clips;
    };
    struct Recording;

    Target& Current();
    const Target& Current() const;
    QPainter* Painter();
    void OpenLevel(Target& level, QPaintDevice& device);
    void CheckDepth() const;
    void SetFontMetrics(const FaceFont* font, int32_t points);
    // The device's pixel size, or a screen's when nothing is bound.
    int32_t DeviceWidth() const;
    int32_t DeviceHeight() const;

    // Whether the math face's extent tables give the current font's vertical reach.
    bool InMathFace() const { return m_face == 3 && !m_labelSelected; }
    int32_t WidthOf(const Str255& text) const;
    // A math-face table value in pixels at the current size: trunc(trunc(v * p / 2048) * Y / 72).
    int32_t MathUnitsToPixels(int32_t value) const;
    Rect MathReach(const uint8_t* codes, int32_t count) const;

    // Drawing helpers; coordinates are already in the painter's (the origin is applied).
    void FillRect(const Rect& rect, const QColor& color);
    void InvertRect(const Rect& rect);
    void DrawLine(Point from, Point to);
    // The width of lines in pixels: 1 on the screen, about half a point at print resolutions.
    int32_t StrokeWeight() const;
    void FillRegion(const Region& region, const QColor& color);
    void FrameRegion(const Region& region, int32_t width, int32_t height, const QColor& color);
    // Glyphs of the current font with their baseline at `at`, at whole-pixel advances.
    void DrawGlyphs(const uint8_t* codes, int32_t count, Point at);
    void DrawText(const Str255& text);
    void PaintGlyphs(const QRawFont& font, const QList<quint32>& glyphs,
                     const QList<QPointF>& positions);
    // One piece of a built-up delimiter, fitted into the box its slot's extent row gives: the
    // horizontal span `inkLeft` to `inkRight` of the font's outline becomes the big-delimiter
    // width.
    void DrawPiece(uint8_t code, char32_t glyph, double inkLeft, double inkRight);
    // The horizontal reach of a glyph's outline in the current font.
    std::pair<double, double> InkSpan(char32_t glyph) const;
    QPainterPath BigDelimiterOutline(uint8_t delimiter, const DelimiterPlan& plan, QPointF at,
                                     int32_t top, int32_t bottom);
    void FillOutline(const QPainterPath& outline);
    Rect LabelRect(Point point, const Str255& text, bool after);
    void DrawLabel(Point point, const Str255& text, bool after);

    StyleManager& m_styles;
    std::array<Target, kMaxDepth + 1> m_levels;
    int32_t m_depth = 0;
    std::unique_ptr<Recording> m_recording;

    std::shared_ptr<const FaceFont> m_font;
    std::shared_ptr<const FaceFont> m_labelFont;
    bool m_labelSelected = false;
    QColor m_textColor;

    int32_t m_face = 0;
    int32_t m_baseSize = 5;
    std::array<int8_t, 256> m_sizes{};
    int32_t m_sizeTop = 0;

    Rect m_charBox;
    Rect m_placeholderBox;
    int32_t m_nominalAscent = 0;
    int32_t m_nominalDescent = 0;
    Point m_pen;
    Point m_origin;
};
