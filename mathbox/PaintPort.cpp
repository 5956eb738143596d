// Binding targets, fonts and sizes, measuring and page geometry. Drawing is in PaintPortDraw.cpp.

#include "mathbox/PaintPort.h"

#include "mathbox/DrawView.h"
#include "mathbox/FontFiles.h"
#include "mathbox/MathExtents.h"
#include "mathbox/MathGlyphMap.h"
#include "mathbox/PaintPortRecording.h"
#include "mathbox/StyleManager.h"

#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace {

// Page-format rows in points: left margin, top margin, column width, line width. Row 0 is
// never chosen.
struct PageFormat {
    int32_t left, top, column, line;
};
constexpr PageFormat kPageFormats[5] = {
    {16, 16, 420, 385}, {16, 16, 420, 385}, {16, 16, 504, 462},
    {16, 16, 588, 539}, {16, 16, 756, 693},
};

// The size unit in points by size index.
constexpr int32_t kSpacing[10] = {5, 4, 4, 3, 3, 2, 2, 1, 1, 1};

// The unbound layer answers as a screen of this size.
constexpr int32_t kScreenWidth = 1920;
constexpr int32_t kScreenHeight = 1080;

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Only paged devices convert by their physical size: a window is pinned at its logical
// resolution whatever the screen's size, and images and pictures have no physical size.
int32_t PhysicalMillimetres(const QPaintDevice* device, bool horizontal) {
    if (dynamic_cast<const QPagedPaintDevice*>(device) == nullptr) return 0;
    return horizontal ? device->widthMM() : device->heightMM();
}

} // namespace

QColor ColorFromRef(uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

PaintPort::PaintPort(StyleManager& styles) : m_styles(styles), m_textColor(Qt::black) {
    SelectCurrentFont();
}

PaintPort::~PaintPort() {
    m_recording.reset();
    while (m_depth > 0)
        EndDraw();
}

// --- Targets ---

PaintPort::Target& PaintPort::Current() {
    if (m_recording && m_recording->depth == m_depth) return m_recording->target;
    return m_levels[m_depth];
}

const PaintPort::Target& PaintPort::Current() const {
    if (m_recording && m_recording->depth == m_depth) return m_recording->target;
    return m_levels[m_depth];
}

QPainter* PaintPort::Painter() {
    return Current().painter;
}

bool PaintPort::IsBound() const {
    return m_depth > 0 && Current().painter != nullptr;
}

TargetKind PaintPort::GetTargetKind() const {
    return Current().kind;
}

void PaintPort::CheckDepth() const {
    if (m_depth >= kMaxDepth)
        throw std::logic_error("drawing passes nested deeper than the layer allows");
}

// Borrows the painter of an outer level on the same device, or opens one.
void PaintPort::OpenLevel(Target& level, QPaintDevice& device) {
    level.device = &device;
    for (int32_t d = m_depth - 1; d >= 1; --d) {
        if (m_levels[d].device == &device && m_levels[d].painter != nullptr) {
            level.painter = m_levels[d].painter;
            level.painter->save();
            level.painter->resetTransform();
            level.painter->setClipping(false);
            return;
        }
    }
    level.ownedPainter = std::make_unique<QPainter>();
    if (level.ownedPainter->begin(&device)) level.painter = level.ownedPainter.get();
}

void PaintPort::BeginWindowDraw(DrawView& view) {
    CheckDepth();
    ++m_depth;
    Target& level = m_levels[m_depth];
    level = Target();
    level.kind = TargetKind::Window;
    level.view = &view;
    OpenLevel(level, view.BackingImage());
    if (level.painter != nullptr) {
        const Point scroll = view.ScrollOffset();
        level.painter->translate(-scroll.x, -scroll.y);
    }
    m_origin = Point();
    m_baseSize = std::clamp(view.BaseSize(), 0, 9);
    SelectCurrentFont();
}

void PaintPort::BeginDCDraw(DrawView* view, QPaintDevice& device) {
    CheckDepth();
    ++m_depth;
    Target& level = m_levels[m_depth];
    level = Target();
    level.view = view;
    level.kind = dynamic_cast<QPagedPaintDevice*>(&device) != nullptr ? TargetKind::Printer
                                                                      : TargetKind::Image;
    // An image is drawn at its own resolution too, so a picture meant for print is laid out
    // as the printed page is.
    level.dpiX = std::max(1, device.logicalDpiX());
    level.dpiY = std::max(1, device.logicalDpiY());
    OpenLevel(level, device);
    // The view's own image scrolls with the view, as window drawing does.
    if (view != nullptr && &device == &view->BackingImage() && level.painter != nullptr) {
        const Point scroll = view->ScrollOffset();
        level.painter->translate(-scroll.x, -scroll.y);
    }
    m_origin = Point();
    if (view != nullptr) m_baseSize = std::clamp(view->BaseSize(), 0, 9);
    SelectCurrentFont();
}

int32_t PaintPort::EndDraw() {
    if (m_depth == 0) return 0;
    if (m_recording && m_recording->depth == m_depth) m_recording.reset();
    Target& level = m_levels[m_depth];
    if (level.ownedPainter) {
        level.ownedPainter->end();
    } else if (level.painter != nullptr) {
        level.painter->restore();
    }
    level = Target();
    --m_depth;
    SelectCurrentFont();
    return m_depth;
}

void PaintPort::BeginMetafile(DrawView* view, const Rect& rect) {
    if (m_recording) throw std::logic_error("a picture is already being recorded");
    const Target& reference = Current();
    m_recording = std::make_unique<Recording>(m_depth, view, rect, reference.dpiX, reference.dpiY);
    m_origin = Point();
    SelectCurrentFont();
}

std::optional<PictureBytes> PaintPort::EndMetafile() {
    if (!m_recording) return std::nullopt;
    PictureBytes bytes = m_recording->Finish();
    m_recording.reset();
    SelectCurrentFont();
    return bytes;
}

bool PaintPort::IsPrinting() const {
    return Current().kind == TargetKind::Printer;
}

bool PaintPort::CanInvert() const {
    const TargetKind kind = Current().kind;
    return kind == TargetKind::Window || kind == TargetKind::Image;
}

int32_t PaintPort::GetResolutionX() const {
    return Current().dpiX;
}

int32_t PaintPort::GetResolutionY() const {
    return Current().dpiY;
}

// --- Faces and sizes ---

void PaintPort::SetFace(int32_t face) {
    if (face < 0 || face >= StyleManager::kFaceCount) return;
    const bool changed = face != m_face;
    m_face = face;
    if (changed || m_labelSelected) SelectCurrentFont();
}

void PaintPort::SetBaseSize(int32_t size) {
    // A stored document or a caller may give any number; the tables have ten rows.
    m_baseSize = std::clamp(size, 0, 9);
    SelectCurrentFont();
}

void PaintPort::PushSize(int8_t relativeSize) {
    if (m_sizeTop < 255) ++m_sizeTop;
    m_sizes[m_sizeTop] = relativeSize;
    if (!(m_sizeTop >= 2 && relativeSize == m_sizes[m_sizeTop - 1])) SelectCurrentFont();
}

void PaintPort::PopSize() {
    if (m_sizeTop == 0) return;
    const int8_t popped = m_sizes[m_sizeTop];
    --m_sizeTop;
    if (m_sizes[m_sizeTop] != popped) SelectCurrentFont();
}

int32_t PaintPort::GetSizeIndex() const {
    return std::clamp(m_sizes[m_sizeTop] + m_baseSize, 0, 9);
}

int32_t PaintPort::GetPointSize() const {
    return PointSizeOfSizeIndex(static_cast<uint8_t>(GetSizeIndex()));
}

void PaintPort::SelectCurrentFont() {
    m_labelSelected = false;
    // A refused font leaves the previous one selected.
    if (auto font = m_styles.GetFace(m_face)->GetFont(static_cast<uint8_t>(GetSizeIndex()),
                                                      GetResolutionY()))
        m_font = std::move(font);
    SetFontMetrics(m_font.get(), GetPointSize());
}

// The character box of the selected font, and the boxes and nominal reach that layout derives
// from the point size `p`.
void PaintPort::SetFontMetrics(const FaceFont* font, int32_t p) {
    const int32_t x = GetResolutionX();
    const int32_t y = GetResolutionY();
    m_charBox =
        font != nullptr ? Rect(0, -font->Ascent(), font->MaxCharWidth(), font->Descent()) : Rect();
    m_placeholderBox = Rect(0, (-7 * p / 10) * y / 72, x * (p / 2) / 72, (p / 5) * y / 72);
    m_nominalAscent = -((p * 1413 / 2048) * y / 72) - 1;
    m_nominalDescent = (p * 1147 / 4096) * y / 72 + 1;
}

void PaintPort::SelectLabelFont(int32_t height, bool inPoints) {
    const int32_t y = GetResolutionY();
    const int32_t pixels = inPoints ? y * height / 72 : height;
    m_labelFont =
        std::make_shared<const FaceFont>(MakeRawFont("Arial", false, false, pixels), 0, y);
    m_labelSelected = true;
    SetFontMetrics(m_labelFont.get(), height);
}

// --- Measuring ---

int32_t PaintPort::WidthOf(const Str255& text) const {
    const FaceFont* font = m_labelSelected ? m_labelFont.get() : m_font.get();
    if (font == nullptr) return 0;
    int32_t width = 0;
    for (char c : text.View())
        width += font->Advance(static_cast<uint8_t>(c));
    return width;
}

int32_t PaintPort::MathUnitsToPixels(int32_t value) const {
    return (value * GetPointSize() / 2048) * GetResolutionY() / 72;
}

Rect PaintPort::MathReach(const uint8_t* codes, int32_t count) const {
    int32_t tmin = 0;
    int32_t bmax = 0;
    for (int32_t i = 0; i < count; ++i) {
        tmin = std::min(tmin, MathExtents[codes[i]].top);
        bmax = std::max(bmax, MathExtents[codes[i]].bottom);
    }
    return Rect(0, MathUnitsToPixels(tmin) - 1, 0, MathUnitsToPixels(bmax) + 1);
}

Rect PaintPort::MeasureText(const Str255& text) {
    if (!InMathFace()) return TextExtent(text);
    Rect box = MathReach(reinterpret_cast<const uint8_t*>(text.View().data()), text.GetLength());
    box.right = WidthOf(text);
    return box;
}

Rect PaintPort::TextExtent(const Str255& text) {
    return Rect(0, m_nominalAscent, WidthOf(text), m_nominalDescent);
}

Rect PaintPort::MeasureChar(uint8_t code) {
    if (!InMathFace()) return Rect(0, m_charBox.top, CharWidth(code), m_charBox.bottom);
    Rect box = MathReach(&code, 1);
    box.right = CharWidth(code);
    return box;
}

int32_t PaintPort::CharWidth(uint8_t code) {
    const FaceFont* font = m_labelSelected ? m_labelFont.get() : m_font.get();
    return font != nullptr ? font->Advance(code) : 0;
}

std::vector<int16_t> PaintPort::GetPrefixWidths(const Str255& text) {
    std::vector<int16_t> widths(static_cast<size_t>(text.GetLength()) + 1, 0);
    int32_t sum = 0;
    for (int32_t i = 0; i < text.GetLength(); ++i) {
        sum += CharWidth(text.GetAt(i));
        widths[static_cast<size_t>(i) + 1] = static_cast<int16_t>(std::clamp<int32_t>(
            sum, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
    }
    return widths;
}

Rect PaintPort::MeasureBigSymbol(uint8_t code) {
    PushSize(static_cast<int8_t>(m_sizes[m_sizeTop] - 2));
    const MathExtent reach = BigOperatorExtent(code);
    int32_t width = 0;
    if (m_font) width = m_font->AdvanceOfGlyph(m_font->GlyphIndexFor(BigOperatorCode(code)));
    const Rect box(0, MathUnitsToPixels(reach.top) - 1, width, MathUnitsToPixels(reach.bottom) + 1);
    PopSize();
    return box;
}

int32_t PaintPort::GetSpacing() {
    return kSpacing[GetSizeIndex()] * GetResolutionY() / 72;
}

int32_t PaintPort::GetMathAxis() {
    return (GetPointSize() * -440 / 2048) * GetResolutionY() / 72;
}

int32_t PaintPort::GetBigDelimiterWidth() {
    return (GetPointSize() * 820 / 2048) * GetResolutionX() / 72;
}

bool PaintPort::NeedsBigDelimiters(int32_t top, int32_t bottom) {
    return bottom - top > (GetPointSize() * 3 / 2) * GetResolutionY() / 72;
}

Rect PaintPort::GetGrayBox() {
    Rect box = m_placeholderBox;
    box.right *= 4;
    return box;
}

// --- Page format and units ---

int32_t PaintPort::GetPageFormatIndex() const {
    if (m_baseSize <= 3) return 4;
    if (m_baseSize <= 5) return 3;
    if (m_baseSize == 6) return 2;
    return 1;
}

int32_t PaintPort::GetLeftMargin() {
    if (IsPrinting()) return 0;
    return kPageFormats[GetPageFormatIndex()].left * GetResolutionX() / 72;
}

int32_t PaintPort::GetTopMargin() {
    return kPageFormats[GetPageFormatIndex()].top * GetResolutionY() / 72;
}

int32_t PaintPort::GetColumnWidth() {
    if (IsPrinting()) return DeviceWidth() - 2 * GetPrintMargin();
    return GetResolutionX() * kPageFormats[GetPageFormatIndex()].column / 72;
}

int32_t PaintPort::GetRightEdge() {
    const PageFormat& row = kPageFormats[GetPageFormatIndex()];
    if (!IsPrinting()) return GetResolutionX() * row.line / 72;
    return DeviceWidth() - GetResolutionX() * (row.column - row.line) / 72 - 2 * GetPrintMargin();
}

int32_t PaintPort::GetPrintMargin() {
    return GetResolutionY() * 42 / 72;
}

int32_t PaintPort::GetPrintableHeight() {
    return DeviceHeight() - 5 * GetPrintMargin() / 2;
}

int32_t PaintPort::DeviceWidth() const {
    const QPaintDevice* device = Current().device;
    return device != nullptr ? device->width() : kScreenWidth;
}

int32_t PaintPort::DeviceHeight() const {
    const QPaintDevice* device = Current().device;
    return device != nullptr ? device->height() : kScreenHeight;
}

int32_t HimetricToPixels(int32_t value, int32_t pixels, int32_t millimetres, int32_t dpi) {
    if (millimetres > 0)
        return ClampToInt32(int64_t{pixels} * value / (int64_t{millimetres} * 100));
    return ClampToInt32(int64_t{value} * dpi / 2540);
}

int32_t PaintPort::HimetricToPixelsX(int32_t value) {
    const QPaintDevice* device = Current().device;
    return HimetricToPixels(value, DeviceWidth(), PhysicalMillimetres(device, true),
                            GetResolutionX());
}

int32_t PaintPort::HimetricToPixelsY(int32_t value) {
    const QPaintDevice* device = Current().device;
    return HimetricToPixels(value, DeviceHeight(), PhysicalMillimetres(device, false),
                            GetResolutionY());
}
