// Exact figures of the drawing layer at 96 dpi (a window) and 300 dpi (a printed page), worked
// out by hand from the layout's formulas; every division truncates toward zero.

#include "mathbox/MathExtents.h"
#include "mathbox/PaintPort.h"
#include "mathbox/tests/DrawFixture.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <limits>
#include <memory>
#include <stdexcept>

namespace {

using drawtest::DrawTest;
using drawtest::ImageView;

// A US Letter page at a given resolution without margins: 2550 by 3300 pixels at 300 dpi.
struct Page {
    explicit Page(int dpi) : writer(&buffer) {
        buffer.open(QIODevice::WriteOnly);
        writer.setResolution(dpi);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0)));
    }
    QBuffer buffer;
    QPdfWriter writer;
};

struct SizeRow {
    int32_t index;
    int32_t points;
    int32_t pixels; // the font's height
    int32_t spacing;
    Rect placeholder;
    int32_t ascent;
    int32_t descent;
    int32_t axis;
    int32_t bigDelimiterWidth;
    int32_t bigDelimiterThreshold; // content taller than this gets built-up delimiters
};

// clang-format off
const SizeRow kAt96[] = {
    {0, 28, 37, 6, Rect(0, -25, 18, 6), -26, 10, -8, 14, 56},
    {1, 24, 32, 5, Rect(0, -21, 16, 5), -22, 9, -6, 12, 48},
    {2, 20, 26, 5, Rect(0, -18, 13, 5), -18, 7, -5, 10, 40},
    {3, 18, 24, 4, Rect(0, -16, 12, 4), -17, 7, -4, 9, 36},
    {4, 16, 21, 4, Rect(0, -14, 10, 4), -15, 6, -4, 8, 32},
    {5, 14, 18, 2, Rect(0, -12, 9, 2), -13, 5, -4, 6, 28},
    {6, 12, 16, 2, Rect(0, -10, 8, 2), -11, 5, -2, 5, 24},
    {7, 10, 13, 1, Rect(0, -9, 6, 2), -9, 3, -2, 5, 20},
    {8, 9, 12, 1, Rect(0, -8, 5, 1), -9, 3, -1, 4, 17},
    {9, 8, 10, 1, Rect(0, -6, 5, 1), -7, 3, -1, 4, 16},
};
const SizeRow kAt300[] = {
    {0, 28, 116, 20, Rect(0, -79, 58, 20), -80, 30, -25, 45, 175},
    {1, 24, 100, 16, Rect(0, -66, 50, 16), -67, 26, -20, 37, 150},
    {2, 20, 83, 16, Rect(0, -58, 41, 16), -55, 21, -16, 33, 125},
    {3, 18, 75, 12, Rect(0, -50, 37, 12), -51, 21, -12, 29, 112},
    {4, 16, 66, 12, Rect(0, -45, 33, 12), -46, 17, -12, 25, 100},
    {5, 14, 58, 8, Rect(0, -37, 29, 8), -38, 13, -12, 20, 87},
    {6, 12, 50, 8, Rect(0, -33, 25, 8), -34, 13, -8, 16, 75},
    {7, 10, 41, 4, Rect(0, -29, 20, 8), -26, 9, -8, 16, 62},
    {8, 9, 37, 4, Rect(0, -25, 16, 4), -26, 9, -4, 12, 54},
    {9, 8, 33, 4, Rect(0, -20, 16, 4), -21, 9, -4, 12, 50},
};
// clang-format on

void ExpectSizeRows(PaintPort& port, const SizeRow (&rows)[10]) {
    for (const SizeRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "size index " << row.index);
        port.SetBaseSize(row.index);
        ASSERT_EQ(port.GetSizeIndex(), row.index);
        EXPECT_EQ(port.GetPointSize(), row.points);
        EXPECT_EQ(PixelSizeOf(row.points, port.GetResolutionY()), row.pixels);
        EXPECT_EQ(port.GetSpacing(), row.spacing);
        EXPECT_EQ(port.GetPlaceholderBox(), row.placeholder);
        Rect gray = row.placeholder;
        gray.right *= 4;
        EXPECT_EQ(port.GetGrayBox(), gray);
        EXPECT_EQ(port.GetNominalAscent(), row.ascent);
        EXPECT_EQ(port.GetNominalDescent(), row.descent);
        EXPECT_EQ(port.GetMathAxis(), row.axis);
        EXPECT_EQ(port.GetBigDelimiterWidth(), row.bigDelimiterWidth);
        EXPECT_FALSE(port.NeedsBigDelimiters(0, row.bigDelimiterThreshold));
        EXPECT_TRUE(port.NeedsBigDelimiters(0, row.bigDelimiterThreshold + 1));
    }
}

TEST_F(DrawTest, SizeMetricsOnAWindow) {
    ImageView view;
    port.BeginWindowDraw(view);
    EXPECT_EQ(port.GetResolutionX(), 96);
    EXPECT_EQ(port.GetResolutionY(), 96);
    ExpectSizeRows(port, kAt96);
    port.EndDraw();
}

TEST_F(DrawTest, SizeMetricsOnAPrintedPage) {
    Page page(300);
    port.BeginDCDraw(nullptr, page.writer);
    EXPECT_EQ(port.GetResolutionY(), 300);
    ExpectSizeRows(port, kAt300);
    port.EndDraw();
}

// Base size -> page row, left margin, top margin, column width, line width (right edge).
TEST_F(DrawTest, PageGeometryOnScreenWidensWithTheType) {
    const struct {
        int32_t base;
        int32_t row;
        int32_t column;
        int32_t rightEdge;
    } cases[] = {{0, 4, 1008, 924}, {3, 4, 1008, 924}, {4, 3, 784, 718}, {5, 3, 784, 718},
                 {6, 2, 672, 616},  {7, 1, 560, 513},  {9, 1, 560, 513}};
    ImageView view;
    port.BeginWindowDraw(view);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.base);
        port.SetBaseSize(c.base);
        EXPECT_EQ(port.GetPageFormatIndex(), c.row);
        EXPECT_EQ(port.GetLeftMargin(), 21);
        EXPECT_EQ(port.GetTopMargin(), 21);
        EXPECT_EQ(port.GetColumnWidth(), c.column);
        EXPECT_EQ(port.GetRightEdge(), c.rightEdge);
        EXPECT_EQ(port.GetPrintMargin(), 56);
    }
    EXPECT_FALSE(port.IsPrinting());
    port.EndDraw();
}

// On paper the text starts at the page's edge and the column is the page less two margins of
// 7/12 inch (175 pixels at 300 dpi).
TEST_F(DrawTest, PageGeometryOnAPrintedPage) {
    Page page(300);
    port.BeginDCDraw(nullptr, page.writer);
    ASSERT_TRUE(port.IsPrinting());
    ASSERT_EQ(page.writer.width(), 2550);
    ASSERT_EQ(page.writer.height(), 3300);
    port.SetBaseSize(5);
    EXPECT_EQ(port.GetPrintMargin(), 175);
    EXPECT_EQ(port.GetLeftMargin(), 0);
    EXPECT_EQ(port.GetTopMargin(), 66);
    EXPECT_EQ(port.GetColumnWidth(), 2550 - 350);
    EXPECT_EQ(port.GetRightEdge(), 2550 - 204 - 350); // 49 points of gutter
    EXPECT_EQ(port.GetPrintableHeight(), 3300 - 437);
    port.SetBaseSize(0);
    EXPECT_EQ(port.GetRightEdge(), 2550 - 262 - 350); // 63 points of gutter
    port.EndDraw();
}

// Fonts are made for the resolution of the target they measure on: printing does not leave
// 300-dpi fonts behind for the next screen drawing.
TEST_F(DrawTest, FontsFollowTheTargetsResolution) {
    ImageView view;
    view.baseSize = 6;
    port.BeginWindowDraw(view);
    const int32_t onScreen = port.CharWidth('M');
    const Rect boxOnScreen = port.GetCharBox();
    port.EndDraw();

    Page page(300);
    port.BeginDCDraw(nullptr, page.writer);
    port.SetBaseSize(6);
    EXPECT_NEAR(port.CharWidth('M'), onScreen * 300 / 96, 2);
    EXPECT_NEAR(port.GetCharBox().Height(), boxOnScreen.Height() * 300 / 96, 3);
    port.EndDraw();

    port.BeginWindowDraw(view);
    EXPECT_EQ(port.CharWidth('M'), onScreen);
    EXPECT_EQ(port.GetCharBox(), boxOnScreen);
    port.EndDraw();
}

// The given rows of the math face's extents, measured one character at a time.
TEST_F(DrawTest, MathFaceExtentsOfTheDesignRows) {
    const struct {
        int32_t dpi;
        int32_t points;
        uint8_t code;
        int32_t top;
        int32_t bottom;
    } cases[] = {
        {96, 12, 32, -7, 1},    {96, 12, 40, -13, 5},   {96, 12, 41, -13, 5},
        {96, 12, 48, -10, 1},   {96, 12, 120, -7, 1},   {96, 12, 145, -2, 7},
        {96, 12, 147, -11, 1},  {96, 12, 153, -11, 1},  {96, 12, 169, -11, 1},
        {96, 12, 0, -7, 1},     {96, 28, 40, -29, 10},  {96, 28, 145, -3, 17},
        {300, 12, 40, -38, 13}, {300, 12, 145, -5, 21}, {300, 12, 169, -34, 1},
        {300, 28, 40, -88, 30}, {300, 28, 48, -76, 1},  {300, 28, 120, -51, 1},
    };
    ImageView view;
    Page page(300);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.code) << " at " << c.points << "pt, " << c.dpi);
        if (c.dpi == 96)
            port.BeginWindowDraw(view);
        else
            port.BeginDCDraw(nullptr, page.writer);
        port.SetFace(3);
        port.SetBaseSize(c.points == 12 ? 6 : 0);
        const Rect box = port.MeasureChar(c.code);
        EXPECT_EQ(box.top, c.top);
        EXPECT_EQ(box.bottom, c.bottom);
        EXPECT_EQ(box.right, port.CharWidth(c.code));
        port.EndDraw();
    }
    // A text takes the highest top and the lowest bottom of its characters.
    port.BeginWindowDraw(view);
    port.SetFace(3);
    port.SetBaseSize(6);
    const Rect text = port.MeasureText(Str255("x(0"));
    EXPECT_EQ(text.top, -13);
    EXPECT_EQ(text.bottom, 5);
    EXPECT_EQ(text.right, port.CharWidth('x') + port.CharWidth('(') + port.CharWidth('0'));
    // Outside the math face the nominal ascent and descent hold.
    port.SetFace(0);
    EXPECT_EQ(port.MeasureText(Str255("x(0")).top, -11);
    EXPECT_EQ(port.MeasureText(Str255("x(0")).bottom, 5);
    port.EndDraw();
}

TEST(MathExtentTable, KeepsTheDesignRowsLiterally) {
    const struct {
        int code;
        int32_t top;
        int32_t bottom;
    } rows[] = {{32, -905, 0},   {40, -1536, 512}, {41, -1536, 512}, {48, -1364, 45},
                {120, -905, 23}, {145, -205, 879}, {147, -1390, 0},  {153, -1407, 0},
                {169, -1407, 0}, {0, -905, 0},     {31, -905, 0}};
    for (const auto& row : rows) {
        EXPECT_EQ(MathExtents[row.code].top, row.top) << row.code;
        EXPECT_EQ(MathExtents[row.code].bottom, row.bottom) << row.code;
    }
    for (int code = 0; code < 256; ++code) {
        EXPECT_LE(MathExtents[code].top, 0) << code;
        EXPECT_GE(MathExtents[code].bottom, 0) << code;
    }
}

// Piece positions worked out for "(" at 12 points on a window: the top piece reaches 10 pixels
// above its baseline, the bottom piece 6 below, an extension 10 above.
TEST_F(DrawTest, BuiltUpDelimiterPiecesFillTheHeightInAnOddNumberOfSteps) {
    const struct {
        int32_t top;
        int32_t bottom;
        DelimiterPlan plan;
    } cases[] = {
        {-30, 20, {-20, 7, 5}}, // 34 pixels: 4 steps rounded up to 5
        {-20, 10, {-10, 5, 3}},
        {-40, 36, {-30, 9, 7}},
        {-10, 26, {0, 7, 3}}, // exactly two extensions' worth still gets a middle piece
    };
    ImageView view;
    port.BeginWindowDraw(view);
    port.SetBaseSize(6);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.top << ".." << c.bottom);
        const DelimiterPlan plan = port.PlanBigDelimiter('(', c.top, c.bottom);
        EXPECT_EQ(plan.topY, c.plan.topY);
        EXPECT_EQ(plan.step, c.plan.step);
        EXPECT_EQ(plan.count, c.plan.count);
        EXPECT_EQ(plan.count % 2, 1);
        // The bottom piece ends at or just below the requested bottom.
        const int32_t bottomBaseline = plan.topY + plan.count * plan.step;
        EXPECT_GE(bottomBaseline, c.bottom - 6);
        EXPECT_LT(bottomBaseline, c.bottom - 6 + plan.step);

        port.MoveTo(Point(50, 60));
        port.DrawBigDelimiter('(', c.top, c.bottom);
        EXPECT_EQ(port.GetPen(), Point(50, 60 + bottomBaseline));
        EXPECT_EQ(port.GetFace(), 0); // the math face was only borrowed
    }
    port.EndDraw();
}

// At 10 dpi an extension's reach rounds to no pixel at all; the plan must still divide.
TEST_F(DrawTest, BuiltUpDelimiterAtALowResolutionNeverDividesByZero) {
    Page page(10);
    port.BeginDCDraw(nullptr, page.writer);
    ASSERT_EQ(port.GetResolutionY(), 10);
    port.SetBaseSize(9);
    for (uint8_t delimiter : {'(', ')', '{', '}', 'x'}) {
        const DelimiterPlan plan = port.PlanBigDelimiter(delimiter, -12, 8);
        EXPECT_GE(plan.count, 1);
        EXPECT_EQ(plan.count % 2, 1);
        port.MoveTo(Point(5, 20));
        port.DrawBigDelimiter(delimiter, -12, 8);
    }
    port.EndDraw();
}

TEST_F(DrawTest, TheSizeIndexClampsToTheTables) {
    const struct {
        int32_t base;
        int8_t pushed;
        int32_t index;
    } cases[] = {{0, -2, 0}, {5, 6, 9}, {5, -4, 1}, {5, -1, 4}, {9, 100, 9}, {0, -128, 0}};
    for (const auto& c : cases) {
        port.SetBaseSize(c.base);
        port.PushSize(c.pushed);
        EXPECT_EQ(port.GetSizeIndex(), c.index) << c.base << " + " << int(c.pushed);
        port.PopSize();
    }
}

// A stored document or a caller may hand any base size; the page and size tables have ten rows.
TEST_F(DrawTest, ABaseSizeOutsideTheTablesIsClamped) {
    const struct {
        int32_t given;
        int32_t base;
    } cases[] = {{-3, 0}, {10, 9}, {255, 9}, {1000, 9}, {std::numeric_limits<int32_t>::min(), 0}};
    for (const auto& c : cases) {
        port.SetBaseSize(c.given);
        EXPECT_EQ(port.GetBaseSize(), c.base) << c.given;
        EXPECT_GE(port.GetPageFormatIndex(), 1);
        port.PushSize(-4);
        EXPECT_EQ(port.GetSizeIndex(), std::max(0, c.base - 4)) << c.given;
        port.PopSize();
    }
    ImageView view;
    view.baseSize = 40;
    port.BeginWindowDraw(view);
    EXPECT_EQ(port.GetBaseSize(), 9);
    port.EndDraw();
}

TEST_F(DrawTest, TheSizeStackOverwritesItsTopWhenFullAndStopsAtTheBottom) {
    port.SetBaseSize(5);
    for (int i = 0; i < 255; ++i)
        port.PushSize(2);
    ASSERT_EQ(port.GetSizeStackTop(), 255);
    port.PushSize(-3); // the 256th push replaces the top entry
    EXPECT_EQ(port.GetSizeStackTop(), 255);
    EXPECT_EQ(port.GetSizeIndex(), 2);
    port.PopSize();
    EXPECT_EQ(port.GetSizeIndex(), 7);
    while (port.GetSizeStackTop() > 0)
        port.PopSize();
    port.PopSize();
    EXPECT_EQ(port.GetSizeStackTop(), 0);
    EXPECT_EQ(port.GetSizeIndex(), 5);
}

// Without a target the layer answers as a 96-dpi screen and view operations do nothing.
TEST_F(DrawTest, AnUnboundLayerMeasuresAsAScreenAndDrawsNothing) {
    ASSERT_EQ(port.GetDepth(), 0);
    EXPECT_EQ(port.GetTargetKind(), TargetKind::None);
    EXPECT_EQ(port.GetResolutionX(), 96);
    EXPECT_FALSE(port.IsPrinting());
    EXPECT_FALSE(port.CanInvert());
    port.SetBaseSize(6);
    EXPECT_EQ(port.GetPlaceholderBox(), Rect(0, -10, 8, 2));
    EXPECT_GT(port.CharWidth('m'), 0);
    EXPECT_EQ(port.GetLeftMargin(), 21);
    port.MoveTo(Point(1, 2));
    port.LineBy(10, 10);
    port.DrawString(Str255("text"));
    port.DrawBigDelimiter('{', -30, 30);
    port.InvalidateDocRect(Rect(0, 0, 10, 10));
    port.EraseRegion(Region(Rect(0, 0, 10, 10)));
    port.SetClipRect(Rect(0, 0, 5, 5));
    port.PlayMetafile(PictureBytes{'<', 's'}, Rect(0, 0, 5, 5));
    port.DrawLabelAfter(Point(3, 3), Str255("1.5"));
    EXPECT_EQ(port.EndDraw(), 0);
    EXPECT_FALSE(port.EndMetafile().has_value());
}

TEST_F(DrawTest, NestingBeyondThirtyOneLevelsIsRefusedAndChangesNothing) {
    ImageView view;
    for (int i = 0; i < PaintPort::kMaxDepth; ++i)
        port.BeginWindowDraw(view);
    ASSERT_EQ(port.GetDepth(), 31);
    EXPECT_THROW(port.BeginWindowDraw(view), std::logic_error);
    QImage other(4, 4, QImage::Format_RGB32);
    EXPECT_THROW(port.BeginDCDraw(nullptr, other), std::logic_error);
    EXPECT_EQ(port.GetDepth(), 31);
    for (int i = PaintPort::kMaxDepth - 1; i >= 0; --i)
        EXPECT_EQ(port.EndDraw(), i);
}

TEST_F(DrawTest, ASecondRecordingIsRefusedAndTheFirstKept) {
    ImageView view;
    port.BeginWindowDraw(view);
    port.BeginMetafile(&view, Rect(0, 0, 40, 20));
    EXPECT_THROW(port.BeginMetafile(&view, Rect(0, 0, 10, 10)), std::logic_error);
    EXPECT_TRUE(port.IsRecording());
    port.MoveTo(Point(2, 15));
    port.DrawString(Str255("ab"));
    const auto picture = port.EndMetafile();
    ASSERT_TRUE(picture.has_value());
    EXPECT_NE(std::string(picture->begin(), picture->end()).find("<svg"), std::string::npos);
    EXPECT_EQ(port.GetTargetKind(), TargetKind::Window);
    port.EndDraw();
}

TEST(Himetric, ConvertsInSixtyFourBitsAndNeverDividesByZero) {
    const struct {
        int32_t value, pixels, millimetres, dpi, expected;
    } cases[] = {
        {2540, 2550, 216, 300, 299},           // one inch on a printer page
        {100000000, 2550, 216, 300, 11805555}, // overflows 32 bits on the way
        {2540, 2550, 0, 300, 300},             // no physical size: by the resolution
        {2540, 0, 0, 96, 96},
        {-2540, 2550, 0, 300, -300},
        {std::numeric_limits<int32_t>::max(), 100000, 1, 96, std::numeric_limits<int32_t>::max()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HimetricToPixels(c.value, c.pixels, c.millimetres, c.dpi), c.expected)
            << c.value << " over " << c.millimetres << " mm";
}

TEST_F(DrawTest, WindowsConvertHimetricByTheirPinnedResolution) {
    ImageView view;
    port.BeginWindowDraw(view);
    EXPECT_EQ(port.HimetricToPixelsX(2540), 96);
    EXPECT_EQ(port.HimetricToPixelsY(25400), 960);
    port.EndDraw();
    Page page(300);
    port.BeginDCDraw(nullptr, page.writer);
    EXPECT_NEAR(port.HimetricToPixelsX(2540), 300, 2);
    EXPECT_NEAR(port.HimetricToPixelsY(2540), 300, 2);
    port.EndDraw();
}

} // namespace
