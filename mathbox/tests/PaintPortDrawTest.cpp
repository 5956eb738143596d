// Drawing on the backing image, on paper and into pictures.

#include "document/Region.h"
#include "mathbox/PaintPort.h"
#include "mathbox/tests/DrawFixture.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPdfWriter>

#include <cstdlib>

namespace {

using drawtest::DrawTest;
using drawtest::ImageView;
using drawtest::IsWhite;

int CountNonWhite(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += IsWhite(image, x, y) ? 0 : 1;
    return count;
}

// Draws a little of everything: text in two faces, a built-up delimiter, lines, shapes.
void DrawSample(PaintPort& port) {
    port.SetBaseSize(4);
    port.SetFace(0);
    port.MoveTo(Point(10, 40));
    port.DrawString(Str255("Sample"));
    port.SetFace(3);
    port.MoveTo(Point(110, 40));
    port.DrawString(Str255("x+y"));
    port.MoveTo(Point(160, 40));
    port.DrawBigDelimiter('(', -30, 20);
    port.MoveTo(Point(10, 60));
    port.LineBy(150, 0);
    port.DrawEllipse(Rect(20, 70, 50, 90));
    port.DrawGrayBox(Point(80, 90));
}

TEST_F(DrawTest, InvertingTwiceRestoresThePixels) {
    ImageView view;
    port.BeginWindowDraw(view);
    DrawSample(port);
    const QImage before = view.image.copy();
    ASSERT_TRUE(port.CanInvert());
    port.InvertDocRect(Rect(5, 5, 150, 100));
    EXPECT_NE(view.image, before);
    EXPECT_EQ(view.image.pixel(5, 5), qRgb(0, 0, 0));
    EXPECT_TRUE(IsWhite(view.image, 150, 50)); // the right edge is outside
    port.InvertDocRect(Rect(5, 5, 150, 100));
    EXPECT_EQ(view.image, before);

    Region region(Rect(0, 0, 30, 30));
    region.UnionWith(Region(Rect(20, 20, 60, 50)));
    port.InvertOrFrameRegion(region, false);
    port.InvertOrFrameRegion(region, false);
    EXPECT_EQ(view.image, before);
    port.EndDraw();
}

// Right and bottom edges are exclusive; a line leaves out its last pixel.
TEST_F(DrawTest, EdgesAreExclusiveAndLinesLeaveOutTheirLastPixel) {
    ImageView view;
    port.BeginWindowDraw(view);
    port.FillRegionBlack(Region(Rect(10, 10, 20, 15)));
    EXPECT_FALSE(IsWhite(view.image, 10, 10));
    EXPECT_FALSE(IsWhite(view.image, 19, 14));
    EXPECT_TRUE(IsWhite(view.image, 20, 14));
    EXPECT_TRUE(IsWhite(view.image, 19, 15));

    port.MoveTo(Point(30, 30));
    port.LineBy(10, 0);
    EXPECT_FALSE(IsWhite(view.image, 30, 30));
    EXPECT_FALSE(IsWhite(view.image, 39, 30));
    EXPECT_TRUE(IsWhite(view.image, 40, 30));
    EXPECT_EQ(port.GetPen(), Point(40, 30));
    port.LineBy(0, 10);
    EXPECT_FALSE(IsWhite(view.image, 40, 39));
    EXPECT_TRUE(IsWhite(view.image, 40, 40));
    EXPECT_EQ(view.image.pixel(35, 30), qRgb(0, 0, 0)); // a one-pixel black pen
    EXPECT_TRUE(IsWhite(view.image, 35, 31));
    EXPECT_TRUE(IsWhite(view.image, 35, 29));

    port.EraseRect(Rect(0, 0, 200, 120));
    EXPECT_EQ(CountNonWhite(view.image, view.image.rect()), 0);
    port.EndDraw();
}

// At a printer's resolution a line is as heavy as a printed rule: two pixels at 300 dpi, from
// the same first row or column as on the screen and still without its last pixel, leftwards
// and upwards too.
TEST_F(DrawTest, LinesAtPrintResolutionAreAsHeavyAsARule) {
    QImage image(200, 120, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(300 / 0.0254));
    image.setDotsPerMeterY(qRound(300 / 0.0254));
    image.fill(Qt::white);
    port.BeginDCDraw(nullptr, image);
    ASSERT_EQ(port.GetResolutionY(), 300);
    port.MoveTo(Point(30, 30));
    port.LineBy(10, 0);
    port.LineBy(0, 10);
    port.MoveTo(Point(100, 80));
    port.LineBy(-10, 0);
    port.MoveTo(Point(60, 100));
    port.LineBy(0, -10);
    port.MoveTo(Point(120, 20));
    port.LineBy(20, 40);
    port.EndDraw();
    const struct {
        QRect inked;
        QRect around;
    } strokes[] = {
        {QRect(30, 30, 10, 2), QRect(29, 29, 12, 1)}, // rightwards, growing down
        {QRect(40, 30, 2, 10), QRect(40, 40, 2, 1)},  // downwards, growing right
        {QRect(91, 80, 10, 2), QRect(90, 80, 1, 2)},  // leftwards: its end is left out
        {QRect(60, 91, 2, 10), QRect(60, 90, 2, 1)},  // upwards
    };
    for (const auto& s : strokes) {
        EXPECT_EQ(CountNonWhite(image, s.inked), s.inked.width() * s.inked.height())
            << s.inked.x() << "," << s.inked.y();
        EXPECT_EQ(CountNonWhite(image, s.around), 0) << s.around.x() << "," << s.around.y();
    }
    // A steep slanted line is two pixels wide on every row it crosses.
    for (int y = 25; y < 55; ++y)
        EXPECT_GE(CountNonWhite(image, QRect(110, y, 40, 1)), 2) << y;
}

TEST_F(DrawTest, RegionFramesLieInsideTheRegion) {
    ImageView view;
    port.BeginWindowDraw(view);
    port.FrameRegionRed(Region(Rect(10, 10, 30, 20)));
    EXPECT_EQ(view.image.pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(view.image.pixel(29, 19), qRgb(255, 0, 0));
    EXPECT_TRUE(IsWhite(view.image, 11, 11));
    EXPECT_TRUE(IsWhite(view.image, 30, 15));
    EXPECT_TRUE(IsWhite(view.image, 9, 15));

    port.InvertOrFrameRegion(Region(Rect(40, 10, 60, 20)), true);
    EXPECT_EQ(view.image.pixel(40, 15), qRgb(128, 128, 128));
    EXPECT_TRUE(IsWhite(view.image, 41, 15));

    // On screen a frame is a two-pixel gray band.
    port.DrawFrame(Rect(70, 10, 90, 30));
    EXPECT_EQ(view.image.pixel(70, 20), qRgb(128, 128, 128));
    EXPECT_EQ(view.image.pixel(71, 20), qRgb(128, 128, 128));
    EXPECT_TRUE(IsWhite(view.image, 72, 20));
    EXPECT_EQ(view.image.pixel(88, 28), qRgb(128, 128, 128));
    EXPECT_TRUE(IsWhite(view.image, 90, 28));

    port.FrameRegionGray(Region(Rect(100, 10, 110, 20)));
    EXPECT_EQ(view.image.pixel(100, 10), qRgb(0xC4, 0xC4, 0xC4));
    port.FillRegionGray(Region(Rect(120, 10, 125, 15)));
    EXPECT_EQ(view.image.pixel(124, 14), qRgb(128, 128, 128));
    port.EndDraw();
}

// Colour values are 0x00BBGGRR: the link colour 0xFF0000 is blue.
TEST_F(DrawTest, LinkTextIsBlueAndTheColourIsRestored) {
    EXPECT_EQ(ColorFromRef(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(ColorFromRef(0x0000FF), QColor(255, 0, 0));
    ImageView view;
    port.BeginWindowDraw(view);
    port.SetBaseSize(2);
    port.MoveTo(Point(5, 40));
    port.DrawLinkText(Str255("link"));
    port.MoveTo(Point(5, 90));
    port.DrawString(Str255("text"));
    port.EndDraw();
    int blue = 0;
    int dark = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x) {
            const QRgb p = view.image.pixel(x, y);
            blue += (qBlue(p) > 200 && qRed(p) < 60 && qGreen(p) < 60) ? 1 : 0;
        }
    for (int y = 60; y < 120; ++y)
        for (int x = 0; x < 200; ++x) {
            const QRgb p = view.image.pixel(x, y);
            dark += (qBlue(p) < 60 && qRed(p) < 60 && qGreen(p) < 60) ? 1 : 0;
            EXPECT_FALSE(qBlue(p) > qRed(p) + 40) << x << "," << y;
        }
    EXPECT_GT(blue, 20);
    EXPECT_GT(dark, 20);
}

// Text advances are whole pixels: the pen positions of a run add up to its measured width, and
// drawing a text at once equals drawing its characters one by one at those positions (on a
// transparent background, so that no character's cell covers its neighbour's overhang).
TEST_F(DrawTest, TextIsDrawnAtTheSumOfItsWholePixelAdvances) {
    for (int face = 0; face < 8; ++face) {
        SCOPED_TRACE(face);
        ImageView whole(300, 60);
        ImageView pieces(300, 60);
        const Str255 text("Wavy fiffle, 0.5");
        port.BeginDCDraw(nullptr, whole.image);
        port.SetFace(face);
        port.MoveTo(Point(4, 40));
        port.DrawString(text);
        const std::vector<int16_t> carets = port.GetPrefixWidths(text);
        EXPECT_EQ(carets.back(), port.MeasureText(text).right);
        port.EndDraw();

        port.BeginDCDraw(nullptr, pieces.image);
        port.SetFace(face);
        for (int i = 0; i < text.GetLength(); ++i) {
            port.MoveTo(Point(4 + carets[i], 40));
            port.DrawChar(text.GetAt(i));
        }
        port.EndDraw();
        EXPECT_EQ(whole.image, pieces.image);
    }
}

// Text paints no background on any target: a font's cell reaches far beyond its glyphs and
// would wipe out the ink of neighbours.
TEST_F(DrawTest, TextIsTransparentOnTheWindowAndOnAGivenContext) {
    ImageView view;
    QImage given(200, 120, QImage::Format_RGB32);
    for (QImage* image : {&view.image, &given})
        image->fill(qRgb(0, 200, 0));
    port.BeginWindowDraw(view);
    port.MoveTo(Point(10, 40));
    port.DrawString(Str255("ii"));
    port.EndDraw();
    port.BeginDCDraw(nullptr, given);
    port.MoveTo(Point(10, 40));
    port.DrawString(Str255("ii"));
    port.EndDraw();
    // Between the two dots above the letters the background stays untouched on both.
    const int x = 10 + 1;
    EXPECT_EQ(view.image.pixel(x, 40 - 16), qRgb(0, 200, 0));
    EXPECT_EQ(given.pixel(x, 40 - 16), qRgb(0, 200, 0));
    EXPECT_EQ(view.image, given);
}

// Clips are in document coordinates, as the drawing is: under an origin (a printed page below
// the first) they move with it. A clip set inside another lies within it, and clearing it gives
// the outer one back.
TEST_F(DrawTest, ClipsFollowTheOriginAndNest) {
    QImage image(200, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    const Point origin(-10, 1000);
    const Rect whole = Rect(0, 0, 200, 120).Shifted(origin);
    port.BeginDCDraw(nullptr, image);
    port.SetOrigin(origin);
    port.SetClipRect(Rect(0, 1000, 60, 1060)); // on the image: (10, 0) to (70, 60)
    port.SetClipRect(Rect(30, 1030, 200, 200000));
    port.InvertDocRect(whole);
    EXPECT_EQ(drawtest::InkIn(image, Rect(40, 30, 70, 60)), 30 * 30);
    EXPECT_EQ(drawtest::InkIn(image, Rect(0, 0, 200, 120)), 30 * 30);
    port.ClearClip();
    port.InvertDocRect(whole);
    EXPECT_EQ(drawtest::InkIn(image, Rect(10, 0, 70, 60)), 60 * 60 - 30 * 30);
    EXPECT_EQ(drawtest::InkIn(image, Rect(0, 0, 200, 120)), 60 * 60 - 30 * 30);
    port.ClearClip();
    port.InvertDocRect(whole);
    EXPECT_EQ(drawtest::InkIn(image, Rect(0, 0, 200, 120)), 200 * 120 - (60 * 60 - 30 * 30));
    port.EndDraw();
}

// A nested Begin on the same image shares the open painter: drawing from inside a modal loop
// reaches the image, and the outer level keeps drawing where it was afterwards.
TEST_F(DrawTest, NestedPassesOnOneImageShareItsPainter) {
    ImageView view;
    view.scroll = Point(100, 0);
    port.BeginWindowDraw(view);
    port.SetClipRect(Rect(100, 0, 120, 10));
    port.BeginWindowDraw(view);
    EXPECT_EQ(port.GetDepth(), 2);
    port.FillRegionBlack(Region(Rect(150, 50, 160, 60))); // not clipped by the outer level
    port.EndDraw();
    EXPECT_FALSE(IsWhite(view.image, 55, 55));           // scrolled by the view's offset
    port.FillRegionBlack(Region(Rect(100, 0, 140, 40))); // the outer clip holds again
    EXPECT_FALSE(IsWhite(view.image, 5, 5));
    EXPECT_TRUE(IsWhite(view.image, 25, 25));
    port.EndDraw();
}

// A view that has no image yet (a window not shown) gives a level that draws nothing.
TEST_F(DrawTest, AViewWithoutAnImageDrawsNothingAndStillNests) {
    ImageView view(0, 0);
    port.BeginWindowDraw(view);
    DrawSample(port);
    port.InvertDocRect(Rect(0, 0, 10, 10));
    port.PlayMetafile(PictureBytes{'x'}, Rect(0, 0, 10, 10));
    EXPECT_GT(port.CharWidth('m'), 0);
    EXPECT_EQ(port.EndDraw(), 0);
    EXPECT_TRUE(view.image.isNull());
}

TEST_F(DrawTest, ViewNoticesGoToTheViewInItsClientCoordinates) {
    ImageView view;
    view.scroll = Point(0, 300);
    port.BeginWindowDraw(view);
    port.InvalidateDocRect(Rect(10, 310, 50, 330));
    ASSERT_EQ(view.invalidated.size(), 1u);
    EXPECT_EQ(view.invalidated[0], Rect(10, 10, 50, 30));
    EXPECT_TRUE(view.erased);
    port.EraseRegion(Region(Rect(0, 300, 20, 320)));
    ASSERT_EQ(view.erasedBoxes.size(), 1u);
    EXPECT_EQ(view.erasedBoxes[0], Rect(0, 300, 20, 320));
    port.EndDraw();

    // On paper there is no window to invalidate.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    port.BeginDCDraw(&view, pdf);
    port.InvalidateDocRect(Rect(10, 310, 50, 330));
    port.EndDraw();
    EXPECT_EQ(view.invalidated.size(), 1u);
}

TEST_F(DrawTest, PrintedPagesNeverInvertButDrawEverythingElse) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(300);
        port.BeginDCDraw(nullptr, pdf);
        EXPECT_TRUE(port.IsPrinting());
        EXPECT_FALSE(port.CanInvert());
        DrawSample(port);
        port.InvertDocRect(Rect(0, 0, 100, 100));
        port.InvertOrFrameRegion(Region(Rect(0, 0, 50, 50)), false);
        port.DrawFrame(Rect(10, 10, 300, 200));
        port.DrawLabelAfter(Point(400, 400), Str255("x = 2"));
        port.EndDraw();
    }
    EXPECT_TRUE(buffer.data().startsWith("%PDF"));
    EXPECT_GT(buffer.data().size(), 1000);
}

// A picture recorded and played back into an image looks like the same drawing done directly.
TEST_F(DrawTest, ARecordedPicturePlaysBackLikeDirectDrawing) {
    ImageView direct;
    port.BeginWindowDraw(direct);
    DrawSample(port);
    port.EndDraw();

    ImageView recorder;
    port.BeginWindowDraw(recorder);
    port.BeginMetafile(&recorder, Rect(0, 0, 200, 120));
    EXPECT_EQ(port.GetTargetKind(), TargetKind::Picture);
    EXPECT_FALSE(port.CanInvert());
    EXPECT_EQ(port.GetResolutionY(), 96); // the reference target's
    DrawSample(port);
    const auto picture = port.EndMetafile();
    ASSERT_TRUE(picture.has_value());
    // Text went in as outlines: the picture needs no fonts.
    const std::string svg(picture->begin(), picture->end());
    EXPECT_EQ(svg.find("<text"), std::string::npos);

    ImageView played;
    port.BeginWindowDraw(played);
    port.PlayMetafile(*picture, Rect(0, 0, 200, 120));
    port.EndDraw();
    port.EndDraw();
    played.image.save(QString::fromStdString(drawtest::OutputPath("picture-played.png")));
    direct.image.save(QString::fromStdString(drawtest::OutputPath("picture-direct.png")));

    // Played pictures are antialiased, so a pixel matches when its gray lies within the range
    // of grays around it in the direct drawing, give or take a little.
    int differing = 0;
    int inked = 0;
    for (int y = 1; y < 119; ++y)
        for (int x = 1; x < 199; ++x) {
            inked += qGray(direct.image.pixel(x, y)) < 128 ? 1 : 0;
            int lowest = 255;
            int highest = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int g = qGray(direct.image.pixel(x + dx, y + dy));
                    lowest = std::min(lowest, g);
                    highest = std::max(highest, g);
                }
            const int gray = qGray(played.image.pixel(x, y));
            differing += gray < lowest - 48 || gray > highest + 48 ? 1 : 0;
        }
    EXPECT_GT(inked, 300);
    EXPECT_LT(differing, inked / 50) << "of " << inked << " inked pixels";
}

TEST_F(DrawTest, PictureBytesOfAnotherFormatShowAsAGrayFrame) {
    const PictureBytes older = {0x01, 0x00, 0x00, 0x00, 0x6C, 0x00, 0x00, 0x00, ' ', 'E', 'M', 'F'};
    const PictureBytes broken = {'<', 's', 'v', 'g', 0xFF, 0x00};
    for (const PictureBytes& bytes : {older, broken, PictureBytes{}}) {
        ImageView view;
        port.BeginWindowDraw(view);
        port.SetOrigin(Point(-10, -10));
        port.PlayMetafile(bytes, Rect(10, 10, 60, 40));
        port.EndDraw();
        EXPECT_EQ(view.image.pixel(20, 20), qRgb(128, 128, 128));
        EXPECT_EQ(view.image.pixel(69, 49), qRgb(128, 128, 128));
        EXPECT_TRUE(IsWhite(view.image, 30, 30));
    }
}

TEST_F(DrawTest, DotsIgnoreTheOriginAndEllipsesApplyIt) {
    ImageView view;
    port.BeginWindowDraw(view);
    port.SetOrigin(Point(50, 0));
    port.DrawDot(Point(10, 10));
    EXPECT_FALSE(IsWhite(view.image, 10, 9));
    EXPECT_TRUE(IsWhite(view.image, 10, 12));
    port.DrawEllipse(Rect(60, 20, 80, 40)); // (10, 20, 30, 40) on the image
    EXPECT_FALSE(IsWhite(view.image, 10, 30));
    EXPECT_FALSE(IsWhite(view.image, 29, 30));
    EXPECT_TRUE(IsWhite(view.image, 30, 30)); // the right edge is outside
    EXPECT_TRUE(IsWhite(view.image, 20, 30)); // filled with the white brush
    EXPECT_TRUE(IsWhite(view.image, 10, 20)); // the corner is outside the ellipse
    port.EndDraw();
}

TEST_F(DrawTest, PlotLabelsAreInvertedCaptionsBesideThePoint) {
    ImageView view;
    port.BeginWindowDraw(view);
    port.SetBaseSize(6);
    const Rect after = port.LabelRectAfter(Point(20, 20), Str255("0.5"));
    const Rect before = port.LabelRectBefore(Point(180, 60), Str255("0.5"));
    EXPECT_EQ(after.left, 20);
    EXPECT_EQ(after.top, 20);
    EXPECT_EQ(before.right, 180);
    EXPECT_EQ(before.right - before.left, after.right - after.left + 4);
    port.DrawLabelAfter(Point(20, 20), Str255("0.5"));
    port.DrawLabelBefore(Point(180, 60), Str255("0.5"));
    EXPECT_EQ(view.image.pixel(after.left, after.top), qRgb(0, 0, 0));
    EXPECT_EQ(view.image.pixel(after.right - 1, after.bottom - 1), qRgb(0, 0, 0));
    EXPECT_TRUE(IsWhite(view.image, after.right, after.top));
    EXPECT_EQ(view.image.pixel(before.left, before.top), qRgb(0, 0, 0));
    // The label font ends with the label: measuring is back in the current face.
    EXPECT_EQ(port.GetPlaceholderBox(), Rect(0, -10, 8, 2));
    port.EndDraw();
}

} // namespace
