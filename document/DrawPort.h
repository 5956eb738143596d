#pragma once

// The one process-wide drawing layer through which every component measures and draws. The
// document model sees only this interface; the drawing subsystem supplies the real layer and
// installs it in `gDrawPort` with an `Installed` guard at start-up, before anything is laid out.
// GUI thread only.
//
// Units are device pixels of the current target; every document coordinate is shifted by minus
// the drawing origin before it reaches the device. Rectangles are exclusive on the right and
// bottom, a line leaves out its last pixel, and colours are 0x00BBGGRR values.

#include "document/Point.h"
#include "document/Rect.h"
#include "document/Str255.h"
#include "platform/Installed.h"

#include <cstdint>
#include <span>
#include <vector>

class Region;

// The stored bytes of a recorded picture. Pictures this program records are SVG documents;
// bytes of any other format (pictures of older documents) are kept as they are.
using PictureBytes = std::vector<uint8_t>;

class DrawPort {
public:
    virtual ~DrawPort() = default;

    // --- The current target ---
    // A printer (or any paged device): pages have their own margins and no window to invalidate.
    virtual bool IsPrinting() const = 0;
    // Whether the target can invert pixels. Only window targets can; on paper and in pictures
    // an inversion draws nothing, so callers that highlight by inverting must frame instead.
    virtual bool CanInvert() const = 0;
    virtual int32_t GetResolutionX() const = 0;
    virtual int32_t GetResolutionY() const = 0;

    // --- Faces and sizes ---
    // The style manager's face, 0 to 7.
    virtual void SetFace(int32_t face) = 0;
    virtual int32_t GetFace() const = 0;
    // The view's size setting, added to every stacked size.
    virtual void SetBaseSize(int32_t size) = 0;
    virtual int32_t GetBaseSize() const = 0;
    // The size stack: a relative font size (larger is smaller type; -4 is four steps larger)
    // pushed while a list or box is laid out or drawn. Every push is undone by one pop; use
    // `SizeGuard`.
    virtual void PushSize(int8_t relativeSize) = 0;
    virtual void PopSize() = 0;
    // The top entry plus the base size, clamped to 0 to 9.
    virtual int32_t GetSizeIndex() const = 0;
    virtual int32_t GetPointSize() const = 0;
    // The 9-pixel label face of plots, or `height` points when `inPoints` is set. Selecting the
    // current face again (any face or size change) ends it.
    virtual void SelectLabelFont(int32_t height, bool inPoints) = 0;

    // --- Measuring, in the current face and size ---
    // Left 0, right the width; top and bottom the nominal ascent and descent, except in the
    // math face, where they are the characters' own reach.
    virtual Rect MeasureText(const Str255& text) = 0;
    // As `MeasureText`, but with the nominal ascent and descent in every face.
    virtual Rect TextExtent(const Str255& text) = 0;
    virtual Rect MeasureChar(uint8_t code) = 0;
    virtual int32_t CharWidth(uint8_t code) = 0;
    // Entry 0 is 0 and entry i the width of the first i characters: the caret positions of a
    // run, which add up exactly because text is measured as a sum of whole-pixel advances.
    virtual std::vector<int16_t> GetPrefixWidths(const Str255& text) = 0;
    // A big operator (sum, product, integral) two sizes up, with a pixel of air above and below.
    virtual Rect MeasureBigSymbol(uint8_t code) = 0;
    // The size unit: a few points, in pixels, growing with the type.
    virtual int32_t GetSpacing() = 0;
    // The height of the math axis above the baseline (negative).
    virtual int32_t GetMathAxis() = 0;
    virtual int32_t GetBigDelimiterWidth() = 0;
    // Content from `top` to `bottom` is taller than one and a half em.
    virtual bool NeedsBigDelimiters(int32_t top, int32_t bottom) = 0;
    // The empty-argument box at the current size and the wider gray bar of an overlong list.
    virtual Rect GetPlaceholderBox() = 0;
    virtual Rect GetGrayBox() = 0;
    // The current font's ascent (negative), descent and widest character.
    virtual Rect GetCharBox() = 0;
    virtual int32_t GetNominalAscent() = 0;
    virtual int32_t GetNominalDescent() = 0;

    // --- The pen, in document coordinates ---
    virtual void SetOrigin(Point origin) = 0;
    virtual Point GetOrigin() const = 0;
    virtual void MoveTo(Point point) = 0;
    virtual void MoveBy(int32_t dx, int32_t dy) = 0;
    virtual Point GetPen() const = 0;
    // A line from the pen to the pen moved by (dx, dy), which becomes the pen.
    virtual void LineBy(int32_t dx, int32_t dy) = 0;
    virtual void LineToPoint(Point point) = 0;

    // --- Drawing text and symbols; the baseline lies on the pen, which stays where it was ---
    virtual void DrawChar(uint8_t code) = 0;
    virtual void DrawString(const Str255& text) = 0;
    // In the link colour, blue.
    virtual void DrawLinkText(const Str255& text) = 0;
    virtual void DrawBigSymbol(uint8_t code) = 0;
    // A parenthesis or brace built up from pieces between `top` and `bottom`, offsets from the
    // pen's y; the pen ends at the bottom piece's baseline.
    virtual void DrawBigDelimiter(uint8_t delimiter, int32_t top, int32_t bottom) = 0;
    virtual void DrawSymbolPiece(uint8_t code) = 0;

    // --- Shapes ---
    virtual void DrawGrayBox(Point point) = 0;
    virtual void DrawPlaceholderFrame(Point point) = 0;
    // A 3-by-3 dot around the point, which is taken as given (no origin shift).
    virtual void DrawDot(Point point) = 0;
    virtual void DrawEllipse(const Rect& rect) = 0;
    // A rectangle on paper, a 2-pixel gray frame on screen.
    virtual void DrawFrame(const Rect& rect) = 0;
    virtual void EraseRect(const Rect& rect) = 0;
    virtual void InvertDocRect(const Rect& rect) = 0;
    // A curve: connected segments through the points, in a 0x00BBGGRR colour and smoothed
    // where the target can; the pen ends on the last point. By default plain lines.
    virtual void DrawPolyline(std::span<const Point> points, uint32_t color);

    // --- Regions, taken as given in the target's coordinates ---
    // Inverts the region, or frames it one pixel wide in gray when `frame` is set.
    virtual void InvertOrFrameRegion(const Region& region, bool frame) = 0;
    virtual void FillRegionGray(const Region& region) = 0;
    virtual void FillRegionBlack(const Region& region) = 0;
    virtual void FillRegionBackground(const Region& region) = 0;
    virtual void FrameRegionGray(const Region& region) = 0;
    virtual void FrameRegionRed(const Region& region) = 0;
    virtual void FrameRegionBlack(const Region& region) = 0;
    // Fills with the background and tells the current view what was erased.
    virtual void EraseRegion(const Region& region) = 0;
    // Clips drawing to a region or rectangle in document coordinates, as everything drawn is:
    // shifted by minus the origin, like the drawing it clips. A clip set while another holds
    // lies within it, and `ClearClip` gives back the one before, so a component that clips
    // its own drawing (a plot inside a printed page's band) never lifts its caller's clip.
    virtual void SetClipRegion(const Region& region) = 0;
    virtual void SetClipRect(const Rect& rect) = 0;
    virtual void ClearClip() = 0;
    // Asks the current view to repaint a document rectangle; nothing without a view.
    virtual void InvalidateDocRect(const Rect& rect) = 0;

    // --- Plot labels: small inverted captions beside a point ---
    virtual void DrawLabelAfter(Point point, const Str255& text) = 0;
    virtual void DrawLabelBefore(Point point, const Str255& text) = 0;
    virtual Rect LabelRectAfter(Point point, const Str255& text) = 0;
    virtual Rect LabelRectBefore(Point point, const Str255& text) = 0;

    // --- Page format, in pixels of the current target ---
    // The row of the page-format table that the base size selects, 1 to 4.
    virtual int32_t GetPageFormatIndex() const = 0;
    virtual int32_t GetLeftMargin() = 0;
    virtual int32_t GetTopMargin() = 0;
    // The x of the text column's right edge.
    virtual int32_t GetColumnWidth() = 0;
    // The width that lines are broken at.
    virtual int32_t GetRightEdge() = 0;
    virtual int32_t GetPrintMargin() = 0;
    virtual int32_t GetPrintableHeight() = 0;
    // 0.01-millimetre lengths in pixels of the current target.
    virtual int32_t HimetricToPixelsX(int32_t value) = 0;
    virtual int32_t HimetricToPixelsY(int32_t value) = 0;

    // --- Pictures ---
    // Draws recorded picture bytes into a document rectangle; bytes this program cannot
    // render are shown as a gray frame.
    virtual void PlayMetafile(const PictureBytes& picture, const Rect& rect) = 0;
};

// The installed port; not owned here.
extern ServiceSlot<DrawPort> gDrawPort;

// Pushes a size for the lifetime of the guard, popping it also when an exception passes. Stored
// size levels are bytes that mean signed values (252 is four steps larger): they are pushed as
// signed bytes, never widened as unsigned ones.
class SizeGuard {
public:
    explicit SizeGuard(int8_t relativeSize) { gDrawPort->PushSize(relativeSize); }
    explicit SizeGuard(uint8_t storedLevel) : SizeGuard(static_cast<int8_t>(storedLevel)) {}
    ~SizeGuard() { gDrawPort->PopSize(); }
    SizeGuard(const SizeGuard&) = delete;
    SizeGuard& operator=(const SizeGuard&) = delete;
};
